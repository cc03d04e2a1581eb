// Fuzzes the command line: any arguments (the input's pieces between zero bytes) are read
// without a crash or undefined behaviour, and an export asked for names a subsong from 0 on.

#include "desktop/CommandLine.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QCoreApplication::setApplicationName("vorka");
  QCoreApplication::setApplicationVersion("0");
  std::vector<std::string> arguments{"vorka"};
  std::string piece;
  for (std::size_t i = 0; i < size && arguments.size() < 16; ++i) {
    if (data[i] != 0) {
      piece += static_cast<char>(data[i]);
      continue;
    }
    arguments.push_back(piece);
    piece.clear();
  }
  if (!piece.empty()) arguments.push_back(piece);
  const TCommandLine line = TCommandLine::parse(arguments);
  if (line.Action == TCommandLine::TAction::Export && line.ExportSubsong < 0) std::abort();
  return 0;
}
