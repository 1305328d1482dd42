// Characters of a word processor's text back to the bytes of an 8-bit font,
// and the bytes to characters.
#include "font_text.h"

#include <gtest/gtest.h>

namespace sfc::document {
namespace {

TEST(FontText, CharactersToBytes) {
  struct Case {
    char32_t code_point;
    int byte;  // -1: no byte
    bool symbol;
  };
  const Case cases[] = {
      {U'a', 'a', false},    {0xF061, 0x61, true},  {0xF000, 0x00, true},  {0xF0FF, 0xFF, true},
      {0x2019, 0x92, false}, {0x2014, 0x97, false}, {0x20AC, 0x80, false}, {0x0178, 0x9F, false},
      {0x0081, 0x81, false}, {0x00E9, 0xE9, false}, {U'\t', '\t', false},  {0x0001, -1, false},
      {0x0915, -1, false},   {0xF100, -1, false},   {0xFFFD, -1, false},   {0x0080, -1, false},
  };
  for (const Case& c : cases) {
    const std::optional<FontByte> byte = CharToFontByte(c.code_point);
    if (c.byte < 0) {
      EXPECT_FALSE(byte.has_value()) << std::hex << static_cast<unsigned>(c.code_point);
      continue;
    }
    ASSERT_TRUE(byte.has_value()) << std::hex << static_cast<unsigned>(c.code_point);
    EXPECT_EQ(byte->byte, c.byte);
    EXPECT_EQ(byte->symbol, c.symbol);
  }
}

TEST(FontText, EveryByteComesBackEitherWay) {
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    for (const bool symbol : {false, true}) {
      const char32_t c = FontByteToChar(byte, symbol);
      const std::optional<FontByte> back = CharToFontByte(c);
      ASSERT_TRUE(back.has_value()) << b;
      EXPECT_EQ(back->byte, byte);
    }
  }
  EXPECT_EQ(FontBytesToText("a\x92\x01", false), "a\xE2\x80\x99\xEF\x80\x81");
}

}  // namespace
}  // namespace sfc::document
