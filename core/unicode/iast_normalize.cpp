#include "iast_normalize.h"

#include <array>

namespace sfc::iast {

namespace {

struct Precomposed {
  char32_t cp;
  char base;
  unsigned marks;
};

// Sorted by code point.
constexpr std::array<Precomposed, 40> kPrecomposed = {{
    {0x00CF, 'i', kDiaeresis},
    {0x00D1, 'n', kTilde},
    {0x00DC, 'u', kDiaeresis},
    {0x00EF, 'i', kDiaeresis},
    {0x00F1, 'n', kTilde},
    {0x00FC, 'u', kDiaeresis},
    {0x0100, 'a', kMacron},
    {0x0101, 'a', kMacron},
    {0x012A, 'i', kMacron},
    {0x012B, 'i', kMacron},
    {0x015A, 's', kAcute},
    {0x015B, 's', kAcute},
    {0x016A, 'u', kMacron},
    {0x016B, 'u', kMacron},
    {0x1E0C, 'd', kDotBelow},
    {0x1E0D, 'd', kDotBelow},
    {0x1E24, 'h', kDotBelow},
    {0x1E25, 'h', kDotBelow},
    {0x1E36, 'l', kDotBelow},
    {0x1E37, 'l', kDotBelow},
    {0x1E38, 'l', kDotBelow | kMacron},
    {0x1E39, 'l', kDotBelow | kMacron},
    {0x1E3A, 'l', kMacronBelow},
    {0x1E3B, 'l', kMacronBelow},
    {0x1E40, 'm', kDotAbove},
    {0x1E41, 'm', kDotAbove},
    {0x1E42, 'm', kDotBelow},
    {0x1E43, 'm', kDotBelow},
    {0x1E44, 'n', kDotAbove},
    {0x1E45, 'n', kDotAbove},
    {0x1E46, 'n', kDotBelow},
    {0x1E47, 'n', kDotBelow},
    {0x1E5A, 'r', kDotBelow},
    {0x1E5B, 'r', kDotBelow},
    {0x1E5C, 'r', kDotBelow | kMacron},
    {0x1E5D, 'r', kDotBelow | kMacron},
    {0x1E62, 's', kDotBelow},
    {0x1E63, 's', kDotBelow},
    {0x1E6C, 't', kDotBelow},
    {0x1E6D, 't', kDotBelow},
}};

struct Composed {
  char base;
  unsigned marks;
  char32_t cp;
};

constexpr std::array<Composed, 26> kComposed = {{
    {'a', kMacron, 0x0101},               // ā
    {'i', kMacron, 0x012B},               // ī
    {'u', kMacron, 0x016B},               // ū
    {'r', kDotBelow, 0x1E5B},             // ṛ
    {'r', kDotBelow | kMacron, 0x1E5D},   // ṝ
    {'r', kRingBelow, 0x1E5B},            // r̥ -> ṛ
    {'r', kRingBelow | kMacron, 0x1E5D},  // r̥̄ -> ṝ
    {'l', kDotBelow, 0x1E37},             // ḷ
    {'l', kDotBelow | kMacron, 0x1E39},   // ḹ
    {'l', kRingBelow, 0x1E37},            // l̥ -> ḷ
    {'l', kRingBelow | kMacron, 0x1E39},  // l̥̄ -> ḹ
    {'l', kMacronBelow, 0x1E3B},          // ḻ
    {'m', kDotBelow, 0x1E43},             // ṃ
    {'m', kDotAbove, 0x1E43},             // ṁ -> ṃ
    {'h', kDotBelow, 0x1E25},             // ḥ
    {'n', kDotAbove, 0x1E45},             // ṅ
    {'n', kTilde, 0x00F1},                // ñ
    {'n', kDotBelow, 0x1E47},             // ṇ
    {'t', kDotBelow, 0x1E6D},             // ṭ
    {'d', kDotBelow, 0x1E0D},             // ḍ
    {'s', kAcute, 0x015B},                // ś
    {'s', kDotBelow, 0x1E63},             // ṣ
    {'i', kDiaeresis, 0x00EF},            // ï (a vowel in hiatus)
    {'u', kDiaeresis, 0x00FC},            // ü
    {'e', kAcute, 0x00E9},                // é (Windows-1252, not IAST)
    {'a', kAcute, 0x00E1},                // á
}};

}  // namespace

unsigned MarkBit(char32_t cp) {
  switch (cp) {
    case 0x0304:
      return kMacron;
    case 0x0323:
      return kDotBelow;
    case 0x0307:
      return kDotAbove;
    case 0x0303:
      return kTilde;
    case 0x0301:
      return kAcute;
    case 0x0325:
      return kRingBelow;
    case 0x0308:
      return kDiaeresis;
    case 0x0331:
      return kMacronBelow;
    default:
      return 0;
  }
}

namespace {

// Decompose's lookup: the precomposed letters of U+00C0 to U+017F and of
// U+1E00 to U+1EFF, by code point.
struct Entry {
  char32_t cp = 0;
  char base = 0;
  unsigned marks = 0;
  char32_t small = 0;  // the small letter
};

constexpr char32_t ComposeSmall(char base, unsigned marks) {
  for (const Composed& entry : kComposed) {
    if (entry.base == base && entry.marks == marks) return entry.cp;
  }
  return 0;
}

struct DecomposeTable {
  std::array<Entry, 0xC0> latin{};
  std::array<Entry, 0x100> extended{};
};

constexpr DecomposeTable kDecomposeTable = [] {
  DecomposeTable table;
  for (const Precomposed& entry : kPrecomposed) {
    const Entry full = {entry.cp, entry.base, entry.marks, ComposeSmall(entry.base, entry.marks)};
    if (entry.cp < 0x180) {
      table.latin[entry.cp - 0xC0] = full;
    } else {
      table.extended[entry.cp - 0x1E00] = full;
    }
  }
  return table;
}();

}  // namespace

bool Decompose(char32_t cp, char& base, unsigned& marks, char32_t& small) {
  const Entry* entry = nullptr;
  if (cp >= 0xC0 && cp < 0x180) {
    entry = &kDecomposeTable.latin[cp - 0xC0];
  } else if (cp >= 0x1E00 && cp < 0x1F00) {
    entry = &kDecomposeTable.extended[cp - 0x1E00];
  } else {
    return false;
  }
  if (entry->cp != cp) return false;
  base = entry->base;
  marks = entry->marks;
  small = entry->small;
  return true;
}

char32_t Compose(char base, unsigned marks) { return ComposeSmall(base, marks); }

}  // namespace sfc::iast
