#include "app/TRemoteControl.h"

#include "app/TMoistrel.h"
#include "logging/LogOld.h"
#include "settings/ProfileFile.h"
#include "ui/TForm1.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/widgets/TMemoPane.h"

#include <QLabel>
#include <limits>

namespace App {

namespace {

constexpr const char* RemoteSection = "Remote";

} // namespace

TRemoteSettings ReadRemoteSettings(const Settings::TProfileFile& file) {
    TRemoteSettings settings;
    const auto number = [&](const char* key) -> std::optional<std::int32_t> {
        const std::optional<std::string> text = file.Find(RemoteSection, key);
        if (!text) {
            return std::nullopt;
        }
        const std::optional<std::int32_t> value = Settings::ParseProfileInteger(*text);
        if (!value) {
            settings.Problem += std::string(settings.Problem.empty() ? "" : "; ") + "[Remote] " + key + "=" +
                                *text + " cannot be read";
        }
        return value;
    };
    if (const auto enabled = number("Enabled")) {
        settings.Enabled = *enabled == 1;
    }
    if (const auto port = number("Port")) {
        if (*port >= 1 && *port <= std::numeric_limits<std::uint16_t>::max()) {
            settings.Port = static_cast<std::uint16_t>(*port);
        } else {
            settings.Problem += std::string(settings.Problem.empty() ? "" : "; ") +
                                "[Remote] Port=" + std::to_string(*port) + " is not a port (1 to 65535)";
        }
    }
    return settings;
}

TRemoteControl::TRemoteControl(TMoistrel& program)
    : fProgram(program), fInstrument(program),
      fServer(fInstrument, *program.Form().MemoLog, program.Clock(), [this] { ShowStatus(); }) {
    ShowStatus();
}

TRemoteControl::~TRemoteControl() = default;

void TRemoteControl::Start(TRemoteStart mode) {
    Settings::TProfileFile file(fProgram.Places().SettingsFile);
    std::string error;
    if (!file.Load(error) && mode == TRemoteStart::AsTheSettingsSay) {
        return; // start-up has said so already; remote control stays off
    }
    const TRemoteSettings settings = ReadRemoteSettings(file);
    if (!settings.Problem.empty()) {
        Logging::LogOld(*fProgram.Form().MemoLog, settings.Problem + "; the default is used",
                        fProgram.Clock());
    }
    if (!settings.Enabled && mode == TRemoteStart::AsTheSettingsSay) {
        return;
    }
    TRemoteServerOptions options;
    options.Port = settings.Port;
    if (!Listen(options, error)) {
        Logging::LogOld(*fProgram.Form().MemoLog, error, fProgram.Clock());
    }
}

bool TRemoteControl::Listen(const TRemoteServerOptions& options, std::string& error) {
    return fServer.Listen(options, error);
}

void TRemoteControl::ShowStatus() {
    fProgram.Form().Setup->LabelRemoteControl->setText(
        QString::fromStdString(RemoteControlText(fServer.Listening(), fServer.Port(), fServer.Clients())));
}

} // namespace App
