#include "music/MidasErrors.h"

#include "music/midasdll.h"

namespace {

struct LastError {
  int code = MIDAS_ERROR_NONE;
  std::string text;
};
thread_local LastError t_lastError;

const char* baseText(int code) {
  switch (code) {
  case MIDAS_ERROR_NONE: return "OK";
  case MIDAS_ERROR_UNDEFINED: return "Undefined error";
  case MIDAS_ERROR_OUT_OF_MEMORY: return "Out of memory";
  case MIDAS_ERROR_INVALID_ARGUMENT: return "Invalid argument";
  case MIDAS_ERROR_NOT_INITIALISED: return "The sound library is not initialised";
  case MIDAS_ERROR_ALREADY_INITIALISED: return "The sound library is already initialised";
  case MIDAS_ERROR_AUDIO_DEVICE: return "Unable to open audio device";
  case MIDAS_ERROR_LOAD_MODULE: return "Unable to load module";
  case MIDAS_ERROR_INVALID_MODULE: return "Invalid module handle";
  case MIDAS_ERROR_INVALID_PLAY_HANDLE: return "Invalid play handle";
  case MIDAS_ERROR_ALREADY_PLAYING: return "The module is already playing";
  case MIDAS_ERROR_NOT_PLAYING_BACKGROUND: return "Background play is not running";
  case MIDAS_ERROR_UNKNOWN_OPTION: return "Unknown option";
  default: return "Unknown error";
  }
}

} // namespace

bool midas::fail(int code, const std::string& cause) {
  t_lastError.code = code;
  t_lastError.text = cause.empty() ? baseText(code) : std::string(baseText(code)) + ": " + cause;
  return false;
}

void midas::restoreLastError(int code, const std::string& text) { t_lastError = {code, text}; }

int MIDASgetLastError() { return t_lastError.code; }

std::string MIDASgetErrorMessage(int errorCode) {
  if (errorCode == t_lastError.code && !t_lastError.text.empty()) return t_lastError.text;
  return baseText(errorCode);
}
