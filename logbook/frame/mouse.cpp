#include "logbook/frame/mouse.h"

#include <string>

#include "logbook/entities/worked_update.h"
#include "logbook/frame/browse.h"
#include "logbook/frame/key_dispatch.h"
#include "logbook/frame/page_moves.h"
#include "logbook/records/line_editor.h"
#include "logbook/records/log_store.h"

namespace kivo {

namespace {

// Looks at the mouse before a held button starts to repeat: half a second.
constexpr int kHoldPolls = 500 / kInputPollMs;

// What a click did, as the wait for a key sees it.
using Click = std::optional<HandlerResult>;
const Click kWaitGoesOn = std::nullopt;

// A function key's click ends the wait only when the screen is to be built anew.
Click endsWaitOnRebuild(HandlerResult result) { return result == HandlerResult::Rebuild ? Click(result) : kWaitGoesOn; }

Click clickLegend(Logbook& lb, const std::string& word) {
  // "F1=Search" ... "F6=NewFile"; F3 has no word, so a digit between is nothing.
  if (word.size() < 2 || word[1] < '1' || word[1] > '6' || word[1] == '3') return kWaitGoesOn;
  return endsWaitOnRebuild(functionKey(lb, static_cast<FunctionKey>(word[1] - '0')));
}

Click clickCommandWord(Logbook& lb, const std::string& word) {
  if (word == "PGUP")
    previousPage(lb);
  else if (word == "PGDN")
    nextPage(lb);
  else if (word == "HOME")
    firstPage(lb);
  else if (word == "END")
    lastPage(lb);
  else if (word == "EXIT")
    return HandlerResult::Leave;  // through the exit sequence, as Esc
  else if (word == "REAL")
    return endsWaitOnRebuild(switchRealTime(lb));
  else if (word == "UPDATE") {
    lb.browse.scrollMode = ScrollMode::Update;
    return HandlerResult::Handled;  // the pass ends, and the run begins with the next
  }
  return kWaitGoesOn;
}

// Acts on a click at a screen cell counted from 1.
Click clickAt(Logbook& lb, int row, int column) {
  const int rows = lb.config.screenRows;
  // A terminal larger than the screen reports clicks beside or below it; there is
  // nothing there to act on, and the cursor cannot be put there.
  if (row > rows || column > Screen::kColumns) return kWaitGoesOn;
  if (row >= kFirstRecordRow && row <= lastRecordRow(lb)) {
    if (lb.browse.firstShown + row - kFirstRecordRow <= recordCount(lb) + 1) selectRow(lb, row, column);
    return kWaitGoesOn;
  }
  const std::string word = lb.console.screen().wordAt(row, column);
  if (row == rows) return clickLegend(lb, word);
  if (row == kCommandWordsRow) return clickCommandWord(lb, word);
  return kWaitGoesOn;
}

}  // namespace

std::optional<HandlerResult> pollMouse(Logbook& lb) {
  MouseState m;
  if (!lb.console.pollMouse(m)) return kWaitGoesOn;
  MouseHold& hold = lb.mouseHold;
  if (!m.left) {
    hold.pressed = false;
    hold.repeating = false;
    return kWaitGoesOn;
  }
  if (hold.pressed && !hold.repeating) {
    if (++hold.polls > kHoldPolls) {
      hold.polls = 0;
      hold.pressed = false;
      hold.repeating = true;
    }
    return kWaitGoesOn;
  }
  hold.pressed = true;
  const Click clicked = clickAt(lb, m.row + 1, m.column + 1);
  // A row or a page the click left saves the line; its contact goes into the award
  // tables at once, as a key's does.
  settleSavedContacts(lb);
  return clicked;
}

}  // namespace kivo
