#pragma once

#include <string>

// The sound library's errors: each thread keeps the last error of its own calls, as
// MIDASgetLastError and MIDASgetErrorMessage report it.

namespace midas {

// Records error `code` (a MIDAS_ERROR_ value) for the calling thread, its text the code's own
// with ": cause" when a cause is given; returns false, for `return fail(...)`.
bool fail(int code, const std::string& cause = {});
// Puts back an error taken before a call that may have replaced it.
void restoreLastError(int code, const std::string& text);

} // namespace midas
