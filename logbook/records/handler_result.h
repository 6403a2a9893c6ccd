#pragma once
// What a key, a click or a command did, so that the command pass can finish it.

namespace kivo {

enum class HandlerResult {
  Handled,  // done: the pass draws the frame rows again, as after every key
  Rebuild,  // the log, its length or the mode changed: the screen is built anew
  Leave,    // the user leaves the logbook
};

}  // namespace kivo
