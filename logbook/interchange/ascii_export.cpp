#include "logbook/interchange/ascii_export.h"

#include "logbook/records/log_store.h"
#include "logbook/records/printing.h"
#include "logbook/records/record_scanner.h"

namespace kivo {

void asciiExport(Logbook& lb, OutputFile& out) {
  const std::string formFeedLine = "\x0c\r\n";
  int onPage = 0;
  RecordScanner scan(lb.log, lb.browse.currentRecord, recordCount(lb));
  std::string line;
  while (const uint8_t* record = scan.next()) {
    if (onPage == 0) out.writeLine(kPrintHeader);
    line.clear();
    appendPrintLine(line, record);
    out.write(line);
    if (++onPage == kLinesPerPage) {
      onPage = 0;
      out.write(formFeedLine);
    }
  }
}

}  // namespace kivo
