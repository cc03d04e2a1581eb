#pragma once

#include "gfx/DDraw3.h"

#include <stdexcept>
#include <string>

// The graphics layer's exception; its text is the failing operation's message, a colon, a
// blank and the DirectDraw name of the result.
class EDXError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The DirectDraw name of `result` ("DDERR_SURFACELOST"), or "Unknown Error: <code> (<code
// minus 0x88760000>)" for a code outside the table of 100.
std::string DDErrorName(HRESULT result);

// Nothing for 0; otherwise throws EDXError "<message>: <name of result>".
void DDCheck(HRESULT result, const std::string& message);
