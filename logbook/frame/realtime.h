#pragma once
// Real-time and automatic logging: a new contact filled from the radio's transfer
// file and the clock, or for a station named on the command line or in KIVOLOG.IN.
#include <string>

#include "logbook/logbook.h"

namespace kivo {

inline constexpr int kTransferAttempts = 5;
inline constexpr int kTransferRetryMs = 200;

// Fills the current new-contact line for a waiting station or in real-time mode.
void autoLogFill(Logbook& lb);
// Looks for the drop file KIVOLOG.IN after a contact was entered.
void checkDropFile(Logbook& lb);

// Frequency, mode, power, date and times from the radio and the clock, on the edit row.
void radioFill(Logbook& lb);
// DATE, TIME and TOFF of the edit row from the clock, shifted by TZ=.
void clockFill(Logbook& lb);

// Reads the last complete pair of lines of the transfer file into lb.radio. An open
// that fails is tried again after a pause, five times in all; false when every
// attempt failed (the radio values then stay as they were).
bool readTransferFile(Logbook& lb);

// The four characters of PWR for the radio values, or empty when no rule applies
// and the column keeps what it holds.
std::string radioPower(const RadioValues& radio, bool markAS);

// The clock as the log writes it: two-digit year, hour shifted into 0-23.
struct LogClock {
  int day = 1;
  int month = 1;
  int year = 0;  // two digits
  int hour = 0;
  int minute = 0;
};
LogClock shiftedClock(const LocalTime& local, int timeZoneHours);
// "06 DEC 26".
std::string logDate(const LogClock& clock);
// "0230".
std::string logTime(const LogClock& clock);

}  // namespace kivo
