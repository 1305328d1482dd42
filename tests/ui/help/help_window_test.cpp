// The help window: which controls each page button shows, what the pages
// print, the focus rule, the contact panel, and the Examples page's samples
// against the tables in force.
#include "help_window.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "byte_text.h"
#include "code_table_files.h"
#include "field_writer.h"
#include "print_surface.h"
#include "session.h"

using sfc::ui::HelpPage;
using sfc::ui::HelpWindow;
using sfc::ui::PrintSurface;

namespace {

const QColor kLightRed(0xFF, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0x80);
const QColor kLightMagenta(0xFF, 0x00, 0xFF);
const QColor kGreen(0x00, 0x80, 0x00);

const QStringList kPageControls = {"Label1_0", "Label1_1", "Label2_0", "Label2_1", "Label3_0",
                                   "Label3_1", "Label3_2", "Label4",   "Label5",   "Text1_0",
                                   "Text1_1",  "Text1_2",  "Text1_3",  "Text1_4",  "Text1_5",
                                   "Text2",    "Text3",    "Text4",    "Text5"};
const QStringList kExampleControls = {
    "Label2_0", "Label3_0", "Label3_1", "Label3_2", "Label4", "Label5", "Text1_0", "Text1_1",
    "Text1_2",  "Text1_3",  "Text1_4",  "Text1_5",  "Text2",  "Text3",  "Text4",   "Text5"};
const QStringList kConversionControls = {"Label1_0", "Label1_1", "Label2_0", "Label2_1"};
const QStringList kPageButtons = {"Command1_0", "Command1_1", "Command1_2", "Command1_3"};

QWidget* Control(HelpWindow& window, const QString& name) {
  return window.findChild<QWidget*>(name);
}

// The page controls shown (visible in the window), by name.
QSet<QString> ShownControls(HelpWindow& window) {
  QSet<QString> shown;
  for (const QString& name : kPageControls) {
    if (Control(window, name)->isVisibleTo(&window)) shown.insert(name);
  }
  return shown;
}

void Click(HelpWindow& window, const QString& button) {
  QTest::mouseClick(window.findChild<QPushButton*>(button), Qt::LeftButton);
}

void Activate(HelpWindow& window) {
  QEvent event(QEvent::WindowActivate);
  QCoreApplication::sendEvent(&window, &event);
}

QStringList PrintedTexts(const HelpWindow& window) {
  QStringList texts;
  for (const PrintSurface::PrintedLine& line : window.surface()->printed()) texts << line.text;
  return texts;
}

std::string BoxBytes(HelpWindow& window, const QString& name) {
  auto* box = window.findChild<QPlainTextEdit*>(name);
  return sfc::ui::TranslitTextToBytes(sfc::ui::BoxText(*box->document())).bytes;
}

std::vector<std::string> BoxLines(HelpWindow& window, const QString& name, bool glyphs) {
  auto* box = window.findChild<QPlainTextEdit*>(name);
  const QString text = sfc::ui::BoxText(*box->document());
  std::vector<std::string> lines;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    lines.push_back(glyphs ? sfc::ui::GlyphTextToBytes(line).bytes
                           : sfc::ui::TranslitTextToBytes(line).bytes);
  }
  return lines;
}

std::string Field(const std::string& value) { return sfc::WriteField(value, true).text; }

int Px(const QWidget& widget, int twips) { return sfc::ui::Twips(twips, widget.logicalDpiX()); }

std::string LabelBytes(HelpWindow& window, const QString& name) {
  return sfc::ui::TranslitTextToBytes(window.findChild<QLabel*>(name)->text()).bytes;
}

}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void windowIsAHelpWindowThatNeverEndsTheProgram();
  void pageButtonsAppearOnlyForInstruction();
  void examplesButtonShowsTheSamplesAndNothingElse();
  void conversionButtonShowsTheLettersOverGapsInItsLines();
  void purposeAndFontsButtonsShowNoControls();
  void anotherPageAfterExamplesHidesItsControls();
  void sameButtonTwicePrintsThePageOnce();
  void printedPagesStartWithTheirTitleInLightRed();
  void conversionPageEndsWithThePointerAndTheTestedSystem();
  void purposeAsideContinuesTheLastBlueLine();
  void focusOnTheMaximisedWindowPrintsPurposeOnce();
  void focusAfterAPageKeepsThatPage();
  void focusOnTheContactPanelPrintsNothing();
  void contactAfterInstructionIsASmallWindowPrintedFromTheTop();
  void contactTwiceDoesNotStackCopies();
  void specialLetterLabelsHoldTheBytesOfUrwPalladio();
  void exampleRowsAreThoseOfTheTablesInForce();
  void exampleRowsFollowAFontChosenAfterTheWindowWasBuilt();
  void exampleRowsOfAnotherDevanagariFont();
  void exampleGlyphsWithoutTheirFontShowTheirUnicodeReading();
  void exampleEntriesAndValuesAreCodes108To129InForce();
  void classNumbersListTheNamedGlyphs();
  void fontsPageNamesTheDataDirectoryInUse();
  void everyControlHasAnAccessibleName();
};

void HelpWindowTest::windowIsAHelpWindowThatNeverEndsTheProgram() {
  sfc::Session session;
  HelpWindow window(session);
  QCOMPARE(window.objectName(), QStringLiteral("Form3"));
  QCOMPARE(window.windowTitle(), QStringLiteral("AYAM ATMA BRAHM"));
  QVERIFY(window.isWindow());
  QVERIFY(!window.testAttribute(Qt::WA_QuitOnClose));
  QVERIFY(!window.page().has_value());
  QVERIFY(ShownControls(window).isEmpty());
}

void HelpWindowTest::pageButtonsAppearOnlyForInstruction() {
  sfc::Session session;
  HelpWindow window(session);
  for (const QString& name : kPageButtons) QVERIFY(!Control(window, name)->isVisibleTo(&window));
  window.OpenForInstruction();
  QVERIFY(window.isMaximized());
  for (const QString& name : kPageButtons) QVERIFY(Control(window, name)->isVisible());
  window.SetPageButtonsVisible(false);
  for (const QString& name : kPageButtons) QVERIFY(!Control(window, name)->isVisible());
}

void HelpWindowTest::examplesButtonShowsTheSamplesAndNothingElse() {
  sfc::Session session;
  HelpWindow window(session);
  window.OpenForInstruction();
  Click(window, "Command1_0");
  QCOMPARE(window.page(), HelpPage::kExamples);
  QCOMPARE(ShownControls(window), QSet<QString>(kExampleControls.begin(), kExampleControls.end()));
  // No two boxes of the page overlap.
  std::vector<QRect> boxes;
  for (auto* box : window.findChildren<QPlainTextEdit*>()) boxes.push_back(box->geometry());
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    for (std::size_t j = i + 1; j < boxes.size(); ++j) QVERIFY(!boxes[i].intersects(boxes[j]));
  }
}

void HelpWindowTest::conversionButtonShowsTheLettersOverGapsInItsLines() {
  sfc::Session session;
  HelpWindow window(session);
  window.OpenForInstruction();
  Click(window, "Command1_3");
  QCOMPARE(window.page(), HelpPage::kConversion);
  QCOMPARE(ShownControls(window),
           QSet<QString>(kConversionControls.begin(), kConversionControls.end()));
  const PrintSurface& surface = *window.surface();
  for (const QString& name : kConversionControls) {
    const QWidget* label = Control(window, name);
    // The printed line the label stands on, and under it nothing but spaces.
    bool found = false;
    for (const PrintSurface::PrintedLine& line : surface.printed()) {
      const QFontMetrics metrics(line.font, &surface);
      const int top = sfc::ui::Twips(line.y_twips, surface.logicalDpiY());
      if (label->geometry().center().y() < top ||
          label->geometry().center().y() >= top + metrics.height()) {
        continue;
      }
      const int left = sfc::ui::Twips(line.x_twips, surface.logicalDpiX());
      qsizetype first = 0;
      while (first < line.text.size() &&
             left + metrics.horizontalAdvance(line.text.left(first + 1)) <= label->x()) {
        ++first;
      }
      qsizetype last = first;
      while (last < line.text.size() &&
             left + metrics.horizontalAdvance(line.text.left(last)) < label->geometry().right()) {
        ++last;
      }
      QVERIFY2(last < line.text.size(), qPrintable(name + " runs past the end of " + line.text));
      QVERIFY2(line.text.mid(first, last - first).trimmed().isEmpty(),
               qPrintable(name + " covers text of " + line.text));
      found = true;
    }
    QVERIFY2(found, qPrintable(name + " stands on no printed line"));
  }
}

void HelpWindowTest::purposeAndFontsButtonsShowNoControls() {
  sfc::Session session;
  HelpWindow window(session);
  window.OpenForInstruction();
  Click(window, "Command1_1");
  QCOMPARE(window.page(), HelpPage::kPurpose);
  QVERIFY(ShownControls(window).isEmpty());
  Click(window, "Command1_2");
  QCOMPARE(window.page(), HelpPage::kFonts);
  QVERIFY(ShownControls(window).isEmpty());
  for (const QString& name : kPageButtons) QVERIFY(Control(window, name)->isVisible());
}

void HelpWindowTest::anotherPageAfterExamplesHidesItsControls() {
  sfc::Session session;
  HelpWindow window(session);
  window.OpenForInstruction();
  for (const QString next : {"Command1_1", "Command1_2", "Command1_3"}) {
    Click(window, "Command1_0");
    Click(window, next);
    for (const QString& name : kExampleControls) {
      if (next == "Command1_3" && kConversionControls.contains(name)) continue;
      QVERIFY2(!Control(window, name)->isVisible(), qPrintable(name + " after " + next));
    }
  }
}

void HelpWindowTest::sameButtonTwicePrintsThePageOnce() {
  sfc::Session session;
  HelpWindow window(session);
  window.OpenForInstruction();
  for (const QString& button : kPageButtons) {
    Click(window, button);
    const QStringList once = PrintedTexts(window);
    const QSet<QString> shown = ShownControls(window);
    Click(window, button);
    QCOMPARE(PrintedTexts(window), once);
    QCOMPARE(ShownControls(window), shown);
  }
}

void HelpWindowTest::printedPagesStartWithTheirTitleInLightRed() {
  sfc::Session session;
  HelpWindow window(session);
  const std::vector<std::pair<HelpPage, QString>> pages = {
      {HelpPage::kPurpose, "Purpose: "},
      {HelpPage::kFonts, "Fonts: "},
      {HelpPage::kConversion, "Converting text (general rules): "}};
  for (const auto& [page, title] : pages) {
    window.ShowPage(page);
    const auto& printed = window.surface()->printed();
    QVERIFY(printed.size() > 10);
    QCOMPARE(printed[0].text, QString());
    QCOMPARE(printed[1].text, title);
    QCOMPARE(printed[1].color, kLightRed);
    QCOMPARE(printed[2].text, QString());
    QCOMPARE(printed[0].x_twips, 200);
    QCOMPARE(printed[0].y_twips, 200);
    for (const PrintSurface::PrintedLine& line : printed) {
      QCOMPARE(line.font.pointSize(), 13);
      QCOMPARE(line.font.family(), QStringLiteral("Times New Roman"));
    }
    // The body text is blue.
    QCOMPARE(printed[3 + (page == HelpPage::kConversion ? 1 : 0)].color, kBlue);
  }
}

void HelpWindowTest::conversionPageEndsWithThePointerAndTheTestedSystem() {
  sfc::Session session;
  HelpWindow window(session);
  window.ShowPage(HelpPage::kConversion);
  const auto& printed = window.surface()->printed();
  QStringList headings;
  QString pointer;
  for (const auto& line : printed) {
    if (line.color == kLightMagenta) headings << line.text;
    if (line.color == kGreen) pointer = line.text;
  }
  QCOMPARE(headings, QStringList({"sanskrit to devanagari", "devanagari to sanskrit"}));
  QCOMPARE(pointer, QStringLiteral("You can check the belonging code table for any font type with "
                                   "buttons on the right side"));
  QCOMPARE(printed.back().color, kLightRed);
  const QString text = PrintedTexts(window).join('\n');
  QVERIFY(text.contains("Shift M  to N"));
  QVERIFY(text.contains("Dash menu"));
  QVERIFY(text.contains("Qt 6 on Linux"));
}

void HelpWindowTest::purposeAsideContinuesTheLastBlueLine() {
  sfc::Session session;
  HelpWindow window(session);
  window.ShowPage(HelpPage::kPurpose);
  const auto& printed = window.surface()->printed();
  const auto aside = std::find_if(printed.begin(), printed.end(),
                                  [](const auto& line) { return line.color == kLightMagenta; });
  QVERIFY(aside != printed.end() && aside + 2 < printed.end());
  // Twips from the window's corner: the origin is 200, 200.
  QCOMPARE(aside->x_twips, 200 + 4500);
  QCOMPARE(aside->y_twips, 200 + 3700);
  const auto before = aside - 1;
  QCOMPARE(before->color, kBlue);
  QCOMPARE(before->y_twips, aside->y_twips);
  QCOMPARE(before->x_twips, 200);
  // The blue line ends before the aside starts.
  const QFontMetrics metrics(before->font, window.surface());
  QVERIFY(Px(window, before->x_twips) + metrics.horizontalAdvance(before->text) <
          Px(window, aside->x_twips));
  const auto second = aside + 1;
  QCOMPARE(second->color, kLightMagenta);
  QCOMPARE(second->x_twips, 200);
  const auto closing = aside + 2;
  QCOMPARE(closing->color, kBlue);
  QCOMPARE(closing->text, QStringLiteral("then you can take advantage of my program."));
  QCOMPARE(closing->x_twips, 200 + 7650);
  QCOMPARE(closing->y_twips, 200 + 4000);
  // The closing words follow the aside's second line on the same line.
  QVERIFY(std::abs(closing->y_twips - second->y_twips) < 60);
  QVERIFY(Px(window, second->x_twips) + metrics.horizontalAdvance(second->text) <
          Px(window, closing->x_twips));
}

void HelpWindowTest::focusOnTheMaximisedWindowPrintsPurposeOnce() {
  sfc::Session session;
  HelpWindow reference(session);
  reference.ShowPage(HelpPage::kPurpose);

  HelpWindow window(session);
  window.OpenForInstruction();
  QVERIFY(window.isMaximized());
  Activate(window);
  QCOMPARE(window.page(), HelpPage::kPurpose);
  QCOMPARE(PrintedTexts(window), PrintedTexts(reference));
  Activate(window);
  QCOMPARE(PrintedTexts(window), PrintedTexts(reference));
}

void HelpWindowTest::focusAfterAPageKeepsThatPage() {
  sfc::Session session;
  HelpWindow window(session);
  window.OpenForInstruction();
  Click(window, "Command1_2");
  const QStringList fonts = PrintedTexts(window);
  Activate(window);
  QCOMPARE(window.page(), HelpPage::kFonts);
  QCOMPARE(PrintedTexts(window), fonts);
  Click(window, "Command1_0");
  Activate(window);
  QCOMPARE(window.page(), HelpPage::kExamples);
  QVERIFY(window.surface()->printed().empty());
}

void HelpWindowTest::focusOnTheContactPanelPrintsNothing() {
  sfc::Session session;
  HelpWindow window(session);
  window.OpenForContact("Sanskrit Font Converter", "1.2.3", "docs/README.md");
  const QStringList contact = PrintedTexts(window);
  Activate(window);
  QCOMPARE(PrintedTexts(window), contact);
  QVERIFY(!window.page().has_value());
}

void HelpWindowTest::contactAfterInstructionIsASmallWindowPrintedFromTheTop() {
  sfc::Session session;
  HelpWindow window(session);
  window.OpenForInstruction();
  Click(window, "Command1_0");
  window.OpenForContact("Sanskrit Font Converter", "1.2.3", "docs/README.md");
  QVERIFY(!window.isMaximized());
  QCOMPARE(window.size(), QSize(Px(window, 9200), Px(window, 7000)));
  QVERIFY(ShownControls(window).isEmpty());
  for (const QString& name : kPageButtons) QVERIFY(!Control(window, name)->isVisible());
  QVERIFY(!window.page().has_value());

  const auto& printed = window.surface()->printed();
  QCOMPARE(printed.front().x_twips, 200);
  QCOMPARE(printed.front().y_twips, 200);
  const QStringList texts = PrintedTexts(window);
  QCOMPARE(texts.mid(0, 3), QStringList({"", "Address: ", ""}));
  QVERIFY(texts.contains("Sanskrit Font Converter"));
  QVERIFY(texts.contains("Version 1.2.3"));
  QVERIFY(texts.contains("Documentation: docs/README.md"));
  for (const QString heading : {"Phone:", "E-mail:"}) {
    const auto at = texts.indexOf(heading);
    QVERIFY(at > 0);
    QCOMPARE(printed[static_cast<std::size_t>(at)].color, kLightRed);
    QCOMPARE(texts[at + 2], QStringLiteral("(none)"));
    QCOMPARE(printed[static_cast<std::size_t>(at + 2)].color, kBlue);
  }
  QCOMPARE(printed.back().text, QStringLiteral("docs/README.md"));
  QCOMPARE(printed.back().color, kLightMagenta);
  QCOMPARE(printed.back().font.pointSize(), 20);
  QVERIFY(printed.front().font.bold());
  QCOMPARE(printed.front().font.pointSize(), 13);
}

void HelpWindowTest::contactTwiceDoesNotStackCopies() {
  sfc::Session session;
  HelpWindow window(session);
  window.OpenForContact("Sanskrit Font Converter", "1.2.3", "docs/README.md");
  const QStringList once = PrintedTexts(window);
  window.OpenForContact("Sanskrit Font Converter", "1.2.3", "docs/README.md");
  QCOMPARE(PrintedTexts(window), once);
  QCOMPARE(window.surface()->printed().front().y_twips, 200);
}

void HelpWindowTest::specialLetterLabelsHoldTheBytesOfUrwPalladio() {
  sfc::Session session;
  HelpWindow window(session);
  // The bytes of the font where it is installed, else their IAST in a
  // system font.
  const bool installed = sfc::ui::IsFontInstalled(QStringLiteral("URW Palladio IT"));
  const std::pair<const char*, const char*> labels[] = {
      {"Label1_0", "\xe4 \xe5 \xe9 \x85 \xeb \xec \xef \xf2"},
      {"Label1_1", "\xeb or \xec or \xef"},
      {"Label2_0", "\xe7r\xe9-bhagav\xe4n"},
      {"Label2_1", "\xe0"},
  };
  const QStringList iast = {QStringLiteral("ā ṛ ī … ṇ ṅ ñ ḍ"), QStringLiteral("ṇ or ṅ or ñ"),
                            QStringLiteral("śrī-bhagavān"), QStringLiteral("ṃ")};
  for (std::size_t i = 0; i < std::size(labels); ++i) {
    const auto* label = window.findChild<QLabel*>(QString::fromLatin1(labels[i].first));
    if (installed) {
      QCOMPARE(LabelBytes(window, labels[i].first), std::string(labels[i].second));
    } else {
      QCOMPARE(label->text(), iast[static_cast<qsizetype>(i)]);
      QCOMPARE(QFontInfo(label->font()).family(), sfc::ui::UnicodeIastFamily());
    }
  }
  QCOMPARE(window.findChild<QLabel*>("Label1_0")->textFormat(), Qt::PlainText);
}

namespace {

// The Examples page's sanideva.cod sample against the tables in force.
void CheckSyllableSample(HelpWindow& window, const sfc::Session& session) {
  const sfc::ConverterState& state = session.state();
  // The glyph columns: the font's bytes where it is installed, else the
  // cells' Unicode reading.
  const bool installed =
      sfc::ui::IsFontInstalled(QString::fromStdString(state.devanagari_box_font));
  const auto glyphs = [&](const std::string& cell) {
    return installed ? cell : session.ReadGlyphs(cell).devanagari;
  };
  const std::vector<int> rows = sfc::ui::ExampleSyllableRows(state);
  QVERIFY(rows.size() >= 20);
  QCOMPARE(rows.front(), 2);
  QCOMPARE(state.sanideva.key[static_cast<std::size_t>(rows.back())], std::string("gh"));
  QVERIFY(std::is_sorted(rows.begin(), rows.end()));

  const auto whole = BoxLines(window, "Text1_1", false);
  const auto keys = BoxLines(window, "Text1_0", false);
  const auto unicode_lines = [&](const char* name) {
    std::vector<std::string> lines;
    for (const QString& line :
         window.findChild<QPlainTextEdit*>(name)->toPlainText().split(QLatin1Char('\n'))) {
      lines.push_back(line.toStdString());
    }
    return lines;
  };
  const auto full = installed ? BoxLines(window, "Text1_2", true) : unicode_lines("Text1_2");
  const auto half = installed ? BoxLines(window, "Text1_3", true) : unicode_lines("Text1_3");
  QCOMPARE(whole.size(), rows.size());
  QCOMPARE(keys.size(), rows.size());
  QCOMPARE(full.size(), rows.size());
  QCOMPARE(half.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto row = static_cast<std::size_t>(rows[i]);
    QVERIFY(state.sanideva.full[row] != " ");
    QCOMPARE(whole[i], Field(state.sanideva.key[row]) + "," + Field(state.sanideva.full[row]) +
                           "," + Field(state.sanideva.half[row]));
    QCOMPARE(keys[i], Field(state.sanideva.key[row]));
    QCOMPARE(full[i], glyphs(state.sanideva.full[row]));
    QCOMPARE(half[i], glyphs(state.sanideva.half[row]));
  }
}

}  // namespace

void HelpWindowTest::exampleRowsAreThoseOfTheTablesInForce() {
  sfc::Session session;
  HelpWindow window(session);
  window.ShowPage(HelpPage::kExamples);
  CheckSyllableSample(window, session);
  QCOMPARE(BoxLines(window, "Text1_0", false).front(), std::string("a"));
  QCOMPARE(BoxLines(window, "Text1_0", false)[1], std::string("ai"));
}

void HelpWindowTest::exampleRowsFollowAFontChosenAfterTheWindowWasBuilt() {
  sfc::Session session;
  HelpWindow window(session);
  window.ShowPage(HelpPage::kExamples);
  const std::string before = BoxBytes(window, "Text1_1");
  session.PressDevanagariFontButton(sfc::DevanagariFont::kSanskrit99);
  session.PressTranslitFontButton(sfc::TranslitFont::kUrwPalladioIt);
  window.ShowPage(HelpPage::kExamples);
  QVERIFY(BoxBytes(window, "Text1_1") != before);
  CheckSyllableSample(window, session);
  QCOMPARE(window.findChild<QPlainTextEdit*>("Text1_1")->font().family(),
           QStringLiteral("URW Palladio IT"));
}

void HelpWindowTest::exampleGlyphsWithoutTheirFontShowTheirUnicodeReading() {
  QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(SFC_TEST_SYMBOL_FONT)) >= 0);
  // The font of the tables is missing; then an installed one is named.
  for (const bool installed : {false, true}) {
    sfc::Session session;
    session.PressDevanagariFontButton(sfc::DevanagariFont::kSanskrit99);
    if (installed) session.ChooseDevanagariFontName("SFC Symbol Test");
    HelpWindow window(session);
    window.OpenForInstruction();
    window.ShowPage(HelpPage::kExamples);
    CheckSyllableSample(window, session);
    auto* full = window.findChild<QPlainTextEdit*>("Text1_2");
    auto* note = window.findChild<QLabel*>("GlyphNote");
    // The font actually drawing the column.
    const QString drawn = QFontInfo(full->font()).family();
    if (installed) {
      QCOMPARE(drawn, QStringLiteral("SFC Symbol Test"));
      QVERIFY(!note->isVisible());
      continue;
    }
    QVERIFY2(
        drawn.startsWith(QStringLiteral("Noto ")) && drawn.endsWith(QStringLiteral("Devanagari")),
        qPrintable(drawn));
    QVERIFY(full->toPlainText().contains(QChar(0x0917)));  // ग
    QVERIFY(note->isVisible());
    QVERIFY2(note->text().contains(QStringLiteral("Sanskrit 99 is not installed")) &&
                 note->text().contains(drawn),
             qPrintable(note->text()));
  }
}

void HelpWindowTest::exampleRowsOfAnotherDevanagariFont() {
  sfc::Session startup;
  HelpWindow startup_window(startup);
  startup_window.ShowPage(HelpPage::kExamples);

  sfc::Session session;
  session.PressDevanagariFontButton(sfc::DevanagariFont::kSanskrit99);
  HelpWindow window(session);
  window.ShowPage(HelpPage::kExamples);
  QVERIFY(BoxBytes(window, "Text1_1") != BoxBytes(startup_window, "Text1_1"));
  QVERIFY(BoxBytes(window, "Text1_4") != BoxBytes(startup_window, "Text1_4"));
  CheckSyllableSample(window, session);
}

void HelpWindowTest::exampleEntriesAndValuesAreCodes108To129InForce() {
  for (const auto font : sfc::kDevanagariFonts) {
    sfc::Session session;
    session.PressDevanagariFontButton(font);
    HelpWindow window(session);
    window.ShowPage(HelpPage::kExamples);
    std::string entries;
    std::string values;
    for (std::size_t code = 108; code <= 129; ++code) {
      entries += (entries.empty() ? "" : ",") + Field(session.state().devitran[code]);
      values += session.state().short_i[code];
    }
    QCOMPARE(BoxBytes(window, "Text1_4"), entries);
    QCOMPARE(BoxBytes(window, "Text1_4").find('\n'), std::string::npos);
    QCOMPARE(BoxBytes(window, "Text1_5"), values);
    QCOMPARE(values.size(), std::size_t{22});
    // The two labels mark the line's ends, the first at its start.
    const QWidget* first = Control(window, "Label4");
    const QWidget* last = Control(window, "Label5");
    const QWidget* box = Control(window, "Text1_4");
    QCOMPARE(first->x(), box->x());
    QVERIFY(last->x() > first->geometry().right());
    QVERIFY(last->geometry().right() <= box->geometry().right());
    QVERIFY(first->geometry().bottom() < box->y());
    QCOMPARE(last->y(), first->y());
  }
}

void HelpWindowTest::classNumbersListTheNamedGlyphs() {
  sfc::Session session;
  HelpWindow window(session);
  window.ShowPage(HelpPage::kExamples);
  const QString text = window.findChild<QPlainTextEdit*>("Text4")->toPlainText();
  for (int number = 1; number <= 9; ++number) {
    QVERIFY(text.contains(QStringLiteral("number %1").arg(number)));
  }
  for (const char* name : {"asp15", "asp25", "asp35", "asp45", "apostrophe5", "half_r5", "half_R5",
                           "half_rr5", "open_y5", "kt5", "nam5", "la5", "mr2"}) {
    QVERIFY2(text.contains(QLatin1String(name)), name);
  }
}

void HelpWindowTest::fontsPageNamesTheDataDirectoryInUse() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QByteArray saved = qgetenv("LIPIKARA_DIR");
  qputenv("LIPIKARA_DIR", QFile::encodeName(dir.path()));
  sfc::Session session;
  HelpWindow window(session);
  window.ShowPage(HelpPage::kFonts);
  qputenv("LIPIKARA_DIR", saved);

  const QStringList texts = PrintedTexts(window);
  for (const char* name : {sfc::kSyllableFileName, sfc::kGlyphFileName, sfc::kShortIFileName}) {
    const QString path =
        QString::fromStdString((std::filesystem::path(dir.path().toStdString()) / name).string());
    QVERIFY2(std::any_of(texts.begin(), texts.end(),
                         [&](const QString& line) { return line.trimmed() == path; }),
             qPrintable(path));
  }
  const QString all = texts.join('\n');
  for (const char* font : {"URW Palladio IT", "Sanskrit-Times", "ITRTransTimes", "Vedic",
                           "Sanskrit 99", "Dev Natraj ITR"}) {
    QVERIFY2(all.contains(QLatin1String(font)), font);
  }
  QVERIFY(all.contains("Examples button"));
  QVERIFY(all.contains("not part of this program"));
}

void HelpWindowTest::everyControlHasAnAccessibleName() {
  sfc::Session session;
  HelpWindow window(session);
  QVERIFY(!window.accessibleName().isEmpty());
  QVERIFY(!window.surface()->accessibleName().isEmpty());
  for (const QString& name : kPageControls + kPageButtons) {
    QWidget* control = Control(window, name);
    QVERIFY2(control != nullptr, qPrintable(name));
    QVERIFY2(!control->accessibleName().trimmed().isEmpty(), qPrintable(name));
  }
  for (auto* button : window.findChildren<QPushButton*>()) {
    QCOMPARE(button->accessibleName(), button->text().trimmed());
    QCOMPARE(button->font().family(), QStringLiteral("MS Sans Serif"));
  }
  QCOMPARE(Control(window, "Label4")->accessibleName(), QStringLiteral("ALT + 108"));
  QCOMPARE(Control(window, "Label2_0")->accessibleName(), QStringLiteral("śrī-bhagavān"));
}

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
