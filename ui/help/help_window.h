// The help window: four printed pages (Examples, Purpose, Fonts, Conversion)
// chosen with buttons, and the contact panel. The main window owns it and
// opens it from its menus; closing it never ends the program.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace sfc {
class Session;
struct ConverterState;
}  // namespace sfc

namespace sfc::ui {

class PrintSurface;

enum class HelpPage { kExamples = 0, kPurpose = 1, kFonts = 2, kConversion = 3 };

// The syllable rows the Examples page shows of sanideva.cod: from row 2 ("a")
// in row order up to and including the row whose key is "gh", leaving out
// rows whose full cell is a single space or empty (the font has no glyph for
// that cluster, so the glyph columns would show nothing). A table without a
// "gh" key (loaded from disk in another order) gives its first 25 such rows.
std::vector<int> ExampleSyllableRows(const ConverterState& state);

// The glyph codes whose devitran.cod entries and lipikara.mmy values the
// Examples page shows.
inline constexpr int kExampleFirstGlyph = 108;
inline constexpr int kExampleLastGlyph = 129;

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  // The session gives the tables in force; they are read when a page is
  // built, so a page always shows the tables as they are then.
  explicit HelpWindow(const Session& session, QWidget* parent = nullptr);

  // Hides every page control, clears the printed text and builds the page.
  void ShowPage(HelpPage page);
  void SetPageButtonsVisible(bool visible);

  // "Instruction": shows the window maximised with the page buttons; the
  // Purpose page comes with the first focus.
  void OpenForInstruction();
  // "Contact": a small window with the project's address and nothing else.
  void OpenForContact(const QString& name, const QString& version, const QString& documentation);

  // The page shown, none before the first and while the contact panel shows.
  std::optional<HelpPage> page() const { return page_; }
  PrintSurface* surface() const { return surface_; }

 protected:
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // A piece of a printed line: text, or a label that stands over a gap left
  // for it in the line.
  struct Piece {
    QString text;
    QLabel* label = nullptr;
  };

  void BuildControls();
  void HidePageControls();
  void PrintTitle(const QString& title);
  void Print(const QString& text, const QColor& color);
  void PrintWithLabels(const std::vector<Piece>& pieces, const QColor& color);
  void BuildExamples();
  void BuildPurpose();
  void BuildFonts();
  void BuildConversion();
  int Px(int twips) const;
  int LineHeightTwips(const QFont& font) const;

  const Session& session_;
  std::optional<HelpPage> page_;
  QFont print_font_;
  PrintSurface* surface_ = nullptr;
  std::array<QPushButton*, 4> page_buttons_{};
  std::array<QLabel*, 2> label1_{};
  std::array<QLabel*, 2> label2_{};
  std::array<QLabel*, 3> label3_{};
  QLabel* label4_ = nullptr;
  QLabel* label5_ = nullptr;
  QLabel* glyph_note_ = nullptr;  // what draws the glyph columns without their font
  std::array<QPlainTextEdit*, 6> text1_{};
  QPlainTextEdit* text2_ = nullptr;
  QPlainTextEdit* text3_ = nullptr;
  QPlainTextEdit* text4_ = nullptr;
  QPlainTextEdit* text5_ = nullptr;
  std::vector<QWidget*> page_controls_;
};

}  // namespace sfc::ui
