// The application shell on Windows: start-up, the folders, the one-instance
// rule, the message loop with its keyboard filter, and the ways the program
// ends. WinMain (app/main.cpp) is StartProgram followed by RunMessageLoop;
// tests run StartProgram with their own folders and drive the real window.
#pragma once

#include <windows.h>

#include <cstddef>

// The state of the shell (the folders and currentFileName are in
// core/folders.h, the windows in ui/).
extern bool ctrlHeld;  // the keyboard filter believes Ctrl is down
// The command line the arguments are read from; null: the process's own.
extern const char* programCommandLine;

constexpr char kInstanceMutexName[] = "Veldrana.exe";

// What start-up may take from elsewhere than the process itself; the program
// passes none of them.
struct StartOptions {
  const char* programFolder = nullptr;  // with dataFolder: both folders instead of FindFolders
  const char* dataFolder = nullptr;
  const char* mutexName = kInstanceMutexName;
  const char* commandLine = nullptr;  // instead of the process's command line
};

enum class StartResult { kStarted, kAlreadyRunning, kFailed };

// Everything before the message loop: folders, the one-instance mutex, the
// common controls, the settings, the window classes, the menu, and the main
// window created and shown at its remembered place. kAlreadyRunning: another
// instance holds the mutex, and nothing else was done. kFailed: the main
// window could not be made.
StartResult StartProgram(const StartOptions& options = StartOptions());
// Closes this process's handle on the one-instance mutex. The program never
// does (the mutex ends with the process); tests that start it again do.
void ReleaseInstanceMutex();

// Sets programFolder and dataFolder: the folder of the running program, and
// either that folder or, for an installed copy (a
// "DefSet.txt" beside it on a drive that is not removable), the user's
// application-data folder + "\Morvel\Veldrana\".
void FindFolders();

// Copies argument `number` of the command line into buffer (bufferSize bytes)
// and returns a result of CommandArgument (core/command_line.h).
int GetCommandArgument(int number, char* buffer, size_t bufferSize);

// One message as the loop handles it: key presses and releases through
// FilterKey, the rest offered to IsDialogMessageA for the main window and
// then translated and dispatched.
void HandleMessage(MSG* message);
// The keyboard filter for one WM_KEYDOWN or WM_KEYUP message.
void FilterKey(MSG* message);
// Runs the message loop until WM_QUIT, then writes the settings. Returns the
// exit code.
int RunMessageLoop();
