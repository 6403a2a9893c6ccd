// The state object is built here, where the tables it holds are complete types.
#include "logbook/entities/country_table.h"
#include "logbook/entities/grid_table.h"
#include "logbook/logbook.h"

namespace kivo {

Logbook::Logbook(Console& c)
    : console(c), countries(std::make_unique<CountryTable>()), grid(std::make_unique<GridTable>()) {}

Logbook::~Logbook() = default;

}  // namespace kivo
