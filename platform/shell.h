#pragma once

#include <functional>
#include <string>

class QUrl;

// Opening documents and addresses with the desktop's handler.

// The address that ShellExecute opens for `document`: a text with a scheme ("https://...")
// is taken as an address; anything else is a file path, relative ones resolved against the
// current directory.
QUrl ShellUrl(const std::string& document);

// Opens `document` with the desktop's opener (xdg-open, found on PATH), as the verb "open"
// does, without waiting for it; the opener's output goes nowhere. When it cannot be started or
// ends in failure (no program for the document, a missing file), `failed` runs later on the GUI
// thread with the reason, a phrase such as "no program to open it was found". Nothing happens
// for a text that is empty once blanks and control characters are trimmed. An opener still
// running when the program ends is left running (with the browser it started). GUI thread only.
void ShellExecute(const std::string& document, std::function<void(const std::string& reason)> failed = {});
