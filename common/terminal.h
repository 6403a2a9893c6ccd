#pragma once
// The device behind the screen: draws a Screen and turns the user's input into keys
// and mouse states; it also owns the clock and the polling pause.
#include <string>

#include "common/screen.h"

namespace kivo {

struct LocalTime {
  int year = 2000;  // full year
  int month = 1;    // 1-12
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct MouseState {
  int row = 0;     // text cell, counted from 0
  int column = 0;  // counted from 0
  bool left = false;
};

// Keys are text as on the original console: empty (no key), one byte, or two bytes
// for an extended key, 0x00 followed by the PC scan code.
namespace keys {
inline std::string extended(unsigned char scan) { return std::string(1, '\0') + static_cast<char>(scan); }
inline constexpr unsigned char kF1 = 0x3B, kF2 = 0x3C, kF3 = 0x3D, kF4 = 0x3E, kF5 = 0x3F, kF6 = 0x40;
inline constexpr unsigned char kHome = 0x47, kUp = 0x48, kPgUp = 0x49, kLeft = 0x4B, kRight = 0x4D;
inline constexpr unsigned char kEnd = 0x4F, kDown = 0x50, kPgDn = 0x51, kInsert = 0x52, kDelete = 0x53;
inline constexpr unsigned char kShiftTab = 0x0F;
inline constexpr unsigned char kAltA = 0x1E, kAltD = 0x20, kAltE = 0x12, kAltL = 0x26, kAltS = 0x1F, kAltU = 0x16;
// The control keys, as the byte of a one-byte key and as that key.
inline constexpr unsigned char kEscByte = 0x1B, kEnterByte = 0x0D, kBackspaceByte = 0x08, kTabByte = 0x09;
inline const std::string kEsc(1, static_cast<char>(kEscByte));
inline const std::string kEnter(1, static_cast<char>(kEnterByte));
inline const std::string kBackspace(1, static_cast<char>(kBackspaceByte));
inline const std::string kTab(1, static_cast<char>(kTabByte));
}  // namespace keys

class Terminal {
 public:
  virtual ~Terminal() = default;
  // Brings the terminal up to date with the screen (only when it changed).
  virtual void show(const Screen& screen) = 0;
  // Called during long output; may draw, but at most about 30 times a second.
  virtual void outputTick(const Screen& screen) { (void)screen; }
  // The next key, or an empty text when none is waiting. Never blocks.
  virtual std::string pollKey() = 0;
  // The mouse state at this moment; false when there is no mouse.
  virtual bool pollMouse(MouseState& state) = 0;
  // Waits up to `ms` milliseconds, returning early when input arrives.
  virtual void pause(int ms) = 0;
  virtual LocalTime now() = 0;
  // Asks for a screen of `rows` rows; false when the terminal cannot give it.
  virtual bool resize(int rows) {
    (void)rows;
    return true;
  }
};

}  // namespace kivo
