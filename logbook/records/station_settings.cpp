#include "logbook/records/station_settings.h"

#include "common/fatal.h"

namespace kivo {

StationSettings readStationSettings(const std::string& path) {
  StationSettings settings;
  // Read under the file-error trap: a missing or unreadable file leaves the values empty.
  std::string bytes;
  try {
    bytes = readWholeFile(path, kMaxTableBytes);
  } catch (const FileTooLarge&) {
    throw;
  } catch (const RuntimeError&) {
    return settings;
  }
  InputItemReader items(std::move(bytes));
  for (std::string* v : settings.values())
    if (!items.next(*v)) break;
  return settings;
}

void loadStationSettings(Logbook& lb) { lb.settings = readStationSettings(kSettingsFile); }

void saveStationSettings(const Logbook& lb) {
  std::string bytes;
  for (const std::string* v : lb.settings.values()) bytes += "\"" + *v + "\"\r\n";
  writeFileAtomically(kSettingsFile, bytes);
}

}  // namespace kivo
