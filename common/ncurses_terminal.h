#pragma once
// The real terminal, through ncurses (wide-character build). The only part of the
// system that knows about ncurses; everything else sees the Terminal interface.
#include <memory>

#include "common/terminal.h"

namespace kivo {

class NcursesTerminal : public Terminal {
 public:
  // Takes over the terminal. With `mouse` off, no mouse reporting is asked for and
  // pollMouse always fails.
  explicit NcursesTerminal(bool mouse);
  ~NcursesTerminal() override;
  NcursesTerminal(const NcursesTerminal&) = delete;
  NcursesTerminal& operator=(const NcursesTerminal&) = delete;

  void show(const Screen& screen) override;
  void outputTick(const Screen& screen) override;
  std::string pollKey() override;
  bool pollMouse(MouseState& state) override;
  void pause(int ms) override;
  LocalTime now() override;
  bool resize(int rows) override;

  // Gives the terminal back as it was found (idempotent). Also done by the
  // destructor and by the signal handlers.
  void restore();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kivo
