#pragma once
// What `kivoconv --help` prints.
namespace kivo {

inline constexpr const char* kKivoconvUsage =
    "Usage: kivoconv import [OPTIONS] FILE...\n"
    "       kivoconv export [OPTIONS]\n"
    "Moves contacts between a KIVOLOG log and the ADIF and Cabrillo files of other programs.\n"
    "\n"
    "import: adds the contacts of ADIF (.adi, any version, any layout) and Cabrillo (2.0, 3.0)\n"
    "files to a log, as if each had been typed on the browse screen and saved.\n"
    "  -l, --log LOG       the log to add to (default LOGMAIN.DAT; created when missing)\n"
    "  -n, --new FILE      write the contacts to a new log instead (refused when it exists)\n"
    "  -d, --station DIR   the folder of COUNTRY.DAT, WORKED.CFM and GRID.SQU (default .)\n"
    "  -w, --power W       the power of a contact that has none (default 100)\n"
    "      --no-tables     leave WORKED.CFM and GRID.SQU alone\n"
    "Contacts already in the log are not added again; records that cannot be read are\n"
    "written to FILE.rejected. One line per file tells what became of its records.\n"
    "\n"
    "export: writes the log as ADIF 3.1.4.\n"
    "  -l, --log LOG       the log to read (default LOGMAIN.DAT)\n"
    "  -o, --output FILE   the file to write (default standard output)\n"
    "  -d, --station DIR   the folder of KIVOLOG.INI, the operator's station (default .)\n"
    "      --from N        from record N\n"
    "      --to N          to record N\n"
    "      --since DATE    only contacts of DATE (YYYYMMDD) and later\n"
    "\n"
    "  -h, --help          this text\n"
    "      --version       the version\n"
    "Exit status: 0 all done, 1 some records rejected, 2 bad usage or an input that cannot\n"
    "be read, 3 a write failed (the log is as it was).\n";

}  // namespace kivo
