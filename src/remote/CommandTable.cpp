#include "remote/CommandTable.h"

#include <array>
#include <cctype>
#include <utility>

namespace Remote {

namespace {

constexpr std::array<TCommandEntry, 23> Table = {{
    {TCommandId::ciIdentify, "*IDN", true, false},
    {TCommandId::ciClearStatus, "*CLS", false, false},
    {TCommandId::ciOperationDone, "*OPC", true, false},
    {TCommandId::ciError, "SYSTem:ERRor[:NEXT]", true, false},
    {TCommandId::ciState, "SYSTem:STATe", true, false},
    {TCommandId::ciLoad, "PROGram:LOAD", false, true},
    {TCommandId::ciClear, "PROGram:CLEar", false, true},
    {TCommandId::ciAppendTarget, "PROGram:APPend:TARGet", false, true},
    {TCommandId::ciCount, "PROGram:COUNt", true, false},
    {TCommandId::ciStart, "PROGram:STARt", false, true},
    {TCommandId::ciStop, "PROGram:STOP", false, true},
    {TCommandId::ciSegment, "PROGram:SEGMent", true, false},
    {TCommandId::ciFlowA, "MEASure:FLOW:A", true, false},
    {TCommandId::ciFlowB, "MEASure:FLOW:B", true, false},
    {TCommandId::ciTotalizerA, "MEASure:TOTalizer:A", true, false},
    {TCommandId::ciHumidity, "MEASure:RH", true, false},
    {TCommandId::ciPPM, "MEASure:PPM", true, false},
    {TCommandId::ciDataLast, "DATA:LAST", true, false},
    {TCommandId::ciDataHeader, "DATA:HEADer", true, false},
    {TCommandId::ciValidate, "SETup:VALidate", false, true},
    {TCommandId::ciGasA, "SETup:GAS:A", false, true},
    {TCommandId::ciGasB, "SETup:GAS:B", false, true},
    {TCommandId::ciConfirmGases, "SETup:GAS:CONFirm", false, true},
}};

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) {
            return false;
        }
    }
    return true;
}

std::string ShortForm(std::string_view pattern) {
    std::string shortForm;
    for (const char c : pattern) {
        if (!(c >= 'a' && c <= 'z')) {
            shortForm += c;
        }
    }
    return shortForm;
}

struct TNode {
    std::string_view Pattern;
    bool Optional;
};

std::vector<TNode> Nodes(std::string_view header) {
    std::vector<TNode> nodes;
    std::size_t at = 0;
    while (at < header.size()) {
        bool optional = false;
        if (header[at] == '[') {
            optional = true;
            ++at;
        }
        if (header[at] == ':') {
            ++at;
        }
        std::size_t end = at;
        while (end < header.size() && header[end] != ':' && header[end] != '[' && header[end] != ']') {
            ++end;
        }
        nodes.push_back({header.substr(at, end - at), optional});
        at = end;
        if (at < header.size() && header[at] == ']') {
            ++at;
        }
        if (at < header.size() && header[at] == ':') {
            ++at;
        }
    }
    return nodes;
}

// Whether the written mnemonics from `m` on name the nodes from `n` on, optional nodes left out or not.
bool NodesMatch(const std::vector<std::string>& written, std::size_t m, const std::vector<TNode>& nodes,
                std::size_t n) {
    if (n == nodes.size()) {
        return m == written.size();
    }
    if (nodes[n].Optional && NodesMatch(written, m, nodes, n + 1)) {
        return true;
    }
    return m < written.size() && MnemonicMatches(written[m], nodes[n].Pattern) &&
           NodesMatch(written, m + 1, nodes, n + 1);
}

std::optional<TCommandEntry> Lookup(bool common, bool query, const std::vector<std::string>& mnemonics) {
    for (const TCommandEntry& entry : Table) {
        const bool entryCommon = entry.Header.front() == '*';
        if (entryCommon != common || entry.Query != query) {
            continue;
        }
        if (common) {
            if (mnemonics.size() == 1 && SameLetters(mnemonics.front(), entry.Header.substr(1))) {
                return entry;
            }
            continue;
        }
        if (NodesMatch(mnemonics, 0, Nodes(entry.Header), 0)) {
            return entry;
        }
    }
    return std::nullopt;
}

} // namespace

std::span<const TCommandEntry> CommandTable() {
    return Table;
}

bool MnemonicMatches(std::string_view written, std::string_view pattern) {
    return SameLetters(written, pattern) || SameLetters(written, ShortForm(pattern));
}

std::optional<TCommandEntry> FindCommand(const TScpiCommand& command, std::vector<std::string>& path) {
    if (command.Common) {
        return Lookup(true, command.Query, command.Mnemonics);
    }
    if (!command.Absolute && !path.empty()) {
        std::vector<std::string> relative = path;
        relative.insert(relative.end(), command.Mnemonics.begin(), command.Mnemonics.end());
        if (std::optional<TCommandEntry> entry = Lookup(false, command.Query, relative)) {
            relative.pop_back();
            path = std::move(relative);
            return entry;
        }
    }
    std::optional<TCommandEntry> entry = Lookup(false, command.Query, command.Mnemonics);
    if (entry) {
        path.assign(command.Mnemonics.begin(), command.Mnemonics.end() - 1);
    }
    return entry;
}

std::string ShortHeader(const TCommandEntry& entry) {
    if (entry.Header.front() == '*') {
        return std::string(entry.Header);
    }
    std::string header;
    for (const TNode& node : Nodes(entry.Header)) {
        if (node.Optional) {
            continue;
        }
        if (!header.empty()) {
            header += ':';
        }
        header += ShortForm(node.Pattern);
    }
    return header;
}

} // namespace Remote
