#pragma once
// A dictionary of gas items keyed by text: the gas totals (keyed by GasNameMFC) and the flows of
// a segment (keyed by "0", "1", "2"). It enumerates its entries in the order their keys were first
// stored, so every report built from it lists the substances in one stable order; storing under an
// existing key replaces the value and keeps its place. A missing key reads as an all-zero item.

#include "model/GasItem.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace GasMixtures {

class TGasItemDictionary {
public:
    struct TEntry {
        std::string Key;
        TGasItem Item;
    };
    using const_iterator = std::vector<TEntry>::const_iterator;

    // The item stored under `key`, or an all-zero item when there is none.
    TGasItem Get(std::string_view key) const;
    // The stored item, or nullptr when there is none. Valid until the dictionary changes.
    const TGasItem* Find(std::string_view key) const;
    // Stores `item` under `key`, replacing an earlier entry in its place.
    void Set(std::string_view key, TGasItem item);
    bool Contains(std::string_view key) const;
    std::size_t Count() const { return fEntries.size(); }
    bool Empty() const { return fEntries.empty(); }
    void Clear();

    const_iterator begin() const { return fEntries.begin(); }
    const_iterator end() const { return fEntries.end(); }

private:
    std::vector<TEntry> fEntries;
    std::unordered_map<std::string, std::size_t> fIndex;
};

} // namespace GasMixtures
