// The gas item, its dictionary and the catalogue: identifiers, name lookup, the air split, value
// semantics, gas totals and the flows of a segment by device, and the liquid description.

#include "base/DateTime.h"
#include "base/FormatSettings.h"
#include "model/GasMixtures.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace GasMixtures;

TGasItem Leaf(const std::string& symbol, float mass, float molarMass = 1.0F) {
    TGasItem item;
    item.GasNameMFC = symbol;
    item.GasNameLong = symbol + " long";
    item.Mass = mass;
    item.MolarMass = molarMass;
    return item;
}

std::vector<std::string> Keys(const TGasItemDictionary& dictionary) {
    std::vector<std::string> keys;
    for (const auto& entry : dictionary) {
        keys.push_back(entry.Key);
    }
    return keys;
}

// ---------------------------------------------------------------- TGasItems

TEST(GasItems, IsOneByteAndItsIdentifiersGoBothWays) {
    static_assert(sizeof(TGasItems) == 1);
    const std::vector<std::string> expected = {"gUndefined", "gAir", "gAr",  "gCO", "gCO2", "gCH4", "gC2H6O",
                                               "gCH4O",      "gH2",  "gH2O", "gHe", "gO2",  "gN2"};
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(GasItemsCount));
    for (std::size_t ordinal = 0; ordinal < expected.size(); ++ordinal) {
        const auto gas = static_cast<TGasItems>(ordinal);
        EXPECT_EQ(GasItemsToText(gas), expected[ordinal]);
        TGasItems back = ordinal == 0 ? gN2 : gUndefined;
        EXPECT_TRUE(TextToGasItems(expected[ordinal], back)) << expected[ordinal];
        EXPECT_EQ(back, gas);
    }
    EXPECT_EQ(GasItemsToText(gH2O), "gH2O");
    EXPECT_EQ(GasItemsToText(static_cast<TGasItems>(200)), "gUndefined");
}

TEST(GasItems, UnknownTextIsRefusedAndLeavesTheValue) {
    for (const char* text : {"", "H2O", "gh2o", "gH2O ", " gH2O", "gXe", "9"}) {
        TGasItems gas = gCO2;
        EXPECT_FALSE(TextToGasItems(text, gas)) << text;
        EXPECT_EQ(gas, gCO2) << text;
    }
}

TEST(GasItems, LongNamesInOrdinalOrder) {
    const std::vector<std::string> expected = {
        "",         "Air bottled", "Argon",      "Carbon monoxide", "Carbon dioxide", "Methane", "Ethanol",
        "Methanol", "Hydrogen",    "Water pure", "Helium",          "Oxygen",         "Nitrogen"};
    EXPECT_EQ(GasItemsLongNames(), expected);
}

// ---------------------------------------------------------------- FindCatalogueGas

struct TNameCase {
    const char* Name;
    TGasItems Expected;
};

class FindCatalogueGasTest : public ::testing::TestWithParam<TNameCase> {};

TEST_P(FindCatalogueGasTest, NameGivesEntry) {
    EXPECT_EQ(GasItemsToText(FindCatalogueGas(GetParam().Name)), GasItemsToText(GetParam().Expected))
        << "name \"" << GetParam().Name << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Names, FindCatalogueGasTest,
    ::testing::Values(
        // Exact long names of the catalogue.
        TNameCase{"Argon", gAr}, TNameCase{"Carbon dioxide", gCO2}, TNameCase{"Carbon monoxide", gCO},
        TNameCase{"Water pure", gH2O}, TNameCase{"Hydrogen", gH2}, TNameCase{"Methanol", gCH4O},
        TNameCase{"Methane", gCH4}, TNameCase{"Helium", gHe}, TNameCase{"Oxygen", gO2},
        TNameCase{"Nitrogen", gN2}, TNameCase{"Air bottled", gAir}, TNameCase{"Ethanol", gC2H6O},
        // Symbols, and MFC names with a suffix.
        TNameCase{"Ar", gAr}, TNameCase{"Argon 5.0", gAr}, TNameCase{"CO2", gCO2}, TNameCase{"CO2 4.5", gCO2},
        TNameCase{"CO", gCO}, TNameCase{"H2O", gH2O}, TNameCase{"H2", gH2}, TNameCase{"CH4O", gCH4O},
        TNameCase{"CH4", gCH4}, TNameCase{"He", gHe}, TNameCase{"O2", gO2}, TNameCase{"N2", gN2},
        TNameCase{"C2H6O", gC2H6O},
        // Order decides: the longer symbols are tested first; bare prefixes catch more than they name.
        TNameCase{"N2O", gN2}, TNameCase{"Hexane", gHe}, TNameCase{"COS", gCO}, TNameCase{"H2S", gH2},
        TNameCase{"Water", gH2O}, TNameCase{"Air", gAir},
        // Not found: case matters, equality is of the whole text, a shorter text is no prefix match.
        TNameCase{"", gUndefined}, TNameCase{"air", gUndefined}, TNameCase{"argon", gUndefined},
        TNameCase{"A", gUndefined}, TNameCase{"C", gUndefined}, TNameCase{"C2H6O ", gUndefined},
        TNameCase{"Ethanol absolute", gUndefined}, TNameCase{" Argon", gUndefined},
        TNameCase{"Xenon", gUndefined}));

// ---------------------------------------------------------------- FillCatalogueGas

struct TCatalogueCase {
    TGasItems Gas;
    const char* NameMFC;
    const char* NameLong;
    float MolarMass;
    float Density;
};

TEST(FillCatalogueGas, EveryEntryWithItsFigures) {
    const TCatalogueCase cases[] = {
        {gAr, "Ar", "Argon", 39.948F, 1.0F},
        {gCO, "CO", "Carbon monoxide", 28.0134F, 1.0F},
        {gCO2, "CO2", "Carbon dioxide", 44.0095F, 1.0F},
        {gCH4, "CH4", "Methane", 16.043F, 1.0F},
        {gC2H6O, "C2H6O", "Ethanol", 46.069F, 0.7893F},
        {gCH4O, "CH4O", "Methanol", 32.04F, 0.792F},
        {gH2, "H2", "Hydrogen", 2.01588F, 1.0F},
        {gH2O, "H2O", "Water pure", 18.01528F, 0.997735F},
        {gHe, "He", "Helium", 4.002602F, 1.0F},
        {gO2, "O2", "Oxygen", 31.9988F, 1.0F},
        {gN2, "N2", "Nitrogen", 28.0134F, 1.0F},
    };
    for (const TCatalogueCase& c : cases) {
        TGasItem item;
        item.Init();
        item.StepName = "old";
        item.StepTime = 3.0;
        item.Fluid = true;
        item.InstrumentID = 2;
        item.MolPerML = 7.0F;
        FillCatalogueGas(c.Gas, item, 0.25F);
        const std::string label = c.NameLong;
        EXPECT_EQ(item.GasNameMFC, c.NameMFC) << label;
        EXPECT_EQ(item.GasNameLong, c.NameLong) << label;
        EXPECT_EQ(item.MolarMass, c.MolarMass) << label;
        EXPECT_EQ(item.DensityFluid20C, c.Density) << label;
        EXPECT_EQ(item.Mass, 0.25F) << label;
        EXPECT_EQ(item.PartialPressure, -1.0F) << label;
        EXPECT_TRUE(item.StepName.empty()) << label;
        EXPECT_EQ(item.StepTime, 0.0) << label;
        EXPECT_FALSE(item.Fluid) << label;
        // Fields the catalogue does not own keep their values.
        EXPECT_EQ(item.InstrumentID, 2) << label;
        EXPECT_EQ(item.MolPerML, 7.0F) << label;
        EXPECT_EQ(item.FluidMaxPPM, 1000000) << label;
        EXPECT_TRUE(item.Components.empty()) << label;
    }
}

TEST(FillCatalogueGas, UndefinedAndOutOfRangeGiveAnEmptyEntry) {
    for (const TGasItems gas : {gUndefined, static_cast<TGasItems>(13), static_cast<TGasItems>(255)}) {
        TGasItem item = Leaf("Ar", 9.0F, 39.0F);
        FillCatalogueGas(gas, item, 0.5F);
        EXPECT_TRUE(item.GasNameMFC.empty());
        EXPECT_TRUE(item.GasNameLong.empty());
        EXPECT_EQ(item.MolarMass, -1.0F);
        EXPECT_EQ(item.PartialPressure, -1.0F);
        EXPECT_EQ(item.Mass, 0.5F);
        EXPECT_EQ(item.DensityFluid20C, 1.0F);
    }
}

TEST(FillCatalogueGas, AirIsNitrogenThenOxygenSplitByMassFraction) {
    TGasItem air;
    FillCatalogueGas(gAir, air, 1.0F);
    EXPECT_EQ(air.GasNameMFC, "Air");
    EXPECT_EQ(air.GasNameLong, "Air bottled");
    EXPECT_EQ(air.MolarMass, -1.0F);
    EXPECT_EQ(air.Mass, 1.0F);
    ASSERT_EQ(air.Components.size(), 2u);
    const TGasItem& n2 = air.Components[0];
    const TGasItem& o2 = air.Components[1];
    EXPECT_EQ(n2.GasNameMFC, "N2");
    EXPECT_EQ(o2.GasNameMFC, "O2");
    EXPECT_EQ(n2.PartialPressure, 0.791F);
    EXPECT_EQ(o2.PartialPressure, 0.209F);
    EXPECT_EQ(n2.MolarMass, 28.0134F);
    EXPECT_EQ(o2.MolarMass, 31.9988F);
    // Mass fractions 28.0134 x 0.791 : 31.9988 x 0.209, computed apart: 0.768160 and 0.231840.
    EXPECT_NEAR(n2.Mass, 0.768160, 2e-6);
    EXPECT_NEAR(o2.Mass, 0.231840, 2e-6);
    EXPECT_FLOAT_EQ(n2.Mass + o2.Mass, 1.0F);

    TGasItem scaled;
    FillCatalogueGas(gAir, scaled, 0.002F);
    ASSERT_EQ(scaled.Components.size(), 2u);
    EXPECT_FLOAT_EQ(scaled.Components[0].Mass / scaled.Components[1].Mass, n2.Mass / o2.Mass);
    EXPECT_FLOAT_EQ(scaled.Components[0].Mass + scaled.Components[1].Mass, 0.002F);
}

TEST(DistributeComponentMass, SplitsByWeightAndLeavesDegenerateItemsAlone) {
    TGasItem mixture;
    TGasItem a = Leaf("A", 0.0F, 10.0F);
    a.PartialPressure = 0.5F;
    TGasItem b = Leaf("B", 0.0F, 30.0F);
    b.PartialPressure = 0.5F;
    mixture.Components = {a, b};
    DistributeComponentMass(mixture, 4.0F);
    EXPECT_FLOAT_EQ(mixture.Components[0].Mass, 1.0F);
    EXPECT_FLOAT_EQ(mixture.Components[1].Mass, 3.0F);

    TGasItem single = Leaf("X", 2.0F);
    DistributeComponentMass(single, 9.0F);
    EXPECT_EQ(single, Leaf("X", 2.0F));

    // No weight at all (unset partial pressures of 0): the components keep their flows instead of
    // turning into NaN.
    TGasItem weightless;
    weightless.Components = {Leaf("A", 0.1F, 10.0F), Leaf("B", 0.2F, 30.0F)};
    weightless.Components[0].PartialPressure = 0.0F;
    weightless.Components[1].PartialPressure = 0.0F;
    DistributeComponentMass(weightless, 5.0F);
    EXPECT_EQ(weightless.Components[0].Mass, 0.1F);
    EXPECT_EQ(weightless.Components[1].Mass, 0.2F);
}

// ---------------------------------------------------------------- TGasItem as a value

TEST(GasItem, DefaultIsAllZeroAndInitSetsTheWorkingDefaults) {
    const TGasItem zero;
    EXPECT_TRUE(zero.StepName.empty() && zero.GasNameMFC.empty() && zero.GasNameLong.empty());
    EXPECT_TRUE(zero.InstrumentPort.empty() && zero.PumpCommand.empty() && zero.Components.empty());
    EXPECT_EQ(zero.StepTime, 0.0);
    EXPECT_EQ(zero.InstrumentID, 0);
    for (const float value :
         {zero.MolarMass, zero.PartialPressure, zero.Mass, zero.MixtureMass, zero.DensityFluid20C,
          zero.MolPerML, zero.MGperStroke, zero.Pulsed, zero.CustTempC, zero.CustPressmBar}) {
        EXPECT_EQ(value, 0.0F);
    }
    EXPECT_FALSE(zero.Fluid);
    EXPECT_FALSE(zero.Valid);
    EXPECT_EQ(zero.FluidMaxPPM, 0);

    TGasItem item;
    item.StepName = "s";
    item.StepTime = 2.5;
    item.GasNameMFC = "H2O";
    item.GasNameLong = "Water pure";
    item.InstrumentID = 2;
    item.InstrumentPort = "ttyUSB0";
    item.PumpCommand = "/1V100A0R";
    item.MolarMass = 18.0F;
    item.PartialPressure = 0.3F;
    item.Mass = 0.7F;
    item.MixtureMass = 11.0F;
    item.DensityFluid20C = 0.9F;
    item.MolPerML = 0.05F;
    item.MGperStroke = 250.0F;
    item.Pulsed = 0.4F;
    item.Fluid = true;
    item.FluidMaxPPM = 12;
    item.Valid = false;
    item.CustTempC = 20.0F;
    item.CustPressmBar = 1500.0F;
    item.Components = {Leaf("A", 1.0F)};
    item.Init();

    TGasItem expected;
    expected.MolarMass = 1.0F;
    expected.PartialPressure = 1.0F;
    expected.Pulsed = 1.0F;
    expected.FluidMaxPPM = 1000000;
    expected.Valid = true;
    // The liquid's own figures survive a reset.
    expected.MixtureMass = 11.0F;
    expected.DensityFluid20C = 0.9F;
    expected.MolPerML = 0.05F;
    expected.MGperStroke = 250.0F;
    EXPECT_EQ(item, expected);
}

TEST(GasItem, CopiesOwnTheirComponentsAtEveryDepth) {
    TGasItem segment;
    segment.StepName = "Step 1";
    TGasItem air;
    FillCatalogueGas(gAir, air, 1.0F);
    segment.Components = {air};

    TGasItem copy = segment;
    EXPECT_EQ(copy, segment);
    copy.StepName = "changed";
    copy.Components[0].Components[0].Mass = 99.0F;
    copy.Components[0].Components.pop_back();
    copy.Components.push_back(Leaf("He", 1.0F));

    EXPECT_EQ(segment.StepName, "Step 1");
    ASSERT_EQ(segment.Components.size(), 1u);
    ASSERT_EQ(segment.Components[0].Components.size(), 2u);
    EXPECT_NEAR(segment.Components[0].Components[0].Mass, 0.768160, 2e-6);

    // Assignment copies too, and the source may change afterwards without reaching the copy.
    TGasItem assigned;
    assigned = segment;
    segment.Components[0].Components[1].GasNameMFC = "XX";
    EXPECT_EQ(assigned.Components[0].Components[1].GasNameMFC, "O2");
}

// ---------------------------------------------------------------- TGasItemDictionary

TEST(GasItemDictionary, KeepsInsertionOrderAndReadsMissingKeysAsZero) {
    TGasItemDictionary dictionary;
    EXPECT_TRUE(dictionary.Empty());
    EXPECT_EQ(dictionary.Get("N2"), TGasItem{});
    EXPECT_EQ(dictionary.Find("N2"), nullptr);

    for (const char* key : {"N2", "O2", "H2O", "Ar", "C2H6O", "CO", "He"}) {
        dictionary.Set(key, Leaf(key, 1.0F));
    }
    dictionary.Set("H2O", Leaf("H2O", 5.0F)); // replaced in place
    EXPECT_EQ(dictionary.Count(), 7u);
    EXPECT_EQ(Keys(dictionary), (std::vector<std::string>{"N2", "O2", "H2O", "Ar", "C2H6O", "CO", "He"}));
    EXPECT_EQ(dictionary.Get("H2O").Mass, 5.0F);
    EXPECT_TRUE(dictionary.Contains("Ar"));
    EXPECT_FALSE(dictionary.Contains("ar"));
    EXPECT_FALSE(dictionary.Contains(""));
    ASSERT_NE(dictionary.Find("CO"), nullptr);
    EXPECT_EQ(dictionary.Find("CO")->GasNameLong, "CO long");

    // What Get hands out is a copy.
    TGasItem read = dictionary.Get("N2");
    read.Mass = 42.0F;
    EXPECT_EQ(dictionary.Get("N2").Mass, 1.0F);

    dictionary.Clear();
    EXPECT_EQ(dictionary.Count(), 0u);
    EXPECT_FALSE(dictionary.Contains("N2"));
}

// ---------------------------------------------------------------- AddMixtureToGasTotals

// A segment: bottled air on MFC A, nitrogen on MFC B, a water/ethanol liquid on the pump.
TGasItem SegmentAirNitrogenLiquid() {
    TGasItem a;
    FillCatalogueGas(gAir, a, 1.0F);
    a.InstrumentID = 0;
    TGasItem b;
    FillCatalogueGas(gN2, b, 0.5F);
    b.InstrumentID = 1;

    TGasItem water;
    FillCatalogueGas(gH2O, water, 0.003F);
    water.CustTempC = 20.0F;
    water.CustPressmBar = 1500.0F;
    TGasItem ethanol;
    FillCatalogueGas(gC2H6O, ethanol, 0.001F);
    ethanol.CustTempC = 30.0F;
    ethanol.CustPressmBar = 900.0F;
    // The snapshot marks each dosed liquid as fluid under the operator's limit; the
    // totals take that from the leaves.
    water.Fluid = true;
    water.FluidMaxPPM = 5000;
    TGasItem c;
    c.Init();
    c.GasNameMFC = "MIX_Wet";
    c.GasNameLong = "Wet";
    c.InstrumentID = 2;
    c.Fluid = true;
    c.FluidMaxPPM = 5000;
    c.Mass = 0.004F;
    c.Components = {water, ethanol};

    TGasItem segment;
    segment.Init();
    segment.StepName = "Step";
    segment.Components = {a, b, c};
    return segment;
}

TEST(AddMixtureToGasTotals, OneEntryPerSubstanceInFirstSeenOrder) {
    const TGasItem segment = SegmentAirNitrogenLiquid();
    TGasItemDictionary totals;
    AddMixtureToGasTotals(segment, totals);

    EXPECT_EQ(Keys(totals), (std::vector<std::string>{"N2", "O2", "H2O", "C2H6O"}));
    const float airN2 = segment.Components[0].Components[0].Mass;
    const float airO2 = segment.Components[0].Components[1].Mass;
    EXPECT_EQ(totals.Get("N2").Mass, airN2 + 0.5F);
    EXPECT_EQ(totals.Get("O2").Mass, airO2);
    EXPECT_EQ(totals.Get("N2").GasNameLong, "Nitrogen");
    EXPECT_EQ(totals.Get("N2").MolarMass, 28.0134F);
    EXPECT_FALSE(totals.Get("N2").Fluid);

    const TGasItem water = totals.Get("H2O");
    EXPECT_EQ(water.Mass, 0.003F);
    EXPECT_EQ(water.CustTempC, 20.0F);
    EXPECT_EQ(water.CustPressmBar, 1500.0F);
    // Fluid and its limit come from the leaf, not from the mixture around it.
    EXPECT_TRUE(water.Fluid);
    EXPECT_EQ(water.FluidMaxPPM, 5000);

    // The custom conditions travel only with water.
    const TGasItem ethanol = totals.Get("C2H6O");
    EXPECT_EQ(ethanol.CustTempC, 0.0F);
    EXPECT_EQ(ethanol.CustPressmBar, 0.0F);
    EXPECT_FALSE(ethanol.Fluid);
    // The mixture items themselves are never entries.
    EXPECT_FALSE(totals.Contains("Air"));
    EXPECT_FALSE(totals.Contains("MIX_Wet"));
}

TEST(AddMixtureToGasTotals, AddingTwiceDoublesAndEmptySymbolsAreDropped) {
    TGasItemDictionary totals;
    const TGasItem leaf = Leaf("Ar", 0.25F, 39.948F);
    AddMixtureToGasTotals(leaf, totals);
    AddMixtureToGasTotals(leaf, totals);
    EXPECT_EQ(totals.Count(), 1u);
    EXPECT_EQ(totals.Get("Ar").Mass, 0.5F);

    TGasItem nameless;
    nameless.Components = {Leaf("", 1.0F), Leaf("", 2.0F)};
    AddMixtureToGasTotals(nameless, totals);
    EXPECT_EQ(Keys(totals), std::vector<std::string>{"Ar"});
    EXPECT_FALSE(totals.Contains(""));

    // A later, deeper occurrence adds to the entry and keeps its place.
    TGasItem outer;
    TGasItem inner;
    inner.Components = {Leaf("He", 1.0F), Leaf("Ar", 0.5F, 39.948F)};
    outer.Components = {inner};
    AddMixtureToGasTotals(outer, totals);
    EXPECT_EQ(Keys(totals), (std::vector<std::string>{"Ar", "He"}));
    EXPECT_EQ(totals.Get("Ar").Mass, 1.0F);
}

TEST(AddMixtureToGasTotals, ALiquidWithoutPartsIsItsOwnFluidEntry) {
    TGasItem liquid;
    liquid.Init();
    liquid.GasNameMFC = "MIX_Plain";
    liquid.Fluid = true;
    liquid.FluidMaxPPM = 777;
    liquid.Mass = 0.001F;
    TGasItemDictionary totals;
    AddMixtureToGasTotals(liquid, totals);
    ASSERT_TRUE(totals.Contains("MIX_Plain"));
    EXPECT_TRUE(totals.Get("MIX_Plain").Fluid);
    EXPECT_EQ(totals.Get("MIX_Plain").FluidMaxPPM, 777);
}

// ---------------------------------------------------------------- IndexComponentsByInstrument

TEST(IndexComponentsByInstrument, FlowsByDevice) {
    const TGasItem segment = SegmentAirNitrogenLiquid();
    TGasItemDictionary index;
    IndexComponentsByInstrument(segment, index);
    EXPECT_EQ(Keys(index), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(index.Get("0"), segment.Components[0]);
    EXPECT_EQ(index.Get("1"), segment.Components[1]);
    EXPECT_EQ(index.Get("2"), segment.Components[2]);

    TGasItem liquidOnly;
    liquidOnly.Components = {segment.Components[2]};
    TGasItemDictionary single;
    IndexComponentsByInstrument(liquidOnly, single);
    EXPECT_EQ(Keys(single), std::vector<std::string>{"2"});
    EXPECT_EQ(single.Get("0"), TGasItem{});
    EXPECT_EQ(single.Get("1"), TGasItem{});

    // A later flow of the same device replaces the earlier one.
    TGasItem twice;
    twice.Components = {Leaf("Ar", 1.0F), Leaf("He", 2.0F)};
    TGasItemDictionary replaced;
    IndexComponentsByInstrument(twice, replaced);
    EXPECT_EQ(replaced.Count(), 1u);
    EXPECT_EQ(replaced.Get("0").GasNameMFC, "He");
}

// ---------------------------------------------------------------- FluidMixtureAsString

TEST(FluidMixtureAsString, PureWaterAndEmptyLiquid) {
    const Base::TDateTime savedAt = Base::EncodeDateTime({2026, 3, 4, 5, 6, 7, 0});
    TGasItem water;
    FillCatalogueGas(gH2O, water, 0.0F);
    water.MixtureMass = 1000.0F;
    TGasItem liquid;
    liquid.Init();
    liquid.GasNameLong = "Water pure";
    liquid.DensityFluid20C = 0.997735F;
    liquid.Components = {water};

    EXPECT_EQ(liquid.FluidMixtureAsString(savedAt), "Mixture recipe: Water pure\r\n"
                                                    "Description saved: 2026-03-04 05:06:07\r\n"
                                                    "Given density g/ml@20\u00BAC: 0.997735023498535\r\n"
                                                    "Components:\r\n"
                                                    "  Name - mass\r\n"
                                                    "  Water pure - 1000\r\n");

    TGasItem empty;
    empty.Init();
    empty.GasNameLong = "Nothing";
    empty.DensityFluid20C = 1.0F;
    EXPECT_EQ(empty.FluidMixtureAsString(savedAt), "Mixture recipe: Nothing\r\n"
                                                   "Description saved: 2026-03-04 05:06:07\r\n"
                                                   "Given density g/ml@20\u00BAC: 1\r\n"
                                                   "Components:\r\n"
                                                   "  Name - mass\r\n");
}

TEST(FluidMixtureAsString, FollowsTheOperatorsSeparators) {
    const Base::TScopedFormatSettings comma({",", "."});
    TGasItem ethanol;
    FillCatalogueGas(gC2H6O, ethanol, 0.0F);
    ethanol.MixtureMass = 2.5F;
    TGasItem liquid;
    liquid.GasNameLong = "Spirit";
    liquid.DensityFluid20C = 0.5F;
    liquid.Components = {ethanol};
    EXPECT_EQ(liquid.FluidMixtureAsString(Base::EncodeDateTime({2025, 12, 31, 23, 59, 58, 0})),
              "Mixture recipe: Spirit\r\n"
              "Description saved: 2025-12-31 23.59.58\r\n"
              "Given density g/ml@20\u00BAC: 0,5\r\n"
              "Components:\r\n"
              "  Name - mass\r\n"
              "  Ethanol - 2,5\r\n");
}

} // namespace
