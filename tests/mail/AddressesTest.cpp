// SPDX-License-Identifier: MIT
#include "mail/Addresses.h"

#include <gtest/gtest.h>

namespace tarifuhr {
namespace {

TEST(ExtractAddress, CommentsBracketsAndBlanks) {
  EXPECT_EQ(ExtractAddress("  a@b.de  ", false), "a@b.de");
  EXPECT_EQ(ExtractAddress("Hans Muster <hans@b.de>", false), "hans@b.de");
  EXPECT_EQ(ExtractAddress("hans@b.de (Hans) (privat)", false), "hans@b.de");
  EXPECT_EQ(ExtractAddress("hans@b.de", true), "<hans@b.de>");
  EXPECT_EQ(ExtractAddress("x > y < z", false), "");
  EXPECT_EQ(ExtractAddress("a (unclosed", false), "a (unclosed");
}

TEST(ParseAddressList, SplitsLowersAndDropsDisplayNames) {
  EXPECT_TRUE(ParseAddressList("   ").empty());
  EXPECT_EQ(ParseAddressList("\"Muster, Hans\" <Hans@B.de>, eva@c.DE"),
            (StringList{"hans@b.de", "eva@c.de"}));
  EXPECT_EQ(ParseAddressList("a@b.de,"), (StringList{"a@b.de"})) << "no empty recipient";
  EXPECT_EQ(ParseAddressList(", ,b@c.de,,\"\" <>"), (StringList{"b@c.de"}));
  EXPECT_EQ(ParseAddressList("\"lone <a@b.de>"), (StringList{"a@b.de"}));
}

TEST(IsIPAddress, DottedQuadsOnly) {
  for (const char* yes : {"10.0.0.1", "255.255.255.255"}) EXPECT_TRUE(IsIPAddress(yes)) << yes;
  for (const char* no : {"256.1.1.1", "1.2.3", "1.2.3.4.5", "a.b.c.d", "mail.example.test", "1..2.3", ""})
    EXPECT_FALSE(IsIPAddress(no)) << no;
}

}  // namespace
}  // namespace tarifuhr
