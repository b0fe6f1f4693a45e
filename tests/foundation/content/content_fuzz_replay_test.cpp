// [Content] every reader survives the checked-in fuzz corpus (seeds and inputs that once
// failed) under the sanitizers.
#include "content_fuzz.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::filesystem::path> CorpusFiles(const char* form)
{
    const std::filesystem::path dir = std::filesystem::path(TW_SOURCE_DIR) / "tests/foundation/content" / "fuzz_corpus" / form;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    return files;
}

void Replay(const char* form, int (*target)(const std::uint8_t*, std::size_t))
{
    const std::vector<std::filesystem::path> files = CorpusFiles(form);
    ASSERT_FALSE(files.empty()) << "no corpus for " << form;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
}

}  // namespace

TEST(ContentFuzzCorpus, TextReader) { Replay("text", FuzzContentTextReader); }
TEST(ContentFuzzCorpus, BinaryReader) { Replay("binary", FuzzContentBinaryReader); }
TEST(ContentFuzzCorpus, CompressedReader) { Replay("compressed", FuzzContentCompressedReader); }
