#pragma once
// Turns the bytes a terminal sends into the keys of the original console (one byte,
// or 0x00 and a PC scan code) and into the state of the mouse. It knows nothing of
// ncurses or of the clock: the caller says what time it is, so an Esc that may still
// start a sequence is settled by time without anybody sleeping.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "common/terminal.h"

namespace kivo {

// What a byte above 0x7F from the terminal is.
enum class HighBytes {
  kUtf8,          // part of a UTF-8 character; a byte that cannot be is the meta key
  kMeta,          // the meta key: Alt with the key of the low seven bits
  kUtf8OrLatin1,  // a UTF-8 character where the bytes form one, else a Latin-1 character
};

// How the terminal's characters are to be read under the locale's character set
// (nl_langinfo(CODESET)). A locale that names no character set at all says nothing
// about the terminal, which today most likely sends UTF-8 and otherwise Latin-1.
HighBytes highBytesForCodeset(std::string_view codeset);

class KeyDecoder {
 public:
  // A lone Esc (or Esc O, or the first byte of a character) becomes a key of its own
  // when nothing follows within this time.
  static constexpr int kEscWaitMs = 25;
  // A sequence that has begun (Esc [ ...) is given longer to arrive in full, as over a
  // slow link; if it never completes it is dropped, never turned into keys.
  static constexpr int kSequenceWaitMs = 200;
  // Keys the program has not taken yet; more are dropped, like a full keyboard buffer.
  static constexpr size_t kMaxQueuedKeys = 1024;

  // `utf8`: the terminal sends characters as UTF-8 (else every byte above 0x7F is
  // taken as a meta key).
  explicit KeyDecoder(bool utf8 = true) : highBytes_(utf8 ? HighBytes::kUtf8 : HighBytes::kMeta) {}
  explicit KeyDecoder(HighBytes highBytes) : highBytes_(highBytes) {}

  // Bytes read from the terminal at `nowMs` (any millisecond clock that never goes back).
  void feed(std::string_view bytes, int64_t nowMs);
  // The next key, or an empty text when no whole key is there yet.
  std::string nextKey(int64_t nowMs);

  // The mouse as the program should see it now. A press that was released again
  // before this poll is still reported once (pressed, where it was pressed), so a
  // quick click is never lost between two polls.
  MouseState takeMouse();

  // Bytes waiting for the rest of a sequence.
  bool pending() const { return !buffer_.empty(); }

 private:
  enum class Kind { Key, Mouse, Nothing, Incomplete };
  struct Step {
    Kind kind = Kind::Nothing;
    size_t length = 1;  // bytes taken
    std::string key;
    int waitMs = 0;  // for Incomplete: how long to wait for the rest
    // For Mouse: the report in SGR terms.
    int button = 0;
    int column = 0;
    int row = 0;
    bool release = false;
  };

  static Step makeKey(std::string key, size_t length);
  static Step nothing(size_t length);
  static Step incomplete(int waitMs);
  // `length` bytes that are no key: Incomplete while more may come.
  static Step unfinished(size_t length, bool final);
  void settle(int64_t nowMs);
  Step scan(std::string_view in, bool final) const;
  Step escape(std::string_view in, bool final) const;
  Step ss3(std::string_view in, bool final) const;
  Step highByte(std::string_view in, bool final) const;
  void apply(const Step& step);
  void applyMouse(int button, int column, int row, bool release);

  // Control sequences (Esc [), one parser for each family.
  static Step csi(std::string_view in, bool final);
  static Step linuxFunctionKey(std::string_view in, bool final);
  static Step x10Mouse(std::string_view in, bool final);
  static Step sgrMouse(std::string_view in, bool final);
  static Step otherSequence(std::string_view in, bool final);
  static Step keyOfSequence(std::string_view params, unsigned char final, size_t length);
  static Step legacyMouse(int button, int column, int row, size_t length);
  static Step dropLong(std::string_view in, size_t i);

  // Bytes above 0x7F.
  static Step metaKey(unsigned char b);
  static std::optional<Step> utf8Character(std::string_view in, bool final);
  static Step typedCharacter(char32_t ch, size_t length);

  HighBytes highBytes_;
  std::string buffer_;  // bytes waiting for the rest of a sequence
  int64_t lastFeedMs_ = 0;
  std::deque<std::string> keys_;
  MouseState mouse_;
  bool pressUnseen_ = false;
  MouseState pressedAt_;
};

}  // namespace kivo
