#include "setup/ServiceTools.h"

#include "base/DateTime.h"
#include "logging/LogOld.h"
#include "serial/SerialPort.h"
#include "serial/SerialResponse.h"

namespace Setup {

std::string PrimingLine(std::int32_t syringeSteps, bool fast) {
    switch (syringeSteps) {
    case 3000:
        return "/1TV1500gIA3000OA0G2R\r";
    case 24000:
        return "/1TgV10000IA192000OV7500A0G10R\r";
    case 192000:
        return fast ? "/1TV48000gIA192000OA0G10R\r" : "/1TV10000gIA192000OA0G10R\r";
    default:
        return "\r";
    }
}

void DebugCOMSend(const std::string& port, const std::string& text, Base::TTextPane& pane,
                  const Base::TClock& clock) {
    SerialPort::TSerialPort serial;
    serial.fPort = port;
    serial.fBaudRate = 9600;
    Logging::LogOld(pane, "Send data          :" + text + "\r", clock);
    SerialPort::TSerialResponse answer;
    serial.Send2(text + "\r", true, answer);
    if (answer.Response.empty()) {
        Logging::LogOld(pane, "Comm Status        :" + answer.Status, clock);
    } else {
        Logging::LogOld(pane, "Comm Response      :" + answer.Response, clock);
    }
}

void PrimePump(const std::string& port, std::int32_t syringeSteps, bool fast, Base::TTextPane& pane,
               const Base::TClock& clock) {
    SerialPort::TSerialPort serial;
    serial.fPort = port;
    serial.fBaudRate = 9600;
    const std::string line = PrimingLine(syringeSteps, fast);
    pane.AddLine(Base::FormatDateTime("hh:nn:ss.zzz", clock.Now()) + " Command : " + line);
    SerialPort::TSerialResponse answer;
    serial.Send2(line, true, answer);
    pane.AddLine(Base::FormatDateTime("hh:nn:ss.zzz", clock.Now()) + " Response: " + answer.Response);
}

} // namespace Setup
