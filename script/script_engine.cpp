#include "script/script_engine.h"

#include "script/worker_ex.h"

#include "foundation/bin_buffer.h"
#include "foundation/content.h"
#include "foundation/content_binary.h"
#include "foundation/content_compressed.h"
#include "foundation/content_text.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "script/builtin_default.h"
#include "script/function_binder.h"
#include "script/moa_ex.h"
#include "script/worker.h"

#include <memory>

namespace {

GxMoaEx* g_Instance = nullptr;
GxMoaWorker* g_MainWorker = nullptr;
GxMoaBuiltinDefault* g_Builtins = nullptr;
GxMoaFunctionBinder* g_Binder = nullptr;

GxMoaEx* MakeInstance()
{
    return new GxMoaEx();
}

// The one place the main worker is made; it is named "MAIN_WORKER" by its constructor.
GxMoaWorker* MakeWorker(GxMoaEx* instance, GxCore* core)
{
    return new GxMoaWorkerEx(instance, core);
}

GxMoaBuiltinDefault* MakeBuiltins()
{
    return new GxMoaBuiltinDefault();
}

GxMoaFunctionBinder* MakeBinder()
{
    return new GxMoaFunctionBinder();
}

constexpr GxScriptEngineMakers kEngineMakers{&MakeInstance, &MakeWorker, &MakeBuiltins, &MakeBinder};
GxScriptEngineMakers g_Makers = kEngineMakers;

}  // namespace

void SetScriptEngineMakers(const GxScriptEngineMakers* makers)
{
    g_Makers = makers != nullptr ? *makers : kEngineMakers;
}

void CreateScriptEngine(GxCore* core)
{
    DestroyScriptEngine();
    g_Instance = g_Makers.MakeInstance();
    g_MainWorker = g_Makers.MakeWorker(g_Instance, core);
    g_Builtins = g_Makers.MakeBuiltins();
    g_Binder = g_Makers.MakeBinder();
    g_Builtins->Register(g_Binder);
}

void DestroyScriptEngine()
{
    if (g_Binder != nullptr) {
        delete g_Binder;
        g_Binder = nullptr;
    }
    if (g_Builtins != nullptr) {
        delete g_Builtins;
        g_Builtins = nullptr;
    }
    if (g_MainWorker != nullptr) {
        delete g_MainWorker;
        g_MainWorker = nullptr;
    }
    if (g_Instance != nullptr) {
        delete g_Instance;
        g_Instance = nullptr;
    }
}

bool LoadScriptBinary()
{
    GxBinBuffer buffer;
    // A short read leaves a zero-filled buffer behind: nothing in it is the program.
    if (!GxFile::ReadWholeFile(buffer, u"bincode/moacode.mwb", false, false) || buffer.GetSize() == 0)
        return false;

    std::unique_ptr<GxContentReaderBase> reader;
    const char* header = nullptr;
    switch (buffer.GetFirstByte()) {
    case 'T':
        reader = std::make_unique<GxContentTextReader>(buffer, true);
        header = "TMOA";
        break;
    case 'B':
        reader = std::make_unique<GxContentBinaryReader>(buffer, true);
        header = "BMOA";
        break;
    case 'Z':
        reader = std::make_unique<GxContentCompressedBinaryReader>(buffer, true);
        header = "ZMOA";
        break;
    default:
        LogPrint(u"BINCODEが古いバージョンです。新しいバージョンのスクリプトコンパイラを使用してください\n");
        LogPrint(u"それでもうまく動かないときはbincodeの中の modlist.dat を削除してみてください\n");
        return false;
    }

    std::uint32_t version = 0;
    if (!reader->ReadHeader(header, &version)) {
        reader.reset();
        LogPrint(u"BINCODEのヘッダが異なります。新しいバージョンのスクリプトコンパイラを使用してください\n");
        return false;
    }
    // Without an instance there is nowhere to read into.
    if (g_Instance == nullptr)
        return false;
    const bool read = g_Instance->ReadProgram(*reader);
    reader.reset();
    if (!read) {
        LogPrint(u"スクリプトが正しく読み込めませんでした\n");
        return false;
    }
    g_Instance->BuildVariables();
    if (g_MainWorker != nullptr)
        g_MainWorker->RebuildScriptEntities();
    return true;
}

GxMoaEx* GetScriptInstance()
{
    return g_Instance;
}

GxMoaWorker* GetMainWorker()
{
    return g_MainWorker;
}

GxMoaBuiltinDefault* GetDefaultBuiltins()
{
    return g_Builtins;
}

GxMoaFunctionBinder* GetFunctionBinder()
{
    return g_Binder;
}
