#include "logbook/interchange/log_export.h"

#include <unistd.h>

#include <cstring>
#include <memory>

#include "common/fatal.h"
#include "common/fd_io.h"
#include "common/files.h"
#include "logbook/interchange/adif_writer.h"
#include "logbook/interchange/log_import.h"
#include "logbook/interchange/whole_file.h"
#include "logbook/records/station_settings.h"

namespace kivo {

namespace {

constexpr size_t kChunk = 1 << 20;

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

}  // namespace

long long exportLog(const ExportRequest& request) {
  std::string records;
  int error = 0;
  if (!readWholeBytes(resolveExisting(request.log), records, error))
    throw ConversionError(2, "cannot read " + request.log + ": " + std::strerror(error));
  if (!request.output.empty() && sameFile(request.output, request.log))
    throw ConversionError(2, "the output " + request.output + " is the log itself");
  const std::string ini = request.station == "." ? "KIVOLOG.INI" : request.station + "/KIVOLOG.INI";
  const StationSettings station = readStationSettings(resolveExisting(ini));
  const long long count = recordCountForLength(static_cast<long long>(records.size()));
  records.resize(static_cast<size_t>(count) * kRecordSize, '\0');
  const long long last = request.to > 0 && request.to < count ? request.to : count;

  long long written = 0;
  try {
    Output out(request.output);
    std::string text = adifHeader(request.timestamp);
    text.reserve(2 * kChunk);
    LogRecord r;
    for (long long n = request.from < 1 ? 1 : request.from; n <= last; ++n) {
      std::memcpy(r.bytes.data(), records.data() + static_cast<size_t>(n - 1) * kRecordSize, kRecordSize);
      if (!request.since.empty() && exportDate(r) < request.since) continue;
      appendAdifRecord(text, r, station);
      ++written;
      if (text.size() >= kChunk) out.write(text);
    }
    out.write(text);
    out.finish();
  } catch (const RuntimeError& e) {
    throw ConversionError(3, errorMessage(e));
  }
  return written;
}

}  // namespace kivo
