#pragma once

#include <filesystem>
#include <string>

// A fresh, empty folder below the system's temporary folder, removed with everything in it
// when the object goes.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  // `name` inside the folder, as a string.
  std::string file(const std::string& name) const { return (m_path / name).string(); }
  // Writes `bytes` to `name` inside the folder and returns its path.
  std::string write(const std::string& name, const std::string& bytes) const;

private:
  std::filesystem::path m_path;
};
