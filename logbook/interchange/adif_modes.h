#pragma once
// The log's four-character MODE codes against the modes and submodes of ADIF 3.1,
// both ways. The codes the logbook already knew keep their meaning (CW, SSB, FM,
// AM, RTTY, FT8, JT65, DATA); every other mode and submode has a code of its own,
// or shares the code of a near relative (the rarer PSK variants).
#include <span>
#include <string>
#include <string_view>

namespace kivo {

struct AdifMode {
  std::string_view mode;
  std::string_view submode;  // empty when the code stands for the mode itself
};

struct ModeCode {
  std::string_view code;
  AdifMode adif;  // what the code is written as
};

// The code for an ADIF MODE and SUBMODE (any case). A known submode decides; then a
// known mode; then a mode that names a submode, as files before ADIF 3 wrote them
// (PSK31, USB). A mode the table does not know keeps its first four characters, in
// upper case, so that a code typed into the log comes back from its export.
std::string modeCode(std::string_view mode, std::string_view submode);

// The ADIF MODE and SUBMODE for a code (without its trailing blanks); a code that
// names a submode (USB) is written as that submode; any other code the table does
// not know is written as the mode, as typed. The view may point into `code`.
AdifMode adifMode(std::string_view code);

// Every row of the table, for the tests: each ADIF mode and submode once.
struct ModeRow {
  std::string_view mode;
  std::string_view submode;
  std::string_view code;
};
std::span<const ModeRow> modeTable();

}  // namespace kivo
