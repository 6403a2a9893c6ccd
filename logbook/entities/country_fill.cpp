#include "logbook/entities/country_fill.h"

#include <string>

#include "logbook/entities/country_table.h"
#include "logbook/records/line_editor.h"

namespace kivo {

void fillCountry(Logbook& lb) {
  if (!countryFillDue(lb)) return;
  Console& con = lb.console;
  const int row = con.row();
  const int station = fieldInfo(Field::STATION).column;
  const int country = fieldInfo(Field::COUNTRY).column;
  std::string call;
  for (int c = station; c <= lastColumn(Field::STATION) && con.charAt(row, c) != ' '; ++c)
    call.push_back(static_cast<char>(con.charAt(row, c)));
  std::string name = lookupEntity(*lb.countries, call);
  con.locate(row, country);
  con.print(name.substr(0, static_cast<size_t>(fieldInfo(Field::COUNTRY).width)));
  lb.lineModified = true;
  con.locate(commentRow(lb), 1);
  if (lb.config.markBM) con.print("@BM ");
  if (lb.config.markAS) con.print("@AS ");
}

}  // namespace kivo
