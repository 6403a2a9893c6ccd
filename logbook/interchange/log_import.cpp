#include "logbook/interchange/log_import.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <thread>

#include "common/fatal.h"
#include "common/fd_io.h"
#include "common/files.h"
#include "logbook/entities/country_table.h"
#include "logbook/entities/grid_table.h"
#include "logbook/entities/worked_update.h"
#include "logbook/interchange/adif_reader.h"
#include "logbook/interchange/block_handoff.h"
#include "logbook/interchange/cabrillo_tokens.h"
#include "logbook/interchange/contact_import.h"
#include "logbook/interchange/duplicate_index.h"
#include "logbook/interchange/input_window.h"
#include "logbook/interchange/table_update.h"
#include "logbook/records/log_store.h"

namespace kivo {

namespace {

constexpr long long kProgressEvery = 4096;

std::string inFolder(const std::string& folder, const char* name) {
  return folder.empty() || folder == "." ? std::string(name) : folder + "/" + name;
}

struct Rejection {
  long long line;
  std::string text;
  std::string reason;
};

bool looksLikeCabrillo(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return false;
  const std::string_view start = text.substr(first);
  return sameAdifName(start.substr(0, 13), "START-OF-LOG:") || isCabrilloQsoLine(start);
}

// The records written back for correction: each as it stood, after a line that says
// where it stood and why it was not taken, in a file the import reads again.
std::string rejectedFile(const std::string& input, bool cabrillo, const std::vector<Rejection>& rejected) {
  std::string out;
  if (cabrillo) {
    out = "START-OF-LOG: 3.0\nX-KIVOCONV: QSO lines of " + input + " that were not imported\n";
    for (const Rejection& r : rejected)
      out += "X-KIVOCONV: line " + std::to_string(r.line) + ": " + r.reason + "\n" + r.text + "\n";
    return out + "END-OF-LOG:\n";
  }
  out = "Records of " + input + " that were not imported, each after its line number and the reason\n<EOH>\n";
  for (const Rejection& r : rejected)
    out += "\n// line " + std::to_string(r.line) + ": " + r.reason + "\n" + r.text + "\n";
  return out;
}

// The log the records go to: locked against a running logbook from the start, and
// put back as it was when anything fails before the end. The records are written a
// block at a time as they are made, and each block starts on its way to the disk at
// once, so that the sync at the end waits only for the last of them.
class LogTarget {
 public:
  explicit LogTarget(const ImportRequest& request) : fresh_(!request.newLog.empty()) {
    name_ = fresh_ ? request.newLog : request.log;
    if (fresh_) {
      if (fileExists(name_)) throw ConversionError(2, name_ + " exists; --new writes only a log that is not there yet");
      return;
    }
    path_ = resolveExisting(name_);
    existed_ = fileExists(path_);
    if (!existed_) path_ = resolveForCreate(name_);
    if (existed_ && isLineFormatLog(path_))
      throw ConversionError(2, name_ + " is a log in the older line format: open it once in kivolog to convert it");
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) throw ConversionError(3, "cannot open " + name_ + ": " + std::strerror(errno));
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd_);
      fd_ = -1;
      throw ConversionError(3, name_ + " is open in a running logbook (or another import); nothing was added");
    }
    struct stat st;
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) fail(kFileIoError, "open " + name_);
    length_ = st.st_size;
    device_ = st.st_dev;
    inode_ = st.st_ino;
  }
  ~LogTarget() {
    if (fd_ >= 0) ::close(fd_);
    if (readFd_ >= 0) ::close(readFd_);
  }
  LogTarget(const LogTarget&) = delete;
  LogTarget& operator=(const LogTarget&) = delete;

  // True when the input is this log itself.
  bool isFile(const InputWindow& in) const { return fd_ >= 0 && in.device() == device_ && in.inode() == inode_; }

  // The records already in the log.
  std::string existingRecords() const {
    std::string bytes;
    if (fd_ < 0 || length_ == 0) return bytes;
    bytes.resize(static_cast<size_t>(length_));
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got = ::pread(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) fail(kFileIoError, "read " + name_);
      done += static_cast<size_t>(got);
    }
    bytes.resize(static_cast<size_t>(recordCountForLength(length_)) * kRecordSize, '\0');
    return bytes;
  }

  // Appends records after the last one (as the logbook counts them), or after those
  // of the calls before.
  void write(std::string_view records) {
    if (records.empty()) return;
    if (fresh_) {
      if (!writer_) writer_ = std::make_unique<AtomicWriter>(name_);
      writer_->write(records);
      return;
    }
    if (!written_) keepTail();
    if (!writeAllAt(fd_, records.data(), records.size(), next_)) fail(kFileIoError, "write " + name_);
    startWriteBack(fd_, next_, records.size());
    next_ += static_cast<off_t>(records.size());
  }

  // Makes what was written durable; a new log takes its name (empty when nothing
  // was written).
  void finish() {
    if (fresh_) {
      if (!writer_) writer_ = std::make_unique<AtomicWriter>(name_);
      readFd_ = ::dup(writer_->descriptor());  // the records stay readable after the rename
      if (readFd_ < 0) fail(kFileIoError, "write " + name_);
      writer_->commit();
      written_ = true;
      return;
    }
    if (written_ && ::fsync(fd_) != 0) fail(kFileIoError, "write " + name_);
  }

  // The i-th record written (from 0), read back a block at a time.
  void readBack(size_t i, LogRecord& record) {
    const int fd = fresh_ ? readFd_ : fd_;
    const long long at = static_cast<long long>(i * kRecordSize);
    if (at < cachedFrom_ ||
        at + static_cast<long long>(kRecordSize) > cachedFrom_ + static_cast<long long>(cache_.size())) {
      cache_.resize(kReadBackBytes);
      cachedFrom_ = at;
      size_t done = 0;
      while (done < cache_.size()) {
        const ssize_t got = ::pread(fd, cache_.data() + done, cache_.size() - done,
                                    static_cast<off_t>(firstAt_ + at) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail(kFileIoError, "read " + name_);
        if (got == 0) break;
        done += static_cast<size_t>(got);
      }
      cache_.resize(done - done % kRecordSize);
      if (cache_.empty()) fail(kFileIoError, "read " + name_);
    }
    std::memcpy(record.bytes.data(), cache_.data() + (at - cachedFrom_), kRecordSize);
  }

  // Puts the log back as it was before the first write. Errors here can only be
  // reported.
  bool rollback() {
    writer_.reset();  // a new log not yet named: its temporary file goes
    if (!written_) return removeIfCreated();
    written_ = false;
    if (fresh_) return removeFile(name_);
    const off_t at = static_cast<off_t>(length_) - static_cast<off_t>(tail_.size());
    bool ok = ::ftruncate(fd_, static_cast<off_t>(length_)) == 0;
    if (!tail_.empty()) ok = writeAllAt(fd_, tail_.data(), tail_.size(), at) && ok;
    ok = ::fsync(fd_) == 0 && ok;
    return removeIfCreated() && ok;
  }

  void keep() { existed_ = true; }

 private:
  static constexpr size_t kReadBackBytes = size_t{1} << 20;

  // A short last record is completed by the first new one: its bytes are kept to be
  // put back.
  void keepTail() {
    const off_t at = static_cast<off_t>(recordCountForLength(length_) * static_cast<long long>(kRecordSize));
    tail_.resize(static_cast<size_t>(length_ - at > 0 ? length_ - at : 0));
    if (!tail_.empty() && ::pread(fd_, tail_.data(), tail_.size(), at) != static_cast<ssize_t>(tail_.size()))
      fail(kFileIoError, "read " + name_);
    written_ = true;
    firstAt_ = next_ = at;
  }

  bool removeIfCreated() {
    if (fresh_ || existed_ || fd_ < 0) return true;
    return length_ == 0 && ::unlink(path_.c_str()) == 0;
  }

  bool fresh_;
  std::string name_, path_;
  bool existed_ = true;
  int fd_ = -1;
  long long length_ = 0;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  bool written_ = false;
  std::string tail_;
  off_t firstAt_ = 0, next_ = 0;          // where the first new record went, and the next one goes
  std::unique_ptr<AtomicWriter> writer_;  // a new log, until it takes its name
  int readFd_ = -1;                       // a new log, after it took its name
  std::string cache_;
  long long cachedFrom_ = 0;
};

// The contacts of the log, and room for about as many new ones as the inputs can
// hold (an ADIF record takes some hundred bytes), so that nothing grows on the way.
void indexLog(DuplicateIndex& index, const std::string& records, size_t inputBytes) {
  const size_t expected = inputBytes / 100 + 1024;
  index.reserve(records.size() / kRecordSize + expected);
  LogRecord r;
  for (size_t at = 0; at + kRecordSize <= records.size(); at += kRecordSize) {
    std::memcpy(r.bytes.data(), records.data() + at, kRecordSize);
    index.add(r);
  }
}

// The contacts made, handed in blocks to a second thread, which leaves out those
// already in the log (or met before), fills the entity of the others, writes them
// to the log and notes them for the tables, while the first thread goes on reading. The second thread begins
// with the index of the log's contacts, while the first reads the first block. The blocks are taken in
// the order they were made, so the log is the same as one thread would write.
class ContactWriter {
 public:
  struct Counts {
    long long added = 0, duplicates = 0;
  };

  ContactWriter(LogTarget& log, const CountryTable& countries, TableUpdate* tables, size_t files, size_t inputBytes)
      : log_(log),
        entities_(countries),
        tables_(tables),
        inputBytes_(inputBytes),
        counts_(files),
        handoff_(kBuffers, kBlockBytes) {
    thread_ = std::thread([this] { run(); });
  }
  ~ContactWriter() { abandon(); }
  ContactWriter(const ContactWriter&) = delete;
  ContactWriter& operator=(const ContactWriter&) = delete;

  // A contact of the file numbered `file`.
  void add(size_t file, const LogRecord& record) {
    if (block_ && (block_->tag != file || block_->bytes.size() + kRecordSize > kBlockBytes)) send();
    if (!block_) {
      block_ = handoff_.empty();
      if (!block_) rethrowFailure();
      block_->tag = file;
    }
    block_->bytes.append(reinterpret_cast<const char*>(record.bytes.data()), kRecordSize);
  }

  // Waits until every contact is written; a failure of the writing is thrown here.
  void finish() {
    if (block_) send();
    handoff_.close();
    rethrowFailure();
  }
  // Stops the writing where it stands (the log is then put back).
  void abandon() {
    handoff_.stop();
    if (thread_.joinable()) thread_.join();
  }

  const Counts& counts(size_t file) const { return counts_[file]; }

 private:
  static constexpr size_t kBlockBytes = kRecordSize << 13;  // about a megabyte
  static constexpr size_t kBuffers = 4;

  void send() {
    handoff_.send(block_);
    block_ = nullptr;
  }

  void rethrowFailure() {
    if (thread_.joinable()) thread_.join();
    if (failure_) std::rethrow_exception(failure_);
  }

  void run() {
    try {
      indexLog(index_, log_.existingRecords(), inputBytes_);
      while (BlockHandoff::Block* b = handoff_.next()) {
        write(*b);
        handoff_.taken(b);
      }
    } catch (...) {
      failure_ = std::current_exception();
      handoff_.stop();
    }
  }

  // The duplicates are left out in place, the block then written whole. The index
  // looks a few records ahead, so that their slots come from memory together.
  void write(BlockHandoff::Block& block) {
    Counts& counts = counts_[block.tag];
    const auto bytes = reinterpret_cast<uint8_t*>(block.bytes.data());
    const size_t records = block.bytes.size() / kRecordSize;
    constexpr size_t kAhead = 8;
    DuplicateIndex::Lookup ahead[kAhead];
    for (size_t i = 0; i < kAhead && i < records; ++i) index_.look(bytes + i * kRecordSize, ahead[i]);
    size_t kept = 0;
    for (size_t i = 0; i < records; ++i) {
      const bool added = index_.addIfNew(ahead[i % kAhead]);
      if (i + kAhead < records) index_.look(bytes + (i + kAhead) * kRecordSize, ahead[i % kAhead]);
      if (!added) {
        ++counts.duplicates;
        continue;
      }
      ++counts.added;
      std::memcpy(record_.bytes.data(), bytes + i * kRecordSize, kRecordSize);
      fillEntity(entities_, record_);
      std::memcpy(bytes + kept * kRecordSize, record_.bytes.data(), kRecordSize);
      ++kept;
    }
    const std::string_view written(block.bytes.data(), kept * kRecordSize);
    log_.write(written);
    if (tables_) tables_->note(written);
  }

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

struct InputFile {
  size_t number = 0;  // its place among the inputs, from 0
  std::string name;
  InputWindow window;
  bool cabrillo = false;
  std::vector<Rejection> rejected;
  FileSummary summary;
};

class Importer {
 public:
  Importer(const ImportRequest& request, const ImportProgress& progress) : progress_(progress) {
    defaults_.power = request.power;
  }

  void read(InputFile& in, ContactWriter& out) {
    out_ = &out;
    in.summary.name = in.name;
    in.cabrillo = looksLikeCabrillo(leadOf(in));
    if (in.cabrillo) {
      readCabrillo(in);
    } else {
      readAdif(in);
    }
    if (progress_) progress_(in.name, in.summary.records, true);
  }

 private:
  // The start of the file, far enough to tell Cabrillo from ADIF: its first byte
  // that is not blank and the thirteen after it.
  static std::string_view leadOf(InputFile& in) {
    InputWindow& w = in.window;
    while (!w.atEnd()) {
      const size_t first = w.text().find_first_not_of(" \t\r\n");
      if (first != std::string_view::npos && first + 13 <= w.text().size()) break;
      if (!w.more(0)) failedRead(in);
    }
    return w.text();
  }

  static void failedRead(const InputFile& in) {
    if (in.window.error() != 0)
      throw ConversionError(2, "cannot read " + in.name + ": " + std::strerror(in.window.error()));
  }

  void take(InputFile& in, const std::string& reason, long long line, std::string_view text) {
    FileSummary& s = in.summary;
    ++s.records;
    if (!reason.empty()) {
      ++s.rejected;
      in.rejected.push_back({line, std::string(text), reason});
    } else {
      out_->add(in.number, record_);
    }
    if (progress_ && s.records % kProgressEvery == 0) progress_(in.name, s.records, false);
  }

  void readAdif(InputFile& in) {
    InputWindow& w = in.window;
    AdifWindowScanner scanner(w);
    AdifRecord record;
    bool first = true;
    while (scanner.next(record)) {
      if (first) defaults_.qslFieldsAreLotw = isLotwReport(scanner.header());
      first = false;
      const std::string reason = adifContact(record, defaults_, record_);
      const long long line = reason.empty() ? 0 : w.lineAt(record.begin);
      take(in, reason, line, w.text().substr(record.begin, record.end - record.begin));
    }
    failedRead(in);
    defaults_.qslFieldsAreLotw = false;
  }

  void readCabrillo(InputFile& in) {
    if (!in.window.readAll()) failedRead(in);
    const std::string_view text = in.window.text();
    long long number = 0;
    for (size_t start = 0; start < text.size();) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ++number;
      start = end + 1;
      if (!isCabrilloQsoLine(line)) continue;
      const std::string reason = cabrilloContact(line, defaults_, record_);
      take(in, reason, number, line);
    }
  }

  ImportDefaults defaults_;
  const ImportProgress& progress_;
  ContactWriter* out_ = nullptr;
  LogRecord record_;
};

std::vector<InputFile> readInputs(const std::vector<std::string>& names) {
  std::vector<InputFile> inputs;
  for (const std::string& name : names) {
    InputFile in;
    in.number = inputs.size();
    in.name = name;
    int error = 0;
    if (!in.window.open(resolveExisting(name), error))
      throw ConversionError(2, "cannot read " + name + ": " + std::strerror(error));
    inputs.push_back(std::move(in));
  }
  return inputs;
}

void requireReadable(const std::string& path) {
  if (::access(resolveExisting(path).c_str(), R_OK) != 0)
    throw ConversionError(2, "cannot read " + path + ": " + std::strerror(errno));
}

// The station's tables are the logbook's for its whole run; the import takes the
// same lock on their folder, so that the two exclude each other.
TableFolderLocks lockStation(const ImportRequest& request, const Config& c) {
  if (!request.tables) return {};
  TableFolderLocks held = lockTableFolders({c.workedFileName, c.gridFileName});
  if (!held.busy.empty())
    throw ConversionError(
        3, "the station " + request.station + " is in use by a running logbook (or another import); nothing was added");
  return held;
}

void writeRejected(const std::vector<InputFile>& inputs) {
  for (const InputFile& in : inputs)
    if (!in.rejected.empty())
      writeFileAtomically(in.name + ".rejected", rejectedFile(in.name, in.cabrillo, in.rejected));
}

}  // namespace

std::string summaryLine(const FileSummary& s) {
  return s.name + ": " + std::to_string(s.records) + " records, " + std::to_string(s.added) + " added, " +
         std::to_string(s.duplicates) + " duplicates, " + std::to_string(s.rejected) + " rejected";
}

std::vector<FileSummary> importContacts(const ImportRequest& request, Logbook& lb, const ImportProgress& progress) {
  if (request.inputs.empty()) throw ConversionError(2, "no file to import");
  const std::string country = inFolder(request.station, "COUNTRY.DAT");
  lb.config.countryFileName = country;
  lb.config.workedFileName = inFolder(request.station, "WORKED.CFM");
  lb.config.gridFileName = inFolder(request.station, "GRID.SQU");
  requireReadable(country);
  if (request.tables) {
    requireReadable(lb.config.workedFileName);
    requireReadable(lb.config.gridFileName);
  }
  std::vector<InputFile> inputs = readInputs(request.inputs);
  const TableFolderLocks stationLocks = lockStation(request, lb.config);
  LogTarget log(request);
  try {
    *lb.countries = loadCountryTable(resolveExisting(country));
    if (request.tables) *lb.grid = loadGridTable(resolveExisting(lb.config.gridFileName));
  } catch (const RuntimeError& e) {
    log.rollback();
    throw ConversionError(2, errorMessage(e));
  }

  TableUpdate tables;
  Importer importer(request, progress);
  std::vector<FileSummary> summaries;
  std::unique_ptr<ContactWriter> writer;
  try {
    size_t inputBytes = 0;
    for (InputFile& in : inputs) {
      inputBytes += in.window.sizeHint();
      // A log imported into itself is read whole before anything is added to it.
      if (log.isFile(in.window) && !in.window.readAll())
        throw ConversionError(2, "cannot read " + in.name + ": " + std::strerror(in.window.error()));
    }
    writer = std::make_unique<ContactWriter>(log, *lb.countries, request.tables ? &tables : nullptr, inputs.size(),
                                             inputBytes);
    for (InputFile& in : inputs) importer.read(in, *writer);
    writer->finish();
    for (InputFile& in : inputs) {
      in.summary.added = writer->counts(in.number).added;
      in.summary.duplicates = writer->counts(in.number).duplicates;
      summaries.push_back(in.summary);
    }
    writeRejected(inputs);
    log.finish();
    if (request.tables) tables.apply(lb, [&](size_t i, LogRecord& r) { log.readBack(i, r); });
  } catch (const RuntimeError& e) {
    if (writer) writer->abandon();
    const bool back = log.rollback();
    throw ConversionError(3, errorMessage(e) + (back ? "; the log is as it was" : "; the log could not be put back"));
  } catch (...) {
    if (writer) writer->abandon();
    log.rollback();
    throw;
  }
  log.keep();
  return summaries;
}

}  // namespace kivo
