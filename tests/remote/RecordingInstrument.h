#pragma once
// The instrument side of the remote commands as a recording stand-in: it keeps every call with its
// arguments, answers each figure from a field, and refuses an action whose call name has a refusal
// set. It stands for the program, whose own implementation is tested end to end through the
// window's controllers and the virtual instruments.

#include "remote/Instrument.h"

#include <cmath>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace RemoteTest {

class TRecordingInstrument : public Remote::TInstrument {
public:
    std::vector<std::string> Calls;
    std::map<std::string, Remote::TActionResult> Refusals; // by call name: "StartProgram"
    bool ConfirmationAllowed = true;
    std::string Throwing; // the call name that throws, as a failure inside the program would

    std::string IdentityText = "Moistrel,Moistrel,0,0.1";
    Remote::TMixerStatus Status{1, "Stopped"};
    int Count = 3;
    Remote::TSegmentStatus SegmentNow{2, 3, 1234.5};
    double FlowAValue = 0.5;
    double FlowBValue = 0.25;
    double TotalizerValue = 12.75;
    double HumidityValue = 49.873;
    double PPMValue = 15320.5;
    std::string LastLine =
        "2026-12-11 10:00:01,1,2,1,RH 50 %,0.5,0.49,0.5,0.01,0.25,0.25,/1TIV10A20R,15320.5,49.873";
    std::string Header = "Time,Elapsed s,State,Segment,Name,A set g/min,A g/min,A average g/min,A total g,"
                         "B set g/min,B g/min,Pump command,Liquid ppm,RH %";

    std::string Identity() override { return Answer("Identity", IdentityText); }
    Remote::TMixerStatus State() override { return Answer("State", Status); }
    Remote::TActionResult LoadProgram(const std::string& file) override {
        return Act("LoadProgram", "LoadProgram(" + file + ")");
    }
    Remote::TActionResult ClearProgram() override { return Act("ClearProgram", "ClearProgram"); }
    Remote::TActionResult AppendTarget(const Remote::TTargetRequest& target) override {
        static const char* const kinds[] = {"RH", "DEWP", "PPM"};
        return Act("AppendTarget", std::string("AppendTarget(") + kinds[static_cast<int>(target.Kind)] + "," +
                                       Number(target.Value) + "," + Number(target.HoldSeconds) + "," +
                                       target.Substance + ")");
    }
    int ProgramCount() override { return Answer("ProgramCount", Count); }
    Remote::TActionResult StartProgram() override { return Act("StartProgram", "StartProgram"); }
    Remote::TActionResult StopProgram() override { return Act("StopProgram", "StopProgram"); }
    Remote::TSegmentStatus Segment() override { return Answer("Segment", SegmentNow); }
    double FlowA() override { return Answer("FlowA", FlowAValue); }
    double FlowB() override { return Answer("FlowB", FlowBValue); }
    double TotalizerA() override { return Answer("TotalizerA", TotalizerValue); }
    double RelativeHumidity() override { return Answer("RelativeHumidity", HumidityValue); }
    double PPM() override { return Answer("PPM", PPMValue); }
    std::string LastDataLine() override { return Answer("LastDataLine", LastLine); }
    std::string DataHeader() override { return Answer("DataHeader", Header); }
    Remote::TActionResult Validate() override { return Act("Validate", "Validate"); }
    Remote::TActionResult SelectGasA(const std::string& name) override {
        return Act("SelectGasA", "SelectGasA(" + name + ")");
    }
    Remote::TActionResult SelectGasB(const std::string& name) override {
        return Act("SelectGasB", "SelectGasB(" + name + ")");
    }
    bool RemoteGasConfirmationAllowed() override {
        return Answer("RemoteGasConfirmationAllowed", ConfirmationAllowed);
    }
    Remote::TActionResult ConfirmGases() override { return Act("ConfirmGases", "ConfirmGases"); }

private:
    template <class T> T Answer(const std::string& call, const T& value) {
        Calls.push_back(call);
        ThrowIfAsked(call);
        return value;
    }
    Remote::TActionResult Act(const std::string& name, const std::string& call) {
        Calls.push_back(call);
        ThrowIfAsked(name);
        const auto refusal = Refusals.find(name);
        return refusal == Refusals.end() ? Remote::TActionResult::Success() : refusal->second;
    }
    void ThrowIfAsked(const std::string& name) const {
        if (name == Throwing) {
            throw std::runtime_error(name + " failed: port gone");
        }
    }
    static std::string Number(double value) {
        std::string text = std::to_string(value);
        text.erase(text.find_last_not_of('0') + 1);
        if (!text.empty() && text.back() == '.') {
            text.pop_back();
        }
        return text;
    }
};

} // namespace RemoteTest
