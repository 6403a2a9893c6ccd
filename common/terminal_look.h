#pragma once
// How the console's cells look on a real terminal: the 16-colour palette on a terminal
// of 16, 8 or no colours, and the code page's characters on a terminal that may not
// draw them all. Nothing here needs ncurses.
//
// Colour pairs are numbered foreground * colours + background, in the terminal's own
// colour numbers, so the table of pairs is the same on every terminal.

namespace kivo {

// The terminal's colour number for an index of the palette.
int terminalColour(int paletteIndex);

// The colours used of a terminal's `colors` and `pairs`: 16, 8, or 0 when it has
// fewer (the table of pairs needs colours * colours).
int usableColours(int colors, int pairs);

struct CellLook {
  short pair = 0;
  bool blink = false;
  bool bold = false;
  bool reverse = false;
};

// How a cell of palette foreground `fg` (0-31, 16 and up blinking) on background `bg`
// (0-15) is shown on a terminal of `colours` colours (16, 8 or 0).
CellLook cellLook(int fg, int bg, int colours);

// The character drawn for `ch`: itself where the terminal draws it in one cell (in
// UTF-8, or else in the locale's own character set), otherwise '?'. Call after
// setlocale().
wchar_t drawableCharacter(char32_t ch, bool utf8);

// For a terminal without UTF-8: the nearest character of the VT100 line-drawing set
// for the code page's lines, blocks and a few signs, by its letter in terminfo's acsc
// list ('x' is the vertical line), or 0 when there is none.
char lineDrawingLetter(char32_t ch);

}  // namespace kivo
