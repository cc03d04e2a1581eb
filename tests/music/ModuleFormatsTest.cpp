#include "music/ModuleFormats.h"

#include <libopenmpt/libopenmpt.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace {

// Every extension the library reads names a module, in any case and as an Amiga prefix; other
// names do not.
TEST(ModuleFormatsTest, NamesTheLibraryReads) {
  const std::vector<std::string> extensions = openmpt::get_supported_extensions();
  ASSERT_GT(extensions.size(), 30u);
  EXPECT_EQ(TModuleFormats::Extensions().size(), extensions.size());
  for (std::string extension : extensions) {
    EXPECT_TRUE(TModuleFormats::IsModuleName("tune." + extension)) << extension;
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::toupper(c); });
    EXPECT_TRUE(TModuleFormats::IsModuleName("TUNE." + extension)) << extension;
    EXPECT_TRUE(TModuleFormats::IsModuleName(extension + ".beastii")) << extension;
  }
  for (const char* name : {"notes.txt", "mod", "tune.mod.txt.", "song.wav", "readme"})
    EXPECT_FALSE(TModuleFormats::IsModuleName(name)) << name;
}

} // namespace
