// The main window: the two text boxes, the instruction box, the direction,
// font and option controls, LOAD, the code-table browser and the menus. It
// maps each control onto one Session action and shows what the session
// holds; the rules themselves live in the core.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QSet>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "byte_text.h"
#include "session.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QThread;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace sfc::ui {

class ByteTextBox;
class FarewellWindow;
class HelpWindow;
class UnicodePreview;
class PrintSurface;

// The captions the window shows.
inline constexpr const char* kWindowTitle = "OM  SRI  SARASVATYAI  NAMAH";
inline constexpr const char* kStartCaption = "START  CONVERSION";
inline constexpr const char* kSelectFontsPrompt =
    "Select fonts for transliteration and for devanagari.";

// The windows are designed with the system fonts of their first platform;
// where those are missing, fonts of the same measure stand in for them.
void InstallFontSubstitutes();

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Answers an input box the conversion asks; the default shows a modal
  // dialog. Tests may replace it.
  using InputBoxHandler = std::function<std::string(const InputBoxRequest&)>;

  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  const Session& session() const { return session_; }
  bool converting() const { return run_ != nullptr; }
  // Tables are being read from disk (on a thread of their own).
  bool loadingTables() const { return loader_ != nullptr; }
  void SetInputBoxHandler(InputBoxHandler handler) { input_box_handler_ = std::move(handler); }
  // Asks a yes-or-no question; the default shows a modal message box.
  using QuestionHandler = std::function<bool(const QString& question)>;
  void SetQuestionHandler(QuestionHandler handler) { question_handler_ = std::move(handler); }
  // Clears what is printed on the window (the title lines).
  void ClearPrinted();
  PrintSurface* surface() const { return surface_; }

  // The menus that the help and farewell windows serve.
  QAction* instructionAction() const { return instruction_action_; }
  QAction* contactAction() const { return contact_action_; }
  QAction* exitAction() const { return exit_action_; }
  FarewellWindow* farewellWindow() const { return farewell_.get(); }
  // Made the first time Instruction or Contact needs it; null before.
  HelpWindow* helpWindow() const { return help_.get(); }
  UnicodePreview* unicodePreview() const { return preview_.get(); }

 signals:
  // A conversion has ended and its result is shown.
  void conversionFinished();
  // "Load code table  from disk" has read the files and shows the tables.
  void tablesLoaded();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Closing the main window ends the program, with every other window.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  void PrintTitle();
  void Place(QWidget* widget, int left, int top, int width, int height);
  // Runs `handler` when the option button is chosen, by a click, the
  // keyboard or a screen reader.
  void ConnectOption(QRadioButton* button, const std::function<void()>& handler);
  bool showing_selection_ = false;

  // Handlers, one per control.
  void ChooseDirection(Direction direction);
  void StartConversion();
  void FeedConversion();
  void FinishConversion(const std::optional<StreamEnd>& end, const QString& fault);
  void LoadInputFile();
  // After LOAD: offers the font of the input box that the loaded text reads
  // clearly better in (main_window_font_offer.cpp).
  void OfferBetterFont(std::string_view text);
  void PressDevanagariButton(DevanagariFont font);
  void PressTranslitButton(TranslitFont font);
  void LoadTablesFromDisk();
  void SetControlsEnabled(bool enabled);
  void ApplyFontList(QComboBox* list);
  void StepBrowser(int step);
  void ToggleAutoStep();
  void ApplyResolution(int index);
  void OnTranslitPasted(const std::vector<LeftOutCharacter>& left_out);
  void OnGlyphPasted(const std::vector<LeftOutCharacter>& left_out);

  // Shows the fonts and selected buttons the session holds.
  void ShowFontState(bool devanagari_button_ran);
  void ShowBrowserView(const BrowserView& view);
  // How a screen reader announces glyphs: their Unicode reading, else their
  // codes.
  QString GlyphsSpoken(std::string_view glyphs) const;
  // The browser's glyph labels: the glyphs in the Devanagari box's font, or
  // where it is missing their Unicode reading in a system font (`each`: the
  // reading of each glyph in its place, for the strip).
  bool GlyphFontInstalled() const;
  QFont GlyphLabelFont(double size) const;
  QString GlyphsShown(const QLabel* label, std::string_view glyphs, bool each = false) const;
  void ReportMissingFonts();
  void AppendInstruction(const QString& line);
  void SetInstruction(const QString& text);
  std::string AskInputBox(const InputBoxRequest& request);

  Session session_;
  InputBoxHandler input_box_handler_;
  QuestionHandler question_handler_;
  QLabel* fonts_note_ = nullptr;  // in the status bar: the chosen fonts that are missing

  PrintSurface* surface_ = nullptr;
  ByteTextBox* text1_ = nullptr;     // transliteration
  ByteTextBox* text2_ = nullptr;     // Devanagari
  QPlainTextEdit* text3_ = nullptr;  // instruction box
  std::array<QRadioButton*, 2> direction_buttons_{};
  QPushButton* command1_ = nullptr;  // START
  QPushButton* command3_ = nullptr;  // LOAD
  QGroupBox* frame1_ = nullptr;
  QGroupBox* frame2_ = nullptr;
  QGroupBox* frame3_ = nullptr;
  QRadioButton* option4_ = nullptr;   // Vedic
  QRadioButton* option44_ = nullptr;  // Dev Natraj ITR
  QRadioButton* option6_ = nullptr;   // Sanskrit 99
  QRadioButton* option33_ = nullptr;  // Sanskrit-Times
  QRadioButton* option3_ = nullptr;   // ITRTransTimes
  QRadioButton* option2_ = nullptr;   // URW Palladio IT
  QRadioButton* option5_ = nullptr;   // Load code table from disk
  QComboBox* combo1_ = nullptr;
  QComboBox* combo3_ = nullptr;
  QCheckBox* check1_ = nullptr;
  std::array<QLabel*, 4> label1_{};
  std::array<QLabel*, 4> label2_{};
  QLabel* label3_ = nullptr;
  QLabel* label4_ = nullptr;
  QPushButton* step_back_ = nullptr;     // "<<"
  QPushButton* step_forward_ = nullptr;  // ">>"
  QPushButton* command5_ = nullptr;      // " auto >> "
  QTimer timer1_;
  QProgressBar* progress_ = nullptr;
  QAction* instruction_action_ = nullptr;
  QAction* contact_action_ = nullptr;
  QAction* exit_action_ = nullptr;

  BrowserView last_view_;
  bool browser_shown_ = false;

  HelpWindow* EnsureHelpWindow();
  // The menu Unicode.
  void CopyResultAsUnicode();
  void PasteUnicode();
  void ShowUnicodePreview(bool shown);
  void UpdateUnicodePreview();
  // A box's text as Unicode: what "Copy result as Unicode" copies and the
  // preview shows.
  std::string BoxAsUnicode(TextBox box) const;
  QAction* preview_action_ = nullptr;
  bool preview_opened_by_itself_ = false;
  std::optional<DecodedBytes> ReadPastedIast(const QString& text) const;
  std::unique_ptr<UnicodePreview> preview_;
  std::unique_ptr<HelpWindow> help_;
  // Made hidden at start; the menu Exit shows it.
  std::unique_ptr<FarewellWindow> farewell_;

  // Reads the code-table files into a copy of the tables, so that a huge or
  // slow file never freezes the window.
  std::unique_ptr<QThread> loader_;

  // The conversion in progress: fed from the event loop a block at a time.
  struct Run;
  std::unique_ptr<Run> run_;
};

}  // namespace sfc::ui
