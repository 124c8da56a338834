#pragma once
// Test plumbing: sends the program's diagnostic log into a file of its own for the life of the
// object and hands back the messages written meanwhile.

#include "support/TempFolder.h"

#include <string>
#include <vector>

namespace TestSupport {

class TLogCapture {
public:
    TLogCapture();
    ~TLogCapture();
    TLogCapture(const TLogCapture&) = delete;
    TLogCapture& operator=(const TLogCapture&) = delete;

    // The messages (without time, thread and depth columns) in the order they were written.
    std::vector<std::string> Messages() const;
    bool Contains(const std::string& message) const;

private:
    TestSupport::TTempFolder fFolder{"moistrel-mfc-log"};
    std::string fFileName;
};

} // namespace TestSupport
