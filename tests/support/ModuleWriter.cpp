#include "tests/support/ModuleWriter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

namespace testmod {

namespace {

// A growing little- or big-endian byte buffer with patching of earlier fields.
class Bytes {
public:
  std::size_t size() const { return m_data.size(); }
  const std::string& str() const { return m_data; }

  void u8(int v) { m_data.push_back(static_cast<char>(v & 0xFF)); }
  void le16(uint32_t v) { u8(v); u8(v >> 8); }
  void le32(uint32_t v) { le16(v & 0xFFFF); le16(v >> 16); }
  void be16(uint32_t v) { u8(v >> 8); u8(v); }
  void text(const std::string& s, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) u8(i < s.size() ? s[i] : 0);
  }
  void zeros(std::size_t n) { m_data.append(n, '\0'); }
  void raw(const std::string& s) { m_data += s; }
  void alignTo(std::size_t n) { zeros((n - size() % n) % n); }

  void patch8(std::size_t at, int v) { m_data[at] = static_cast<char>(v & 0xFF); }
  void patchLe16(std::size_t at, uint32_t v) { patch8(at, v); patch8(at + 1, v >> 8); }
  void patchLe32(std::size_t at, uint32_t v) {
    patchLe16(at, v & 0xFFFF);
    patchLe16(at + 2, v >> 16);
  }

private:
  std::string m_data;
};

using Grid = std::vector<std::vector<Note>>; // [row][channel]

// The pattern as `nativeRows` rows of cells, with a break on its last played row when it
// plays fewer rows than the format stores.
Grid patternGrid(const Module& m, std::size_t index, int nativeRows) {
  const Pattern& p = m.patterns.at(index);
  Grid grid(nativeRows, std::vector<Note>(m.channels));
  for (const Note& n : p.notes) {
    if (n.row < 0 || n.row >= nativeRows || n.channel < 0 || n.channel >= m.channels)
      throw std::invalid_argument("note outside its pattern");
    grid[n.row][n.channel] = n;
  }
  if (p.rows < nativeRows) {
    std::vector<Note>& last = grid[p.rows - 1];
    auto freeSlot = std::find_if(last.rbegin(), last.rend(),
                                 [](const Note& n) { return n.effect == kEffectNone; });
    if (freeSlot == last.rend()) throw std::invalid_argument("no room for a pattern break");
    freeSlot->effect = kEffectBreak;
    freeSlot->param = 0;
  }
  return grid;
}

// MOD has no speed or tempo in its header: they go into the first played row as Fxx.
void putSpeedAndTempo(const Module& m, Grid& grid) {
  auto place = [&](Effect e, int value) {
    for (Note& n : grid[0]) {
      if (n.effect == kEffectNone) {
        n.effect = e;
        n.param = value;
        return;
      }
    }
    throw std::invalid_argument("no room for speed and tempo in the first row");
  };
  if (m.speed != 6) place(kEffectSpeed, m.speed);
  if (m.tempo != 125) place(kEffectTempo, m.tempo);
}

int maxOrder(const Module& m) {
  int highest = -1;
  for (int o : m.orders) highest = std::max(highest, o);
  return highest;
}

void requireNoSkips(const Module& m, const char* format) {
  if (std::find(m.orders.begin(), m.orders.end(), kSkipOrder) != m.orders.end())
    throw std::invalid_argument(std::string(format) + " has no skip marker");
}

// Samples of odd length get one more byte: MOD counts sample lengths in words.
std::vector<int8_t> evenData(const Sample& s) {
  std::vector<int8_t> d = s.data;
  if (d.size() % 2) d.push_back(0);
  return d;
}

int modEffect(Effect e) {
  switch (e) {
  case kEffectSpeed:
  case kEffectTempo: return 0x0F;
  case kEffectBreak: return 0x0D;
  case kEffectJump: return 0x0B;
  default: return 0;
  }
}

int modPeriod(int note) {
  if (note == 0) return 0;
  return static_cast<int>(std::lround(428.0 * std::pow(2.0, (49 - note) / 12.0)));
}

std::string modSignature(int channels) {
  if (channels == 4) return "M.K.";
  if (channels < 10) return std::to_string(channels) + "CHN";
  return std::to_string(channels) + "CH";
}

// S3M and IT share their command letters: A speed, B jump, C break, T tempo.
int s3mCommand(Effect e) {
  switch (e) {
  case kEffectSpeed: return 1;
  case kEffectJump: return 2;
  case kEffectBreak: return 3;
  case kEffectTempo: return 20;
  default: return 0;
  }
}

int s3mNote(int note) { return note == 0 ? 255 : (((note - 1) / 12) << 4) | ((note - 1) % 12); }

int orderByte(int order) { return order == kSkipOrder ? 254 : order; }

std::string s3mPattern(const Grid& grid) {
  Bytes b;
  for (const auto& row : grid) {
    for (std::size_t ch = 0; ch < row.size(); ++ch) {
      const Note& n = row[ch];
      int what = static_cast<int>(ch);
      if (n.note || n.instrument) what |= 32;
      if (n.effect != kEffectNone) what |= 128;
      if (what == static_cast<int>(ch)) continue;
      b.u8(what);
      if (what & 32) {
        b.u8(s3mNote(n.note));
        b.u8(n.instrument);
      }
      if (what & 128) {
        b.u8(s3mCommand(n.effect));
        b.u8(n.param);
      }
    }
    b.u8(0);
  }
  return b.str();
}

void s3mInstrument(Bytes& b, const Sample& s, uint32_t dataParagraph) {
  b.u8(1);
  b.text("", 12);
  b.u8(dataParagraph >> 16);
  b.le16(dataParagraph & 0xFFFF);
  b.le32(static_cast<uint32_t>(s.data.size()));
  b.le32(0);
  b.le32(s.loop ? static_cast<uint32_t>(s.data.size()) : 0);
  b.u8(s.volume);
  b.u8(0);
  b.u8(0);
  b.u8(s.loop ? 1 : 0);
  b.le32(8363);
  b.zeros(12);
  b.text(s.name, 28);
  b.raw("SCRS");
}

int xmEffect(Effect e) { return modEffect(e); }

std::string xmPattern(const Grid& grid) {
  Bytes b;
  for (const auto& row : grid) {
    for (const Note& n : row) {
      int mask = 0x80;
      if (n.note) mask |= 1;
      if (n.instrument) mask |= 2;
      if (n.effect != kEffectNone) mask |= 8 | 16;
      b.u8(mask);
      if (mask & 1) b.u8(n.note);
      if (mask & 2) b.u8(n.instrument);
      if (mask & 8) {
        b.u8(xmEffect(n.effect));
        b.u8(n.param);
      }
    }
  }
  return b.str();
}

void xmInstrument(Bytes& b, const std::string& name, const Sample* s) {
  b.le32(s ? 263 : 29);
  b.text(name, 22);
  b.u8(0);
  b.le16(s ? 1 : 0);
  if (!s) return;
  b.le32(40);
  b.zeros(96);     // every note plays sample 0
  b.zeros(48 * 2); // volume and panning envelope points
  b.zeros(10);     // envelope counts, sustain and loop points, types: all off
  b.zeros(4);      // vibrato
  b.le16(0);       // fade-out
  b.zeros(22);
  b.le32(static_cast<uint32_t>(s->data.size()));
  b.le32(0);
  b.le32(s->loop ? static_cast<uint32_t>(s->data.size()) : 0);
  b.u8(s->volume);
  b.u8(0);
  b.u8(s->loop ? 1 : 0);
  b.u8(128);
  b.u8(0);
  b.u8(0);
  b.text(s->name, 22);
  int8_t previous = 0;
  for (int8_t v : s->data) {
    b.u8(static_cast<uint8_t>(v - previous));
    previous = v;
  }
}

std::string itPattern(const Grid& grid) {
  Bytes b;
  for (const auto& row : grid) {
    for (std::size_t ch = 0; ch < row.size(); ++ch) {
      const Note& n = row[ch];
      int mask = 0;
      if (n.note) mask |= 1;
      if (n.instrument) mask |= 2;
      if (n.effect != kEffectNone) mask |= 8;
      if (!mask) continue;
      b.u8(static_cast<int>(ch + 1) | 128);
      b.u8(mask);
      if (mask & 1) b.u8(n.note - 1 + 12);
      if (mask & 2) b.u8(n.instrument);
      if (mask & 8) {
        b.u8(s3mCommand(n.effect));
        b.u8(n.param);
      }
    }
    b.u8(0);
  }
  return b.str();
}

void itInstrument(Bytes& b, const std::string& name, int sampleNumber) {
  b.raw("IMPI");
  b.text("", 12);
  b.u8(0);
  b.u8(0); // new note action: cut
  b.u8(0);
  b.u8(0);
  b.le16(0);
  b.u8(0);
  b.u8(60);
  b.u8(128);
  b.u8(32 | 128); // default pan not used
  b.u8(0);
  b.u8(0);
  b.le16(0x0214);
  b.u8(1);
  b.u8(0);
  b.text(name, 26);
  b.u8(0);
  b.u8(0);
  b.u8(0);
  b.u8(0);
  b.le16(0);
  for (int note = 0; note < 120; ++note) {
    b.u8(note);
    b.u8(sampleNumber);
  }
  b.zeros(82 * 3); // volume, panning and pitch envelopes, all off
  b.zeros(4);
}

void itSampleHeader(Bytes& b, const Sample& s, uint32_t dataOffset) {
  b.raw("IMPS");
  b.text("", 12);
  b.u8(0);
  b.u8(64);
  b.u8(1 | (s.loop ? 16 : 0));
  b.u8(s.volume);
  b.text(s.name, 26);
  b.u8(1); // signed samples
  b.u8(32);
  b.le32(static_cast<uint32_t>(s.data.size()));
  b.le32(0);
  b.le32(s.loop ? static_cast<uint32_t>(s.data.size()) : 0);
  b.le32(8363);
  b.le32(0);
  b.le32(0);
  b.le32(dataOffset);
  b.zeros(4);
}

} // namespace

std::vector<int8_t> squareWave(int period, int cycles, int amplitude) {
  std::vector<int8_t> data;
  for (int c = 0; c < cycles; ++c)
    for (int i = 0; i < period; ++i)
      data.push_back(static_cast<int8_t>(i < period / 2 ? amplitude : -amplitude));
  return data;
}

Module simpleSong(const std::string& title, int channels, int patternCount, int rows,
                  const std::vector<std::string>& instrumentNames, int speed, int tempo) {
  Module m;
  m.title = title;
  m.channels = channels;
  m.speed = speed;
  m.tempo = tempo;
  for (std::size_t i = 0; i < instrumentNames.size(); ++i) {
    Sample s;
    s.name = instrumentNames[i];
    s.data = squareWave(32 + 8 * static_cast<int>(i), 16);
    s.loop = true;
    m.samples.push_back(s);
  }
  m.instrumentNames = instrumentNames;
  int instruments = std::max<int>(1, static_cast<int>(instrumentNames.size()));
  for (int p = 0; p < patternCount; ++p) {
    Pattern pat;
    pat.rows = rows;
    for (int ch = 0; ch < channels; ++ch)
      pat.notes.push_back({0, ch, 49 + (ch * 4 + p) % 24, 1 + ch % instruments});
    m.patterns.push_back(pat);
    m.orders.push_back(p);
  }
  return m;
}

std::string writeMod(const Module& m) {
  requireNoSkips(m, "MOD");
  if (m.samples.size() > 31) throw std::invalid_argument("MOD holds 31 samples");
  if (maxOrder(m) + 1 != static_cast<int>(m.patterns.size()))
    throw std::invalid_argument("MOD stores exactly the patterns its orders reach");
  Bytes b;
  b.text(m.title, 20);
  for (std::size_t i = 0; i < 31; ++i) {
    if (i < m.samples.size()) {
      const Sample& s = m.samples[i];
      uint32_t words = static_cast<uint32_t>(evenData(s).size() / 2);
      b.text(s.name, 22);
      b.be16(words);
      b.u8(0);
      b.u8(s.volume);
      b.be16(0);
      b.be16(s.loop ? words : 1);
    } else {
      b.zeros(22 + 2 + 1 + 1 + 2);
      b.be16(1);
    }
  }
  b.u8(static_cast<int>(m.orders.size()));
  b.u8(127);
  for (std::size_t i = 0; i < 128; ++i) b.u8(i < m.orders.size() ? m.orders[i] : 0);
  b.raw(modSignature(m.channels));
  for (std::size_t p = 0; p < m.patterns.size(); ++p) {
    Grid grid = patternGrid(m, p, 64);
    if (static_cast<int>(p) == m.orders.front()) putSpeedAndTempo(m, grid);
    for (const auto& row : grid) {
      for (const Note& n : row) {
        int period = modPeriod(n.note);
        b.u8((n.instrument & 0xF0) | (period >> 8));
        b.u8(period & 0xFF);
        b.u8(((n.instrument & 0x0F) << 4) | modEffect(n.effect));
        b.u8(n.param);
      }
    }
  }
  for (const Sample& s : m.samples)
    for (int8_t v : evenData(s)) b.u8(static_cast<uint8_t>(v));
  return b.str();
}

std::string writeS3m(const Module& m) {
  if (m.channels > 16) throw std::invalid_argument("S3M holds 16 sample channels");
  Bytes b;
  b.text(m.title, 28);
  b.u8(0x1A);
  b.u8(16);
  b.le16(0);
  b.le16(static_cast<uint32_t>(m.orders.size()));
  b.le16(static_cast<uint32_t>(m.samples.size()));
  b.le16(static_cast<uint32_t>(m.patterns.size()));
  b.le16(0);
  b.le16(0x1320);
  b.le16(2); // unsigned sample data
  b.raw("SCRM");
  b.u8(64);
  b.u8(m.speed);
  b.u8(m.tempo);
  b.u8(0x80 | 48); // stereo
  b.u8(16);
  b.u8(0);
  b.zeros(8);
  b.le16(0);
  for (int ch = 0; ch < 32; ++ch) b.u8(ch < m.channels ? (ch % 2 ? 8 + ch / 2 : ch / 2) : 255);
  for (int o : m.orders) b.u8(orderByte(o));
  std::size_t instrumentPointers = b.size();
  b.zeros(2 * m.samples.size());
  std::size_t patternPointers = b.size();
  b.zeros(2 * m.patterns.size());

  std::vector<std::size_t> headers;
  for (std::size_t i = 0; i < m.samples.size(); ++i) {
    b.alignTo(16);
    headers.push_back(b.size());
    b.patchLe16(instrumentPointers + 2 * i, static_cast<uint32_t>(b.size() / 16));
    b.zeros(80);
  }
  for (std::size_t p = 0; p < m.patterns.size(); ++p) {
    b.alignTo(16);
    b.patchLe16(patternPointers + 2 * p, static_cast<uint32_t>(b.size() / 16));
    std::string packed = s3mPattern(patternGrid(m, p, 64));
    b.le16(static_cast<uint32_t>(packed.size() + 2));
    b.raw(packed);
  }
  for (std::size_t i = 0; i < m.samples.size(); ++i) {
    b.alignTo(16);
    uint32_t paragraph = static_cast<uint32_t>(b.size() / 16);
    for (int8_t v : m.samples[i].data) b.u8(static_cast<uint8_t>(v) ^ 0x80);
    Bytes header;
    s3mInstrument(header, m.samples[i], paragraph);
    for (std::size_t k = 0; k < header.size(); ++k) b.patch8(headers[i] + k, header.str()[k]);
  }
  return b.str();
}

std::string writeXm(const Module& m) {
  requireNoSkips(m, "XM");
  Bytes b;
  b.raw("Extended Module: ");
  b.text(m.title, 20);
  b.u8(0x1A);
  b.text("VORKA test writer", 20);
  b.le16(0x0104);
  b.le32(276);
  b.le16(static_cast<uint32_t>(m.orders.size()));
  b.le16(0);
  b.le16(m.channels);
  b.le16(static_cast<uint32_t>(m.patterns.size()));
  std::vector<std::string> names = m.instrumentNames;
  if (names.empty())
    for (const Sample& s : m.samples) names.push_back(s.name);
  b.le16(static_cast<uint32_t>(names.size()));
  b.le16(1); // linear frequencies
  b.le16(m.speed);
  b.le16(m.tempo);
  for (std::size_t i = 0; i < 256; ++i) b.u8(i < m.orders.size() ? m.orders[i] : 0);
  for (std::size_t p = 0; p < m.patterns.size(); ++p) {
    const Pattern& pat = m.patterns[p];
    std::string packed = xmPattern(patternGrid(m, p, pat.rows));
    b.le32(9);
    b.u8(0);
    b.le16(pat.rows);
    b.le16(static_cast<uint32_t>(packed.size()));
    b.raw(packed);
  }
  for (std::size_t i = 0; i < names.size(); ++i)
    xmInstrument(b, names[i], i < m.samples.size() ? &m.samples[i] : nullptr);
  return b.str();
}

std::string writeIt(const Module& m) {
  if (m.channels > 64) throw std::invalid_argument("IT holds 64 channels");
  bool instruments = !m.instrumentNames.empty();
  Bytes b;
  b.raw("IMPM");
  b.text(m.title, 26);
  b.le16(0x1004);
  b.le16(static_cast<uint32_t>(m.orders.size()));
  b.le16(static_cast<uint32_t>(m.instrumentNames.size()));
  b.le16(static_cast<uint32_t>(m.samples.size()));
  b.le16(static_cast<uint32_t>(m.patterns.size()));
  b.le16(0x0214);
  b.le16(0x0214);
  b.le16(1 | 8 | (instruments ? 4 : 0)); // stereo, linear slides, instrument mode
  b.le16(m.message.empty() ? 0 : 1);      // a message is attached
  b.u8(128);
  b.u8(48);
  b.u8(m.speed);
  b.u8(m.tempo);
  b.u8(128);
  b.u8(0);
  b.le16(0);
  b.le32(0);
  b.le32(0);
  for (int ch = 0; ch < 64; ++ch) b.u8(ch < m.channels ? 32 : 32 | 128);
  for (int ch = 0; ch < 64; ++ch) b.u8(64);
  for (int o : m.orders) b.u8(orderByte(o));
  std::size_t instrumentOffsets = b.size();
  b.zeros(4 * m.instrumentNames.size());
  std::size_t sampleOffsets = b.size();
  b.zeros(4 * m.samples.size());
  std::size_t patternOffsets = b.size();
  b.zeros(4 * m.patterns.size());

  for (std::size_t i = 0; i < m.instrumentNames.size(); ++i) {
    b.patchLe32(instrumentOffsets + 4 * i, static_cast<uint32_t>(b.size()));
    itInstrument(b, m.instrumentNames[i], i < m.samples.size() ? static_cast<int>(i + 1) : 0);
  }
  std::vector<std::size_t> sampleHeaders;
  for (std::size_t i = 0; i < m.samples.size(); ++i) {
    b.patchLe32(sampleOffsets + 4 * i, static_cast<uint32_t>(b.size()));
    sampleHeaders.push_back(b.size());
    b.zeros(80);
  }
  for (std::size_t p = 0; p < m.patterns.size(); ++p) {
    b.patchLe32(patternOffsets + 4 * p, static_cast<uint32_t>(b.size()));
    int rows = std::max(32, m.patterns[p].rows);
    std::string packed = itPattern(patternGrid(m, p, rows));
    b.le16(static_cast<uint32_t>(packed.size()));
    b.le16(rows);
    b.zeros(4);
    b.raw(packed);
  }
  for (std::size_t i = 0; i < m.samples.size(); ++i) {
    uint32_t offset = static_cast<uint32_t>(b.size());
    for (int8_t v : m.samples[i].data) b.u8(static_cast<uint8_t>(v));
    Bytes header;
    itSampleHeader(header, m.samples[i], offset);
    for (std::size_t k = 0; k < header.size(); ++k)
      b.patch8(sampleHeaders[i] + k, header.str()[k]);
  }
  if (!m.message.empty()) {
    // Impulse Tracker ends the message's lines with a carriage return.
    std::string text = m.message;
    std::replace(text.begin(), text.end(), '\n', '\r');
    b.patchLe16(0x36, static_cast<uint32_t>(text.size() + 1));
    b.patchLe32(0x38, static_cast<uint32_t>(b.size()));
    b.raw(text);
    b.u8(0);
  }
  return b.str();
}

double rowSeconds(int speed, int tempo) { return speed * 2.5 / tempo; }

std::string moduleFor(const std::string& fileName, const std::string& title) {
  std::string lower = fileName;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::size_t slash = fileName.rfind('/');
  const Module song = simpleSong(title.empty() ? fileName.substr(slash == std::string::npos ? 0 : slash + 1) : title,
                                 4, 1, 16, {"square"});
  if (lower.ends_with(".s3m")) return writeS3m(song);
  if (lower.ends_with(".xm")) return writeXm(song);
  if (lower.ends_with(".it")) return writeIt(song);
  return writeMod(song);
}

} // namespace testmod
