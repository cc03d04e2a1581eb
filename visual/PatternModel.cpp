#include "visual/PatternModel.h"

#include <cstdio>

bool TPatternModel::follow(const TPlayView& view, double seconds) {
  const bool otherPlay = !m_seen || view.Module != m_view.Module || view.Start != m_view.Start;
  const bool otherPattern = otherPlay || view.Pattern != m_view.Pattern;
  const bool changed = otherPattern || view.Row != m_view.Row;
  if (otherPlay) m_mutes.reset(view.Channels);
  if (otherPattern) m_text = view.Module ? m_fetch(view.Module, view.Pattern) : TPatternText{};
  m_view = view;
  m_seen = true;
  m_meters.update(view, seconds, &m_mutes.mutes());
  return changed;
}

std::string TPatternModel::header() const {
  if (!m_seen || !m_view.Module) return {};
  char line[160];
  std::snprintf(line, sizeof line, "Order %d/%d  Pattern %d  Row %d/%d  Speed %d  Tempo %d  BPM %.1f",
                m_view.Order, m_view.Orders, m_view.Pattern, m_view.Row, m_text.Rows, m_view.Speed,
                m_view.Tempo, m_view.Bpm);
  return line;
}

std::string TPatternModel::channelState(int32_t channel) const {
  if (channel < 0 || channel >= m_view.Channels) return {};
  const char* state = m_mutes.soloed() == channel ? "soloed" : m_mutes.muted(channel) ? "muted" : "heard";
  return "Channel " + std::to_string(channel + 1) + " of " + std::to_string(m_view.Channels) + ": " + state;
}

std::vector<int32_t> TPatternModel::rowsAround(int32_t count) const {
  std::vector<int32_t> rows;
  const int32_t first = m_view.Row - count / 2;
  for (int32_t line = 0; line < count; ++line) {
    const int32_t row = first + line;
    rows.push_back(row >= 0 && row < m_text.Rows ? row : -1);
  }
  return rows;
}

TCellKind TPatternModel::kindOf(char c) {
  switch (c) {
  case 'n': return TCellKind::Note;
  case 'm': return TCellKind::SpecialNote;
  case 'i': return TCellKind::Instrument;
  case 'u': return TCellKind::VolumeCommand;
  case 'v': return TCellKind::VolumeValue;
  case 'e': return TCellKind::Effect;
  case 'f': return TCellKind::EffectValue;
  default: return TCellKind::Empty;
  }
}
