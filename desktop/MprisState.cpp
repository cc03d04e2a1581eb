#include "desktop/MprisState.h"

#include "desktop/LocalPath.h"
#include "music/ModuleDetails.h"
#include "music/PlayerController.h"
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
  if (title.isEmpty()) title = file.section('/', -1);
  title += QString::fromStdString(SubsongMark(view.Subsong, view.Subsongs));
  map["xesam:title"] = title;
  if (!view.Artist.empty()) map["xesam:artist"] = QStringList{QString::fromStdString(view.Artist)};
  if (!view.Message.empty()) map["xesam:comment"] = QStringList{QString::fromStdString(view.Message)};
  map["xesam:url"] = AddressOfPath(view.FileName);
  map["mpris:length"] = static_cast<qlonglong>(TMprisState::microseconds(view.Duration));
  return map;
}

} // namespace

QString TMprisState::trackId(const TPlayerView& view) {
  if (view.FileName.empty()) return "/org/mpris/MediaPlayer2/TrackList/NoTrack";
  // Paths below /org/mpris are MPRIS's own; the tracks live below the program's id. A song
  // that is no longer in the playlist plays on as the track "none".
  const QString song = view.SongIndex >= 0 ? QString::number(view.SongIndex) : QString("none");
  return QString("/example/vorka/Vorka/Track/%1/%2").arg(song).arg(view.Subsong);
}

TPlayerView TPlayerView::of(const TPlayerController& controller, bool hasSongs) {
  TPlayerView view;
  view.HasSongs = hasSongs;
  const TMusicPlayer* player = controller.player();
  if (!player) return view;
  view.State = player->State;
  view.SongIndex = player->SongIndex;
  view.SongName = player->Details.Title;
  view.Subsong = player->Subsong;
  view.Subsongs = std::max(1, static_cast<int32_t>(player->Details.Subsongs.size()));
  view.Artist = player->Details.Artist;
  view.Message = player->Details.Message;
  view.FileName = player->FileName;
  view.Duration = player->Duration;
  view.Volume = player->Muted() ? 0.0 : player->Volume() / 100.0;
  view.Repeat = player->Repeat();
  view.Shuffle = player->Shuffle();
  view.Silenced = !controller.outputProblem().empty();
  return view;
}

QVariantMap TMprisState::playerProperties(const TPlayerView& view) {
  const bool sounding = view.State == psPlaying || view.State == psPaused;
  return {
      {"PlaybackStatus", statusText(view.State == psPlaying && view.Silenced ? psPaused : view.State)},
      {"Metadata", metadata(view)},
      {"Volume", view.Volume},
      {"LoopStatus", loopStatus(view.Repeat)},
      {"Shuffle", view.Shuffle},
      {"CanPlay", view.HasSongs},
      {"CanPause", sounding},
      {"CanGoNext", view.HasSongs},
      {"CanGoPrevious", view.HasSongs},
      {"CanSeek", sounding && !view.FileName.empty()},
  };
}

QString TMprisState::loopStatus(TRepeatMode repeat) {
  switch (repeat) {
  case TRepeatMode::One: return "Track";
  case TRepeatMode::None: return "None";
  default: return "Playlist";
  }
}

std::optional<TRepeatMode> TMprisState::repeatMode(const QString& loopStatus) {
  for (TRepeatMode mode : {TRepeatMode::All, TRepeatMode::One, TRepeatMode::None})
    if (TMprisState::loopStatus(mode) == loopStatus) return mode;
  return {};
}

std::optional<double> TMprisState::seekTarget(int64_t offset, double now, const TPlayerView& view) {
  const double target = now + static_cast<double>(offset) / kMicroseconds;
  if (target > view.Duration) return {};
  return std::max(0.0, target);
}

std::optional<double> TMprisState::positionTarget(int64_t position, const TPlayerView& view) {
  if (position < 0 || position > microseconds(view.Duration)) return {};
  return static_cast<double>(position) / kMicroseconds;
}

int64_t TMprisState::microseconds(double seconds) { return std::llround(seconds * kMicroseconds); }
