#include "music/InstrumentPreview.h"

TInstrumentPreview::~TInstrumentPreview() { stop(); }

void TInstrumentPreview::silence() {
  if (m_play) MIDASstopModule(m_play);
  m_play = 0;
}

void TInstrumentPreview::stop() {
  silence();
  if (m_module) MIDASfreeModule(m_module);
  m_module = 0;
  m_path.clear();
  m_index = -1;
}

bool TInstrumentPreview::toggle(const std::string& path, int32_t index, std::string& error) {
  const bool again = m_play && path == m_path && index == m_index;
  silence();
  if (again) return true;
  if (path != m_path) {
    stop();
    m_module = MIDASloadModule(path.c_str());
    if (!m_module) {
      error = MIDASgetErrorMessage(MIDASgetLastError());
      return false;
    }
    m_path = path;
  }
  m_index = index;
  m_play = MIDASplayInstrument(m_module, index, kNote);
  if (!m_play) error = MIDASgetErrorMessage(MIDASgetLastError());
  return m_play != 0;
}
