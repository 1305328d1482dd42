// The verse cards of the farewell window: their text (cards.txt, a resource)
// and the bytes the window shows them in.
#pragma once

#include <QString>
#include <array>
#include <string>
#include <vector>

namespace sfc::ui {

inline constexpr int kFarewellCardCount = 15;

// The size of each card on the window, in twips.
struct CardSize {
  int width;
  int height;
};
inline constexpr std::array<CardSize, kFarewellCardCount> kFarewellCardSizes = {{
    {5370, 3285},
    {6795, 3270},
    {6540, 3525},
    {4980, 2325},
    {6495, 2460},
    {6780, 3270},
    {7800, 3435},
    {9315, 3915},
    {4800, 2235},
    {6855, 3390},
    {8895, 3345},
    {8775, 3180},
    {9330, 4260},
    {7395, 3585},
    {7260, 3525},
}};

// One card as cards.txt gives it.
struct FarewellCardText {
  QString caption;
  QString source;  // the edition or tradition the verse follows
  QString verse;   // IAST, "|" and "||" for the dandas
  QString english;
};

// Reads the cards from the text of cards.txt: blocks of "field: value" lines
// ended by a blank line, "#" lines being notes. Unknown fields are ignored.
std::vector<FarewellCardText> ParseFarewellCards(const QString& text);
// The cards built into the program (the resource ":/farewell/cards.txt").
std::vector<FarewellCardText> LoadFarewellCards();

// IAST in the bytes of the URW Palladio IT font.
struct IastBytes {
  std::string bytes;
  std::vector<char32_t> left_out;  // characters no byte of the font writes
};
// The letters with marks (precomposed, or decomposed as NFC composes them;
// "ṁ" is written as "ṃ") become the font's bytes for them, "||" and "|"
// become "//" and "/", and ASCII stays as it is. Any other character is left
// out and listed.
IastBytes IastToUrwPalladioBytes(const QString& iast);

}  // namespace sfc::ui
