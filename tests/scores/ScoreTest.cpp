#include "scores/Score.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace {

THighScoreRec record(const std::string& name, int32_t score, int32_t level = 1) {
  THighScoreRec r;
  r.NameLength = static_cast<uint8_t>(name.size());
  std::copy(name.begin(), name.end(), r.Name);
  r.Score = score;
  r.Level = level;
  return r;
}

class ScoreTest : public ::testing::Test {
protected:
  std::string path() const { return dir.file("highscore.dat"); }

  void store(const std::vector<THighScoreRec>& entries, const std::string& tail = "") {
    std::ofstream(path(), std::ios::binary) << THighScoreList::encode(entries) << tail;
  }

  std::string stored() const {
    std::ifstream in(path(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::vector<int32_t> scores(const THighScoreList& list) const {
    std::vector<int32_t> s;
    for (int32_t i = 0; i < list.Count(); ++i) s.push_back(int32_t{list.GetEntry(i).Score});
    return s;
  }

  TempDir dir;
};

// Without a file the list is empty, and its end leaves a 0-byte file.
TEST_F(ScoreTest, NoFileGivesAnEmptyListAndAnEmptyFile) {
  {
    THighScoreList list(path(), 20);
    EXPECT_EQ(list.Count(), 0);
  }
  ASSERT_TRUE(std::filesystem::exists(path()));
  EXPECT_EQ(std::filesystem::file_size(path()), 0u);
}

// Every record is 89 bytes: length, the name with zeros behind it, score and level in
// little-endian order.
TEST_F(ScoreTest, ExactBytesWritten) {
  {
    THighScoreList list(path(), 20);
    list.AddScore("Ann", 0x01020304, -2);
  }
  std::string expected;
  expected += '\x03';
  expected += "Ann";
  expected.append(77, '\0');
  expected += std::string("\x04\x03\x02\x01", 4);
  expected += std::string("\xFE\xFF\xFF\xFF", 4);
  EXPECT_EQ(stored(), expected);
}

// Only the capacity's worth of records is read; an incomplete tail is ignored and is gone
// after the next write.
TEST_F(ScoreTest, ReadingStopsAtCapacityAndAtAShortRecord) {
  std::vector<THighScoreRec> many;
  for (int i = 0; i < 25; ++i) many.push_back(record("P" + std::to_string(i), 2500 - i * 100));
  store(many);
  {
    THighScoreList list(path(), 20);
    EXPECT_EQ(list.Count(), 20);
    EXPECT_EQ(list.GetEntry(19).name(), "P19");
  }
  EXPECT_EQ(stored().size(), 20u * 89);

  store({record("A", 5), record("B", 4)}, std::string(40, 'x'));
  {
    THighScoreList list(path(), 20);
    EXPECT_EQ(list.Count(), 2);
  }
  EXPECT_EQ(stored().size(), 2u * 89);
}

// A new score goes before the first lower one, below equal ones; a result too low for a full
// list is dropped, one that fits pushes the last one out; a short list keeps low results.
TEST_F(ScoreTest, AddScoreOrderAndCapacity) {
  store({record("a", 500), record("b", 300), record("c", 300), record("d", 100)});
  THighScoreList ties(path(), 20);
  ties.AddScore("new", 300, 4);
  EXPECT_EQ(scores(ties), (std::vector<int32_t>{500, 300, 300, 300, 100}));
  EXPECT_EQ(ties.GetEntry(3).name(), "new");
  EXPECT_EQ(int32_t{ties.GetEntry(3).Level}, 4);

  std::vector<THighScoreRec> full;
  for (int s = 2000; s >= 100; s -= 100) full.push_back(record("x", s));
  store(full);
  THighScoreList list(dir.file("highscore.dat"), 20);
  list.AddScore("low", 100, 1);
  EXPECT_EQ(list.Count(), 20);
  EXPECT_EQ(list.GetEntry(19).name(), "x");
  list.AddScore("mid", 150, 1);
  EXPECT_EQ(list.Count(), 20);
  EXPECT_EQ(list.GetEntry(19).name(), "mid");
  EXPECT_EQ(int32_t{list.GetEntry(18).Score}, 200);

  THighScoreList shortList(dir.file("other.dat"), 20);
  for (int s : {50, 40, 30, 20, 10}) shortList.AddScore("s", s, 1);
  shortList.AddScore("lowest", -5, 1);
  EXPECT_EQ(shortList.Count(), 6);
  EXPECT_EQ(shortList.GetEntry(5).name(), "lowest");
}

// A file out of order keeps its order; a new score goes before the first lower score from the
// top.
TEST_F(ScoreTest, FileOrderIsKept) {
  store({record("a", 100), record("b", 500), record("c", 50)});
  THighScoreList list(path(), 20);
  EXPECT_EQ(scores(list), (std::vector<int32_t>{100, 500, 50}));
  list.AddScore("n", 200, 1);
  EXPECT_EQ(scores(list), (std::vector<int32_t>{200, 100, 500, 50}));
}

// Names are cut to 80 bytes, at a character boundary; a damaged length byte above 80 reads as
// 80, nothing beyond the record is read, and the name shown ends at its first zero byte.
TEST_F(ScoreTest, NameLengthLimits) {
  {
    THighScoreList list(path(), 20);
    list.AddScore(std::string(100, 'n'), 1, 1);
    list.AddScore(std::string(79, 'a') + "\xC3\xA9", 2, 1);
    EXPECT_EQ(list.GetEntry(1).name(), std::string(80, 'n'));
    EXPECT_EQ(list.GetEntry(0).name(), std::string(79, 'a'));
  }
  std::string bytes = THighScoreList::encode({record("abc", 7, 3), record("next", 5, 2)});
  bytes[0] = static_cast<char>(200);
  std::vector<THighScoreRec> read = THighScoreList::decode(bytes, 20);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].NameLength, 80);
  EXPECT_EQ(read[0].name(), "abc");
  EXPECT_EQ(int32_t{read[0].Score}, 7);
  EXPECT_EQ(read[1].name(), "next");
  EXPECT_EQ(THighScoreList::encode(read).substr(0, 1), std::string(1, '\x50'));
}

// One thread adding results while another reads entries thousands of times never sees a
// torn or missing entry.
TEST_F(ScoreTest, AddingWhileReading) {
  THighScoreList list(path(), 20);
  for (int i = 0; i < 20; ++i) list.AddScore("base", 1000, 1);
  std::atomic<bool> done{false}, torn{false};
  std::thread reader([&] {
    while (!done) {
      for (int32_t i = 0; i < list.Count(); ++i) {
        THighScoreRec e = list.GetEntry(i);
        std::string n = e.name();
        if (!((n == "base" && e.Score == 1000) || (n == "game" && e.Score == 2000 + e.Level)))
          torn = true;
      }
    }
  });
  for (int i = 0; i < 5000; ++i) list.AddScore("game", 2000 + i, i);
  done = true;
  reader.join();
  EXPECT_FALSE(torn);
  EXPECT_EQ(list.Count(), 20);
  EXPECT_EQ(int32_t{list.GetEntry(0).Score}, 2000 + 4999);
}

// A file that is there but cannot be read whole (no permission, a folder, a read error) is
// never written over: the results of the run stay in memory only.
TEST_F(ScoreTest, UnreadableFileIsNeverWrittenOver) {
  auto keptAfterARun = [&](const std::string& what) {
    THighScoreList list(path(), 20);
    EXPECT_EQ(list.Count(), 0) << what;
    list.AddScore("Run", 10, 1);
    EXPECT_EQ(list.Count(), 1) << what;
    EXPECT_FALSE(list.Save()) << what;
  };
  store({record("Kept", 900)});
  chmod(path().c_str(), 0);
  EXPECT_EQ(inChildProcess([&] {
              if (!dropRoot()) return 9;
              keptAfterARun("no permission");
              return ::testing::Test::HasFailure() ? 1 : 0;
            }),
            0);
  chmod(path().c_str(), 0644);
  EXPECT_EQ(stored(), THighScoreList::encode({record("Kept", 900)}));

  std::filesystem::remove(path());
  std::filesystem::create_directory(path());
  keptAfterARun("a folder");
  EXPECT_TRUE(std::filesystem::is_directory(path()));
  std::filesystem::remove(path());
  std::filesystem::create_symlink("/proc/self/mem", path());
  keptAfterARun("a read error");
  EXPECT_TRUE(std::filesystem::is_symlink(path()));
}

// A save that fails (a full disk, as a file-size limit makes it) gives the system's reason,
// keeps the old file and the results in memory, and the next save tries again; a result that
// entered the list stays unsaved until a save succeeds, one too low for a full list never is.
TEST_F(ScoreTest, FailedSaveKeepsTheResultsForTheNextSave) {
  store({record("Old", 900)});
  EXPECT_EQ(inChildProcess([&] {
              signal(SIGXFSZ, SIG_IGN);
              THighScoreList list(path(), 2);
              if (list.HasUnsavedResults()) return 1;
              list.AddScore("New", 950, 4);
              rlimit limit{0, RLIM_INFINITY};
              setrlimit(RLIMIT_FSIZE, &limit);
              TFileWrite full = list.Save();
              if (full || full.Error != "File too large" || !list.HasUnsavedResults()) return 2;
              if (stored() != THighScoreList::encode({record("Old", 900)}) || list.Count() != 2) return 3;
              limit.rlim_cur = RLIM_INFINITY;
              setrlimit(RLIMIT_FSIZE, &limit);
              if (!list.Save() || list.HasUnsavedResults()) return 4;
              list.AddScore("Low", 5, 1);
              return list.HasUnsavedResults() ? 5 : 0;
            }),
            0);
  EXPECT_EQ(stored(), THighScoreList::encode({record("New", 950, 4), record("Old", 900)}));
}

// The bytes this process has read so far, as the kernel counts them.
uint64_t bytesRead() {
  std::ifstream io("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return 0;
}

// However large the file, only the records that can matter are read: a 3 GB file gives its
// first 20 records, and reading it reads little more than those.
TEST_F(ScoreTest, HugeFileReadsOnlyWhatMatters) {
  store({record("Top", 900)});
  std::filesystem::resize_file(path(), 3ull << 30);
  uint64_t before = bytesRead();
  THighScoreList list(path(), 20);
  EXPECT_LT(bytesRead() - before, 64u * 1024);
  EXPECT_EQ(list.Count(), 20);
  EXPECT_EQ(list.GetEntry(0).name(), "Top");
}

} // namespace
