#include "logbook/interchange/adif_import.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/text.h"
#include "common/worked.h"
#include "logbook/interchange/import_common.h"
#include "logbook/interchange/read_ahead_lines.h"

namespace kivo {

namespace {

constexpr const char* kQuestion = "What is the name of the ADIF file? ";
constexpr std::string_view kEndOfHeader = "<EOH>";
constexpr std::string_view kEndOfRecord = "<EOR>";

// The tags the reader knows, in the order they are taken: a later one overwrites
// what an earlier one set, so a FREQ beats the BAND default.
enum Tag {
  kDateTyped,
  kDate,
  kBand,
  kFreq9,
  kFreq7,
  kFreq6,
  kFreq5,
  kFreq4,
  kFreq3,
  kFreq2,
  kFreq1,
  kFreq8,
  kFreq10,
  kMode,
  kTimeOn,
  kTimeOff,
  kCall,
  kPower,
  kRstSent,
  kRstReceived,
  kQslSent,
  kQslReceived,
  kComment,
  kTagCount
};
constexpr std::string_view kTags[kTagCount] = {
    "<QSO_DATE:8:D>", "<QSO_DATE:8>", "<BAND:",     "<FREQ:9>",   "<FREQ:7>",   "<FREQ:6>",   "<FREQ:5>",  "<FREQ:4>",
    "<FREQ:3>",       "<FREQ:2>",     "<FREQ:1>",   "<FREQ:8>",   "<FREQ:10>",  "<MODE:",     "<TIME_ON:", "<TIME_OFF:",
    "<CALL:",         "<TX_PWR:",     "<RST_SENT:", "<RST_RCVD:", "<QSL_SENT:", "<QSL_RCVD:", "<COMMENT:"};

// For each byte that may follow a "<", the tags that have it there.
struct TagsByLetter {
  uint8_t count = 0;
  uint8_t tags[kTagCount] = {};
};
constexpr std::array<TagsByLetter, 256> kTagsByLetter = [] {
  std::array<TagsByLetter, 256> table{};
  for (uint8_t t = 0; t < kTagCount; ++t) {
    TagsByLetter& entry = table[static_cast<uint8_t>(kTags[t][1])];
    entry.tags[entry.count++] = t;
  }
  return table;
}();

// The tag at the start of `text`; the byte before the tag's last is tried first, as
// it tells apart the tags that share a beginning (the lengths of "<FREQ:").
bool startsWithTag(std::string_view text, std::string_view tag) {
  return text.size() >= tag.size() && text[tag.size() - 2] == tag[tag.size() - 2] && text.starts_with(tag);
}

struct Pair {
  std::string_view key, value;
};
constexpr Pair kBands[] = {{"16", "1.800"},  {"80", "3.500"},  {"60", "5.400"},  {"40", "7.000"},
                           {"30", "10.100"}, {"20", "14.000"}, {"17", "18.070"}, {"15", "21.000"},
                           {"12", "24.900"}, {"10", "28.000"}, {"70", "435.000"}};
constexpr Pair kModes[] = {{"CW", "CW  "}, {"SS", "SSB "}, {"US", "SSB "}, {"LS", "SSB "},
                           {"FM", "FM  "}, {"RT", "RTTY"}, {"FS", "RTTY"}, {"AM", "AM  "}};

template <size_t N>
std::string_view lookup(const Pair (&table)[N], std::string_view key, std::string_view otherwise) {
  for (const Pair& p : table)
    if (p.key == key) return p.value;
  return otherwise;
}

// A length written as text: its leading number, whole and not negative.
size_t lengthOf(std::string_view text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') return static_cast<size_t>(text[0] - '0');  // most are
  const double n = parseNumber(text);
  return n < 1 ? 0 : static_cast<size_t>(std::min(n, 9999.0));
}

// "N" is no, "Y" a paper card; any other mark is kept. A tag cut off by the line
// end marks nothing.
char qslCode(std::string_view value) {
  if (value.empty() || value[0] == 'N') return kMarkNone;
  return value[0] == 'Y' ? kMarkCard : value[0];
}

class AdifReader {
 public:
  AdifReader(Logbook& lb, OutputFile& out) : out_(out), power_(lb.config.defaultPower) { startRecord(); }

  // A whole upper-cased line. Each "<EOR>" ends a piece, so a line that holds
  // several records gives every one of them, as if each stood on its own line.
  void readLine(std::string_view line);

 private:
  void startRecord();
  void writeRecord();
  void endPiece(std::string_view piece);
  void take(Tag tag, std::string_view piece, size_t at);
  void takeFrequency(Tag tag, std::string_view piece, size_t at);
  void takeCall(std::string_view piece, size_t at);
  void takeComment(std::string_view piece, size_t at);

  OutputFile& out_;
  std::string power_;
  LogRecord work_;  // fields a record does not set keep the previous record's
  char qslSent_ = ' ';
  char qslReceived_ = ' ';
  uint32_t found_ = 0;         // a bit for each tag found in the piece so far
  size_t foundAt_[kTagCount];  // where in the piece each of them is first
};

// The record defaults. The reports start at "599" once per record, so a record
// written one field per line keeps the report read on an earlier line.
void AdifReader::startRecord() {
  qslSent_ = qslReceived_ = ' ';
  work_.set(Field::COUNTRY, "");
  work_.set(Field::COMMENTS, "");
  work_.set(Field::TOFF, "");
  work_.setZeroPadded(Field::PWR, power_);
  work_.setZeroPadded(Field::SN, "599");
  work_.setZeroPadded(Field::RD, "599");
}

void AdifReader::writeRecord() {
  const char sr[2] = {qslSent_, qslReceived_};
  work_.setZeroPadded(Field::SR, std::string_view(sr, 2));
  work_.setSeparators();
  out_.writeRecord(work_);
  startRecord();
}

// Every tag begins with "<": one walk over the "<" of the line finds the end of each
// piece (its "<EOR>") and the first place of each tag in it, as a search for each
// tag in turn would. Only the tags that start with the letter after a "<" are tried
// there; a tag cannot reach past the "<EOR>" that ends its piece, as no tag holds a
// second "<".
void AdifReader::readLine(std::string_view line) {
  size_t from = 0;
  for (size_t at = line.find('<'); at != std::string_view::npos; at = line.find('<', at + 1)) {
    const std::string_view rest = line.substr(at);
    if (rest.starts_with(kEndOfRecord)) {
      endPiece(line.substr(from, at + kEndOfRecord.size() - from));
      from = at + kEndOfRecord.size();
      continue;
    }
    const TagsByLetter& candidates = kTagsByLetter[rest.size() > 1 ? static_cast<uint8_t>(rest[1]) : 0];
    for (uint8_t k = 0; k < candidates.count; ++k) {
      const uint8_t t = candidates.tags[k];
      const uint32_t bit = uint32_t{1} << t;
      if ((found_ & bit) == 0 && startsWithTag(rest, kTags[t])) {
        found_ |= bit;
        foundAt_[t] = at - from;
      }
    }
  }
  if (from < line.size()) endPiece(line.substr(from));
}

// The tags found in the piece are taken in tag order; a piece that ends with its
// "<EOR>" ends the record.
void AdifReader::endPiece(std::string_view piece) {
  for (uint32_t left = found_; left != 0; left &= left - 1) {
    const int t = std::countr_zero(left);
    take(static_cast<Tag>(t), piece, foundAt_[t]);
  }
  found_ = 0;
  if (piece.ends_with(kEndOfRecord)) writeRecord();
}

// `at` is the index of the tag's "<"; every value stands at a fixed distance from it.
void AdifReader::take(Tag tag, std::string_view piece, size_t at) {
  auto from = [&](size_t offset, size_t n) { return slice(piece, at + offset, n); };
  switch (tag) {
    case kDateTyped:
    case kDate: {
      const size_t year = tag == kDateTyped ? 16 : 14;
      work_.setZeroPadded(Field::DATE, importedDate(from(year + 4, 2), from(year + 2, 2), from(year, 2)));
      break;
    }
    case kBand: work_.setZeroPadded(Field::FREQ, lookup(kBands, from(8, 2), "0.000")); break;
    case kMode: work_.set(Field::MODE, lookup(kModes, from(8, 2), "RTTY")); break;
    case kTimeOn: work_.setZeroPadded(Field::TIME, from(11, 4)); break;
    case kTimeOff: work_.setZeroPadded(Field::TOFF, from(12, 4)); break;
    case kCall: takeCall(piece, at); break;
    case kPower: work_.setZeroPadded(Field::PWR, from(10, lengthOf(from(8, 1)))); break;
    case kRstSent: work_.setZeroPadded(Field::SN, from(12, lengthOf(from(10, 1)))); break;
    case kRstReceived: work_.setZeroPadded(Field::RD, from(12, lengthOf(from(10, 1)))); break;
    case kQslSent: qslSent_ = qslCode(from(12, 1)); break;
    case kQslReceived: qslReceived_ = qslCode(from(12, 1)); break;
    case kComment: takeComment(piece, at); break;
    default: takeFrequency(tag, piece, at); break;
  }
}

void AdifReader::takeFrequency(Tag tag, std::string_view piece, size_t at) {
  if (tag == kFreq8) {
    work_.setZeroPadded(Field::FREQ, "0" + std::string(slice(piece, at + 8, 7)));
  } else if (tag == kFreq10) {
    work_.setZeroPadded(Field::FREQ, slice(piece, at + 9, 8));
  } else {
    // "<FREQ:9>" takes 8 characters (the field's width), the shorter ones their length.
    work_.setZeroPadded(Field::FREQ, slice(piece, at + 8, static_cast<size_t>(8 - (tag - kFreq9))));
  }
}

// One length digit, or two when the first is "1" (calls of 10 to 19 characters).
void AdifReader::takeCall(std::string_view piece, size_t at) {
  const bool twoDigits = slice(piece, at + 6, 1) == "1";
  const size_t n = lengthOf(slice(piece, at + 6, twoDigits ? 2 : 1));
  work_.setZeroPadded(Field::STATION, slice(piece, at + (twoDigits ? 9 : 8), n));
}

// The length is the number between ":" and ">", at most the field's 38.
void AdifReader::takeComment(std::string_view piece, size_t at) {
  const size_t close = piece.find('>', at + 9);
  if (close == std::string_view::npos) {
    work_.setZeroPadded(Field::COMMENTS, "");
    return;
  }
  const size_t n = std::min<size_t>(lengthOf(piece.substr(at + 9, close - at - 9)), 38);
  work_.setZeroPadded(Field::COMMENTS, slice(piece, close + 1, n));
}

// The progress lines pass far faster than any terminal draws them, and only the
// last screenful of them can ever be seen. So each run of lines is printed as its
// last screenful: the screen shows the same rows, in the same colours, as if every
// line had been printed, without scrolling it a million times.
class ProgressLines {
 public:
  explicit ProgressLines(Console& con) : con_(con), recent_(static_cast<size_t>(con.screen().rows())) {}

  void add(std::string_view text) {
    recent_[pending_++ % recent_.size()].assign(text);  // into the slot's room: no allocation
    if (pending_ == kRun) flush();
  }
  void flush() {
    const size_t shown = std::min(pending_, recent_.size());
    for (size_t k = pending_ - shown; k < pending_; ++k) con_.printLine(recent_[k % recent_.size()]);
    pending_ = 0;
  }

 private:
  static constexpr size_t kRun = 256;  // a few screenfuls: the display still moves at every step
  Console& con_;
  std::vector<std::string> recent_;
  size_t pending_ = 0;
};

// adifLineByte of every byte, for the bytes after the last whole eight of a line.
constexpr std::array<char, 256> kLineBytes = [] {
  std::array<char, 256> table{};
  for (size_t c = 0; c < table.size(); ++c) table[c] = adifLineByte(static_cast<char>(c));
  return table;
}();

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighBits = kOnes * 0x80;
constexpr uint64_t kLowBits = kOnes * 0x7F;

// The high bit of each byte of `w` that is zero, and nothing else.
constexpr uint64_t zeroBytes(uint64_t w) { return ~(((w & kLowBits) + kLowBits) | w | kLowBits); }

// adifLineByte of the eight bytes of a word at once. No byte carries into the next:
// the sums stay below 256 within each byte, and a letter loses its 0x20 without a
// borrow.
constexpr uint64_t lineWord(uint64_t w) {
  const uint64_t low = w & kLowBits;
  const uint64_t fromA = low + kOnes * (0x80 - 'a');      // high bit: 'a' or above
  const uint64_t pastZ = low + kOnes * (0x80 - 'z' - 1);  // high bit: past 'z'
  const uint64_t lower = fromA & ~pastZ & ~w & kHighBits;
  const uint64_t blank = zeroBytes(w) | zeroBytes(w ^ (kOnes * '\r')) | zeroBytes(~w);
  const uint64_t blanks = (blank >> 7) * 0xFF;
  return ((w - (lower >> 2)) & ~blanks) | (kOnes * ' ' & blanks);
}

// Checked against adifLineByte when the program is built: every byte in every place
// of a word, each time beside other bytes (a byte of the word never changes another).
constexpr bool lineWordAgrees() {
  const auto byte = [](unsigned c) { return uint64_t{static_cast<uint8_t>(adifLineByte(static_cast<char>(c)))}; };
  for (unsigned c = 0; c < 256; ++c) {
    uint64_t word = 0, want = 0;
    for (unsigned k = 0; k < 8; ++k) {
      const unsigned b = (c + 97 * k) & 0xFF;
      word |= uint64_t{b} << (8 * k);
      want |= byte(b) << (8 * k);
    }
    if (lineWord(word) != want || lineWord(kOnes * c) != kOnes * byte(c)) return false;
  }
  return true;
}
static_assert(lineWordAgrees());

// The line as the tags are looked for (see adifLineByte), eight bytes a step.
void prepare(std::string& line) {
  char* const text = line.data();
  const size_t size = line.size();
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t w;
    std::memcpy(&w, text + i, sizeof w);
    w = lineWord(w);
    std::memcpy(text + i, &w, sizeof w);
  }
  for (; i < size; ++i) text[i] = kLineBytes[static_cast<uint8_t>(text[i])];
}

// "line " and the count of the progress line, counted up in its digits: no number
// is formatted for every line.
class LineCaption {
 public:
  std::string_view next() {
    size_t k = text_.size();
    while (k > 5 && text_[k - 1] == '9') text_[--k] = '0';
    if (k == 5) {
      text_.insert(text_.begin() + 5, '1');
    } else {
      ++text_[k - 1];
    }
    return text_;
  }

 private:
  std::string text_ = "line 0";
};

void readRecords(ReadAheadLines& lines, AdifReader& reader, ProgressLines& progress) {
  LineCaption caption;
  std::string_view line;
  while (lines.next(line)) {
    progress.add(caption.next());
    reader.readLine(line);
  }
}

}  // namespace

void adifImport(Logbook& lb, OutputFile& out) {
  Console& con = lb.console;
  TextReader in;
  const std::string name = askImportFile(lb, kQuestion, in);
  con.printLineIn(palette::kBlinking, "Converting");
  AdifReader reader(lb, out);
  ProgressLines progress(con);
  std::string_view line;
  bool headerEnded = false;
  {
    ReadAheadLines lines(in, prepare);
    while (!headerEnded && lines.next(line)) {
      progress.add("Converting ");
      headerEnded = line.starts_with(kEndOfHeader);
      // Records that follow the header's end on its own line are records all the same.
      if (headerEnded && line.size() > kEndOfHeader.size()) reader.readLine(line.substr(5));
    }
    if (headerEnded) {
      readRecords(lines, reader, progress);
    } else {
      in.close();
      in.open(name);  // no header: every line is read as records, from the first
    }
  }
  if (!headerEnded) {
    ReadAheadLines lines(in, prepare);
    readRecords(lines, reader, progress);
  }
  progress.flush();
}

}  // namespace kivo
