#include "tests/support/content_bytes.h"

#include "foundation/content_binary.h"
#include "foundation/content_text.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

std::string WriteContentBytes(TestContentForm form, const std::function<void(GxContentWriterBase&)>& write)
{
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&data, &size);
    if (stream == nullptr)
        return {};
    if (form == TestContentForm::kText) {
        GxContentTextWriter writer(stream);
        write(writer);
    } else {
        GxContentBinaryWriter writer(stream);
        write(writer);
    }
    std::fclose(stream);
    std::string bytes(data, size);
    std::free(data);
    return bytes;
}

bool WriteBytesFile(const std::string& path, const std::string& bytes)
{
    std::error_code ignored;
    const std::filesystem::path target(path);
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), ignored);
    std::ofstream out(target, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}
