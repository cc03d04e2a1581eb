#include "music/PlayOrder.h"

#include "platform/random.h"

#include <algorithm>
#include <numeric>

namespace {

// The order remembers this many rounds back, so that Previous can go far back while a
// playlist that plays for days keeps a bounded memory.
constexpr int32_t kRoundsKept = 8;

} // namespace

TPlayOrder::TPlayOrder(std::function<int32_t(int32_t)> random)
    : m_random(random ? std::move(random) : Random) {}

void TPlayOrder::Reset(int32_t count) {
  m_count = std::max(0, count);
  m_order.clear();
  m_pos = -1;
}

int32_t TPlayOrder::Current() const { return m_pos < 0 ? -1 : m_order[m_pos]; }

std::vector<int32_t> TPlayOrder::round(int32_t first) const {
  std::vector<int32_t> songs(m_count);
  std::iota(songs.begin(), songs.end(), 0);
  if (!m_shuffle) return songs;
  for (int32_t i = m_count - 1; i > 0; --i) std::swap(songs[i], songs[m_random(i + 1)]);
  if (first >= 0) {
    std::swap(songs[0], *std::find(songs.begin(), songs.end(), first));
  } else if (!m_order.empty() && m_count > 1 && songs[0] == m_order.back()) {
    // A new round never starts with the song that ended the last one.
    std::swap(songs[0], songs[1 + m_random(m_count - 1)]);
  }
  return songs;
}

void TPlayOrder::appendRound(int32_t first) {
  std::vector<int32_t> songs = round(first);
  // In list order a round goes on from the song after the one that ended the round before.
  if (!m_shuffle && !m_order.empty())
    std::rotate(songs.begin(), songs.begin() + (m_order.back() + 1) % m_count, songs.end());
  m_order.insert(m_order.end(), songs.begin(), songs.end());
}

void TPlayOrder::dropLaterRounds() {
  m_order.resize(std::min<std::size_t>(m_order.size(), roundStart() + m_count));
}

void TPlayOrder::keepRecentRounds() {
  while (static_cast<int32_t>(m_order.size()) > kRoundsKept * m_count && m_pos >= m_count) {
    m_order.erase(m_order.begin(), m_order.begin() + m_count);
    m_pos -= m_count;
  }
}

int32_t TPlayOrder::Next() {
  if (m_count == 0) return -1;
  if (m_pos + 1 >= static_cast<int32_t>(m_order.size())) appendRound();
  ++m_pos;
  keepRecentRounds();
  return m_order[m_pos];
}

int32_t TPlayOrder::AfterEnd() {
  if (m_count == 0) return -1;
  if (m_pos >= 0 && Repeat == TRepeatMode::One) return Current();
  // Without repeat the order ends with the list's last song, or shuffled with a round's last.
  const bool last = m_shuffle ? m_pos % m_count == m_count - 1 : Current() == m_count - 1;
  if (m_pos >= 0 && Repeat == TRepeatMode::None && last) return -1;
  return Next();
}

int32_t TPlayOrder::Previous() {
  if (m_count == 0) return -1;
  if (m_pos <= 0) {
    // Nothing played before this: a round goes in front, ending with the song that comes
    // before the current one (in list order) or, shuffled, with another song.
    std::vector<int32_t> songs = round(-1);
    if (m_pos == 0 && !m_shuffle)
      std::rotate(songs.begin(), songs.begin() + m_order[0], songs.end());
    if (m_pos == 0 && m_shuffle && m_count > 1 && songs.back() == m_order[0])
      std::swap(songs.back(), songs[m_random(m_count - 1)]);
    m_order.insert(m_order.begin(), songs.begin(), songs.end());
    m_pos = m_pos < 0 ? m_count : m_pos + m_count;
    if (static_cast<int32_t>(m_order.size()) > kRoundsKept * m_count)
      m_order.resize(kRoundsKept * m_count);
  }
  return m_order[--m_pos];
}

void TPlayOrder::Choose(int32_t index) {
  if (index < 0 || index >= m_count) return;
  if (m_order.empty()) appendRound();
  dropLaterRounds();
  const int32_t start = roundStart();
  const int32_t at = static_cast<int32_t>(
      std::find(m_order.begin() + start, m_order.end(), index) - m_order.begin());
  if (!m_shuffle) {
    m_pos = at;
  } else if (at > m_pos) {
    std::rotate(m_order.begin() + m_pos + 1, m_order.begin() + at, m_order.begin() + at + 1);
    ++m_pos;
  } else if (at < m_pos) {
    appendRound(index);
    m_pos = start + m_count;
  }
  keepRecentRounds();
}

void TPlayOrder::StandBefore(int32_t index) {
  Reset(m_count);
  if (index < 0 || index >= m_count) return;
  // A round that starts with the song; in list order the songs before it end the round.
  m_order = round(index);
  if (!m_shuffle) std::rotate(m_order.begin(), m_order.begin() + index, m_order.end());
}

void TPlayOrder::SetShuffle(bool shuffle) {
  if (shuffle == m_shuffle) return;
  m_shuffle = shuffle;
  if (m_pos < 0) {
    m_order.clear();
    return;
  }
  dropLaterRounds();
  const int32_t start = roundStart();
  if (shuffle) {
    // The songs still to come in this round, in a random order.
    for (int32_t i = start + m_count - 1; i > m_pos + 1; --i)
      std::swap(m_order[i], m_order[m_pos + 1 + m_random(i - m_pos)]);
    return;
  }
  // List order again: the round is the playlist, standing at the current song.
  const int32_t current = Current();
  std::iota(m_order.begin() + start, m_order.end(), 0);
  m_pos = start + current;
}
