#pragma once
// The errors of one remote client, in the form lab software reads them: "-113,"Undefined header"",
// first in, first out, read one at a time and "0,"No error"" when none is left. The queue is
// bounded: when it is full, its newest entry becomes "-350,"Queue overflow"" and later errors are
// dropped until the client reads or clears it, so a client that never reads costs no memory.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace Remote {

// The error numbers this program reports, with their texts.
enum class TScpiError : int {
    seNoError = 0,
    seInvalidCharacter = -101,
    seSyntaxError = -102,
    seDataTypeError = -104,
    seParameterNotAllowed = -108,
    seMissingParameter = -109,
    seUndefinedHeader = -113,
    seExecutionError = -200,
    seSettingsConflict = -221,
    seDataOutOfRange = -222,
    seIllegalParameterValue = -224,
    seFileNameNotFound = -256,
    seQueueOverflow = -350,
    seInputBufferOverrun = -363,
};

// "Undefined header" for seUndefinedHeader, and so on.
std::string_view ScpiErrorText(TScpiError error);

// One entry as SYST:ERR? answers it: the number, a comma and the quoted text, with `info` after a
// semicolon when there is some ("-221,"Settings conflict;Start refused: ..."). Quotes inside are
// doubled, line breaks and other control characters become blanks, and the quoted text is cut to
// 255 characters, whole characters only.
std::string ScpiErrorLine(TScpiError error, std::string_view info = {});

class TErrorQueue {
public:
    static constexpr std::size_t DefaultCapacity = 16;
    explicit TErrorQueue(std::size_t capacity = DefaultCapacity);

    void Push(TScpiError error, std::string_view info = {});
    // The oldest entry, taken off the queue; "0,"No error"" when the queue is empty.
    std::string Pop();
    void Clear() { fEntries.clear(); }
    bool Empty() const { return fEntries.empty(); }
    std::size_t Size() const { return fEntries.size(); }

private:
    struct TEntry {
        TScpiError Error;
        std::string Line;
    };
    std::size_t fCapacity;
    std::deque<TEntry> fEntries;
};

} // namespace Remote
