// Fuzzes the high-score file reader: any bytes decode into at most 20 records with names of at
// most 80 bytes, and those records encode and decode to themselves.

#include "scores/Score.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<THighScoreRec> read = THighScoreList::decode(bytes, 20);
  if (read.size() > 20 || read.size() > size / 89) std::abort();
  for (const THighScoreRec& r : read)
    if (r.NameLength > 80 || r.name().size() > 80) std::abort();
  const std::vector<THighScoreRec> again = THighScoreList::decode(THighScoreList::encode(read), 20);
  if (again.size() != read.size()) std::abort();
  for (std::size_t i = 0; i < read.size(); ++i) {
    if (again[i].name() != read[i].name()) std::abort();
    if (int32_t{again[i].Score} != int32_t{read[i].Score} || int32_t{again[i].Level} != int32_t{read[i].Level})
      std::abort();
  }
  return 0;
}
