#include "logbook/records/station_settings.h"

#include "common/fatal.h"

namespace kivo {

void loadStationSettings(Logbook& lb) {
  for (std::string* v : lb.settings.values()) v->clear();
  // Read under the file-error trap: a missing or unreadable file leaves the values empty.
  std::string bytes;
  try {
    bytes = readWholeFile(kSettingsFile, kMaxTableBytes);
  } catch (const FileTooLarge&) {
    throw;
  } catch (const RuntimeError&) {
    return;
  }
  InputItemReader items(std::move(bytes));
  for (std::string* v : lb.settings.values())
    if (!items.next(*v)) break;
}

void saveStationSettings(const Logbook& lb) {
  std::string bytes;
  for (const std::string* v : lb.settings.values()) bytes += "\"" + *v + "\"\r\n";
  writeFileAtomically(kSettingsFile, bytes);
}

}  // namespace kivo
