#include "sim/SimConfig.h"

namespace Sim {

namespace {

TGasTableConfig Table(std::string name, std::string custom, float fullScale, float density,
                      std::string totalizerUnit, float scaling) {
    TGasTableConfig table;
    table.NameShort = std::move(name);
    table.NameCustom = std::move(custom);
    table.FullScale = fullScale;
    table.Density_gpl = density;
    table.TotalizerUnit = std::move(totalizerUnit);
    table.TotalizerScaling = scaling;
    return table;
}

} // namespace

// The first table counts its totalizer in litres at normal conditions, the others in milligrams:
// the MFC worker converts exactly these two cases to grams.
TMfcConfig DefaultMfcA() {
    TMfcConfig mfc;
    mfc.Address = 1;
    mfc.DeviceType = "GSC-B9TA";
    mfc.Serial = 215001;
    mfc.Tables = {Table("Air", "Air 0-10 g/min (cal. 2021)", 10.0F, 1.293F, "ln", 1.0F),
                  Table("N2", "Nitrogen 0-10 g/min", 10.0F, 1.2506F, "mg", 0.001F),
                  Table("O2", "Oxygen 0-5 g/min", 5.0F, 1.429F, "mg", 0.001F)};
    mfc.NoiseSeed = 11;
    return mfc;
}

TMfcConfig DefaultMfcB() {
    TMfcConfig mfc;
    mfc.Address = 2;
    mfc.DeviceType = "GSC-C5SA";
    mfc.Serial = 215002;
    mfc.Tables = {Table("Ar", "Argon 0-20 g/min", 20.0F, 1.784F, "ln", 1.0F),
                  Table("CO2", "Carbon dioxide 0-10 g/min", 10.0F, 1.977F, "mg", 0.001F),
                  Table("Xe", "Xenon 0-2 g/min", 2.0F, 5.894F, "mg", 0.001F)};
    mfc.NoiseSeed = 22;
    return mfc;
}

TSimConfig DefaultSimConfig(const std::string& directory) {
    TSimConfig config;
    config.Directory = directory;
    config.MfcA = DefaultMfcA();
    config.MfcB = DefaultMfcB();
    return config;
}

} // namespace Sim
