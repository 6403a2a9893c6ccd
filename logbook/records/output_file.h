#pragma once
// The file a report or conversion writes. It is built in a temporary file beside
// the target and takes the target's name only when complete, so a conversion that
// fails part-way (a full disk) ends in the runtime error and leaves whatever file
// had that name as it was; never a short file that then becomes the log.
#include <string>
#include <string_view>

#include "common/files.h"
#include "logbook/records/log_record.h"

namespace kivo {

class OutputFile {
 public:
  // A failure to create it is a runtime error (the menu asks for another name).
  explicit OutputFile(const std::string& name);

  void write(std::string_view bytes);
  // The text and CR LF.
  void writeLine(std::string_view text);
  void writeRecord(const LogRecord& record);
  void writeRecord(const uint8_t* record);
  // Records written so far.
  long long records() const { return records_; }
  // Everything written goes to disk and the file takes its name.
  void commit();

 private:
  void flush();

  AtomicWriter writer_;
  std::string pending_;
  long long records_ = 0;
};

// True when `name` can be created as an output: its folder can be written and no
// folder stands under that name.
bool canCreateOutput(const std::string& name);

}  // namespace kivo
