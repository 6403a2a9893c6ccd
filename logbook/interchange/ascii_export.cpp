#include "logbook/interchange/ascii_export.h"

#include "logbook/records/log_store.h"
#include "logbook/records/printing.h"
#include "logbook/records/record_scanner.h"

namespace kivo {

void asciiExport(Logbook& lb, OutputFile& out) {
  const std::string formFeedLine = "\x0c\r\n";
  int onPage = 0;
  RecordScanner scan(lb.log, lb.browse.currentRecord, recordCount(lb));
  while (scan.next(lb.record)) {
    if (onPage == 0) out.writeLine(kPrintHeader);
    out.write(printLine(lb.record));
    if (++onPage == kLinesPerPage) {
      onPage = 0;
      out.write(formFeedLine);
    }
  }
}

}  // namespace kivo
