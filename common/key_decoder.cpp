#include "common/key_decoder.h"

#include <algorithm>
#include <optional>

#include "common/cp437.h"
#include "common/key_tables.h"

namespace kivo {

namespace {

constexpr unsigned char kEscByte = 0x1B;
// A parameter list longer than this is not from a terminal we know: dropped.
constexpr size_t kMaxSequence = 32;

bool isLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Numbers of a parameter list "n;n;n" (empty ones are 0), capped so nothing overflows.
int parseParams(std::string_view params, int* out, int max) {
  int count = 0;
  int value = 0;
  for (char ch : params) {
    if (ch == ';') {
      if (count < max) out[count] = value;
      ++count;
      value = 0;
    } else if (isDigit(static_cast<unsigned char>(ch))) {
      value = std::min(value * 10 + (ch - '0'), 99999);
    }
  }
  if (count < max) out[count] = value;
  return count + 1;
}

}  // namespace

HighBytes highBytesForCodeset(std::string_view codeset) {
  if (codeset == "UTF-8") return HighBytes::kUtf8;
  // The C and POSIX locales: glibc calls their character set ANSI_X3.4-1968.
  if (codeset.empty() || codeset == "ANSI_X3.4-1968" || codeset == "ASCII" || codeset == "US-ASCII")
    return HighBytes::kUtf8OrLatin1;
  return HighBytes::kMeta;
}

void KeyDecoder::feed(std::string_view bytes, int64_t nowMs) {
  // What waited before these bytes came is settled by the old time first: an Esc
  // typed long ago must not join a letter typed now.
  settle(nowMs);
  if (bytes.empty()) return;
  buffer_.append(bytes);
  lastFeedMs_ = nowMs;
  settle(nowMs);
}

std::string KeyDecoder::nextKey(int64_t nowMs) {
  settle(nowMs);
  if (keys_.empty()) return {};
  std::string k = std::move(keys_.front());
  keys_.pop_front();
  return k;
}

MouseState KeyDecoder::takeMouse() {
  if (pressUnseen_) {
    pressUnseen_ = false;
    if (!mouse_.left) return pressedAt_;
  }
  return mouse_;
}

void KeyDecoder::settle(int64_t nowMs) {
  size_t pos = 0;
  while (pos < buffer_.size()) {
    std::string_view in(buffer_);
    in.remove_prefix(pos);
    Step step = scan(in, false);
    if (step.kind == Kind::Incomplete) {
      if (nowMs - lastFeedMs_ < step.waitMs) break;
      step = scan(in, true);
    }
    pos += std::max<size_t>(step.length, 1);
    apply(step);
  }
  // What is left is at most the beginning of one sequence.
  buffer_.erase(0, pos);
}

void KeyDecoder::apply(const Step& step) {
  if (step.kind == Kind::Key && !step.key.empty() && keys_.size() < kMaxQueuedKeys) keys_.push_back(step.key);
  if (step.kind == Kind::Mouse) applyMouse(step.button, step.column, step.row, step.release);
}

void KeyDecoder::applyMouse(int button, int column, int row, bool release) {
  mouse_.row = std::max(row, 0);
  mouse_.column = std::max(column, 0);
  int b = button & ~(4 | 8 | 16);  // Shift, Meta, Ctrl
  if (b & (64 | 128)) return;      // wheel and extra buttons move only the pointer
  if (b & 32) {                    // motion: the button state comes with it
    if ((b & 3) == 0) mouse_.left = true;
    if ((b & 3) == 3) mouse_.left = false;
    return;
  }
  if ((b & 3) != 0) return;  // middle and right buttons
  if (release) {
    mouse_.left = false;
    return;
  }
  mouse_.left = true;
  pressUnseen_ = true;
  pressedAt_ = mouse_;
}

// One key, mouse report or piece of garbage from the start of `in`. With `final` no
// more bytes are coming, so the answer is never Incomplete.
KeyDecoder::Step KeyDecoder::scan(std::string_view in, bool final) const {
  auto b = static_cast<unsigned char>(in[0]);
  if (b == kEscByte) return escape(in, final);
  if (b >= 0x80) return highByte(in, final);
  Step s;
  s.key = plainKey(b);
  s.kind = s.key.empty() ? Kind::Nothing : Kind::Key;
  return s;
}

KeyDecoder::Step KeyDecoder::escape(std::string_view in, bool final) const {
  if (in.size() == 1) return final ? makeKey(keys::kEsc, 1) : incomplete(kEscWaitMs);
  auto c = static_cast<unsigned char>(in[1]);
  if (c == '[') return csi(in, final);
  if (c == 'O') return ss3(in, final);
  if (c == kEscByte) {
    // rxvt and others send Alt with a cursor key as Esc + the key's own sequence;
    // the key alone is meant. Two Escs in a row stay two Escs.
    if (in.size() == 2 && !final) return incomplete(kEscWaitMs);
    if (in.size() >= 3 && (in[2] == '[' || in[2] == 'O')) {
      Step inner = escape(in.substr(1), final);
      if (inner.kind != Kind::Incomplete) inner.length += 1;
      return inner;
    }
    return makeKey(keys::kEsc, 1);
  }
  if (isLetter(c)) return makeKey(altKey(c), 2);
  if (c >= 0x80) {
    Step inner = highByte(in.substr(1), final);
    if (inner.kind != Kind::Incomplete) inner.length += 1;
    return inner;
  }
  // Alt with a key that has no Alt code of its own: the key itself.
  Step plain = makeKey(plainKey(c), 2);
  if (plain.key.empty()) plain.kind = Kind::Nothing;
  return plain;
}

KeyDecoder::Step KeyDecoder::csi(std::string_view in, bool final) {
  if (in.size() == 2) return unfinished(2, final);
  switch (in[2]) {
    case '[': return linuxFunctionKey(in, final);
    case 'M': return x10Mouse(in, final);
    case '<': return sgrMouse(in, final);
    default: return otherSequence(in, final);
  }
}

// The Linux console's F1 to F5: Esc [ [ A ... E.
KeyDecoder::Step KeyDecoder::linuxFunctionKey(std::string_view in, bool final) {
  if (in.size() == 3) return unfinished(3, final);
  auto f = static_cast<unsigned char>(in[3]);
  if (f >= 'A' && f <= 'E') return makeKey(keys::extended(static_cast<unsigned char>(keys::kF1 + (f - 'A'))), 4);
  return nothing(4);  // the byte after is not ours: it goes on as input
}

// The button byte of the X10 and urxvt reports, offset by 32; coordinates from 0.
KeyDecoder::Step KeyDecoder::legacyMouse(int button, int column, int row, size_t length) {
  Step s;
  s.kind = Kind::Mouse;
  s.length = length;
  int b = (button - 32) & 0xFF;
  s.release = (b & (3 | 32 | 64)) == 3;  // "some button went up": only the left one matters
  s.button = s.release ? 0 : b;
  s.column = column;
  s.row = row;
  return s;
}

// X10 mouse report: three raw bytes follow, each offset by 32.
KeyDecoder::Step KeyDecoder::x10Mouse(std::string_view in, bool final) {
  if (in.size() < 6) return unfinished(in.size(), final);
  auto byte = [in](size_t i) { return static_cast<int>(static_cast<unsigned char>(in[i])); };
  return legacyMouse(byte(3), byte(4) - 33, byte(5) - 33, 6);
}

// SGR mouse report: Esc [ < b ; x ; y M (press, motion) or m (release).
KeyDecoder::Step KeyDecoder::sgrMouse(std::string_view in, bool final) {
  const size_t n = in.size();
  int values[3] = {0, 0, 0};
  int count = 0;
  for (size_t i = 3; i < n; ++i) {
    auto ch = static_cast<unsigned char>(in[i]);
    if (i > 3 + kMaxSequence) return dropLong(in, i);
    if (isDigit(ch)) {
      values[count] = std::min(values[count] * 10 + (ch - '0'), 99999);
    } else if (ch == ';') {
      if (++count > 2) return nothing(i);
    } else if (ch == 'M' || ch == 'm') {
      if (count != 2) return nothing(i + 1);
      Step s;
      s.kind = Kind::Mouse;
      s.length = i + 1;
      s.button = values[0];
      s.column = values[1] - 1;
      s.row = values[2] - 1;
      s.release = ch == 'm';
      return s;
    } else {
      return nothing(i);
    }
  }
  return unfinished(n, final);
}

// Any other control sequence: parameter bytes, intermediate bytes, a final byte.
KeyDecoder::Step KeyDecoder::otherSequence(std::string_view in, bool final) {
  const size_t n = in.size();
  size_t i = 2;
  while (i < n && in[i] >= 0x30 && in[i] <= 0x3F) {
    if (i - 2 >= kMaxSequence) return dropLong(in, i);
    ++i;
  }
  std::string_view params = in.substr(2, i - 2);
  bool numeric = !params.empty() && std::all_of(params.begin(), params.end(), [](char ch) {
    return isDigit(static_cast<unsigned char>(ch)) || ch == ';';
  });
  // rxvt ends the ~ keys with $ (Shift), ^ (Ctrl) or @ (both); $ would otherwise read
  // as an intermediate byte.
  if (i < n && in[i] == '$' && numeric) return keyOfSequence(params, '~', i + 1);
  size_t firstIntermediate = i;
  while (i < n && in[i] >= 0x20 && in[i] <= 0x2F) {
    if (i - 2 >= kMaxSequence) return dropLong(in, i);
    ++i;
  }
  if (i >= n) return unfinished(n, final);
  auto f = static_cast<unsigned char>(in[i]);
  if (f < 0x40 || f > 0x7E) return nothing(i);
  if (firstIntermediate != i) return nothing(i + 1);       // not a key of any terminal we know
  if (!params.empty() && !numeric) return nothing(i + 1);  // private replies (Esc [ ? ... )
  return keyOfSequence(params, f, i + 1);
}

// A whole sequence of numeric parameters and its final byte, `length` bytes long.
KeyDecoder::Step KeyDecoder::keyOfSequence(std::string_view params, unsigned char f, size_t length) {
  int p[3] = {0, 0, 0};
  int count = params.empty() ? 0 : parseParams(params, p, 3);
  if (f == 'M' && count == 3) return legacyMouse(p[0], p[1] - 1, p[2] - 1, length);  // urxvt: Esc [ b ; x ; y M
  std::string key;
  if (f == '~' || f == '^' || f == '@') {
    key = tildeKey(p[0]);
  } else if (f == 'Z') {
    key = keys::extended(keys::kShiftTab);
  } else if (p[0] <= 1) {  // Esc [ 1 ; 5 A and the like: the modifier is dropped.
    key = letterKey(f);    // Esc [ 12 ; 40 R is a cursor report, never a key.
  }
  if (key.empty()) return nothing(length);
  return makeKey(key, length);
}

// Far too long to be from a terminal: the whole run goes, so it is not typed either.
KeyDecoder::Step KeyDecoder::dropLong(std::string_view in, size_t i) {
  const size_t n = in.size();
  while (i < n && in[i] >= 0x20 && in[i] <= 0x3F) ++i;
  if (i < n && in[i] >= 0x40 && in[i] <= 0x7E) ++i;
  return nothing(i);
}

KeyDecoder::Step KeyDecoder::ss3(std::string_view in, bool final) const {
  const size_t n = in.size();
  if (n == 2) return final ? makeKey(altKey('O'), 2) : incomplete(kEscWaitMs);
  size_t i = 2;
  while (i < n && i < 8 && isDigit(static_cast<unsigned char>(in[i]))) ++i;  // old xterm: Esc O 2 P
  if (i >= n) return unfinished(n, final);
  auto f = static_cast<unsigned char>(in[i]);
  if (f < 0x40 || f > 0x7E) {
    if (i == 2) return makeKey(altKey('O'), 2);  // Alt-O, then something else
    return nothing(i);
  }
  std::string key = letterKey(f);
  if (key.empty()) key = keypadKey(f);
  if (key.empty()) return nothing(i + 1);
  return makeKey(key, i + 1);
}

KeyDecoder::Step KeyDecoder::highByte(std::string_view in, bool final) const {
  auto b = static_cast<unsigned char>(in[0]);
  if (highBytes_ != HighBytes::kMeta) {
    std::optional<Step> character = utf8Character(in, final);
    if (character) return *character;
  }
  if (highBytes_ == HighBytes::kUtf8OrLatin1) return typedCharacter(b, 1);  // Latin-1: the byte is the code point
  return metaKey(b);
}

// A byte with the eighth bit set that does not start a character: the meta key.
KeyDecoder::Step KeyDecoder::metaKey(unsigned char b) {
  unsigned char c = b & 0x7F;
  if (isLetter(c)) return makeKey(altKey(c), 1);
  return nothing(1);
}

// The character whose UTF-8 form starts `in`; none when the bytes are no such form.
std::optional<KeyDecoder::Step> KeyDecoder::utf8Character(std::string_view in, bool final) {
  auto b = static_cast<unsigned char>(in[0]);
  size_t need;
  char32_t cp;
  if (b >= 0xC2 && b <= 0xDF) {
    need = 2;
    cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 3;
    cp = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 4;
    cp = b & 0x07;
  } else {
    return std::nullopt;
  }
  for (size_t k = 1; k < need; ++k) {
    if (k >= in.size()) {
      if (final) return std::nullopt;
      return incomplete(kEscWaitMs);
    }
    auto c = static_cast<unsigned char>(in[k]);
    if ((c & 0xC0) != 0x80) return std::nullopt;
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    if (k == 1 &&
        ((b == 0xE0 && c < 0xA0) || (b == 0xED && c >= 0xA0) || (b == 0xF0 && c < 0x90) || (b == 0xF4 && c >= 0x90)))
      return std::nullopt;
    cp = (cp << 6) | (c & 0x3F);
  }
  return typedCharacter(cp, need);
}

// A typed character becomes its byte of the code page; one the code page lacks is dropped.
KeyDecoder::Step KeyDecoder::typedCharacter(char32_t ch, size_t length) {
  int byte = unicodeToCp437(ch);
  if (byte < 0) return nothing(length);
  return makeKey(std::string(1, static_cast<char>(byte)), length);
}

KeyDecoder::Step KeyDecoder::makeKey(std::string key, size_t length) {
  Step s;
  s.kind = Kind::Key;
  s.key = std::move(key);
  s.length = length;
  return s;
}

KeyDecoder::Step KeyDecoder::nothing(size_t length) {
  Step s;
  s.kind = Kind::Nothing;
  s.length = length;
  return s;
}

KeyDecoder::Step KeyDecoder::incomplete(int waitMs) {
  Step s;
  s.kind = Kind::Incomplete;
  s.waitMs = waitMs;
  return s;
}

KeyDecoder::Step KeyDecoder::unfinished(size_t length, bool final) {
  return final ? nothing(length) : incomplete(kSequenceWaitMs);
}

}  // namespace kivo
