#pragma once
// WORKED.CFM and GRID.SQU brought up to date for a run of new records, by the
// logbook's own update, as the update run of the browse screen does.
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "logbook/logbook.h"

namespace kivo {

// The records are noted as they are made (while the log is still being written) and
// applied once it is on the disk. Most records do to the tables what an earlier one
// with the same entity, mode, band and marks did, which then changed nothing: those
// are passed over. Noting a record keeps only that key's number, so the records
// themselves are read back only for the few that are applied.
class TableUpdate {
 public:
  TableUpdate();
  ~TableUpdate();
  TableUpdate(const TableUpdate&) = delete;
  TableUpdate& operator=(const TableUpdate&) = delete;

  // Notes whole records (144 bytes each), in the order of the log.
  void note(std::string_view records);
  size_t noted() const { return keys_.size(); }

  // Gives record `i` (from 0, in the order noted).
  using RecordReader = std::function<void(size_t i, LogRecord& record)>;
  // Applies every record noted, in order. A runtime error of the update ends it.
  void apply(Logbook& lb, const RecordReader& read);

 private:
  struct Keys;
  std::unique_ptr<Keys> keysOf_;
  std::vector<uint32_t> keys_;  // per record: the number of its key, or kNoKey
};

}  // namespace kivo
