#pragma once
// Every command line the program sends to the syringe pump. A line is "/1" (the pump at address 1),
// one or more commands (a letter, perhaps a decimal number), "R" to run moves, and CR. The
// *Command texts come without the CR, which the sender adds; the *Line texts are complete.
//
//   T stop   Z2 initialise   I valve to filling   O valve to dispensing   V speed (steps/s)
//   A absolute plunger position (steps)   g ... G<n> repeat n times (0: until the next T)
//   R run   Q status query   ?23 model query

#include <string_view>

namespace UnitMain {

// First contact: an empty line.
inline constexpr std::string_view PumpLineEmpty = "\r";
// Stop, valve to the filling side. Sent without waiting in the detection, waiting in the safe stop.
inline constexpr std::string_view PumpLineStopFill = "/1TIR\r";
// The answer names the model ("C3000" or "C24000").
inline constexpr std::string_view PumpLineModelQuery = "/1?23\r";
// Initialise, then fill to 192 000 steps at 48 000 steps/s.
inline constexpr std::string_view PumpCommandInitialise = "/1TZ2IV48000A192000R";
// Status poll; moves nothing.
inline constexpr std::string_view PumpLineStatusQuery = "/1Q\r";
// Stop dispensing and refill: a segment without liquid.
inline constexpr std::string_view PumpCommandStopRefill = "/1TIV48000A192000R";

// Priming: two slow strokes for a 3000-step pump.
inline constexpr std::string_view PumpLinePrime3000 = "/1TV1500gIA3000OA0G2R\r";
// Priming: ten strokes, 24 000-step pump.
inline constexpr std::string_view PumpLinePrime24000 = "/1TgV10000IA192000OV7500A0G10R\r";
// Priming: ten strokes at 10 000 steps/s, 192 000-step pump.
inline constexpr std::string_view PumpLinePrimeSlow192000 = "/1TV10000gIA192000OA0G10R\r";
// Priming: ten strokes at 48 000 steps/s, 192 000-step pump.
inline constexpr std::string_view PumpLinePrimeFast192000 = "/1TV48000gIA192000OA0G10R\r";

// The free command the serial debug tool offers first (the tool adds CR).
inline constexpr std::string_view PumpCommandDebugDefault = "/1TI?23";

// The status character of an idle pump free of errors: the third character of the answer.
inline constexpr char PumpStatusStandby = '`';

// Model names, one of which the answer to the model query contains.
inline constexpr std::string_view PumpModelC3000 = "C3000";
inline constexpr std::string_view PumpModelC24000 = "C24000";

} // namespace UnitMain
