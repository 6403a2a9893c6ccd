#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <random>

#include "common/fatal.h"
#include "common/text.h"
#include "menu_support.h"
#include "tests/support/file_bytes.h"

namespace kivo {
using testing::callsOf;
using testing::dated;
using testing::menu;
using testing::readFile;
using testing::recordBytes;
using testing::Station;
using testing::writeFile;

namespace {

std::string logFrom(std::initializer_list<LogRecord> records) {
  std::string bytes;
  for (const LogRecord& r : records) bytes += recordBytes(r);
  return bytes;
}

// The sort as it was first written: select the smallest key of the records not yet
// written, the later record winning a tie, once per output record.
std::string plainSort(const std::string& log) {
  const size_t n = log.size() / 144;
  auto key = [&](size_t i) {
    const LogRecord r = testing::recordAt(log, static_cast<long long>(i + 1));
    const std::string date = r.get(Field::DATE);
    double y = parseNumber("19" + date.substr(7, 2));
    if (y < 1945) y = parseNumber("20" + date.substr(7, 2));
    int m = 0;  // an unknown month ranks before January
    const char* months = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
    for (int k = 0; k < 12; ++k)
      if (date.compare(3, 3, months + 3 * k, 3) == 0) m = k + 1;
    return (y - 1940) * 450 + (m - 1) * 31 + parseNumber(date.substr(0, 2)) + parseNumber(r.get(Field::TIME)) / 2400;
  };
  std::vector<bool> written(n);
  std::string out;
  for (size_t pos = 0; pos < n; ++pos) {
    double min = 100000;
    size_t chosen = n;
    for (size_t i = 0; i < n; ++i)
      if (!written[i] && key(i) <= min) min = key(i), chosen = i;
    written[chosen] = true;
    out += log.substr(chosen * 144, 144);
  }
  return out;
}

std::string sorted(const std::string& log) {
  Station s(log);
  menu(s, "11", "SORTED.DAT");
  s.run();
  EXPECT_EQ(s.lb.logFileName, "SORTED.DAT");
  return readFile("SORTED.DAT");
}

}  // namespace

TEST(SortLog, EdgeCases) {
  struct Case {
    std::string log;
    std::string calls;
  };
  const Case cases[] = {
      {"", ""},
      {logFrom({dated("A", "01 JAN 26", "1200")}), "A"},
      // Equal keys: the later record first.
      {logFrom({dated("A", "01 JAN 26", "1200"), dated("B", "01 JAN 26", "1200"), dated("C", "01 JAN 26", "1200")}),
       "C B A"},
      {logFrom({dated("A", "01 JAN 44", "0000"), dated("B", "01 JAN 45", "0000")}), "B A"},  // 1945 before 2044
      {logFrom({dated("A", "02 JAN 26", "0001"), dated("B", "01 JAN 26", "2359"), dated("C", "01 JAN 26", "2358")}),
       "C B A"},
      // A month none of JAN-DEC ranks before January of its year.
      {logFrom({dated("A", "01 JAN 26", "0000"), dated("B", "31 XYZ 26", "2359"), dated("C", "31 DEC 25", "2359")}),
       "C B A"},
  };
  for (const Case& c : cases) EXPECT_EQ(callsOf(sorted(c.log)), c.calls);
}

TEST(SortLog, SameOrderAsTheRepeatedSelectionOnRandomLogs) {
  std::mt19937 rng(20261208);
  const char* months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC", "???"};
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int round = 0; round < 20; ++round) {
    std::string log;
    const int n = 1 + pick(60);
    for (int i = 0; i < n; ++i) {
      // Few distinct values, so that equal keys are common; years on both sides of
      // 1945; now and then a field that is not plain digits.
      const char* days[] = {"01", "02", " 3", "4."};
      const char* years[] = {"44", "45", "99", "00", "29", "  "};
      const char* times[] = {"0000", "1159", "2318", "12.5", " 930", ""};
      const std::string date = std::string(days[pick(4)]) + " " + months[pick(13)] + " " + years[pick(6)];
      log += recordBytes(dated("Q" + std::to_string(i), date, times[pick(6)]));
    }
    ASSERT_EQ(sorted(log), plainSort(log)) << round;
  }
}

TEST(MergeLogs, EdgeCases) {
  const std::string first = logFrom({dated("A1", "01 JAN 99", "1200"), dated("A2", "15 MAR 29", "0000")});
  const std::string second = logFrom({dated("B1", "01 JAN 99", "1200"), dated("B2", "15 MAR 99", "0000"),
                                      dated("B3", "01 APR 99", "0000"), dated("B4", "02 APR 99", "0000")});
  struct Case {
    std::string a, b, calls;
  };
  const Case cases[] = {
      // Equal keys: the second file first; 15 MAR 29 is 2029, after all of 1999.
      {first, second, "B1 A1 B2 B3 B4 A2"},
      {second, first, "A1 B1 B2 B3 B4 A2"},
      {first, "", "A1 A2"},
      {"", second, "B1 B2 B3 B4"},
      // Out of order inputs are merged record by record all the same.
      {logFrom({dated("Z", "01 JAN 27", "0000"), dated("Y", "01 JAN 26", "0000")}),
       logFrom({dated("X", "01 JUN 26", "0000")}), "X Z Y"},
  };
  for (const Case& c : cases) {
    Station s;
    writeFile("ONE.DAT", c.a);
    writeFile("TWO.DAT", c.b);
    menu(s, "5", "MERGED.DAT", "one.dat", "two.dat");
    s.run();
    const std::string merged = readFile("MERGED.DAT");
    EXPECT_EQ(callsOf(merged), c.calls);
    EXPECT_EQ(merged.size(), c.a.size() + c.b.size());
    EXPECT_EQ(s.lb.logFileName, "MERGED.DAT");
  }
}

TEST(MergeLogs, AMissingInputIsCreatedEmpty) {
  Station s;
  writeFile("ONE.DAT", logFrom({dated("A", "01 JAN 26", "0000")}));
  menu(s, "5", "MERGED.DAT", "ONE.DAT", "NONE.DAT");
  s.run();
  EXPECT_EQ(callsOf(readFile("MERGED.DAT")), "A");
  EXPECT_TRUE(testing::exists("NONE.DAT"));
  EXPECT_EQ(readFile("NONE.DAT"), "");
}

}  // namespace kivo

namespace kivo {

// A conversion whose output cannot be written whole (here a file-size limit stands
// in for a full disk) ends in the runtime error; the file of that name stays as it
// was and no temporary file is left behind.
TEST(ConversionOutput, AFailedWriteEndsInTheRuntimeErrorAndReplacesNothing) {
  Station s(testing::logOf(200));
  writeFile("SORTED.DAT", "OLD");
  menu(s, "11", "SORTED.DAT");
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{16384, 16384};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      s.run();
    } catch (const RuntimeError& e) {
      ::_exit(e.number());
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kFileIoError);
  EXPECT_EQ(readFile("SORTED.DAT"), "OLD");
  for (const auto& entry : std::filesystem::directory_iterator("."))
    EXPECT_EQ(entry.path().filename().string().find(".kivo-"), std::string::npos) << entry.path();
}

}  // namespace kivo
