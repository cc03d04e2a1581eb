#pragma once

#include <string>

class QUrl;

// Opening documents and addresses with the desktop's handler.

// The address that ShellExecute opens for `document`: a text with a scheme ("https://...")
// is taken as an address; anything else is a file path, relative ones resolved against the
// current directory.
QUrl ShellUrl(const std::string& document);

// Opens `document` with the desktop's handler (the browser through xdg-open), as the verb
// "open" does. Nothing happens for a text that is empty once blanks and control characters are
// trimmed. The outcome is not reported: a missing browser or file is ignored. GUI thread only.
void ShellExecute(const std::string& document);
