// Start-up refusals before anything is made: a working folder longer than 244 characters, an
// unreadable "system/sysconf.ini", and a second instance. Each shows its box and leaves no
// save folder and no log behind.
#include "tests/support/engine_fixture.h"

#include "core/exit_code.h"
#include "data/data_services.h"

namespace engine_test {
namespace {

constexpr char kPathTooLong[] =
    "Tarnwick|インストール先のパスが長すぎます。\nお手数ですがもっと階層の浅いフォルダにインストールしてみてください。\n"
    "(インストール可能なパス最大長は245文字です)";
constexpr char kSysConfUnreadable[] =
    "Tarnwick|システム設定ファイルの読み込みに失敗しました。考えられる原因は以下の通りです。\n"
    "・ウイルス対策ソフトによって動作がブロックされている。\n・インストールが正しく行われていない。\n"
    "・実行ファイルの作業ディレクトリが正しく無い。";

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        platform::SetWindowLockFolder((m_Temp.Path() / "locks").string());
        platform::ResetUserStateForTesting();
        platform::ClearShownMessageBoxes();
        InstallDataServices();   // the configuration is read through them
    }
    void TearDown() override
    {
        SetDataServices(nullptr);
        platform::ResetUserStateForTesting();
    }

    // A folder under the temporary one whose absolute path has exactly `length` characters.
    fs::path FolderOfLength(std::size_t length)
    {
        fs::path folder = m_Temp.Path();
        std::size_t remaining = length - folder.string().size();
        while (remaining > 0) {
            const std::size_t part = std::min<std::size_t>(100, remaining - 1);
            folder /= std::string(part, 'd');
            remaining -= part + 1;
        }
        fs::create_directories(folder);
        EXPECT_EQ(folder.string().size(), length);
        return folder;
    }

    bool AnyLogOrSaveFolder() const
    {
        for (const auto& entry : fs::recursive_directory_iterator(m_Temp.Path())) {
            const std::string name = entry.path().filename().string();
            if (name == "debug.log" || name == "error.log" || name == "device.log" || name == "ENGINE_SAVE")
                return true;
        }
        return false;
    }

    TempFolder m_Temp;
    GxCore m_Core;
};

TEST_F(StartupTest, AWorkingFolderLongerThan244CharactersIsRefused)
{
    {
        ScopedWorkingFolder inFolder(FolderOfLength(245));
        EXPECT_FALSE(m_Core.Initialize(GetModuleHandleW(nullptr)));
    }
    EXPECT_EQ(ShownBoxes(), (std::vector<std::string>{kPathTooLong}));
    EXPECT_EQ(m_Core.m_ExitCode, kExitPathTooLong);
    EXPECT_EQ(m_Core.m_FailureText.rfind("the game folder's path is longer than 244 characters: /", 0), 0u)
        << m_Core.m_FailureText;

    // 244 characters pass; this folder then lacks its configuration.
    platform::ClearShownMessageBoxes();
    {
        ScopedWorkingFolder inFolder(FolderOfLength(244));
        EXPECT_FALSE(m_Core.Initialize(GetModuleHandleW(nullptr)));
    }
    EXPECT_EQ(ShownBoxes(), (std::vector<std::string>{kSysConfUnreadable}));
    EXPECT_FALSE(AnyLogOrSaveFolder());
}

TEST_F(StartupTest, ASecondInstanceIsRefusedBeforeItMakesAnything)
{
    const fs::path game = m_Temp.Path() / "game";
    MakeGameFolder(game, GameFolder{});
    // The first instance's main window: its class is the application title.
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = u"Engine Test";
    ASSERT_NE(RegisterClassExW(&windowClass), 0);
    ASSERT_NE(CreateWindowExW(0, u"Engine Test", u"Engine Test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
    {
        ScopedWorkingFolder inGame(game);
        EXPECT_FALSE(m_Core.Initialize(GetModuleHandleW(nullptr)));
    }
    EXPECT_EQ(ShownBoxes(), (std::vector<std::string>{"Engine Test|既に起動中です"}));
    EXPECT_EQ(m_Core.m_ExitCode, kExitAlreadyRunning);
    EXPECT_EQ(m_Core.m_FailureText, "\"Engine Test\" is already running (another instance has its window open)");
    EXPECT_FALSE(AnyLogOrSaveFolder());
    EXPECT_EQ(m_Core.m_TaskManage, nullptr);
    EXPECT_EQ(m_Core.m_MainWindow, nullptr);
}

}  // namespace
}  // namespace engine_test
