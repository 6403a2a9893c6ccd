#pragma once
// The bands of ADIF 3.1 with their edges, and for each a frequency that every band
// table of the logbook (the award columns of WORKED.CFM, the band report, the LOTW
// export and update) places in the same band: what a contact logged by band alone
// is given as its frequency.
#include <string>
#include <string_view>

namespace kivo {

struct AdifBand {
  std::string_view name;       // ADIF's own spelling, in upper case
  double lower;                // MHz, inclusive
  double upper;                // MHz, inclusive
  std::string_view frequency;  // FREQ for a contact known only by its band
};

// The band (any case) of that name; nullptr when ADIF has none.
const AdifBand* bandNamed(std::string_view name);
// The band a frequency in MHz lies in; nullptr outside every band. The frequency is
// read from FREQ in single precision, as the logbook's band tables read it.
const AdifBand* bandOf(float mhz);
// A small number for the band (0 for none), for keys.
int bandIndex(const AdifBand* band);

// The FREQ field for a frequency written as decimal text in MHz: the text as
// written when it fits the eight characters with at most five decimals, otherwise
// rounded to as many decimals as fit (at most five): 14.074000 -> 14.07400,
// 144.174000 -> 144.1740, 14.296000000000001 -> 14.29600. Empty for text that is no
// frequency (not a number, not above 0, or too large for the field).
std::string frequencyField(std::string_view text);

}  // namespace kivo
