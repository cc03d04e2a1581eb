#include "music/SdlOutput.h"

#include <SDL2/SDL.h>

#include <cstring>
#include <utility>

namespace {

// The device's buffer, at most this long (2048 frames, about 46 ms, at 44100 Hz: a whole power
// of two of frames). SDL cannot drop what a sound server has buffered, so this bounds how soon
// a command is heard; it is as large as that allows, since each buffer wakes the server.
constexpr double kDeviceSeconds = 0.05;
// How long the device stays open with nothing to be heard, so that the pause between two songs
// or a quick Pause and Resume do not reopen it.
constexpr auto kRest = std::chrono::seconds(1);

} // namespace

TSdlOutput::TSdlOutput(const TOutputFormat& format, TFill fill) : m_format(format), m_fill(std::move(fill)) {}

std::unique_ptr<TSdlOutput> TSdlOutput::open(const TOutputFormat& format, TFill fill, std::string& why) {
  // SDL would otherwise catch SIGINT and SIGTERM and turn them into a quit event that no one
  // reads, so that the program could not be ended.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    why = SDL_GetError();
    return nullptr;
  }
  std::unique_ptr<TSdlOutput> output(new TSdlOutput(format, std::move(fill)));
  {
    std::lock_guard lock(output->m_lock);
    // Without a device, the output quits SDL's audio as it goes.
    if (!output->openDevice(why)) return nullptr;
    // Rests until something is to be heard, like a device that has sounded.
    output->m_closeAt = std::chrono::steady_clock::now() + kRest;
  }
  output->m_closer = SDL_CreateThread(
      [](void* self) {
        static_cast<TSdlOutput*>(self)->closeRestingDevices();
        return 0;
      },
      "VORKA closer", output.get());
  return output;
}

TSdlOutput::~TSdlOutput() {
  std::unique_lock lock(m_lock);
  if (m_closer) {
    m_quit = true;
    m_rest.notify_all();
    lock.unlock();
    SDL_WaitThread(std::exchange(m_closer, nullptr), nullptr);
    lock.lock();
  }
  closeDevice(lock);
  lock.unlock();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void TSdlOutput::callback(void* user, uint8_t* stream, int length) {
  const TDeviceUser& device = *static_cast<TDeviceUser*>(user);
  TSdlOutput& output = *device.output;
  std::lock_guard lock(output.m_sounding);
  if (device.id == output.m_device)
    output.m_fill(stream, static_cast<std::size_t>(length));
  else
    std::memset(stream, output.m_format.bits == 8 ? 0x80 : 0, static_cast<std::size_t>(length));
}

// Opens a device, paused, and makes it the one that sounds. Needs m_lock.
bool TSdlOutput::openDevice(std::string& why) {
  auto user = std::make_unique<TDeviceUser>(TDeviceUser{this, 0});
  SDL_AudioSpec want{};
  want.freq = m_format.rate;
  want.format = m_format.bits == 8 ? AUDIO_U8 : AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(m_format.channels);
  Uint16 frames = 256;
  while (frames < 32768 && 2 * frames <= m_format.rate * kDeviceSeconds) frames *= 2;
  want.samples = frames;
  want.callback = callback;
  want.userdata = user.get();
  SDL_AudioSpec have{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (!device) {
    why = SDL_GetError();
    return false;
  }
  m_frames = have.samples;
  std::lock_guard sounding(m_sounding);
  user->id = device;
  m_users[device] = std::move(user);
  m_device = device;
  m_running = false;
  return true;
}

// Takes the device out of use and closes it; SDL waits for it to drain. Needs `lock` (on
// m_lock), which it leaves while SDL closes.
void TSdlOutput::closeDevice(std::unique_lock<std::mutex>& lock) {
  const SDL_AudioDeviceID device = m_device;
  {
    std::lock_guard sounding(m_sounding);
    m_device = 0;
  }
  m_running = false;
  m_closeAt.reset();
  if (!device) return;
  lock.unlock();
  SDL_CloseAudioDevice(device);
  lock.lock();
  m_users.erase(device);
}

bool TSdlOutput::setRunning(bool running, std::string& why) {
  std::lock_guard lock(m_lock);
  if (!running) {
    if (m_device && m_running) {
      SDL_PauseAudioDevice(m_device, 1);
      m_running = false;
    }
    if (m_device && !m_closeAt) {
      m_closeAt = std::chrono::steady_clock::now() + kRest;
      m_rest.notify_all();
    }
    return true;
  }
  m_closeAt.reset();
  if (!m_device && !openDevice(why)) return false;
  if (!m_running) {
    SDL_PauseAudioDevice(m_device, 0);
    m_running = true;
  }
  return true;
}

double TSdlOutput::latencySeconds() {
  std::lock_guard lock(m_lock);
  return static_cast<double>(m_frames) / m_format.rate;
}

// The closer: closes the device once it has rested for kRest.
void TSdlOutput::closeRestingDevices() {
  std::unique_lock lock(m_lock);
  while (!m_quit) {
    if (!m_closeAt) {
      m_rest.wait(lock);
    } else if (const auto deadline = *m_closeAt; std::chrono::steady_clock::now() < deadline) {
      m_rest.wait_until(lock, deadline);
    } else {
      closeDevice(lock);
    }
  }
}

void TSdlOutput::fadeOut() {
  std::string why;
  setRunning(false, why);
}
