// The settings file's reading and writing rules, and a save that can never leave a broken file.

#include "settings/ProfileFile.h"

#include "base/FileReplace.h"
#include "base/FormatSettings.h"
#include "support/SyscallGate.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <optional>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>
#include <vector>

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
                                             "\tTabbed\t=\t tabs around \t\n"
                                             "NoText=\"\"\n"
                                             "Long=" +
                                                 long2100 +
                                                 "\n"
                                                 "Hex=0x1F\n"
                                                 "HexCapital=0X1F\n"
                                                 "Signs=+-5\n"
                                                 "Plus=+5\n"
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
        {"Graph", "Tabbed", "tabs around"}, // a tab is a blank around names and values
        {"Graph", "NoText", ""},            // an empty pair of quotes is no text
        {"Graph", "\tname\t", "  blanks kept inside  "},
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
        {"Points", 350}, {"Hex", 31}, {"HexCapital", 31}, {"AllBits", -1}, {"Words", 7},
        {"Empty", 7},    {"Huge", 7}, {"Nothing", 7},     {"Signs", 7},    {"Plus", 5},
    };
    for (const auto& c : integers) {
        EXPECT_EQ(file.ReadInteger("Graph", c.Key, 7), c.Value) << c.Key;
    }
}

TEST(ProfileFile, RealsReadInEitherSeparatorWhenTheTextIsUnambiguous) {
    const struct {
        const char* Text;
        std::optional<double> Value; // none: unreadable
    } cases[] = {
        {"75", 75.0},
        {"37.5", 37.5},
        {"37,5", 37.5}, // written under a comma locale
        {"1E-6", 1e-6},
        {"1,5e3", 1500.0},
        {"-12.25", -12.25},
        {"-12,25", -12.25},
        {"+5", 5.0},
        {".5", 0.5},
        {" \t7.25\t ", 7.25},
        {"1.7976931348623157e308", 1.7976931348623157e308},
        {"1,234.5", std::nullopt}, // thousands grouping in one locale or the other
        {"1.234,5", std::nullopt},
        {"1.234.567", std::nullopt},
        {"1 000", std::nullopt},
        {"+-5", std::nullopt},
        {"-+5", std::nullopt},
        {"--5", std::nullopt},
        {"nan", std::nullopt},
        {"NaN", std::nullopt},
        {"-nan", std::nullopt},
        {"inf", std::nullopt},
        {"-inf", std::nullopt},
        {"infinity", std::nullopt},
        {"0x1p3", std::nullopt},
        {"1.79769313486232E308", std::nullopt}, // the largest real at 15 digits is out of range
        {"1e999", std::nullopt},
        {"", std::nullopt},
        {".", std::nullopt},
        {"-", std::nullopt},
        {"abc", std::nullopt},
        {"12 apples", std::nullopt},
        {"1e", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Settings::ParseProfileFloat(c.Text), c.Value) << "'" << c.Text << "'";
    }
}

// A file written under one locale and read under the other gives the same reals.
TEST(ProfileFile, AFileFromTheOtherLocaleReadsTheSame) {
    const Base::TFormatSettings point{".", ":"};
    const Base::TFormatSettings comma{",", ":"};
    const struct {
        const char* Name;
        Base::TFormatSettings Writer;
        Base::TFormatSettings Reader;
        const char* Written; // the file's text
    } cases[] = {
        {"comma file read under a point locale", comma, point,
         "[Custom flow conditions]\nTemperatureC=37,5\nPressuremBar=1013,25\nDensity=0,9352\n"},
        {"point file read under a comma locale", point, comma,
         "[Custom flow conditions]\nTemperatureC=37.5\nPressuremBar=1013.25\nDensity=0.9352\n"},
    };
    for (const auto& c : cases) {
        const TestSupport::TTempFolder folder("moistrel-ini");
        {
            const Base::TScopedFormatSettings writer(c.Writer);
            TProfileFile file(folder.File("moistrel.ini"));
            file.WriteFloat("Custom flow conditions", "TemperatureC", 37.5);
            file.WriteFloat("Custom flow conditions", "PressuremBar", 1013.25);
            file.WriteFloat("Custom flow conditions", "Density", 0.9352);
            std::string error;
            ASSERT_TRUE(file.Save(error)) << error;
        }
        EXPECT_EQ(ReadWhole(folder.File("moistrel.ini")), c.Written) << c.Name;
        const Base::TScopedFormatSettings reader(c.Reader);
        TProfileFile file(folder.File("moistrel.ini"));
        std::string error;
        ASSERT_TRUE(file.Load(error)) << error;
        EXPECT_EQ(file.ReadFloat("Custom flow conditions", "TemperatureC", 0.0), 37.5) << c.Name;
        EXPECT_EQ(file.ReadFloat("Custom flow conditions", "PressuremBar", 0.0), 1013.25) << c.Name;
        EXPECT_EQ(file.ReadFloat("Custom flow conditions", "Density", 0.0), 0.9352) << c.Name;
    }
}

// Files as editors and people leave them: each reads as meant, and the next save keeps one copy of
// every section and key.
TEST(ProfileFile, HandEditedFilesReadAsMeant) {
    const struct {
        const char* Name;
        std::string Text;
        const char* Section;
        const char* Key;
        const char* Value;
        const char* TextAfterAWrite; // after writing Syringe/" Steps"=24000
    } cases[] = {
        {"byte order mark", "\xEF\xBB\xBF[Syringe]\r\nSteps=3000\r\n", "Syringe", "Steps", "3000",
         "[Syringe]\n Steps=24000\n"},
        {"two byte order marks", "\xEF\xBB\xBF\xEF\xBB\xBF[Syringe]\nSteps=3000\n", "Syringe", "Steps",
         "3000", "[Syringe]\n Steps=24000\n"},
        {"a CR inside a value", "[Syringe]\nSteps=3000\nName=a\rb\n", "Syringe", "Name", "a b",
         "[Syringe]\n Steps=24000\nName=a\rb\n"},
        {"byte order mark before a comment", "\xEF\xBB\xBF; mine\n[Syringe]\nSteps=3000\n", "Syringe",
         "Steps", "3000", "; mine\n[Syringe]\n Steps=24000\n"},
        {"CR CR LF line ends", "[Syringe]\r\r\nSteps=3000\r\r\nMaxSpeed=9\r\r\n", "Syringe", "MaxSpeed", "9",
         "[Syringe]\n Steps=24000\nMaxSpeed=9\n"},
        {"tabs around names", "[\tSyringe\t]\n\tSteps\t=\t3000\t\n", "Syringe", "Steps", "3000",
         "[\tSyringe\t]\n Steps=24000\n"},
        {"no line end at the end", "[Syringe]\nSteps=3000", "Syringe", "Steps", "3000",
         "[Syringe]\n Steps=24000\n"},
    };
    const TestSupport::TTempFolder folder("moistrel-ini");
    for (const auto& c : cases) {
        TProfileFile file = Loaded(folder, c.Text);
        EXPECT_EQ(file.ReadString(c.Section, c.Key, "<none>"), c.Value) << c.Name;
        file.WriteInteger("Syringe", " Steps", 24000);
        EXPECT_EQ(file.Text(), c.TextAfterAWrite) << c.Name;
        // What was written reads back the same after a save and a load, and again after another.
        std::string error;
        ASSERT_TRUE(file.Save(error)) << error;
        ASSERT_TRUE(file.Load(error)) << error;
        ASSERT_TRUE(file.Save(error)) << error;
        EXPECT_EQ(ReadWhole(folder.File("moistrel.ini")), c.TextAfterAWrite) << c.Name;
    }
}

// Parsing the text is what loading does once it has the bytes.
TEST(ProfileFile, ParseTakesTextAsTheFile) {
    TProfileFile file("unused.ini");
    file.Parse("\xEF\xBB\xBF[Fluid]\r\nMax PPM=500\r\n");
    EXPECT_EQ(file.ReadInteger("Fluid", "Max PPM", 0), 500);
    EXPECT_EQ(file.Text(), "[Fluid]\nMax PPM=500\n");
    file.Parse("");
    EXPECT_EQ(file.Text(), "");
}

// Parsing what the copy gives as its text gives the same text: nothing is lost or added per save.
TEST(ProfileFile, TheTextOfAParsedFileParsesToTheSameText) {
    const std::string inputs[] = {
        "",
        "\n",
        "x",
        "\xEF\xBB\xBF",
        "\xEF\xBB\xBF\xEF\xBB\xBF\xEF\xBB\xBF"
        "a=1",
        "\r\r\n\r\n\n",
        "[S]\r\r\r\nk=v\r\r\n",
        "a=1\rb=2\n",
        "\xEF\xBB\xBF\r\n\xEF\xBB\xBF[S]\n",
        "[S]\nk=\"\" \"\"\n\n\n",
    };
    for (const std::string& input : inputs) {
        TProfileFile once("unused.ini");
        once.Parse(input);
        TProfileFile twice("unused.ini");
        twice.Parse(once.Text());
        EXPECT_EQ(twice.Text(), once.Text()) << testing::PrintToString(input);
    }
}

// A value is written so that it reads back as it was: on one line, its end blanks and quotes kept.
TEST(ProfileFile, ValuesReadBackAsWritten) {
    const struct {
        std::string Value;
        std::string Read; // after a save and a load
        const char* Line; // as the file holds it
    } cases[] = {
        {"Water pure", "Water pure", "Name=Water pure"},
        {"", "", "Name="},
        {" ", " ", "Name=\" \""},
        {"  leading", "  leading", "Name=\"  leading\""},
        {"trailing\t", "trailing\t", "Name=\"trailing\t\""},
        {"\"quoted\"", "\"quoted\"", "Name=\"\"quoted\"\""},
        {"\" \"", "\" \"", "Name=\"\" \"\""},
        {"\"", "\"", "Name=\""},
        {"say \"hi\" there", "say \"hi\" there", "Name=say \"hi\" there"},
        // A line break would start a line of its own: a section, a key. Each becomes a blank.
        {"x\n[COM ports]\nPump=/dev/other", "x [COM ports] Pump=/dev/other",
         "Name=x [COM ports] Pump=/dev/other"},
        {"a\r\nb\rc", "a  b c", "Name=a  b c"},
        {"end\n", "end ", "Name=\"end \""},
    };
    const TestSupport::TTempFolder folder("moistrel-ini");
    for (const auto& c : cases) {
        TProfileFile file(folder.File("moistrel.ini"));
        file.WriteString("Fluid", "Name", c.Value);
        file.WriteString("Fluid", "After", "kept");
        std::string error;
        ASSERT_TRUE(file.Save(error)) << error;
        EXPECT_EQ(ReadWhole(folder.File("moistrel.ini")),
                  "[Fluid]\n" + std::string(c.Line) + "\nAfter=kept\n");
        TProfileFile again(folder.File("moistrel.ini"));
        ASSERT_TRUE(again.Load(error)) << error;
        EXPECT_EQ(again.ReadString("Fluid", "Name", "<none>"), c.Read) << "'" << c.Value << "'";
        EXPECT_EQ(again.ReadString("Fluid", "After", "<none>"), "kept");
        EXPECT_EQ(again.ReadString("COM ports", "Pump", "<none>"), "<none>") << "'" << c.Value << "'";
    }
}

TEST(ProfileFile, ALoadThatCannotReadSaysWhy) {
    const TestSupport::TTempFolder folder("moistrel-ini");
    const struct {
        const char* Name;
        std::function<std::string()> Make; // gives the settings file's path
        const char* Reason;
    } cases[] = {
        {"a folder in its place",
         [&] {
             std::filesystem::create_directory(folder.File("folder.ini"));
             return folder.File("folder.ini");
         },
         "not a regular file"},
        {"a named pipe in its place",
         [&] {
             ::mkfifo(folder.File("pipe.ini").c_str(), 0600);
             return folder.File("pipe.ini");
         },
         "not a regular file"},
        {"larger than a settings file can be",
         [&] {
             WriteWhole(folder.File("large.ini"), std::string(2 * 1024 * 1024, ';'));
             return folder.File("large.ini");
         },
         "larger than 1 MiB"},
    };
    for (const auto& c : cases) {
        const std::string path = c.Make();
        TProfileFile file(path);
        file.WriteString("Left", "Over", "x");
        std::string error;
        EXPECT_FALSE(file.Load(error)) << c.Name;
        EXPECT_EQ(error, "Unable to read " + path + " (" + c.Reason + ")") << c.Name;
        EXPECT_TRUE(file.Text().empty()) << c.Name << ": the copy is left empty";
    }
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

// The replacement writes through symbolic links: the link stays, its final target gets the text.
TEST(ProfileFile, SaveWritesThroughASymbolicLinkToItsTarget) {
    namespace fs = std::filesystem;
    const struct {
        const char* Name;
        std::vector<std::pair<std::string, std::string>> Links; // link name, what it points to
        const char* Target;                                     // the file that gets the text, in the folder
        bool TargetExists;
    } cases[] = {
        {"relative link", {{"moistrel.ini", "keep/real.ini"}}, "keep/real.ini", true},
        {"absolute link", {{"moistrel.ini", "<folder>/keep/real.ini"}}, "keep/real.ini", true},
        {"link to a link",
         {{"moistrel.ini", "keep/hop.ini"}, {"keep/hop.ini", "real.ini"}},
         "keep/real.ini",
         true},
        {"link to a file not made yet", {{"moistrel.ini", "keep/new.ini"}}, "keep/new.ini", false},
    };
    for (const auto& c : cases) {
        const TestSupport::TTempFolder folder("moistrel-ini");
        fs::create_directory(folder.File("keep"));
        const std::string target = folder.File(c.Target);
        if (c.TargetExists) {
            WriteWhole(target, "[Graph]\nPoints=700\n");
            ::chmod(target.c_str(), 0640);
        }
        for (const auto& [name, to] : c.Links) {
            std::string pointsTo = to;
            if (pointsTo.rfind("<folder>", 0) == 0) {
                pointsTo = folder.Path() + pointsTo.substr(8);
            }
            fs::create_symlink(pointsTo, folder.File(name));
        }
        const std::string link = folder.File("moistrel.ini");
        EXPECT_EQ(Base::ReplacementTarget(link), fs::path(target).lexically_normal().string()) << c.Name;
        TProfileFile file(link);
        std::string error;
        ASSERT_TRUE(file.Load(error)) << error;
        file.WriteInteger("Graph", "Points", 350);
        ASSERT_TRUE(file.Save(error)) << c.Name << ": " << error;

        EXPECT_TRUE(fs::is_symlink(link)) << c.Name << ": the link stays a link";
        EXPECT_EQ(ReadWhole(target), "[Graph]\nPoints=350\n") << c.Name;
        EXPECT_EQ(fs::status(target).permissions() & fs::perms::mask,
                  c.TargetExists ? fs::perms(0640) : fs::perms(0644))
            << c.Name << ": the target keeps its permissions";
        std::size_t inKeep = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.File("keep"))) {
            ++inKeep;
        }
        EXPECT_EQ(inKeep, c.Links.size()) << c.Name << ": the target and the links in it, no temporary file";
    }
}

// A read-only file is refused, whoever the program runs as: its mode says so, not only the
// kernel's refusal (which root never gets).
TEST(ProfileFile, SaveRefusesAReadOnlyFile) {
    const struct {
        const char* Name;
        mode_t Mode;
        bool ThroughALink;
    } cases[] = {
        {"read-only for everyone", 0444, false},
        {"no permission at all", 0000, false},
        {"read-only target of a link", 0444, true},
    };
    for (const auto& c : cases) {
        const TestSupport::TTempFolder folder("moistrel-ini");
        const std::string real = folder.File("real.ini");
        const std::string path = c.ThroughALink ? folder.File("moistrel.ini") : real;
        const std::string old = "[Graph]\nPoints=700\n";
        WriteWhole(real, old);
        if (c.ThroughALink) {
            std::filesystem::create_symlink("real.ini", path);
        }
        TProfileFile file(path);
        file.WriteInteger("Graph", "Points", 350);
        ASSERT_EQ(::chmod(real.c_str(), c.Mode), 0);
        std::string error;
        EXPECT_FALSE(file.Save(error)) << c.Name;
        EXPECT_EQ(error, "Unable to write to " + path) << c.Name;
        ::chmod(real.c_str(), 0644);
        EXPECT_EQ(ReadWhole(real), old) << c.Name;
        EXPECT_EQ(folder.Entries().size(), c.ThroughALink ? 2U : 1U) << c.Name << ": no temporary file stays";
    }
}

// A save that died before its rename leaves its temporary file; the next start removes exactly
// those, beside the file itself (the link's target).
TEST(ProfileFile, StaleTemporaryFilesOfOurOwnPatternAreRemoved) {
    namespace fs = std::filesystem;
    const TestSupport::TTempFolder folder("moistrel-ini");
    fs::create_directory(folder.File("keep"));
    WriteWhole(folder.File("keep/real.ini"), "[Graph]\nPoints=700\n");
    fs::create_symlink("keep/real.ini", folder.File("moistrel.ini"));
    const struct {
        const char* Name;
        bool Removed;
    } entries[] = {
        {"keep/real.ini.replacing-Ab12Cd", true},   // a save that died
        {"keep/real.ini.replacing-000000", true},   // another one
        {"keep/real.ini.replacing-Ab12C", false},   // not the pattern: five characters
        {"keep/real.ini.replacing-Ab12Cd7", false}, // seven
        {"keep/real.ini.replacing-Ab-2Cd", false},  {"keep/real.ini.backup", false},
        {"keep/other.ini.replacing-Ab12Cd", false}, // another file's
        {"moistrel.ini.replacing-Ab12Cd", false},   // beside the link, not beside the file
    };
    for (const auto& entry : entries) {
        WriteWhole(folder.File(entry.Name), "half a save");
    }
    // A folder of that name is no temporary file of ours.
    fs::create_directory(folder.File("keep/real.ini.replacing-Folder"));

    std::vector<std::string> expected;
    for (const auto& entry : entries) {
        if (entry.Removed) {
            expected.push_back(folder.File(entry.Name));
        }
    }
    std::vector<std::string> removed = Base::RemoveStaleReplacements(folder.File("moistrel.ini"));
    std::sort(removed.begin(), removed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(removed, expected);
    for (const auto& entry : entries) {
        EXPECT_EQ(fs::exists(folder.File(entry.Name)), !entry.Removed) << entry.Name;
    }
    EXPECT_TRUE(fs::is_directory(folder.File("keep/real.ini.replacing-Folder")));
    EXPECT_EQ(ReadWhole(folder.File("keep/real.ini")), "[Graph]\nPoints=700\n");
    EXPECT_TRUE(Base::RemoveStaleReplacements(folder.File("moistrel.ini")).empty())
        << "nothing left to remove";
}

// The rename reaches the disk only with its folder: after the file holds the new text, the save
// still flushes (the folder).
TEST(ProfileFile, SaveFlushesTheFolderAfterTheRename) {
    const TestSupport::TTempFolder folder("moistrel-ini");
    const std::string path = folder.File("moistrel.ini");
    WriteWhole(path, "[Graph]\nPoints=700\n");
    int flushesBeforeRename = 0;
    int flushesAfterRename = 0;
    bool saved = false;
    std::string error;
    const bool gated = TestSupport::RunWithSyscallGate(
        {{SYS_fsync, std::nullopt}, {SYS_fdatasync, std::nullopt}, {SYS_syncfs, std::nullopt}},
        [&] {
            TProfileFile file(path);
            std::string saveError;
            file.Parse("[Graph]\nPoints=350\n");
            saved = file.Save(saveError);
        },
        [&](int) {
            // The call waits while this looks: the file's text tells whether the rename has been.
            (ReadWhole(path) == "[Graph]\nPoints=350\n" ? flushesAfterRename : flushesBeforeRename)++;
        },
        error);
    if (!gated) {
        GTEST_SKIP() << "cannot watch system calls here: " << error;
    }
    EXPECT_TRUE(saved);
    EXPECT_GE(flushesBeforeRename, 1) << "the temporary file is flushed before the rename";
    EXPECT_GE(flushesAfterRename, 1) << "the folder is flushed after the rename";
}

} // namespace
