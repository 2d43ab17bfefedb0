// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/Codepage.h"

namespace tarifuhr {
namespace {

TEST(Codepage, Windows1252RoundTripsUmlautsAndTheEuroSign) {
  const std::string bytes = "J\xFCrgen \xC4\xD6\xDC\xDF \x80 \x84x\x93";
  const std::string utf8 = Cp1252ToUtf8(bytes);
  EXPECT_EQ(utf8, "Jürgen ÄÖÜß € „x“");
  EXPECT_EQ(Utf8ToCp1252(utf8), bytes);
  // Every byte survives the round trip, the unassigned ones included.
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Codepage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252("Łódź"),
            "?\xF3"
            "d?");
  EXPECT_EQ(Utf8ToCp1252("a😀z"), "a?z");      // emoji
  EXPECT_EQ(Utf8ToCp1252("a\xC3z"), "a?z");   // cut sequence
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");  // overlong form
  EXPECT_EQ(Utf8ToLatin1("€ ü"), "? \xFC");
  EXPECT_EQ(Latin1ToUtf8("\x80\xFC"), "ü");
}

TEST(Codepage, CaseIsFoldedForWindows1252Letters) {
  EXPECT_TRUE(EqualsIgnoreCase("Hans (Hans.tfd)", "HANS (hans.TFD)"));
  EXPECT_TRUE(EqualsIgnoreCase("Jürgen", "JÜRGEN"));
  EXPECT_TRUE(EqualsIgnoreCase("Šárka", "šÁRKA"));
  EXPECT_FALSE(EqualsIgnoreCase("Hans", "Hanss"));
  EXPECT_FALSE(EqualsIgnoreCase("×", "÷"));
}

}  // namespace
}  // namespace tarifuhr
