#pragma once
// The remote commands on the program itself: every action goes through the controller of the
// window's own button, with the window's refusals, and where the window refuses by disabling a
// page or a button (validation and gas selection while a program runs, appending while it runs)
// the same refusal is said in words. Messages and questions of the operations reach the client
// through TRemoteDialogs; a question that needs the operator is refused and said.

#include "remote/Instrument.h"

#include <string>

namespace App {

class TMoistrel;

class TRemoteInstrument : public Remote::TInstrument {
public:
    // `program` must outlive this.
    explicit TRemoteInstrument(TMoistrel& program) : fProgram(program) {}

    std::string Identity() override;
    Remote::TMixerStatus State() override;
    Remote::TActionResult LoadProgram(const std::string& file) override;
    Remote::TActionResult ClearProgram() override;
    Remote::TActionResult AppendTarget(const Remote::TTargetRequest& target) override;
    int ProgramCount() override;
    Remote::TActionResult StartProgram() override;
    Remote::TActionResult StopProgram() override;
    Remote::TSegmentStatus Segment() override;
    double FlowA() override;
    double FlowB() override;
    double TotalizerA() override;
    double RelativeHumidity() override;
    double PPM() override;
    std::string LastDataLine() override;
    std::string DataHeader() override;
    Remote::TActionResult Validate() override;
    Remote::TActionResult SelectGasA(const std::string& name) override;
    Remote::TActionResult SelectGasB(const std::string& name) override;
    // Whether the settings file lets remote clients confirm the gases, or AllowGasConfirmation did.
    bool RemoteGasConfirmationAllowed() override;
    // The headless program started with --confirm-gases: the operator's Yes is given beforehand.
    void AllowGasConfirmation() { fConfirmationAllowed = true; }
    Remote::TActionResult ConfirmGases() override;

private:
    // Refused while a program runs, stops or could not stop, as the window's disabled set-up page.
    bool SetUpAllowed(std::string& refusal) const;
    Remote::TActionResult SelectGas(bool mfcA, const std::string& name);

    TMoistrel& fProgram;
    bool fConfirmationAllowed = false;
};

} // namespace App
