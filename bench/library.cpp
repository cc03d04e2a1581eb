// Times the collection: finding as one types in 100,000 and 450,000 generated playlist rows
// (median and 90th percentile of each key), how many modules a second the index reads against
// `openmpt123 --info` on the same files, how soon a start with 20,000 known entries has every
// title, and the longest the window's event loop waits while a folder of 20,000 modules is
// added in the playlist window. `bench_library [modules]` (default 400 files for the rate).

#include "library/Library.h"
#include "library/LibraryIndex.h"
#include "library/LibraryIndexer.h"
#include "library/PlaylistRows.h"
#include "playlist/PlaylistWindow.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double percentile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

// Paths and facts that look like a large collection: formats, composers' folders, titles of a
// few words, one in ten with an accent.
void generate(std::size_t count, std::vector<std::string>& paths, std::vector<TModuleFacts>& facts) {
  static const char* const words[] = {"space", "dream", "night", "Émile", "tune", "acid", "crystal", "ocean",
                                      "river", "storm", "dance", "Über", "galaxy", "funk", "echo", "shadow"};
  static const char* const formats[] = {"mod", "xm", "it", "s3m"};
  std::mt19937 random(7);
  auto word = [&] { return std::string(words[random() % 16]); };
  for (std::size_t i = 0; i < count; ++i) {
    const std::string format = formats[random() % 4];
    const std::string path = "/home/user/Modland/" + format + "/composer " + std::to_string(random() % 5000) + "/" +
                             word() + " " + word() + " " + std::to_string(i) + "." + format;
    paths.push_back(path);
    TModuleFacts found;
    found.Path = path;
    found.Readable = true;
    found.Format = format;
    found.Title = word() + " " + word() + " " + word();
    found.Artist = random() % 3 ? word() + " " + std::to_string(random() % 900) : std::string();
    found.Subsongs.push_back({"", 60.0 + static_cast<double>(random() % 300)});
    facts.push_back(std::move(found));
  }
}

void findAsOneTypes(std::size_t count) {
  std::vector<std::string> paths;
  std::vector<TModuleFacts> facts;
  generate(count, paths, facts);
  TPlaylistRows rows;
  auto start = Clock::now();
  rows.setEntries(paths);
  rows.addFacts(std::move(facts));
  const double made = msSince(start);
  std::vector<double> keys;
  for (const std::string query : {"crystal ocean", "EMILE", "composer 42", "uber funk", "zzz", "dream 1234"}) {
    for (std::size_t typed = 1; typed <= query.size(); ++typed) {
      start = Clock::now();
      rows.setFilter(query.substr(0, typed));
      keys.push_back(msSince(start));
    }
    // Clearing the field shows every row again.
    start = Clock::now();
    rows.setFilter("");
    keys.push_back(msSince(start));
  }
  // An edit of the playlist (the last entry moved to the top) shows the rows anew.
  std::rotate(paths.rbegin(), paths.rbegin() + 1, paths.rend());
  start = Clock::now();
  rows.setEntries(paths);
  const double edited = msSince(start);
  std::printf("find in %zu rows: a key %.1f ms median, %.1f ms p90, %.1f ms at most (%zu keys); rows made in %.0f ms "
              "at first, %.0f ms after an edit\n",
              count, percentile(keys, 0.5), percentile(keys, 0.9), *std::max_element(keys.begin(), keys.end()),
              keys.size(), made, edited);
}

// Writes `count` modules of the four formats, a few different songs among them.
std::vector<std::string> writeModules(const TempDir& dir, std::size_t count) {
  std::vector<std::string> files;
  const char* const endings[] = {".mod", ".s3m", ".xm", ".it"};
  for (std::size_t i = 0; i < count; ++i) {
    const std::string name = "song " + std::to_string(i) + endings[i % 4];
    testmod::Module song = testmod::simpleSong("Song " + std::to_string(i), 4 + static_cast<int>(i % 5) * 2,
                                               4 + static_cast<int>(i % 7), 64, {"Lead", "Bass", "Drum"});
    const std::string ending = endings[i % 4];
    files.push_back(dir.write(name, ending == ".mod"   ? testmod::writeMod(song)
                                    : ending == ".s3m" ? testmod::writeS3m(song)
                                    : ending == ".xm"  ? testmod::writeXm(song)
                                                       : testmod::writeIt(song)));
  }
  return files;
}

void waitForFacts(TLibraryIndexer& indexer, std::size_t count) {
  std::size_t found = 0;
  while (found < count) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    found += indexer.take().size();
  }
}

void indexRate(std::size_t count) {
  TempDir dir;
  const std::vector<std::string> files = writeModules(dir, count);
  auto start = Clock::now();
  {
    TLibraryIndexer indexer(dir.file("library.sqlite"));
    indexer.request(files);
    waitForFacts(indexer, files.size());
  }
  const double ours = msSince(start) / 1000;
  std::string command = "openmpt123 --info";
  for (const std::string& file : files) command += " '" + file + "'";
  command += " >/dev/null 2>&1";
  start = Clock::now();
  const int status = std::system(command.c_str());
  const double theirs = msSince(start) / 1000;
  std::printf("index: %zu modules in %.2f s, %.0f a second; openmpt123 --info: %.2f s, %.0f a second%s; ratio %.2f\n",
              count, ours, count / ours, theirs, count / theirs, status == 0 ? "" : " (it failed)",
              theirs / ours);
}

// 20,000 entries, all known to the index: the time from making the collection to every title.
void knownStart(const TempDir& dir, const std::vector<std::string>& entries) {
  std::ofstream list(dir.file("playlist.dat"), std::ios::binary);
  for (const std::string& entry : entries) list << entry << "\r\n";
  list.close();
  const auto start = Clock::now();
  TLibrary library(dir.path().string() + "/", dir.file("library.sqlite"));
  library.playlist().load();
  while (!library.rows().unknownPaths().empty()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  std::printf("start with %zu known entries: every title in %.0f ms\n", entries.size(), msSince(start));
}

// The event loop's longest wait while the playlist window adds a folder of `entries.size()`
// modules and their facts arrive.
void responsiveWhileAdding(const TempDir& dir, const std::string& folder, std::size_t count) {
  std::filesystem::remove(dir.file("playlist.dat"));
  TLibrary library(dir.path().string() + "/", dir.file("library.sqlite"));
  library.playlist().load();
  TPlaylistWindow window(library);
  window.show();
  QElapsedTimer clock;
  clock.start();
  std::vector<double> waits;
  qint64 last = clock.elapsed();
  QTimer tick;
  tick.setInterval(1);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    waits.push_back(static_cast<double>(now - last));
    last = now;
  });
  tick.start();
  window.addPaths({folder}, 0);
  while (window.scanning() || library.playlist().size() < count || !library.rows().unknownPaths().empty() ||
         library.waiting() > 0)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  std::printf("adding a folder of %zu modules: done in %.1f s; the event loop waited %.0f ms at most, %.1f ms p99\n",
              count, static_cast<double>(clock.elapsed()) / 1000, *std::max_element(waits.begin(), waits.end()),
              percentile(waits, 0.99));
}

} // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  findAsOneTypes(100000);
  findAsOneTypes(450000);
  indexRate(argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 400);

  // 20,000 entries: links to a few modules, indexed once.
  TempDir dir;
  const std::string folder = dir.file("collection");
  std::filesystem::create_directories(folder);
  TempDir songs;
  const std::vector<std::string> originals = writeModules(songs, 20);
  std::vector<std::string> entries;
  for (std::size_t i = 0; i < 20000; ++i) {
    const std::string link = folder + "/" + std::to_string(i / 1000) + "/" + std::to_string(i) +
                             originals[i % originals.size()].substr(originals[i % originals.size()].rfind('.'));
    std::filesystem::create_directories(std::filesystem::path(link).parent_path());
    std::filesystem::create_hard_link(originals[i % originals.size()], link);
    entries.push_back(link);
  }
  {
    TLibraryIndexer indexer(dir.file("library.sqlite"));
    indexer.request(entries);
    waitForFacts(indexer, entries.size());
  }
  knownStart(dir, entries);
  responsiveWhileAdding(dir, folder, entries.size());
  return 0;
}
