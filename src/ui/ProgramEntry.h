#pragma once

class TProgForm;

// The main window, set while the program runs it.
extern TProgForm* ProgForm;

// Brings up the application, shows the window and runs the message loop until it closes.
// An exception that escapes is shown in a box. Always returns 0.
int RunProgram(int argc, char* argv[]);
