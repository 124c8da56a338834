// Saved segment programs: the file's round trip, the files that are refused (each with its own
// reason), the write as one replacement, and the differences between the composition a program was
// made for and the one on the mixer.

#include "program/ProgramFile.h"

#include "base/FormatSettings.h"
#include "program/SegmentEditor.h"
#include "support/TempFolder.h"
#include "target/TargetSolver.h"

#include <cmath>
#include <csignal>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using GasMixtures::TGasItem;
using nlohmann::json;
using Program::TProgramComposition;
using Program::TProgramFileContent;

TGasItem Flow(std::int32_t instrument, const std::string& symbol, const std::string& name, float mass,
              float pulsed = 1.0F, const std::string& command = "") {
    TGasItem flow;
    flow.Init();
    flow.InstrumentID = instrument;
    flow.GasNameMFC = symbol;
    flow.GasNameLong = name;
    flow.Mass = mass;
    flow.Pulsed = pulsed;
    flow.PumpCommand = command;
    flow.Fluid = instrument == 2;
    return flow;
}

TGasItem Segment(const std::string& name, double hours, std::vector<TGasItem> flows) {
    TGasItem segment;
    segment.Init();
    segment.StepName = name;
    segment.StepTime = hours;
    segment.Components = std::move(flows);
    return segment;
}

TProgramComposition Composition() {
    return {"O2", "N2", {"Ethanol 40 %", 0.93, {{"Ethanol", 40.0}, {"Water pure", 60.0}}}};
}

// Two segments with every kind of flow: pulsed A, B, the liquid with its pump command; names with
// characters that JSON escapes and characters outside ASCII.
std::vector<TGasItem> Program2() {
    return {Segment("Dry \"start\"\\µ", 1.5,
                    {Flow(0, "O2", "Oxygen", 0.0002F, 0.2F), Flow(1, "N2", "Nitrogen", 0.05F)}),
            Segment("Wet 40 ºC", 0.0002,
                    {Flow(0, "O2", "Oxygen", 0.02F), Flow(2, "MIX_Ethanol 40 %", "Ethanol 40 %", 0.000350F,
                                                          1.0F, "/1TgV48000IA192000V64OA0G0R")})};
}

std::string GoodText() {
    return Program::ProgramFileJson(Program::ProgramFileContent(Program2(), Composition()));
}

GasMixtures::TTargetInput TargetInput(GasMixtures::TTargetKind kind, double value,
                                      const std::string& substance, double carrier,
                                      GasMixtures::TCarrierUnit unit, double bShare, double tempC,
                                      double pressure) {
    GasMixtures::TTargetInput input;
    input.Target = {kind, value, substance};
    input.Carrier = carrier;
    input.CarrierUnit = unit;
    input.BSharePercent = bShare;
    input.TempC = tempC;
    input.Pressure_mbar = pressure;
    return input;
}

TGasItem WithTarget(TGasItem segment, const GasMixtures::TTargetInput& input) {
    segment.Target = GasMixtures::TSegmentTarget{input, Target::TargetName(input.Target)};
    return segment;
}

// A segment of each kind of target (the carrier in either unit, a share for B, conditions below
// zero), and one whose flows were set by hand between them.
std::vector<TGasItem> TargetProgram() {
    using GasMixtures::TCarrierUnit;
    using GasMixtures::TTargetKind;
    const std::vector<TGasItem> flows = Program2();
    return {WithTarget(flows[1], TargetInput(TTargetKind::tkRelativeHumidity, 40.0, "", 1.0,
                                             TCarrierUnit::cuNormalLitresPerMinute, 0.0, 23.0, 1013.25)),
            flows[0],
            WithTarget(flows[1], TargetInput(TTargetKind::tkDewPoint, -12.5, "", 0.03,
                                             TCarrierUnit::cuGramsPerMinute, 25.0, -5.0, 980.0)),
            WithTarget(flows[1], TargetInput(TTargetKind::tkPPM, 5000.0, "Ethanol", 0.05,
                                             TCarrierUnit::cuGramsPerMinute, 100.0, 20.0, 1500.0))};
}

std::string TargetText() {
    return Program::ProgramFileJson(Program::ProgramFileContent(TargetProgram(), Composition()));
}

TEST(ProgramFile, RoundTripKeepsEveryFieldOfTheFile) {
    const TProgramFileContent content = Program::ProgramFileContent(Program2(), Composition());
    const Program::TProgramFileRead read =
        Program::ParseProgramFile(Program::ProgramFileJson(content), "a.mixprog");
    ASSERT_TRUE(read.Ok) << read.Message;
    EXPECT_EQ(read.Content, content);
    EXPECT_EQ(read.Content.ComposedFor, Composition());
    ASSERT_EQ(read.Content.Segments.size(), 2U);
    EXPECT_EQ(read.Content.Segments[0].Name, "Dry \"start\"\\µ");
    EXPECT_EQ(read.Content.Segments[1].Flows[1].PumpCommand, "/1TgV48000IA192000V64OA0G0R");
}

TEST(ProgramFile, LoadedSegmentsRunAndListAsTheSavedOnes) {
    const std::vector<TGasItem> saved = Program2();
    const Program::TProgramFileRead read = Program::ParseProgramFile(GoodText(), "a.mixprog");
    ASSERT_TRUE(read.Ok) << read.Message;
    const std::vector<TGasItem> loaded = Program::SegmentsOfProgramFile(read.Content);
    ASSERT_EQ(loaded.size(), saved.size());
    for (std::size_t i = 0; i < saved.size(); ++i) {
        EXPECT_EQ(loaded[i].StepName, saved[i].StepName);
        EXPECT_EQ(loaded[i].StepTime, saved[i].StepTime);
        EXPECT_TRUE(loaded[i].Valid);
        ASSERT_EQ(loaded[i].Components.size(), saved[i].Components.size());
        for (std::size_t j = 0; j < saved[i].Components.size(); ++j) {
            const TGasItem& a = loaded[i].Components[j];
            const TGasItem& b = saved[i].Components[j];
            EXPECT_EQ(a.InstrumentID, b.InstrumentID);
            EXPECT_EQ(a.GasNameMFC, b.GasNameMFC);
            EXPECT_EQ(a.GasNameLong, b.GasNameLong);
            EXPECT_EQ(a.Mass, b.Mass) << "the float comes back bit for bit";
            EXPECT_EQ(a.Pulsed, b.Pulsed);
            EXPECT_EQ(a.PumpCommand, b.PumpCommand);
            EXPECT_EQ(a.Fluid, b.Fluid);
        }
    }
    EXPECT_EQ(Program::StepListLines(loaded), Program::StepListLines(saved));
}

TEST(ProgramFile, SegmentsKeepTheirTargetsThroughTheFile) {
    const std::vector<TGasItem> saved = TargetProgram();
    const TProgramFileContent content = Program::ProgramFileContent(saved, Composition());
    ASSERT_TRUE(content.Segments[0].Target.has_value());
    EXPECT_FALSE(content.Segments[1].Target.has_value());
    const Program::TProgramFileRead read = Program::ParseProgramFile(TargetText(), "targets.mixprog");
    ASSERT_TRUE(read.Ok) << read.Message;
    EXPECT_EQ(read.Content, content);
    const std::vector<TGasItem> loaded = Program::SegmentsOfProgramFile(read.Content);
    ASSERT_EQ(loaded.size(), saved.size());
    for (std::size_t i = 0; i < saved.size(); ++i) {
        EXPECT_EQ(loaded[i].Target, saved[i].Target) << "segment " << i + 1;
    }
    EXPECT_EQ(Program::StepListLines(loaded), Program::StepListLines(saved));
    EXPECT_EQ(loaded[2].Target->Name, "Td -12.5 \u00BAC");

    // The target as a reader of the file finds it.
    const json document = json::parse(TargetText());
    EXPECT_EQ(document["version"], 2);
    EXPECT_FALSE(document["segments"][1].contains("target")) << "flows set by hand have no target";
    EXPECT_EQ(document["segments"][0]["target"],
              json::parse(R"({"kind": "relative humidity", "value": 40.0, "substance": "", "carrier": 1.0,
                              "carrierUnit": "ln/min", "bShare_percent": 0.0, "temp_C": 23.0,
                              "pressure_mbar": 1013.25})"));
    EXPECT_NE(TargetText().find("\"target\": {\n        \"kind\": \"relative humidity\",\n"),
              std::string::npos)
        << "the kind first:\n"
        << TargetText();
    EXPECT_EQ(document["segments"][2]["target"]["kind"], "dew point");
    EXPECT_EQ(document["segments"][3]["target"]["kind"], "ppm");
    EXPECT_EQ(document["segments"][3]["target"]["substance"], "Ethanol");
}

TEST(ProgramFile, AFileOfTheFirstVersionStillLoadsWithoutTargets) {
    // As the program wrote them before segments kept their targets.
    json document = json::parse(GoodText());
    document["version"] = 1;
    Program::TProgramFileRead read = Program::ParseProgramFile(document.dump(), "old.mixprog");
    ASSERT_TRUE(read.Ok) << read.Message;
    EXPECT_EQ(read.Content, Program::ProgramFileContent(Program2(), Composition()));

    // That version has no targets: what stands under the key in such a file is not read as one.
    document = json::parse(TargetText());
    document["version"] = 1;
    document["segments"][2]["target"] = "whatever";
    read = Program::ParseProgramFile(document.dump(), "old.mixprog");
    ASSERT_TRUE(read.Ok) << read.Message;
    for (const Program::TProgramSegment& segment : read.Content.Segments) {
        EXPECT_FALSE(segment.Target.has_value()) << segment.Name;
    }
}

TEST(ProgramFile, AMalformedTargetIsRefusedWithItsReason) {
    const std::string prefix = "Cannot load program file \"bad.mixprog\": ";
    const auto edited = [](const std::function<void(json&)>& edit) {
        json document = json::parse(TargetText());
        edit(document);
        return document.dump();
    };
    const auto target = [](json& d, int segment) -> json& { return d["segments"][segment]["target"]; };
    const struct {
        std::string Text;
        const char* Reason;
    } cases[] = {
        {edited([&](json& d) { target(d, 0) = "RH 40 %"; }), "segment 1: \"target\" is not an object"},
        {edited([&](json& d) { target(d, 0) = nullptr; }), "segment 1: \"target\" is not an object"},
        {edited([&](json& d) { target(d, 0).erase("kind"); }), "segment 1, target: \"kind\" is missing"},
        {edited([&](json& d) { target(d, 0)["kind"] = "humidity"; }),
         "segment 1, target: \"kind\" is \"humidity\", not one of \"relative humidity\", \"dew point\", "
         "\"ppm\""},
        {edited([&](json& d) { target(d, 0)["kind"] = 0; }), "segment 1, target: \"kind\" is not a text"},
        {edited([&](json& d) { target(d, 2).erase("value"); }), "segment 3, target: \"value\" is missing"},
        {edited([&](json& d) { target(d, 2)["value"] = "-12.5"; }),
         "segment 3, target: \"value\" is not a number"},
        {edited([&](json& d) { target(d, 3)["substance"] = ""; }),
         "segment 4, target: a ppm target names no \"substance\""},
        {edited([&](json& d) { target(d, 3)["substance"] = 5; }),
         "segment 4, target: \"substance\" is not a text"},
        {edited([&](json& d) { target(d, 0)["substance"] = "Ethanol"; }),
         "segment 1, target: a target of water names a \"substance\""},
        {edited([&](json& d) { target(d, 0)["carrier"] = 0; }),
         "segment 1, target: \"carrier\" is not above 0"},
        {edited([&](json& d) { target(d, 0)["carrier"] = -1.0; }),
         "segment 1, target: \"carrier\" is not above 0"},
        {edited([&](json& d) { target(d, 0)["carrierUnit"] = "l/min"; }),
         "segment 1, target: \"carrierUnit\" is \"l/min\", not one of \"g/min\", \"ln/min\""},
        {edited([&](json& d) { target(d, 2)["bShare_percent"] = 100.5; }),
         "segment 3, target: \"bShare_percent\" is not between 0 and 100"},
        {edited([&](json& d) { target(d, 2)["bShare_percent"] = -1; }),
         "segment 3, target: \"bShare_percent\" is not between 0 and 100"},
        {edited([&](json& d) { target(d, 2).erase("temp_C"); }), "segment 3, target: \"temp_C\" is missing"},
        {edited([&](json& d) { target(d, 2)["pressure_mbar"] = 0; }),
         "segment 3, target: \"pressure_mbar\" is not above 0"},
        {edited([&](json& d) { target(d, 2)["pressure_mbar"] = true; }),
         "segment 3, target: \"pressure_mbar\" is not a number"},
    };
    for (const auto& c : cases) {
        const Program::TProgramFileRead read = Program::ParseProgramFile(c.Text, "bad.mixprog");
        EXPECT_FALSE(read.Ok) << c.Reason;
        EXPECT_EQ(read.Message, prefix + c.Reason);
        EXPECT_EQ(read.Content, TProgramFileContent{}) << "nothing of a refused file is kept: " << c.Reason;
    }
}

TEST(ProgramFile, TheFileIsReadableJsonWithTheFiguresAsTyped) {
    EXPECT_EQ(GoodText().rfind("{\n  \"version\": 2,\n  \"composedFor\": {\n    \"gasA\": \"O2\",", 0), 0U)
        << "the version first, then what the program was composed for:\n"
        << GoodText();
    const json document = json::parse(GoodText());
    EXPECT_EQ(document["version"], 2);
    EXPECT_EQ(document["composedFor"]["gasA"], "O2");
    EXPECT_EQ(document["composedFor"]["liquid"]["density_gpml"].dump(), "0.93");
    const json& flow = document["segments"][1]["flows"][0];
    EXPECT_EQ(flow["device"], "MFC A");
    EXPECT_EQ(flow["massFlow_gpm"].dump(), "0.02") << "not the float's 0.0199999...";
    EXPECT_EQ(document["segments"][1]["flows"][1]["device"], "pump");
}

TEST(ProgramFile, FilesThatAreNotAProgramAreRefusedWithTheirReason) {
    const std::string prefix = "Cannot load program file \"bad.mixprog\": ";
    const auto edited = [](const std::function<void(json&)>& edit) {
        json document = json::parse(GoodText());
        edit(document);
        return document.dump();
    };
    const struct {
        std::string Text;
        const char* Reason;
    } cases[] = {
        {"", "it is not JSON text (error at byte 1)"},
        {"Dry 1.5 h A:120", "it is not JSON text (error at byte 1)"},
        {R"({"version": 1,)", "it is not JSON text (error at byte 15)"},
        {"[1, 2]", "it is not a segment program"},
        {edited([](json& d) { d.erase("version"); }), "\"version\" is missing"},
        {edited([](json& d) { d["version"] = "1"; }), "\"version\" is not a whole number"},
        {edited([](json& d) { d["version"] = 1.5; }), "\"version\" is not a whole number"},
        {edited([](json& d) { d["version"] = 3; }),
         "it is of version 3; this program reads versions 1 and 2"},
        {edited([](json& d) { d["version"] = 0; }),
         "it is of version 0; this program reads versions 1 and 2"},
        {edited([](json& d) { d.erase("composedFor"); }), "\"composedFor\" is missing"},
        {edited([](json& d) { d["composedFor"] = "O2"; }), "\"composedFor\" is not an object"},
        {edited([](json& d) { d["composedFor"]["gasB"] = 5; }), "composedFor: \"gasB\" is not a text"},
        {edited([](json& d) { d["composedFor"]["liquid"].erase("density_gpml"); }),
         "liquid: \"density_gpml\" is missing"},
        {edited([](json& d) { d["composedFor"]["liquid"]["density_gpml"] = -0.9; }),
         "liquid: \"density_gpml\" is negative"},
        {edited([](json& d) { d["composedFor"]["liquid"]["parts"][1]["massPart"] = "60"; }),
         "liquid part 2: \"massPart\" is not a number"},
        {edited([](json& d) { d["segments"] = json::object(); }), "\"segments\" is not a list"},
        {edited([](json& d) { d["segments"][1] = "Wet"; }), "segment 2 is not an object"},
        {edited([](json& d) { d["segments"][1].erase("name"); }), "segment 2: \"name\" is missing"},
        {edited([](json& d) { d["segments"][1]["duration_h"] = -0.5; }),
         "segment 2: \"duration_h\" is negative"},
        {edited([](json& d) { d["segments"][0]["duration_h"] = "1.5"; }),
         "segment 1: \"duration_h\" is not a number"},
        {R"({"version": 1, "composedFor": {"gasA": "", "gasB": "", "liquid": {"name": "", "density_gpml": 1,
             "parts": []}}, "segments": [{"name": "x", "duration_h": 1e400, "flows": []}]})",
         "it holds a number too large to read"},
        {edited([](json& d) { d["segments"][0]["flows"] = json::array(); }), "segment 1: \"flows\" is empty"},
        {edited([](json& d) { d["segments"][0]["flows"][1]["massFlow_gpm"] = -0.001; }),
         "segment 1, flow 2: \"massFlow_gpm\" is negative"},
        {edited([](json& d) { d["segments"][1]["flows"][1].erase("pumpCommand"); }),
         "segment 2, flow 2: \"pumpCommand\" is missing"},
        {edited([](json& d) { d["segments"][0]["flows"][0]["pulsed"] = 1.5; }),
         "segment 1, flow 1: \"pulsed\" is above 1"},
        {edited([](json& d) { d["segments"][0]["flows"][0]["device"] = "MFC C"; }),
         "segment 1, flow 1: unknown device \"MFC C\""},
        {edited([](json& d) { d["segments"][0]["flows"][0]["device"] = 0; }),
         "segment 1, flow 1: \"device\" is not a text"},
        {edited([](json& d) { d["segments"][0]["flows"][1]["device"] = "MFC A"; }),
         "segment 1: more than one flow for MFC A"},
    };
    for (const auto& c : cases) {
        const Program::TProgramFileRead read = Program::ParseProgramFile(c.Text, "bad.mixprog");
        EXPECT_FALSE(read.Ok) << c.Reason;
        EXPECT_EQ(read.Message, prefix + c.Reason);
        EXPECT_EQ(read.Content, TProgramFileContent{}) << "nothing of a refused file is kept: " << c.Reason;
    }
}

// Figures a file may hold that no editor makes: the reader takes what JSON can hold (judging them
// is the load's work), and listing what it read stays defined, even past the float's range.
TEST(ProgramFile, EdgeFiguresReadAndListWithoutOverflow) {
    const Base::TScopedFormatSettings dot({".", ":"});
    const struct {
        const char* Mass;
        const char* Flows;
    } cases[] = {
        {"9.3e12", "A:9223372036854775807 "},
        {"1e39", "A:9223372036854775807 "}, // infinite as a float
        {"1.7976931348623157e308", "A:9223372036854775807 "},
        {"3000", "A:3000000000 "},
        {"-0.0", "A:0 "},
    };
    for (const auto& c : cases) {
        json document = json::parse(GoodText());
        document["segments"][0]["flows"] = json::array({document["segments"][0]["flows"][0]});
        document["segments"][0]["flows"][0]["massFlow_gpm"] = json::parse(c.Mass);
        const Program::TProgramFileRead read = Program::ParseProgramFile(document.dump(), "edge.mixprog");
        ASSERT_TRUE(read.Ok) << c.Mass << ": " << read.Message;
        const std::vector<TGasItem> loaded = Program::SegmentsOfProgramFile(read.Content);
        EXPECT_EQ(Program::StepListLine(0, loaded[0]),
                  std::string("1\tDry \"start\"\\µ\t1 h 30 min \t") + c.Flows)
            << c.Mass;
    }
}

TEST(ProgramFile, FieldsAddedByALaterProgramAreIgnored) {
    json document = json::parse(GoodText());
    document["comment"] = "made on the lab's second mixer";
    document["segments"][0]["flows"][0]["colour"] = "blue";
    const Program::TProgramFileRead read = Program::ParseProgramFile(document.dump(), "a.mixprog");
    ASSERT_TRUE(read.Ok) << read.Message;
    EXPECT_EQ(read.Content, Program::ProgramFileContent(Program2(), Composition()));
}

TEST(ProgramFile, MinusZeroIsReadAsTheZeroItMeans) {
    json document = json::parse(GoodText());
    document["composedFor"]["liquid"]["density_gpml"] = -0.0;
    document["composedFor"]["liquid"]["parts"][0]["massPart"] = -0.0;
    document["segments"][0]["duration_h"] = -0.0;
    document["segments"][0]["flows"][0]["massFlow_gpm"] = -0.0;
    document["segments"][0]["flows"][1]["pulsed"] = -0.0;
    const std::string text = document.dump();
    ASSERT_NE(text.find("-0.0"), std::string::npos) << "the file really holds minus zeros";
    const Program::TProgramFileRead read = Program::ParseProgramFile(text, "a.mixprog");
    ASSERT_TRUE(read.Ok) << read.Message;
    const auto& segment = read.Content.Segments[0];
    for (const double zero :
         {read.Content.ComposedFor.Liquid.Density_gpml, read.Content.ComposedFor.Liquid.Parts[0].MassPart,
          segment.Duration_h, segment.Flows[0].Mass_gpm, segment.Flows[1].Pulsed}) {
        EXPECT_EQ(zero, 0.0);
        EXPECT_FALSE(std::signbit(zero)) << "read as 0, not as -0";
    }
    // Written again, it is a plain zero.
    EXPECT_EQ(Program::ProgramFileJson(read.Content).find("-0"), std::string::npos);
}

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(ProgramFile, WrittenAndReadBackFromTheDisk) {
    const TestSupport::TTempFolder folder("moistrel-prog");
    const std::string path = folder.File("week 50.mixprog");
    const TProgramFileContent content = Program::ProgramFileContent(Program2(), Composition());
    EXPECT_EQ(Program::WriteProgramFile(path, content), "");
    EXPECT_EQ(ReadWhole(path), GoodText());
    const Program::TProgramFileRead read = Program::ReadProgramFile(path);
    ASSERT_TRUE(read.Ok) << read.Message;
    EXPECT_EQ(read.Content, content);
    EXPECT_EQ(folder.Entries().size(), 1U) << "no temporary file stays behind";

    // A missing file and a folder are named by their file name alone.
    EXPECT_EQ(Program::ReadProgramFile(folder.File("gone.mixprog")).Message,
              "Cannot load program file \"gone.mixprog\": it cannot be read");
    EXPECT_EQ(Program::ReadProgramFile(folder.Path()).Message,
              "Cannot load program file \"" + std::filesystem::path(folder.Path()).filename().string() +
                  "\": it cannot be read");
    EXPECT_EQ(Program::WriteProgramFile(folder.File("gone/a.mixprog"), content),
              "Cannot save program file \"a.mixprog\": it cannot be written in " + folder.File("gone"));
}

TEST(ProgramFile, AFailedSaveLeavesTheOldFileWhole) {
    const TestSupport::TTempFolder folder("moistrel-prog");
    const std::string path = folder.File("old.mixprog");
    const std::string old = GoodText();
    ASSERT_EQ(Program::WriteProgramFile(path, Program::ProgramFileContent(Program2(), Composition())), "");
    std::vector<TGasItem> longer;
    for (int i = 0; i < 40; ++i) {
        longer.push_back(Program2()[0]);
    }
    // The disk fills up half-way through the write: the process may not write files above 4 KiB.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string message =
        Program::WriteProgramFile(path, Program::ProgramFileContent(longer, Composition()));
    ::setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(message, "Cannot save program file \"old.mixprog\": it cannot be written in " + folder.Path());
    EXPECT_EQ(ReadWhole(path), old);
    EXPECT_EQ(folder.Entries().size(), 1U) << "the half-written temporary file is removed";
}

TEST(ProgramFile, TheExtensionIsAddedWhereItIsMissing) {
    const struct {
        const char* Chosen;
        const char* Written;
    } cases[] = {
        {"/data/week50", "/data/week50.mixprog"},
        {"/data/week50.mixprog", "/data/week50.mixprog"},
        {"/data/week50.json", "/data/week50.json.mixprog"},
        {"/data/week50.MIXPROG", "/data/week50.MIXPROG.mixprog"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Program::WithProgramFileExtension(c.Chosen), c.Written);
    }
}

TEST(ProgramFile, CompositionDifferencesNameWhatDiffers) {
    const Base::TScopedFormatSettings dot({".", ":"});
    const auto changed = [](const std::function<void(TProgramComposition&)>& change) {
        TProgramComposition composition = Composition();
        change(composition);
        return composition;
    };
    const struct {
        TProgramComposition Mixer;
        std::vector<std::string> Differences;
    } cases[] = {
        {Composition(), {}},
        {changed([](auto& c) { c.GasA = "Ar"; }), {"MFC A gas: \"O2\" in the file, \"Ar\" on the mixer"}},
        {changed([](auto& c) { c.GasB = ""; }), {"MFC B gas: \"N2\" in the file, none on the mixer"}},
        {changed([](auto& c) { c.Liquid.Name = "Water pure"; }),
         {"liquid: \"Ethanol 40 %\" in the file, \"Water pure\" on the mixer"}},
        {changed([](auto& c) { c.Liquid.Density_gpml = 0.997735; }),
         {"liquid density: 0.93 g/ml in the file, 0.997735 g/ml on the mixer"}},
        {changed([](auto& c) { c.Liquid.Parts[0].MassPart = 45.0; }),
         {"liquid composition: Ethanol 40, Water pure 60 in the file, Ethanol 45, Water pure 60 on the "
          "mixer"}},
        {changed([](auto& c) { c.Liquid.Parts.clear(); }),
         {"liquid composition: Ethanol 40, Water pure 60 in the file, nothing on the mixer"}},
        {changed([](auto& c) {
             c.GasA = "CO2";
             c.GasB = "Ar";
             c.Liquid = {"Water pure", 0.997735, {{"Water pure", 1000.0}}};
         }),
         {"MFC A gas: \"O2\" in the file, \"CO2\" on the mixer",
          "MFC B gas: \"N2\" in the file, \"Ar\" on the mixer",
          "liquid: \"Ethanol 40 %\" in the file, \"Water pure\" on the mixer",
          "liquid density: 0.93 g/ml in the file, 0.997735 g/ml on the mixer",
          "liquid composition: Ethanol 40, Water pure 60 in the file, Water pure 1000 on the mixer"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Program::CompositionDifferences(Composition(), c.Mixer), c.Differences);
    }
}

TEST(ProgramFile, ThePumpsLiquidIsRecordedAsTheDesignerEnteredIt) {
    TGasItem fluid;
    fluid.GasNameLong = "Ethanol 40 %";
    fluid.DensityFluid20C = 0.93F;
    TGasItem ethanol;
    ethanol.GasNameLong = "Ethanol";
    ethanol.MixtureMass = 40.0F;
    ethanol.Mass = 0.4F; // rescaled later; the entered part is what counts
    TGasItem water;
    water.GasNameLong = "Water pure";
    water.MixtureMass = 60.0F;
    fluid.Components = {ethanol, water};
    EXPECT_EQ(Program::LiquidOf(fluid), Composition().Liquid);
}

} // namespace
