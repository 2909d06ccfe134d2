// The arguments of a command line as the program reads them: arguments are
// runs of characters between blanks (spaces or tabs); a stretch in double
// quotes is one argument with its blanks, and the quotes themselves are left
// out. Argument 0 is the program's path. Portable: the Windows side passes
// the process's own command line (GetCommandArgument, app/shell.h).
#pragma once

#include <cstddef>

// Results of CommandArgument.
constexpr int kArgumentFound = 1;       // copied, and not empty
constexpr int kArgumentMissing = 2;     // the line has no such argument; output emptied
constexpr int kArgumentUnbalanced = 3;  // an odd number of double quotes; output untouched
constexpr int kArgumentEmpty = 4;       // "" (or too long to hold); output emptied

// Copies argument `number` of commandLine into output (outputSize bytes with
// the terminator). Inside quotes a blank is kept and comes out as a space;
// every other byte comes out as it is. An argument longer than
// outputSize - 1 characters is refused like an empty one, so that no path is
// ever cut short into the name of another file.
int CommandArgument(const char* commandLine, int number, char* output, size_t outputSize);
