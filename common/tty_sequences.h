#pragma once
// The control sequences the real terminal sends besides those of ncurses: mouse
// reporting, the cursor's shape, the window's size, and the bytes that give the
// terminal back. Built from terminfo strings the caller has looked up, so nothing
// here needs ncurses.
#include <string>

namespace kivo {

// Button-event tracking in SGR form, and the way back.
inline constexpr const char* kMouseOn = "\x1b[?1000h\x1b[?1002h\x1b[?1006h";
inline constexpr const char* kMouseOff = "\x1b[?1006l\x1b[?1002l\x1b[?1000l";

// A terminfo string without its padding marks ($<5>), which are for real teletypes
// and would reach the terminal as text when written raw.
std::string withoutPadding(const char* capability);

// xterm's request for a window of `rows` x `columns` cells.
std::string windowSizeRequest(int rows, int columns);

struct CursorShapes {
  std::string underline;
  std::string block;
  std::string reset;  // the user's own shape again
};
// For a terminal whose terminfo has no Ss: the shapes its family is known to take,
// or none.
CursorShapes knownCursorShapes(const char* term);

// What terminfo has for the way out; empty where the terminal has none.
struct ExitStrings {
  std::string sgr0;
  std::string cnorm;
  std::string rmcup;
  std::string smcup;
  std::string toLastRow;  // cup to the first column of the bottom row
};

struct RestoreBytes {
  std::string own;     // what only we asked for: mouse reports, the cursor's shape, the window's size
  std::string leave;   // what endwin() sends: attributes off, the cursor on, the second screen left
  std::string below;   // then, with no second screen to leave, a fresh line under the last picture
  std::string resume;  // takes the terminal again after Ctrl-Z
  // The whole way out, as a signal handler (which cannot call ncurses) sends it.
  std::string all() const { return own + leave + below; }
};

RestoreBytes restoreBytes(const ExitStrings& terminfo, bool mouse, const std::string& shapeReset,
                          const std::string& sizeBack);

}  // namespace kivo
