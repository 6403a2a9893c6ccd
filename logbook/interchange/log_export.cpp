#include "logbook/interchange/log_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

#include "common/fatal.h"
#include "common/fd_io.h"
#include "common/files.h"
#include "common/ordered_pieces.h"
#include "logbook/interchange/adif_writer.h"
#include "logbook/interchange/log_import.h"
#include "logbook/interchange/whole_file.h"
#include "logbook/records/station_settings.h"

namespace kivo {

namespace {

constexpr long long kBlockRecords = 1 << 12;  // 590 kB of the log at a time

// Standard output or a file written whole; either way a failed write is an error.
class Output {
 public:
  explicit Output(const std::string& name) : name_(name) {
    if (!name.empty()) file_ = std::make_unique<AtomicWriter>(name);
  }
  void write(std::string& bytes) {
    if (file_) {
      file_->write(bytes);
    } else if (!writeAll(STDOUT_FILENO, bytes.data(), bytes.size())) {
      fail(kFileIoError, std::string("write standard output: ") + std::strerror(errno));
    }
    bytes.clear();
  }
  void finish() {
    if (file_) file_->commit();
  }

 private:
  std::string name_;
  std::unique_ptr<AtomicWriter> file_;
};

// The log's records, read a block at a time from a regular file, so that the export
// of any log holds a few megabytes of it; anything else (a pipe) is read whole. A
// log that is shorter by the time it is read ends where its bytes end, as a log
// read whole would.
class LogRecords {
 public:
  explicit LogRecords(const std::string& name) {
    const std::string path = resolveExisting(name);
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) {
      length_ = st.st_size;
      return;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    int error = 0;
    if (!readWholeBytes(path, whole_, error))
      throw ConversionError(2, "cannot read " + name + ": " + std::strerror(error));
    length_ = static_cast<long long>(whole_.size());
  }
  ~LogRecords() {
    if (fd_ >= 0) ::close(fd_);
  }
  LogRecords(const LogRecords&) = delete;
  LogRecords& operator=(const LogRecords&) = delete;

  long long count() const { return recordCountForLength(length_); }

  // Up to n records from `first` (0 for the first) into `block`, made to fit; a short
  // last record is completed with 0x00. Returns how many: fewer where the log ends,
  // also when it was cut short since it was opened. Two threads may read at once.
  long long read(long long first, long long n, std::string& block, const std::string& name) const {
    n = std::min(n, count() - first);
    if (n <= 0) return 0;
    const auto at = static_cast<size_t>(first) * kRecordSize;
    const size_t want = static_cast<size_t>(n) * kRecordSize;
    block.resize(want);
    size_t got = 0;
    if (fd_ < 0) {
      got = std::min(want, whole_.size() - at);
      std::memcpy(block.data(), whole_.data() + at, got);
    }
    if (fd_ >= 0) {
      const ssize_t r = readAllAt(fd_, block.data(), want, static_cast<off_t>(at));
      if (r < 0) throw ConversionError(2, "cannot read " + name + ": " + std::strerror(errno));
      got = static_cast<size_t>(r);
    }
    std::memset(block.data() + got, 0, want - got);
    if (got == want) return n;
    return std::max(0LL, std::min(n, recordCountForLength(static_cast<long long>(at + got)) - first));
  }

 private:
  int fd_ = -1;
  long long length_ = 0;
  std::string whole_;
};

}  // namespace

long long exportLog(const ExportRequest& request) {
  LogRecords log(request.log);
  if (!request.output.empty() && sameFile(request.output, request.log))
    throw ConversionError(2, "the output " + request.output + " is the log itself");
  const std::string ini = request.station == "." ? "KIVOLOG.INI" : request.station + "/KIVOLOG.INI";
  const StationSettings station = readStationSettings(resolveExisting(ini));
  const long long count = log.count();
  const long long last = request.to > 0 && request.to < count ? request.to : count;

  // Blocks of the log made into text on two threads and written in log order. A log
  // cut short while it is read ends where its bytes end: the blocks after come out
  // empty.
  struct Piece {
    std::string text;
    long long records = 0;
  };
  const long long first = std::max(1LL, request.from);
  const auto pieces = static_cast<size_t>(last >= first ? (last - first + kBlockRecords) / kBlockRecords : 0);
  long long written = 0;
  try {
    Output out(request.output);
    std::string header = adifHeader(request.timestamp);
    out.write(header);
    const std::function<Piece(size_t)> make = [&](size_t i) {
      const long long from = first + static_cast<long long>(i) * kBlockRecords;
      std::string block;
      const long long got = log.read(from - 1, std::min(kBlockRecords, last - from + 1), block, request.log);
      Piece piece;
      piece.text.reserve(static_cast<size_t>(got) * 320);
      LogRecord r;
      for (long long k = 0; k < got; ++k) {
        std::memcpy(r.bytes.data(), block.data() + static_cast<size_t>(k) * kRecordSize, kRecordSize);
        if (!request.since.empty() && exportDate(r) < request.since) continue;
        appendAdifRecord(piece.text, r, station);
        ++piece.records;
      }
      return piece;
    };
    const std::function<void(size_t, Piece&)> use = [&](size_t, Piece& piece) {
      out.write(piece.text);
      written += piece.records;
    };
    makeInOrder<Piece>(pieces, 4, make, use);
    out.finish();
  } catch (const RuntimeError& e) {
    throw ConversionError(3, errorMessage(e));
  }
  return written;
}

}  // namespace kivo
