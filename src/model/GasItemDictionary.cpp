#include "model/GasItemDictionary.h"

#include <utility>

namespace GasMixtures {

TGasItem TGasItemDictionary::Get(std::string_view key) const {
    const TGasItem* found = Find(key);
    return found != nullptr ? *found : TGasItem{};
}

const TGasItem* TGasItemDictionary::Find(std::string_view key) const {
    const auto it = fIndex.find(std::string(key));
    return it == fIndex.end() ? nullptr : &fEntries[it->second].Item;
}

void TGasItemDictionary::Set(std::string_view key, TGasItem item) {
    std::string text(key);
    const auto it = fIndex.find(text);
    if (it != fIndex.end()) {
        fEntries[it->second].Item = std::move(item);
        return;
    }
    fIndex.emplace(text, fEntries.size());
    fEntries.push_back(TEntry{std::move(text), std::move(item)});
}

bool TGasItemDictionary::Contains(std::string_view key) const {
    return fIndex.find(std::string(key)) != fIndex.end();
}

void TGasItemDictionary::Clear() {
    fEntries.clear();
    fIndex.clear();
}

} // namespace GasMixtures
