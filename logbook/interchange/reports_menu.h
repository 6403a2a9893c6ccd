#pragma once
// The numbered reports menu (F5): the one way into every report and conversion.
#include <string>

#include "logbook/logbook.h"

namespace kivo {

inline constexpr const char* kNewFileQuestion = "What name do you want for the new file? ";
inline constexpr const char* kQslFileQuestion = "What is the name of the ADIF file with the QSL's? ";

// Shows the menu, asks for the choice and the file, runs the function and reopens
// the log (the new file becomes the log after a conversion).
void runReportsMenu(Logbook& lb);

// An answer to a question of the menu or its functions: the first input item of the
// line typed, in upper case.
std::string readMenuAnswer(Logbook& lb);

}  // namespace kivo
