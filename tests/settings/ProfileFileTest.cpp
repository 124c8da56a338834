// The settings file's reading and writing rules, and a save that can never leave a broken file.

#include "settings/ProfileFile.h"

#include "base/FormatSettings.h"
#include "support/TempFolder.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Settings::TProfileFile;

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteWhole(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A profile loaded from `text`.
TProfileFile Loaded(const TestSupport::TTempFolder& folder, const std::string& text) {
    WriteWhole(folder.File("moistrel.ini"), text);
    TProfileFile file(folder.File("moistrel.ini"));
    std::string error;
    EXPECT_TRUE(file.Load(error)) << error;
    return file;
}

TEST(ProfileFile, ReadingRules) {
    const TestSupport::TTempFolder folder("moistrel-ini");
    const std::string long2100(2100, 'x');
    const TProfileFile file = Loaded(folder, "; a comment\r\n"
                                             "[Syringe]\r\n"
                                             " Steps=24000\r\n"
                                             "  MAXSPEED  =  48000  \r\n"
                                             "[ graph ]\n"
                                             "Points=\"350\"\n"
                                             "Name = \"  blanks kept inside  \"\n"
                                             "Long=" +
                                                 long2100 +
                                                 "\n"
                                                 "Hex=0x1F\n"
                                                 "AllBits=0xFFFFFFFF\n"
                                                 "Words=12 apples\n"
                                                 "Empty=\n"
                                                 "Huge=99999999999\n"
                                                 "[Logging]\n"
                                                 "Type[Off|File|Live]=Live\n");
    const struct {
        const char* Section;
        const char* Key;
        std::string Value; // "<none>" for a missing key
    } strings[] = {
        {"Syringe", "Steps", "24000"},    // " Steps" is the key "Steps"
        {"syringe", " steps ", "24000"},  // names without case and end blanks
        {"Syringe", "MaxSpeed", "48000"}, // value without its blanks
        {"Graph", "Points", "350"},       // quotes removed
        {"Graph", "Name", "  blanks kept inside  "},
        {"Graph", "Long", std::string(2047, 'x')}, // at most 2047 characters
        {"Logging", "Type[Off|File|Live]", "Live"},
        {"Logging", "Type", "<none>"},
        {"Missing", "Steps", "<none>"},
        {"Graph", "Steps", "<none>"}, // keys belong to their section
    };
    for (const auto& c : strings) {
        EXPECT_EQ(file.ReadString(c.Section, c.Key, "<none>"), c.Value) << c.Section << "/" << c.Key;
    }
    const struct {
        const char* Key;
        std::int32_t Value;
    } integers[] = {
        {"Points", 350}, {"Hex", 31}, {"AllBits", -1}, {"Words", 7},
        {"Empty", 7},    {"Huge", 7}, {"Nothing", 7},
    };
    for (const auto& c : integers) {
        EXPECT_EQ(file.ReadInteger("Graph", c.Key, 7), c.Value) << c.Key;
    }
}

TEST(ProfileFile, RealsUseTheLocaleSeparatorBothWays) {
    const struct {
        const char* Separator;
        const char* Text;
        double Value; // -1: the default
    } cases[] = {
        {".", "75", 75.0},   {".", "37.5", 37.5},   {".", "1E-6", 1e-6}, {".", "-12.25", -12.25},
        {".", "37,5", -1.0}, {".", "", -1.0},       {".", "abc", -1.0},  {",", "37,5", 37.5},
        {",", "37.5", -1.0}, {",", "1500", 1500.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Settings::ParseProfileFloat(c.Text, c.Separator).value_or(-1.0), c.Value)
            << "'" << c.Text << "' with " << c.Separator;
    }

    const TestSupport::TTempFolder folder("moistrel-ini");
    const Base::TScopedFormatSettings comma({",", ":"});
    TProfileFile file(folder.File("moistrel.ini"));
    file.WriteFloat("Custom flow conditions", "TemperatureC", 37.5);
    file.WriteFloat("Custom flow conditions", "PressuremBar", 1013.25);
    EXPECT_EQ(file.Text(), "[Custom flow conditions]\nTemperatureC=37,5\nPressuremBar=1013,25\n");
    EXPECT_EQ(file.ReadFloat("Custom flow conditions", "TemperatureC", 0.0), 37.5);
}

TEST(ProfileFile, WritesReplaceInPlaceAddKeysAtTheSectionEndAndSectionsAtTheFileEnd) {
    const TestSupport::TTempFolder folder("moistrel-ini");
    TProfileFile file = Loaded(folder, "[Syringe]\n"
                                       "Steps=3000\n"
                                       "\n"
                                       "[Graph]\n"
                                       "Points=700\n");
    file.WriteInteger("Syringe", " Steps", 24000);    // replaced where it stands, as written
    file.WriteInteger("syringe", " MaxSpeed", 48000); // new key at the end of its section
    file.WriteInteger("Graph", " Points", 350);
    file.WriteString("History", "OldGasA", "Air"); // new section at the end of the file
    file.WriteString("History", "OldGasB", "Ar");
    EXPECT_EQ(file.Text(), "[Syringe]\n"
                           " Steps=24000\n"
                           " MaxSpeed=48000\n"
                           "\n"
                           "[Graph]\n"
                           " Points=350\n"
                           "[History]\n"
                           "OldGasA=Air\n"
                           "OldGasB=Ar\n");
    EXPECT_EQ(file.ReadInteger("Syringe", "Steps", 0), 24000);
    EXPECT_EQ(file.ReadInteger("Graph", "Points", 0), 350);
}

TEST(ProfileFile, FirstSaveCreatesTheFileAndLaterSavesReplaceIt) {
    const TestSupport::TTempFolder folder("moistrel-ini");
    const std::string path = folder.File("moistrel.ini");
    TProfileFile file(path);
    std::string error;
    ASSERT_TRUE(file.Load(error)) << "a missing file reads as an empty one";
    EXPECT_EQ(file.ReadInteger("Graph", "Points", 700), 700);
    file.WriteString("Fluid", "Mixture name", "Ethanol–water µ 40 ºC");
    ASSERT_TRUE(file.Save(error)) << error;
    EXPECT_EQ(ReadWhole(path), "[Fluid]\nMixture name=Ethanol–water µ 40 ºC\n");

    TProfileFile again(path);
    ASSERT_TRUE(again.Load(error)) << error;
    EXPECT_EQ(again.ReadString("Fluid", "Mixture name", ""), "Ethanol–water µ 40 ºC");
    again.WriteInteger("Fluid", "Max PPM", 500);
    ASSERT_TRUE(again.Save(error)) << error;
    EXPECT_EQ(ReadWhole(path), "[Fluid]\nMixture name=Ethanol–water µ 40 ºC\nMax PPM=500\n");
    EXPECT_EQ(folder.Entries().size(), 1U) << "no temporary file stays behind";
}

TEST(ProfileFile, FailedSaveLeavesTheOldFileWholeAndSaysWhere) {
    const TestSupport::TTempFolder folder("moistrel-ini");
    const std::string path = folder.File("moistrel.ini");
    const std::string old = "[Graph]\nPoints=700\n";
    WriteWhole(path, old);
    TProfileFile file(path);
    std::string error;
    ASSERT_TRUE(file.Load(error));
    for (int i = 0; i < 200; ++i) {
        file.WriteString("Padding", "Key" + std::to_string(i), std::string(40, 'p'));
    }

    // The disk fills up half-way through the write: the process may not write files above 1 KiB.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved_ok = file.Save(error);
    ::setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(error, "Unable to write to " + path);
    EXPECT_EQ(ReadWhole(path), old);
    EXPECT_EQ(folder.Entries().size(), 1U) << "the half-written temporary file is removed";
}

TEST(ProfileFile, SaveIntoAFolderThatCannotTakeTheFileFails) {
    const TestSupport::TTempFolder folder("moistrel-ini");
    std::string error;
    const TProfileFile missingFolder(folder.File("gone/moistrel.ini"));
    EXPECT_FALSE(missingFolder.Save(error));
    EXPECT_EQ(error, "Unable to write to " + folder.File("gone/moistrel.ini"));

    // A folder that takes no new files. Permissions do not stop root, so there the folder is made
    // immutable instead (and writable again before the temporary folder goes).
    const std::string readOnly = folder.File("read-only");
    ASSERT_EQ(::mkdir(readOnly.c_str(), 0555), 0);
    const int fd = ::open(readOnly.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    const bool immutable = ::geteuid() == 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                           ::ioctl(fd, FS_IOC_SETFLAGS, &(flags = flags | FS_IMMUTABLE_FL)) == 0;
    if (::geteuid() == 0 && !immutable) {
        ::close(fd);
        GTEST_SKIP() << "this file system cannot make a folder read-only for root";
    }
    const TProfileFile file(readOnly + "/moistrel.ini");
    const bool saved = file.Save(error);
    if (immutable) {
        flags &= ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    ::close(fd);
    EXPECT_FALSE(saved);
    EXPECT_EQ(error, "Unable to write to " + readOnly + "/moistrel.ini");
}

} // namespace
