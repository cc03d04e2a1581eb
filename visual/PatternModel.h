#pragma once

#include "music/PlayView.h"
#include "visual/ChannelMeters.h"
#include "visual/ChannelMutes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a character of a pattern cell is, for its colour.
enum class TCellKind { Empty, Note, SpecialNote, Instrument, VolumeCommand, VolumeValue, Effect, EffectValue };

// What the pattern view shows: the pattern heard with the row heard in the middle, the line
// above it, the channel meters, and the channels' mutes, which belong to one play of a module
// and end when another starts. Widget-free; GUI thread only.
class TPatternModel {
public:
  // Gives the text of pattern `pattern` of module `module`.
  using TFetch = std::function<TPatternText(uint32_t module, int32_t pattern)>;

  explicit TPatternModel(TFetch fetch) : m_fetch(std::move(fetch)) {}

  // Takes what is heard now, `seconds` after the last call; a new play clears the mutes. True
  // when the rows shown change: another row, pattern or play.
  bool follow(const TPlayView& view, double seconds);

  const TPlayView& view() const { return m_view; }
  const TPatternText& text() const { return m_text; }
  const TChannelMeters& meters() const { return m_meters; }
  TChannelMutes& mutes() { return m_mutes; }
  const TChannelMutes& mutes() const { return m_mutes; }

  // "Order 3/24  Pattern 5  Row 12/64  Speed 6  Tempo 125  BPM 125.0"; empty before any view.
  std::string header() const;
  // What a screen reader says of channel `channel` (from 0): "Channel 3 of 8: heard", "muted"
  // or "soloed"; empty for a channel the song does not have.
  std::string channelState(int32_t channel) const;
  // The pattern rows for `count` lines with the row heard on line count / 2: a row number, or
  // -1 for a line before the pattern's start or past its end.
  std::vector<int32_t> rowsAround(int32_t count) const;
  // What the highlight character `c` of the library marks.
  static TCellKind kindOf(char c);

private:
  TFetch m_fetch;
  TPlayView m_view;
  TPatternText m_text;
  TChannelMeters m_meters;
  TChannelMutes m_mutes;
  bool m_seen = false;
};
