#include "LogCapture.h"

#include "logging/DiagnosticLogger.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace MfcTest {

TLogCapture::TLogCapture() {
    std::string folder = (std::filesystem::temp_directory_path() / "moistrel-mfc-log-XXXXXX").string();
    if (::mkdtemp(folder.data()) != nullptr) {
        fFolder = folder;
    }
    fFileName = "capture.csl";
    Logging::TLogDestination destination;
    destination.LogFile.Active = true;
    destination.LogFile.FilePath = fFolder;
    destination.LogFile.FileName = fFileName;
    Logging::Logger().SetDestination(destination);
    Logging::Logger().SetEnabled(true);
}

TLogCapture::~TLogCapture() {
    Logging::Logger().SetDestination(Logging::TLogDestination{});
    Logging::Logger().CloseDispatcher();
    std::error_code ignored;
    if (!fFolder.empty()) {
        std::filesystem::remove_all(fFolder, ignored);
    }
}

std::vector<std::string> TLogCapture::Messages() const {
    std::vector<std::string> messages;
    std::ifstream file(fFolder + "/" + fFileName);
    std::string line;
    while (std::getline(file, line)) {
        // date-time, thread, depth, then the message indented by its depth
        std::size_t at = 0;
        for (int column = 0; column < 3 && at != std::string::npos; ++column) {
            at = line.find('\t', at);
            at = at == std::string::npos ? at : at + 1;
        }
        if (at != std::string::npos) {
            messages.push_back(line.substr(line.find_first_not_of(' ', at) == std::string::npos
                                               ? line.size()
                                               : line.find_first_not_of(' ', at)));
        }
    }
    return messages;
}

bool TLogCapture::Contains(const std::string& message) const {
    const std::vector<std::string> messages = Messages();
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

} // namespace MfcTest
