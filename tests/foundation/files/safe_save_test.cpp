// [SafeSave] replacing a file whole: what a folder sync failing after the rename reports, the
// copy kept of a file its loader refused, and the temporaries that killed saves leave behind.
#include "files_fixture.h"

#include "foundation/safe_save.h"
#include "foundation/wide_string.h"
#include "platform/win32/file.h"

#include <fstream>
#include <iterator>

namespace {

class SafeSaveTest : public FilesTest {
protected:
    void TearDown() override
    {
        platform::SetFolderSyncFailsForTesting(false);
        FilesTest::TearDown();
    }
    std::u16string PathOf(const std::string& name) const { return Utf8ToWide((m_Folder / name).string()); }
    std::string Read(const std::string& name) const
    {
        std::ifstream in(m_Folder / name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    bool Save(const std::string& name, const std::string& bytes)
    {
        return SaveFileReplacing(PathOf(name), [&bytes](std::FILE* stream) {
            return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
        });
    }
};

TEST_F(SafeSaveTest, AFolderSyncFailingAfterTheRenameSaysTheNewFileIsInPlace)
{
    WriteFile("save.dat", "old");
    platform::SetFolderSyncFailsForTesting(true);
    EXPECT_TRUE(Save("save.dat", "new"));
    EXPECT_EQ(Read("save.dat"), "new");
    EXPECT_FALSE(std::filesystem::exists(m_Folder / "save.dat.tmp"));
    ASSERT_EQ(m_Log.lines.size(), 1u);
    EXPECT_TRUE(m_Log.Contains(u"SaveFile: the new file is in place, but its folder could not be synced"));
    EXPECT_FALSE(m_Log.Contains(u"the earlier file is kept"));
}

TEST_F(SafeSaveTest, TheFirstSaveOverARefusedFileKeepsItBesideOnce)
{
    const std::string damaged("BPD\0refused \x01\x02 bytes", 21);
    WriteFile("flags.dat", damaged);
    KeepRefusedFileAtNextSave(PathOf("flags.dat"));
    ASSERT_TRUE(Save("flags.dat", "partial"));
    EXPECT_EQ(Read("flags.dat.damaged"), damaged);
    EXPECT_EQ(Read("flags.dat"), "partial");
    EXPECT_FALSE(std::filesystem::exists(m_Folder / "flags.dat.damaged.tmp"));
    ASSERT_EQ(m_Log.lines.size(), 1u);
    EXPECT_TRUE(m_Log.Contains(PathOf("flags.dat.damaged")));
    EXPECT_TRUE(m_Log.Contains(PathOf("flags.dat]")));

    // Later saves replace only the file itself.
    ASSERT_TRUE(Save("flags.dat", "later"));
    EXPECT_EQ(Read("flags.dat.damaged"), damaged);
    EXPECT_EQ(m_Log.lines.size(), 1u);
}

TEST_F(SafeSaveTest, ARefusedFileThatCannotBeKeptIsNotReplaced)
{
    WriteFile("flags.dat", "refused");
    // A folder where the kept copy would go: it cannot be replaced by a file.
    std::filesystem::create_directory(m_Folder / "flags.dat.damaged");
    KeepRefusedFileAtNextSave(PathOf("flags.dat"));
    EXPECT_FALSE(Save("flags.dat", "partial"));
    EXPECT_EQ(Read("flags.dat"), "refused");
    EXPECT_FALSE(std::filesystem::exists(m_Folder / "flags.dat.tmp"));
    EXPECT_TRUE(m_Log.Contains(u"could not be kept"));

    // Once the copy can be made, the next save makes it.
    std::filesystem::remove(m_Folder / "flags.dat.damaged");
    ASSERT_TRUE(Save("flags.dat", "partial"));
    EXPECT_EQ(Read("flags.dat.damaged"), "refused");
}

TEST_F(SafeSaveTest, StaleTemporariesAreRemovedAndNothingElse)
{
    WriteFile("permanent.dat", "kept");
    WriteFile("permanent.dat.tmp", "killed");
    WriteFile("gamedata001.gd.tmp", "killed");
    WriteFile("notes.tmpl", "kept");
    std::filesystem::create_directory(m_Folder / "folder.tmp");
    RemoveStaleSaveTemporaries(Utf8ToWide(m_Folder.string()) + u"/");
    EXPECT_FALSE(std::filesystem::exists(m_Folder / "permanent.dat.tmp"));
    EXPECT_FALSE(std::filesystem::exists(m_Folder / "gamedata001.gd.tmp"));
    EXPECT_EQ(Read("permanent.dat"), "kept");
    EXPECT_TRUE(std::filesystem::exists(m_Folder / "notes.tmpl"));
    EXPECT_TRUE(std::filesystem::is_directory(m_Folder / "folder.tmp"));
    // A missing folder is no fault.
    RemoveStaleSaveTemporaries(Utf8ToWide((m_Folder / "missing").string()) + u"/");
}

}  // namespace
