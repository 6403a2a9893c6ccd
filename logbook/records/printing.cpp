#include "logbook/records/printing.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/fatal.h"
#include "common/fd_io.h"
#include "logbook/records/log_store.h"
#include "logbook/records/record_scanner.h"

namespace kivo {

namespace {

constexpr char kCondensedOn = 0x0F;
constexpr char kCondensedOff = 0x12;
constexpr char kFormFeed = 0x0C;
constexpr const char* kLineEnd = "\r\n";
constexpr size_t kFlushSize = 1 << 16;

// The printer port as a byte stream. Opened like a device, not replaced by a
// rename, so that LPT1.PRN may also be a link to a real printer device.
class Printer {
 public:
  Printer() {
    fd_ = ::open(resolveExisting(kPrinterFile).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) fail(errorNumberFromErrno(errno), "open LPT1:");
  }
  ~Printer() {
    if (fd_ >= 0) ::close(fd_);
  }
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;

  void send(const std::string& bytes) {
    pending_ += bytes;
    if (pending_.size() >= kFlushSize) flush();
  }
  void send(char byte) { pending_.push_back(byte); }
  // The printed line of a record, built straight into what goes out.
  void sendLine(const uint8_t* record) {
    appendPrintLine(pending_, record);
    if (pending_.size() >= kFlushSize) flush();
  }

  void close() {
    flush();
    int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0) fail(kFileIoError, "close LPT1:");
  }

 private:
  void flush() {
    if (!writeAll(fd_, pending_.data(), pending_.size())) fail(kFileIoError, "write LPT1:");
    pending_.clear();
  }

  int fd_ = -1;
  std::string pending_;
};

}  // namespace

void appendPrintLine(std::string& out, const uint8_t* record) {
  for (const FieldInfo& f : kFields) {
    if (f.field != Field::DATE) out += ' ';
    out.append(reinterpret_cast<const char*>(record) + f.offset, static_cast<size_t>(f.width));
  }
  out += kLineEnd;
}

std::string printLine(const LogRecord& record) {
  std::string line;
  appendPrintLine(line, record.bytes.data());
  return line;
}

void printLog(Logbook& lb) {
  Printer printer;
  printer.send(kCondensedOn);
  // The 118 characters of a line go out unfolded: the port's width is 255.
  int lines = 0;
  RecordScanner scan(lb.log, lb.browse.currentRecord, recordCount(lb));
  while (const uint8_t* record = scan.next()) {
    if (lines == 0) printer.send(std::string(kPrintHeader) + kLineEnd);
    printer.sendLine(record);
    if (++lines == kLinesPerPage) {
      lines = 0;
      printer.send(kFormFeed);
    }
  }
  readRecord(lb, lb.browse.currentRecord);
  printer.send(kCondensedOff);
  printer.send(kFormFeed);
  printer.close();
}

}  // namespace kivo
