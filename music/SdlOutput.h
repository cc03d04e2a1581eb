#pragma once

#include "music/MidasMixer.h"
#include "music/SoundOutput.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

struct SDL_Thread;

// Sound output through an SDL audio device, for the driver SDL_AUDIODRIVER names (the tests'
// dummy and disk drivers, ALSA, ...). The device is open only while something can be heard and
// for kRest after, so that a silent program asks nothing of the sound system; a thread of the
// output's own closes it then, since closing waits for SDL to drain the device, which no caller
// should wait for. SDL cannot drop what a device holds, so its buffer is kept short.
class TSdlOutput : public TSoundOutput {
public:
  // Starts SDL's audio and opens a device, to learn that one can be, which then rests; nothing,
  // with SDL's reason in `why`, when either fails.
  static std::unique_ptr<TSdlOutput> open(const TOutputFormat& format, TFill fill, std::string& why);
  ~TSdlOutput() override;
  TSdlOutput(const TSdlOutput&) = delete;
  TSdlOutput& operator=(const TSdlOutput&) = delete;

  bool setRunning(bool running, std::string& why) override;
  // The device holds too little to drop: the mix fades out in its next fill, and it rests.
  void fadeOut() override;
  void wake(bool) override {}
  bool setVolume(int32_t) override { return false; }
  // The device's buffer.
  double latencySeconds() override;
  // A device that fails to open is reported by setRunning.
  std::string problem() override { return {}; }

private:
  // What an open device's callback knows: a device being closed renders silence, so that it
  // and the one that took its place never both play the sound.
  struct TDeviceUser {
    TSdlOutput* output = nullptr;
    uint32_t id = 0;
  };

  TSdlOutput(const TOutputFormat& format, TFill fill);
  static void callback(void* user, uint8_t* stream, int length);
  bool openDevice(std::string& why);
  void closeDevice(std::unique_lock<std::mutex>& lock);
  void closeRestingDevices();

  const TOutputFormat m_format;
  const TFill m_fill;
  // Guards the device's state below; never held around SDL's closing of a device.
  std::mutex m_lock;
  // Guards m_device against the callbacks, which SDL runs under its own device lock, and is
  // held while one fills; never held around an SDL call.
  std::mutex m_sounding;
  uint32_t m_device = 0; // the device that sounds (both locks to change it)
  uint32_t m_frames = 0; // its buffer
  bool m_running = false;
  std::map<uint32_t, std::unique_ptr<TDeviceUser>> m_users; // of the open devices
  std::condition_variable m_rest; // wakes the closer
  std::optional<std::chrono::steady_clock::time_point> m_closeAt;
  bool m_quit = false;
  // SDL's own thread, so that what SDL keeps for the threads calling it is freed at its end.
  SDL_Thread* m_closer = nullptr;
};
