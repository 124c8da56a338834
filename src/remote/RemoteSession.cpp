#include "remote/RemoteSession.h"

#include "remote/RemoteText.h"

#include <cmath>
#include <exception>
#include <optional>
#include <utility>

namespace Remote {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

TScpiError ErrorOf(TRefusalKind kind) {
    switch (kind) {
    case TRefusalKind::rkNone:
        return TScpiError::seNoError;
    case TRefusalKind::rkSettingsConflict:
        return TScpiError::seSettingsConflict;
    case TRefusalKind::rkIllegalValue:
        return TScpiError::seIllegalParameterValue;
    case TRefusalKind::rkOutOfRange:
        return TScpiError::seDataOutOfRange;
    case TRefusalKind::rkFileNotFound:
        return TScpiError::seFileNameNotFound;
    case TRefusalKind::rkExecution:
        return TScpiError::seExecutionError;
    }
    return TScpiError::seExecutionError;
}

// The parameters a command takes, checked before anything is passed on; seNoError when they fit.
TScpiError NoParameters(const TScpiCommand& command) {
    return command.Parameters.empty() ? TScpiError::seNoError : TScpiError::seParameterNotAllowed;
}

TScpiError OneString(const TScpiCommand& command) {
    if (command.Parameters.empty()) {
        return TScpiError::seMissingParameter;
    }
    if (command.Parameters.size() > 1) {
        return TScpiError::seParameterNotAllowed;
    }
    const TScpiParameter& parameter = command.Parameters.front();
    if (parameter.Kind != TParameterKind::pkString) {
        return TScpiError::seDataTypeError;
    }
    if (Trimmed(parameter.Text).empty()) {
        return TScpiError::seIllegalParameterValue;
    }
    return TScpiError::seNoError;
}

// PROG:APP:TARG RH|DEWPoint|PPM,<value>,<hold s>[,<substance>]
TScpiError TargetOf(const TScpiCommand& command, TTargetRequest& target) {
    const std::vector<TScpiParameter>& p = command.Parameters;
    if (p.size() < 3) {
        return TScpiError::seMissingParameter;
    }
    if (p[0].Kind != TParameterKind::pkMnemonic || p[1].Kind != TParameterKind::pkNumber ||
        p[2].Kind != TParameterKind::pkNumber) {
        return TScpiError::seDataTypeError;
    }
    if (MnemonicMatches(p[0].Text, "RH")) {
        target.Kind = TTargetKind::tkRelativeHumidity;
    } else if (MnemonicMatches(p[0].Text, "DEWPoint")) {
        target.Kind = TTargetKind::tkDewPoint;
    } else if (MnemonicMatches(p[0].Text, "PPM")) {
        target.Kind = TTargetKind::tkPPM;
    } else {
        return TScpiError::seIllegalParameterValue;
    }
    target.Value = p[1].Number;
    target.HoldSeconds = p[2].Number;
    if (!(target.HoldSeconds > 0.0)) {
        return TScpiError::seIllegalParameterValue;
    }
    if (target.Kind != TTargetKind::tkPPM) {
        return p.size() == 3 ? TScpiError::seNoError : TScpiError::seParameterNotAllowed;
    }
    if (p.size() < 4) {
        return TScpiError::seMissingParameter;
    }
    if (p.size() > 4) {
        return TScpiError::seParameterNotAllowed;
    }
    if (p[3].Kind == TParameterKind::pkNumber) {
        return TScpiError::seDataTypeError;
    }
    if (Trimmed(p[3].Text).empty()) {
        return TScpiError::seIllegalParameterValue;
    }
    target.Substance = std::string(Trimmed(p[3].Text));
    return TScpiError::seNoError;
}

} // namespace

TRemoteSession::TRemoteSession(TInstrument& instrument, TSessionOptions options)
    : fInstrument(instrument), fErrors(options.ErrorQueueCapacity) {}

TSessionOutput TRemoteSession::Feed(std::string_view bytes) {
    TSessionOutput output;
    if (fClosed) {
        output.Close = true;
        return output;
    }
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            fPending.append(bytes);
            // Past the limit it can no longer become a line of at most LineLimit bytes (and its CR).
            const bool mayStillEnd =
                fPending.size() <= LineLimit || (fPending.size() == LineLimit + 1 && fPending.back() == '\r');
            if (!mayStillEnd) {
                Overrun(output);
            }
            return output;
        }
        fPending.append(bytes.substr(0, end));
        bytes.remove_prefix(end + 1);
        std::string line = std::move(fPending);
        fPending.clear();
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.size() > LineLimit) {
            Overrun(output);
            return output;
        }
        ExecuteLine(line, output);
    }
    return output;
}

void TRemoteSession::Overrun(TSessionOutput& output) {
    fClosed = true;
    fPending.clear();
    fPending.shrink_to_fit();
    const std::string info = "line longer than " + std::to_string(LineLimit) + " bytes";
    fErrors.Push(TScpiError::seInputBufferOverrun, info);
    output.Lines.push_back(ScpiErrorLine(TScpiError::seInputBufferOverrun, info));
    output.Close = true;
}

void TRemoteSession::ExecuteLine(std::string_view line, TSessionOutput& output) {
    if (!IsText(line)) {
        fErrors.Push(TScpiError::seInvalidCharacter);
        return;
    }
    std::vector<std::string> answers;
    std::vector<std::string> path;
    bool failed = false;
    for (const std::string_view piece : SplitScpiLine(line)) {
        const TScpiParse parse = ParseScpiCommand(piece);
        if (parse.Empty) {
            continue;
        }
        const std::optional<TCommandEntry> entry =
            parse.Error == TScpiError::seNoError ? FindCommand(parse.Command, path) : std::nullopt;
        // After a failure only a stop is still obeyed: what followed may have counted on the
        // failed command (a start after a load that was refused).
        if (failed) {
            if (entry && entry->Id == TCommandId::ciStop) {
                (void)ExecuteGuarded(parse.Command, *entry, Trimmed(piece), answers, output);
            }
            continue;
        }
        if (parse.Error != TScpiError::seNoError) {
            fErrors.Push(parse.Error);
            failed = true;
            continue;
        }
        if (!entry) {
            fErrors.Push(TScpiError::seUndefinedHeader);
            failed = true;
            continue;
        }
        if (!ExecuteGuarded(parse.Command, *entry, Trimmed(piece), answers, output)) {
            failed = true;
        }
    }
    if (!answers.empty()) {
        std::string joined;
        for (const std::string& answer : answers) {
            if (!joined.empty()) {
                joined += ';';
            }
            joined += answer;
        }
        output.Lines.push_back(std::move(joined));
    }
}

bool TRemoteSession::ExecuteGuarded(const TScpiCommand& command, const TCommandEntry& entry,
                                    std::string_view written, std::vector<std::string>& answers,
                                    TSessionOutput& output) {
    // The instrument is the program itself; a failure inside it must not take the client, nor
    // the main thread, with it. The client hears of it as an execution error.
    std::string failure;
    try {
        return Execute(command, entry, written, answers, output);
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "unexpected failure";
    }
    fErrors.Push(TScpiError::seExecutionError, failure);
    if (entry.Changes) {
        output.Actions.push_back({std::string(written), false, failure});
    }
    return false;
}

void TRemoteSession::Refused(const TActionResult& result) {
    fErrors.Push(ErrorOf(result.Refusal), result.Text);
}

bool TRemoteSession::Execute(const TScpiCommand& command, const TCommandEntry& entry,
                             std::string_view written, std::vector<std::string>& answers,
                             TSessionOutput& output) {
    TScpiError check = TScpiError::seNoError;
    TTargetRequest target;
    switch (entry.Id) {
    case TCommandId::ciLoad:
    case TCommandId::ciGasA:
    case TCommandId::ciGasB:
        check = OneString(command);
        break;
    case TCommandId::ciAppendTarget:
        check = TargetOf(command, target);
        break;
    default:
        check = NoParameters(command);
        break;
    }
    if (check != TScpiError::seNoError) {
        fErrors.Push(check);
        return false;
    }

    const auto act = [&](const TActionResult& result) {
        if (entry.Changes) {
            output.Actions.push_back({std::string(written), result.Done(), result.Text});
        }
        if (!result.Done()) {
            Refused(result);
        }
        return result.Done();
    };
    const auto answer = [&](const std::string& line) {
        answers.push_back(OneLine(line));
        return true;
    };
    const std::string text = command.Parameters.empty() ? std::string() : command.Parameters.front().Text;

    switch (entry.Id) {
    case TCommandId::ciIdentify:
        return answer(fInstrument.Identity());
    case TCommandId::ciClearStatus:
        fErrors.Clear();
        return true;
    case TCommandId::ciOperationDone:
        // Every command has ended when its line has been executed: none runs on in the background.
        return answer("1");
    case TCommandId::ciError:
        return answer(fErrors.Pop());
    case TCommandId::ciState: {
        const TMixerStatus status = fInstrument.State();
        return answer(std::to_string(status.State) + "," + QuotedString(OneLine(status.Text)));
    }
    case TCommandId::ciLoad:
        return act(fInstrument.LoadProgram(text));
    case TCommandId::ciClear:
        return act(fInstrument.ClearProgram());
    case TCommandId::ciAppendTarget:
        return act(fInstrument.AppendTarget(target));
    case TCommandId::ciCount:
        return answer(std::to_string(fInstrument.ProgramCount()));
    case TCommandId::ciStart:
        return act(fInstrument.StartProgram());
    case TCommandId::ciStop:
        return act(fInstrument.StopProgram());
    case TCommandId::ciSegment: {
        const TSegmentStatus segment = fInstrument.Segment();
        return answer(std::to_string(segment.Segment) + "," + std::to_string(segment.Count) + "," +
                      ScpiNumber(segment.SecondsLeft));
    }
    case TCommandId::ciFlowA:
        return answer(ScpiNumber(fInstrument.FlowA()));
    case TCommandId::ciFlowB:
        return answer(ScpiNumber(fInstrument.FlowB()));
    case TCommandId::ciTotalizerA:
        return answer(ScpiNumber(fInstrument.TotalizerA()));
    case TCommandId::ciHumidity:
        return answer(ScpiNumber(fInstrument.RelativeHumidity()));
    case TCommandId::ciPPM:
        return answer(ScpiNumber(fInstrument.PPM()));
    case TCommandId::ciDataLast:
        return answer(fInstrument.LastDataLine());
    case TCommandId::ciDataHeader:
        return answer(fInstrument.DataHeader());
    case TCommandId::ciValidate:
        return act(fInstrument.Validate());
    case TCommandId::ciGasA:
        return act(fInstrument.SelectGasA(text));
    case TCommandId::ciGasB:
        return act(fInstrument.SelectGasB(text));
    case TCommandId::ciConfirmGases:
        if (!fInstrument.RemoteGasConfirmationAllowed()) {
            return act(TActionResult::Refused(
                "Confirming the gases from a remote client is off: set \"Confirm gases\" to 1 in section "
                "\"Remote\" of the settings file to allow it."));
        }
        return act(fInstrument.ConfirmGases());
    }
    fErrors.Push(TScpiError::seUndefinedHeader);
    return false;
}

} // namespace Remote
