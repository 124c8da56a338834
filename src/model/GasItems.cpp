#include "model/GasItems.h"

#include "model/GasCatalogue.h"
#include "model/GasItem.h"

#include <array>

namespace GasMixtures {

namespace {

constexpr std::array<std::string_view, GasItemsCount> Identifiers = {
    "gUndefined", "gAir", "gAr", "gCO", "gCO2", "gCH4", "gC2H6O", "gCH4O", "gH2", "gH2O", "gHe", "gO2", "gN2",
};

} // namespace

std::string GasItemsToText(TGasItems gas) {
    const auto ordinal = static_cast<std::size_t>(gas);
    if (ordinal >= Identifiers.size()) {
        return std::string(Identifiers[0]);
    }
    return std::string(Identifiers[ordinal]);
}

bool TextToGasItems(std::string_view text, TGasItems& gas) {
    for (std::size_t i = 0; i < Identifiers.size(); ++i) {
        if (Identifiers[i] == text) {
            gas = static_cast<TGasItems>(i);
            return true;
        }
    }
    return false;
}

std::vector<std::string> GasItemsLongNames() {
    std::vector<std::string> names;
    names.reserve(GasItemsCount);
    for (int i = 0; i < GasItemsCount; ++i) {
        TGasItem item;
        FillCatalogueGas(static_cast<TGasItems>(i), item, 0.0F);
        names.push_back(item.GasNameLong);
    }
    return names;
}

} // namespace GasMixtures
