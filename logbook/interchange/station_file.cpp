#include "logbook/interchange/station_file.h"

#include "common/console.h"
#include "logbook/interchange/whole_file.h"

namespace kivo {

StationSettings readStationSettings(const std::string& path) {
  StationSettings settings;
  std::string bytes;
  int error = 0;
  if (!readWholeBytes(path, bytes, error)) return settings;
  InputItemReader items(std::move(bytes));
  for (std::string* v : settings.values())
    if (!items.next(*v)) break;
  return settings;
}

}  // namespace kivo
