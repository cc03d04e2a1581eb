#include "app/Settings.h"

#include "platform/filesys.h"
#include "platform/utf8.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr std::size_t kLastDirBytes = 80;
constexpr int32_t kOutputModes[] = {5, 6, 9, 10};

} // namespace

TSettings::TSettings(QObject* parent) : QObject(parent) {
  RemoveStaleTempFiles(m_file.path());
  m_firstStart = m_file.readTruth(settings::FirstTime);
  reloadChoices();
  Volume = m_file.readInteger(settings::Volume);
  // The stored number is the mode's own, its range checked by the reading.
  Repeat = static_cast<TRepeatMode>(m_file.readInteger(settings::Repeat));
  Shuffle = m_file.readTruth(settings::Shuffle);
  MainWindowPlace = m_file.readText(settings::MainWindowPlace);
  PlaylistPlace = m_file.readText(settings::PlaylistPlace);
  PatternPlace = m_file.readText(settings::PatternPlace);
  SongsPlace = m_file.readText(settings::SongsPlace);
  InfoPlace = m_file.readText(settings::InfoPlace);
  ExportDir = m_file.readText(settings::ExportDir);
}

void TSettings::reloadChoices() {
  MixRate = m_file.readInteger(settings::MixRate);
  OutputMode = m_file.readInteger(settings::OutputMode);
  MixingMode = m_file.readInteger(settings::MixingMode);
  PlayerName = m_file.readText(settings::PlayerName);
  FullScreen = m_file.readTruth(settings::FullScreen);
  Game.RepeatDelay = m_file.readInteger(settings::KeyDelay);
  Game.RepeatInterval = m_file.readInteger(settings::KeyRepeat);
  Game.SoftDropInterval = m_file.readInteger(settings::SoftDrop);
  Game.ShowNext = m_file.readTruth(settings::ShowNext);
  Game.ShowGhost = m_file.readTruth(settings::ShowGhost);
  Game.MusicFollows = m_file.readTruth(settings::MusicFollows);
  LastDir = Utf8Prefix(m_file.readText(settings::LastDir), kLastDirBytes);
  setRenderOptions(m_file.readRenderOptions());
}

void TSettings::setRenderOptions(const TRenderOptions& options) {
  if (options == m_render) return;
  m_render = options;
  emit renderOptionsChanged(options);
}

void TSettings::save() {
  m_file.save([this] {
    m_file.writeInteger(settings::MixRate, MixRate);
    // A mode the program does not know stays in the file as it is.
    if (std::find(std::begin(kOutputModes), std::end(kOutputModes), OutputMode) != std::end(kOutputModes))
      m_file.writeInteger(settings::OutputMode, OutputMode);
    m_file.writeInteger(settings::MixingMode, MixingMode);
    m_file.writeText(settings::PlayerName, PlayerName);
    m_file.writeTruth(settings::FullScreen, FullScreen);
    m_file.writeInteger(settings::KeyDelay, Game.RepeatDelay);
    m_file.writeInteger(settings::KeyRepeat, Game.RepeatInterval);
    m_file.writeInteger(settings::SoftDrop, Game.SoftDropInterval);
    m_file.writeTruth(settings::ShowNext, Game.ShowNext);
    m_file.writeTruth(settings::ShowGhost, Game.ShowGhost);
    m_file.writeTruth(settings::MusicFollows, Game.MusicFollows);
    m_file.writeInteger(settings::StereoSeparation, m_render.StereoSeparation);
    m_file.writeInteger(settings::VolumeRamping, m_render.VolumeRamping);
    m_file.writeInteger(settings::AmigaResampler, static_cast<int32_t>(m_render.Amiga));
    m_file.writeTruth(settings::EvenLoudness, m_render.EvenLoudness);
    m_file.writeTruth(settings::SkipSilentEnd, m_render.SkipSilentEnd);
    m_file.writeInteger(settings::Loop, static_cast<int32_t>(m_render.Loop));
    m_file.writeInteger(settings::Loops, m_render.Loops);
    m_file.writeInteger(settings::LoopFade, m_render.FadeSeconds);
    m_file.writeTruth(settings::FirstTime, false);
    m_file.writeText(settings::LastDir, LastDir);
    m_file.writeInteger(settings::Volume, Volume);
    m_file.writeInteger(settings::Repeat, static_cast<int32_t>(Repeat));
    m_file.writeTruth(settings::Shuffle, Shuffle);
    m_file.writeText(settings::MainWindowPlace, MainWindowPlace);
    m_file.writeText(settings::PlaylistPlace, PlaylistPlace);
    m_file.writeText(settings::PatternPlace, PatternPlace);
    m_file.writeText(settings::SongsPlace, SongsPlace);
    m_file.writeText(settings::InfoPlace, InfoPlace);
    m_file.writeText(settings::ExportDir, ExportDir);
  });
  m_firstStart = false;
}
