#pragma once
// Timing of the serial line the virtual instruments emulate: 9600 baud with 11 bits on the wire
// per character (start bit, 8 data bits, two stop bits, or one stop bit and the pause a real
// instrument leaves between characters).

namespace Sim {

inline constexpr double WireBaud = 9600.0;
inline constexpr double WireBitsPerCharacter = 11.0;
inline constexpr double WireSecondsPerByte = WireBitsPerCharacter / WireBaud; // about 1.146 ms
// Time an instrument takes between the end of a request and the first byte of its reply.
inline constexpr double DefaultTurnaroundSeconds = 0.003;
// A Modbus RTU frame ends after 3.5 characters of silence. Bytes of an incomplete frame that
// sit longer than this are discarded (the sim waits a little longer than the wire would, since
// a client's single write may reach the pseudo-terminal in pieces).
inline constexpr double FrameSilenceSeconds = 0.020;

} // namespace Sim
