#pragma once
// What the remote commands ask of the generator: one call per action or figure. The program
// implements it on top of the same controllers the window uses, so that a remote command obeys
// the same refusals as the window's buttons; the remote session only reads lines, checks the
// parameters and turns answers and refusals into answer lines and the error queue.
//
// Every call runs on the program's main thread, one after another, like a button handler.

#include <cstdint>
#include <string>
#include <utility>

namespace Remote {

// Why an action was not done; each becomes one kind of error in the client's queue.
enum class TRefusalKind : std::uint8_t {
    rkNone,
    rkSettingsConflict, // not in this state, or not with the settings as they are
    rkIllegalValue,     // a value the action cannot take (an unknown gas, substance)
    rkOutOfRange,       // a value beyond what the mixer can do (a target outside its reach)
    rkFileNotFound,     // a file that is not there or cannot be read
    rkExecution,        // tried and failed (validation that found no pump)
};

struct TActionResult {
    TRefusalKind Refusal = TRefusalKind::rkNone;
    std::string Text; // the program's own words for the refusal, as the window would show them

    bool Done() const { return Refusal == TRefusalKind::rkNone; }
    static TActionResult Success() { return {}; }
    static TActionResult Refused(std::string text, TRefusalKind kind = TRefusalKind::rkSettingsConflict) {
        return {kind == TRefusalKind::rkNone ? TRefusalKind::rkExecution : kind, std::move(text)};
    }
};

struct TMixerStatus {
    int State = 0;    // the operating state number (0 simulation, 1 stopped, 2 running, 3 stopping, 6)
    std::string Text; // its caption: "Simulation", "Stopped", "Running", "Stopping", "Cannot stop flow"
};

struct TSegmentStatus {
    int Segment = 0; // the running segment, from 1; 0 when no program runs
    int Count = 0;   // the segments of the program
    double SecondsLeft = 0.0;
};

enum class TTargetKind : std::uint8_t {
    tkRelativeHumidity, // % of water at the target conditions
    tkDewPoint,         // ºC
    tkPPM,              // mol/mol × 10⁶ of one substance of the liquid
};

struct TTargetRequest {
    TTargetKind Kind = TTargetKind::tkRelativeHumidity;
    double Value = 0.0;
    double HoldSeconds = 0.0; // > 0
    std::string Substance;    // tkPPM only
};

class TInstrument {
public:
    virtual ~TInstrument() = default;

    // "<maker>,<model>,<serial>,<version>"
    virtual std::string Identity() = 0;
    virtual TMixerStatus State() = 0;

    // The saved-program loader, with all its checks; a relative name is in the program's folder.
    virtual TActionResult LoadProgram(const std::string& file) = 0;
    virtual TActionResult ClearProgram() = 0;
    // One segment from a target through the target solver, held for its time.
    virtual TActionResult AppendTarget(const TTargetRequest& target) = 0;
    virtual int ProgramCount() = 0;
    virtual TActionResult StartProgram() = 0;
    // Always passed on, in every state: stopping can only make things safer.
    virtual TActionResult StopProgram() = 0;
    virtual TSegmentStatus Segment() = 0;

    // The latest figures (g/min, g, %, ppm); NaN when there is none.
    virtual double FlowA() = 0;
    virtual double FlowB() = 0;
    virtual double TotalizerA() = 0;
    virtual double RelativeHumidity() = 0;
    virtual double PPM() = 0;
    // The run data file's last line and its header, as they are in the file; the line is empty
    // before the first run.
    virtual std::string LastDataLine() = 0;
    virtual std::string DataHeader() = 0;

    // Validation of the instruments on the saved ports.
    virtual TActionResult Validate() = 0;
    // Selects the gas table of that name on MFC A or MFC B.
    virtual TActionResult SelectGasA(const std::string& name) = 0;
    virtual TActionResult SelectGasB(const std::string& name) = 0;
    // Whether the settings file lets a remote client answer "Confirm selected gases" for the
    // operator; off unless the settings say so.
    virtual bool RemoteGasConfirmationAllowed() = 0;
    // The operator's Yes to "Confirm selected gases".
    virtual TActionResult ConfirmGases() = 0;
};

} // namespace Remote
