#pragma once
// The transfer file as rigxfer keeps it: rewritten whole, through a temporary file
// and a rename so that the logbook never reads half of it, and only when the
// radio's values changed.
#include <ostream>
#include <string>

namespace kivo {

struct RadioReading {
  double hz = 0;
  std::string mode;  // as hamlib names it
};

class TransferFile {
 public:
  TransferFile(std::string name, bool highPower, std::ostream& err);

  // The radio's values; false when they make no transfer file (no frequency), which
  // counts as silence. A failed write is the runtime error.
  bool answered(const RadioReading& reading);
  // The radio did not answer: the file keeps what it holds, and one line on `err`
  // tells of the outage (and one more when the radio answers again).
  void silent(const std::string& reason);

  const std::string& written() const { return written_; }

 private:
  std::string name_;
  bool highPower_;
  std::ostream& err_;
  std::string written_;  // what the file holds since our last write
  bool silent_ = false;
};

}  // namespace kivo
