#include "gfx/DXError.h"

#include <gtest/gtest.h>

namespace {

std::string raised(HRESULT result, const std::string& message) {
  try {
    DDCheck(result, message);
  } catch (const EDXError& e) {
    return e.what();
  }
  return "<nothing raised>";
}

// Success raises nothing, whatever the message; a failure names the operation and the result.
TEST(DXErrorTest, CheckNamesTheResult) {
  EXPECT_EQ(raised(DD_OK, "Cannot Flip %d"), "<nothing raised>");
  EXPECT_EQ(raised(static_cast<HRESULT>(0x887601C2u), "Cannot erase surface"),
            "Cannot erase surface: DDERR_SURFACELOST");
  EXPECT_EQ(raised(DDERR_UNSUPPORTEDMODE, "Cannot set display mode"),
            "Cannot set display mode: DDERR_UNSUPPORTEDMODE");
}

// The table holds DirectDraw's own names for the general codes and for its facility, from the
// first to the last.
TEST(DXErrorTest, NamesOfTheTable) {
  EXPECT_EQ(DDErrorName(static_cast<HRESULT>(0x80004001u)), "DDERR_UNSUPPORTED");
  EXPECT_EQ(DDErrorName(static_cast<HRESULT>(0x80070057u)), "DDERR_INVALIDPARAMS");
  EXPECT_EQ(DDErrorName(static_cast<HRESULT>(0x88760005u)), "DDERR_ALREADYINITIALIZED");
  EXPECT_EQ(DDErrorName(static_cast<HRESULT>(0x8876026Cu)), "DDERR_DCALREADYCREATED");
  EXPECT_EQ(DDErrorName(static_cast<HRESULT>(0x887602A8u)), "DDERR_NOTPAGELOCKED");
}

// A code outside the table gives itself and its number within the facility.
TEST(DXErrorTest, UnknownCodes) {
  EXPECT_EQ(DDErrorName(static_cast<HRESULT>(0x88760001u)), "Unknown Error: -2005532671 (1)");
  EXPECT_EQ(DDErrorName(static_cast<HRESULT>(0x80004002u)),
            "Unknown Error: -2147467262 (-141934590)");
  EXPECT_EQ(raised(1, "Cannot BLT"), "Cannot BLT: Unknown Error: 1 (2005532673)");
}

} // namespace
