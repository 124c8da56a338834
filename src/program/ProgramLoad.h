#pragma once
// Loading a saved program onto the mixer as it is now. A file holds what the program was composed
// for weeks ago; the mixer may since hold other ranges, another syringe or another liquid. So no
// figure of the file goes to an instrument as it stands: every segment is built again the way the
// segment editor builds a new one from the design screen (the A and B flows held to their MFC's
// range, MFC A's pulsed share derived from its lowest flow, the pump command computed from the
// liquid flow with the present syringe, pump and liquid, the gases' molar masses and the liquid's
// substances taken from the mixer) and judged as the editor judges it. What comes out differently
// is told segment by segment; what the editor would refuse is refused. The operator then decides.

#include "model/GasItem.h"
#include "program/ProgramFile.h"
#include "state/MoistrelState.h"

#include <string>
#include <vector>

namespace Program {

// What the mixer holds now, as a program file records what a program was composed for: the gases
// of the MFCs' active tables and the pump's liquid.
TProgramComposition MixerComposition(const UnitMain::TMoistrelState& mixer);

// One segment of the file judged on the mixer.
struct TJudgedSegment {
    std::size_t Number = 0; // 1-based, in the file
    std::string Name;
    bool Refused = false;
    // Refused: the one reason. Otherwise what came out differently from the file; empty when the
    // segment is the one that was saved.
    std::vector<std::string> Notes;
    GasMixtures::TGasItem Segment; // as the editor would have made it now; only when not refused
};

struct TLoadJudgement {
    // The ways in which the mixer's gases or liquid differ from the file's.
    std::vector<std::string> CompositionDifferences;
    std::vector<TJudgedSegment> Segments;
    // The segments that are not refused, in their order: what loading gives the editor.
    std::vector<GasMixtures::TGasItem> Program;
};

// Builds and judges every segment of `content` on `mixer`. Reads the mixer only: in simulation the
// caller applies the demonstration values first, as the editor does before it adds a segment.
TLoadJudgement JudgeLoadedProgram(const TProgramFileContent& content, const UnitMain::TMoistrelState& mixer);

// What the operator is told before a load.
struct TLoadQuestion {
    bool Ask = false;     // false: the program loads as it was saved, nothing to tell
    bool CanLoad = false; // false: nothing of it can run here; Text is a message, not a question
    std::string Text;
};
// `fileName` is the name the text gives the file.
TLoadQuestion LoadQuestion(const std::string& fileName, const TLoadJudgement& judgement);

} // namespace Program
