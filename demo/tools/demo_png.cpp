#include "demo_generator.h"

#include "tests/support/image_fixtures.h"

#include <cstdio>

bool WriteDemoPng(const std::filesystem::path& path, const TestImage& image)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error || !WriteImageFile(path.string(), BuildPng(PngSpecRgba8(image)))) {
        std::fprintf(stderr, "generate_demo: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}
