#pragma once

#include <functional>
#include <string>

// Modal message boxes with one OK button, and the application title that captions them.

enum class TMessageKind { Information, Warning, Error };

// Shows `text` in a modal box with one OK button under `caption` (the application title when
// empty). On the GUI thread it returns when the user has closed the box; from another thread
// the box is queued to the GUI thread and the call returns at once. Without a QApplication the
// text goes to standard error.
void ShowMessageBox(const std::string& text, const std::string& caption, TMessageKind kind);

// Receives every message box instead of the screen while set (tests); an empty function
// restores the real boxes.
using TMessageBoxHandler =
    std::function<void(const std::string& text, const std::string& caption, TMessageKind kind)>;
void SetMessageBoxHandler(TMessageBoxHandler handler);

// The application title, a property of the application object; "" before one is set.
std::string ApplicationTitle();
void SetApplicationTitle(const std::string& title);
