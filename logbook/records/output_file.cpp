#include "logbook/records/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

namespace kivo {

namespace {
constexpr size_t kFlushSize = 1 << 20;
}  // namespace

OutputFile::OutputFile(const std::string& name) : writer_(name) {}

void OutputFile::write(std::string_view bytes) {
  pending_.append(bytes);
  if (pending_.size() >= kFlushSize) flush();
}

void OutputFile::writeLine(std::string_view text) {
  write(text);
  write("\r\n");
}

void OutputFile::writeRecord(const uint8_t* record) {
  write(std::string_view(reinterpret_cast<const char*>(record), kRecordSize));
  ++records_;
}

void OutputFile::writeRecord(const LogRecord& record) { writeRecord(record.bytes.data()); }

void OutputFile::flush() {
  writer_.write(pending_);
  pending_.clear();
}

void OutputFile::commit() {
  flush();
  writer_.commit();
}

bool canCreateOutput(const std::string& name) {
  if (name.empty()) return false;
  const std::string path = resolveForCreate(name);
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return S_ISREG(st.st_mode) && ::access(path.c_str(), W_OK) == 0;
  return true;  // the temporary file in its folder tells whether it can be made
}

}  // namespace kivo
