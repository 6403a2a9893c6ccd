#pragma once
// The terminal device under ncurses: the tty modes of the shell and of the program,
// the signal handlers that give the terminal back when the program is ended, crashes
// or is stopped, the pipe through which they wake a waiting pause, the reading of
// input and the clocks. One process holds one terminal, so this is one set of
// functions over one state, which the handlers share.
#include <csignal>
#include <cstdint>
#include <string_view>

#include "common/terminal.h"

namespace kivo {

class KeyDecoder;

namespace tty {

// Takes the terminal: notes the shell's modes, opens the wake pipe and puts the
// handlers in, before ncurses starts, so that it leaves the signals to us. Runtime
// error 1 when input or output is no terminal or the terminal is held already.
void take();
// Raw bytes for our own key decoder: Ctrl-C stays a signal; Ctrl-S and Ctrl-Q are
// plain keys; nothing translates CR or strips the eighth bit. Kept for the return
// from Ctrl-Z.
void enterProgramModes();
// The bytes that give the terminal back (sent by the handlers and at exit) and that
// take it again after Ctrl-Z; changed whenever what they undo changes.
void prepareBytes(std::string_view restore, std::string_view resume);
// From here on a signal, a crash or exit() gives the terminal back.
void activate();
// For the ordinary way out, which the caller then goes itself (with SignalsHeld):
// false when the terminal was not held, or a handler has given it back already.
bool release();
// The handlers of take() out again, the signals' earlier actions back. Idempotent.
void removeHandlers();
void closeWakePipe();

// What the handlers noted since the last call.
struct SignalNotes {
  bool resumed = false;  // back from Ctrl-Z: everything must be drawn again
  bool resized = false;  // SIGWINCH came
};
SignalNotes takeSignalNotes();
// The terminal's size now; false when it cannot say.
bool windowSize(int& rows, int& columns);

// To the terminal as it is. A terminal that has gone away shows at the next read.
void send(std::string_view bytes);
// What the terminal has sent, to the decoder; bounded, so that a flood of input cannot
// keep the program from drawing. Runtime error 3 when the terminal has gone away.
void readInput(KeyDecoder& decoder);

enum class Woken { kTimeout, kInput, kSignal };
// Waits up to `ms` milliseconds for input or a handler's note.
Woken waitForInput(int ms);
void sleepMs(int ms);

int64_t monotonicMs();
LocalTime localTime();

// Keeps the handlers out while the prepared bytes are changed or the terminal is
// given back the ordinary way; crashes still come through.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t old_;
};

}  // namespace tty
}  // namespace kivo
