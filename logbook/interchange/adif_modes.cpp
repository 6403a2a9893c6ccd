#include "logbook/interchange/adif_modes.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>

#include "common/text.h"

namespace kivo {

namespace {

// The modes of ADIF 3.1.4 with their submodes. A row without a submode stands for
// the mode. The first row of a code is what the code is exported as, so a code
// shared by several rows comes back as its first one.
constexpr ModeRow kRows[] = {
    {"AM", "", "AM"},
    {"ARDOP", "", "ARDP"},
    {"ATV", "", "ATV"},
    {"CHIP", "", "CHIP"},
    {"CHIP", "CHIP64", "CH64"},
    {"CHIP", "CHIP128", "C128"},
    {"CLO", "", "CLO"},
    {"CONTESTI", "", "CTST"},
    {"CW", "", "CW"},
    {"CW", "PCW", "PCW"},
    {"DIGITALVOICE", "", "DV"},
    {"DIGITALVOICE", "C4FM", "C4FM"},
    {"DIGITALVOICE", "DMR", "DMR"},
    {"DIGITALVOICE", "DSTAR", "DSTR"},
    {"DIGITALVOICE", "FREEDV", "FDV"},
    {"DIGITALVOICE", "M17", "M17"},
    {"DOMINO", "", "DOM"},
    {"DOMINO", "DOM-M", "DOMM"},
    {"DOMINO", "DOM4", "DOM4"},
    {"DOMINO", "DOM5", "DOM5"},
    {"DOMINO", "DOM8", "DOM8"},
    {"DOMINO", "DOM11", "DO11"},
    {"DOMINO", "DOM16", "DO16"},
    {"DOMINO", "DOM22", "DO22"},
    {"DOMINO", "DOM44", "DO44"},
    {"DOMINO", "DOM88", "DO88"},
    {"DOMINO", "DOMINOEX", "DOMX"},
    {"DOMINO", "DOMINOF", "DOMF"},
    {"DYNAMIC", "", "DYN"},
    {"DYNAMIC", "VARA HF", "VARA"},
    {"DYNAMIC", "VARA SATELLITE", "VARS"},
    {"DYNAMIC", "VARA FM 1200", "VF12"},
    {"DYNAMIC", "VARA FM 9600", "VF96"},
    {"FAX", "", "FAX"},
    {"FM", "", "FM"},
    {"FSK441", "", "F441"},
    {"FT8", "", "FT8"},
    {"HELL", "", "HELL"},
    {"HELL", "FMHELL", "FMHL"},
    {"HELL", "FSKHELL", "FSKH"},
    {"HELL", "HELL80", "HL80"},
    {"HELL", "HELLX5", "HLX5"},
    {"HELL", "HELLX9", "HLX9"},
    {"HELL", "HFSK", "HFSK"},
    {"HELL", "PSKHELL", "PSKH"},
    {"HELL", "SLOWHELL", "SLHL"},
    {"ISCAT", "", "ISCT"},
    {"ISCAT", "ISCAT-A", "ISCA"},
    {"ISCAT", "ISCAT-B", "ISCB"},
    {"JT4", "", "JT4"},
    {"JT4", "JT4A", "JT4A"},
    {"JT4", "JT4B", "JT4B"},
    {"JT4", "JT4C", "JT4C"},
    {"JT4", "JT4D", "JT4D"},
    {"JT4", "JT4E", "JT4E"},
    {"JT4", "JT4F", "JT4F"},
    {"JT4", "JT4G", "JT4G"},
    {"JT44", "", "JT44"},
    {"JT65", "", "JT65"},
    {"JT65", "JT65A", "J65A"},
    {"JT65", "JT65B", "J65B"},
    {"JT65", "JT65B2", "J6B2"},
    {"JT65", "JT65C", "J65C"},
    {"JT65", "JT65C2", "J6C2"},
    {"JT6M", "", "JT6M"},
    {"JT9", "", "JT9"},
    {"JT9", "JT9-1", "J9-1"},
    {"JT9", "JT9-2", "J9-2"},
    {"JT9", "JT9-5", "J9-5"},
    {"JT9", "JT9-10", "J910"},
    {"JT9", "JT9-30", "J930"},
    {"JT9", "JT9A", "JT9A"},
    {"JT9", "JT9B", "JT9B"},
    {"JT9", "JT9C", "JT9C"},
    {"JT9", "JT9D", "JT9D"},
    {"JT9", "JT9E", "JT9E"},
    {"JT9", "JT9E FAST", "J9EF"},
    {"JT9", "JT9F", "JT9F"},
    {"JT9", "JT9F FAST", "J9FF"},
    {"JT9", "JT9G", "JT9G"},
    {"JT9", "JT9G FAST", "J9GF"},
    {"JT9", "JT9H", "JT9H"},
    {"JT9", "JT9H FAST", "J9HF"},
    {"MFSK", "", "MFSK"},
    {"MFSK", "FSQCALL", "FSQ"},
    {"MFSK", "FST4", "FST4"},
    {"MFSK", "FST4W", "FS4W"},
    {"MFSK", "FT4", "FT4"},
    {"MFSK", "JS8", "JS8"},
    {"MFSK", "JTMS", "JTMS"},
    {"MFSK", "MFSK4", "MF4"},
    {"MFSK", "MFSK8", "MF8"},
    {"MFSK", "MFSK11", "MF11"},
    {"MFSK", "MFSK16", "MF16"},
    {"MFSK", "MFSK22", "MF22"},
    {"MFSK", "MFSK31", "MF31"},
    {"MFSK", "MFSK32", "MF32"},
    {"MFSK", "MFSK64", "MF64"},
    {"MFSK", "MFSK64L", "M64L"},
    {"MFSK", "MFSK128", "M128"},
    {"MFSK", "MFSK128L", "128L"},
    {"MFSK", "Q65", "Q65"},
    {"MSK144", "", "M144"},
    {"MT63", "", "MT63"},
    {"OLIVIA", "", "OLIV"},
    {"OLIVIA", "OLIVIA 4/125", "O4/1"},
    {"OLIVIA", "OLIVIA 4/250", "O4/2"},
    {"OLIVIA", "OLIVIA 8/250", "O8/2"},
    {"OLIVIA", "OLIVIA 8/500", "O8/5"},
    {"OLIVIA", "OLIVIA 16/500", "O16/"},
    {"OLIVIA", "OLIVIA 16/1000", "O161"},
    {"OLIVIA", "OLIVIA 32/1000", "O321"},
    {"OPERA", "", "OPRA"},
    {"OPERA", "OPERA-BEACON", "OPRB"},
    {"OPERA", "OPERA-QSO", "OPRQ"},
    {"PAC", "", "PAC"},
    {"PAC", "PAC2", "PAC2"},
    {"PAC", "PAC3", "PAC3"},
    {"PAC", "PAC4", "PAC4"},
    {"PAX", "", "PAX"},
    {"PAX", "PAX2", "PAX2"},
    {"PKT", "", "DATA"},
    {"PSK", "", "PSK"},
    {"PSK", "8PSK125", "8P12"},
    {"PSK", "8PSK125F", "8P12"},
    {"PSK", "8PSK125FL", "8P12"},
    {"PSK", "8PSK250", "8P25"},
    {"PSK", "8PSK250F", "8P25"},
    {"PSK", "8PSK250FL", "8P25"},
    {"PSK", "8PSK500", "8P50"},
    {"PSK", "8PSK500F", "8P50"},
    {"PSK", "8PSK1000", "8P1K"},
    {"PSK", "8PSK1000F", "8P1K"},
    {"PSK", "8PSK1200F", "8P1H"},
    {"PSK", "FSK31", "FS31"},
    {"PSK", "PSK10", "PS10"},
    {"PSK", "PSK31", "PS31"},
    {"PSK", "PSK63", "PS63"},
    {"PSK", "PSK63F", "P63F"},
    {"PSK", "PSK63RC4", "PS63"},
    {"PSK", "PSK63RC5", "PS63"},
    {"PSK", "PSK63RC10", "PS63"},
    {"PSK", "PSK63RC20", "PS63"},
    {"PSK", "PSK63RC32", "PS63"},
    {"PSK", "PSK125", "P125"},
    {"PSK", "PSK125C12", "P125"},
    {"PSK", "PSK125R", "P125"},
    {"PSK", "PSK125RC10", "P125"},
    {"PSK", "PSK125RC12", "P125"},
    {"PSK", "PSK125RC16", "P125"},
    {"PSK", "PSK125RC4", "P125"},
    {"PSK", "PSK125RC5", "P125"},
    {"PSK", "PSK250", "P250"},
    {"PSK", "PSK250C6", "P250"},
    {"PSK", "PSK250R", "P250"},
    {"PSK", "PSK250RC2", "P250"},
    {"PSK", "PSK250RC3", "P250"},
    {"PSK", "PSK250RC5", "P250"},
    {"PSK", "PSK250RC6", "P250"},
    {"PSK", "PSK250RC7", "P250"},
    {"PSK", "PSK500", "P500"},
    {"PSK", "PSK500C2", "P500"},
    {"PSK", "PSK500C4", "P500"},
    {"PSK", "PSK500R", "P500"},
    {"PSK", "PSK500RC2", "P500"},
    {"PSK", "PSK500RC3", "P500"},
    {"PSK", "PSK500RC4", "P500"},
    {"PSK", "PSK800C2", "P800"},
    {"PSK", "PSK800RC2", "P800"},
    {"PSK", "PSK1000", "P1K"},
    {"PSK", "PSK1000C2", "P1K"},
    {"PSK", "PSK1000R", "P1K"},
    {"PSK", "PSK1000RC2", "P1K"},
    {"PSK", "PSKAM10", "PA10"},
    {"PSK", "PSKAM31", "PA31"},
    {"PSK", "PSKAM50", "PA50"},
    {"PSK", "PSKFEC31", "PF31"},
    {"PSK", "QPSK31", "QP31"},
    {"PSK", "QPSK63", "QP63"},
    {"PSK", "QPSK125", "Q125"},
    {"PSK", "QPSK250", "Q250"},
    {"PSK", "QPSK500", "Q500"},
    {"PSK", "SIM31", "SIM3"},
    {"PSK2K", "", "P2K"},
    {"Q15", "", "Q15"},
    {"QRA64", "", "Q64"},
    {"QRA64", "QRA64A", "Q64A"},
    {"QRA64", "QRA64B", "Q64B"},
    {"QRA64", "QRA64C", "Q64C"},
    {"QRA64", "QRA64D", "Q64D"},
    {"QRA64", "QRA64E", "Q64E"},
    {"ROS", "", "ROS"},
    {"ROS", "ROS-EME", "ROSE"},
    {"ROS", "ROS-HF", "ROSH"},
    {"ROS", "ROS-MF", "ROSM"},
    {"RTTY", "", "RTTY"},
    {"RTTY", "ASCI", "ASCI"},
    {"RTTYM", "", "RTYM"},
    {"SSB", "", "SSB"},
    {"SSB", "LSB", "SSB"},
    {"SSB", "USB", "SSB"},
    {"SSTV", "", "SSTV"},
    {"T10", "", "T10"},
    {"THOR", "", "THOR"},
    {"THOR", "THOR-M", "THRM"},
    {"THOR", "THOR4", "THR4"},
    {"THOR", "THOR5", "THR5"},
    {"THOR", "THOR8", "THR8"},
    {"THOR", "THOR11", "TH11"},
    {"THOR", "THOR16", "TH16"},
    {"THOR", "THOR22", "TH22"},
    {"THOR", "THOR25X4", "TH25"},
    {"THOR", "THOR50X1", "TH51"},
    {"THOR", "THOR50X2", "TH52"},
    {"THOR", "THOR100", "T100"},
    {"THRB", "", "THRB"},
    {"THRB", "THRBX", "TBX"},
    {"THRB", "THRBX1", "TBX1"},
    {"THRB", "THRBX2", "TBX2"},
    {"THRB", "THRBX4", "TBX4"},
    {"THRB", "THROB1", "TRB1"},
    {"THRB", "THROB2", "TRB2"},
    {"THRB", "THROB4", "TRB4"},
    {"TOR", "", "TOR"},
    {"TOR", "AMTORFEC", "AMTF"},
    {"TOR", "GTOR", "GTOR"},
    {"TOR", "NAVTEX", "NAVT"},
    {"TOR", "SITORB", "SITB"},
    {"V4", "", "V4"},
    {"VOI", "", "VOI"},
    {"WINMOR", "", "WINM"},
    {"WSPR", "", "WSPR"},
};

struct Tables {
  std::unordered_map<std::string, std::string_view> modes;     // mode -> code
  std::unordered_map<std::string, std::string_view> submodes;  // submode -> code
  std::unordered_map<std::string, AdifMode> codes;             // code -> first row
  std::unordered_map<std::string, AdifMode> named;             // submode -> its row
  Tables() {
    for (const ModeRow& r : kRows) {
      (r.submode.empty() ? modes : submodes).emplace(std::string(r.submode.empty() ? r.mode : r.submode), r.code);
      codes.emplace(std::string(r.code), AdifMode{r.mode, r.submode});
      if (!r.submode.empty()) named.emplace(std::string(r.submode), AdifMode{r.mode, r.submode});
    }
  }
};

const Tables& tables() {
  static const Tables t;
  return t;
}

std::string trimmedUpper(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return upperCase(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace

std::span<const ModeRow> modeTable() { return kRows; }

std::string modeCode(std::string_view mode, std::string_view submode) {
  const Tables& t = tables();
  const std::string m = trimmedUpper(mode);
  const std::string s = trimmedUpper(submode);
  if (auto it = t.submodes.find(s); !s.empty() && it != t.submodes.end()) return std::string(it->second);
  if (auto it = t.modes.find(m); it != t.modes.end()) return std::string(it->second);
  if (auto it = t.submodes.find(m); it != t.submodes.end()) return std::string(it->second);
  return m.substr(0, 4);
}

AdifMode adifMode(std::string_view code) {
  const Tables& t = tables();
  if (auto it = t.codes.find(std::string(code)); it != t.codes.end()) return it->second;
  // A code typed as a submode's name (USB) goes out as that submode of its mode.
  if (auto it = t.named.find(std::string(code)); it != t.named.end()) return it->second;
  return {code, {}};
}

}  // namespace kivo
