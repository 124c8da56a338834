#include "program/ProgramFile.h"

#include "base/FileReplace.h"
#include "base/NumberFormat.h"
#include "target/TargetSolver.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <utility>

namespace Program {

namespace {

using GasMixtures::TGasItem;
using nlohmann::json;
using nlohmann::ordered_json;

constexpr std::array<const char*, 3> DeviceNames = {"MFC A", "MFC B", "pump"};

// The kinds of target and the carrier units as the file names them, in the order of the enums.
constexpr std::array<const char*, 3> TargetKindNames = {"relative humidity", "dew point", "ppm"};
constexpr std::array<const char*, 2> CarrierUnitNames = {"g/min", "ln/min"};

std::string DeviceName(std::int32_t device) {
    if (device < 0 || device >= static_cast<std::int32_t>(DeviceNames.size())) {
        return std::to_string(device);
    }
    return DeviceNames[static_cast<std::size_t>(device)];
}

// The figures of a TGasItem are floats. The file holds the shortest decimal that gives the same
// float back, so that it reads 0.02 where the float is 0.02 and a load restores every bit.
double ShortestOf(float value) {
    std::array<char, 64> digits{};
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    double shortest = 0.0;
    std::from_chars(digits.data(), written.ptr, shortest);
    return shortest;
}

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// Reads the fields of the file one by one; the first thing that is wrong becomes `Error`, told
// with the place it was found ("segment 2, flow 1: ...").
class TFieldReader {
public:
    bool Fail(const std::string& where, const std::string& what) {
        if (Error.empty()) {
            Error = where.empty() ? what : where + ": " + what;
        }
        return false;
    }

    const json* Field(const json& object, const std::string& where, const char* key) {
        const auto found = object.find(key);
        if (found == object.end()) {
            Fail(where, Quoted(key) + " is missing");
            return nullptr;
        }
        return &*found;
    }

    bool String(const json& object, const std::string& where, const char* key, std::string& value) {
        const json* field = Field(object, where, key);
        if (field == nullptr) {
            return false;
        }
        if (!field->is_string()) {
            return Fail(where, Quoted(key) + " is not a text");
        }
        value = field->get<std::string>();
        return true;
    }

    // Any number.
    bool Number(const json& object, const std::string& where, const char* key, double& value) {
        const json* field = Field(object, where, key);
        if (field == nullptr) {
            return false;
        }
        if (!field->is_number()) {
            return Fail(where, Quoted(key) + " is not a number");
        }
        // + 0.0 turns a "-0" into the zero it means, so that nothing downstream sees a negative sign.
        value = field->get<double>() + 0.0;
        return true;
    }

    // A number of zero or more.
    bool NonNegative(const json& object, const std::string& where, const char* key, double& value) {
        if (!Number(object, where, key, value)) {
            return false;
        }
        if (value < 0.0) {
            return Fail(where, Quoted(key) + " is negative");
        }
        return true;
    }

    // Any finite number (a dew point may be below zero).
    bool Finite(const json& object, const std::string& where, const char* key, double& value) {
        if (!Number(object, where, key, value)) {
            return false;
        }
        if (!std::isfinite(value)) {
            return Fail(where, Quoted(key) + " is not a finite number");
        }
        return true;
    }

    // A text that must be one of `names`; its index.
    template <std::size_t N>
    bool OneOf(const json& object, const std::string& where, const char* key,
               const std::array<const char*, N>& names, std::size_t& index) {
        std::string text;
        if (!String(object, where, key, text)) {
            return false;
        }
        const auto known = std::find(names.begin(), names.end(), text);
        if (known == names.end()) {
            std::string allowed;
            for (const char* name : names) {
                allowed += (allowed.empty() ? "" : ", ") + Quoted(name);
            }
            return Fail(where, Quoted(key) + " is " + Quoted(text) + ", not one of " + allowed);
        }
        index = static_cast<std::size_t>(known - names.begin());
        return true;
    }

    const json* Object(const json& object, const std::string& where, const char* key) {
        const json* field = Field(object, where, key);
        if (field != nullptr && !field->is_object()) {
            Fail(where, Quoted(key) + " is not an object");
            return nullptr;
        }
        return field;
    }

    const json* Array(const json& object, const std::string& where, const char* key) {
        const json* field = Field(object, where, key);
        if (field != nullptr && !field->is_array()) {
            Fail(where, Quoted(key) + " is not a list");
            return nullptr;
        }
        return field;
    }

    // An element of a list that must be an object.
    bool IsObject(const json& element, const std::string& where) {
        if (!element.is_object() && Error.empty()) {
            Error = where + " is not an object";
        }
        return element.is_object();
    }

    static std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

    std::string Error;
};

bool ReadLiquid(TFieldReader& reader, const json& object, TProgramLiquid& liquid) {
    const std::string where = "liquid";
    const json* parts = nullptr;
    if (!reader.String(object, where, "name", liquid.Name) ||
        !reader.NonNegative(object, where, "density_gpml", liquid.Density_gpml) ||
        (parts = reader.Array(object, where, "parts")) == nullptr) {
        return false;
    }
    for (std::size_t i = 0; i < parts->size(); ++i) {
        const std::string partWhere = "liquid part " + std::to_string(i + 1);
        const json& element = (*parts)[i];
        TProgramLiquidPart part;
        if (!reader.IsObject(element, partWhere) || !reader.String(element, partWhere, "name", part.Name) ||
            !reader.NonNegative(element, partWhere, "massPart", part.MassPart)) {
            return false;
        }
        liquid.Parts.push_back(std::move(part));
    }
    return true;
}

bool ReadComposition(TFieldReader& reader, const json& object, TProgramComposition& composition) {
    const std::string where = "composedFor";
    const json* liquid = nullptr;
    return reader.String(object, where, "gasA", composition.GasA) &&
           reader.String(object, where, "gasB", composition.GasB) &&
           (liquid = reader.Object(object, where, "liquid")) != nullptr &&
           ReadLiquid(reader, *liquid, composition.Liquid);
}

bool ReadFlow(TFieldReader& reader, const json& object, const std::string& where, TProgramFlow& flow) {
    std::string device;
    if (!reader.IsObject(object, where) || !reader.String(object, where, "device", device)) {
        return false;
    }
    const auto known = std::find(DeviceNames.begin(), DeviceNames.end(), device);
    if (known == DeviceNames.end()) {
        return reader.Fail(where, "unknown device \"" + device + "\"");
    }
    flow.Device = static_cast<std::int32_t>(known - DeviceNames.begin());
    if (!reader.String(object, where, "gasNameMFC", flow.GasNameMFC) ||
        !reader.String(object, where, "gasNameLong", flow.GasNameLong) ||
        !reader.NonNegative(object, where, "massFlow_gpm", flow.Mass_gpm) ||
        !reader.NonNegative(object, where, "pulsed", flow.Pulsed) ||
        !reader.String(object, where, "pumpCommand", flow.PumpCommand)) {
        return false;
    }
    if (flow.Pulsed > 1.0) {
        return reader.Fail(where, "\"pulsed\" is above 1");
    }
    return true;
}

// A segment's target: everything the solver needs, each figure where the solver can use it.
bool ReadTarget(TFieldReader& reader, const json& object, const std::string& segmentWhere,
                GasMixtures::TTargetInput& input) {
    const std::string where = segmentWhere + ", target";
    std::size_t kind = 0;
    std::size_t unit = 0;
    GasMixtures::TTarget& target = input.Target;
    if (!reader.OneOf(object, where, "kind", TargetKindNames, kind) ||
        !reader.Finite(object, where, "value", target.Value) ||
        !reader.String(object, where, "substance", target.Substance) ||
        !reader.Finite(object, where, "carrier", input.Carrier) ||
        !reader.OneOf(object, where, "carrierUnit", CarrierUnitNames, unit) ||
        !reader.Finite(object, where, "bShare_percent", input.BSharePercent) ||
        !reader.Finite(object, where, "temp_C", input.TempC) ||
        !reader.Finite(object, where, "pressure_mbar", input.Pressure_mbar)) {
        return false;
    }
    target.Kind = static_cast<GasMixtures::TTargetKind>(kind);
    input.CarrierUnit = static_cast<GasMixtures::TCarrierUnit>(unit);
    if (target.Kind == GasMixtures::TTargetKind::tkPPM && target.Substance.empty()) {
        return reader.Fail(where, "a ppm target names no \"substance\"");
    }
    if (target.Kind != GasMixtures::TTargetKind::tkPPM && !target.Substance.empty()) {
        return reader.Fail(where, "a target of water names a \"substance\"");
    }
    if (!(input.Carrier > 0.0)) {
        return reader.Fail(where, "\"carrier\" is not above 0");
    }
    if (!(input.BSharePercent >= 0.0 && input.BSharePercent <= 100.0)) {
        return reader.Fail(where, "\"bShare_percent\" is not between 0 and 100");
    }
    if (!(input.Pressure_mbar > 0.0)) {
        return reader.Fail(where, "\"pressure_mbar\" is not above 0");
    }
    return true;
}

bool ReadSegment(TFieldReader& reader, const json& object, const std::string& where, int version,
                 TProgramSegment& segment) {
    const json* flows = nullptr;
    if (!reader.IsObject(object, where) || !reader.String(object, where, "name", segment.Name) ||
        !reader.NonNegative(object, where, "duration_h", segment.Duration_h) ||
        (flows = reader.Array(object, where, "flows")) == nullptr) {
        return false;
    }
    if (flows->empty()) {
        return reader.Fail(where, "\"flows\" is empty");
    }
    std::array<bool, DeviceNames.size()> seen{};
    for (std::size_t i = 0; i < flows->size(); ++i) {
        TProgramFlow flow;
        if (!ReadFlow(reader, (*flows)[i], where + ", flow " + std::to_string(i + 1), flow)) {
            return false;
        }
        bool& twice = seen[static_cast<std::size_t>(flow.Device)];
        if (twice) {
            return reader.Fail(where, "more than one flow for " + DeviceName(flow.Device));
        }
        twice = true;
        segment.Flows.push_back(std::move(flow));
    }
    // A first-version file knows no targets: whatever it holds under that key is not one.
    if (version >= 2 && object.contains("target")) {
        const json* target = reader.Object(object, where, "target");
        GasMixtures::TTargetInput input;
        if (target == nullptr || !ReadTarget(reader, *target, where, input)) {
            return false;
        }
        segment.Target = input;
    }
    return true;
}

// Everything below the version; false with the reason in the reader.
bool ReadContent(TFieldReader& reader, const json& document, int version, TProgramFileContent& content) {
    const json* composition = reader.Object(document, "", "composedFor");
    if (composition == nullptr || !ReadComposition(reader, *composition, content.ComposedFor)) {
        return false;
    }
    const json* segments = reader.Array(document, "", "segments");
    if (segments == nullptr) {
        return false;
    }
    for (std::size_t i = 0; i < segments->size(); ++i) {
        TProgramSegment segment;
        if (!ReadSegment(reader, (*segments)[i], "segment " + std::to_string(i + 1), version, segment)) {
            return false;
        }
        content.Segments.push_back(std::move(segment));
    }
    return true;
}

std::string Named(const std::string& name) {
    return name.empty() ? "none" : "\"" + name + "\"";
}

std::string PartsText(const std::vector<TProgramLiquidPart>& parts) {
    if (parts.empty()) {
        return "nothing";
    }
    std::string text;
    for (const TProgramLiquidPart& part : parts) {
        if (!text.empty()) {
            text += ", ";
        }
        text += part.Name + " " + Base::FormatGeneral(part.MassPart);
    }
    return text;
}

std::string Difference(const std::string& what, const std::string& inFile, const std::string& onMixer) {
    return what + ": " + inFile + " in the file, " + onMixer + " on the mixer";
}

} // namespace

TProgramLiquid LiquidOf(const TGasItem& fluid) {
    TProgramLiquid liquid;
    liquid.Name = fluid.GasNameLong;
    liquid.Density_gpml = ShortestOf(fluid.DensityFluid20C);
    for (const TGasItem& component : fluid.Components) {
        liquid.Parts.push_back({component.GasNameLong, ShortestOf(component.MixtureMass)});
    }
    return liquid;
}

TProgramFileContent ProgramFileContent(const std::vector<TGasItem>& program,
                                       const TProgramComposition& composition) {
    TProgramFileContent content;
    content.ComposedFor = composition;
    for (const TGasItem& item : program) {
        TProgramSegment segment;
        segment.Name = item.StepName;
        segment.Duration_h = item.StepTime;
        for (const TGasItem& component : item.Components) {
            segment.Flows.push_back({component.InstrumentID, component.GasNameMFC, component.GasNameLong,
                                     ShortestOf(component.Mass), ShortestOf(component.Pulsed),
                                     component.PumpCommand});
        }
        if (item.Target) {
            segment.Target = item.Target->Input;
        }
        content.Segments.push_back(std::move(segment));
    }
    return content;
}

std::vector<TGasItem> SegmentsOfProgramFile(const TProgramFileContent& content) {
    std::vector<TGasItem> program;
    program.reserve(content.Segments.size());
    for (const TProgramSegment& segment : content.Segments) {
        TGasItem item;
        item.Init(); // valid, as the editor only ever stored valid segments
        item.StepName = segment.Name;
        item.StepTime = segment.Duration_h;
        for (const TProgramFlow& flow : segment.Flows) {
            TGasItem component;
            component.Init();
            component.InstrumentID = flow.Device;
            component.GasNameMFC = flow.GasNameMFC;
            component.GasNameLong = flow.GasNameLong;
            component.Mass = static_cast<float>(flow.Mass_gpm);
            component.Pulsed = static_cast<float>(flow.Pulsed);
            component.PumpCommand = flow.PumpCommand;
            component.Fluid = flow.Device == 2;
            item.Components.push_back(std::move(component));
        }
        if (segment.Target) {
            item.Target =
                GasMixtures::TSegmentTarget{*segment.Target, Target::TargetName(segment.Target->Target)};
        }
        program.push_back(std::move(item));
    }
    return program;
}

std::string ProgramFileJson(const TProgramFileContent& content) {
    // The keys in the order written here: the version first, as a reader looks for it.
    ordered_json parts = ordered_json::array();
    for (const TProgramLiquidPart& part : content.ComposedFor.Liquid.Parts) {
        parts.push_back({{"name", part.Name}, {"massPart", part.MassPart}});
    }
    ordered_json segments = ordered_json::array();
    for (const TProgramSegment& segment : content.Segments) {
        ordered_json flows = ordered_json::array();
        for (const TProgramFlow& flow : segment.Flows) {
            flows.push_back({{"device", DeviceName(flow.Device)},
                             {"gasNameMFC", flow.GasNameMFC},
                             {"gasNameLong", flow.GasNameLong},
                             {"massFlow_gpm", flow.Mass_gpm},
                             {"pulsed", flow.Pulsed},
                             {"pumpCommand", flow.PumpCommand}});
        }
        ordered_json written = {{"name", segment.Name}, {"duration_h", segment.Duration_h}, {"flows", flows}};
        if (segment.Target) {
            const GasMixtures::TTargetInput& input = *segment.Target;
            written["target"] = {
                {"kind", TargetKindNames.at(static_cast<std::size_t>(input.Target.Kind))},
                {"value", input.Target.Value},
                {"substance", input.Target.Substance},
                {"carrier", input.Carrier},
                {"carrierUnit", CarrierUnitNames.at(static_cast<std::size_t>(input.CarrierUnit))},
                {"bShare_percent", input.BSharePercent},
                {"temp_C", input.TempC},
                {"pressure_mbar", input.Pressure_mbar}};
        }
        segments.push_back(std::move(written));
    }
    const TProgramComposition& composition = content.ComposedFor;
    ordered_json document = {{"version", ProgramFileVersion},
                             {"composedFor",
                              {{"gasA", composition.GasA},
                               {"gasB", composition.GasB},
                               {"liquid",
                                {{"name", composition.Liquid.Name},
                                 {"density_gpml", composition.Liquid.Density_gpml},
                                 {"parts", parts}}}}},
                             {"segments", segments}};
    // A name that is not UTF-8 gets the replacement character rather than ending the save.
    return document.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

TProgramFileRead ParseProgramFile(const std::string& text, const std::string& fileName) {
    TProgramFileRead read;
    const auto refuse = [&read, &fileName](const std::string& what) {
        read.Message = "Cannot load program file \"" + fileName + "\": " + what;
        return read;
    };
    json document;
    try {
        document = json::parse(text);
    } catch (const json::parse_error& error) {
        return refuse("it is not JSON text (error at byte " + std::to_string(error.byte) + ")");
    } catch (const json::out_of_range&) {
        // The reader refuses a number beyond the range of a double rather than make it infinite.
        return refuse("it holds a number too large to read");
    }
    if (!document.is_object()) {
        return refuse("it is not a segment program");
    }
    const auto version = document.find("version");
    if (version == document.end()) {
        return refuse("\"version\" is missing");
    }
    if (!version->is_number_integer()) {
        return refuse("\"version\" is not a whole number");
    }
    if (*version < FirstProgramFileVersion || *version > ProgramFileVersion) {
        constexpr bool two = ProgramFileVersion == FirstProgramFileVersion + 1;
        return refuse("it is of version " + version->dump() + "; this program reads versions " +
                      std::to_string(FirstProgramFileVersion) + (two ? " and " : " to ") +
                      std::to_string(ProgramFileVersion));
    }
    TFieldReader reader;
    if (!ReadContent(reader, document, version->get<int>(), read.Content)) {
        read.Content = {};
        return refuse(reader.Error);
    }
    read.Ok = true;
    return read;
}

TProgramFileRead ReadProgramFile(const std::string& path) {
    std::error_code code;
    std::ifstream file;
    if (std::filesystem::is_regular_file(path, code)) {
        file.open(path, std::ios::binary);
    }
    std::string text;
    if (file.is_open()) {
        text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (!file.is_open() || file.bad()) {
        TProgramFileRead read;
        read.Message = "Cannot load program file \"" + FileNameOf(path) + "\": it cannot be read";
        return read;
    }
    return ParseProgramFile(text, FileNameOf(path));
}

std::string WriteProgramFile(const std::string& path, const TProgramFileContent& content) {
    if (!Base::ReplaceFileContents(path, ProgramFileJson(content))) {
        return "Cannot save program file \"" + FileNameOf(path) + "\": it cannot be written in " +
               std::filesystem::path(path).parent_path().string();
    }
    return {};
}

std::string WithProgramFileExtension(const std::string& path) {
    const std::string extension = ProgramFileExtension;
    if (path.size() >= extension.size() &&
        path.compare(path.size() - extension.size(), extension.size(), extension) == 0) {
        return path;
    }
    return path + extension;
}

std::vector<std::string> CompositionDifferences(const TProgramComposition& file,
                                                const TProgramComposition& mixer) {
    std::vector<std::string> differences;
    if (file.GasA != mixer.GasA) {
        differences.push_back(Difference("MFC A gas", Named(file.GasA), Named(mixer.GasA)));
    }
    if (file.GasB != mixer.GasB) {
        differences.push_back(Difference("MFC B gas", Named(file.GasB), Named(mixer.GasB)));
    }
    const TProgramLiquid& a = file.Liquid;
    const TProgramLiquid& b = mixer.Liquid;
    if (a.Name != b.Name) {
        differences.push_back(Difference("liquid", Named(a.Name), Named(b.Name)));
    }
    if (a.Density_gpml != b.Density_gpml) {
        differences.push_back(Difference("liquid density", Base::FormatGeneral(a.Density_gpml) + " g/ml",
                                         Base::FormatGeneral(b.Density_gpml) + " g/ml"));
    }
    if (a.Parts != b.Parts) {
        differences.push_back(Difference("liquid composition", PartsText(a.Parts), PartsText(b.Parts)));
    }
    return differences;
}

} // namespace Program
