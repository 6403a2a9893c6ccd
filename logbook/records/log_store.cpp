#include "logbook/records/log_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "common/fatal.h"
#include "logbook/records/log_commands.h"
#include "logbook/records/printing.h"

namespace kivo {

bool isLineFormatLog(const std::string& name) {
  int fd = ::open(resolveExisting(name).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  unsigned char head[10];
  ssize_t got = ::read(fd, head, sizeof head);
  ::close(fd);
  if (got < 10) return false;
  for (int i = 0; i < 9; ++i)
    if (head[i] == '\n') return false;  // the first line is shorter than 10 characters
  return head[9] == kSeparator;
}

void convertLineFormatLog(const std::string& name) {
  const std::string original = resolveExisting(name);
  const std::string kept = original + ".org";

  // The log keeps its name and its text until the records take its place in one
  // rename, the last step: the copy of the text is made first, beside it. Killed at
  // any point, the name holds the old text (and the next start converts it again)
  // or the whole of the new records.
  std::string records;
  {
    TextReader in;
    in.open(original);
    std::string line;
    long long lineNumber = 0;
    long long written = 0;
    while (in.readLine(line)) {
      ++lineNumber;
      // A line holding 0x00 is not written; its number stays unused. So is the
      // end-of-file mark that old editors left as a line of its own.
      if (line.find('\0') != std::string::npos || line == "\x1a") continue;
      LogRecord record = recordFromLine(line);
      records.resize(static_cast<size_t>(lineNumber - 1) * kRecordSize, '\0');
      records.append(reinterpret_cast<const char*>(record.bytes.data()), kRecordSize);
      written = lineNumber;
    }
    records.resize(static_cast<size_t>(written) * kRecordSize, '\0');
  }
  writeFileAtomically(kept, readWholeFile(original));
  writeFileAtomically(original, records);
}

namespace {
std::string inUseMessage(const std::string& name) { return "open " + name + ": the log is open in another logbook"; }
}  // namespace

bool isOwnFile(const Logbook& lb, const std::string& name) {
  const Config& c = lb.config;
  for (const std::string& own :
       {std::string(kRunMarker), std::string(kSettingsFile), std::string(kDropFile), std::string(kWorkedBeforeFile),
        std::string(kDeleteCopyFile), std::string(kPrinterFile), c.countryFileName, c.workedFileName, c.gridFileName,
        c.transferFileName})
    if (sameFile(name, own)) return true;
  return false;
}

void refuseOwnFileAsLog(const Logbook& lb, const std::string& name) {
  if (isOwnFile(lb, name)) fail(kIllegalFunctionCall, "open " + name + ": a file of the logbook's own cannot be a log");
}

void refuseLogInUse(const std::string& name) {
  const int fd = ::open(resolveExisting(name).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;  // a log that is not there is nobody's
  const bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  if (busy) fail(kFileIoError, inUseMessage(name));
}

void openLog(Logbook& lb, const std::string& name) {
  lb.log.close();  // errors of the old log are of no interest now
  // The log kept locked while the worked-before list was shown is taken back as it is.
  if (lb.heldLog.isOpen() && sameFile(name, lb.heldLog.name())) {
    lb.log = std::move(lb.heldLog);
    return;
  }
  // The text of a converted log beside a log that is gone: an empty log must not
  // quietly take its place.
  if (!fileExists(name) && fileExists(name + ".org"))
    fail(kFileNotFound, "open " + name + ": it is missing, but " + name + ".org is there (rename it back to " + name +
                            " to convert it again)");
  if (isLineFormatLog(name)) convertLineFormatLog(name);
  refuseFileThatIsNoLog(name);
  // A log that cannot be opened for writing would show as empty and fail only at
  // the first contact: the operator would think it lost. It ends the run at once.
  if (!lb.log.tryOpen(name)) fail(kFileIoError, "open " + name);
  // Two logbooks on one log would both append at the same record number.
  if (!lb.log.lockExclusive()) {
    lb.log.close();
    fail(kFileIoError, inUseMessage(name));
  }
}

long long recordCount(const Logbook& lb) { return lb.log.isOpen() ? lb.log.count() : 0; }

void readRecord(Logbook& lb, long long n) {
  if (!lb.log.isOpen()) {
    lb.record.clear();
    return;
  }
  lb.log.read(n, lb.record.bytes.data());
}

void writeRecord(Logbook& lb, long long n) { lb.log.write(n, lb.record.bytes.data()); }

void syncLog(Logbook& lb) { lb.log.sync(); }

void closeLog(Logbook& lb) {
  lb.log.sync();
  if (!lb.log.close()) fail(kFileIoError, "close " + lb.logFileName);
}

void refuseFileThatIsNoLog(const std::string& name) {
  const int fd = ::open(resolveExisting(name).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;  // a new log, or one that the opening will report
  uint8_t first[kRecordSize];
  size_t got = 0;
  while (got < kRecordSize) {
    const ssize_t n = ::read(fd, first + got, kRecordSize - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (got == 0) return;
  if (std::all_of(first, first + got, [](uint8_t b) { return b == 0; })) return;
  LogRecord shape;
  shape.setSeparators();
  for (size_t i = 0; i < got; ++i)
    if (shape.bytes[i] == kSeparator && first[i] == kSeparator) return;
  if (got > kLineEndOffset + 1 && first[kLineEndOffset] == '\r' && first[kLineEndOffset + 1] == '\n') return;
  fail(kFileIoError, "open " + name + ": not a log (its first record has no separators and no line end)");
}

}  // namespace kivo
