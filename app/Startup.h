#pragma once

#include <string>

// The program's windows from start to end. GUI thread only.

// Creates frmMain, frmSetup and frmPlayList in this order, each running its create handler:
// the setup dialog loads the settings (and may show the welcome message), the playlist dialog
// loads the playlist from `programDir`. Errors go to the standard error box; false when a
// window could not be made.
bool CreateWindows(const std::string& programDir);

// The end of the program: the dialogs' destroy handlers store the playlist and the settings,
// then every window goes. The main window's close handler is not run here.
void DestroyWindows();
