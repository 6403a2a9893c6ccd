#include "common/tty_sequences.h"

#include <cstring>

namespace kivo {

namespace {

bool startsWith(const char* text, const char* prefix) {
  return text && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

std::string withoutPadding(const char* capability) {
  std::string out;
  for (const char* p = capability; *p; ++p) {
    if (p[0] == '$' && p[1] == '<') {
      const char* close = std::strchr(p, '>');
      if (close) {
        p = close;
        continue;
      }
    }
    out.push_back(*p);
  }
  return out;
}

std::string windowSizeRequest(int rows, int columns) {
  return "\x1b[8;" + std::to_string(rows) + ";" + std::to_string(columns) + "t";
}

// Blinking shapes, as the console's cursor blinked; the block stands for its half block.
CursorShapes knownCursorShapes(const char* term) {
  if (startsWith(term, "linux")) return {"\x1b[?2c", "\x1b[?4c", "\x1b[?0c"};  // a real half block
  if (startsWith(term, "xterm") || startsWith(term, "screen") || startsWith(term, "tmux") || startsWith(term, "rxvt"))
    return {"\x1b[3 q", "\x1b[1 q", "\x1b[0 q"};
  return {};
}

RestoreBytes restoreBytes(const ExitStrings& terminfo, bool mouse, const std::string& shapeReset,
                          const std::string& sizeBack) {
  RestoreBytes r;
  if (mouse) r.own += kMouseOff;
  r.own += shapeReset;
  r.own += sizeBack;
  r.leave = terminfo.sgr0 + terminfo.cnorm;
  if (!terminfo.rmcup.empty()) {
    r.leave += terminfo.rmcup;
  } else {
    // No second screen to leave: the shell's prompt goes below the picture, which
    // stays on the terminal's only screen.
    r.leave += terminfo.toLastRow;
    r.below = "\r\n";
  }
  r.resume = terminfo.smcup;
  if (mouse) r.resume += kMouseOn;
  return r;
}

}  // namespace kivo
