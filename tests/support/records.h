#pragma once
// Contact records and table lines built from field values, for the tests, the fuzz
// targets and the benchmarks alike.
#include <string>

#include "logbook/records/log_record.h"

namespace kivo::testing {

// The fields of one contact as typed (blank-padded when stored); the defaults are a
// plain CW contact with the USA.
struct ContactFields {
  std::string date = "01 JAN 26";
  std::string freq = "14.02500";
  std::string mode = "CW";
  std::string pwr = "100";
  std::string time = "1200";
  std::string call;
  std::string sn = "599";
  std::string rd = "599";
  std::string toff = "1201";
  std::string country = "USA";
  std::string sr = "  ";
  std::string comments;
};

// The record of those fields, separators and line end set.
LogRecord recordOf(const ContactFields& fields);

// A plain contact with the call, date, QSL mark and country given.
LogRecord contact(const std::string& call, const std::string& date = "01 JAN 26", const std::string& sr = "  ",
                  const std::string& country = "USA");

// The 144 bytes of a record as they stand in a log file.
std::string recordBytes(const LogRecord& r);

// A log of n contacts with the calls Q1, Q2, ...
std::string logOf(int n);

// Record n (from 1) of a log's bytes.
LogRecord recordAt(const std::string& logBytes, long long n);

// An entity line of WORKED.CFM: prefix text, the name in columns 17-28, empty cells
// framed by 0xB3 in columns 43-79.
std::string entityLine(const std::string& lead, const std::string& name);

}  // namespace kivo::testing
