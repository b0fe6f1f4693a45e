// [PNG] decoding into the engine's BGRA blocks and writing save thumbnails.
#include "graphics/png_image.h"
#include "tests/support/image_fixtures.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <zlib.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

struct PixelsDeleter {
    void operator()(std::uint8_t* pixels) const { FreePngPixels(pixels); }
};
using Pixels = std::unique_ptr<std::uint8_t, PixelsDeleter>;

ImageBytes Row(std::initializer_list<int> bytes)
{
    ImageBytes row;
    for (int b : bytes) row.push_back(std::uint8_t(b));
    return row;
}

// The engine's layout: blue, green, red, alpha per pixel.
ImageBytes Bgra(const std::vector<std::uint32_t>& argb)
{
    ImageBytes bytes;
    for (std::uint32_t p : argb)
        bytes.insert(bytes.end(), {std::uint8_t(p), std::uint8_t(p >> 8), std::uint8_t(p >> 16), std::uint8_t(p >> 24)});
    return bytes;
}

std::uint32_t Pattern(std::uint32_t x, std::uint32_t y)
{
    return (std::uint32_t(x * 7 + y * 3) << 24) | (std::uint32_t(x * 2) << 16) | (std::uint32_t(y * 2) << 8) |
           std::uint32_t(x ^ y);
}

std::u16string Wide(const fs::path& path)
{
    const std::string text = path.string();
    return std::u16string(text.begin(), text.end());   // the test folder is ASCII
}

ImageBytes ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return ImageBytes(std::istreambuf_iterator<char>(in), {});
}

class PngFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/tw_png_XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_Folder = folder;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_Folder, ignored);
    }
    std::size_t EntryCount() const
    {
        return std::size_t(std::distance(fs::directory_iterator(m_Folder), fs::directory_iterator{}));
    }

    fs::path m_Folder;
};

}  // namespace

TEST(PngDecode, EveryColourTypeEndsAsBgra)
{
    struct Case {
        const char* name;
        PngSpec spec;
        std::vector<std::uint32_t> expected;
    };
    PngSpec interlaced = PngSpecRgba8(TestImage::Make(10, 9, Pattern));
    interlaced.interlaced = true;
    const std::vector<Case> cases = {
        {"grey 1-bit is opaque black and white", {10, 1, 1, kPngGrey, false, {Row({0b01100000, 0b11000000})}, {}, {}},
         {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000,
          0xFFFFFFFF, 0xFFFFFFFF}},
        {"grey with alpha", {2, 1, 8, kPngGreyAlpha, false, {Row({0x33, 0x00, 0xCC, 0x7F})}, {}, {}},
         {0x00333333, 0x7FCCCCCC}},
        {"palette with a short tRNS", {3, 1, 8, kPngPalette, false, {Row({2, 0, 1})}, Row({1, 2, 3, 4, 5, 6, 7, 8, 9}), Row({0x10})},
         {0xFF070809, 0x10010203, 0xFF040506}},
        {"16-bit takes the high bytes", {1, 1, 16, kPngRgba, false, {Row({0xAB, 0xFF, 0xCD, 0x00, 0xEF, 0x80, 0x12, 0x34})}, {}, {}},
         {0x12ABCDEF}},
        {"rgb gets alpha 255", {1, 1, 8, kPngRgb, false, {Row({1, 2, 3})}, {}, {}}, {0xFF010203}},
        {"adam7", interlaced, TestImage::Make(10, 9, Pattern).argb},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ImageBytes file = BuildPng(c.spec);
        std::uint32_t width = 99, height = 99;
        Pixels pixels(DecodePngMemory(file.data(), file.size(), &width, &height));
        ASSERT_NE(pixels, nullptr);
        EXPECT_EQ(width, c.spec.width);
        EXPECT_EQ(height, c.spec.height);
        const ImageBytes expected = Bgra(c.expected);
        EXPECT_EQ(ImageBytes(pixels.get(), pixels.get() + expected.size()), expected);
    }
}

TEST(PngDecode, DamagedInputGivesNullAndZeroSize)
{
    const ImageBytes file = BuildPng(PngSpecRgba8(TestImage::Make(6, 5, Pattern)));
    std::uint32_t width = 1, height = 1;
    EXPECT_EQ(DecodePngMemory(nullptr, 10, &width, &height), nullptr);
    EXPECT_EQ(DecodePngMemory(file.data(), 0, &width, &height), nullptr);
    EXPECT_EQ(width, 0u);
    EXPECT_EQ(height, 0u);
    const char text[] = "GIF89a, not a PNG at all";
    EXPECT_EQ(DecodePngMemory(text, sizeof text, &width, &height), nullptr);
    // The signature, IHDR and a chunk head announcing 0x70000000 bytes the file lacks.
    ImageBytes announced(file.begin(), file.begin() + 33);
    announced.insert(announced.end(), {0x70, 0, 0, 0, 's', 'P', 'L', 'T'});
    EXPECT_EQ(DecodePngMemory(announced.data(), announced.size(), &width, &height), nullptr);
    // Cut anywhere, the file reads past its end: a failure, never an overrun.
    for (std::size_t length = 1; length < file.size(); ++length) {
        width = height = 1;
        ASSERT_EQ(DecodePngMemory(file.data(), length, &width, &height), nullptr) << length;
        ASSERT_EQ(width, 0u);
    }
}

TEST(PngDecode, DeclaredSizesBeyondTheLimitAreRefusedBeforeAllocating)
{
    // Each header promises a block the reader must not try to make; the product of the second
    // is 2^32 bytes, which wraps to 0 in 32-bit arithmetic.
    for (auto [w, h] : {std::pair<std::uint32_t, std::uint32_t>{100000, 100000}, {65536, 16384}, {16385, 16385}}) {
        PngSpec spec{1, 1, 8, kPngGrey, false, {Row({0})}, {}, {}};
        ImageBytes file = BuildPng(spec);
        // Rewrite IHDR's size and CRC: the data after it stays one tiny row.
        for (int i = 0; i < 4; ++i) {
            file[16 + i] = std::uint8_t(w >> (24 - 8 * i));
            file[20 + i] = std::uint8_t(h >> (24 - 8 * i));
        }
        const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, file.data() + 12, 17));
        for (int i = 0; i < 4; ++i) file[29 + i] = std::uint8_t(crc >> (24 - 8 * i));
        std::uint32_t width = 1, height = 1;
        EXPECT_EQ(DecodePngMemory(file.data(), file.size(), &width, &height), nullptr) << w << "x" << h;
        EXPECT_EQ(width, 0u);
    }
}

TEST_F(PngFileTest, ThumbnailRoundTripsByteForByte)
{
    // A save thumbnail: 1024x768 reduced by 8, every alpha 255.
    TestImage thumbnail = TestImage::Scene(128, 96);
    const ImageBytes bgra = Bgra(thumbnail.argb);
    const fs::path path = m_Folder / "thumb000.png";
    ASSERT_EQ(WritePngFile(Wide(path).c_str(), 128, 96, bgra.data()), 1);

    const ImageBytes file = ReadFile(path);
    ASSERT_GT(file.size(), 33u);
    EXPECT_EQ(std::string(file.begin() + 12, file.begin() + 16), "IHDR");
    EXPECT_EQ(file[24], 8) << "bit depth";
    EXPECT_EQ(file[25], 6) << "RGBA";
    const std::string body(file.begin(), file.end());
    const std::size_t sbit = body.find("sBIT");
    ASSERT_NE(sbit, std::string::npos);
    EXPECT_EQ(body.substr(sbit + 4, 4), std::string("\x08\x08\x08\x08", 4));

    std::uint32_t width = 0, height = 0;
    Pixels decoded(DecodePngMemory(file.data(), file.size(), &width, &height));
    ASSERT_NE(decoded, nullptr);
    ASSERT_EQ(width, 128u);
    ASSERT_EQ(height, 96u);
    EXPECT_EQ(std::memcmp(decoded.get(), bgra.data(), bgra.size()), 0);

    // Alpha other than 255 survives as well.
    const ImageBytes varied = Bgra(TestImage::Make(7, 5, Pattern).argb);
    ASSERT_EQ(WritePngFile(Wide(path).c_str(), 7, 5, varied.data()), 1);
    const ImageBytes again = ReadFile(path);
    Pixels back(DecodePngMemory(again.data(), again.size(), &width, &height));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(ImageBytes(back.get(), back.get() + varied.size()), varied);
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(PngFileTest, FailedWritesLeaveNoPartialFileAndKeepTheOldOne)
{
    const ImageBytes old = Bgra(TestImage::Solid(4, 4, 0xFF112233).argb);
    const fs::path path = m_Folder / "thumb001.png";
    ASSERT_EQ(WritePngFile(Wide(path).c_str(), 4, 4, old.data()), 1);
    const ImageBytes oldFile = ReadFile(path);

    // An unwritable place.
    EXPECT_EQ(WritePngFile(Wide(m_Folder / "missing" / "thumb.png").c_str(), 4, 4, old.data()), 0);
    EXPECT_EQ(WritePngFile(nullptr, 4, 4, old.data()), 0);

    // A write error half way: files may not grow past 4 KiB while a 48 KiB picture is written.
    const TestImage noisy = TestImage::Scene(128, 96);
    const ImageBytes pixels = Bgra(noisy.argb);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = WritePngFile(Wide(path).c_str(), 128, 96, pixels.data());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFile(path), oldFile) << "the earlier thumbnail is intact";
    EXPECT_EQ(EntryCount(), 1u) << "no temporary file is left";
}
