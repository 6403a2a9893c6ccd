#include "logbook/interchange/adif_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kivo {

namespace {

constexpr size_t kMaxLength = 1u << 30;

// The bytes a tag name may hold, as a table: every byte of every name is tested.
constexpr std::array<bool, 256> kNameBytes = [] {
  std::array<bool, 256> bytes{};
  for (int c = 0; c < 256; ++c)
    bytes[static_cast<size_t>(c)] = c > ' ' && c != ':' && c != '<' && c != '>' && c != 0x7F;
  return bytes;
}();
bool isNameByte(unsigned char c) { return kNameBytes[c]; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A value must not end inside a UTF-8 character: a writer that counted characters,
// or cut the text short, would otherwise leave half a letter. The value is widened
// to the end of the character it cuts; a byte that starts no complete sequence
// (Latin-1 text) is left as it is.
size_t endOfCharacter(std::string_view text, size_t start, size_t end) {
  size_t lead = end;
  int back = 0;
  while (lead > start && back < 3 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) --lead, ++back;
  if (lead == start) return end;
  const auto c = static_cast<unsigned char>(text[lead - 1]);
  const size_t need = c >= 0xF0 && c < 0xF8 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  const size_t have = end - (lead - 1);
  if (need <= have) return end;
  size_t wanted = lead - 1 + need;
  for (size_t i = end; i < wanted; ++i)
    if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return end;
  return wanted;
}

// The next "<" from `from`, or the end of the text. The next tag mostly stands a
// byte or two after a value, nearer than a call of memchr pays for.
size_t nextOpen(std::string_view text, size_t from) {
  const size_t near = std::min(text.size(), from + 8);
  for (size_t i = from; i < near; ++i)
    if (text[i] == '<') return i;
  if (near == text.size()) return near;
  const void* lt = std::memchr(text.data() + near, '<', text.size() - near);
  return lt ? static_cast<size_t>(static_cast<const char*>(lt) - text.data()) : text.size();
}

}  // namespace

std::string_view AdifRecord::value(std::string_view upperName) const {
  for (size_t i = fields.size(); i-- > 0;)
    if (sameAdifName(fields[i].name, upperName)) return fields[i].value;
  return {};
}

// Reads the tag at pos_ (a "<"). A "<" that starts no tag of the grammar is text
// outside the values and is passed over.
AdifScanner::Tag AdifScanner::readTag(AdifField& field) {
  const size_t open = pos_;
  size_t p = open + 1;
  while (p < text_.size() && isNameByte(static_cast<unsigned char>(text_[p]))) ++p;
  const std::string_view name = text_.substr(open + 1, p - open - 1);
  pos_ = open + 1;
  if (name.empty() || p >= text_.size()) return Tag::None;
  if (text_[p] == '>') {
    pos_ = p + 1;
    if (sameAdifName(name, "EOR")) return Tag::EndOfRecord;
    if (sameAdifName(name, "EOH")) return Tag::EndOfHeader;
    return Tag::None;  // a tag without a length (LOTW's <APP_LoTW_EOF>) carries nothing
  }
  if (text_[p] != ':') return Tag::None;
  size_t length = 0;
  const size_t digits = ++p;
  while (p < text_.size() && isDigit(text_[p])) {
    length = length < kMaxLength ? length * 10 + static_cast<size_t>(text_[p] - '0') : length;
    ++p;
  }
  if (p == digits || p >= text_.size()) return Tag::None;
  if (text_[p] == ':') {  // the type indicator, which the reader does not need
    ++p;
    while (p < text_.size() && isNameByte(static_cast<unsigned char>(text_[p]))) ++p;
  }
  if (p >= text_.size() || text_[p] != '>') return Tag::None;
  const size_t start = p + 1;
  size_t end = length > text_.size() - start ? text_.size() : start + length;
  // Only a value that ends in a byte outside ASCII can end inside a character.
  if (end > start && static_cast<unsigned char>(text_[end - 1]) >= 0x80) end = endOfCharacter(text_, start, end);
  field = {name, text_.substr(start, end - start)};
  pos_ = end;
  return Tag::Field;
}

bool AdifScanner::next(AdifRecord& record) {
  record.fields.clear();
  record.closed = false;
  while (pos_ < text_.size()) {
    const size_t at = nextOpen(text_, pos_);
    if (at == text_.size()) break;
    pos_ = at;
    AdifField field;
    switch (readTag(field)) {
      case Tag::None: break;
      case Tag::Field:
        if (record.fields.empty()) record.begin = at;
        record.fields.push_back(field);
        record.end = pos_;
        break;
      case Tag::EndOfHeader:
        // Only a header before every record counts; a stray <EOH> later is text.
        if (!recordSeen_) {
          header_ = std::move(record.fields);
          record.fields.clear();
        }
        break;
      case Tag::EndOfRecord:
        if (record.fields.empty()) break;  // an <EOR> after nothing adds nothing
        recordSeen_ = true;
        record.end = pos_;
        record.closed = true;
        return true;
    }
  }
  pos_ = text_.size();
  // Fields after the last <EOR> are a record cut short only when they name a station;
  // otherwise they are what a header without <EOH> left (LOTW's empty reply).
  if (record.value("CALL").empty()) return false;
  recordSeen_ = true;
  return true;
}

}  // namespace kivo
