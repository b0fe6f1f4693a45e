// [Refused saved files] a "permanent.dat" or "userconf.dat" refused at load as damaged holds
// more than the live state read from it: the shut-down save keeps it as "<name>.damaged" before
// writing the new file, which then loads.
#include "save_fixture.h"

#include "core/core.h"
#include "data/user_config.h"
#include "data/user_data_perman.h"

#include <functional>

namespace data_test {
namespace {

class RefusedSavedFilesTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        m_Core.m_SaveFolder = Utf8ToWide(m_Temp.Path().string()) + u"/";
    }
    std::u16string PathOf(const std::string& name) const { return m_Core.m_SaveFolder + Utf8ToWide(name); }

    GxCore m_Core;
};

// The kind of file: how a run loads and saves it, and a type code in its middle to flip.
struct FileKind {
    const char* name;
    std::function<bool(GxCore&, const std::u16string&)> save;   // a rich state
    std::function<bool(GxCore&, const std::u16string&)> load;
    std::function<bool(GxCore&, const std::u16string&)> saveLoaded;   // a run: load, then the shut-down save
    std::function<std::size_t(const std::string&)> typeCodeInTheMiddle;
};

TEST_F(RefusedSavedFilesTest, AFlippedOrCutFileIsKeptBesideAndTheNewFileLoads)
{
    const std::vector<FileKind> kinds = {
        {"permanent.dat",
         [](GxCore&, const std::u16string& path) {
             GxUserDataPerman flags;
             for (int script = 0; script < 300; ++script)
                 flags.SetPermanentFlag(u"script" + Utf8ToWide(std::to_string(script)), script);
             return SavePermanentData(&flags, path, true);
         },
         [](GxCore&, const std::u16string& path) {
             GxUserDataPerman flags;
             return LoadPermanentData(&flags, path);
         },
         [](GxCore&, const std::u16string& path) {
             GxUserDataPerman flags;
             EXPECT_FALSE(LoadPermanentData(&flags, path));
             return SavePermanentData(&flags, path, true);
         },
         // The string type of a key past the middle.
         [](const std::string& bytes) { return bytes.find("script200") - 5; }},
        {"userconf.dat",
         [](GxCore& core, const std::u16string&) {
             GxUserConfig options;
             options.m_Volume_BGM = 33;
             return SaveUserConfig(&options, &core);
         },
         [](GxCore& core, const std::u16string&) {
             GxUserConfig options;
             return LoadUserConfig(&options, &core);
         },
         [](GxCore& core, const std::u16string&) {
             GxUserConfig options;
             EXPECT_FALSE(LoadUserConfig(&options, &core));
             return SaveUserConfig(&options, &core);
         },
         // "m_SoundEngineMode", after the header, five numbers and eleven flags.
         [](const std::string&) { return std::size_t{20 + 5 * 5 + 11 * 2}; }},
    };
    for (const FileKind& kind : kinds) {
        const std::u16string path = PathOf(kind.name);
        ASSERT_TRUE(kind.save(m_Core, path)) << kind.name;
        const std::string intact = ReadAll(m_Temp.Path() / kind.name);
        std::string flipped = intact;
        const std::size_t at = kind.typeCodeInTheMiddle(intact);
        ASSERT_LT(at, intact.size()) << kind.name;
        ASSERT_TRUE(intact[at] == VALTYPE_GxStringUTF8 || intact[at] == VALTYPE_GxS32) << kind.name;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x01);
        const std::pair<const char*, std::string> damages[] = {
            {"flipped", flipped},
            {"cut", intact.substr(0, intact.size() / 2)},
        };
        for (const auto& [damage, bytes] : damages) {
            m_Log.errors.clear();
            std::filesystem::remove(m_Temp.Path() / (std::string(kind.name) + ".damaged"));
            WriteBytes(kind.name, bytes);
            ASSERT_TRUE(kind.saveLoaded(m_Core, path)) << kind.name << " " << damage;
            const std::string kept = ReadAll(m_Temp.Path() / (std::string(kind.name) + ".damaged"));
            EXPECT_EQ(kept, bytes) << kind.name << " " << damage;
            EXPECT_TRUE(kind.load(m_Core, path)) << kind.name << " " << damage;
            // The load's line, then one naming both files.
            ASSERT_EQ(m_Log.errors.size(), 2u) << kind.name << " " << damage;
            EXPECT_NE(m_Log.errors[1].find(std::string(kind.name) + ".damaged]"), std::string::npos);
            EXPECT_NE(m_Log.errors[1].find(std::string(kind.name) + "]"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace data_test
