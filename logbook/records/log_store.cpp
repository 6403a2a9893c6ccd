#include "logbook/records/log_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "common/fatal.h"

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

  // The records are built in a temporary file first and take the log's name only
  // when complete, so an interrupted conversion never leaves a partial log that the
  // next start would take for a converted one.
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
  AtomicWriter out(original);
  out.write(records);
  removeFile(kept);
  if (!renameFile(original, kept)) fail(kFileIoError, "rename " + name + " to " + name + ".org");
  out.commit();
}

namespace {
std::string inUseMessage(const std::string& name) { return "open " + name + ": the log is open in another logbook"; }
}  // namespace

void refuseLogInUse(const std::string& name) {
  const int fd = ::open(resolveExisting(name).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;  // a log that is not there is nobody's
  const bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  if (busy) fail(kFileIoError, inUseMessage(name));
}

void openLog(Logbook& lb, const std::string& name) {
  lb.log.close();  // errors of the old log are of no interest now
  if (isLineFormatLog(name)) convertLineFormatLog(name);
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

void closeLog(Logbook& lb) {
  if (!lb.log.close()) fail(kFileIoError, "close " + lb.logFileName);
}

}  // namespace kivo
