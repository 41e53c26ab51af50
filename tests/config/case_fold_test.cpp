// Element names match whatever the letter case, Cyrillic included.
#include <gtest/gtest.h>

#include <string>

#include "case_fold.h"
#include "config_test_support.h"
#include "xml_item.h"

namespace notarel {
namespace {

using test::W;

// The Unicode code point of one Windows-1251 byte, through the codec.
char32_t CodePointOf(unsigned char byte) {
  const std::string utf8 = Cp1251ToUtf8(std::string(1, static_cast<char>(byte)));
  const auto lead = static_cast<unsigned char>(utf8[0]);
  if (utf8.size() == 1) return lead;
  if (utf8.size() == 2) return ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[1]) & 0x3Fu);
  return ((lead & 0x0Fu) << 12) | ((static_cast<unsigned char>(utf8[1]) & 0x3Fu) << 6) |
         (static_cast<unsigned char>(utf8[2]) & 0x3Fu);
}

// Unicode's own upper-case mapping for the Latin and Cyrillic letters.
char32_t UnicodeUpper(char32_t cp) {
  if (cp >= U'a' && cp <= U'z') return cp - 0x20;
  if (cp >= 0x0430 && cp <= 0x044F) return cp - 0x20;  // а..я
  if (cp >= 0x0450 && cp <= 0x045F) return cp - 0x50;  // ѐ..џ
  if (cp == 0x0491) return 0x0490;                     // ґ
  return cp;
}

TEST(CaseFold, EveryByteFoldsAsUnicodeFoldsItsCharacter) {
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    const auto upper = static_cast<unsigned char>(UpperCase1251(static_cast<char>(byte)));
    EXPECT_EQ(CodePointOf(upper), UnicodeUpper(CodePointOf(byte))) << "byte " << b;
  }
}

TEST(CaseFold, SameTextIgnoresLetterCaseOnly) {
  EXPECT_TRUE(SameText("CountryCode", "COUNTRYCODE"));
  EXPECT_TRUE(SameText(W("рубль"), W("РУБЛЬ")));
  EXPECT_TRUE(SameText(W("Ёлка Ґанок Їжак Іва Ўсход"), W("ёЛКА ґАНОК їЖАК іВА ўСХОД")));
  EXPECT_FALSE(SameText(W("рубль"), W("рубля")));
  EXPECT_FALSE(SameText("Code", "Codes"));
  EXPECT_FALSE(SameText(W("е"), W("ё")));
  // Bytes that are not letters do not fold onto letters.
  EXPECT_FALSE(SameText("[", "{"));
  EXPECT_FALSE(SameText("@", "`"));
}

TEST(CaseFold, ElementsAreFoundByNameInAnyLetterCase) {
  TXmlItem root;
  root.New().SetName("Country");
  root.New().SetName(W("Страна"));
  root.New().SetName(W("СТРАНА"));
  EXPECT_TRUE(root.Items(1).IsNamed(W("сТРАНА")));
  EXPECT_EQ(root.IndexOfName("COUNTRY"), 0);
  EXPECT_EQ(root.IndexOfName(W("страна")), 1);
  EXPECT_EQ(root.IndexOfName(W("страна"), 2), 2);
  EXPECT_EQ(root.IndexOfName(W("страна"), 3), -1);
  EXPECT_EQ(root.IndexOfName("Bills"), -1);
}

}  // namespace
}  // namespace notarel
