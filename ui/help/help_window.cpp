#include "help_window.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>
#include <string>
#include <string_view>

#include "byte_text.h"
#include "code_table_files.h"
#include "devitran_table.h"
#include "field_writer.h"
#include "glyph_roles.h"
#include "print_surface.h"
#include "session.h"
#include "translit_letters.h"

namespace sfc::ui {

namespace {

// The 16-colour palette's colours the pages print in.
const QColor kTitleColor(0xFF, 0x00, 0x00);    // light red
const QColor kBodyColor(0x00, 0x00, 0x80);     // blue
const QColor kAsideColor(0xFF, 0x00, 0xFF);    // light magenta
const QColor kPointerColor(0x00, 0x80, 0x00);  // green

constexpr int kOriginTwips = 200;
constexpr int kPrintPointSize = 13;
constexpr int kExampleSampleRows = 25;

const QString kTimes = QStringLiteral("Times New Roman");
const QString kPalladio = QStringLiteral("URW Palladio IT");

QFont MakeFont(const QString& family, double points, bool bold = false) {
  QFont font(family);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return QString::fromUtf8(reinterpret_cast<const char*>(text.data()),
                           static_cast<qsizetype>(text.size()));
}

// A cell as the program writes it to sanideva.cod or devitran.cod.
std::string Field(std::string_view value) { return WriteField(value, true).text; }

std::string PalladioLetter(Letter letter) {
  return std::string(GetTranslitLetters(TranslitFont::kUrwPalladioIt)[letter]);
}

// What a named glyph does, for the list of class numbers.
QString RoleMeaning(GlyphRole role) {
  switch (role) {
    case GlyphRole::kAspirata:
      return QStringLiteral("the aspirata sign (up to four glyphs)");
    case GlyphRole::kApostrophe:
      return QStringLiteral("the apostrophe");
    case GlyphRole::kHalfR:
    case GlyphRole::kHalfRUpper:
    case GlyphRole::kHalfRr:
      return QStringLiteral("a form of r written after its syllable");
    case GlyphRole::kOpenY:
      return QStringLiteral("the open y");
    case GlyphRole::kKt:
      return QStringLiteral("the kt ligature");
    case GlyphRole::kNam:
      return QStringLiteral("the sign of the nam syllable");
    case GlyphRole::kLa:
      return QStringLiteral("la");
    case GlyphRole::kMr:
      return QStringLiteral("r with the anusvara, after its syllable");
    default:
      return QString();
  }
}

QString ClassNumbersText() {
  QString text = QStringLiteral(
      "The last character of an entry is its class:\n"
      "number 1  a full syllable (with its inherent a)\n"
      "number 2  a half syllable (without the a)\n"
      "number 3  a vowel sign\n"
      "number 4  the glyph byte itself, which keeps its position\n"
      "number 5  a glyph with a role of its own, known by its name\n"
      "number 6  an independent vowel\n"
      "number 7  the user is asked what it reads as\n"
      "number 8  the text as it is\n"
      "number 9  a small letter that joins a neighbouring glyph\n"
      "\n"
      "Names with a role of their own (name and class number):\n");
  for (const NamedGlyphRole& named : kNamedGlyphRoles) {
    if (named.glyph_class != GlyphClass::kNamed && named.role != GlyphRole::kMr) continue;
    text += FromUtf8(named.name) + QString::number(static_cast<int>(named.glyph_class)) +
            QStringLiteral("  ") + RoleMeaning(named.role) + QLatin1Char('\n');
  }
  text.chop(1);
  return text;
}

QPlainTextEdit* MakeBox(QWidget* parent, const char* name, const QString& role, const QFont& font,
                        bool wrap) {
  auto* box = new QPlainTextEdit(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setAccessibleName(role);
  box->setToolTip(role);
  box->setReadOnly(true);
  box->setFont(font);
  box->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  return box;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setFont(font);
  label->setText(text);
  label->setAccessibleName(text.trimmed());
  label->adjustSize();
  return label;
}

}  // namespace

std::vector<int> ExampleSyllableRows(const ConverterState& state) {
  const auto has_glyphs = [&](int row) {
    const std::string& full = state.sanideva.full[static_cast<std::size_t>(row)];
    return !full.empty() && full != " ";
  };
  std::vector<int> rows;
  int last = 0;
  for (int row = 2; row <= kBuiltinSyllableRows; ++row) {
    if (state.sanideva.key[static_cast<std::size_t>(row)] == "gh") {
      last = row;
      break;
    }
  }
  for (int row = 2; row < kSyllableTableSize; ++row) {
    if (last != 0 && row > last) break;
    if (last == 0 && static_cast<int>(rows.size()) == kExampleSampleRows) break;
    if (has_glyphs(row)) rows.push_back(row);
  }
  return rows;
}

HelpWindow::HelpWindow(const Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("AYAM ATMA BRAHM"));
  setAccessibleName(QStringLiteral("Help"));
  setAttribute(Qt::WA_QuitOnClose, false);
  setFont(MakeFont(kTimes, 10));
  print_font_ = MakeFont(kTimes, kPrintPointSize);

  surface_ = new PrintSurface(this);
  surface_->setObjectName(QStringLiteral("Form3Surface"));
  surface_->setAccessibleName(QStringLiteral("Help page"));
  QPalette palette = surface_->palette();
  palette.setColor(QPalette::Window, Qt::white);
  surface_->setPalette(palette);
  surface_->setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(surface_);

  BuildControls();
  resize(Px(15000), Px(10500));
}

int HelpWindow::Px(int twips) const { return Twips(twips, logicalDpiX()); }

int HelpWindow::LineHeightTwips(const QFont& font) const {
  const QFontMetricsF metrics(font, surface_);
  return static_cast<int>(std::lround(metrics.height() * 1440.0 / surface_->logicalDpiY()));
}

void HelpWindow::BuildControls() {
  static constexpr std::array<const char*, 4> kButtonNames = {"Command1_0", "Command1_1",
                                                              "Command1_2", "Command1_3"};
  static constexpr std::array<const char*, 4> kButtonCaptions = {"Examples", "  Purpose  ",
                                                                 " Fonts  ", "Conversion"};
  for (std::size_t i = 0; i < page_buttons_.size(); ++i) {
    auto* button = new QPushButton(QString::fromLatin1(kButtonCaptions[i]), surface_);
    button->setObjectName(QString::fromLatin1(kButtonNames[i]));
    button->setAccessibleName(button->text().trimmed());
    button->setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    // A column along the right edge, clear of every page's text and boxes.
    button->setGeometry(Px(13450), Px(500 + 550 * static_cast<int>(i)), Px(1350), Px(450));
    button->hide();
    const auto page = static_cast<HelpPage>(i);
    connect(button, &QPushButton::clicked, this, [this, page] { ShowPage(page); });
    page_buttons_[i] = button;
  }

  // Where URW Palladio IT is missing, the letters are drawn from their IAST
  // (their accessible names) in a system font.
  const bool palladio = IsFontInstalled(kPalladio);
  const QFont letter_font = MakeFont(palladio ? kPalladio : UnicodeIastFamily(), kPrintPointSize);
  {
    using enum Letter;
    std::string letters;
    for (const std::string& piece :
         {PalladioLetter(kLongA), PalladioLetter(kVocalicR), PalladioLetter(kLongI),
          std::string("\x85"), PalladioLetter(kRetroflexN), PalladioLetter(kVelarN),
          PalladioLetter(kPalatalN), PalladioLetter(kRetroflexD)}) {
      if (!letters.empty()) letters += ' ';
      letters += piece;
    }
    label1_[0] = MakeLabel(surface_, "Label1_0", TranslitBytesToText(letters), letter_font);
    label1_[0]->setAccessibleName(QStringLiteral("Special letters: ā ṛ ī … ṇ ṅ ñ ḍ"));
    label1_[1] =
        MakeLabel(surface_, "Label1_1",
                  TranslitBytesToText(PalladioLetter(kRetroflexN) + " or " +
                                      PalladioLetter(kVelarN) + " or " + PalladioLetter(kPalatalN)),
                  letter_font);
    label1_[1]->setAccessibleName(QStringLiteral("ṇ or ṅ or ñ"));
    const std::string word = PalladioLetter(kPalatalS) + "r" + PalladioLetter(kLongI) + "-bhagav" +
                             PalladioLetter(kLongA) + "n";
    label2_[0] = MakeLabel(surface_, "Label2_0", TranslitBytesToText(word), letter_font);
    label2_[0]->setAccessibleName(QStringLiteral("śrī-bhagavān"));
    label2_[1] = MakeLabel(surface_, "Label2_1", TranslitBytesToText(PalladioLetter(kAnusvara)),
                           letter_font);
    label2_[1]->setAccessibleName(QStringLiteral("ṃ"));
    if (!palladio) {
      label1_[0]->setText(QStringLiteral("ā ṛ ī … ṇ ṅ ñ ḍ"));
      for (QLabel* label : {label1_[1], label2_[0], label2_[1]}) {
        label->setText(label->accessibleName());
      }
    }
  }

  const QFont caption_font = MakeFont(kTimes, 10, true);
  label3_[0] = MakeLabel(surface_, "Label3_0",
                         QStringLiteral("  sanideva.cod   (code table file)      190 entries"),
                         caption_font);
  label3_[1] = MakeLabel(surface_, "Label3_1",
                         QStringLiteral("   devitran.cod   (code table file)     255 entries"),
                         caption_font);
  label3_[2] =
      MakeLabel(surface_, "Label3_2",
                QStringLiteral(" lipikara.mmy (code table file)     255 entries"), caption_font);
  label4_ = MakeLabel(surface_, "Label4", QStringLiteral("ALT + 108"), caption_font);
  label5_ = MakeLabel(surface_, "Label5", QStringLiteral("ALT + 129"), caption_font);
  glyph_note_ = MakeLabel(surface_, "GlyphNote", QString(), MakeFont(kTimes, 9));

  const QFont sample_font = MakeFont(kPalladio, 12);
  const QFont glyph_font = MakeFont(QStringLiteral("Vedic"), 16);
  const QFont note_font = MakeFont(kTimes, 10);
  text1_[0] = MakeBox(surface_, "Text1_0", QStringLiteral("Keys of the sanideva.cod sample"),
                      sample_font, false);
  text1_[1] = MakeBox(surface_, "Text1_1", QStringLiteral("Rows of the sanideva.cod sample"),
                      sample_font, false);
  text1_[2] = MakeBox(surface_, "Text1_2", QStringLiteral("Full glyphs of the sanideva.cod sample"),
                      glyph_font, false);
  text1_[3] = MakeBox(surface_, "Text1_3", QStringLiteral("Half glyphs of the sanideva.cod sample"),
                      glyph_font, false);
  text1_[4] =
      MakeBox(surface_, "Text1_4", QStringLiteral("devitran.cod entries of codes 108 to 129"),
              sample_font, false);
  text1_[5] =
      MakeBox(surface_, "Text1_5", QStringLiteral("lipikara.mmy values of codes 108 to 129"),
              MakeFont(kTimes, 12), false);
  text2_ =
      MakeBox(surface_, "Text2", QStringLiteral("How sanideva.cod is written"), note_font, true);
  text3_ =
      MakeBox(surface_, "Text3", QStringLiteral("How devitran.cod is written"), note_font, true);
  text4_ = MakeBox(surface_, "Text4", QStringLiteral("Class numbers of devitran.cod"),
                   MakeFont(kPalladio, 10), true);
  text5_ =
      MakeBox(surface_, "Text5", QStringLiteral("How lipikara.mmy is written"), note_font, true);

  // The Examples page: sanideva.cod along the top, devitran.cod in the
  // middle, lipikara.mmy at the bottom (twips).
  label3_[0]->move(Px(200), Px(150));
  text1_[1]->setGeometry(Px(200), Px(500), Px(3000), Px(4100));
  text1_[0]->setGeometry(Px(3300), Px(500), Px(1200), Px(4100));
  text1_[2]->setGeometry(Px(4600), Px(500), Px(1200), Px(4100));
  text1_[3]->setGeometry(Px(5900), Px(500), Px(1200), Px(4100));
  text2_->setGeometry(Px(7200), Px(500), Px(6000), Px(4100));
  label3_[1]->move(Px(200), Px(4750));
  label4_->move(Px(200), Px(5100));
  text1_[4]->setGeometry(Px(200), Px(5400), Px(13000), Px(650));
  text3_->setGeometry(Px(200), Px(6150), Px(5800), Px(2500));
  text4_->setGeometry(Px(6100), Px(6150), Px(7100), Px(2500));
  label3_[2]->move(Px(200), Px(8800));
  text1_[5]->setGeometry(Px(200), Px(9150), Px(4500), Px(600));
  text5_->setGeometry(Px(4900), Px(8800), Px(8300), Px(1350));

  text4_->setPlainText(ClassNumbersText());

  page_controls_ = {label1_[0], label1_[1], label2_[0], label2_[1], label3_[0],
                    label3_[1], label3_[2], label4_,    label5_,    text1_[0],
                    text1_[1],  text1_[2],  text1_[3],  text1_[4],  text1_[5],
                    text2_,     text3_,     text4_,     text5_,     glyph_note_};
  HidePageControls();
}

void HelpWindow::HidePageControls() {
  for (QWidget* control : page_controls_) control->hide();
}

void HelpWindow::SetPageButtonsVisible(bool visible) {
  for (QPushButton* button : page_buttons_) button->setVisible(visible);
}

void HelpWindow::Print(const QString& text, const QColor& color) {
  surface_->PrintLine(text, color, print_font_);
}

void HelpWindow::PrintTitle(const QString& title) {
  surface_->SetOrigin(kOriginTwips, kOriginTwips);
  surface_->SetPrintPosition(0, 0);
  Print(QString(), kTitleColor);
  Print(title, kTitleColor);
  Print(QString(), kTitleColor);
}

void HelpWindow::PrintWithLabels(const std::vector<Piece>& pieces, const QColor& color) {
  const QFontMetrics metrics(print_font_, surface_);
  const int space = std::max(1, metrics.horizontalAdvance(QLatin1Char(' ')));
  QString line;
  std::vector<std::pair<QLabel*, int>> gaps;  // label, pixels from the line's start
  for (const Piece& piece : pieces) {
    if (piece.label == nullptr) {
      line += piece.text;
      continue;
    }
    line += QLatin1Char(' ');
    gaps.emplace_back(piece.label, metrics.horizontalAdvance(line));
    piece.label->adjustSize();
    line += QString((piece.label->width() + space - 1) / space, QLatin1Char(' '));
  }
  Print(line, color);
  const PrintSurface::PrintedLine& printed = surface_->printed().back();
  const int x = Twips(printed.x_twips, surface_->logicalDpiX());
  const int y = Twips(printed.y_twips, surface_->logicalDpiY()) + metrics.ascent();
  for (const auto& [label, offset] : gaps) {
    const QFontMetrics label_metrics(label->font(), label);
    label->move(x + offset, y - label_metrics.ascent());
    label->show();
  }
}

void HelpWindow::ShowPage(HelpPage page) {
  HidePageControls();
  surface_->ClearPrinted();
  page_ = page;
  switch (page) {
    case HelpPage::kExamples:
      BuildExamples();
      break;
    case HelpPage::kPurpose:
      BuildPurpose();
      break;
    case HelpPage::kFonts:
      BuildFonts();
      break;
    case HelpPage::kConversion:
      BuildConversion();
      break;
  }
}

void HelpWindow::BuildExamples() {
  const ConverterState& state = session_.state();
  const QFont translit_font = MakeFont(FromUtf8(state.translit_box_font), 12);
  // The glyph columns are for reading: where the Devanagari font is missing
  // they show each cell's Unicode reading in a system font, and say so.
  const QString glyph_family = FromUtf8(state.devanagari_box_font);
  const bool legacy_glyphs = IsFontInstalled(glyph_family);
  const QFont glyph_font = MakeFont(legacy_glyphs ? glyph_family : UnicodeDevanagariFamily(), 16);
  for (const std::size_t i : {0U, 1U, 4U}) text1_[i]->setFont(translit_font);
  text1_[2]->setFont(glyph_font);
  text1_[3]->setFont(glyph_font);
  const bool symbol_map = HasSymbolCharMap(glyph_font);
  const auto glyphs = [&](const std::string& cell) {
    return legacy_glyphs ? GlyphBytesToText(cell, symbol_map)
                         : FromUtf8(session_.ReadGlyphs(cell).devanagari);
  };
  glyph_note_->setText(legacy_glyphs
                           ? QString()
                           : glyph_family +
                                 QStringLiteral(" is not installed: the glyphs are shown from "
                                                "their Unicode reading in ") +
                                 glyph_font.family() + QStringLiteral("."));
  glyph_note_->setAccessibleName(glyph_note_->text());
  glyph_note_->adjustSize();
  glyph_note_->move(Px(4600), Px(4620));

  QString keys;
  QString rows;
  QString full;
  QString half;
  for (const int row : ExampleSyllableRows(state)) {
    const auto r = static_cast<std::size_t>(row);
    keys += TranslitBytesToText(Field(state.sanideva.key[r])) + QLatin1Char('\n');
    rows += TranslitBytesToText(Field(state.sanideva.key[r]) + "," + Field(state.sanideva.full[r]) +
                                "," + Field(state.sanideva.half[r])) +
            QLatin1Char('\n');
    full += glyphs(state.sanideva.full[r]) + QLatin1Char('\n');
    half += glyphs(state.sanideva.half[r]) + QLatin1Char('\n');
  }
  for (QString* text : {&keys, &rows, &full, &half}) text->chop(1);
  text1_[0]->setPlainText(keys);
  text1_[1]->setPlainText(rows);
  text1_[2]->setPlainText(full);
  text1_[3]->setPlainText(half);

  std::string entries;
  std::string short_i;
  for (int code = kExampleFirstGlyph; code <= kExampleLastGlyph; ++code) {
    const auto c = static_cast<std::size_t>(code);
    if (!entries.empty()) entries += ',';
    entries += Field(state.devitran[c]);
    short_i += state.short_i[c];
  }
  text1_[4]->setPlainText(TranslitBytesToText(entries));
  text1_[5]->setPlainText(TranslitBytesToText(short_i));

  // "ALT + 129" stands over the end of the entries, or at the box's right
  // edge when they run beyond it.
  const QFontMetrics entry_metrics(translit_font, text1_[4]);
  const int margin =
      static_cast<int>(text1_[4]->document()->documentMargin()) + text1_[4]->frameWidth();
  const int end =
      text1_[4]->x() + margin + entry_metrics.horizontalAdvance(TranslitBytesToText(entries));
  const int right = text1_[4]->geometry().right() - margin;
  label5_->move(
      std::max(label4_->x() + label4_->width() + Px(200), std::min(end, right)) - label5_->width(),
      label4_->y());
  label2_[0]->move(Px(7200), Px(150));

  text2_->setPlainText(QStringLiteral(
      "sanideva.cod holds one row per line: the key (the transliteration letters of a "
      "syllable), then the glyphs of the syllable with its inherent a (full), then the glyphs "
      "without it (half), separated by commas. The rows keep their places, because the program "
      "reads many of them by number: row 1 is the long a, row 2 a, row 3 ai.\n"
      "Keys are written in the bytes of the transliteration font, glyphs in the bytes of the "
      "Devanagari font. The word above, śrī-bhagavān, shows the letters of URW Palladio IT: one "
      "byte for each special letter. A text editor shows the glyph bytes as letters of its own "
      "font, as in the box of whole rows.\n"
      "A cell that starts with a byte a field cannot start with (a space, a comma, a quotation "
      "mark, an exclamation mark, and the bytes 10, 13, 146, 150, 151, 171, 187) is written as "
      "!NNN!, the byte's number between exclamation marks: a cluster the font has no glyph for "
      "is a single space, written !032!. A cell with a comma further on is put in quotation "
      "marks.\n"
      "The sample holds the rows of the tables in force from row 2 to the row of gh, in the "
      "fonts in force; rows whose full cell is a single space are left out."));
  text3_->setPlainText(QStringLiteral(
      "devitran.cod holds one entry per line for each glyph code of the Devanagari font, from "
      "1 to 255: how the glyph reads in transliteration, followed by one digit, its class "
      "(see the box on the right).\n"
      "The box above shows the entries of codes 108 to 129 in the tables in force, from "
      "ALT + 108 to ALT + 129 (the number you type with ALT to get the glyph), separated by "
      "commas as the fields of one line.\n"
      "An entry is written like a cell of sanideva.cod: a first byte a field cannot start "
      "with as !NNN!, an entry holding a comma in quotation marks."));
  text5_->setPlainText(QStringLiteral(
      "lipikara.mmy holds one value per line for each glyph code from 1 to 255: y when the "
      "short-i sign may stand before the glyph, n for half forms and joining signs, before which "
      "it may not. The box on the left shows the values of codes 108 to 129 in the tables in "
      "force, one letter for each code."));

  for (QWidget* control : std::initializer_list<QWidget*>{
           label2_[0], label3_[0], label3_[1], label3_[2], label4_, label5_, text1_[0], text1_[1],
           text1_[2], text1_[3], text1_[4], text1_[5], text2_, text3_, text4_, text5_}) {
    control->show();
  }
  glyph_note_->setVisible(!legacy_glyphs);
}

void HelpWindow::BuildPurpose() {
  PrintTitle(QStringLiteral("Purpose: "));
  // The last line of the body ends where the aside begins (x 4500, y 3700);
  // the body starts as many lines above it as it has.
  static const std::array<const char*, 11> kBody = {
      "This program converts Sanskrit text written in Devanagari into transliteration and back.",
      "Every Devanagari font and every transliteration font places its letters and glyphs at",
      "bytes of its own, so a text typed in one font reads as nonsense in another. The program",
      "bridges them: for each font a code table tells which bytes stand for which letters.",
      "Say you have typed a long text in one transliteration font and a publisher asks for it",
      "in another: convert it into Devanagari and back into the font that is asked for, and",
      "the text arrives letter for letter, without being typed again. The same way leads from",
      "one Devanagari font to another, and from transliteration to Devanagari and back.",
      "If you work with a program that accepts only one particular font, or that sorts,",
      "searches or hyphenates text by the bytes it finds there,",
      "and your texts are written in other fonts"};
  const int line = LineHeightTwips(print_font_);
  const int last_y = 3700;
  const int first_y = std::max(3 * line, last_y - 10 * line);
  surface_->SetPrintPosition(0, first_y);
  for (std::size_t i = 0; i + 1 < kBody.size(); ++i)
    Print(QString::fromLatin1(kBody[i]), kBodyColor);
  surface_->SetPrintPosition(0, last_y);
  Print(QString::fromLatin1(kBody.back()), kBodyColor);

  surface_->SetPrintPosition(4500, last_y);
  Print(QStringLiteral("(such programs make their decisions by a particular arrangement"),
        kAsideColor);
  Print(QStringLiteral("of characters, and a text in any other font leads them to wrong results),"),
        kAsideColor);
  surface_->SetPrintPosition(7650, 4000);
  Print(QStringLiteral("then you can take advantage of my program."), kBodyColor);
}

void HelpWindow::BuildFonts() {
  PrintTitle(QStringLiteral("Fonts: "));
  Print(QStringLiteral("The system supports the following fonts:"), kBodyColor);
  Print(QString(), kBodyColor);
  Print(QStringLiteral("transliteration fonts"), kAsideColor);
  for (const TranslitFont font :
       {TranslitFont::kItrTransTimes, TranslitFont::kUrwPalladioIt, TranslitFont::kSanskritTimes}) {
    Print(FromUtf8(FontName(font)), kBodyColor);
  }
  Print(QString(), kBodyColor);
  Print(QStringLiteral("devanagari fonts"), kAsideColor);
  for (const DevanagariFont font :
       {DevanagariFont::kVedic, DevanagariFont::kSanskrit99, DevanagariFont::kDevNatrajItr}) {
    Print(FromUtf8(FontName(font)), kBodyColor);
  }
  Print(QString(), kBodyColor);
  Print(QStringLiteral("Converting Devanagari text in one font into transliteration and back into "
                       "another Devanagari font"),
        kBodyColor);
  Print(QStringLiteral("converts it from the one Devanagari font into the other; the same holds "
                       "for transliteration fonts."),
        kBodyColor);
  Print(QStringLiteral("Other fonts are served by code tables loaded from disk "
                       "(\"Load code table  from disk\"), read from these files:"),
        kBodyColor);
  const std::filesystem::path dir = DataDirectory();
  for (const char* name : {kSyllableFileName, kGlyphFileName, kShortIFileName}) {
    Print(QStringLiteral("      ") + PathText(dir / name), kBodyColor);
  }
  Print(
      QStringLiteral("Install the fonts you work with, keep the code table files there, and press "
                     "the Examples button"),
      kBodyColor);
  Print(QStringLiteral("to see how the files are written."), kBodyColor);
  Print(QStringLiteral("The fonts themselves are not part of this program."), kBodyColor);
}

void HelpWindow::BuildConversion() {
  PrintTitle(QStringLiteral("Converting text (general rules): "));
  Print(QStringLiteral("sanskrit to devanagari"), kAsideColor);
  PrintWithLabels({{QStringLiteral("Write transliterated text in small letters and the special "
                                   "letters"),
                    nullptr},
                   {QString(), label1_[0]},
                   {QStringLiteral(" only; besides letters,"), nullptr}},
                  kBodyColor);
  Print(QStringLiteral("use only the characters 32 to 63 (the space, digits and punctuation)."),
        kBodyColor);
  PrintWithLabels({{QStringLiteral("A dash (byte 150) or a minus sign (byte 45) inside joined "
                                   "words, as in"),
                    nullptr},
                   {QString(), label2_[0]},
                   {QStringLiteral(","), nullptr}},
                  kBodyColor);
  Print(QStringLiteral("becomes the Devanagari hidden-dash sign."), kBodyColor);
  Print(QStringLiteral("An alternative space (byte 160) between words that are not joined becomes "
                       "a blank space (byte 31)"),
        kBodyColor);
  Print(QStringLiteral("in Devanagari; a normal space stays a normal space."), kBodyColor);
  PrintWithLabels({{QStringLiteral("m or"), nullptr},
                   {QString(), label2_[1]},
                   {QStringLiteral(" before some letters becomes"), nullptr},
                   {QString(), label1_[1]},
                   {QStringLiteral(" ; check \"Shift M  to N\" in the main window"), nullptr}},
                  kBodyColor);
  Print(QStringLiteral("to have them substituted automatically."), kBodyColor);
  Print(QStringLiteral("The Dash menu chooses how joined words are written: \"add aspirata\" joins "
                       "them reversibly,"),
        kBodyColor);
  Print(QStringLiteral("\"skip dash\" joins them properly, but the way back to transliteration may "
                       "then not give the dash again."),
        kBodyColor);
  Print(QString(), kBodyColor);
  Print(QStringLiteral("devanagari to sanskrit"), kAsideColor);
  Print(QStringLiteral("Use only Devanagari letters, digits, the aspirata sign and the hidden-dash "
                       "sign."),
        kBodyColor);
  Print(QStringLiteral("A dash (byte 45) in the transliteration comes from a particular dash glyph "
                       "of each Devanagari font."),
        kBodyColor);
  Print(QStringLiteral("A blank space (byte 31) gives an alternative space (byte 160); a normal "
                       "space stays a normal space."),
        kBodyColor);
  Print(QString(), kBodyColor);
  Print(QStringLiteral("You can check the belonging code table for any font type with buttons on "
                       "the right side"),
        kPointerColor);
  Print(QString(), kBodyColor);
  Print(QStringLiteral("Tested with Qt 6 on Linux. The text boxes read bytes as Windows-1252;"),
        kTitleColor);
  Print(QStringLiteral("no keyboard layout is needed for pasting text into them."), kTitleColor);
}

void HelpWindow::OpenForInstruction() {
  // The contact panel's text never stays behind the page buttons; the
  // Purpose page comes with the window's focus.
  if (!page_) surface_->ClearPrinted();
  show();
  showMaximized();
  SetPageButtonsVisible(true);
}

void HelpWindow::OpenForContact(const QString& name, const QString& version,
                                const QString& documentation) {
  if (isMaximized()) showNormal();
  show();
  HidePageControls();
  SetPageButtonsVisible(false);
  page_.reset();
  resize(Px(9200), Px(7000));
  surface_->ClearPrinted();
  surface_->SetOrigin(kOriginTwips, kOriginTwips);
  surface_->SetPrintPosition(0, 0);

  const QFont font = MakeFont(kTimes, kPrintPointSize, true);
  const auto print = [&](const QString& text, const QColor& color) {
    surface_->PrintLine(text, color, font);
  };
  print(QString(), kTitleColor);
  print(QStringLiteral("Address: "), kTitleColor);
  print(QString(), kTitleColor);
  print(name, kBodyColor);
  print(QStringLiteral("Version ") + version, kBodyColor);
  print(QStringLiteral("Documentation: ") + documentation, kBodyColor);
  print(QString(), kBodyColor);
  print(QString(), kBodyColor);
  print(QStringLiteral("Phone:"), kTitleColor);
  print(QString(), kTitleColor);
  print(QStringLiteral("(none)"), kBodyColor);
  print(QString(), kBodyColor);
  print(QString(), kBodyColor);
  print(QStringLiteral("E-mail:"), kTitleColor);
  print(QString(), kTitleColor);
  print(QStringLiteral("(none)"), kBodyColor);
  print(QStringLiteral("For more information visit my web site at:"), kBodyColor);
  print(QString(), kBodyColor);
  surface_->PrintLine(documentation, kAsideColor, MakeFont(kTimes, 20, true));
}

bool HelpWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    if (isMaximized() && !page_) {
      ShowPage(HelpPage::kPurpose);
    } else {
      surface_->update();
    }
  }
  return QWidget::event(event);
}

void HelpWindow::resizeEvent(QResizeEvent* event) {
  print_font_.setPointSize(kPrintPointSize);
  QWidget::resizeEvent(event);
}

}  // namespace sfc::ui
