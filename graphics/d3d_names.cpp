#include "graphics/d3d_names.h"

#include <iterator>

namespace {

struct FormatName {
    D3DFORMAT format;
    const WCHAR* name;
};

#define TW_FORMAT_NAME(format) {format, u"" #format}

constexpr FormatName kFormatNames[] = {
    TW_FORMAT_NAME(D3DFMT_UNKNOWN),       TW_FORMAT_NAME(D3DFMT_R8G8B8),        TW_FORMAT_NAME(D3DFMT_A8R8G8B8),
    TW_FORMAT_NAME(D3DFMT_X8R8G8B8),      TW_FORMAT_NAME(D3DFMT_R5G6B5),        TW_FORMAT_NAME(D3DFMT_X1R5G5B5),
    TW_FORMAT_NAME(D3DFMT_A1R5G5B5),      TW_FORMAT_NAME(D3DFMT_A4R4G4B4),      TW_FORMAT_NAME(D3DFMT_R3G3B2),
    TW_FORMAT_NAME(D3DFMT_A8),            TW_FORMAT_NAME(D3DFMT_A8R3G3B2),      TW_FORMAT_NAME(D3DFMT_X4R4G4B4),
    TW_FORMAT_NAME(D3DFMT_A2B10G10R10),   TW_FORMAT_NAME(D3DFMT_A8B8G8R8),      TW_FORMAT_NAME(D3DFMT_X8B8G8R8),
    TW_FORMAT_NAME(D3DFMT_G16R16),        TW_FORMAT_NAME(D3DFMT_A2R10G10B10),   TW_FORMAT_NAME(D3DFMT_A16B16G16R16),
    TW_FORMAT_NAME(D3DFMT_A8P8),          TW_FORMAT_NAME(D3DFMT_P8),            TW_FORMAT_NAME(D3DFMT_L8),
    TW_FORMAT_NAME(D3DFMT_A8L8),          TW_FORMAT_NAME(D3DFMT_A4L4),          TW_FORMAT_NAME(D3DFMT_V8U8),
    TW_FORMAT_NAME(D3DFMT_L6V5U5),        TW_FORMAT_NAME(D3DFMT_X8L8V8U8),      TW_FORMAT_NAME(D3DFMT_Q8W8V8U8),
    TW_FORMAT_NAME(D3DFMT_V16U16),        TW_FORMAT_NAME(D3DFMT_A2W10V10U10),   TW_FORMAT_NAME(D3DFMT_D16_LOCKABLE),
    TW_FORMAT_NAME(D3DFMT_D32),           TW_FORMAT_NAME(D3DFMT_D15S1),         TW_FORMAT_NAME(D3DFMT_D24S8),
    TW_FORMAT_NAME(D3DFMT_D24X8),         TW_FORMAT_NAME(D3DFMT_D24X4S4),       TW_FORMAT_NAME(D3DFMT_D16),
    TW_FORMAT_NAME(D3DFMT_L16),           TW_FORMAT_NAME(D3DFMT_D32F_LOCKABLE), TW_FORMAT_NAME(D3DFMT_D24FS8),
    TW_FORMAT_NAME(D3DFMT_VERTEXDATA),    TW_FORMAT_NAME(D3DFMT_INDEX16),       TW_FORMAT_NAME(D3DFMT_INDEX32),
    TW_FORMAT_NAME(D3DFMT_Q16W16V16U16),  TW_FORMAT_NAME(D3DFMT_R16F),          TW_FORMAT_NAME(D3DFMT_G16R16F),
    TW_FORMAT_NAME(D3DFMT_A16B16G16R16F), TW_FORMAT_NAME(D3DFMT_R32F),          TW_FORMAT_NAME(D3DFMT_G32R32F),
    TW_FORMAT_NAME(D3DFMT_A32B32G32R32F), TW_FORMAT_NAME(D3DFMT_CxV8U8),        TW_FORMAT_NAME(D3DFMT_UYVY),
    TW_FORMAT_NAME(D3DFMT_R8G8_B8G8),     TW_FORMAT_NAME(D3DFMT_YUY2),          TW_FORMAT_NAME(D3DFMT_G8R8_G8B8),
    TW_FORMAT_NAME(D3DFMT_DXT1),          TW_FORMAT_NAME(D3DFMT_DXT2),          TW_FORMAT_NAME(D3DFMT_DXT3),
    TW_FORMAT_NAME(D3DFMT_DXT4),          TW_FORMAT_NAME(D3DFMT_DXT5),
};

#undef TW_FORMAT_NAME

struct ErrorText {
    HRESULT result;
    const WCHAR* text;
};

constexpr ErrorText kErrorTexts[] = {
    {D3D_OK, u"エラーは発生していません"},
    {E_NOTIMPL, u"実装されていません。"},
    {E_NOINTERFACE, u"利用可能なオブジェクトインターフェイスがありません。"},
    {E_FAIL, u"Direct3D サブシステム内でエラーが発生しました。"},
    {E_OUTOFMEMORY, u"Direct3D が呼び出しを完了するための十分なメモリを割り当てることができませんでした。"},
    {E_INVALIDARG, u"無効なパラメータが関数に渡されました。"},
    {D3DERR_OUTOFVIDEOMEMORY, u"Direct3D が処理を行うのに十分なディスプレイメモリがありません。"},
    {D3DERR_WRONGTEXTUREFORMAT, u"テクスチャサーフェイスのピクセルフォーマットが無効です。"},
    {D3DERR_UNSUPPORTEDCOLOROPERATION, u"色値に対して指定されているテクスチャブレンディング処理を、デバイスがサポートしていません。"},
    {D3DERR_UNSUPPORTEDCOLORARG, u"色値に対して指定されているテクスチャブレンディング引数を、デバイスがサポートしていません。"},
    {D3DERR_UNSUPPORTEDALPHAOPERATION, u"アルファ チャンネルに対して指定されているテクスチャブレンディング処理を、デバイスがサポートしていません。"},
    {D3DERR_UNSUPPORTEDALPHAARG, u"アルファ チャンネルに対して指定されているテクスチャブレンディング引数を、デバイスがサポートしていません。"},
    {D3DERR_TOOMANYOPERATIONS, u"デバイスがサポートしている数より多くのテクスチャフィルタリング処理を、アプリケーションが要求しています。"},
    {D3DERR_CONFLICTINGTEXTUREFILTER, u"現在のテクスチャフィルタは同時に使えません。"},
    {D3DERR_UNSUPPORTEDFACTORVALUE, u"デバイスが指定されたテクスチャ係数値をサポートしていません。"},
    {D3DERR_CONFLICTINGRENDERSTATE, u"現在設定されているレンダリング ステートは同時に使えません。"},
    {D3DERR_UNSUPPORTEDTEXTUREFILTER, u"デバイスが指定されたテクスチャフィルタをサポートしていません。"},
    {D3DERR_CONFLICTINGTEXTUREPALETTE, u"現在のテクスチャは同時に使えません。パレットの共有ができません。"},
    {D3DERR_DRIVERINTERNALERROR, u"内部ドライバ エラー。"},
    {D3DERR_NOTFOUND, u"要求された項目が見つかりませんでした。"},
    {D3DERR_MOREDATA, u"指定されたバッファサイズに保持できる以上のデータが存在します。"},
    {D3DERR_DEVICELOST, u"デバイスは消失していますが現在リセットできません。レンダリングは不可能です。"},
    {D3DERR_DEVICENOTRESET, u"デバイスは消失していますが、現在リセットできます。"},
    {D3DERR_NOTAVAILABLE, u"このデバイスは問い合わせたテクニックをサポートしていません。"},
    {D3DERR_INVALIDDEVICE, u"要求されたデバイスタイプが無効です。"},
    {D3DERR_INVALIDCALL, u"メソッドの呼び出しが無効です。例えばメソッドのパラメータが有効なポインタではありません。"},
    {static_cast<HRESULT>(0x88760B54u), u"インデックス バッファを変更できません。"},   // D3DXERR_CANNOTMODIFYINDEXBUFFER
    {static_cast<HRESULT>(0x88760B55u), u"メッシュが無効です。"},   // D3DXERR_INVALIDMESH
    {static_cast<HRESULT>(0x88760B56u), u"最適化テクニックとして、属性のソート (D3DXMESHOPT_ATTRSORT) はサポートされていません。"},   // D3DXERR_CANNOTATTRSORT
    {static_cast<HRESULT>(0x88760B57u), u"スキニングがサポートされていません。"},   // D3DXERR_SKINNINGNOTSUPPORTED
    {static_cast<HRESULT>(0x88760B58u), u"指定された影響が多すぎます。"},   // D3DXERR_TOOMANYINFLUENCES
    {static_cast<HRESULT>(0x88760B59u), u"データが無効です。"},   // D3DXERR_INVALIDDATA
    {static_cast<HRESULT>(0x88760B5Au), u"メッシュにデータが含まれていません。"},   // D3DXERR_LOADEDMESHHASNODATA
    {static_cast<HRESULT>(0x88760B5Bu), u"同じ名前のフラグメントが既に存在しています。"},   // D3DXERR_DUPLICATENAMEDFRAGMENT
    {static_cast<HRESULT>(0x88760B5Cu), u"最後の項目が削除できません。"},   // D3DXERR_CANNOTREMOVELASTITEM
};

}  // namespace

const WCHAR* GetD3DFormatName(D3DFORMAT format)
{
    for (const FormatName& entry : kFormatNames)
        if (entry.format == format) return entry.name;
    return u"ERROR";
}

std::u16string DescribeD3DError(HRESULT result)
{
    for (const ErrorText& entry : kErrorTexts)
        if (entry.result == result) return entry.text;
    std::u16string text = u"未知のエラーです。(code:0x";
    const auto code = static_cast<std::uint32_t>(result);
    bool leading = true;
    for (int shift = 28; shift >= 0; shift -= 4) {
        const unsigned digit = (code >> shift) & 0xF;
        if (leading && digit == 0 && shift > 0) continue;
        leading = false;
        text.push_back(static_cast<char16_t>(digit < 10 ? u'0' + digit : u'a' + digit - 10));
    }
    text.push_back(u')');
    return text;
}
