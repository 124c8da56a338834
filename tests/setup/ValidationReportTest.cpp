#include "setup/ValidationReport.h"

#include "base/FormatSettings.h"
#include "setup/InstrumentValidation.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using SerialPortVogtlin::TMFCDetails;

TMFCDetails TwoTables() {
    TMFCDetails mfc;
    mfc.Validated = true;
    mfc.Serial = 123456;
    mfc.LUT[0].NameShort = "Air";
    mfc.LUT[0].UnitType = "g/min";
    mfc.LUT[0].RangeMax = 1.5F;
    mfc.LUT[0].RangeMin = 0.01875F;
    mfc.LUT[0].TotalizerUnit = "g";
    mfc.LUT[1].NameShort = "Xe";
    mfc.LUT[1].UnitType = "g/min";
    mfc.LUT[1].RangeMax = 0.0F;
    mfc.LUT[1].RangeMin = 0.0F;
    mfc.LUT[1].TotalizerUnit = "kg";
    // A table after an absent one is never listed.
    mfc.LUT[3].NameShort = "O2";
    return mfc;
}

TEST(ValidationReport, ListsEveryTableUpToTheFirstAbsentOne) {
    Base::TScopedFormatSettings dot(Base::TFormatSettings{".", ":"});
    const std::vector<std::string> expected{" -> MFC found",
                                            " -> Serial: 123456",
                                            " -> Gases listed",
                                            " -> Gas         : Air",
                                            " -> Unit        : g/min",
                                            " -> Max         : 1.500 000",
                                            " -> Min         : 0.018 750",
                                            " -> Tot unit    : g",
                                            "----------------------------",
                                            " -> Gas         : Xe",
                                            " -> Unit        : g/min",
                                            " -> Max         : 0.000 000",
                                            " -> Min         : 0.000 000",
                                            " -> Tot unit    : kg",
                                            "----------------------------"};
    EXPECT_EQ(Setup::MFCValidationReport(TwoTables(), false), expected);
}

TEST(ValidationReport, MFCBRepeatsTheUnitLineAfterTheMinimum) {
    const auto lines = Setup::MFCValidationReport(TwoTables(), true);
    ASSERT_EQ(lines.size(), 3U + 2U * 7U);
    EXPECT_EQ(lines[7], " -> Unit        : g/min");
    EXPECT_EQ(lines[8], " -> Tot unit    : g");
}

TEST(ValidationReport, EmptyFirstTableAndNotFound) {
    TMFCDetails mfc;
    mfc.Validated = true;
    EXPECT_EQ(Setup::MFCValidationReport(mfc, false),
              (std::vector<std::string>{" -> MFC found", " -> Serial: 0", " -> Gases listed"}));
    mfc.Validated = false;
    EXPECT_EQ(Setup::MFCValidationReport(mfc, false),
              std::vector<std::string>{" -> Nothing found on this port"});
    EXPECT_EQ(Setup::MFCQueryLine("/tmp/x/mfc-a", 1), "Query port : /tmp/x/mfc-a Addr:1");
}

TEST(ValidationReport, CommaLocale) {
    Base::TScopedFormatSettings comma(Base::TFormatSettings{",", ":"});
    EXPECT_EQ(Setup::MFCValidationReport(TwoTables(), false)[5], " -> Max         : 1,500 000");
}

// The stop that ends a validation: what the feedback pane says, and whether the mixer can be ready.
struct TStopCase {
    const char* Name;
    Setup::TValidationStop Stop;
    std::vector<std::string> Lines;
    bool Ready;
};

class ValidationStop : public ::testing::TestWithParam<TStopCase> {};

TEST_P(ValidationStop, NamesEachInstrumentFoundThatDidNotConfirm) {
    const TStopCase& row = GetParam();
    EXPECT_EQ(Setup::ValidationStopLines(row.Stop), row.Lines);
    EXPECT_EQ(Setup::AllFoundAndStopped(row.Stop), row.Ready);
}

const TStopCase StopCases[] = {
    {"AllStopped", {{true, true}, {true, true}, {true, true}}, {}, true},
    {"MFCBNotConfirmed",
     {{true, true}, {true, true}, {true, false}},
     {"Could not stop flow!", "  MFC B may still be dosing"},
     false},
    {"PumpAndMFCANotConfirmed",
     {{true, false}, {true, false}, {true, true}},
     {"Could not stop flow!", "  Pump may still be dosing", "  MFC A may still be dosing"},
     false},
    // Not found: already reported as such; it cannot be ready, but it is not named again.
    {"PumpNotFound", {{false, false}, {true, true}, {true, true}}, {}, false},
    {"NothingFound", {{false, false}, {false, false}, {false, false}}, {}, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, ValidationStop, ::testing::ValuesIn(StopCases),
                         [](const ::testing::TestParamInfo<TStopCase>& row) { return row.param.Name; });

} // namespace
