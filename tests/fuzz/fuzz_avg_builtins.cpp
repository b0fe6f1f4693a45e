// Fuzz target: the adventure builtins called through the binder with arbitrary argument arrays.
// The input is a list of calls: a byte choosing a bound builtin (with two flag bits: debug mode,
// a shown user dialog), a byte with the argument count (low four bits), the name's seventh bit,
// the missing-file switches, replay mode and a turn of the mouse wheel over the back-log, then the
// arguments, each a type byte and its payload (Null, integer, float, text, or a nested array).
// Sequence slots, dialogs, labels and choice items are asked for with any number; sounds, voices
// and movies are named from a small folder where some exist (one movie empty), and the play screen
// has its movie layer; the back-log's message log grows by one entry a call; nothing may crash,
// hang or read out of bounds. Each argument also goes through the two position parsers. Two
// standing characters take the character builtins: one with a table row, one without.
#include "avg/avg_builtin.h"
#include "avg/seq_avg_log.h"
#include "core/core.h"
#include "core/seq_base.h"
#include "core/system_dialog_host.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/data_services.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "data/db_bgmmode.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/wide_string.h"
#include "script/builtin_default.h"
#include "script/function_binder.h"
#include "script/label_definition.h"
#include "script/moa_ex.h"
#include "script/variable.h"
#include "script/worker.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kMaxDepth = 3;
constexpr std::int32_t kMaxArgs = 16;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_Data(data), m_Size(size) {}
    bool Empty() const { return m_Pos >= m_Size; }
    std::uint8_t Byte() { return m_Pos < m_Size ? m_Data[m_Pos++] : 0; }
    std::uint64_t Word()
    {
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value |= static_cast<std::uint64_t>(Byte()) << (8 * i);
        return value;
    }

private:
    const std::uint8_t* m_Data;
    std::size_t m_Size;
    std::size_t m_Pos = 0;
};

// Texts from a small alphabet, so that keywords, labels and format directives come up often.
std::u16string Text(Input& in)
{
    static const char16_t kAlphabet[] = u"LMRTBNX0159%sd@*:ab.-あ";
    const std::size_t length = in.Byte() % 12;
    std::u16string text;
    for (std::size_t i = 0; i < length; ++i)
        text.push_back(kAlphabet[in.Byte() % (std::size(kAlphabet) - 1)]);
    return text;
}

GxMoaVariable Value(Input& in, int depth)
{
    GxMoaVariable value;
    switch (in.Byte() % 5) {
    case 0: break;
    case 1: value.SetInt64(static_cast<std::int64_t>(in.Word())); break;
    case 2: {
        const std::uint64_t bits = in.Word();
        double number;
        std::memcpy(&number, &bits, sizeof number);
        value.SetFloat(number);
        break;
    }
    case 3: value.SetString(Text(in)); break;
    default: {
        const std::int32_t count = depth < kMaxDepth ? in.Byte() % 4 : 0;
        value.MakeArray(count);
        for (std::int32_t i = 0; i < count; ++i)
            value.SetElement(i, Value(in, depth + 1));
        break;
    }
    }
    return value;
}

// The system layer as the builtins reach it: a request opens nothing.
class FuzzSystemLayer : public GxSeqBase, public GxSystemDialogHost {
public:
    explicit FuzzSystemLayer(GxTaskBase* owner) : GxSeqBase(owner, u"SeqSystem") {}
    const std::u16string& GetUserDialogTag() const override { return m_Tag; }
    GxSeqBase* GetUserDialogOpener() const override { return m_Opener; }
    void CloseShutdownDialog(bool) override {}
    void CloseUserDialog(bool) override { m_Opener = nullptr; }
    void ShowUserDialog(const std::u16string& identifier, GxSeqBase* requester, const std::u16string&,
                        std::int32_t) override
    {
        m_Tag = identifier;
        m_Opener = requester;
    }
    bool IsShutdownDialogActive() const override { return false; }
    void PostSystemNotice(const std::u16string&, const std::u16string&, std::int32_t, std::uint32_t) override {}
    void PostUserNotice(const std::u16string&, const std::u16string&, std::int32_t, std::uint32_t) override {}

private:
    std::u16string m_Tag;
    GxSeqBase* m_Opener = nullptr;
};

// The play screen's stage layers by name, so the picture and effect builtins act on layers; the
// pictures they name do not exist, so the layers show the error picture.
void AddStageLayers(GxTaskBase* play)
{
    auto* visual = new GxTaskLayer(play, u"$VISUAL:SeqAvgMain");
    for (const char16_t* name : {u"$BGLAYER:SeqAvgMain", u"$BGWLAYER:SeqAvgMain", u"$GLOBALFLASH:SeqAvgMain",
                                 u"$GLOBALFADE:SeqAvgMain"})
        new GxTaskLayer(visual, name);
    auto* stand = new GxTaskFolder(visual, u"$STAND:SeqAvgMain", nullptr, 0);
    for (const char16_t* character : {u"a", u"b"}) {
        auto* layer = new GxTaskLayer(stand, nullptr, character, 0);
        layer->GetContent(0).SetSubLayerCount(1);
        layer->GetContent(1).SetSubLayerCount(1);
    }
}

struct Environment {
    Environment()
    {
        InstallDataServices();
        GxCore* core = GxCore::GetInstance();
        core->m_SystemConfig = &m_SystemConfig;
        core->m_UserData = &m_UserData;
        core->m_UserDataPerman = &m_Perman;
        core->m_TaskManage = &m_Manage;
        core->RefreshConfig();
        GxTaskBase* root = new GxTaskBase(&m_Manage);
        m_System = new FuzzSystemLayer(root);
        m_Manage.SetSystemSequence(m_System);
        m_Dialog = new GxTaskBase(root, u"dlg_user", nullptr, 0);
        auto* play = new GxSeqBase(root, u"SeqAvgMain");
        new GxSeqBase(root, u"SeqTitle");
        m_Log = new SeqAvgLog(root);
        new GxTaskLayer(play, u"$MOVIELAYER:SeqAvgMain");
        AddStageLayers(play);
        m_Manage.ChangeSequence(play, 0, 0, 0);
        m_Manage.ChangeSequence(m_Log, 1, 0, 0);
        m_Manage.ApplySequenceChanges();
        MakeMediaFolder();
        // The play screen's characters: "a" has a table row (its pictures are missing), "b" not.
        GetDBAvgChar().GetRow(1)->m_CharName = u"a";
        GetDBAvgChar().GetRow(1)->m_StandPath = u"stand/";
        GetDBAvgChar().GetRow(1)->m_NCProjFileName = u"a";

        for (const char16_t* name : {u"MAIN", u"a", u"@b"}) {
            GxMoaLabelDefinition label;
            label.m_Name = name;
            m_Moa.AddLabel(label);
        }
        m_Defaults.Register(&m_Binder);
        m_Builtins.RegisterBuiltins(&m_Binder);
        for (const AvgBuiltin::Entry& entry : AvgBuiltin::kBuiltins) {
            if (entry.handler != nullptr)
                m_Names.push_back(WideToLowerAscii(entry.name));
        }
    }

    // Sound and movie files named "a" and "b" (texts of the alphabet reach them), in folders the
    // configuration points at; the music table knows "a.wav" and character row 1 speaks from
    // "voices/". The folder goes at exit.
    void MakeMediaFolder()
    {
        const std::filesystem::path base = m_Media.Path();
        const char* const files[] = {"bgms/a.wav", "sounds/bgvs/b.ogg", "sounds/se/a.wav", "voices/a.wav",
                                     "movies/a.avi", "movies/b.wmv"};
        for (const char* name : files) {
            std::filesystem::create_directories((base / name).parent_path());
            std::ofstream out(base / name, std::ios::binary);
            // Not a playable sound or movie: without devices nothing is decoded. "b.wmv" stays empty.
            if (std::string(name) != "movies/b.wmv")
                out << "RIFF";
        }
        const auto folder = [&](const char* name) { return Utf8ToWide((base / name).string()) + u"/"; };
        m_SystemConfig.m_Folders[GxSystemConfig::kFolderBgms] = folder("bgms");
        m_SystemConfig.m_Folders[GxSystemConfig::kFolderSoundsBgv] = folder("sounds/bgvs");
        m_SystemConfig.m_Folders[GxSystemConfig::kFolderSoundsSE] = folder("sounds/se");
        m_SystemConfig.m_Folders[GxSystemConfig::kFolderMovies] = folder("movies");
        GetDBAvgChar().GetRow(1)->m_VoicePath = folder("voices");
        GetDBBGMMode().GetRow(2)->m_FileName = u"a.wav";
        GetDBBGMMode().GetRow(2)->m_LoopPosTime = 1500;
    }

    TestTempDir m_Media{"tw_fuzzavg"};
    GxSystemConfig m_SystemConfig;
    GxUserData m_UserData;
    GxUserDataPerman m_Perman;
    GxTaskManage m_Manage{GxCore::GetInstance()};
    FuzzSystemLayer* m_System = nullptr;
    SeqAvgLog* m_Log = nullptr;
    GxTaskBase* m_Dialog = nullptr;
    GxMoaEx m_Moa;
    GxMoaWorker m_Worker{&m_Moa};
    GxMoaBuiltinDefault m_Defaults;
    GxMoaFunctionBinder m_Binder;
    AvgBuiltin m_Builtins{GxCore::GetInstance()};
    std::vector<std::u16string> m_Names;
};

Environment& Env()
{
    // Kept for the process (the core points into it); only its media folder is removed at exit.
    static Environment* environment = new Environment();
    static const struct Cleanup {
        ~Cleanup() { std::filesystem::remove_all(environment->m_Media.Path()); }
    } cleanup;
    return *environment;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 1u << 16)
        return 0;
    Environment& env = Env();
    env.m_UserData.Reset();
    // The back-log is entered afresh with the emptied log, as the play screen would open it.
    env.m_Log->OnSequenceEnter(1);
    Input in(data, size);
    while (!in.Empty()) {
        const std::uint8_t pick = in.Byte();
        const std::uint8_t shape = in.Byte();
        const std::size_t index = (pick & 0x3Fu) | ((shape & 0x10u) << 2);
        const std::u16string& name = env.m_Names[index % env.m_Names.size()];
        env.m_SystemConfig.m_DebugModeFlag = (pick & 0x40) != 0;
        const bool stopOnMissing = (shape & 0x20) != 0;
        env.m_SystemConfig.m_ErrorStopNotFound_BGM = stopOnMissing;
        env.m_SystemConfig.m_ErrorStopNotFound_BGV = stopOnMissing;
        env.m_SystemConfig.m_ErrorStopNotFound_SE = stopOnMissing;
        env.m_SystemConfig.m_ErrorStopNotFound_VO = stopOnMissing;
        env.m_SystemConfig.m_ErrorStopNotFound_BG = stopOnMissing;
        env.m_SystemConfig.m_ErrorStopNotFound_EV = stopOnMissing;
        GxCore::GetInstance()->RefreshConfig();
        if (pick & 0x80)
            env.m_Dialog->Resume();
        else
            env.m_Dialog->Suspend();

        GxMoaVariable args;
        const std::int32_t count = shape % kMaxArgs;
        env.m_UserData.m_IsReplayMode = (shape & 0x40) != 0;
        args.MakeArray(count);
        for (std::int32_t i = 0; i < count; ++i) {
            GxMoaVariable value = Value(in, 0);
            AvgParseHorizontalPosition(value, 1.0f, static_cast<float>(in.Byte()) * 8.0f);
            AvgParseVerticalPosition(value, 1.0f, static_cast<float>(in.Byte()) * 8.0f);
            args.SetElement(i, value);
        }
        const std::int32_t before = args.ArraySize();
        GxMoaVariable result;
        env.m_Binder.CallFunction(name, 0, args, &env.m_Worker, nullptr, &env.m_Worker.GetExecStack(), result);
        // Handlers only ever grow the caller's array.
        if (args.ArraySize() < before)
            std::abort();
        if (env.m_UserData.m_SelectMenuItemList.size() != 11)
            std::abort();

        if (env.m_UserData.m_MessageLog.size() < 12) {
            GxMessageLogElement entry;
            entry.m_Name = name;
            entry.m_Message = name;
            entry.m_VoiceFileName[pick & 3] = name;
            env.m_UserData.m_MessageLog.push_back(entry);
        }
        const GxVector2 point(1.0f, 1.0f);
        env.m_Log->OnMouseWheel(&point, ((shape >> 6) - 2) * 120, 0);
        const std::int32_t top = env.m_Log->GetTopRow();
        if (top < 0 || top > std::max(0, static_cast<std::int32_t>(env.m_UserData.m_MessageLog.size()) - 5))
            std::abort();
    }
    return 0;
}
