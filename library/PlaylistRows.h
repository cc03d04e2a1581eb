#pragma once

#include "library/ModuleFacts.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The rows the playlist window shows: one a song, so one a subsong of a module with several,
// with the facts the index found (a file whose facts have not arrived is one row showing its
// path). Finds rows by a text typed in parts of their title, artist, file name and folder,
// regardless of case and accents, and works out the entry order that sorts the playlist by a
// column: subsongs stay with their file and under their file's first row. No widgets; one
// thread at a time.
class TPlaylistRows {
public:
  enum EColumn { Title, Artist, Length, Format, File, ColumnCount };

  struct TRow {
    std::size_t Entry = 0; // index into the playlist
    int32_t Subsong = 0;   // from 0
    double Seconds = -1;   // negative while not known
  };

  // Rows for `entries` (the playlist, in order) from the facts known so far; the filter is
  // applied again.
  void setEntries(const std::vector<std::string>& entries);
  // Takes in facts that arrived; true when a row of the playlist changed by them.
  bool addFacts(std::vector<TModuleFacts> facts);
  // The facts known of `path`; null when none arrived yet.
  const TModuleFacts* factsOf(const std::string& path) const;
  // The paths of the playlist whose facts are not known.
  std::vector<std::string> unknownPaths() const;

  std::size_t size() const { return m_rows.size(); }
  const TRow& row(std::size_t index) const { return m_rows[index]; }
  // The row index of subsong `subsong` of entry `entry`, or its file's first row; -1 when the
  // entry is not in the playlist.
  int64_t rowOf(std::size_t entry, int32_t subsong) const;

  // What a column shows for row `index` (UTF-8; the path's bytes for File). Title is the
  // module's title (its file name when it has none) with " (2/5)" for a subsong; empty until
  // the facts arrive. File is the folder's name and the file's name.
  std::string text(std::size_t index, EColumn column) const;
  // The whole path of the row's file.
  const std::string& path(std::size_t index) const;
  // Seconds of the row's song; negative when not known.
  double seconds(std::size_t index) const { return m_rows[index].Seconds; }
  // The sum of every known length and how many rows have none yet.
  double totalSeconds() const { return m_totalSeconds; }
  std::size_t rowsWithoutLength() const { return m_rowsWithoutLength; }

  // Keeps the rows whose title, artist, file name or folder holds `query` (UTF-8), case and
  // accents aside; an empty query keeps every row.
  void setFilter(const std::string& query);
  const std::string& filter() const { return m_query; }
  // The rows kept by the filter, in playlist order.
  const std::vector<std::size_t>& visible() const { return m_visible; }

  // The entry order (as TPlaylist::reorder takes it) that sorts the playlist by `column`; equal
  // keys keep their order.
  std::vector<std::size_t> sortedOrder(EColumn column, bool descending) const;

  // `text` (UTF-8) folded for finding: lower case, accents dropped, compatibility forms
  // unified ("Ä" and "ä" both "a", "ﬁ" "fi").
  static std::string fold(const std::string& text);

private:
  void rebuild();
  void indexEntries();
  // How many rows entry `entry` has now, and how many its facts give it.
  std::size_t rowsOf(std::size_t entry) const;
  std::size_t rowsFor(const TModuleFacts* facts) const;
  double secondsOf(const TModuleFacts* facts, int32_t subsong) const;
  void refilter(bool narrower);
  void joinTexts();
  // What is known of one path: its facts once they arrived, and the folded texts that find
  // looks through for each of its rows, made once.
  struct TKnown {
    bool HasFacts = false;
    TModuleFacts Facts;
    std::vector<std::string> Folds;
  };
  const TModuleFacts* factsIn(const TKnown& known) const { return known.HasFacts ? &known.Facts : nullptr; }
  const std::vector<std::string>& foldsOf(const std::string& path, TKnown& known);

  std::vector<std::string> m_entries;
  std::unordered_map<std::string, TKnown> m_known; // by path; its nodes never move
  std::vector<TKnown*> m_entryKnown;                // of each entry
  // The entries of each path, made when facts arrive after the entries changed.
  std::unordered_map<std::string, std::vector<std::size_t>> m_entriesOf;
  std::vector<TRow> m_rows;
  std::vector<std::size_t> m_firstRow;    // of each entry
  std::vector<const std::string*> m_searchText; // of each row, into m_known
  // The rows' folded texts end to end, each ended by a zero byte, and where each row's begins
  // (one more for the end): one scan finds a query in all of them. Made again when a filter
  // is applied after the rows changed.
  std::string m_text;
  std::vector<std::size_t> m_textStart;
  bool m_textStale = true;
  std::vector<std::size_t> m_visible;
  std::string m_query;                    // as given
  std::string m_folded;                   // folded
  double m_totalSeconds = 0;
  std::size_t m_rowsWithoutLength = 0;
};
