#include "main_window.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QThread>
#include <exception>

#include "byte_text_box.h"
#include "code_table_files.h"
#include "document_dialog.h"
#include "farewell_window.h"
#include "help_window.h"
#include "look.h"
#include "print_surface.h"
#include "unicode_preview.h"

#ifndef SFC_VERSION
#define SFC_VERSION "0"
#endif

namespace sfc::ui {

namespace {

// Where the documentation lives, for the contact panel.
constexpr const char* kDocumentation = "README.md, share/doc/sanskrit-font-converter";

// How much input one turn of the event loop converts.
constexpr std::size_t kFeedBlock = std::size_t{1} << 18;
// A run longer than this shows its progress.
constexpr qint64 kShowProgressAfterMs = 500;

const QColor kWindowBackground(0xC0, 0xFF, 0xFF);
const QColor kDirectionBackground(0xFF, 0x80, 0xFF);
const QColor kDevanagariButtonBackground(0xFF, 0xFF, 0x80);
const QColor kTranslitButtonBackground(0x80, 0xFF, 0x80);
const QColor kBoxText(0x00, 0x00, 0xC0);
const QColor kWhite(0xFF, 0xFF, 0xFF);

QFont ControlFont(const QString& family = QStringLiteral("MS Sans Serif"), double size = 8.25) {
  return BoldFont(family, size);
}

QFont SymbolFont(const QString& family, double size) { return ControlFont(family, size); }

// Selects or clears an option button without running its handling; a frame
// may have none selected (after a load from disk).
void ShowSelected(QRadioButton* button, bool selected) {
  if (button->isChecked() == selected) return;
  button->setAutoExclusive(false);
  button->setChecked(selected);
  button->setAutoExclusive(true);
}

QString FromBytes(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A button's caption, with the accessible name that announces it.
void ShowCaption(QAbstractButton* button, const QString& caption) {
  button->setText(caption);
  button->setAccessibleName(caption.simplified());
}

// A label's text, with an accessible name that carries what it shows:
// "Browser row number: 3".
void ShowValue(QLabel* label, const QString& text, const QString& role, const QString& spoken) {
  label->setText(text);
  label->setAccessibleName(
      role + QStringLiteral(": ") +
      (spoken.trimmed().isEmpty() ? QStringLiteral("none") : spoken.simplified()));
}

// The rejected characters of a conversion from Unicode, with their
// positions (1-based, in characters of the whole text) worked out from their
// lines and columns in one pass over the text.
DecodedBytes AsDecoded(const Session::FromUnicodeResult& result, const QString& text) {
  DecodedBytes decoded;
  decoded.bytes = result.bytes;
  std::vector<qsizetype> line_starts = {0};  // in characters
  qsizetype characters = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()) continue;
    ++characters;
    if (text[i] == QLatin1Char('\n')) line_starts.push_back(characters);
  }
  for (std::size_t i = 0; i < result.rejected.size(); ++i) {
    const auto [line, column] = result.rejected_at[i];
    const qsizetype start =
        line >= 1 && line <= line_starts.size() ? line_starts[line - 1] : characters;
    decoded.left_out.push_back({start + static_cast<qsizetype>(column), result.rejected[i]});
  }
  return decoded;
}

// Whether pasted text is Unicode IAST rather than Windows-1252 text: it
// holds a letter or mark of IAST that Windows-1252 has not.
bool LooksLikeIast(const QString& text) {
  static constexpr char32_t kIastOnly[] = {
      0x0100, 0x0101, 0x012A, 0x012B, 0x016A, 0x016B, 0x015A, 0x015B, 0x1E0C, 0x1E0D,
      0x1E24, 0x1E25, 0x1E36, 0x1E37, 0x1E38, 0x1E39, 0x1E40, 0x1E41, 0x1E42, 0x1E43,
      0x1E44, 0x1E45, 0x1E46, 0x1E47, 0x1E5A, 0x1E5B, 0x1E5C, 0x1E5D, 0x1E62, 0x1E63,
      0x1E6C, 0x1E6D, 0x0301, 0x0304, 0x0307, 0x0310, 0x0323, 0x0325};
  for (const QChar c : text) {
    const char32_t code = c.unicode();
    if (code < 0x0100) continue;
    for (const char32_t iast : kIastOnly) {
      if (code == iast) return true;
    }
  }
  return false;
}

}  // namespace

void InstallFontSubstitutes() {
  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                             {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                             {QStringLiteral("Liberation Serif"), QStringLiteral("Times")});
}

struct MainWindow::Run {
  std::string input;
  std::size_t fed = 0;
  std::string output;
  std::unique_ptr<ConversionStream> stream;
  QElapsedTimer clock;
  Direction direction = Direction::kToDevanagari;
  std::vector<LeftOutCharacter> left_out;
  // The line ends counted so far, for the positions the input boxes show:
  // the input before `counted` holds `line - 1` of them, the last at
  // `line_start - 1`. Positions are asked in order, so the input is read once.
  std::uint64_t counted = 0;
  std::uint64_t line = 1;
  std::uint64_t line_start = 0;

  InputPosition PositionOf(std::uint64_t offset) {
    offset = std::min<std::uint64_t>(offset, input.size());
    if (offset < counted) {
      counted = 0;
      line = 1;
      line_start = 0;
    }
    for (; counted < offset; ++counted) {
      if (input[counted] == '\n') {
        ++line;
        line_start = counted + 1;
      }
    }
    return {line, offset - line_start + 1};
  }
};

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromLatin1(kWindowTitle));
  setAccessibleName(windowTitle());
  input_box_handler_ = [this](const InputBoxRequest& request) { return AskInputBox(request); };
  question_handler_ = [this](const QString& question) {
    return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
  };

  surface_ = new PrintSurface(this);
  surface_->setObjectName(QStringLiteral("Form1Surface"));
  surface_->setAccessibleName(QStringLiteral("Main window"));
  SetBackground(surface_, kWindowBackground);
  QFont window_font(QStringLiteral("Times New Roman"));
  window_font.setPointSizeF(8.25);
  window_font.setBold(true);
  surface_->setFont(window_font);
  setCentralWidget(surface_);
  // The window opens maximized; where it cannot be, it opens large enough
  // for every control (the text boxes reach beyond the designed client area).
  resize(Twips(15000, logicalDpiX()), Twips(10800, logicalDpiY()) + 60);

  farewell_ =
      std::make_unique<FarewellWindow>(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
  BuildControls();
  BuildMenus();
  PrintTitle();

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("ConversionProgress"));
  progress_->setAccessibleName(QStringLiteral("Conversion progress"));
  progress_->setRange(0, 1000);
  progress_->hide();
  progress_->setMinimumWidth(Twips(4500, logicalDpiX()));
  statusBar()->addPermanentWidget(progress_);
  fonts_note_ = new QLabel(this);
  fonts_note_->setObjectName(QStringLiteral("FontsNote"));
  fonts_note_->setAccessibleName(QStringLiteral("Missing fonts"));
  statusBar()->addWidget(fonts_note_, 1);
  statusBar()->setAccessibleName(QStringLiteral("Status bar"));

  timer1_.setParent(this);
  timer1_.setObjectName(QStringLiteral("Timer1"));
  timer1_.setInterval(800);
  connect(&timer1_, &QTimer::timeout, this, [this] { StepBrowser(+1); });

  ReportMissingFonts();
}

MainWindow::~MainWindow() {
  // A load still reading finishes before the window goes; its result is
  // not used.
  if (loader_) {
    loader_->disconnect(this);
    loader_->wait();
  }
}

void MainWindow::ConnectOption(QRadioButton* button, const std::function<void()>& handler) {
  // A click that selects the button toggles it, then clicks it: the handling
  // runs once, on the toggle. A click on the selected button only clicks;
  // a screen reader's "toggle" only toggles. Selections the window shows
  // itself (ShowSelected) run nothing.
  auto toggled = std::make_shared<bool>(false);
  connect(button, &QRadioButton::toggled, this, [this, handler, toggled](bool on) {
    if (!on || showing_selection_) return;
    *toggled = true;
    QTimer::singleShot(0, this, [toggled] { *toggled = false; });
    handler();
  });
  connect(button, &QRadioButton::clicked, this, [handler, toggled] {
    if (*toggled) {
      *toggled = false;
      return;
    }
    handler();
  });
}

void MainWindow::Place(QWidget* widget, int left, int top, int width, int height) {
  widget->setProperty("twips", QRect(left, top, width, height));
  const int dpi_x = logicalDpiX();
  const int dpi_y = logicalDpiY();
  widget->setGeometry(Twips(left, dpi_x), Twips(top, dpi_y), Twips(width, dpi_x),
                      Twips(height, dpi_y));
}

void MainWindow::BuildControls() {
  const auto name = [](QWidget* widget, const char* object_name, const QString& accessible) {
    widget->setObjectName(QString::fromLatin1(object_name));
    widget->setAccessibleName(accessible.simplified());
  };
  const auto radio = [&](QWidget* parent, const char* object_name, const char* caption,
                         const QColor& background) {
    auto* button = new QRadioButton(QString::fromLatin1(caption), parent);
    name(button, object_name, button->text());
    button->setFont(ControlFont());
    SetBackground(button, background);
    return button;
  };
  const auto frame = [&](const char* object_name) {
    auto* box = new QGroupBox(QString::fromLatin1(object_name), surface_);
    name(box, object_name, box->title());
    box->setFont(ControlFont());
    return box;
  };

  // The direction.
  direction_buttons_[0] =
      radio(surface_, "Option1_0", "  Transliteration to  Devanagari ", kDirectionBackground);
  direction_buttons_[1] =
      radio(surface_, "Option1_1", "  Devanagari  to  Transliteration", kDirectionBackground);
  Place(direction_buttons_[0], 3195, 525, 3120, 345);
  Place(direction_buttons_[1], 3195, 855, 3120, 345);
  direction_buttons_[0]->setChecked(true);
  ConnectOption(direction_buttons_[0], [this] { ChooseDirection(Direction::kToDevanagari); });
  ConnectOption(direction_buttons_[1], [this] { ChooseDirection(Direction::kToTranslit); });

  command1_ = new QPushButton(QString::fromLatin1(kStartCaption), surface_);
  name(command1_, "Command1", command1_->text());
  command1_->setFont(ControlFont());
  Place(command1_, 3180, 1290, 2235, 345);
  connect(command1_, &QPushButton::clicked, this, &MainWindow::StartConversion);

  command3_ = new QPushButton(QStringLiteral("LOAD"), surface_);
  name(command3_, "Command3", command3_->text());
  command3_->setFont(ControlFont());
  Place(command3_, 5490, 1290, 765, 345);
  connect(command3_, &QPushButton::clicked, this, &MainWindow::LoadInputFile);

  // The text boxes.
  const auto box_palette = [](QWidget* box) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, kBoxText);
    palette.setColor(QPalette::Base, kWhite);
    box->setPalette(palette);
  };
  text1_ = new ByteTextBox(BoxCodec::kTranslit, surface_);
  name(text1_, "Text1", QStringLiteral("Transliteration text"));
  box_palette(text1_);
  text1_->SetBoxFont(ControlFont(QStringLiteral("Sanskrit-Times"), 13.5));
  text1_->SetBytes("namaste    ");
  Place(text1_, 45, 1845, 14805, 3435);
  connect(text1_, &ByteTextBox::pasted, this, &MainWindow::OnTranslitPasted);
  text1_->SetPasteConverter([this](const QString& text) { return ReadPastedIast(text); });

  text3_ = new QPlainTextEdit(surface_);
  name(text3_, "Text3", QStringLiteral("Instructions"));
  text3_->setFont(ControlFont(QStringLiteral("Sanskrit-Times"), 13.5));
  text3_->setReadOnly(true);
  Place(text3_, 30, 5325, 14850, 675);
  const std::string input_file = (DataDirectory() / kInputFileName).string();
  SetInstruction(
      QStringLiteral(" Paste your text into the white field  (sanskrit transliteration should "
                     "have only small letters). If some letters won't paste properly, save the "
                     "text for conversion in Word to file  ( ") +
      FromBytes(input_file) + QStringLiteral(" ) and then press LOAD button."));

  text2_ = new ByteTextBox(BoxCodec::kGlyph, surface_);
  name(text2_, "Text2", QStringLiteral("Devanagari text"));
  box_palette(text2_);
  text2_->SetBoxFont(SymbolFont(QStringLiteral("Vedic"), 39.75));
  text2_->SetBytes(StartupGreeting());
  Place(text2_, 45, 6030, 14895, 4665);
  text2_->hide();
  connect(text2_, &ByteTextBox::pasted, this, &MainWindow::OnGlyphPasted);

  // The Devanagari fonts.
  frame2_ = frame("Frame2");
  Place(frame2_, 135, 15, 2925, 810);
  option4_ =
      radio(frame2_, "Option4", "Vedic                    ( ve.TTF )", kDevanagariButtonBackground);
  option44_ =
      radio(frame2_, "Option44", "Dev Natraj ITR (denatrli.TTF)", kDevanagariButtonBackground);
  option6_ =
      radio(frame2_, "Option6", "Sanskrit 99  (Sanskrit99.TTF)", kDevanagariButtonBackground);
  Place(option4_, 0, -15, 2895, 285);
  Place(option44_, 0, 240, 2925, 285);
  Place(option6_, 0, 495, 2925, 285);
  option4_->setChecked(true);
  ConnectOption(option4_, [this] { PressDevanagariButton(DevanagariFont::kVedic); });
  ConnectOption(option44_, [this] { PressDevanagariButton(DevanagariFont::kDevNatrajItr); });
  ConnectOption(option6_, [this] { PressDevanagariButton(DevanagariFont::kSanskrit99); });

  // The transliteration fonts.
  frame1_ = frame("Frame1");
  Place(frame1_, 135, 870, 2955, 870);
  option33_ =
      radio(frame1_, "Option33", "Sanskrit-Times ( sstusan.TTF )", kTranslitButtonBackground);
  option3_ = radio(frame1_, "Option3", "ITRTransTimes ( itrtt___.TTF )", kTranslitButtonBackground);
  option2_ = radio(frame1_, "Option2", "URW Palladio IT  ( paitr.TTF )", kTranslitButtonBackground);
  Place(option33_, 0, 0, 2955, 285);
  Place(option3_, 0, 285, 2940, 285);
  Place(option2_, 0, 570, 2940, 285);
  option33_->setChecked(true);
  ConnectOption(option33_, [this] { PressTranslitButton(TranslitFont::kSanskritTimes); });
  ConnectOption(option3_, [this] { PressTranslitButton(TranslitFont::kItrTransTimes); });
  ConnectOption(option2_, [this] { PressTranslitButton(TranslitFont::kUrwPalladioIt); });

  // Tables from disk and the two font lists.
  frame3_ = frame("Frame3");
  Place(frame3_, 3210, 75, 2865, 315);
  option5_ = radio(frame3_, "Option5", "Load code table  from disk",
                   QApplication::palette().color(QPalette::Window));
  Place(option5_, -15, 0, 2820, 285);
  ConnectOption(option5_, [this] { LoadTablesFromDisk(); });

  const auto font_list = [&](const char* object_name, const char* text, const char* role) {
    auto* list = new QComboBox(surface_);
    name(list, object_name, QString::fromLatin1(role));
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setFont(ControlFont());
    list->setEditText(QString::fromLatin1(text));
    list->lineEdit()->setAccessibleName(QString::fromLatin1(role));
    list->view()->setAccessibleName(QString::fromLatin1(role) + QStringLiteral(" choices"));
    list->installEventFilter(this);
    list->lineEdit()->installEventFilter(this);
    list->hide();
    return list;
  };
  combo1_ = font_list("Combo1", "Sanskrit-Times", "Transliteration font name");
  combo3_ = font_list("Combo3", "Vedic", "Devanagari font name");
  Place(combo1_, 4965, 3660, 2520, 315);
  Place(combo3_, 4980, 6945, 2520, 315);

  check1_ = new QCheckBox(QStringLiteral("Shift M  to N"), surface_);
  name(check1_, "Check1", check1_->text());
  check1_->setFont(ControlFont());
  Place(check1_, 9870, 1485, 1605, 270);
  connect(check1_, &QCheckBox::toggled, this, [this](bool on) { session_.SetShiftMToN(on); });

  // The code-table browser.
  const auto label = [&](const char* object_name, const QString& text, const QString& role,
                         const QFont& font) {
    auto* shown = new QLabel(text, surface_);
    shown->setTextFormat(Qt::PlainText);
    name(shown, object_name, role);
    shown->setFont(font);
    SetBackground(shown, kWhite);
    return shown;
  };
  const QFont caption_font = ControlFont(QStringLiteral("MS Sans Serif"), 9.75);
  const char* captions[] = {"lipikara position", " sanskrit  letter(s) ", " devanagari  total ",
                            " devanagari short "};
  const char* label1_names[] = {"Label1_0", "Label1_1", "Label1_2", "Label1_3"};
  for (int i = 0; i < 4; ++i) {
    label1_[i] = label(label1_names[i], QString::fromLatin1(captions[i]),
                       QString::fromLatin1(captions[i]), caption_font);
  }
  Place(label1_[0], 6360, 15, 1920, 240);
  Place(label1_[1], 6360, 300, 1905, 345);
  Place(label1_[2], 6375, 720, 1890, 450);
  Place(label1_[3], 6360, 1320, 1890, 435);
  // Its row number keeps the caption's role as its name, since its text
  // changes at every step.
  label2_[0] =
      label("Label2_0", QStringLiteral("2"), QStringLiteral("Browser row number"), ControlFont());
  label2_[1] = label("Label2_1", QStringLiteral("a"), QStringLiteral("Browser letters"),
                     ControlFont(QStringLiteral("Sanskrit-Times"), 13.5));
  label2_[2] =
      label("Label2_2", QString(), QStringLiteral("Browser full glyphs"), GlyphLabelFont(24));
  label2_[3] =
      label("Label2_3", QString(), QStringLiteral("Browser half glyphs"), GlyphLabelFont(24));
  label2_[2]->setText(GlyphsShown(label2_[2], "a"));
  label2_[3]->setText(GlyphsShown(label2_[3], ";"));
  Place(label2_[0], 8325, 15, 675, 225);
  Place(label2_[1], 8325, 285, 675, 360);
  Place(label2_[2], 8325, 690, 675, 570);
  Place(label2_[3], 8295, 1260, 690, 540);
  label3_ = label("Label3", QString(), QStringLiteral("Browser entry text"),
                  ControlFont(QStringLiteral("Sanskrit-Times"), 13.5));
  label4_ = label("Label4", QString(), QStringLiteral("Browser glyph strip"), GlyphLabelFont(39));
  Place(label3_, 9975, 375, 1200, 345);
  Place(label4_, 6360, 765, 8160, 1005);
  label3_->hide();
  label4_->hide();
  // The names carry the values the labels start with.
  ShowValue(label2_[0], label2_[0]->text(), QStringLiteral("Browser row number"),
            label2_[0]->text());
  ShowValue(label2_[1], label2_[1]->text(), QStringLiteral("Browser letters"), label2_[1]->text());
  ShowValue(label2_[2], label2_[2]->text(), QStringLiteral("Browser full glyphs"),
            GlyphsSpoken("a"));
  ShowValue(label2_[3], label2_[3]->text(), QStringLiteral("Browser half glyphs"),
            GlyphsSpoken(";"));

  const auto browser_button = [&](const char* object_name, const char* caption, const char* role) {
    auto* button = new QPushButton(QString::fromLatin1(caption), surface_);
    name(button, object_name, QString::fromLatin1(role));
    button->setFont(ControlFont());
    return button;
  };
  step_back_ = browser_button("Command2_2", "<<", "<< (step back)");
  step_forward_ = browser_button("Command2_1", ">>", ">> (step forward)");
  command5_ = browser_button("Command5", " auto >> ", "auto >>");
  Place(step_back_, 9045, 45, 420, 315);
  Place(step_forward_, 9510, 45, 420, 315);
  Place(command5_, 9060, 420, 855, 300);
  // One step per press of a mouse button, not per completed click.
  connect(step_back_, &QPushButton::pressed, this, [this] { StepBrowser(-1); });
  connect(step_forward_, &QPushButton::pressed, this, [this] { StepBrowser(+1); });
  connect(command5_, &QPushButton::clicked, this, &MainWindow::ToggleAutoStep);

  // Controls are stacked over the text boxes as designed: the browser and
  // buttons stay above the boxes where they overlap.
  text3_->lower();
  text2_->lower();
  text1_->lower();
}

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setAccessibleName(QStringLiteral("Menu bar"));
  instruction_action_ = bar->addAction(QStringLiteral("Instruction"));
  instruction_action_->setObjectName(QStringLiteral("asde"));

  QMenu* dash = bar->addMenu(QStringLiteral("Dash"));
  dash->setObjectName(QStringLiteral("das"));
  dash->setAccessibleName(QStringLiteral("Dash"));
  QAction* add_aspirata = dash->addAction(QStringLiteral("add aspirata (if neccesary)"));
  add_aspirata->setObjectName(QStringLiteral("ffg_1"));
  connect(add_aspirata, &QAction::triggered, this,
          [this] { session_.SetDashMode(kDashAddAspirata); });
  QAction* skip_dash = dash->addAction(QStringLiteral("skip dash (if easier to form devanagari)"));
  skip_dash->setObjectName(QStringLiteral("fgg_2"));
  connect(skip_dash, &QAction::triggered, this, [this] { session_.SetDashMode(kDashSkip); });

  connect(instruction_action_, &QAction::triggered, this, [this] {
    HelpWindow* help = EnsureHelpWindow();
    ClearPrinted();
    help->OpenForInstruction();
  });
  contact_action_ = bar->addAction(QStringLiteral("Contact"));
  contact_action_->setObjectName(QStringLiteral("asa"));
  connect(contact_action_, &QAction::triggered, this, [this] {
    HelpWindow* help = EnsureHelpWindow();
    ClearPrinted();
    help->OpenForContact(QStringLiteral("Sanskrit Font Converter"), QStringLiteral(SFC_VERSION),
                         QString::fromLatin1(kDocumentation));
  });
  exit_action_ = bar->addAction(QStringLiteral("Exit"));
  exit_action_->setObjectName(QStringLiteral("defe"));
  // Exit opens the farewell window; the dash mode stays as the Dash menu
  // says.
  connect(exit_action_, &QAction::triggered, this, [this] { farewell_->Open(); });

  QMenu* resolution = bar->addMenu(QString(16, QLatin1Char(' ')) + QStringLiteral("Resolution"));
  resolution->setObjectName(QStringLiteral("res"));
  resolution->setAccessibleName(QStringLiteral("Resolution"));
  QAction* small = resolution->addAction(QStringLiteral("800 x 600"));
  small->setObjectName(QStringLiteral("resol_1"));
  connect(small, &QAction::triggered, this, [this] { ApplyResolution(1); });
  QAction* large = resolution->addAction(QStringLiteral("1024 X 768"));
  large->setObjectName(QStringLiteral("resol_2"));
  connect(large, &QAction::triggered, this, [this] { ApplyResolution(2); });

  QMenu* unicode = bar->addMenu(QStringLiteral("Unicode"));
  unicode->setObjectName(QStringLiteral("UnicodeMenu"));
  unicode->setAccessibleName(QStringLiteral("Unicode"));
  QAction* copy = unicode->addAction(QStringLiteral("Copy result as Unicode"));
  copy->setObjectName(QStringLiteral("CopyUnicode"));
  connect(copy, &QAction::triggered, this, &MainWindow::CopyResultAsUnicode);
  QAction* paste = unicode->addAction(QStringLiteral("Paste Unicode"));
  paste->setObjectName(QStringLiteral("PasteUnicode"));
  connect(paste, &QAction::triggered, this, &MainWindow::PasteUnicode);
  preview_action_ = unicode->addAction(QStringLiteral("Show Unicode preview"));
  preview_action_->setObjectName(QStringLiteral("ShowUnicodePreview"));
  preview_action_->setCheckable(true);
  connect(preview_action_, &QAction::toggled, this, &MainWindow::ShowUnicodePreview);

  QMenu* document = bar->addMenu(QStringLiteral("&Document"));
  document->setObjectName(QStringLiteral("DocumentMenu"));
  document->setAccessibleName(QStringLiteral("Document"));
  QAction* convert_document = document->addAction(QStringLiteral("&Convert a document\u2026"));
  convert_document->setObjectName(QStringLiteral("ConvertDocument"));
  connect(convert_document, &QAction::triggered, this, [this] {
    auto* dialog = new DocumentDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->ChooseDocument();
  });
}

void MainWindow::PrintTitle() {
  surface_->SetOrigin(3000, 200);
  surface_->SetPrintPosition(5000, 6000);
  QFont font = surface_->font();
  QColor color(0x00, 0x00, 0xFF);
  surface_->PrintLine(QStringLiteral("  "), color, font);
  font.setPointSizeF(24);
  surface_->PrintLine(QStringLiteral("Devanagari to Transliteration "), color, font);
  surface_->PrintLine(QString(24, QLatin1Char(' ')) + QStringLiteral("and  "), color, font);
  surface_->PrintLine(QStringLiteral("Transliteration to Devanagari "), color, font);
  surface_->PrintLine(QString(), color, font);
  color = QColor(0x00, 0x00, 0x80);
  surface_->PrintLine(QStringLiteral("Sanskrit Font Converter ") + QStringLiteral(SFC_VERSION),
                      color, font);
  color = QColor(0x00, 0x80, 0x80);
  font.setPointSizeF(18);
  surface_->PrintLine(QString(36, QLatin1Char(' ')) + QStringLiteral("by "), color, font);
  surface_->PrintLine(
      QString(27, QLatin1Char(' ')) + QStringLiteral("the Sanskrit Font Converter project "), color,
      font);
}

void MainWindow::ClearPrinted() { surface_->ClearPrinted(); }

// ---- The direction and the conversion ----

void MainWindow::ChooseDirection(Direction direction) {
  if (converting() || loadingTables()) return;
  session_.ChooseDirection(direction);
  const bool to_translit = direction == Direction::kToTranslit;
  showing_selection_ = true;
  direction_buttons_[0]->setChecked(!to_translit);
  direction_buttons_[1]->setChecked(to_translit);
  showing_selection_ = false;
  text1_->setVisible(!to_translit);
  text2_->setVisible(to_translit);
  check1_->setVisible(!to_translit);
  for (int i = 1; i <= 3; ++i) {
    label2_[i]->setVisible(!to_translit);
    label1_[i]->setVisible(!to_translit);
  }
  const QString caption =
      to_translit ? QStringLiteral("karalipi position") : QStringLiteral("lipikara position");
  label1_[0]->setText(caption);
  label1_[0]->setAccessibleName(caption);
  label3_->setVisible(to_translit);
  label4_->setVisible(to_translit);
}

void MainWindow::StartConversion() {
  if (converting() || loadingTables()) return;
  text3_->clear();
  combo1_->hide();
  combo3_->hide();
  text2_->show();
  text1_->show();
  ShowCaption(command1_, QString::fromLatin1(kStartCaption));

  auto run = std::make_unique<Run>();
  run->direction = session_.direction();
  ByteTextBox* input_box = run->direction == Direction::kToDevanagari ? text1_ : text2_;
  ByteTextBox* output_box = run->direction == Direction::kToDevanagari ? text2_ : text1_;
  DecodedBytes input = input_box->Bytes();
  run->input = std::move(input.bytes);
  run->left_out = std::move(input.left_out);
  output_box->clear();

  StreamOptions options;
  options.clipboard = true;
  std::string* output = &run->output;
  try {
    run->stream = session_.BeginConversion(
        [this](const InputBoxRequest& request) { return input_box_handler_(request); },
        [output](std::string_view piece) { output->append(piece); }, options);
  } catch (const std::exception& fault) {
    run_ = std::move(run);
    FinishConversion(std::nullopt, QString::fromUtf8(fault.what()));
    return;
  }
  run->clock.start();
  run_ = std::move(run);
  SetControlsEnabled(false);
  FeedConversion();
}

void MainWindow::FeedConversion() {
  if (!run_) return;
  Run& run = *run_;
  try {
    if (run.fed < run.input.size()) {
      const std::size_t size = std::min(kFeedBlock, run.input.size() - run.fed);
      run.stream->Feed(std::string_view(run.input).substr(run.fed, size));
      run.fed += size;
      if (!run_) return;
      if (run.clock.elapsed() > kShowProgressAfterMs) {
        progress_->setFormat(QStringLiteral("Converting... %p%"));
        progress_->show();
        progress_->setValue(static_cast<int>(run.fed * 1000 / run.input.size()));
      }
      QTimer::singleShot(0, this, &MainWindow::FeedConversion);
      return;
    }
    const StreamEnd end = run.stream->Finish();
    FinishConversion(end, QString());
  } catch (const std::exception& fault) {
    FinishConversion(std::nullopt, QString::fromUtf8(fault.what()));
  }
}

void MainWindow::FinishConversion(const std::optional<StreamEnd>& end, const QString& fault) {
  std::unique_ptr<Run> run = std::move(run_);
  // Filling a box takes about 70 ms per megabyte, in one piece; a long fill
  // says so before it starts.
  if (run->clock.elapsed() + static_cast<qint64>(run->output.size() / 15'000) >
      kShowProgressAfterMs) {
    progress_->setValue(progress_->maximum());
    progress_->setFormat(QStringLiteral("Showing the result..."));
    progress_->show();
    progress_->repaint();
  }
  SetControlsEnabled(true);

  ByteTextBox* output_box = run->direction == Direction::kToDevanagari ? text2_ : text1_;
  if (run->direction == Direction::kToTranslit) {
    // The conversion puts the current Devanagari font back on its box.
    QFont font = text2_->font();
    font.setFamily(FromBytes(session_.state().devanagari_box_font));
    text2_->SetBoxFont(font);
  }
  output_box->SetBytes(run->output);
  progress_->hide();
  progress_->resetFormat();

  // What no rule took is said in the status bar until the next run.
  // So is where a run that was cut short stopped, in sfconv's words.
  statusBar()->clearMessage();
  if (end) {
    QString message = FromBytes(DescribeStop(*end));
    if (!message.isEmpty()) message[0] = message[0].toUpper();
    if (!end->dropped.empty()) {
      message += (message.isEmpty() ? QString() : QStringLiteral("; ")) +
                 FromBytes(DescribeDropped(end->dropped));
    }
    if (!message.isEmpty()) statusBar()->showMessage(message);
  }
  if (end) {
    QApplication::clipboard()->setText(TranslitBytesToText(ClipboardText(run->output, *end)));
    SetInstruction(FromBytes(kClosingMessage));
    if (!end->completed) ShowCaption(command1_, QString::fromLatin1(kErrorCaption));
  } else {
    SetInstruction(QStringLiteral("The conversion stopped because of a fault: ") + fault +
                   QStringLiteral(". The output box shows what was converted before it."));
    ShowCaption(command1_, QString::fromLatin1(kErrorCaption));
  }
  if (!run->left_out.empty()) AppendInstruction(DescribeLeftOut(run->left_out));
  // Without the Devanagari box's font its glyphs show as Latin letters: the
  // first conversion that meets this opens the Unicode preview, once a run
  // of the program.
  if (!preview_opened_by_itself_ &&
      !IsFontInstalled(FromBytes(session_.state().devanagari_box_font))) {
    preview_opened_by_itself_ = true;
    preview_action_->setChecked(true);
    activateWindow();
  }
  UpdateUnicodePreview();
  emit conversionFinished();
}

std::string MainWindow::AskInputBox(const InputBoxRequest& request) {
  QInputDialog dialog(this);
  dialog.setObjectName(QStringLiteral("InputBox"));
  // A box without a title of its own carries the program's name.
  const QString title = request.title.empty() ? QStringLiteral("Sanskrit Font Converter")
                                              : TranslitBytesToText(request.title);
  dialog.setWindowTitle(title);
  // The prompt's line breaks are carriage returns.
  QString prompt = TranslitBytesToText(request.prompt);
  prompt.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  prompt.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  if (request.kind == InputRequestKind::kGlyphReading && request.glyph_code >= 0 &&
      request.glyph_code <= 255) {
    // Under the prompt: the glyph in the Devanagari font, its Unicode
    // reading, its byte value and where it stands.
    const int code = request.glyph_code;
    const std::string glyph(1, static_cast<char>(code));
    const QFont font = SymbolFont(FromBytes(session_.state().devanagari_box_font), 24);
    const std::string reading = session_.ReadGlyphs(glyph).Text();
    QString details =
        QStringLiteral("byte %1 (0x%2)")
            .arg(code)
            .arg(QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0')));
    if (run_) {
      const InputPosition at = run_->PositionOf(request.offset);
      details += QStringLiteral(", line %1, column %2").arg(at.line).arg(at.column);
    }
    QString html = prompt.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    html += QStringLiteral("<br><span style=\"font-family:'%1'; font-size:24pt\">%2</span>")
                .arg(font.family().toHtmlEscaped(),
                     GlyphBytesToText(glyph, HasSymbolCharMap(font)).toHtmlEscaped());
    if (!reading.empty())
      html += QStringLiteral("&nbsp;&nbsp;") + FromBytes(reading).toHtmlEscaped();
    html += QStringLiteral("<br>") + details;
    dialog.setLabelText(html);
  } else {
    dialog.setLabelText(prompt);
  }
  dialog.setTextValue(TranslitBytesToText(request.default_text));
  // Wide enough for its title beside the title bar's buttons (the dialog's
  // layout sizes it by its contents).
  if (auto* label = dialog.findChild<QLabel*>()) {
    label->setMinimumWidth(QFontMetrics(dialog.font()).horizontalAdvance(title) * 3 / 2 + 160);
  }
  const bool accepted = dialog.exec() == QDialog::Accepted;
  // A cancelled box answers with the empty string.
  return accepted ? TranslitTextToBytes(dialog.textValue()).bytes : std::string();
}

// ---- LOAD ----

void MainWindow::LoadInputFile() {
  if (converting() || loadingTables()) return;
  const InputFileText loaded = ReadInputFile(DataDirectory());
  if (!loaded.found) {
    SetInstruction(FromBytes(loaded.text));
    return;
  }
  const bool to_devanagari = session_.direction() == Direction::kToDevanagari;
  ByteTextBox* box = to_devanagari ? text1_ : text2_;
  // A file saved as Unicode is almost certainly IAST or Devanagari text, not
  // the bytes of a legacy font.
  if (LooksLikeUtf8Text(loaded.text) &&
      question_handler_(
          QStringLiteral("The file looks like UTF-8 Unicode text, not text in a legacy font. "
                         "Convert it from Unicode (IAST or Devanagari) into the chosen font?"))) {
    const QString text =
        QString::fromUtf8(loaded.text.data(), static_cast<qsizetype>(loaded.text.size()));
    const DecodedBytes decoded =
        AsDecoded(session_.FromUnicode(loaded.text,
                                       to_devanagari ? TextBox::kTranslit : TextBox::kDevanagari),
                  text);
    box->SetBytes(decoded.bytes);
    if (!decoded.left_out.empty()) SetInstruction(DescribeLeftOut(decoded.left_out));
    return;
  }
  box->SetBytes(loaded.text);
  OfferBetterFont(loaded.text);
}

// ---- Fonts ----

void MainWindow::PressDevanagariButton(DevanagariFont font) {
  if (converting() || loadingTables()) return;
  session_.PressDevanagariFontButton(font);
  ShowFontState(true);
}

void MainWindow::PressTranslitButton(TranslitFont font) {
  if (converting() || loadingTables()) return;
  // With no Devanagari button selected (tables loaded from disk), the
  // transliteration button selects Vedic, whose handling runs.
  const bool devanagari_runs = !session_.state().devanagari_button.has_value();
  session_.PressTranslitFontButton(font);
  ShowFontState(devanagari_runs);
}

void MainWindow::ShowFontState(bool devanagari_button_ran) {
  const ConverterState& state = session_.state();
  const QString translit = FromBytes(state.translit_box_font);
  QFont translit_font = text1_->font();
  translit_font.setFamily(translit);
  text1_->SetBoxFont(translit_font);
  for (QLabel* shown : {label2_[1], label3_}) {
    QFont font = shown->font();
    font.setFamily(translit);
    shown->setFont(font);
  }
  if (devanagari_button_ran && state.devanagari_button) {
    const bool small = *state.devanagari_button == DevanagariFont::kSanskrit99;
    const QString family = FromBytes(state.devanagari_box_font);
    text2_->SetBoxFont(SymbolFont(family, small ? 24 : 39));
    label2_[2]->setFont(GlyphLabelFont(small ? 16 : 24));
    label2_[3]->setFont(GlyphLabelFont(small ? 16 : 24));
    label4_->setFont(GlyphLabelFont(small ? 30 : 39));
  }
  showing_selection_ = true;
  ShowSelected(option33_, state.translit_button == TranslitFont::kSanskritTimes);
  ShowSelected(option3_, state.translit_button == TranslitFont::kItrTransTimes);
  ShowSelected(option2_, state.translit_button == TranslitFont::kUrwPalladioIt);
  ShowSelected(option4_, state.devanagari_button == DevanagariFont::kVedic);
  ShowSelected(option44_, state.devanagari_button == DevanagariFont::kDevNatrajItr);
  ShowSelected(option6_, state.devanagari_button == DevanagariFont::kSanskrit99);
  ShowSelected(option5_, state.load_button);
  showing_selection_ = false;
  if (browser_shown_) ShowBrowserView(last_view_);
  ReportMissingFonts();
}

void MainWindow::LoadTablesFromDisk() {
  if (converting() || loadingTables()) return;
  const QStringList families = QFontDatabase::families();
  for (QComboBox* list : {combo1_, combo3_}) {
    list->show();
    list->clear();
  }
  combo3_->addItems(families);
  combo1_->addItems(families);
  combo1_->setEditText(QStringLiteral("Sanskrit-Times"));
  combo3_->setEditText(QStringLiteral("Vedic"));
  SetInstruction(QString::fromLatin1(kSelectFontsPrompt));

  // The files are read on a thread into a copy of the tables; the window
  // takes the copy when they are read.
  const std::filesystem::path dir = DataDirectory();
  struct Load {
    ConverterState state;
    LoadReport report;
    std::vector<TableProblem> checked;
    std::string fault;
  };
  auto load = std::make_shared<Load>();
  load->state = session_.state();
  loader_.reset(QThread::create([load, dir] {
    try {
      load->report = LoadCodeTables(load->state, dir);
      load->checked = CheckCodeTables(dir);
    } catch (const std::exception& fault) {
      load->fault = fault.what();
    }
  }));
  SetControlsEnabled(false);
  progress_->setRange(0, 0);
  progress_->setFormat(QStringLiteral("Reading the code tables..."));
  progress_->show();
  connect(loader_.get(), &QThread::finished, this, [this, load, dir] {
    loader_.release()->deleteLater();
    progress_->hide();
    progress_->setRange(0, 1000);
    progress_->resetFormat();
    SetControlsEnabled(true);
    if (!load->fault.empty()) {
      AppendInstruction(QStringLiteral("The code tables in ") + FromBytes(dir.string()) +
                        QStringLiteral(" could not be read (") + FromBytes(load->fault) +
                        QStringLiteral("); the tables in force are unchanged."));
      emit tablesLoaded();
      return;
    }
    // The font lists may have named other fonts while the files were read.
    session_.LoadTables([&load](ConverterState& state) {
      ConverterState loaded = std::move(load->state);
      loaded.translit_box_font = state.translit_box_font;
      loaded.devanagari_box_font = state.devanagari_box_font;
      loaded.devanagari_font_name = state.devanagari_font_name;
      state = std::move(loaded);
    });
    AppendInstruction(QStringLiteral("Code tables read from ") + FromBytes(dir.string()) +
                      (load->report.problems.empty() ? QStringLiteral(".") : QStringLiteral(":")));
    for (const TableProblem& problem : load->report.problems) {
      AppendInstruction(FromBytes(FormatProblem(problem)));
    }
    ShowFontState(false);
    // Files the check finds fault with, as sfconv tells them.
    QStringList faulty;
    for (const std::string& line : SummarizeCheck(load->checked, dir)) faulty << FromBytes(line);
    if (!faulty.isEmpty()) statusBar()->showMessage(faulty.join(QStringLiteral("; ")));
    emit tablesLoaded();
  });
  loader_->start();
}

void MainWindow::SetControlsEnabled(bool enabled) {
  command1_->setEnabled(enabled);
  command3_->setEnabled(enabled);
  for (QWidget* control : std::initializer_list<QWidget*>{
           direction_buttons_[0], direction_buttons_[1], frame1_, frame2_, frame3_, check1_}) {
    control->setEnabled(enabled);
  }
  menuBar()->setEnabled(enabled);
}

void MainWindow::ApplyFontList(QComboBox* list) {
  const bool translit = list == combo1_;
  const QString fallback = translit ? QStringLiteral("Sanskrit-Times") : QStringLiteral("Vedic");
  QString family = list->currentText();
  if (!QFontDatabase::families().contains(family, Qt::CaseInsensitive)) {
    family = fallback;
    list->setEditText(family);
  }
  if (translit) {
    session_.ChooseTranslitFontName(family.toStdString());
    QFont font = text1_->font();
    font.setFamily(family);
    text1_->SetBoxFont(font);
  } else {
    session_.ChooseDevanagariFontName(family.toStdString());
    QFont font = text2_->font();
    font.setFamily(family);
    text2_->SetBoxFont(font);
  }
  ReportMissingFonts();
}

void MainWindow::ReportMissingFonts() {
  const ConverterState& state = session_.state();
  QStringList missing;
  // The box whose font is missing says so in its tooltip.
  const std::pair<const std::string&, ByteTextBox*> boxes[] = {{state.translit_box_font, text1_},
                                                               {state.devanagari_box_font, text2_}};
  for (const auto& [font, box] : boxes) {
    const QString family = FromBytes(font);
    const bool installed = IsFontInstalled(family);
    if (!installed && !missing.contains(family)) missing << family;
    box->setToolTip(installed ? QString()
                              : QStringLiteral("The font \"") + family +
                                    QStringLiteral("\" is not installed here: this text shows in a "
                                                   "substitute font. The conversion is not "
                                                   "affected."));
  }
  // The status bar keeps saying it while such a font is chosen.
  fonts_note_->setText(
      missing.isEmpty() ? QString()
                        : QStringLiteral("Not installed: ") + missing.join(QStringLiteral(", ")) +
                              QStringLiteral(" (shown in a substitute font; the bytes are exact)"));
  fonts_note_->setAccessibleName(
      QStringLiteral("Missing fonts: ") +
      (missing.isEmpty() ? QStringLiteral("none") : missing.join(QStringLiteral(", "))));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (preview_ && watched == preview_.get() && event->type() == QEvent::Close) {
    preview_action_->setChecked(false);
  }
  if (event->type() == QEvent::FocusOut &&
      static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
    for (QComboBox* list : {combo1_, combo3_}) {
      if (watched != list && watched != list->lineEdit()) continue;
      QWidget* now = QApplication::focusWidget();
      if (now != list && now != list->lineEdit()) ApplyFontList(list);
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

HelpWindow* MainWindow::EnsureHelpWindow() {
  if (!help_) help_ = std::make_unique<HelpWindow>(session_);
  return help_.get();
}

// ---- Unicode ----

std::optional<DecodedBytes> MainWindow::ReadPastedIast(const QString& text) const {
  if (!LooksLikeIast(text)) return std::nullopt;
  return AsDecoded(session_.FromUnicode(text.toStdString(), TextBox::kTranslit), text);
}

std::string MainWindow::BoxAsUnicode(TextBox box) const {
  return session_.ToUnicode((box == TextBox::kDevanagari ? text2_ : text1_)->Bytes().bytes, box);
}

void MainWindow::CopyResultAsUnicode() {
  const bool devanagari = session_.direction() == Direction::kToDevanagari;
  QApplication::clipboard()->setText(
      QString::fromStdString(BoxAsUnicode(devanagari ? TextBox::kDevanagari : TextBox::kTranslit)));
  statusBar()->showMessage(devanagari ? QStringLiteral("Copied the result as Unicode Devanagari")
                                      : QStringLiteral("Copied the result as IAST"),
                           5000);
}

void MainWindow::PasteUnicode() {
  if (converting() || loadingTables()) return;
  const QString text = QApplication::clipboard()->text();
  const bool to_devanagari = session_.direction() == Direction::kToDevanagari;
  ByteTextBox* box = to_devanagari ? text1_ : text2_;
  const DecodedBytes decoded =
      AsDecoded(session_.FromUnicode(text.toStdString(),
                                     to_devanagari ? TextBox::kTranslit : TextBox::kDevanagari),
                text);
  box->InsertBytes(decoded.bytes);
  if (!decoded.left_out.empty()) AppendInstruction(DescribeLeftOut(decoded.left_out));
}

void MainWindow::ShowUnicodePreview(bool shown) {
  if (!shown) {
    if (preview_) preview_->hide();
    return;
  }
  if (!preview_) {
    preview_ = std::make_unique<UnicodePreview>();
    // The main window keeps the focus; closing the preview clears the menu's mark.
    preview_->setAttribute(Qt::WA_ShowWithoutActivating);
    preview_->installEventFilter(this);
    // Beside the window where the screen has room, else over the lower right
    // of the window, where the Devanagari box is, clear of the controls and
    // of the status bar, which says why the boxes show other letters.
    const QRect window = frameGeometry();
    const int bottom =
        statusBar()->isVisible() ? statusBar()->mapToGlobal(QPoint(0, 0)).y() - 1 : window.bottom();
    const QRect screen = this->screen() ? this->screen()->availableGeometry()
                                        : QRect(window.topLeft(), window.size());
    if (screen.right() - window.right() >= preview_->width()) {
      preview_->move(window.right() + 1, window.top());
    } else {
      preview_->resize(std::min(preview_->width(), window.width() * 3 / 5),
                       std::min(preview_->height(), window.height() * 2 / 5));
      preview_->move(window.right() - preview_->width(), bottom - preview_->height());
    }
  }
  preview_->show();
  UpdateUnicodePreview();
}

void MainWindow::UpdateUnicodePreview() {
  if (!preview_ || !preview_->isVisible()) return;
  preview_->ShowTexts(BoxAsUnicode(TextBox::kDevanagari), BoxAsUnicode(TextBox::kTranslit));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  if (event->isAccepted()) QCoreApplication::quit();
}

// ---- Options ----

void MainWindow::ApplyResolution(int index) {
  const bool small = index == 1;
  const int width = small ? 11600 : 14800;
  const auto resize_twips = [&](QWidget* widget, std::optional<int> top, std::optional<int> w,
                                std::optional<int> h) {
    const QRect now = widget->property("twips").toRect();
    Place(widget, now.x(), top.value_or(now.y()), w.value_or(now.width()),
          h.value_or(now.height()));
  };
  resize_twips(text1_, std::nullopt, width, std::nullopt);
  resize_twips(text2_, std::nullopt, width, std::nullopt);
  resize_twips(text3_, std::nullopt, width, std::nullopt);
  resize_twips(text1_, std::nullopt, std::nullopt, small ? 2500 : 3400);
  resize_twips(text2_, std::nullopt, std::nullopt, small ? 3000 : 4700);
  resize_twips(text2_, small ? 5000 : 5940, std::nullopt, std::nullopt);
  resize_twips(text3_, small ? 4400 : 5325, std::nullopt, std::nullopt);
}

// ---- Pastes ----

void MainWindow::OnTranslitPasted(const std::vector<LeftOutCharacter>& left_out) {
  if (!left_out.empty()) AppendInstruction(DescribeLeftOut(left_out));
  const DecodedBytes text = text1_->Bytes();
  std::string repaired = session_.RepairPastedTranslit(text.bytes);
  if (repaired == text.bytes) return;
  if (!text.left_out.empty()) AppendInstruction(DescribeLeftOut(text.left_out));
  const int cursor = text1_->textCursor().position();
  text1_->SetBytes(repaired);
  QTextCursor moved = text1_->textCursor();
  moved.setPosition(std::min(cursor, static_cast<int>(text1_->document()->characterCount() - 1)));
  text1_->setTextCursor(moved);
}

void MainWindow::OnGlyphPasted(const std::vector<LeftOutCharacter>& left_out) {
  if (!left_out.empty()) AppendInstruction(DescribeLeftOut(left_out));
}

// ---- The code-table browser ----

void MainWindow::StepBrowser(int step) {
  if (converting()) return;
  ShowBrowserView(session_.StepBrowser(step));
}

void MainWindow::ShowBrowserView(const BrowserView& view) {
  last_view_ = view;
  browser_shown_ = true;
  // Glyphs are announced by their Unicode reading, letters as IAST.
  const auto glyphs = [this](QLabel* shown, std::string_view bytes, const QString& role) {
    ShowValue(shown, GlyphsShown(shown, bytes), role, GlyphsSpoken(bytes));
  };
  const auto letters = [this](QLabel* shown, std::string_view bytes, const QString& role) {
    ShowValue(shown, TranslitBytesToText(bytes), role,
              FromBytes(session_.ToUnicode(bytes, TextBox::kTranslit)));
  };
  const QString number = QString::number(view.position);
  if (!view.glyph_mode) {
    ShowValue(label2_[0], number, QStringLiteral("Browser row number"), number);
    letters(label2_[1], view.key, QStringLiteral("Browser letters"));
    glyphs(label2_[2], view.full, QStringLiteral("Browser full glyphs"));
    glyphs(label2_[3], view.half, QStringLiteral("Browser half glyphs"));
    return;
  }
  ShowValue(label2_[0], number, QStringLiteral("Browser glyph code"), number);
  letters(label3_, view.entry_text, QStringLiteral("Browser entry text"));
  // The strip: each glyph alone.
  QStringList spoken;
  for (const char glyph : view.strip) {
    if (glyph != ' ') spoken << GlyphsSpoken(std::string_view(&glyph, 1));
  }
  ShowValue(label4_, GlyphsShown(label4_, view.strip, true), QStringLiteral("Browser glyph strip"),
            spoken.join(QStringLiteral(", ")));
}

bool MainWindow::GlyphFontInstalled() const {
  return IsFontInstalled(FromBytes(session_.state().devanagari_box_font));
}

QFont MainWindow::GlyphLabelFont(double size) const {
  if (GlyphFontInstalled())
    return SymbolFont(FromBytes(session_.state().devanagari_box_font), size);
  // Unicode Devanagari needs room above and below its letters for the signs:
  // smaller, so that a line fits the label's height.
  constexpr double kUnicodeScale = 0.65;
  return SymbolFont(UnicodeDevanagariFamily(), size * kUnicodeScale);
}

QString MainWindow::GlyphsShown(const QLabel* label, std::string_view glyphs, bool each) const {
  if (GlyphFontInstalled()) return GlyphBytesToText(glyphs, HasSymbolCharMap(label->font()));
  // Without the font, the labels are for reading: the Unicode reading of the
  // cell, or of each glyph of the strip in its place. A glyph with no
  // reading of its own (a sign alone) shows as a dotted circle.
  const QString no_reading(QChar(0x25CC));
  if (!each) {
    const std::string reading = session_.ReadGlyphs(glyphs).devanagari;
    if (!reading.empty()) return FromBytes(reading);
    return glyphs.find_first_not_of(' ') == std::string_view::npos ? QString() : no_reading;
  }
  QString shown;
  for (const char glyph : glyphs) {
    if (glyph == ' ') {
      shown += QLatin1Char(' ');
      continue;
    }
    const std::string reading = session_.ReadGlyphs(std::string_view(&glyph, 1)).devanagari;
    shown += reading.empty() ? no_reading : FromBytes(reading);
  }
  return shown;
}

QString MainWindow::GlyphsSpoken(std::string_view glyphs) const {
  const std::string reading = session_.ReadGlyphs(glyphs).Text();
  if (!reading.empty()) return FromBytes(reading);
  // Glyphs with no reading of their own (a sign alone) by their codes.
  QStringList codes;
  for (const char glyph : glyphs) {
    if (glyph != ' ') codes << QString::number(static_cast<unsigned char>(glyph));
  }
  return codes.isEmpty() ? QString() : QStringLiteral("code ") + codes.join(QLatin1Char(' '));
}

void MainWindow::ToggleAutoStep() {
  if (timer1_.isActive()) {
    timer1_.stop();
    ShowCaption(command5_, QStringLiteral(" auto >> "));
  } else {
    ShowCaption(command5_, QStringLiteral("  stop  "));
    timer1_.start();
  }
}

// ---- The instruction box ----

void MainWindow::SetInstruction(const QString& text) { text3_->setPlainText(text); }

void MainWindow::AppendInstruction(const QString& line) { text3_->appendPlainText(line); }

}  // namespace sfc::ui
