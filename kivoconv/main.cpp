// kivoconv: contacts in and out of a KIVOLOG log, for the files of other programs.
#include <getopt.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "common/console.h"
#include "common/fatal.h"
#include "common/version.h"
#include "kivoconv/headless_terminal.h"
#include "kivoconv/usage.h"
#include "logbook/interchange/log_export.h"
#include "logbook/interchange/log_import.h"
#include "logbook/logbook.h"

namespace kivo {
namespace {

constexpr int kDone = 0, kRejected = 1, kBadUsage = 2, kWriteFailed = 3;
enum LongOnly { kNoTables = 256, kFrom, kTo, kSince, kVersion };

struct Usage : std::runtime_error {
  using std::runtime_error::runtime_error;
};

long long recordNumber(const char* text, const char* option) {
  char* end = nullptr;
  const long long n = std::strtoll(text, &end, 10);
  if (!*text || *end || n < 1) throw Usage(std::string(option) + " wants a record number from 1: " + text);
  return n;
}

// A progress line on the terminal for large files, at most ten times a second.
class Progress {
 public:
  Progress() : shown_(::isatty(STDERR_FILENO) == 1) {}
  void operator()(const std::string& file, long long records, bool done) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (done) {
      if (drawn_) std::fputs("\r\033[K", stderr);
      drawn_ = false;
      return;
    }
    if (drawn_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    drawn_ = true;
    std::fprintf(stderr, "\r%s: %lld records", file.c_str(), records);
  }

 private:
  bool shown_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point last_;
};

int runImport(int argc, char** argv) {
  ImportRequest request;
  static const option kOptions[] = {{"log", required_argument, nullptr, 'l'},
                                    {"new", required_argument, nullptr, 'n'},
                                    {"station", required_argument, nullptr, 'd'},
                                    {"power", required_argument, nullptr, 'w'},
                                    {"no-tables", no_argument, nullptr, kNoTables},
                                    {"help", no_argument, nullptr, 'h'},
                                    {nullptr, 0, nullptr, 0}};
  for (int c; (c = getopt_long(argc, argv, "l:n:d:w:h", kOptions, nullptr)) != -1;) {
    switch (c) {
      case 'l': request.log = optarg; break;
      case 'n': request.newLog = optarg; break;
      case 'd': request.station = optarg; break;
      case 'w': request.power = optarg; break;
      case kNoTables: request.tables = false; break;
      case 'h': std::fputs(kKivoconvUsage, stdout); return kDone;
      default: throw Usage("");
    }
  }
  for (int i = optind; i < argc; ++i) request.inputs.emplace_back(argv[i]);
  if (request.inputs.empty()) throw Usage("import wants at least one FILE");
  HeadlessTerminal terminal;
  Console console(terminal);
  Logbook lb(console);
  Progress progress;
  const auto summaries = importContacts(request, lb, std::ref(progress));
  bool rejected = false;
  for (const FileSummary& s : summaries) {
    std::printf("%s\n", summaryLine(s).c_str());
    rejected = rejected || s.rejected > 0;
  }
  if (std::fflush(stdout) != 0) return kWriteFailed;
  return rejected ? kRejected : kDone;
}

std::string timestampNow() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  ::gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d %H%M%S", &tm);
  return text;
}

int runExport(int argc, char** argv) {
  ExportRequest request;
  static const option kOptions[] = {
      {"log", required_argument, nullptr, 'l'},     {"output", required_argument, nullptr, 'o'},
      {"station", required_argument, nullptr, 'd'}, {"from", required_argument, nullptr, kFrom},
      {"to", required_argument, nullptr, kTo},      {"since", required_argument, nullptr, kSince},
      {"help", no_argument, nullptr, 'h'},          {nullptr, 0, nullptr, 0}};
  for (int c; (c = getopt_long(argc, argv, "l:o:d:h", kOptions, nullptr)) != -1;) {
    switch (c) {
      case 'l': request.log = optarg; break;
      case 'o': request.output = optarg; break;
      case 'd': request.station = optarg; break;
      case kFrom: request.from = recordNumber(optarg, "--from"); break;
      case kTo: request.to = recordNumber(optarg, "--to"); break;
      case kSince:
        request.since = optarg;
        if (request.since.size() != 8 || request.since.find_first_not_of("0123456789") != std::string::npos)
          throw Usage("--since wants a date YYYYMMDD: " + request.since);
        break;
      case 'h': std::fputs(kKivoconvUsage, stdout); return kDone;
      default: throw Usage("");
    }
  }
  if (optind < argc) throw Usage(std::string("export takes no file names: ") + argv[optind]);
  request.timestamp = timestampNow();
  exportLog(request);
  return kDone;
}

int run(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "--help" || command == "-h") {
    std::fputs(kKivoconvUsage, stdout);
    return kDone;
  }
  if (command == "--version") {
    std::printf("kivoconv %s\n", kProgramVersion);
    return kDone;
  }
  // The options follow the command: getopt_long starts after it, and names the
  // program in its messages.
  static char name[] = "kivoconv";
  std::vector<char*> args{name};
  args.insert(args.end(), argv + 2, argv + argc);
  args.push_back(nullptr);
  const int count = static_cast<int>(args.size()) - 1;
  if (command == "import") return runImport(count, args.data());
  if (command == "export") return runExport(count, args.data());
  throw Usage(command.empty() ? "a command is wanted: import or export" : "unknown command " + command);
}

}  // namespace
}  // namespace kivo

int main(int argc, char** argv) {
  using namespace kivo;
  // A write past the file-size limit, or to a closed pipe, then fails as a write and
  // is reported, instead of ending the program without a word.
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
  try {
    return run(argc, argv);
  } catch (const Usage& e) {
    if (*e.what()) std::fprintf(stderr, "kivoconv: %s\n", e.what());
    std::fputs("Try 'kivoconv --help'.\n", stderr);
    return kBadUsage;
  } catch (const ConversionError& e) {
    std::fprintf(stderr, "kivoconv: %s\n", e.what());
    return e.status();
  } catch (const RuntimeError& e) {
    std::fprintf(stderr, "kivoconv: %s\n", errorMessage(e).c_str());
    return kWriteFailed;
  } catch (const std::bad_alloc&) {
    std::fputs("kivoconv: out of memory; the log is as it was\n", stderr);
    return kWriteFailed;
  }
}
