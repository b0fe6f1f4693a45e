// generate_demo DEMO_FOLDER GAME_FOLDER: writes the demo game's generated content (nothing
// binary is kept in the sources). The build runs it after copying demo/game.
#include "demo_fonts.h"
#include "demo_generator.h"
#include "demo_image_sets.h"
#include "demo_play_screen.h"
#include "demo_tables.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: generate_demo DEMO_FOLDER GAME_FOLDER\n");
        return 2;
    }
    const std::filesystem::path demoFolder = argv[1];
    const std::filesystem::path gameFolder = argv[2];
    bool ok = true;
    ok = WriteDemoProgram(demoFolder, gameFolder) && ok;
    ok = WriteDemoImageSets(gameFolder) && ok;
    ok = WriteDemoTables(demoFolder, gameFolder) && ok;
    ok = WriteDemoFonts(gameFolder) && ok;
    ok = WriteDemoPlayScreen(gameFolder) && ok;
    ok = WriteDemoSystemLayer(gameFolder) && ok;
    // Before the UI, whose galleries and music room follow the story's tables in the game folder.
    ok = WriteDemoStoryPictures(gameFolder) && ok;
    ok = WriteDemoUI(gameFolder) && ok;
    ok = WriteDemoSounds(gameFolder) && ok;
    // Last: the pack takes pictures the writers above left loose.
    ok = WriteDemoMoviePack(gameFolder) && ok;
    return ok ? 0 : 1;
}
