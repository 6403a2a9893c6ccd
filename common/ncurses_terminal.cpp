#include "common/ncurses_terminal.h"

#include <langinfo.h>

#include <array>
#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/cp437.h"
#include "common/fatal.h"
#include "common/key_decoder.h"
#include "common/terminal_look.h"
#include "common/tty.h"
#include "common/tty_sequences.h"

// Functions rather than macros, so that names like erase() and clear() of the
// standard containers stay usable in this file.
#define NCURSES_NOMACROS 1
#define NCURSES_WIDECHAR 1
#include <ncurses.h>
#include <termcap.h>

namespace kivo {

namespace {

// A terminfo string, or empty when the terminal has none.
std::string capability(const char* name) {
  const char* s = tigetstr(name);
  if (s == nullptr || s == reinterpret_cast<const char*>(-1)) return {};
  return withoutPadding(s);
}

std::string withNumbers(const std::string& format, int n, int m = 0) {
  if (format.empty()) return {};
  const char* s = tiparm(format.c_str(), n, m);
  return s ? std::string(s) : std::string();
}

constexpr int kFrameMs = 33;  // at most about 30 pictures a second during long output

// A terminal that cannot place the cursor (TERM=dumb, a printing terminal) would get
// the picture as a stream of text. It is refused from its description alone, before
// a byte is sent or a mode changed. An unknown type is left to newterm, which names it.
void refuseTerminalWithoutCursorAddressing() {
  const char* term = std::getenv("TERM");
  if (term == nullptr || tgetent(nullptr, term) != 1 || tgetstr("cm", nullptr) != nullptr) return;
  fail(kIllegalFunctionCall,
       std::string("terminal: TERM=") + term +
           " cannot place the cursor\nA full-screen terminal is needed: xterm, tmux, the console.");
}

}  // namespace

struct NcursesTerminal::Impl {
  SCREEN* screen = nullptr;
  bool mouse = false;
  bool utf8 = true;
  bool restored = false;
  bool tookTty = false;
  KeyDecoder decoder;

  int colours = 0;  // 16, 8 or none
  // Attributes and pair of each palette combination (foreground with blink, background).
  std::array<std::array<attr_t, 16>, 32> attrs{};
  std::array<std::array<short, 16>, 32> pairs{};

  // The character drawn for each byte.
  struct Glyph {
    wchar_t text[2] = {L' ', L'\0'};
    attr_t attr = A_NORMAL;
  };
  std::array<Glyph, 256> glyphs{};

  CursorShapes shapes;
  RestoreBytes restoreBytes;

  // What the terminal shows now.
  const Screen* lastScreen = nullptr;
  uint64_t lastVersion = 0;
  bool force = true;
  std::vector<Cell> drawn;
  int drawnRows = 0;
  bool tooSmall = false;
  int noticeRows = 0;
  int shownVisible = -1;
  int shownShape = -1;
  int64_t lastDrawMs = -1000000;

  bool sizeRequested = false;
  int originalLines = 0;
  int originalColumns = 0;

  void start(bool wantMouse);
  void startNcurses();
  void setUpColours();
  void setUpGlyphs();
  Glyph glyphFor(char32_t u) const;
  void setUpSequences(bool wantMouse);
  void prepareRestore();
  void takeSignals();
  void show(const Screen& s);
  void draw(const Screen& s);
  void drawNotice(int rows);
  void placeCursor(const Screen& s);
  void restore();
};

void NcursesTerminal::Impl::start(bool wantMouse) {
  refuseTerminalWithoutCursorAddressing();
  tty::take();
  tookTty = true;
  // Only the character set follows the user's locale; numbers and the like are
  // formatted by the program itself and must not change with it.
  std::setlocale(LC_CTYPE, "");
  HighBytes highBytes = highBytesForCodeset(nl_langinfo(CODESET));
  utf8 = highBytes == HighBytes::kUtf8;
  decoder = KeyDecoder(highBytes);

  startNcurses();
  tty::enterProgramModes();
  def_prog_mode();

  setUpColours();
  setUpGlyphs();
  setUpSequences(wantMouse);
  originalLines = LINES;
  originalColumns = COLS;

  refresh();  // sends the switch to the alternate screen before our own bytes
  if (mouse) tty::send(kMouseOn);
  prepareRestore();
  tty::activate();
}

void NcursesTerminal::Impl::startNcurses() {
  screen = newterm(nullptr, stdout, stdin);
  if (screen == nullptr) {
    const char* term = std::getenv("TERM");
    fail(kIllegalFunctionCall, std::string("terminal type ") + (term ? term : "(none)"));
  }
  set_term(screen);
  cbreak();
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  leaveok(stdscr, FALSE);
  scrollok(stdscr, FALSE);
  // ncurses would stop drawing half-way when it sees typed keys waiting; the picture
  // must always be finished, since it is only drawn again when it changes.
  typeahead(-1);
}

void NcursesTerminal::Impl::setUpColours() {
  colours = has_colors() && start_color() == OK ? usableColours(COLORS, COLOR_PAIRS) : 0;
  if (colours) {
    // Pair 0 cannot be defined like the others; it is black on black, the one
    // combination every table of pairs needs.
    assume_default_colors(COLOR_BLACK, COLOR_BLACK);
    for (int f = 0; f < colours; ++f)
      for (int b = 0; b < colours; ++b)
        if (f || b) init_pair(static_cast<short>(f * colours + b), static_cast<short>(f), static_cast<short>(b));
  }
  for (size_t fg = 0; fg < 32; ++fg) {
    for (size_t bg = 0; bg < 16; ++bg) {
      CellLook look = cellLook(static_cast<int>(fg), static_cast<int>(bg), colours);
      attrs[fg][bg] =
          (look.blink ? A_BLINK : A_NORMAL) | (look.bold ? A_BOLD : A_NORMAL) | (look.reverse ? A_REVERSE : A_NORMAL);
      pairs[fg][bg] = look.pair;
    }
  }
}

void NcursesTerminal::Impl::setUpGlyphs() {
  for (int b = 0; b < 256; ++b) glyphs[static_cast<size_t>(b)] = glyphFor(cp437ToUnicode(static_cast<uint8_t>(b)));
  glyphs[0].text[0] = L' ';
}

NcursesTerminal::Impl::Glyph NcursesTerminal::Impl::glyphFor(char32_t u) const {
  Glyph glyph;
  // A terminal without UTF-8 has lines and blocks in its own line-drawing set.
  if (char letter = utf8 ? 0 : lineDrawingLetter(u)) {
    wchar_t text[CCHARW_MAX + 1] = {};
    attr_t a = A_NORMAL;
    short pair = 0;
    if (getcchar(NCURSES_WACS(letter), text, &a, &pair, nullptr) != ERR && text[0]) {
      glyph.text[0] = text[0];
      glyph.attr = a & A_ALTCHARSET;
      return glyph;
    }
  }
  glyph.text[0] = drawableCharacter(u, utf8);
  return glyph;
}

void NcursesTerminal::Impl::setUpSequences(bool wantMouse) {
  mouse = wantMouse;
  std::string ss = capability("Ss");
  if (ss.empty()) {
    shapes = knownCursorShapes(std::getenv("TERM"));
    return;
  }
  shapes.underline = withNumbers(ss, 3);  // blinking underline, as the console's cursor blinked
  shapes.block = withNumbers(ss, 1);      // blinking block for the half block
  shapes.reset = capability("Se");
  if (shapes.reset.empty()) shapes.reset = withNumbers(ss, 0);
}

// The way out, built again whenever what it undoes changes: the signal handlers send
// it whole, as they cannot call ncurses; restore() sends our own part around endwin().
void NcursesTerminal::Impl::prepareRestore() {
  ExitStrings terminfo;
  terminfo.sgr0 = capability("sgr0");
  terminfo.cnorm = capability("cnorm");
  terminfo.rmcup = capability("rmcup");
  terminfo.smcup = capability("smcup");
  terminfo.toLastRow = withNumbers(capability("cup"), LINES - 1, 0);
  std::string sizeBack = sizeRequested ? windowSizeRequest(originalLines, originalColumns) : std::string();
  restoreBytes = kivo::restoreBytes(terminfo, mouse, shapes.reset, sizeBack);
  tty::prepareBytes(restoreBytes.all(), restoreBytes.resume);
}

// Resizes and the return from Ctrl-Z, noted by the handlers.
void NcursesTerminal::Impl::takeSignals() {
  tty::SignalNotes notes = tty::takeSignalNotes();
  if (notes.resumed) {
    curs_set(1);  // the way out left it visible, whatever ncurses remembers
    clearok(curscr, TRUE);
    shownVisible = -1;
    shownShape = -1;
    force = true;
  }
  if (notes.resized) {
    int rows = 0;
    int columns = 0;
    if (tty::windowSize(rows, columns)) resizeterm(rows, columns);
    force = true;
    noticeRows = 0;
    prepareRestore();  // its way to the bottom row depends on the size
  }
}

void NcursesTerminal::Impl::show(const Screen& s) {
  takeSignals();
  bool small = LINES < s.rows() || COLS < Screen::kColumns;
  if (small) {
    if (!tooSmall || noticeRows != s.rows()) drawNotice(s.rows());
    tooSmall = true;
    return;
  }
  if (tooSmall) {
    tooSmall = false;
    force = true;
  }
  if (!force && &s == lastScreen && s.version() == lastVersion) return;
  draw(s);
}

void NcursesTerminal::Impl::draw(const Screen& s) {
  const int rows = s.rows();
  const bool full = force || drawnRows != rows || &s != lastScreen;
  if (full) {
    ::erase();
    drawn.assign(static_cast<size_t>(rows * Screen::kColumns), Cell{});
    drawnRows = rows;
  }
  cchar_t line[Screen::kColumns];
  for (int r = 1; r <= rows; ++r) {
    Cell* old = &drawn[static_cast<size_t>((r - 1) * Screen::kColumns)];
    bool changed = full;
    for (int c = 1; c <= Screen::kColumns && !changed; ++c) changed = !(s.cellAt(r, c) == old[c - 1]);
    if (!changed) continue;
    for (int c = 1; c <= Screen::kColumns; ++c) {
      const Cell& cell = s.cellAt(r, c);
      old[c - 1] = cell;
      const Glyph& glyph = glyphs[cell.ch];
      size_t fg = cell.fg & 31u;
      size_t bg = cell.bg & 15u;
      setcchar(&line[c - 1], glyph.text, glyph.attr | attrs[fg][bg], pairs[fg][bg], nullptr);
    }
    mvadd_wchnstr(r - 1, 0, line, Screen::kColumns);
  }
  placeCursor(s);
  lastScreen = &s;
  lastVersion = s.version();
  force = false;
  lastDrawMs = tty::monotonicMs();
}

void NcursesTerminal::Impl::placeCursor(const Screen& s) {
  ::move(s.cursorRow() - 1, s.cursorColumn() - 1);
  ::refresh();
  int visible = s.cursorVisible() ? 1 : 0;
  if (visible != shownVisible) {
    curs_set(visible);
    shownVisible = visible;
    shownShape = -1;  // some terminals (the Linux console) reset the shape with the cursor
  }
  if (!visible) return;
  // Scan lines of an 8-line cell: a thin cursor is an underline, anything taller a block.
  int wanted = s.cursorEnd() - s.cursorStart() >= 2 ? 1 : 0;
  const std::string& shape = wanted ? shapes.block : shapes.underline;
  if (wanted == shownShape || shape.empty()) return;
  tty::send(shape);
  shownShape = wanted;
}

void NcursesTerminal::Impl::drawNotice(int rows) {
  ::erase();
  std::string text = "Please enlarge this window to " + std::to_string(Screen::kColumns) + " x " + std::to_string(rows);
  attr_set(attrs[7][0], pairs[7][0], nullptr);
  mvaddnstr(0, 0, text.c_str(), static_cast<int>(text.size()));
  attr_set(A_NORMAL, 0, nullptr);
  ::move(0, 0);
  ::refresh();
  if (shownVisible != 0) {
    curs_set(0);
    shownVisible = 0;
  }
  noticeRows = rows;
  force = true;
}

void NcursesTerminal::Impl::restore() {
  if (restored) return;
  restored = true;
  {
    tty::SignalsHeld held;
    if (tty::release()) {
      ::refresh();
      tty::send(restoreBytes.own);
      endwin();  // leaves the cursor at the start of the bottom row
      tty::send(restoreBytes.below);
    }
  }
  if (tookTty) tty::removeHandlers();
}

NcursesTerminal::NcursesTerminal(bool mouse) : impl_(std::make_unique<Impl>()) {
  try {
    impl_->start(mouse);
  } catch (...) {
    impl_->restore();
    if (impl_->tookTty) tty::closeWakePipe();
    throw;
  }
}

NcursesTerminal::~NcursesTerminal() {
  restore();
  if (impl_->screen) delscreen(impl_->screen);
  if (impl_->tookTty) tty::closeWakePipe();
}

void NcursesTerminal::restore() { impl_->restore(); }

void NcursesTerminal::show(const Screen& screen) {
  if (!impl_->restored) impl_->show(screen);
}

void NcursesTerminal::outputTick(const Screen& screen) {
  if (impl_->restored) return;
  if (tty::monotonicMs() - impl_->lastDrawMs >= kFrameMs) impl_->show(screen);
}

std::string NcursesTerminal::pollKey() {
  if (impl_->restored) return {};
  tty::readInput(impl_->decoder);
  return impl_->decoder.nextKey(tty::monotonicMs());
}

bool NcursesTerminal::pollMouse(MouseState& state) {
  if (!impl_->mouse || impl_->restored) return false;
  tty::readInput(impl_->decoder);
  state = impl_->decoder.takeMouse();
  if (impl_->tooSmall) state.left = false;  // the picture under the pointer is not there
  return true;
}

void NcursesTerminal::pause(int ms) {
  if (impl_->restored || ms <= 0) {
    tty::sleepMs(ms);
    return;
  }
  // What is waiting already is taken first, so it cannot cut this pause short again
  // and again in a loop that does not read keys.
  tty::readInput(impl_->decoder);
  // A signal ends the pause early too: the caller will draw, as the handler noted.
  if (tty::waitForInput(ms) == tty::Woken::kInput) tty::readInput(impl_->decoder);
}

LocalTime NcursesTerminal::now() { return tty::localTime(); }

bool NcursesTerminal::resize(int rows) {
  if (impl_->restored) return false;
  impl_->takeSignals();
  if (LINES >= rows && COLS >= Screen::kColumns) return true;
  // xterm's window request; until the terminal has the rows, show() puts up the
  // notice instead of a picture that does not fit.
  ::refresh();
  tty::send(windowSizeRequest(rows, Screen::kColumns));
  impl_->sizeRequested = true;
  impl_->prepareRestore();
  return true;
}

}  // namespace kivo
