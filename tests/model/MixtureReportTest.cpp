// The mixture reports: the analysis line by line against figures computed apart (single-precision
// totals as the report keeps them), the fluid ppm limit, the field widths, the vapour pressure of
// water against reference data, the machine recipe, and the faults that must print "?".

#include "base/FormatSettings.h"
#include "model/GasMixtures.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace GasMixtures;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no CR LF>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void ExpectLines(const std::string& text, const std::vector<std::string>& expected) {
    const std::vector<std::string> actual = Lines(text);
    for (std::size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
        EXPECT_EQ(i < actual.size() ? actual[i] : "<missing>", i < expected.size() ? expected[i] : "<extra>")
            << "line " << i + 1;
    }
}

TGasItem Entry(TGasItems gas, float mass) {
    TGasItem item;
    item.Init();
    FillCatalogueGas(gas, item, mass);
    return item;
}

TGasItem Water(float mass, float tempC, float pressmBar, bool fluid, int limit) {
    TGasItem water = Entry(gH2O, mass);
    water.CustTempC = tempC;
    water.CustPressmBar = pressmBar;
    water.Fluid = fluid;
    water.FluidMaxPPM = limit;
    return water;
}

TGasItemDictionary Totals(const std::vector<TGasItem>& entries) {
    TGasItemDictionary totals;
    for (const TGasItem& entry : entries) {
        totals.Set(entry.GasNameMFC, entry);
    }
    return totals;
}

const std::string Deg = "\u00BA";
const std::string Stars = "             ******************************************* ";

// Oxygen 0.5 g/min and water 0.01 g/min, at 20 ºC and 1500 mbar. Figures worked out apart with
// single-precision totals: Mt = 0.51, Nt = 0.016180672 mol/min; O2 n = 0.015625587 (965 694.56 ppm);
// H2O n = 0.000555084 (34 305.39 ppm); V0 = 362.67; 429.06, 495.45, 561.84 ml/min at 50, 100,
// 150 ºC; custom 262.92 ml/min; e(20 ºC) = 23.3932 mbar, s = 0.0155955 (15 595.47 ppm), RH 219.97 %.
const std::vector<std::string> OxygenWaterReport = {
    "Components",
    "  Oxygen                 31.999 g/mol",
    "  Water pure             18.015 g/mol",
    "",
    "Mass flow",
    "  O2           gram/min: 0.500 000 (98.04%)",
    "  H2O          gram/min: 0.010 000 (1.96%)",
    "                         ---------",
    "  Total        gram/min: 0.510 000",
    "",
    "Volumetric flow (assuming everything is in gas state)",
    "                mln/min:    363 (  0" + Deg + "C, 1013.25 mBar)",
    "                 ml/min:    429 ( 50" + Deg + "C, 1013.25 mBar)",
    "                 ml/min:    495 (100" + Deg + "C, 1013.25 mBar)",
    "                 ml/min:    562 (150" + Deg + "C, 1013.25 mBar)",
    "                 ml/min:    263 ( 20" + Deg + "C, 1500    mBar)",
    "",
    "Concentration",
    "  O2            mol/min: 0.015 626 (  965 695 ppm)",
    "  H2O           mol/min: 0.000 555 (   34 305 ppm)",
    Stars,
    "             *   for 20" + Deg + "C, 1500 mbar",
    "             *      ppm @ 100% RH ->    15 595 ppm",
    "             *        Current ppm ->    34 305 ppm",
    "             *                 RH ->       220 %",
    Stars,
};

TEST(AnalyseMixture, OxygenAndWaterLineByLine) {
    const TGasItemDictionary totals =
        Totals({Entry(gO2, 0.5F), Water(0.01F, 20.0F, 1500.0F, false, 1000000)});
    TGasItem mixture;
    mixture.Init();
    const std::string report = AnalyseMixture(totals, mixture, 20.0, 1500.0);
    ASSERT_TRUE(report.ends_with("\r\n"));
    ExpectLines(report, OxygenWaterReport);
    EXPECT_TRUE(mixture.Valid);
}

TEST(AnalyseMixture, EmptyTotalsGiveNothingAndLeaveValid) {
    TGasItem mixture;
    mixture.Valid = true;
    EXPECT_EQ(AnalyseMixture(TGasItemDictionary{}, mixture, 20.0, 1013.25), "");
    EXPECT_TRUE(mixture.Valid);
}

TEST(AnalyseMixture, UnderACommaSeparator) {
    const Base::TScopedFormatSettings comma({",", ":"});
    const TGasItemDictionary totals =
        Totals({Entry(gO2, 0.5F), Water(0.01F, 20.0F, 1500.0F, false, 1000000)});
    TGasItem mixture;
    mixture.Init();
    const std::vector<std::string> lines = Lines(AnalyseMixture(totals, mixture, 20.5, 1013.25));
    ASSERT_EQ(lines.size(), OxygenWaterReport.size());
    EXPECT_EQ(lines[1], "  Oxygen                 31,999 g/mol");
    EXPECT_EQ(lines[5], "  O2           gram/min: 0,500 000 (98,04%)");
    EXPECT_EQ(lines[6], "  H2O          gram/min: 0,010 000 (1,96%)");
    EXPECT_EQ(lines[8], "  Total        gram/min: 0,510 000");
    // The normal conditions are fixed text; the custom ones are figures. Custom flow:
    // 22.414 x Nt / 273.15 x 293.65 x 1000 / (1013.25 / 1013.25) = 389.9 ml/min.
    EXPECT_EQ(lines[11], "                mln/min:    363 (  0" + Deg + "C, 1013.25 mBar)");
    EXPECT_EQ(lines[15], "                 ml/min:    390 (20,5" + Deg + "C, 1013,25    mBar)");
    EXPECT_EQ(lines[18], "  O2            mol/min: 0,015 626 (  965 695 ppm)");
    EXPECT_EQ(lines[21], "             *   for 20,5" + Deg + "C, 1500 mbar");
}

TEST(AnalyseMixture, FluidLimit) {
    struct TCase {
        const char* Label;
        int Limit;
        bool Valid;
    };
    // Water at 34 305.39 ppm in the oxygen mixture.
    const TCase cases[] = {
        {"limit above", 34306, true},
        {"limit below", 34305, false},
        {"limit zero", 0, false},
    };
    for (const TCase& c : cases) {
        const TGasItemDictionary totals =
            Totals({Entry(gO2, 0.5F), Water(0.01F, 20.0F, 1500.0F, true, c.Limit)});
        TGasItem mixture;
        mixture.Init();
        const std::vector<std::string> lines = Lines(AnalyseMixture(totals, mixture, 20.0, 1500.0));
        EXPECT_EQ(mixture.Valid, c.Valid) << c.Label;
        if (c.Valid) {
            EXPECT_EQ(lines.size(), OxygenWaterReport.size()) << c.Label;
        } else {
            ASSERT_EQ(lines.size(), OxygenWaterReport.size() + 1) << c.Label;
            const std::string limit = c.Limit == 0 ? "         " : "   34 305";
            EXPECT_EQ(lines.back(), "    Exceeding the fluid ppm limit  (" + limit + " ppm)") << c.Label;
        }
    }
}

TEST(AnalyseMixture, AFluidExactlyAtItsLimitIsValid) {
    // 1000 ug/min of water alone is 1 000 000 ppm, exactly the default limit.
    TGasItem mixture;
    mixture.Init();
    const std::string atLimit =
        AnalyseMixture(Totals({Water(0.001F, 20.0F, 1013.25F, true, 1000000)}), mixture, 20.0, 1013.25);
    EXPECT_TRUE(mixture.Valid);
    EXPECT_NE(atLimit.find("  H2O           mol/min: 0.000 056 (1 000 000 ppm)\r\n"), std::string::npos)
        << atLimit;
    EXPECT_EQ(atLimit.find("Exceeding"), std::string::npos);

    // One below: invalid, and the limit fills its nine characters.
    const std::string above =
        AnalyseMixture(Totals({Water(0.001F, 20.0F, 1013.25F, true, 999999)}), mixture, 20.0, 1013.25);
    EXPECT_FALSE(mixture.Valid);
    EXPECT_TRUE(above.ends_with("    Exceeding the fluid ppm limit  (  999 999 ppm)\r\n")) << above;

    // The verdict is never set back to true.
    AnalyseMixture(Totals({Water(0.001F, 20.0F, 1013.25F, true, 1000000)}), mixture, 20.0, 1013.25);
    EXPECT_FALSE(mixture.Valid);
}

// The custom conditions are right-aligned in their fields, and a longer figure widens its field
// rather than losing its leading digits or its sign (-12.5 ºC must never read as 2.5 ºC).
TEST(AnalyseMixture, CustomConditionsArePaddedToTheirFieldsNeverCut) {
    struct TCase {
        double TempC;
        double PressmBar;
        const char* Expected; // the tail of line 14
    };
    const TCase cases[] = {
        {-12.5, 1013.25, "(-12.5\u00BAC, 1013.25    mBar)"}, {20.0, 1500.0, "( 20\u00BAC, 1500    mBar)"},
        {5.0, 800.0, "(  5\u00BAC,  800    mBar)"},          {150.0, 12000.0, "(150\u00BAC, 12000    mBar)"},
        {-5.0, 999.5, "( -5\u00BAC, 999.5    mBar)"},
    };
    for (const TCase& c : cases) {
        TGasItem mixture;
        mixture.Init();
        const std::vector<std::string> lines =
            Lines(AnalyseMixture(Totals({Entry(gN2, 1.0F)}), mixture, c.TempC, c.PressmBar));
        // One entry: the custom line is the fourteenth.
        ASSERT_GT(lines.size(), 13u);
        EXPECT_TRUE(lines[13].ends_with(c.Expected)) << lines[13];
        EXPECT_TRUE(lines[13].starts_with("                 ml/min: ")) << lines[13];
    }
}

TEST(AnalyseMixture, ZeroPpmIsNineBlanksAndEmptySymbolsSkipTheMassLine) {
    TGasItem helium = Entry(gHe, 0.0F);
    TGasItem nameless = Entry(gAr, 0.0F);
    nameless.GasNameMFC = "";
    TGasItemDictionary totals = Totals({Entry(gN2, 1.0F), helium});
    totals.Set("x", nameless);
    TGasItem mixture;
    mixture.Init();
    const std::vector<std::string> lines = Lines(AnalyseMixture(totals, mixture, 20.0, 1013.25));
    // Components list all three; the mass flow section only the named ones.
    EXPECT_EQ(lines[3], "  Argon                  39.948 g/mol");
    EXPECT_EQ(lines[6], "  N2           gram/min: 1.000 000 (100.00%)");
    EXPECT_EQ(lines[7], "  He           gram/min: 0.000 000 (0.00%)");
    EXPECT_EQ(lines[8], "                         ---------");
    const std::string text = AnalyseMixture(totals, mixture, 20.0, 1013.25);
    EXPECT_NE(text.find("  He            mol/min: 0.000 000 (          ppm)\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  N2            mol/min: 0.035 697 (1 000 000 ppm)\r\n"), std::string::npos) << text;
}

TEST(AnalyseMixture, NoMassAtAllSkipsTheMassAndMolLines) {
    TGasItem mixture;
    mixture.Init();
    const std::vector<std::string> lines =
        Lines(AnalyseMixture(Totals({Entry(gN2, 0.0F)}), mixture, 20.0, 1013.25));
    const std::vector<std::string> expected = {
        "Components",
        "  Nitrogen               28.013 g/mol",
        "",
        "Mass flow",
        "                         ---------",
        "  Total        gram/min: 0.000 000",
        "",
        "Volumetric flow (assuming everything is in gas state)",
        "                mln/min:      0 (  0" + Deg + "C, 1013.25 mBar)",
        "                 ml/min:      0 ( 50" + Deg + "C, 1013.25 mBar)",
        "                 ml/min:      0 (100" + Deg + "C, 1013.25 mBar)",
        "                 ml/min:      0 (150" + Deg + "C, 1013.25 mBar)",
        "                 ml/min:      0 ( 20" + Deg + "C, 1013.25    mBar)",
        "",
        "Concentration",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(mixture.Valid);
}

// ---------------------------------------------------------------- faults that must not print garbage

TEST(AnalyseMixture, MolarMassZeroOrNegativePrintsQuestionMarks) {
    for (const float molarMass : {0.0F, -5.0F}) {
        TGasItem broken = Entry(gO2, 0.5F);
        broken.GasNameMFC = "Demo";
        broken.GasNameLong = "Demo gas";
        broken.MolarMass = molarMass;
        TGasItem mixture;
        mixture.Init();
        const std::string text = AnalyseMixture(Totals({broken, Water(0.01F, 20.0F, 1500.0F, true, 1000000)}),
                                                mixture, 20.0, 1500.0);
        const std::vector<std::string> lines = Lines(text);
        ASSERT_EQ(lines.size(), 27u) << text;
        // What is known is still shown; everything that rests on the total molar flow is "?".
        EXPECT_EQ(lines[5], "  Demo         gram/min: 0.500 000 (98.04%)");
        EXPECT_EQ(lines[8], "  Total        gram/min: 0.510 000");
        EXPECT_EQ(lines[11], "                mln/min:      ? (  0" + Deg + "C, 1013.25 mBar)");
        EXPECT_EQ(lines[15], "                 ml/min:      ? ( 20" + Deg + "C, 1500    mBar)");
        EXPECT_EQ(lines[18], "  Demo          mol/min: ? (        ? ppm)");
        EXPECT_EQ(lines[19], "  H2O           mol/min: 0.000 555 (        ? ppm)");
        EXPECT_EQ(lines[22], "             *      ppm @ 100% RH ->    15 595 ppm");
        EXPECT_EQ(lines[23], "             *        Current ppm ->         ? ppm");
        EXPECT_EQ(lines[24], "             *                 RH ->         ? %");
        // A fluid whose concentration cannot be known is not safe: invalid, and said so.
        EXPECT_EQ(lines[26],
                  "    Fluid ppm unknown, treated as exceeding the fluid ppm limit  (1 000 000 ppm)");
        EXPECT_FALSE(mixture.Valid);
    }
}

TEST(AnalyseMixture, AZeroFlowWithoutMolarMassSpoilsNothing) {
    TGasItem idle = Entry(gO2, 0.0F);
    idle.GasNameMFC = "Idle";
    idle.MolarMass = 0.0F;
    TGasItem mixture;
    mixture.Init();
    const std::string text =
        AnalyseMixture(Totals({idle, Water(0.001F, 20.0F, 1013.25F, true, 1000000)}), mixture, 20.0, 1013.25);
    EXPECT_EQ(text.find('?'), std::string::npos) << text;
    EXPECT_NE(text.find("  Idle          mol/min: 0.000 000 (          ppm)"), std::string::npos) << text;
    EXPECT_TRUE(mixture.Valid);
}

TEST(AnalyseMixture, SaturationShareZeroOrNoPressurePrintsQuestionMarks) {
    struct TCase {
        const char* Label;
        float TempC;
        float PressmBar;
        const char* Saturation;
    };
    // At -250 ºC the vapour pressure (about 6E-91 mbar) is below the smallest single-precision value.
    const TCase cases[] = {
        {"-250 C", -250.0F, 1013.25F, "         "},
        {"no pressure", 20.0F, 0.0F, "        ?"},
        {"below absolute zero", -300.0F, 1013.25F, "        ?"},
    };
    for (const TCase& c : cases) {
        TGasItem mixture;
        mixture.Init();
        const std::string text = AnalyseMixture(
            Totals({Entry(gO2, 0.5F), Water(0.01F, c.TempC, c.PressmBar, false, 0)}), mixture, 20.0, 1500.0);
        const std::vector<std::string> lines = Lines(text);
        ASSERT_EQ(lines.size(), OxygenWaterReport.size()) << c.Label;
        EXPECT_EQ(lines[22], std::string("             *      ppm @ 100% RH -> ") + c.Saturation + " ppm")
            << c.Label;
        EXPECT_EQ(lines[23], "             *        Current ppm ->    34 305 ppm") << c.Label;
        EXPECT_EQ(lines[24], "             *                 RH ->         ? %") << c.Label;
        EXPECT_TRUE(mixture.Valid) << c.Label;
    }
}

// ---------------------------------------------------------------- vapour pressure

TEST(CalculateVapourPressure, AgreesWithReferenceData) {
    struct TCase {
        double TempC;
        double mBar; // reference saturation pressure (over ice at and below 0 ºC)
    };
    const TCase cases[] = {
        {-20.0, 1.0326}, {-10.0, 2.5990}, {0.01, 6.1166}, {20.0, 23.393}, {50.0, 123.52}, {100.0, 1014.18},
    };
    for (const TCase& c : cases) {
        EXPECT_NEAR(CalculateVapourPressure(c.TempC), c.mBar, c.mBar * 1e-3) << c.TempC << " C";
    }
}

TEST(CalculateVapourPressure, IceAtZeroWaterAboveAndNoStepBetween) {
    const double ice = std::exp(43.494 - 6545.8 / 278.0) / (868.0 * 868.0) / 100.0;
    const double water = std::exp(34.494 - 4924.99 / 237.1) / std::pow(105.0, 1.57) / 100.0;
    EXPECT_DOUBLE_EQ(CalculateVapourPressure(0.0), ice);
    EXPECT_NE(ice, water);
    EXPECT_NEAR(CalculateVapourPressure(1e-9), water, 1e-9);
    EXPECT_NEAR(CalculateVapourPressure(1e-9), CalculateVapourPressure(0.0), 1e-3);
    EXPECT_NEAR(CalculateVapourPressure(-1e-9), CalculateVapourPressure(0.0), 1e-9);
    EXPECT_LT(CalculateVapourPressure(-1.0), CalculateVapourPressure(0.0));
    EXPECT_GT(CalculateVapourPressure(1.0), CalculateVapourPressure(1e-9));
}

TEST(CalculateVapourPressure, NoPressureBelowAbsoluteZero) {
    EXPECT_GE(CalculateVapourPressure(-273.15), 0.0);
    EXPECT_TRUE(std::isnan(CalculateVapourPressure(-273.16)));
    EXPECT_TRUE(std::isnan(CalculateVapourPressure(-1000.0)));
    EXPECT_TRUE(std::isnan(CalculateVapourPressure(std::nan(""))));
}

// ---------------------------------------------------------------- fields

TEST(Align, PadsAndCutsByCharacters) {
    struct TCase {
        const char* Text;
        int Width;
        const char* Left;
        const char* Right;
    };
    const TCase cases[] = {
        {"abc", 5, "abc  ", "  abc"},
        {"abcdef", 3, "abc", "def"},
        {"abc", 3, "abc", "abc"},
        {"", 2, "  ", "  "},
        {"abc", 0, "", ""},
        {"-12.5", 3, "-12", "2.5"},
        {"20\u00BAC", 4, "20\u00BAC", "20\u00BAC"},
        {"20\u00BAC", 5, "20\u00BAC ", " 20\u00BAC"},
        {"\u00BA\u00BA\u00BA", 2, "\u00BA\u00BA", "\u00BA\u00BA"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(AlignLeft(c.Text, c.Width), c.Left) << c.Text << " " << c.Width;
        EXPECT_EQ(AlignRight(c.Text, c.Width), c.Right) << c.Text << " " << c.Width;
    }
    EXPECT_EQ(AlignLeft("abc", -1), "");
    EXPECT_EQ(AlignRight("abc", -1), "");
}

// ---------------------------------------------------------------- machine recipe

TGasItem Flow(const std::string& port, int id, const std::string& name, float mass, float pulsed) {
    TGasItem flow;
    flow.Init();
    flow.InstrumentPort = port;
    flow.InstrumentID = id;
    flow.GasNameLong = name;
    flow.Mass = mass;
    flow.Pulsed = pulsed;
    return flow;
}

TEST(MachineRecipeAsString, OneLinePerDevice) {
    TGasItem mixture;
    mixture.Init();
    mixture.Components = {
        Flow("SIM", 0, "O2", 0.5F, 1.0F),
        Flow("SIM", 0, "O2", 0.5F, 0.25F),
        Flow("ttyUSB1", 1, "Nitrogen", 12.3456785F, 1.0F),
        Flow("SIM", 2, "Water and ethanol for the long run", 0.000125F, 0.999F),
        Flow("SIM", 2, "W\u00E4ssrige L\u00F6sung", 0.0F, 0.0F),
    };
    EXPECT_EQ(MachineRecipeAsString(mixture),
              "Machine recipe\r\n"
              "  SIM:0:O2               0.500 000 g/min \r\n"
              "  SIM:0:O2               0.500 000 g/min pulsed: 25.0 %\r\n"
              "  ttyUSB1:1:Nitrogen     12.345 678 g/min \r\n"
              "  SIM:2:Water and ethan  0.000 125 g/min pulsed: 99.9 %\r\n"
              "  SIM:2:W\u00E4ssrige L\u00F6sung  0.000 000 g/min pulsed: 0.0 %\r\n"
              "\r\n");
}

// Ports named by long paths: each line shows the port's last path part whole, so that two adaptors
// of one make never read the same; the column widens for all lines alike and the masses stay aligned.
TEST(MachineRecipeAsString, LongPortPathsShowTheirLastPartWhole) {
    const struct {
        std::vector<TGasItem> Components;
        std::string Text;
    } cases[] = {
        {{Flow("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KQ7ZP-if00-port0", 0, "Oxygen", 0.5F, 1.0F),
          Flow("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KQ7ZQ-if00-port0", 1, "Nitrogen", 1.25F, 1.0F),
          Flow("/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0", 2,
               "Water pure", 0.000125F, 1.0F)},
         "Machine recipe\r\n"
         "  usb-FTDI_FT232R_USB_UART_A10KQ7ZP-if00-port0:0:Oxygen                       0.500 000 g/min \r\n"
         "  usb-FTDI_FT232R_USB_UART_A10KQ7ZQ-if00-port0:1:Nitrogen                     1.250 000 g/min \r\n"
         "  usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0:2:Water pure  0.000 125 g/min \r\n"
         "\r\n"},
        // A short path keeps the column at 21 and the long name cut.
        {{Flow("/dev/ttyUSB0", 0, "O2", 0.5F, 1.0F),
          Flow("/tmp/sim/mfc-b", 1, "Nitrogen and a long tail", 1.25F, 1.0F)},
         "Machine recipe\r\n"
         "  ttyUSB0:0:O2           0.500 000 g/min \r\n"
         "  mfc-b:1:Nitrogen and   1.250 000 g/min \r\n"
         "\r\n"},
        // A folder-like name with a trailing separator still names its last part.
        {{Flow("/tmp/sim/pump/", 2, "Water pure", 0.001F, 1.0F)},
         "Machine recipe\r\n"
         "  pump:2:Water pure      0.001 000 g/min \r\n"
         "\r\n"},
    };
    for (const auto& c : cases) {
        TGasItem mixture;
        mixture.Init();
        mixture.Components = c.Components;
        EXPECT_EQ(MachineRecipeAsString(mixture), c.Text);
    }
}

TEST(MachineRecipeAsString, EmptyMixture) {
    EXPECT_EQ(MachineRecipeAsString(TGasItem{}), "Machine recipe\r\n\r\n");
}

} // namespace

namespace {

// The concentration of one entry is the report's own: oxygen and water of the report above.
TEST(SubstancePPM, GivesTheConcentrationLinesFigureAndNaNForAnAbsentEntry) {
    using namespace GasMixtures;
    TGasItemDictionary totals;
    TGasItem oxygen;
    oxygen.Init();
    FillCatalogueGas(gO2, oxygen, 0.5F);
    TGasItem water;
    water.Init();
    FillCatalogueGas(gH2O, water, 0.01F);
    totals.Set(oxygen.GasNameMFC, oxygen);
    totals.Set(water.GasNameMFC, water);
    EXPECT_NEAR(SubstancePPM(totals, "O2"), 965694.56, 0.05);
    EXPECT_NEAR(SubstancePPM(totals, "H2O"), 34305.39, 0.05);
    EXPECT_TRUE(std::isnan(SubstancePPM(totals, "N2")));
    EXPECT_TRUE(std::isnan(SubstancePPM(TGasItemDictionary{}, "H2O")));
}

} // namespace
