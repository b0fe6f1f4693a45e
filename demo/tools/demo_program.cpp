#include "demo_generator.h"

#include "foundation/wide_string.h"
#include "tests/support/moa_assembler.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

bool WriteDemoProgram(const std::filesystem::path& demoFolder, const std::filesystem::path& gameFolder)
{
    std::vector<std::filesystem::path> sources;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(demoFolder / "scripts", error)) {
        if (entry.is_regular_file() && entry.path().extension() == ".moa") {
            sources.push_back(entry.path());
        }
    }
    std::sort(sources.begin(), sources.end());
    if (sources.empty()) {
        std::fprintf(stderr, "generate_demo: no scripts in %s\n", (demoFolder / "scripts").string().c_str());
        return false;
    }

    MoaAssembler assembler;
    for (const std::filesystem::path& path : sources) {
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        assembler.AddScript(Utf8ToWide(path.stem().string()), text);
    }
    const std::filesystem::path target = gameFolder / "bincode" / "moacode.mwb";
    if (!assembler.WriteFile(target, MoaProgramForm::Binary)) {
        for (const std::string& message : assembler.Errors()) {
            std::fprintf(stderr, "generate_demo: %s\n", message.c_str());
        }
        std::fprintf(stderr, "generate_demo: cannot write %s\n", target.string().c_str());
        return false;
    }
    return true;
}
