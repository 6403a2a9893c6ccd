#include "logbook/entities/grid_table.h"

#include "common/files.h"

namespace kivo {

// The lines are kept exactly as read: a rewrite must give back whatever the user
// put behind the status column.
GridTable loadGridTable(const std::string& path) { return GridTable{readTextLines(path)}; }

}  // namespace kivo
