#pragma once
// Every contact of the logs applied, in log order and by the logbook's own rules, to
// the award check's blank worked table and empty square list.
#include <memory>

#include "awardsum/log_reader.h"
#include "awardsum/table_check.h"

namespace kivo {

class LogReplay {
 public:
  // Applies to check.supported, check.supportedSquares, check.withoutLine and
  // check.contacts; what one log leaves is where the next one starts.
  explicit LogReplay(TableCheck& check);
  ~LogReplay();
  LogReplay(const LogReplay&) = delete;
  LogReplay& operator=(const LogReplay&) = delete;

  void run(const LogRecords& log);

 private:
  class Replay;
  std::unique_ptr<Replay> replay_;
};

}  // namespace kivo
