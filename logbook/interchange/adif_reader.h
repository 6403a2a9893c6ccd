#pragma once
// The ADIF tag grammar, as other programs really write it: <NAME:LENGTH> or
// <NAME:LENGTH:TYPE> in any case, anywhere on any line; the value is the LENGTH bytes
// after the tag, line ends included; text between values is ignored; <EOR> ends a
// record wherever it stands, and what stands before a first <EOH> is the header.
#include <cstddef>
#include <string_view>
#include <vector>

namespace kivo {

struct AdifField {
  std::string_view name;  // as written, in any case
  std::string_view value;
};

struct AdifRecord {
  std::vector<AdifField> fields;
  size_t begin = 0;     // offset of its first tag in the text
  size_t end = 0;       // just past its <EOR> (or its last value at the end of the text)
  bool closed = false;  // ended by its <EOR>, not by the end of the text

  // The value of the last field of that name (given in upper case); empty when the
  // record has none.
  std::string_view value(std::string_view upperName) const;
};

// True when the two names are equal, letters compared without case. Inline: every
// tag of a file is compared.
inline bool sameAdifName(std::string_view name, std::string_view upperName) {
  if (name.size() != upperName.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upperName[i]) return false;
  }
  return true;
}

class AdifScanner {
 public:
  explicit AdifScanner(std::string_view text) : text_(text) {}

  // The next record; false at the end of the text. Fields after the last <EOR> that
  // hold a CALL make a last record of their own (a file cut short keeps what it holds).
  bool next(AdifRecord& record);
  // The header's fields, known once the first record was read.
  const std::vector<AdifField>& header() const { return header_; }
  size_t position() const { return pos_; }
  // Where the scanner stands between two records: its place and whether it has met
  // a record (after which an <EOH> is text).
  struct Mark {
    size_t position = 0;
    bool recordSeen = false;
  };
  Mark mark() const { return {pos_, recordSeen_}; }
  // Goes on from `mark` over `text`, which holds the bytes of the text before from
  // the mark on (and perhaps more after them), the mark's position now counted in
  // `text`: for a file read a window at a time. A record that ends in its <EOR>
  // inside a text is the record the whole file gives there, as every step that could
  // read past the end of a text ends the record without an <EOR>. The header's names
  // and values still point into the text they were read from.
  void moveTo(std::string_view text, const Mark& mark) {
    text_ = text;
    pos_ = mark.position;
    recordSeen_ = mark.recordSeen;
  }

 private:
  enum class Tag { None, Field, EndOfRecord, EndOfHeader };
  Tag readTag(AdifField& field);

  std::string_view text_;
  size_t pos_ = 0;
  bool recordSeen_ = false;
  std::vector<AdifField> header_;
};

}  // namespace kivo
