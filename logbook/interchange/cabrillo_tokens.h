#pragma once
// A Cabrillo QSO line read by its tokens, not its columns: frequency, mode, date,
// time, the sent call and exchange, the received call and exchange, and an optional
// transmitter number. As the contest log checkers do, the exchanges are found by
// counting: both have the same number of tokens, so an odd count of tokens after
// the time holds a transmitter number at the end.
#include <string_view>
#include <vector>

namespace kivo {

struct CabrilloQso {
  std::string_view frequency, mode, date, time;
  std::string_view sentCall;
  std::vector<std::string_view> sentExchange;
  std::string_view receivedCall;
  std::vector<std::string_view> receivedExchange;
  std::string_view transmitter;  // empty when the line has none
};

// True when the line begins with "QSO:" (any case); "X-QSO:" lines are not contacts.
bool isCabrilloQsoLine(std::string_view line);

// Splits a QSO line; false when it has too few tokens to hold both calls.
bool splitCabrilloQso(std::string_view line, CabrilloQso& qso);

// The ADIF band of a Cabrillo band designator (50, 144, 222, 432, 902, 1.2G ...
// 241G); empty for a frequency in kHz, LIGHT or anything else.
std::string_view cabrilloBand(std::string_view frequency);

}  // namespace kivo
