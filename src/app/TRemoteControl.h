#pragma once
// Remote control as the settings file has it: section "Remote", key "Enabled" (1 turns it on;
// off by default) and key "Port" (5025 by default). This object owns the remote commands on the
// program and their TCP server, and keeps the window's line about remote control up to date.

#include "app/TRemoteInstrument.h"
#include "app/TRemoteServer.h"

#include <cstdint>
#include <string>

namespace Settings {
class TProfileFile;
}

namespace App {

class TMoistrel;

struct TRemoteSettings {
    bool Enabled = false;
    std::uint16_t Port = DefaultRemotePort;
    // What could not be read as it stands, said in the operation log; the default is used.
    std::string Problem;
};

// The "Remote" section of the settings file.
TRemoteSettings ReadRemoteSettings(const Settings::TProfileFile& file);

enum class TRemoteStart : std::uint8_t {
    AsTheSettingsSay, // on when "Enabled" is 1
    Always,           // the headless program: the server is how a rig drives it
};

class TRemoteControl {
public:
    // `program` must outlive this, and be started up before Start.
    explicit TRemoteControl(TMoistrel& program);
    ~TRemoteControl();
    TRemoteControl(const TRemoteControl&) = delete;
    TRemoteControl& operator=(const TRemoteControl&) = delete;

    // Reads the settings file and listens when it turns remote control on (or always); a port that
    // cannot be used is said in the operation log and remote control stays off.
    void Start(TRemoteStart mode = TRemoteStart::AsTheSettingsSay);
    // Listens whatever the settings say (the headless program, the tests).
    bool Listen(const TRemoteServerOptions& options, std::string& error);

    TRemoteServer& Server() { return fServer; }
    TRemoteInstrument& Instrument() { return fInstrument; }

private:
    void ShowStatus();

    TMoistrel& fProgram;
    TRemoteInstrument fInstrument;
    TRemoteServer fServer;
};

} // namespace App
