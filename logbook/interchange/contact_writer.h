#pragma once
// The contacts made, handed in blocks to a second thread, which leaves out those
// already in the log (or met before), fills the entity of the others, writes them
// to the log and notes them for the tables, while the first thread goes on reading. The second thread begins
// with the index of the log's contacts, while the first reads the first block. The blocks are taken in
// the order they were made, so the log is the same as one thread would write.
#include <cstddef>
#include <exception>
#include <thread>
#include <vector>

#include "logbook/entities/country_table.h"
#include "logbook/interchange/block_handoff.h"
#include "logbook/interchange/contact_import.h"
#include "logbook/interchange/duplicate_index.h"
#include "logbook/interchange/log_target.h"
#include "logbook/interchange/table_update.h"

namespace kivo {

class ContactWriter {
 public:
  struct Counts {
    long long added = 0, duplicates = 0;
  };

  ContactWriter(LogTarget& log, const CountryTable& countries, TableUpdate* tables, size_t files, size_t inputBytes);
  ~ContactWriter();
  ContactWriter(const ContactWriter&) = delete;
  ContactWriter& operator=(const ContactWriter&) = delete;

  // A contact of the file numbered `file`.
  void add(size_t file, const LogRecord& record);

  // Waits until every contact is written; a failure of the writing is thrown here.
  void finish();
  // Stops the writing where it stands (the log is then put back).
  void abandon();

  const Counts& counts(size_t file) const { return counts_[file]; }

 private:
  static constexpr size_t kBlockBytes = kRecordSize << 13;  // about a megabyte
  static constexpr size_t kBuffers = 4;

  void send();

  void rethrowFailure();

  void run();

  // The duplicates are left out in place, the block then written whole. The index
  // looks a few records ahead, so that their slots come from memory together.
  void write(BlockHandoff::Block& block);

  LogTarget& log_;
  EntityFill entities_;
  LogRecord record_;
  TableUpdate* tables_;
  size_t inputBytes_;
  DuplicateIndex index_;
  std::vector<Counts> counts_;
  BlockHandoff handoff_;
  BlockHandoff::Block* block_ = nullptr;
  std::exception_ptr failure_;
  std::thread thread_;
};

}  // namespace kivo
