// vorka_artgen <output-folder>: draws every bitmap the program loads and writes them, as 8-bit
// BMP files on one shared palette, into the folder.

#include "tools/artgen/BitmapWriter.h"
#include "tools/artgen/GameArt.h"
#include "tools/artgen/UiArt.h"

#include <QDir>
#include <QGuiApplication>

#include <exception>
#include <iostream>

int main(int argc, char* argv[]) {
  // Fonts need a GUI application; the offscreen platform needs no display.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::cerr << "usage: vorka_artgen <output-folder>\n";
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder)) {
    std::cerr << "vorka_artgen: unable to create " << argv[1] << '\n';
    return 1;
  }
  try {
    const TBitmapWriter writer(folder);
    TUiArt::writeAll(writer);
    TGameArt::writeAll(writer, folder);
  } catch (const std::exception& e) {
    std::cerr << "vorka_artgen: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
