#include "remote/ErrorQueue.h"

#include "remote/RemoteText.h"

#include <algorithm>
#include <string>
#include <utility>

namespace Remote {

std::string_view ScpiErrorText(TScpiError error) {
    switch (error) {
    case TScpiError::seNoError:
        return "No error";
    case TScpiError::seInvalidCharacter:
        return "Invalid character";
    case TScpiError::seSyntaxError:
        return "Syntax error";
    case TScpiError::seDataTypeError:
        return "Data type error";
    case TScpiError::seParameterNotAllowed:
        return "Parameter not allowed";
    case TScpiError::seMissingParameter:
        return "Missing parameter";
    case TScpiError::seUndefinedHeader:
        return "Undefined header";
    case TScpiError::seExecutionError:
        return "Execution error";
    case TScpiError::seSettingsConflict:
        return "Settings conflict";
    case TScpiError::seDataOutOfRange:
        return "Data out of range";
    case TScpiError::seIllegalParameterValue:
        return "Illegal parameter value";
    case TScpiError::seFileNameNotFound:
        return "File name not found";
    case TScpiError::seQueueOverflow:
        return "Queue overflow";
    case TScpiError::seInputBufferOverrun:
        return "Input buffer overrun";
    }
    return "Execution error";
}

std::string ScpiErrorLine(TScpiError error, std::string_view info) {
    // The longest text an error may carry, in characters.
    constexpr std::size_t TextLimit = 255;
    std::string text(ScpiErrorText(error));
    if (!info.empty()) {
        text += ';';
        text += OneLine(info);
    }
    return std::to_string(static_cast<int>(error)) + "," + QuotedString(Utf8Cut(text, TextLimit));
}

TErrorQueue::TErrorQueue(std::size_t capacity) : fCapacity(std::max<std::size_t>(capacity, 2)) {}

void TErrorQueue::Push(TScpiError error, std::string_view info) {
    if (error == TScpiError::seNoError) {
        return;
    }
    if (fEntries.size() < fCapacity) {
        fEntries.push_back({error, ScpiErrorLine(error, info)});
        return;
    }
    if (fEntries.back().Error != TScpiError::seQueueOverflow) {
        fEntries.back() = {TScpiError::seQueueOverflow, ScpiErrorLine(TScpiError::seQueueOverflow)};
    }
}

std::string TErrorQueue::Pop() {
    if (fEntries.empty()) {
        return ScpiErrorLine(TScpiError::seNoError);
    }
    std::string line = std::move(fEntries.front().Line);
    fEntries.pop_front();
    return line;
}

} // namespace Remote
