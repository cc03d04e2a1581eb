#include "music/ModuleDetails.h"

std::string SubsongName(const TSubsong& subsong, int32_t index) {
  const auto start = subsong.Name.find_first_not_of(" \t");
  if (start == std::string::npos) return "Subsong " + std::to_string(index + 1);
  return subsong.Name.substr(start, subsong.Name.find_last_not_of(" \t") - start + 1);
}

std::string SubsongMark(int32_t subsong, int32_t count) {
  if (count < 2) return {};
  return " (" + std::to_string(subsong + 1) + "/" + std::to_string(count) + ")";
}
