#include "logbook/interchange/log_import.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "common/fatal.h"
#include "common/files.h"
#include "logbook/entities/country_table.h"
#include "logbook/entities/grid_table.h"
#include "logbook/interchange/adif_reader.h"
#include "logbook/interchange/cabrillo_tokens.h"
#include "logbook/interchange/contact_import.h"
#include "logbook/interchange/contact_writer.h"
#include "logbook/interchange/input_window.h"
#include "logbook/interchange/log_target.h"
#include "logbook/interchange/table_update.h"

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
