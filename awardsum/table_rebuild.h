#pragma once
// The award tables made to say what the logs support.
#include <cstdio>
#include <string>

#include "awardsum/table_check.h"

namespace kivo {

// WORKED.CFM with every mark cell that disagrees with the logs rewritten to the mark
// they support; a "C" stays, as a credit is the user's own record that no log can
// give back. Every other byte is as read. `changed` counts the cells rewritten.
std::string rebuiltWorkedTable(const TableCheck& check, long long& changed);

// GRID.SQU with the squares the logs support: the file's lines of them in the
// file's order with the supported status in column 6 (the text behind it kept),
// then the squares the file lacks in log order. Lines that count as no square
// (five characters or fewer) and are no supported square's line stay where they
// are. Every line ends in CR LF, as the logbook writes it.
std::string rebuiltGridTable(const TableCheck& check);

// Holds the folders of the tables as a running logbook does, checks, prints the
// summary, and writes each table whose bytes change through a temporary file and a
// rename, after keeping the old one as <name>.bak. The exit status: 0 done, 2 a
// file that cannot be read, 3 a logbook holds the tables or a write failed (the
// tables then are as they were).
int runRebuild(const CheckFiles& files, std::FILE* out, std::FILE* err);

}  // namespace kivo
