#include "common/fatal.h"
#include "logbook/frame/startup.h"

namespace kivo {

void loadStationSettings(Logbook& lb) {
  for (std::string* v : lb.settings.values()) v->clear();
  // Read under the file-error trap: a missing or unreadable file leaves the values empty.
  lb.openFailed = false;
  std::string bytes;
  try {
    bytes = readWholeFile(kSettingsFile);
  } catch (const RuntimeError&) {
    lb.openFailed = true;
  }
  if (!lb.openFailed) {
    InputItemReader items(std::move(bytes));
    for (std::string* v : lb.settings.values())
      if (!items.next(*v)) break;
  }
  lb.openFailed = false;  // ending the trap clears the flag
}

void saveStationSettings(const Logbook& lb) {
  std::string bytes;
  for (const std::string* v : lb.settings.values()) bytes += "\"" + *v + "\"\r\n";
  writeFileAtomically(kSettingsFile, bytes);
}

}  // namespace kivo
