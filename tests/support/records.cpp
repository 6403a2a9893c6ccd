#include "tests/support/records.h"

#include <algorithm>

#include "common/text.h"

namespace kivo::testing {

LogRecord recordOf(const ContactFields& fields) {
  LogRecord r;
  r.set(Field::DATE, fields.date);
  r.set(Field::FREQ, fields.freq);
  r.set(Field::MODE, fields.mode);
  r.set(Field::PWR, fields.pwr);
  r.set(Field::TIME, fields.time);
  r.set(Field::STATION, fields.call);
  r.set(Field::SN, fields.sn);
  r.set(Field::RD, fields.rd);
  r.set(Field::TOFF, fields.toff);
  r.set(Field::COUNTRY, fields.country);
  r.set(Field::SR, fields.sr);
  r.set(Field::COMMENTS, fields.comments);
  r.setSeparators();
  return r;
}

LogRecord contact(const std::string& call, const std::string& date, const std::string& sr, const std::string& country) {
  ContactFields fields;
  fields.call = call;
  fields.date = date;
  fields.sr = sr;
  fields.country = country;
  return recordOf(fields);
}

std::string recordBytes(const LogRecord& r) {
  return std::string(reinterpret_cast<const char*>(r.bytes.data()), r.bytes.size());
}

std::string logOf(int n) {
  std::string bytes;
  for (int i = 1; i <= n; ++i) bytes += recordBytes(contact("Q" + std::to_string(i)));
  return bytes;
}

LogRecord recordAt(const std::string& logBytes, long long n) {
  LogRecord r;
  const long long start = (n - 1) * static_cast<long long>(kRecordSize);
  std::copy_n(logBytes.begin() + start, kRecordSize, r.bytes.begin());
  return r;
}

std::string entityLine(const std::string& lead, const std::string& name) {
  std::string line = fitWidth(lead, 16) + fitWidth(name, 12) + std::string(14, ' ');
  for (int k = 0; k < 18; ++k) line += "\xB3 ";
  return line + "\xB3";
}

}  // namespace kivo::testing
