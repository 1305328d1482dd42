// The farewell window that the main window's Exit opens: verse cards come
// and go in two bands, one in the upper half and one in the lower, each in a
// colour scheme drawn at random, until the user says "Namaste" (moves the
// mouse over it) or closes the window, which ends the program.
#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <random>
#include <string>

#include "farewell_cards.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace sfc::ui {

inline constexpr const char* kFarewellTitle = "OM  SHANTI  SHANTI  SHANTI";
inline constexpr int kFarewellTickMs = 5000;
// How long "Namaste" waits before the program ends.
inline constexpr int kFarewellEndDelayMs = 300;

// One card's text as the window shows it.
struct FarewellCard {
  QString caption;
  QString english;
  std::string translit_bytes;    // URW Palladio IT
  std::string devanagari_bytes;  // Vedic, made by the converter
};

// Where the last tick put its card (twips of the client area).
struct FarewellPlacement {
  int slot = 0;    // 1 upper band, 2 lower band
  int scheme = 0;  // 1 to 3
  int card = -1;
  int left = 0;
  int top = 0;
};

class FarewellWindow : public QWidget {
  Q_OBJECT

 public:
  // The cards are drawn with a generator seeded once with `seed`.
  explicit FarewellWindow(quint32 seed, QWidget* parent = nullptr);

  // Shows the window (maximized the first time), with no card on it, and
  // starts the cards.
  void Open();
  // One step of the show: a card replaces the one in a band drawn at random.
  void Tick();

  int slot_card(int slot) const { return slot == 1 ? slot_card1_ : slot_card2_; }
  const FarewellPlacement& last_placement() const { return last_placement_; }
  bool paused() const { return paused_; }
  const QTimer& timer() const { return timer_; }
  const std::array<FarewellCard, kFarewellCardCount>& cards() const { return cards_; }
  QGroupBox* card_frame(int index) const { return frames_.at(static_cast<std::size_t>(index)); }
  // Says which legacy fonts are missing and what shows the verses instead;
  // hidden when both are installed.
  QLabel* font_note() const { return font_note_; }

 signals:
  // Just before the window ends the program.
  void endRequested();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildCards();
  void LayOutCard(int index);
  void HideAllCards();
  void Pause();
  void Resume();
  void SayNamaste();
  void End();
  double Random();

  std::mt19937 generator_;
  QTimer timer_;
  QPushButton* namaste_ = nullptr;   // Command1
  QPushButton* shall_we_ = nullptr;  // Command2
  QPushButton* wait_ = nullptr;      // Command3
  std::array<FarewellCard, kFarewellCardCount> cards_;
  std::array<QGroupBox*, kFarewellCardCount> frames_{};
  std::array<QLabel*, kFarewellCardCount> english_labels_{};     // Label0
  std::array<QLabel*, kFarewellCardCount> translit_labels_{};    // Label2
  std::array<QLabel*, kFarewellCardCount> devanagari_labels_{};  // Label3
  QLabel* font_note_ = nullptr;
  int slot_card1_ = 0;
  int slot_card2_ = 0;
  FarewellPlacement last_placement_;
  bool paused_ = false;
  bool maximized_once_ = false;
  bool ending_ = false;
};

}  // namespace sfc::ui
