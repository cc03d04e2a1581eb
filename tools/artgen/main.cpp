// vorka_artgen <output-folder> <desktop id>: draws every bitmap the program loads and writes
// them, as 8-bit BMP files on one shared palette, into the folder, and the program's desktop
// icon, named after its desktop id, as PNG files below it in icons/hicolor/.

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
  if (argc != 3) {
    std::cerr << "usage: vorka_artgen <output-folder> <desktop id>\n";
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
    TUiArt::writeDesktopIcons(folder, QString::fromLocal8Bit(argv[2]));
  } catch (const std::exception& e) {
    std::cerr << "vorka_artgen: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
