#include "desktop/MprisState.h"

#include "desktop/LocalPath.h"
#include "platform/utf8.h"

#include <QDBusObjectPath>
#include <QFile>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMicroseconds = 1e6;

QString statusText(TPlayerState state) {
  switch (state) {
  case psPlaying: return "Playing";
  case psPaused: return "Paused";
  default: return "Stopped";
  }
}

QVariantMap metadata(const TPlayerView& view) {
  QVariantMap map;
  map["mpris:trackid"] = QVariant::fromValue(QDBusObjectPath(TMprisState::trackId(view)));
  if (view.FileName.empty()) return map;
  QString file = QFile::decodeName(QByteArray::fromStdString(view.FileName));
  QString title = QString::fromStdString(AsUtf8(view.SongName));
  map["xesam:title"] = title.isEmpty() ? file.section('/', -1) : title;
  map["xesam:url"] = AddressOfPath(view.FileName);
  map["mpris:length"] = static_cast<qlonglong>(TMprisState::microseconds(view.Duration));
  return map;
}

} // namespace

QString TMprisState::trackId(const TPlayerView& view) {
  if (view.FileName.empty()) return "/org/mpris/MediaPlayer2/TrackList/NoTrack";
  // Paths below /org/mpris are MPRIS's own; the tracks live below the program's id.
  return "/example/vorka/Vorka/Track/" + QString::number(view.SongIndex);
}

QVariantMap TMprisState::playerProperties(const TPlayerView& view) {
  const bool loaded = !view.FileName.empty();
  return {
      {"PlaybackStatus", statusText(view.State)},
      {"Metadata", metadata(view)},
      {"CanPlay", view.HasSongs},
      {"CanPause", view.State == psPlaying || view.State == psPaused},
      {"CanGoNext", view.HasSongs},
      {"CanGoPrevious", loaded && view.State == psPlaying},
      {"CanSeek", loaded && view.State == psPlaying},
  };
}

int32_t TMprisState::positionsForOffset(int64_t offset, const TPlayerView& view) {
  if (offset == 0 || view.SongLength == 0 || view.Duration <= 0) return 0;
  const double length = view.SongLength;
  const double perPosition = view.Duration / length;
  const double wanted = std::clamp(static_cast<double>(offset) / kMicroseconds / perPosition, -length, length);
  const auto positions = static_cast<int32_t>(std::lround(wanted));
  if (positions != 0) return positions;
  return offset > 0 ? 1 : -1;
}

std::optional<int32_t> TMprisState::positionAt(int64_t time, const TPlayerView& view) {
  if (view.SongLength == 0 || time < 0 || time > microseconds(view.Duration)) return {};
  const double perPosition = view.Duration / view.SongLength * kMicroseconds;
  return static_cast<int32_t>(std::min<double>(time / perPosition, view.SongLength - 1));
}

int64_t TMprisState::microseconds(double seconds) { return std::llround(seconds * kMicroseconds); }
