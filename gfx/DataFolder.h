#pragma once

#include <string>

// Where the game's bitmaps are read from: the program's data folder, unless a test points the
// game at another one.
std::string GameDataFolder();
void SetGameDataFolder(const std::string& folder);

// `fileName` in the game data folder.
std::string GameDataFile(const std::string& fileName);
