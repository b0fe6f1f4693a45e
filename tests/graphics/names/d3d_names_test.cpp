// Format names and result texts for log lines, and their safety across threads.
#include "graphics/d3d_names.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

std::u16string Name(DWORD format)
{
    return GetD3DFormatName(static_cast<D3DFORMAT>(format));
}

}  // namespace

TEST(D3DNames, EveryFormatOfTheTableByItsNumericValue)
{
    // Numeric values on the left, so a wrong enumerator value fails here too.
    const struct {
        DWORD value;
        const char16_t* name;
    } formats[] = {
        {0, u"D3DFMT_UNKNOWN"},          {20, u"D3DFMT_R8G8B8"},         {21, u"D3DFMT_A8R8G8B8"},
        {22, u"D3DFMT_X8R8G8B8"},        {23, u"D3DFMT_R5G6B5"},         {24, u"D3DFMT_X1R5G5B5"},
        {25, u"D3DFMT_A1R5G5B5"},        {26, u"D3DFMT_A4R4G4B4"},       {27, u"D3DFMT_R3G3B2"},
        {28, u"D3DFMT_A8"},              {29, u"D3DFMT_A8R3G3B2"},       {30, u"D3DFMT_X4R4G4B4"},
        {31, u"D3DFMT_A2B10G10R10"},     {32, u"D3DFMT_A8B8G8R8"},       {33, u"D3DFMT_X8B8G8R8"},
        {34, u"D3DFMT_G16R16"},          {35, u"D3DFMT_A2R10G10B10"},    {36, u"D3DFMT_A16B16G16R16"},
        {40, u"D3DFMT_A8P8"},            {41, u"D3DFMT_P8"},             {50, u"D3DFMT_L8"},
        {51, u"D3DFMT_A8L8"},            {52, u"D3DFMT_A4L4"},           {60, u"D3DFMT_V8U8"},
        {61, u"D3DFMT_L6V5U5"},          {62, u"D3DFMT_X8L8V8U8"},       {63, u"D3DFMT_Q8W8V8U8"},
        {64, u"D3DFMT_V16U16"},          {67, u"D3DFMT_A2W10V10U10"},    {70, u"D3DFMT_D16_LOCKABLE"},
        {71, u"D3DFMT_D32"},             {73, u"D3DFMT_D15S1"},          {75, u"D3DFMT_D24S8"},
        {77, u"D3DFMT_D24X8"},           {79, u"D3DFMT_D24X4S4"},        {80, u"D3DFMT_D16"},
        {81, u"D3DFMT_L16"},             {82, u"D3DFMT_D32F_LOCKABLE"},  {83, u"D3DFMT_D24FS8"},
        {100, u"D3DFMT_VERTEXDATA"},     {101, u"D3DFMT_INDEX16"},       {102, u"D3DFMT_INDEX32"},
        {110, u"D3DFMT_Q16W16V16U16"},   {111, u"D3DFMT_R16F"},          {112, u"D3DFMT_G16R16F"},
        {113, u"D3DFMT_A16B16G16R16F"},  {114, u"D3DFMT_R32F"},          {115, u"D3DFMT_G32R32F"},
        {116, u"D3DFMT_A32B32G32R32F"},  {117, u"D3DFMT_CxV8U8"},        {0x59565955, u"D3DFMT_UYVY"},
        {0x47424752, u"D3DFMT_R8G8_B8G8"}, {0x32595559, u"D3DFMT_YUY2"}, {0x42475247, u"D3DFMT_G8R8_G8B8"},
        {0x31545844, u"D3DFMT_DXT1"},    {0x32545844, u"D3DFMT_DXT2"},   {0x33545844, u"D3DFMT_DXT3"},
        {0x34545844, u"D3DFMT_DXT4"},    {0x35545844, u"D3DFMT_DXT5"},
    };
    for (const auto& format : formats) EXPECT_EQ(Name(format.value), format.name) << format.value;
    // Values without a name in the table, including real formats the table leaves out.
    for (DWORD other : {0x7FFFFFFFu, 84u /* D32_LOCKABLE */, 85u /* S8_LOCKABLE */, 1u, 0xFFFFFFFFu})
        EXPECT_EQ(Name(other), u"ERROR") << other;
}

TEST(D3DNames, ResultTextsAndTheUnknownCode)
{
    const struct {
        std::uint32_t code;
        const char16_t* text;
    } results[] = {
        {0x00000000, u"エラーは発生していません"},
        {0x80004005, u"Direct3D サブシステム内でエラーが発生しました。"},
        {0x8876017C, u"Direct3D が処理を行うのに十分なディスプレイメモリがありません。"},
        {0x88760827, u"内部ドライバ エラー。"},
        {0x88760868, u"デバイスは消失していますが現在リセットできません。レンダリングは不可能です。"},
        {0x88760869, u"デバイスは消失していますが、現在リセットできます。"},
        {0x8876086C, u"メソッドの呼び出しが無効です。例えばメソッドのパラメータが有効なポインタではありません。"},
        {0x88760B54, u"インデックス バッファを変更できません。"},
        {0x88760B5C, u"最後の項目が削除できません。"},
    };
    for (const auto& result : results)
        EXPECT_EQ(DescribeD3DError(static_cast<HRESULT>(result.code)), result.text) << std::hex << result.code;
    EXPECT_EQ(DescribeD3DError(static_cast<HRESULT>(0x8876ABCDu)), u"未知のエラーです。(code:0x8876abcd)");
    EXPECT_EQ(DescribeD3DError(10), u"未知のエラーです。(code:0xa)");
    EXPECT_EQ(DescribeD3DError(static_cast<HRESULT>(0x8000FFFFu)), u"未知のエラーです。(code:0x8000ffff)");
}

TEST(D3DNames, TextsStayIntactAcrossCallsAndThreads)
{
    // Two names in one log line: the first must survive the second call.
    const WCHAR* first = GetD3DFormatName(D3DFMT_A8R8G8B8);
    const WCHAR* second = GetD3DFormatName(D3DFMT_X8R8G8B8);
    EXPECT_EQ(std::u16string(first), u"D3DFMT_A8R8G8B8");
    EXPECT_EQ(std::u16string(second), u"D3DFMT_X8R8G8B8");

    // Loader threads and the movie thread describe errors while the window thread does.
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &mismatches] {
            const auto code = static_cast<HRESULT>(0x80990000u + static_cast<std::uint32_t>(t));
            const std::u16string expected = DescribeD3DError(code);
            const D3DFORMAT format = t % 2 ? D3DFMT_D24S8 : D3DFMT_A4R4G4B4;
            const std::u16string expectedName = GetD3DFormatName(format);
            for (int i = 0; i < 2000; ++i) {
                const std::u16string text = DescribeD3DError(code);
                const WCHAR* name = GetD3DFormatName(format);
                if (text != expected || expectedName != name) ++mismatches[t];
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(mismatches, (std::vector<int>{0, 0, 0, 0}));
}
