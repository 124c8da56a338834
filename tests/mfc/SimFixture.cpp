#include "SimFixture.h"

#include <cstdlib>
#include <filesystem>

namespace MfcTest {

TSimRun::TSimRun(const std::function<void(Sim::TSimConfig&)>& adjust, bool fast) {
    std::string folder = (std::filesystem::temp_directory_path() / "moistrel-mfc-sim-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        fError = "cannot make a temporary folder";
        return;
    }
    fFolder = folder;
    Sim::TSimConfig config = Sim::DefaultSimConfig(fFolder);
    config.Fast = fast;
    config.MfcA.NoiseFraction = 0.0;
    config.MfcB.NoiseFraction = 0.0;
    if (adjust) {
        adjust(config);
    }
    fSimulator = std::make_unique<Sim::TSimulator>(config);
    fStarted = fSimulator->Start(fError);
}

TSimRun::~TSimRun() {
    if (fSimulator) {
        fSimulator->Stop();
    }
    if (!fFolder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(fFolder, ignored);
    }
}

} // namespace MfcTest
