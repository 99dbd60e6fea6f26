#pragma once

#include <ostream>

// Runs one kxvuz command line. Exit status: 0 done; 1 a mission that fails validation, or an install
// that failed and was restored; 2 a bad command line or a file that cannot be read or written (one line
// on err); 3 an install that stopped before any game file changed.
int RunKxvuz(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             bool errIsTerminal = false);
