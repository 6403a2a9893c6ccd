#include "logbook/frame/browse.h"

#include <string>

#include "common/text.h"
#include "common/worked.h"
#include "logbook/entities/country_fill.h"
#include "logbook/entities/worked_update.h"
#include "logbook/frame/key_dispatch.h"
#include "logbook/frame/mouse.h"
#include "logbook/frame/realtime.h"
#include "logbook/records/line_editor.h"
#include "logbook/records/log_store.h"

namespace kivo {

namespace {

constexpr int kMessageColumn = 51;
constexpr int kMessageWidth = 30;
constexpr int kFileColumn = 41;
constexpr int kRecordColumn = 65;
constexpr int kCommandWordsColumn = 24;
constexpr int kRealtimeColumn = 70;

void showMessages(Logbook& lb) {
  if (!lb.tables.workedUpdated && !lb.tables.gridUpdated) return;
  Console& con = lb.console;
  CursorKeeper keep(con);
  con.color(palette::kBlinking);
  // When both are set, the second message covers the first.
  if (lb.tables.gridUpdated) {
    con.locate(commentRow(lb), kMessageColumn);
    con.print(kGridMessage);
  }
  if (lb.tables.workedUpdated) {
    con.locate(commentRow(lb), kMessageColumn);
    con.print(kWorkedMessage);
  }
  con.color(palette::kCurrentLine);
  keep.restore();
}

void clearMessages(Logbook& lb) {
  lb.tables.workedUpdated = false;
  lb.tables.gridUpdated = false;
  Console& con = lb.console;
  CursorKeeper keep(con);
  con.color(palette::kRecords);
  con.locate(commentRow(lb), kMessageColumn - 1);
  con.print(std::string(kMessageWidth, ' '));
  con.color(palette::kCurrentLine);
  keep.restore();
}

// The fills at the start of a pass, in their order: the waiting station or the time
// off, then the entity of a new callsign (in real-time mode after the radio fill).
void automaticFills(Logbook& lb) {
  if (lb.autoLog.pending) {
    autoLogFill(lb);
  } else {
    fillTimeOff(lb);
  }
  if (!countryFillDue(lb)) return;
  if (lb.browse.realTimeMode) {
    CursorKeeper keep(lb.console);
    autoLogFill(lb);
    keep.restore();
  }
  fillCountry(lb);
}

// A scroll run looks at the keyboard and draws the frame every so many records, not
// for each one: a key still stops it at once (well within a millisecond), and the
// frame is drawn again when the run ends.
constexpr long long kRunPollEvery = 64;
constexpr long long kRunFrameEvery = 512;

// A scroll run moves down one record per pass, as if Down were pressed; a key stops
// the run after this move. The run goes as fast as the log allows.
HandlerResult scrollRunStep(Logbook& lb) {
  BrowseState& b = lb.browse;
  const bool look = b.runStep++ % kRunPollEvery == 0;
  if (look && !lb.console.inkeyDuringOutput().empty()) {
    b.scrollMode = ScrollMode::None;
  } else {
    lb.lineModified = true;
    if (b.scrollMode == ScrollMode::MarkSentLotw) {
      uint8_t& sent = lb.record.bytes[static_cast<size_t>(fieldInfo(Field::SR).offset)];
      sent = (sent == ' ' || sent == kMarkLotw) ? kMarkLotw : kMarkBoth;
    }
  }
  clearMessages(lb);
  return dispatchKey(lb, keys::extended(keys::kDown));
}

// Waits for a key, looking at the mouse between looks at the keyboard, and acts on
// the key or the click that ends the wait.
HandlerResult waitAndAct(Logbook& lb) {
  while (true) {
    const std::string key = lb.console.inkey();
    if (!key.empty()) {
      clearMessages(lb);
      return dispatchKey(lb, key);
    }
    lb.console.pause(kInputPollMs);
    if (!lb.config.mouseEnabled) continue;
    if (const std::optional<HandlerResult> clicked = pollMouse(lb)) {
      clearMessages(lb);
      return *clicked;
    }
  }
}

}  // namespace

void drawFrame(Logbook& lb) {
  Console& con = lb.console;
  CursorKeeper keep(con);
  const int rows = lb.config.screenRows;

  con.color(palette::kRecords);
  con.locate(1, 1);
  con.print(std::string(Screen::kColumns, ' '));
  con.locate(2, 1);
  con.print(std::string(Screen::kColumns, ' '));
  con.locate(1, 1);
  con.print(kBanner);
  con.locate(1, kFileColumn);
  // A long path must not run into the rows below: the screen is the edit buffer.
  con.print(fitWidth("File = " + lb.logFileName, kRecordColumn - kFileColumn));
  con.locate(1, kRecordColumn);
  con.print(fitWidth("Record =" + basicNumber(lb.browse.currentRecord), Screen::kColumns - kRecordColumn + 1));

  con.color(palette::kCaptions);
  con.locate(2, 1);
  con.print(kCaptions);
  con.color(palette::kCommandWords);
  con.locate(kCommandWordsRow, kCommandWordsColumn);
  con.print(kCommandWords);
  con.color(palette::kCaptions);
  con.locate(rows, 1);
  con.print(kKeyLegend);

  con.locate(kCommandWordsRow, kRealtimeColumn);
  if (lb.browse.realTimeMode) {
    con.color(palette::kBlinking);
    con.print("Realtime");
  } else {
    con.color(palette::kCaptions);
    con.print("        ");
  }
  con.color(palette::kCurrentLine);
  keep.restore();
  con.screen().setCursorVisible(true);
}

void buildScreen(Logbook& lb) {
  Console& con = lb.console;
  BrowseState& b = lb.browse;
  con.color(palette::kRecords);
  con.cls();
  const long long n = recordCount(lb);
  b.lastShown = n;
  b.firstShown = n < windowRows(lb) ? 1 : firstOfLastPage(lb, n);
  drawPage(lb);
  b.editRow = static_cast<int>(kFirstRecordRow + (b.lastShown - b.firstShown + 1));
  con.color(palette::kCurrentLine);
  b.currentRecord = n + 1;
  con.locate(b.editRow, 1);
  con.print(emptyRowText());
  con.locate(b.editRow, 1);
  con.screen().setCursorVisible(true);
  showCurrentLine(lb);
  drawFrame(lb);
  con.locate(b.editRow, b.realTimeMode ? fieldInfo(Field::STATION).column : 1);
  b.lastShown = n + 1;
}

bool commandPass(Logbook& lb) {
  BrowseState& b = lb.browse;
  automaticFills(lb);
  showMessages(lb);

  if (b.currentRecord > recordCount(lb)) b.scrollMode = ScrollMode::None;
  // A scroll run saves record after record: WORKED.CFM is read once for all of them.
  if (b.scrollMode != ScrollMode::None && !lb.tables.workedCache) beginWorkedBatch(lb);
  if (b.scrollMode == ScrollMode::None && lb.tables.workedCache) {
    // The run has ended: what it wrote goes to the disk once, and the frame shows
    // where it stopped.
    endWorkedBatch(lb);
    syncLog(lb);
    b.runStep = 0;
    drawFrame(lb);
  }
  const HandlerResult result = b.scrollMode != ScrollMode::None ? scrollRunStep(lb) : waitAndAct(lb);
  // What the key saved goes into the award tables before anything else happens.
  settleSavedContacts(lb);
  if (result == HandlerResult::Leave) return false;
  // The line editor and the commands leave the frame rows to us.
  if (result == HandlerResult::Rebuild) {
    buildScreen(lb);
  } else if (b.scrollMode == ScrollMode::None || b.runStep % kRunFrameEvery == 0) {
    drawFrame(lb);
  }
  return true;
}

void settleSavedContacts(Logbook& lb) {
  applySavedContacts(lb);
  if (lb.browse.scrollMode == ScrollMode::None) syncLog(lb);
}

int exitSequence(Logbook& lb) {
  saveCurrentLine(lb);
  applySavedContacts(lb);
  if (lb.tables.workedCache) endWorkedBatch(lb);
  closeLog(lb);
  lb.console.color(palette::kShell);
  lb.console.cls();
  removeFile(kRunMarker);
  return 0;
}

int runCommandLoop(Logbook& lb) {
  while (commandPass(lb)) {
  }
  return exitSequence(lb);
}

int browseLogbook(Logbook& lb) {
  buildScreen(lb);
  return runCommandLoop(lb);
}

}  // namespace kivo
