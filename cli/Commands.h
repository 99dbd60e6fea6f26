#pragma once

#include <ostream>

class IFileSystem;

// Runs one kxvuz command line. Exit status: 0 done; 1 a mission that fails validation or a problem of the
// game checks, or an install that failed (restored, or with kxvuz restore to finish it); 2 a bad command
// line, a file that cannot be read or written, no complete backup set to restore, or a restore that did not
// finish (one line on err); 3 an install that stopped before any game file changed. beforeCancellable: called
// before a command that Ctrl-C cancels (install, restore) starts, to map Ctrl-C to a cancel; every other
// command keeps the system's default reaction to it. The words and what out and err take are the system's
// text, which kxvuz turns into and from the code page of its texts: UTF-8 on POSIX; on Windows the words are
// UTF-8, so that a mission file may be anywhere, and the game's folder is turned into the code page.
int RunKxvuz(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             bool errIsTerminal = false, void (*beforeCancellable)() = nullptr);
// The same, with every file operation going through fileSystem.
int RunKxvuz(IFileSystem& fileSystem, int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             bool errIsTerminal = false, void (*beforeCancellable)() = nullptr);
