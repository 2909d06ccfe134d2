// The shell's default action, with which the program opens its help page,
// folders and links.
#pragma once

// Opens a file, a folder or a link with the shell's default action
// (ShellExecuteA, no verb, no parameters, shown normally); the shell reports
// its own errors and the result is not examined. Goes through
// shellOpenHandler, which tests may point at a recorder.
void ShellOpen(const char* target);
extern void (*shellOpenHandler)(const char* target);

// Opens programFolder + "ReadMe.htm", the help page, with the shell.
void OpenHelpPage();
