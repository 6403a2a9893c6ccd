#include "common/ncurses_terminal.h"

#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "common/cp437.h"
#include "common/fatal.h"
#include "common/key_decoder.h"

// Functions rather than macros, so that names like erase() and clear() of the
// standard containers stay usable in this file.
#define NCURSES_NOMACROS 1
#define NCURSES_WIDECHAR 1
#include <ncurses.h>

namespace kivo {

namespace {

// ---------------------------------------------------------------------------------
// What the signal handlers need. They may run at any moment, so everything they
// use is prepared beforehand as plain bytes and written with write(2).

constexpr int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kCrashSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};

struct TtyState {
  volatile sig_atomic_t active = 0;   // the terminal is ours and must be given back
  volatile sig_atomic_t resized = 0;  // SIGWINCH came
  volatile sig_atomic_t resumed = 0;  // back from Ctrl-Z: everything must be drawn again
  int inFd = STDIN_FILENO;
  int outFd = STDOUT_FILENO;
  int wake[2] = {-1, -1};  // the handlers wake a waiting pause() through this pipe
  termios shellModes{};
  termios programModes{};
  char restore[512] = {};
  size_t restoreLength = 0;
  char resume[256] = {};
  size_t resumeLength = 0;
  struct sigaction previous[NSIG] = {};
  bool installed[NSIG] = {};
};
TtyState g;

void writeAll(int fd, const char* data, size_t length) {
  while (length > 0) {
    ssize_t n = ::write(fd, data, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    length -= static_cast<size_t>(n);
  }
}

// Gives the terminal back; safe inside a signal handler.
void restoreRaw() {
  if (!g.active) return;
  g.active = 0;
  writeAll(g.outFd, g.restore, g.restoreLength);
  tcsetattr(g.inFd, TCSADRAIN, &g.shellModes);
}

void reraise(int sig) {
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(sig, &dfl, nullptr);
  raise(sig);  // delivered as soon as the handler returns, with the default action
}

extern "C" void onEndSignal(int sig) {
  int saved = errno;
  restoreRaw();
  reraise(sig);
  errno = saved;
}

extern "C" void onCrashSignal(int sig, siginfo_t* info, void* context) {
  int saved = errno;
  restoreRaw();
  // A sanitizer or debugger that was there first still gets to report the crash.
  const struct sigaction& before = g.previous[sig];
  if (before.sa_flags & SA_SIGINFO) {
    if (before.sa_sigaction) before.sa_sigaction(sig, info, context);
  } else if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN) {
    before.sa_handler(sig);
  }
  reraise(sig);
  errno = saved;
}

extern "C" void onResize(int) {
  int saved = errno;
  g.resized = 1;
  if (g.wake[1] >= 0) (void)!::write(g.wake[1], "w", 1);
  errno = saved;
}

extern "C" void onStop(int sig) {
  int saved = errno;
  bool wasActive = g.active;
  restoreRaw();
  struct sigaction mine = {};
  sigaction(sig, nullptr, &mine);
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(sig, &dfl, nullptr);
  raise(sig);
  sigset_t stop, old;
  sigemptyset(&stop);
  sigaddset(&stop, sig);
  sigprocmask(SIG_UNBLOCK, &stop, &old);  // the process stops here until SIGCONT
  sigprocmask(SIG_SETMASK, &old, nullptr);
  sigaction(sig, &mine, nullptr);
  if (wasActive) {
    tcsetattr(g.inFd, TCSADRAIN, &g.programModes);
    writeAll(g.outFd, g.resume, g.resumeLength);
    g.active = 1;
    g.resumed = 1;
    g.resized = 1;
    if (g.wake[1] >= 0) (void)!::write(g.wake[1], "c", 1);
  }
  errno = saved;
}

// Keeps the handlers out while the prepared bytes are being changed.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGSEGV);
    sigdelset(&all, SIGBUS);
    sigdelset(&all, SIGFPE);
    sigdelset(&all, SIGILL);
    pthread_sigmask(SIG_BLOCK, &all, &old_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t old_;
};

void install(int sig, void (*handler)(int), int flags) {
  struct sigaction now {};
  sigaction(sig, nullptr, &now);
  // A signal that was ignored when we started (nohup, a shell without job control)
  // stays ignored, as every well-behaved program does.
  if (now.sa_handler == SIG_IGN && sig != SIGSEGV && sig != SIGBUS && sig != SIGFPE && sig != SIGILL &&
      sig != SIGABRT)
    return;
  struct sigaction act {};
  act.sa_handler = handler;
  sigemptyset(&act.sa_mask);
  act.sa_flags = flags;
  if (sigaction(sig, &act, &g.previous[sig]) == 0) g.installed[sig] = true;
}

void installCrash(int sig) {
  struct sigaction act {};
  act.sa_sigaction = onCrashSignal;
  sigemptyset(&act.sa_mask);
  act.sa_flags = SA_SIGINFO;
  if (sigaction(sig, &act, &g.previous[sig]) == 0) g.installed[sig] = true;
}

void installHandlers() {
  for (int sig : kEndSignals) install(sig, onEndSignal, 0);
  for (int sig : kCrashSignals) installCrash(sig);
  install(SIGWINCH, onResize, SA_RESTART);
  install(SIGTSTP, onStop, SA_RESTART);
}

void removeHandlers() {
  for (int sig = 1; sig < NSIG; ++sig) {
    if (!g.installed[sig]) continue;
    sigaction(sig, &g.previous[sig], nullptr);
    g.installed[sig] = false;
  }
}

extern "C" void restoreAtExit() { restoreRaw(); }

void closeWakePipe() {
  for (int& fd : g.wake) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

// ---------------------------------------------------------------------------------

int64_t monotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// A terminfo string, or empty when the terminal has none. Padding marks ($<5>) are
// for real teletypes and would reach the terminal as text when written raw.
std::string capability(const char* name) {
  const char* s = tigetstr(name);
  if (s == nullptr || s == reinterpret_cast<const char*>(-1)) return {};
  std::string out;
  for (const char* p = s; *p; ++p) {
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

std::string withNumber(const std::string& format, int n) {
  if (format.empty()) return {};
  const char* s = tiparm(format.c_str(), n);
  return s ? std::string(s) : std::string();
}

bool startsWith(const char* text, const char* prefix) {
  return text && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// The palette of the original display adapter counts blue as 1 and red as 4; the
// terminal's colour numbers have them the other way round.
int terminalColour(int paletteIndex) {
  static const int kSwap[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                               COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};
  return kSwap[paletteIndex & 7] + (paletteIndex & 8);
}

constexpr const char* kMouseOn = "\x1b[?1000h\x1b[?1002h\x1b[?1006h";
constexpr const char* kMouseOff = "\x1b[?1006l\x1b[?1002l\x1b[?1000l";
constexpr int kFrameMs = 33;  // at most about 30 pictures a second during long output

}  // namespace

struct NcursesTerminal::Impl {
  SCREEN* screen = nullptr;
  bool mouse = false;
  bool utf8 = true;
  bool restored = false;
  bool ownsSignals = false;
  bool ownsWakePipe = false;
  KeyDecoder decoder;

  // Colour: 16 or 8 terminal colours, or 0 for none.
  int colours = 0;
  std::array<std::array<attr_t, 16>, 32> attrs{};
  std::array<std::array<short, 16>, 32> pairs{};

  // The character drawn for each byte.
  struct Glyph {
    wchar_t text[2] = {L' ', L'\0'};
    attr_t attr = A_NORMAL;
  };
  std::array<Glyph, 256> glyphs{};

  // Cursor shapes: [0] underline, [1] block; reset gives the user's own back.
  std::string shape[2];
  std::string shapeReset;

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
  void setUpColours();
  void setUpGlyphs();
  void setUpSequences(bool wantMouse);
  void prepareRestore();
  void takeSignals();
  void show(const Screen& s);
  void draw(const Screen& s);
  void drawNotice(int rows);
  void placeCursor(const Screen& s);
  void readInput();
  void restore();
};

void NcursesTerminal::Impl::start(bool wantMouse) {
  if (!isatty(g.inFd) || !isatty(g.outFd)) fail(kIllegalFunctionCall, "terminal: input and output must be a terminal");
  if (g.active) fail(kIllegalFunctionCall, "terminal already in use");
  // Only the character set follows the user's locale; numbers and the like are
  // formatted by the program itself and must not change with it.
  std::setlocale(LC_CTYPE, "");
  utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  decoder = KeyDecoder(utf8);

  tcgetattr(g.inFd, &g.shellModes);
  if (pipe2(g.wake, O_NONBLOCK | O_CLOEXEC) != 0) g.wake[0] = g.wake[1] = -1;
  ownsWakePipe = true;
  // Our handlers go in before ncurses starts, so it leaves the signals to us.
  installHandlers();
  ownsSignals = true;

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

  // Keys are read as raw bytes by our own decoder. Ctrl-C stays a signal; Ctrl-S and
  // Ctrl-Q are plain keys; nothing translates CR or strips the eighth bit.
  termios t{};
  tcgetattr(g.inFd, &t);
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | ISTRIP | INLCR | IGNCR | ICRNL);
  t.c_lflag |= ISIG;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  tcsetattr(g.inFd, TCSADRAIN, &t);
  def_prog_mode();
  g.programModes = t;

  setUpColours();
  setUpGlyphs();
  setUpSequences(wantMouse);
  originalLines = LINES;
  originalColumns = COLS;

  refresh();  // sends the switch to the alternate screen before our own bytes
  if (mouse) writeAll(g.outFd, kMouseOn, std::strlen(kMouseOn));
  prepareRestore();
  g.active = 1;
  static bool atExitRegistered = false;
  if (!atExitRegistered) atExitRegistered = std::atexit(restoreAtExit) == 0;
}

void NcursesTerminal::Impl::setUpColours() {
  colours = 0;
  if (has_colors() && start_color() == OK) {
    if (COLORS >= 16 && COLOR_PAIRS >= 256) {
      colours = 16;
    } else if (COLORS >= 8 && COLOR_PAIRS >= 64) {
      colours = 8;
    }
  }
  if (colours) {
    // Pair 0 cannot be defined like the others; it is black on black, the one
    // combination every table of pairs needs.
    assume_default_colors(COLOR_BLACK, COLOR_BLACK);
    for (int f = 0; f < colours; ++f)
      for (int b = 0; b < colours; ++b)
        if (f || b) init_pair(static_cast<short>(f * colours + b), static_cast<short>(f), static_cast<short>(b));
  }
  for (int fg = 0; fg < 32; ++fg) {
    for (int bg = 0; bg < 16; ++bg) {
      attr_t a = A_NORMAL;
      short pair = 0;
      int f = fg & 15;
      if (fg & 16) a |= A_BLINK;
      if (colours == 16) {
        pair = static_cast<short>(terminalColour(f) * 16 + terminalColour(bg));
      } else if (colours == 8) {
        pair = static_cast<short>((terminalColour(f) & 7) * 8 + (terminalColour(bg) & 7));
        if (f & 8) a |= A_BOLD;  // eight colours: the bright ones are bold
      } else {
        if (f & 8) a |= A_BOLD;
        if (bg != 0 && bg != 1) a |= A_REVERSE;  // without colour, at least the marked rows stand out
      }
      attrs[static_cast<size_t>(fg)][static_cast<size_t>(bg)] = a;
      pairs[static_cast<size_t>(fg)][static_cast<size_t>(bg)] = pair;
    }
  }
}

void NcursesTerminal::Impl::setUpGlyphs() {
  for (int b = 0; b < 256; ++b) {
    Glyph& g1 = glyphs[static_cast<size_t>(b)];
    char32_t u = cp437ToUnicode(static_cast<uint8_t>(b));
    auto wc = static_cast<wchar_t>(u);
    if (u < 0x80 && u >= 0x20) {
      g1.text[0] = wc;
      continue;
    }
    if (utf8) {
      // A character the terminal would draw two cells wide (or not at all) would
      // shift the rest of the row.
      g1.text[0] = wcwidth(wc) == 1 ? wc : L'?';
      continue;
    }
    // A terminal without UTF-8: lines and blocks from its own line-drawing set,
    // characters of its code set as they are, the rest as '?'.
    const cchar_t* acs = nullptr;
    switch (u) {
      case 0x2502: case 0x2551: acs = WACS_VLINE; break;
      case 0x2500: case 0x2550: acs = WACS_HLINE; break;
      case 0x250C: case 0x2554: case 0x2552: case 0x2553: acs = WACS_ULCORNER; break;
      case 0x2510: case 0x2557: case 0x2555: case 0x2556: acs = WACS_URCORNER; break;
      case 0x2514: case 0x255A: case 0x2558: case 0x2559: acs = WACS_LLCORNER; break;
      case 0x2518: case 0x255D: case 0x255B: case 0x255C: acs = WACS_LRCORNER; break;
      case 0x251C: case 0x2560: case 0x255E: case 0x255F: acs = WACS_LTEE; break;
      case 0x2524: case 0x2563: case 0x2561: case 0x2562: acs = WACS_RTEE; break;
      case 0x252C: case 0x2566: case 0x2564: case 0x2565: acs = WACS_TTEE; break;
      case 0x2534: case 0x2569: case 0x2567: case 0x2568: acs = WACS_BTEE; break;
      case 0x253C: case 0x256C: case 0x256A: case 0x256B: acs = WACS_PLUS; break;
      case 0x2591: case 0x2592: case 0x2593: acs = WACS_CKBOARD; break;
      case 0x2588: case 0x2584: case 0x258C: case 0x2590: case 0x2580: case 0x25A0: acs = WACS_BLOCK; break;
      case 0x00B0: acs = WACS_DEGREE; break;
      case 0x00B1: acs = WACS_PLMINUS; break;
      case 0x2219: case 0x2022: case 0x00B7: acs = WACS_BULLET; break;
      case 0x2264: acs = WACS_LEQUAL; break;
      case 0x2265: acs = WACS_GEQUAL; break;
      case 0x03C0: acs = WACS_PI; break;
      case 0x2191: acs = WACS_UARROW; break;
      case 0x2193: acs = WACS_DARROW; break;
      case 0x2192: case 0x25BA: acs = WACS_RARROW; break;
      case 0x2190: case 0x25C4: acs = WACS_LARROW; break;
      case 0x2666: acs = WACS_DIAMOND; break;
      default: break;
    }
    if (acs) {
      wchar_t text[CCHARW_MAX + 1] = {};
      attr_t a = A_NORMAL;
      short pair = 0;
      if (getcchar(acs, text, &a, &pair, nullptr) != ERR && text[0]) {
        g1.text[0] = text[0];
        g1.attr = a & A_ALTCHARSET;
        continue;
      }
    }
    char mb[MB_LEN_MAX];
    std::mbstate_t state{};
    bool drawable = u >= 0xA0 && std::wcrtomb(mb, wc, &state) != static_cast<size_t>(-1) && wcwidth(wc) == 1;
    g1.text[0] = drawable ? wc : L'?';
  }
  glyphs[0].text[0] = L' ';
}

void NcursesTerminal::Impl::setUpSequences(bool wantMouse) {
  mouse = wantMouse;
  const char* term = std::getenv("TERM");
  std::string ss = capability("Ss");
  if (!ss.empty()) {
    shape[0] = withNumber(ss, 3);  // blinking underline, as the console's cursor blinked
    shape[1] = withNumber(ss, 1);  // blinking block for the half block
    shapeReset = capability("Se");
    if (shapeReset.empty()) shapeReset = withNumber(ss, 0);
  } else if (startsWith(term, "linux")) {
    shape[0] = "\x1b[?2c";  // the Linux console has a real half block
    shape[1] = "\x1b[?4c";
    shapeReset = "\x1b[?0c";
  } else if (startsWith(term, "xterm") || startsWith(term, "screen") || startsWith(term, "tmux") ||
             startsWith(term, "rxvt")) {
    shape[0] = "\x1b[3 q";
    shape[1] = "\x1b[1 q";
    shapeReset = "\x1b[0 q";
  }
}

// The bytes that give the terminal back from a signal handler, where ncurses cannot
// be called; endwin() does the same on the ordinary way out.
void NcursesTerminal::Impl::prepareRestore() {
  std::string r;
  if (mouse) r += kMouseOff;
  r += shapeReset;
  if (sizeRequested)
    r += "\x1b[8;" + std::to_string(originalLines) + ";" + std::to_string(originalColumns) + "t";
  r += capability("sgr0");
  r += capability("cnorm");
  std::string rmcup = capability("rmcup");
  if (!rmcup.empty()) {
    r += rmcup;
  } else {
    // No second screen to leave: put the shell's prompt below the picture.
    std::string cup = capability("cup");
    if (!cup.empty()) r += tiparm(cup.c_str(), LINES - 1, 0);
    r += "\r\n";
  }
  std::string resume = capability("smcup");
  if (mouse) resume += kMouseOn;

  SignalsHeld held;
  g.restoreLength = std::min(r.size(), sizeof g.restore);
  std::memcpy(g.restore, r.data(), g.restoreLength);
  g.resumeLength = std::min(resume.size(), sizeof g.resume);
  std::memcpy(g.resume, resume.data(), g.resumeLength);
}

// Resizes and the return from Ctrl-Z, noted by the handlers.
void NcursesTerminal::Impl::takeSignals() {
  if (g.resumed) {
    g.resumed = 0;
    curs_set(1);  // the way out left it visible, whatever ncurses remembers
    clearok(curscr, TRUE);
    shownVisible = -1;
    shownShape = -1;
    force = true;
  }
  if (g.resized) {
    g.resized = 0;
    char drain[64];
    while (g.wake[0] >= 0 && ::read(g.wake[0], drain, sizeof drain) > 0) {
    }
    winsize ws{};
    if (ioctl(g.outFd, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0) resizeterm(ws.ws_row, ws.ws_col);
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
  lastDrawMs = monotonicMs();
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
  if (wanted == shownShape || shape[wanted].empty()) return;
  writeAll(g.outFd, shape[wanted].data(), shape[wanted].size());
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

void NcursesTerminal::Impl::readInput() {
  char buffer[512];
  // Bounded, so that a flood of input cannot keep the program from drawing.
  for (int i = 0; i < 64; ++i) {
    pollfd p{g.inFd, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0) return;
    ssize_t n = ::read(g.inFd, buffer, sizeof buffer);
    if (n > 0) {
      decoder.feed(std::string_view(buffer, static_cast<size_t>(n)), monotonicMs());
      continue;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    fail(kFileIoError, "terminal input");  // the terminal has gone away
  }
}

void NcursesTerminal::Impl::restore() {
  if (restored) return;
  restored = true;
  {
    SignalsHeld held;
    if (g.active) {
      g.active = 0;
      std::string extra;
      if (mouse) extra += kMouseOff;
      extra += shapeReset;
      if (sizeRequested)
        extra += "\x1b[8;" + std::to_string(originalLines) + ";" + std::to_string(originalColumns) + "t";
      ::refresh();
      writeAll(g.outFd, extra.data(), extra.size());
      endwin();
    }
  }
  if (ownsSignals) removeHandlers();
  ownsSignals = false;
}

// ---------------------------------------------------------------------------------

NcursesTerminal::NcursesTerminal(bool mouse) : impl_(std::make_unique<Impl>()) {
  try {
    impl_->start(mouse);
  } catch (...) {
    impl_->restore();
    if (impl_->ownsWakePipe) closeWakePipe();
    throw;
  }
}

NcursesTerminal::~NcursesTerminal() {
  restore();
  if (impl_->screen) delscreen(impl_->screen);
  if (impl_->ownsWakePipe) closeWakePipe();
}

void NcursesTerminal::restore() { impl_->restore(); }

void NcursesTerminal::show(const Screen& screen) {
  if (!impl_->restored) impl_->show(screen);
}

void NcursesTerminal::outputTick(const Screen& screen) {
  if (impl_->restored) return;
  if (monotonicMs() - impl_->lastDrawMs >= kFrameMs) impl_->show(screen);
}

std::string NcursesTerminal::pollKey() {
  if (impl_->restored) return {};
  impl_->readInput();
  return impl_->decoder.nextKey(monotonicMs());
}

bool NcursesTerminal::pollMouse(MouseState& state) {
  if (!impl_->mouse || impl_->restored) return false;
  impl_->readInput();
  state = impl_->decoder.takeMouse();
  if (impl_->tooSmall) state.left = false;  // the picture under the pointer is not there
  return true;
}

void NcursesTerminal::pause(int ms) {
  if (impl_->restored || ms <= 0) {
    if (ms > 0) ::poll(nullptr, 0, ms);
    return;
  }
  // What is waiting already is taken first, so it cannot cut this pause short again
  // and again in a loop that does not read keys.
  impl_->readInput();
  const int64_t end = monotonicMs() + ms;
  while (true) {
    int64_t left = end - monotonicMs();
    if (left <= 0) return;
    pollfd fds[2] = {{g.inFd, POLLIN, 0}, {g.wake[0], POLLIN, 0}};
    int n = ::poll(fds, g.wake[0] >= 0 ? 2 : 1, static_cast<int>(left));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    if (fds[0].revents) {
      impl_->readInput();
      return;
    }
    if (fds[1].revents) {  // a resize: the caller will draw, as the handler noted
      char drain[64];
      while (::read(g.wake[0], drain, sizeof drain) > 0) {
      }
      return;
    }
  }
}

LocalTime NcursesTerminal::now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  LocalTime lt;
  lt.year = tm.tm_year + 1900;
  lt.month = tm.tm_mon + 1;
  lt.day = tm.tm_mday;
  lt.hour = tm.tm_hour;
  lt.minute = tm.tm_min;
  lt.second = tm.tm_sec;
  return lt;
}

bool NcursesTerminal::resize(int rows) {
  if (impl_->restored) return false;
  impl_->takeSignals();
  if (LINES >= rows && COLS >= Screen::kColumns) return true;
  // xterm's window request; until the terminal has the rows, show() puts up the
  // notice instead of a picture that does not fit.
  std::string request = "\x1b[8;" + std::to_string(rows) + ";" + std::to_string(Screen::kColumns) + "t";
  ::refresh();
  writeAll(g.outFd, request.data(), request.size());
  impl_->sizeRequested = true;
  impl_->prepareRestore();
  return true;
}

}  // namespace kivo
