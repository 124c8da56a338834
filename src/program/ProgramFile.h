#pragma once
// Saved segment programs: a segment program in a JSON file of its own (extension ".mixprog"), with
// what it was composed for (the gases of MFC A and B and the pump's liquid), so that it can be
// loaded again next week and the operator is told when the mixer now holds something else.
//
// The file holds a format version, the composition and every segment with its name, its duration
// in hours and its flows (device, gas names, mass flow, pulsed fraction, pump command); since
// version 2 a segment made from a target also holds that target (kind, value, substance, carrier
// flow and unit, MFC B's share, conditions). Files of version 1 still load, their segments without
// target. Reading is strict: anything that is not a program of these versions is refused with the
// reason, and nothing is half-loaded.

#include "model/GasItem.h"
#include "model/SegmentTarget.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Program {

// The version written; every version from the first up to it is read.
inline constexpr int ProgramFileVersion = 2;
inline constexpr int FirstProgramFileVersion = 1;
inline constexpr const char* ProgramFileExtension = ".mixprog";
// The file dialogs' filter.
inline constexpr const char* ProgramFileFilter = "Segment programs (*.mixprog)";

// One substance of the liquid with its mass part as the operator entered it.
struct TProgramLiquidPart {
    std::string Name;
    double MassPart = 0.0;
    bool operator==(const TProgramLiquidPart&) const = default;
};

struct TProgramLiquid {
    std::string Name;
    double Density_gpml = 0.0;
    std::vector<TProgramLiquidPart> Parts;
    bool operator==(const TProgramLiquid&) const = default;
};

// What a program was composed for; also what the mixer holds now.
struct TProgramComposition {
    std::string GasA; // the gas of MFC A's active table; empty when none is chosen
    std::string GasB;
    TProgramLiquid Liquid;
    bool operator==(const TProgramComposition&) const = default;
};

// One flow of a segment.
struct TProgramFlow {
    std::int32_t Device = 0; // 0 MFC A, 1 MFC B, 2 the pump
    std::string GasNameMFC;
    std::string GasNameLong;
    double Mass_gpm = 0.0;
    double Pulsed = 1.0;
    std::string PumpCommand;
    bool operator==(const TProgramFlow&) const = default;
};

struct TProgramSegment {
    std::string Name;
    double Duration_h = 0.0;
    std::vector<TProgramFlow> Flows;
    std::optional<GasMixtures::TTargetInput> Target; // none: the flows were set by hand
    bool operator==(const TProgramSegment&) const = default;
};

struct TProgramFileContent {
    TProgramComposition ComposedFor;
    std::vector<TProgramSegment> Segments;
    bool operator==(const TProgramFileContent&) const = default;
};

// The file's content for this program and composition.
TProgramFileContent ProgramFileContent(const std::vector<GasMixtures::TGasItem>& program,
                                       const TProgramComposition& composition);
// The segments a loaded file gives the editor: valid, each flow with the file's figures (the
// liquid flow marked as the pump's), a target named as the file gives its substance.
std::vector<GasMixtures::TGasItem> SegmentsOfProgramFile(const TProgramFileContent& content);

// The file's text: JSON, indented, ending in a line break.
std::string ProgramFileJson(const TProgramFileContent& content);

struct TProgramFileRead {
    bool Ok = false;
    std::string Message; // why the file was refused: "Cannot load program file "<name>": ..."
    TProgramFileContent Content;
};
// Reads a file's text; `fileName` is the name the refusal gives the file.
TProgramFileRead ParseProgramFile(const std::string& text, const std::string& fileName);
// Reads the file at `path`; a refusal names the file by its name without the folder.
TProgramFileRead ReadProgramFile(const std::string& path);

// Writes the program to `path` as one replacement. Empty on success; otherwise the message for the
// operator.
std::string WriteProgramFile(const std::string& path, const TProgramFileContent& content);

// The path with ".mixprog" added when it does not end in it already.
std::string WithProgramFileExtension(const std::string& path);

// One line for each way in which the mixer's composition differs from the file's
// ("MFC A gas: \"O2\" in the file, \"Ar\" on the mixer"); empty when they agree.
std::vector<std::string> CompositionDifferences(const TProgramComposition& file,
                                                const TProgramComposition& mixer);

// The liquid of a pump's TGasItem, as the file records it.
TProgramLiquid LiquidOf(const GasMixtures::TGasItem& fluid);

} // namespace Program
