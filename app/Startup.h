#pragma once

#include <string>
#include <vector>

class TApplication;
struct TMprisLinks;

// The program's windows from start to end. GUI thread only.

// Creates frmMain, frmSetup, frmPlayList, frmInfo and frmAbout in this order, each running its
// create handler: the main window reads the high scores and the playlist dialog the playlist,
// both from `filesDir` (the stored files' folder); the setup dialog loads the settings (and
// may show the welcome message). Errors go to the standard error box; false when a window
// could not be made.
bool CreateWindows(const std::string& filesDir);

// Shows the main window, adds and plays `modules` (from the command line), puts the desktop's
// player controls (MPRIS) on the session bus, and runs the event loop until the program ends;
// returns the program's exit status. Returns 0 at once when an end was asked for during
// start-up, and 1 after a fatal sound error.
int RunProgram(TApplication& app, const std::vector<std::string>& modules);

// The desktop's player controls (MPRIS), driven through the main window's own handlers.
TMprisLinks MprisLinks();

// Modules handed over by another start of the program: added and played at once, or once the
// main window is shown when they come during start-up.
void OpenModules(const std::vector<std::string>& modules);

// Ends the program through its normal end path from whatever state its windows are in (a
// termination signal): the game window and every modal dialog and box close as their close
// boxes would, boxes from then on go to standard error, and once the handlers below them have
// returned, the main window closes. During start-up the request is kept and RunProgram returns
// at once.
void RequestEnd();

// Stores the settings, the playlist and the high scores now, without ending (the session
// manager's request to save); boxes meanwhile go to standard error.
void CommitData();

// The end of the program: the dialogs' destroy handlers store the playlist and the settings,
// then every window goes. The main window's close handler is not run here; after a fatal sound
// error, when it never ran, the high-score list is still written as the main window goes.
void DestroyWindows();
