#include "music/MidasSong.h"

#include "platform/filesys.h"
#include "platform/utf8.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <streambuf>

namespace {

// Larger files are not read into memory: no tracker module comes near this size.
constexpr std::size_t kMaxModuleBytes = 512 * 1024 * 1024;

// A stream that swallows libopenmpt's log lines; failures are reported through errors.
class NullBuffer : public std::streambuf {
protected:
  int overflow(int c) override { return c; }
};

std::ostream& silentLog() {
  static NullBuffer buffer;
  static std::ostream stream(&buffer);
  return stream;
}

// The bytes of the module file at `path`; only regular files are read, so a pipe or a device
// can neither block the call nor fill the memory.
std::string readFile(const std::string& path) {
  // A file known to be too large is refused before anything of it is read.
  std::error_code error;
  if (std::filesystem::file_size(path, error) > kMaxModuleBytes && !error)
    throw std::runtime_error("the file is too large for a module");
  TFileRead file = ReadRegularFile(path, kMaxModuleBytes);
  switch (file.Status) {
  case TReadStatus::Missing: throw std::runtime_error(std::strerror(ENOENT));
  case TReadStatus::Folder: throw std::runtime_error("the path names a folder");
  case TReadStatus::Failed: throw std::runtime_error(file.Error);
  case TReadStatus::Read: break;
  }
  if (file.Truncated) throw std::runtime_error("the file is too large for a module");
  if (file.Bytes.empty()) throw std::runtime_error("the file is empty");
  return std::move(file.Bytes);
}

void copyName(const std::string& name, char* out, std::size_t size) {
  std::string cut = Utf8Prefix(name, size - 1);
  std::memset(out, 0, size);
  std::memcpy(out, cut.data(), cut.size());
}

} // namespace

std::unique_ptr<TMidasSong> TMidasSong::fromFile(const std::string& path) {
  return std::make_unique<TMidasSong>(readFile(path));
}

TMidasSong::TMidasSong(const std::string& data) {
  try {
    m_module = std::make_unique<openmpt::module>(data.data(), data.size(), silentLog(),
                                                 std::map<std::string, std::string>{
                                                     {"play.at_end", "continue"}});
  } catch (const openmpt::exception&) {
    throw std::runtime_error("the file is not a module");
  }
  readFacts();
}

TMidasSong::~TMidasSong() = default;

void TMidasSong::readFacts() {
  copyName(m_module->get_metadata("title"), m_info.SongName, sizeof m_info.SongName);
  m_info.SongLength = static_cast<uint32_t>(m_module->get_num_orders());
  m_info.PatternCount = static_cast<uint32_t>(m_module->get_num_patterns());
  m_info.ChannelCount = static_cast<uint32_t>(m_module->get_num_channels());
  if (m_module->get_num_instruments() > 0)
    m_instrumentNames = m_module->get_instrument_names();
  else
    m_instrumentNames = m_module->get_sample_names();
  m_info.InstrumentCount = static_cast<uint32_t>(m_instrumentNames.size());
  m_duration = std::max(0.0, m_module->get_duration_seconds());
}

void TMidasSong::start(bool loop, int interpolationTaps) {
  m_module->set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH,
                             interpolationTaps);
  m_module->set_position_seconds(0.0);
  m_loop = loop;
  m_ended = false;
  m_loopCount = 0;
  m_playing = true;
}

PlayStatus TMidasSong::status() const {
  PlayStatus s{};
  s.Position = static_cast<uint32_t>(std::max(0, m_module->get_current_order()));
  s.Pattern = static_cast<uint32_t>(std::max(0, m_module->get_current_pattern()));
  s.Row = static_cast<uint32_t>(std::max(0, m_module->get_current_row()));
  s.Speed = static_cast<uint32_t>(std::max(0, m_module->get_current_speed()));
  s.LoopCount = m_loopCount;
  return s;
}

double TMidasSong::playTime() const {
  // libopenmpt's position keeps growing as a looping song goes round again.
  double seconds = std::max(0.0, m_module->get_position_seconds());
  return m_duration > 0 ? std::fmod(seconds, m_duration) : 0.0;
}

void TMidasSong::setPosition(int32_t position) {
  if (static_cast<uint32_t>(position) < m_info.SongLength) {
    m_ended = false;
    m_module->set_position_order_row(position, 0);
    return;
  }
  reachEnd();
  if (m_loop) m_module->set_position_order_row(0, 0);
}

void TMidasSong::reachEnd() {
  ++m_loopCount;
  if (!m_loop) m_ended = true;
}

void TMidasSong::render(int32_t rate, int channels, int16_t* out, std::size_t frames) {
  std::size_t done = 0;
  bool emptyBefore = false;
  while (done < frames && !m_ended) {
    int16_t* at = out + done * channels;
    std::size_t n = channels == 2 ? m_module->read_interleaved_stereo(rate, frames - done, at)
                                  : m_module->read(rate, frames - done, at);
    if (n > 0) {
      done += n;
      emptyBefore = false;
      continue;
    }
    // A read of nothing is the end of the song; the next read goes on from its loop start.
    // Two in a row mean a song with nothing to play at all.
    if (emptyBefore) break;
    emptyBefore = true;
    reachEnd();
  }
  std::fill(out + done * channels, out + frames * channels, int16_t{0});
}
