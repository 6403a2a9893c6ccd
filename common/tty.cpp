#include "common/tty.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "common/fatal.h"
#include "common/fd_io.h"
#include "common/key_decoder.h"

namespace kivo::tty {

namespace {

constexpr int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kCrashSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};

// The terminal as this process holds it. The signal handlers may run at any moment,
// so everything they use is here, prepared beforehand as plain bytes.
struct HeldTerminal {
  volatile sig_atomic_t active = 0;   // the terminal is ours and must be given back
  volatile sig_atomic_t resized = 0;  // SIGWINCH came
  volatile sig_atomic_t resumed = 0;  // back from Ctrl-Z
  int inFd = STDIN_FILENO;
  int outFd = STDOUT_FILENO;
  int wake[2] = {-1, -1};  // the handlers wake a waiting pause through this pipe
  termios shellModes{};
  termios programModes{};
  char restore[512] = {};
  size_t restoreLength = 0;
  char resume[256] = {};
  size_t resumeLength = 0;
  struct sigaction previous[NSIG] = {};
  bool installed[NSIG] = {};
};
HeldTerminal heldTerminal;

void wakePause(char why) {
  if (heldTerminal.wake[1] >= 0) (void)!::write(heldTerminal.wake[1], &why, 1);
}

// Gives the terminal back; safe inside a signal handler.
void restoreRaw() {
  if (!heldTerminal.active) return;
  heldTerminal.active = 0;
  (void)writeAll(heldTerminal.outFd, heldTerminal.restore, heldTerminal.restoreLength);
  tcsetattr(heldTerminal.inFd, TCSADRAIN, &heldTerminal.shellModes);
}

void setDefaultAction(int sig) {
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(sig, &dfl, nullptr);
}

void reraise(int sig) {
  setDefaultAction(sig);
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
  const struct sigaction& before = heldTerminal.previous[sig];
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
  heldTerminal.resized = 1;
  wakePause('w');
  errno = saved;
}

extern "C" void onStop(int sig) {
  int saved = errno;
  bool wasActive = heldTerminal.active;
  restoreRaw();
  struct sigaction mine = {};
  sigaction(sig, nullptr, &mine);
  setDefaultAction(sig);
  raise(sig);
  sigset_t stop, old;
  sigemptyset(&stop);
  sigaddset(&stop, sig);
  sigprocmask(SIG_UNBLOCK, &stop, &old);  // the process stops here until SIGCONT
  sigprocmask(SIG_SETMASK, &old, nullptr);
  sigaction(sig, &mine, nullptr);
  if (wasActive) {
    tcsetattr(heldTerminal.inFd, TCSADRAIN, &heldTerminal.programModes);
    (void)writeAll(heldTerminal.outFd, heldTerminal.resume, heldTerminal.resumeLength);
    heldTerminal.active = 1;
    heldTerminal.resumed = 1;
    heldTerminal.resized = 1;
    wakePause('c');
  }
  errno = saved;
}

extern "C" void restoreAtExit() { restoreRaw(); }

void install(int sig, void (*handler)(int), int flags) {
  struct sigaction now {};
  sigaction(sig, nullptr, &now);
  // A signal that was ignored when we started (nohup, a shell without job control)
  // stays ignored, as every well-behaved program does.
  if (now.sa_handler == SIG_IGN) return;
  struct sigaction act {};
  act.sa_handler = handler;
  sigemptyset(&act.sa_mask);
  act.sa_flags = flags;
  if (sigaction(sig, &act, &heldTerminal.previous[sig]) == 0) heldTerminal.installed[sig] = true;
}

void installCrash(int sig) {
  struct sigaction act {};
  act.sa_sigaction = onCrashSignal;
  sigemptyset(&act.sa_mask);
  act.sa_flags = SA_SIGINFO;
  if (sigaction(sig, &act, &heldTerminal.previous[sig]) == 0) heldTerminal.installed[sig] = true;
}

void installHandlers() {
  for (int sig : kEndSignals) install(sig, onEndSignal, 0);
  for (int sig : kCrashSignals) installCrash(sig);
  install(SIGWINCH, onResize, SA_RESTART);
  install(SIGTSTP, onStop, SA_RESTART);
}

// The one place the wake pipe is emptied: a pause that it woke.
void drainWakePipe() {
  char drain[64];
  while (::read(heldTerminal.wake[0], drain, sizeof drain) > 0) {
  }
}

}  // namespace

void take() {
  if (!isatty(heldTerminal.inFd) || !isatty(heldTerminal.outFd))
    fail(kIllegalFunctionCall, "terminal: input and output must be a terminal");
  if (heldTerminal.active) fail(kIllegalFunctionCall, "terminal already in use");
  tcgetattr(heldTerminal.inFd, &heldTerminal.shellModes);
  if (pipe2(heldTerminal.wake, O_NONBLOCK | O_CLOEXEC) != 0) heldTerminal.wake[0] = heldTerminal.wake[1] = -1;
  installHandlers();
}

void enterProgramModes() {
  termios t{};
  tcgetattr(heldTerminal.inFd, &t);
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | ISTRIP | INLCR | IGNCR | ICRNL);
  t.c_lflag |= ISIG;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  tcsetattr(heldTerminal.inFd, TCSADRAIN, &t);
  heldTerminal.programModes = t;
}

void prepareBytes(std::string_view restore, std::string_view resume) {
  SignalsHeld held;
  heldTerminal.restoreLength = std::min(restore.size(), sizeof heldTerminal.restore);
  std::memcpy(heldTerminal.restore, restore.data(), heldTerminal.restoreLength);
  heldTerminal.resumeLength = std::min(resume.size(), sizeof heldTerminal.resume);
  std::memcpy(heldTerminal.resume, resume.data(), heldTerminal.resumeLength);
}

void activate() {
  heldTerminal.active = 1;
  static bool atExitRegistered = false;
  if (!atExitRegistered) atExitRegistered = std::atexit(restoreAtExit) == 0;
}

bool release() {
  if (!heldTerminal.active) return false;
  heldTerminal.active = 0;
  return true;
}

void removeHandlers() {
  for (int sig = 1; sig < NSIG; ++sig) {
    if (!heldTerminal.installed[sig]) continue;
    sigaction(sig, &heldTerminal.previous[sig], nullptr);
    heldTerminal.installed[sig] = false;
  }
}

void closeWakePipe() {
  for (int& fd : heldTerminal.wake) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

SignalNotes takeSignalNotes() {
  SignalNotes notes;
  if (heldTerminal.resumed) {
    heldTerminal.resumed = 0;
    notes.resumed = true;
  }
  if (heldTerminal.resized) {
    heldTerminal.resized = 0;
    notes.resized = true;
  }
  return notes;
}

bool windowSize(int& rows, int& columns) {
  winsize ws{};
  if (ioctl(heldTerminal.outFd, TIOCGWINSZ, &ws) != 0 || ws.ws_row == 0 || ws.ws_col == 0) return false;
  rows = ws.ws_row;
  columns = ws.ws_col;
  return true;
}

void send(std::string_view bytes) { (void)writeAll(heldTerminal.outFd, bytes.data(), bytes.size()); }

void readInput(KeyDecoder& decoder) {
  char buffer[512];
  for (int i = 0; i < 64; ++i) {
    pollfd p{heldTerminal.inFd, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0) return;
    ssize_t n = ::read(heldTerminal.inFd, buffer, sizeof buffer);
    if (n > 0) {
      decoder.feed(std::string_view(buffer, static_cast<size_t>(n)), monotonicMs());
      continue;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    fail(kFileIoError, "terminal input");  // the terminal has gone away
  }
}

Woken waitForInput(int ms) {
  const int64_t end = monotonicMs() + ms;
  while (true) {
    int64_t left = end - monotonicMs();
    if (left <= 0) return Woken::kTimeout;
    pollfd fds[2] = {{heldTerminal.inFd, POLLIN, 0}, {heldTerminal.wake[0], POLLIN, 0}};
    int n = ::poll(fds, heldTerminal.wake[0] >= 0 ? 2 : 1, static_cast<int>(left));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Woken::kTimeout;
    if (fds[0].revents) return Woken::kInput;
    if (fds[1].revents) {
      drainWakePipe();
      return Woken::kSignal;
    }
  }
}

void sleepMs(int ms) {
  if (ms > 0) ::poll(nullptr, 0, ms);
}

int64_t monotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

LocalTime localTime() {
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

SignalsHeld::SignalsHeld() {
  sigset_t all;
  sigfillset(&all);
  sigdelset(&all, SIGSEGV);
  sigdelset(&all, SIGBUS);
  sigdelset(&all, SIGFPE);
  sigdelset(&all, SIGILL);
  pthread_sigmask(SIG_BLOCK, &all, &old_);
}

SignalsHeld::~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

}  // namespace kivo::tty
