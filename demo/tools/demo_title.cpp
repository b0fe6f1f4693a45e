#include "demo_generator.h"

#include "tests/support/game_folder.h"
#include "tests/support/ui/title_rows.h"

#include <cstdio>

bool WriteDemoTitle(const std::filesystem::path& gameFolder)
{
    TestGameFolder game(gameFolder);
    AddTitleFiles(game);
    for (const std::string& error : game.Errors())
        std::fprintf(stderr, "generate_demo: cannot write %s\n", error.c_str());
    return game.Ok();
}
