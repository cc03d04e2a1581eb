#pragma once

#include <string>

// The program's windows from start to end. GUI thread only.

// Creates frmMain, frmSetup, frmPlayList, frmInfo and frmAbout in this order, each running its
// create handler: the main window reads the high scores and the playlist dialog the playlist,
// both from `programDir`; the setup dialog loads the settings (and may show the welcome
// message). Errors go to the standard error box; false when a
// window could not be made.
bool CreateWindows(const std::string& programDir);

// The end of the program: the dialogs' destroy handlers store the playlist and the settings,
// then every window goes. The main window's close handler is not run here; after a fatal sound
// error, when it never ran, the high-score list is still written as the main window goes.
void DestroyWindows();
