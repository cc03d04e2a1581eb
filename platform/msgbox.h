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

// Receives every message box instead of the screen while set (tests, an unattended end); an
// empty function restores the real boxes. Returns the handler it replaces.
using TMessageBoxHandler =
    std::function<void(const std::string& text, const std::string& caption, TMessageKind kind)>;
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);

// Writes a box to standard error as "caption: text" instead of showing it: the handler for a
// program that ends with no one to answer its boxes.
void PrintMessageBox(const std::string& text, const std::string& caption, TMessageKind kind);

// The application title, a property of the application object; "" before one is set.
std::string ApplicationTitle();
void SetApplicationTitle(const std::string& title);
