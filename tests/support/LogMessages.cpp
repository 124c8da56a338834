#include "support/LogMessages.h"

#include <fstream>

namespace TestSupport {

std::vector<std::string> ReadLogMessages(const std::string& path) {
    std::vector<std::string> messages;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        // date-time, thread, depth, then the message indented by its depth
        std::size_t at = 0;
        for (int column = 0; column < 3 && at != std::string::npos; ++column) {
            at = line.find('\t', at);
            at = at == std::string::npos ? at : at + 1;
        }
        if (at != std::string::npos) {
            const std::size_t text = line.find_first_not_of(' ', at);
            messages.push_back(text == std::string::npos ? std::string() : line.substr(text));
        }
    }
    return messages;
}

} // namespace TestSupport
