#pragma once
// One remote client: the bytes it sends become lines, each line's commands are looked up, checked
// and passed to the instrument, and what comes back becomes answer lines and entries in the
// client's own error queue. The network shell makes one per client and sends the answer lines.
//
// Lines end with LF or CR LF and hold at most LineLimit bytes. A line that is not text (invalid
// UTF-8, NUL or other control characters but tab and CR) is not executed: "-101,"Invalid
// character"" goes into the queue. A line over the limit ends the session: the shell sends the
// last answer ("-363,"Input buffer overrun;...") and closes the client.
//
// The answers of the queries of one line go back as one line, separated by semicolons; a line
// without a query gets no answer. A command that fails (an undefined header, a wrong parameter, a
// refusal, a failure thrown inside the instrument) gives no answer and puts its error in the queue,
// and the rest of its line is not executed, except PROG:STOP, which is always obeyed.

#include "remote/CommandTable.h"
#include "remote/ErrorQueue.h"
#include "remote/Instrument.h"
#include "remote/ScpiCommand.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Remote {

// A command that changes something, as it was passed on: for the operation log.
struct TRemoteAction {
    std::string Command; // the command as the client wrote it, blanks trimmed
    bool Done = false;
    std::string Refusal; // why not, when not done
    bool operator==(const TRemoteAction&) const = default;
};

struct TSessionOutput {
    std::vector<std::string> Lines; // answer lines, without their line end
    std::vector<TRemoteAction> Actions;
    bool Close = false; // the client is to be closed after the lines are sent
};

struct TSessionOptions {
    std::size_t ErrorQueueCapacity = TErrorQueue::DefaultCapacity;
};

class TRemoteSession {
public:
    static constexpr std::size_t LineLimit = 4096;

    // `instrument` must outlive the session.
    explicit TRemoteSession(TInstrument& instrument, TSessionOptions options = {});

    // Takes the next bytes from the client (any split: half a line, several lines) and executes
    // every line they complete. Once Close has been given, later bytes are ignored.
    TSessionOutput Feed(std::string_view bytes);
    // Executes one line (without its line end); appends to `output`.
    void ExecuteLine(std::string_view line, TSessionOutput& output);

    TErrorQueue& Errors() { return fErrors; }
    bool Closed() const { return fClosed; }

private:
    // One command of a line: appends its answer to `answers`; false when it failed.
    bool Execute(const TScpiCommand& command, const TCommandEntry& entry, std::string_view written,
                 std::vector<std::string>& answers, TSessionOutput& output);
    // Execute, with a failure thrown inside the instrument made an execution error.
    bool ExecuteGuarded(const TScpiCommand& command, const TCommandEntry& entry, std::string_view written,
                        std::vector<std::string>& answers, TSessionOutput& output);
    void Refused(const TActionResult& result);
    void Overrun(TSessionOutput& output);

    TInstrument& fInstrument;
    TErrorQueue fErrors;
    std::string fPending; // the bytes of the line not yet ended
    bool fClosed = false;
};

} // namespace Remote
