// The recipe text and its file.

#include "program/Recipe.h"

#include "base/FormatSettings.h"
#include "base/RecordingDialogs.h"
#include "program/SegmentEditor.h"
#include "support/DesignStates.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace {

using GasMixtures::TGasItem;

Base::TDateTime At(int second) {
    return Base::EncodeDateTime({2026, 12, 10, 14, 5, second, 0});
}

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

Program::TRecipeInput TwoSegmentsOfAnEthanolMixture() {
    UnitMain::TMoistrelState state = TestSupport::ValidatedState();
    TestSupport::AssignLiquid(state, "Ethanol 40 %", {{GasMixtures::gH2O, 60.0}, {GasMixtures::gC2H6O, 40.0}},
                              0.9352);
    TGasItem dry;
    dry.StepName = "Dry";
    dry.StepTime = 1.5;
    TGasItem a;
    a.InstrumentID = 0;
    a.Mass = 0.000120F;
    TGasItem c;
    c.InstrumentID = 2;
    c.Mass = 0.000350F;
    dry.Components = {a, c};
    TGasItem wet = dry;
    wet.StepName = "ID:2";
    wet.StepTime = 0.75;

    Program::TRecipeInput input;
    input.Now = At(33);
    input.CaptionA = "A-component: O2";
    input.CaptionB = "B-component: N2";
    input.CaptionC = "C-component: Ethanol 40 %";
    input.SegmentLines = Program::StepListLines({dry, wet});
    input.Fluid = state.PumpDetails.Fluid;
    return input;
}

TEST(Recipe, TextLineByLine) {
    const Base::TScopedFormatSettings dot({".", ":"});
    const Program::TRecipeInput input = TwoSegmentsOfAnEthanolMixture();
    const std::string text = Program::Recipe(input);
    const std::string head = "Description of step program and fluid composition\r\n"
                             "Saved: 2026-12-10 14:05:33\r\n"
                             "Inputs: \r\n"
                             "  A-component: O2\r\n"
                             "  B-component: N2\r\n"
                             "  C-component: Ethanol 40 %\r\n"
                             "Segments in µg: \r\n"
                             "  1\tDry\t1 h 30 min \tA:120 C:350 \r\n"
                             "  2\tID:2\t0 h 45 min \tA:120 C:350 \r\n"
                             "\r\n";
    ASSERT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(text.substr(head.size()), input.Fluid.FluidMixtureAsString(input.Now));
    EXPECT_NE(text.find("Mixture recipe: Ethanol 40 %\r\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("\r\n"));
}

TEST(Recipe, ASegmentOfATargetNamesItInItsLine) {
    const Base::TScopedFormatSettings dot({".", ":"});
    Program::TRecipeInput input = TwoSegmentsOfAnEthanolMixture();
    GasMixtures::TGasItem humid;
    humid.StepName = "humid";
    humid.StepTime = 0.5;
    GasMixtures::TGasItem a;
    a.InstrumentID = 0;
    a.Mass = 0.02F;
    humid.Components = {a};
    humid.Target = GasMixtures::TSegmentTarget{{}, "RH 50 %"};
    input.SegmentLines = Program::StepListLines({humid});
    EXPECT_NE(Program::Recipe(input).find(
                  "Segments in µg: \r\n  1\thumid\t0 h 30 min \tA:20000 \tTarget: RH 50 %\r\n"),
              std::string::npos)
        << Program::Recipe(input);
}

TEST(Recipe, EmptyProgramGoesStraightToTheEmptyLine) {
    Program::TRecipeInput input = TwoSegmentsOfAnEthanolMixture();
    input.SegmentLines.clear();
    EXPECT_NE(Program::Recipe(input).find("Segments in µg: \r\n\r\nMixture recipe: "), std::string::npos);
}

TEST(Recipe, FileNameAndItsFolderBesideTheProgram) {
    const Base::TScopedFormatSettings settings({".", ":"});
    EXPECT_EQ(Program::RecipeFileName(At(33)), "Recipe 2026-12-10 14.05.33.txt");

    const TestSupport::TTempFolder folder("moistrel-recipe");
    Base::TRecordingDialogs dialogs;
    const std::string programFolder = folder.File("deep/program"); // missing folders are made
    ASSERT_TRUE(Program::SaveRecipe(programFolder, At(33), "first\r\n", dialogs));
    ASSERT_TRUE(Program::SaveRecipe(programFolder, At(33), "second\tline\r\n", dialogs));
    EXPECT_TRUE(dialogs.Messages.empty());
    // Two starts in the same second: the second file replaces the first.
    EXPECT_EQ(ReadWhole(programFolder + "/Userdata/Recipe 2026-12-10 14.05.33.txt"), "second\tline\r\n");
}

TEST(Recipe, WrittenInTheOperatorsCharacterSet) {
    const std::string text = "Segments in µg: 20ºC – ok\r\n";
    const std::string latin1 = "Segments in \xB5g: 20\xBA"
                               "C ? ok\r\n";
    const struct {
        const char* Codeset;
        std::string Bytes;
    } cases[] = {
        {"UTF-8", text},
        {"utf8", text},
        {"ISO-8859-1", latin1},
        // The system's converter, which knows the dash of the Windows set.
        {"CP1252", "Segments in \xB5g: 20\xBA"
                   "C \x96 ok\r\n"},
        // A set the system cannot convert to: the usual Western single bytes, never UTF-8.
        {"NO-SUCH-CODESET", latin1},
    };
    int second = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Codeset);
        EXPECT_EQ(Program::EncodeForCodeset(text, c.Codeset), c.Bytes);

        const TestSupport::TTempFolder folder("moistrel-recipe");
        Base::TRecordingDialogs dialogs;
        const Base::TScopedFormatSettings codeset({".", ":", c.Codeset});
        ++second;
        ASSERT_TRUE(Program::SaveRecipe(folder.Path(), At(second), text, dialogs));
        EXPECT_EQ(ReadWhole(folder.File("Userdata/" + Program::RecipeFileName(At(second)))), c.Bytes);
    }
}

TEST(Recipe, FolderOrFileThatCannotBeMadeStopsTheStartWithItsMessage) {
    const TestSupport::TTempFolder folder("moistrel-recipe");
    Base::TRecordingDialogs dialogs;
    // A file where the folder should be.
    std::ofstream(folder.File("Userdata")) << "in the way";
    EXPECT_FALSE(Program::SaveRecipe(folder.Path(), At(2), "x\r\n", dialogs));
    ASSERT_EQ(dialogs.Messages.size(), 1U);
    EXPECT_EQ(dialogs.Messages[0],
              "Could not create folder " + folder.File("Userdata") +
                  "\r\n\r\nThe recipe will not be saved.\r\n\r\n"
                  "Windows may prevent programs creating folders in certain locations on "
                  "the computer.\r\n"
                  "Try running at anopther location\r\n"
                  "Check ti file or folder is not locked or used by another process\r\n"
                  "Try running the software with administrator rights");

    // A folder in the way of the file.
    const TestSupport::TTempFolder other("moistrel-recipe");
    const std::string blocked = other.File("Userdata/Recipe 2026-12-10 14.05.03.txt");
    std::filesystem::create_directories(blocked);
    EXPECT_FALSE(Program::SaveRecipe(other.Path(), At(3), "x\r\n", dialogs));
    ASSERT_EQ(dialogs.Messages.size(), 2U);
    EXPECT_EQ(dialogs.Messages[1], "Cannot create file \"" + blocked + "\". Is a directory");
}

} // namespace
