#pragma once
// The operation log line: the local time as "dd-hh-mm-ss", one blank and the message, added to a
// text pane and mirrored to the diagnostic channel as "LogOld: " + message.

#include "base/Clock.h"
#include "base/DateTime.h"
#include "base/TextPane.h"

#include <string>
#include <string_view>

namespace Logging {

std::string OperationLogLine(Base::TDateTime now, std::string_view msg);
void LogOld(Base::TTextPane& target, std::string_view msg, const Base::TClock& clock);

} // namespace Logging
