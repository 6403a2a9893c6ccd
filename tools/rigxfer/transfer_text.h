#pragma once
// What rigxfer writes for the logbook: the radio's frequency and mode as the two
// lines of the transfer file.
#include <string>

namespace kivo {

// The mode line's word for a mode as hamlib names it (rig_strrmode). The logbook
// keeps the first four characters of the line, makes SSB of USB and LSB, and bases
// its power rules on RTTY and DATA, so the radio's variants of a mode are folded
// into the logbook's own codes: CWR is CW, the packet and PSK modes are DATA, and
// so on. A mode the logbook has no code for keeps hamlib's name, upper-cased and
// cut to six characters, so that it never passes for the high-power mark.
std::string transferMode(const std::string& hamlibMode);

// The whole transfer file for a frequency in Hz: MHz with five decimals, then the
// mode line, which carries the high-power mark by being longer than six characters
// ("RTTY   H"). Empty when the frequency is no frequency (negative, not finite, or
// beyond what the logbook's column could mean).
std::string transferText(double hz, const std::string& hamlibMode, bool highPower);

}  // namespace kivo
