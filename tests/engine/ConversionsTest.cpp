// The run-time library's conversions that script fields and engine
// properties both rely on.
#include <gtest/gtest.h>

#include "engine/AppError.h"
#include "engine/Conversions.h"
#include "engine/Variant.h"

namespace telvarn {
namespace {

int errorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const AppError& error) {
    return error.number();
  }
  return 0;
}

TEST(ToInteger16, AcceptsBlanksSignsFractionsAndRadixForms) {
  EXPECT_EQ(toInteger16("10"), 10);
  EXPECT_EQ(toInteger16("  -7 "), -7);
  EXPECT_EQ(toInteger16("\t+3"), 3);
  EXPECT_EQ(toInteger16("1e3"), 1000);
  EXPECT_EQ(toInteger16("&H10"), 16);
  EXPECT_EQ(toInteger16("&HFFFF"), -1);
  EXPECT_EQ(toInteger16("&O17"), 15);
  EXPECT_EQ(toInteger16("-32768"), -32768);
  EXPECT_EQ(toInteger16("32767"), 32767);
}

TEST(ToInteger16, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(toInteger16("2.5"), 2);
  EXPECT_EQ(toInteger16("3.5"), 4);
  EXPECT_EQ(toInteger16("-2.5"), -2);
  EXPECT_EQ(toInteger16("0.49"), 0);
  EXPECT_EQ(toInteger16("32767.4"), 32767);
}

TEST(ToInteger16, RefusesTextWith13AndRangeWith6) {
  for (const char* text : {"", " ", "abc", "1 2", "1,5", "--1", "&H", "&HG", ".", "1e"}) {
    EXPECT_EQ(errorOf([&] { toInteger16(text); }), 13) << "'" << text << "'";
  }
  for (const char* text : {"32768", "-32769", "32767.5", "1e10", "&H10000"}) {
    EXPECT_EQ(errorOf([&] { toInteger16(text); }), 6) << "'" << text << "'";
  }
}

TEST(ToBoolean, FollowsTheRuntimeLibraryRules) {
  EXPECT_TRUE(toBoolean("True"));
  EXPECT_TRUE(toBoolean("tRUE"));
  EXPECT_TRUE(toBoolean(" #TRUE# "));
  EXPECT_FALSE(toBoolean("FALSE"));
  EXPECT_TRUE(toBoolean("-1"));
  EXPECT_TRUE(toBoolean("0.5"));
  EXPECT_FALSE(toBoolean("0"));
  EXPECT_FALSE(toBoolean(" -0 "));
  for (const char* text : {"Yes", "No", "On", "T", "", "Truee"}) {
    EXPECT_EQ(errorOf([&] { toBoolean(text); }), 13) << "'" << text << "'";
  }
}

TEST(VariantConversion, NullAndEmptyBehaveAsInTheRuntimeLibrary) {
  EXPECT_FALSE(Variant().toBoolean());
  EXPECT_EQ(errorOf([] { Variant::null().toBoolean(); }), 94);
  EXPECT_EQ(Variant(true).toInteger(), -1);
  EXPECT_EQ(Variant(true).toText(), "True");
  EXPECT_EQ(Variant(2.5).toInteger(), 2);
  EXPECT_EQ(errorOf([] { Variant("x").toInteger(); }), 13);
}

TEST(ErrorCatalogue, FillsInsertionsByNumber) {
  EXPECT_EQ(engineError(3010, {"T1"}).description(), "Table 'T1' already exists.");
  EXPECT_EQ(engineError(3380, {"T", "F"}).description(), "Field 'F' already exists in table 'T'.");
  EXPECT_EQ(engineError(3265).description(), "Item not found in this collection.");
  EXPECT_EQ(engineError(9).description(), "Subscript out of range");
  // The vendor's product is never named.
  EXPECT_EQ(engineError(3078, {"X"}).description().find("Microsoft"), std::string::npos);
}

}  // namespace
}  // namespace telvarn
