// The help window: its pages, the focus rule and the contact panel.
#include "help_window.h"

#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "byte_text.h"
#include "code_table_files.h"
#include "field_writer.h"
#include "print_surface.h"
#include "session.h"

using namespace sfc::ui;

namespace {

const QColor kLightRed(0xFF, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0x80);

const QStringList kPageControls = {"Label1_0", "Label1_1", "Label2_0", "Label2_1", "Label3_0",
                                   "Label3_1", "Label3_2", "Label4",   "Label5",   "Text1_0",
                                   "Text1_1",  "Text1_2",  "Text1_3",  "Text1_4",  "Text1_5",
                                   "Text2",    "Text3",    "Text4",    "Text5"};
const QStringList kPageButtons = {"Command1_0", "Command1_1", "Command1_2", "Command1_3"};
// What each page button shows, in the order of kPageButtons.
const QStringList kExampleControls = kPageControls.mid(2, 1) + kPageControls.mid(4);
const QStringList kConversionControls = kPageControls.mid(0, 4);
const QStringList kShownBy[] = {kExampleControls, {}, {}, kConversionControls};

QWidget* Control(HelpWindow& window, const QString& name) {
  return window.findChild<QWidget*>(name);
}

QSet<QString> ShownControls(HelpWindow& window) {
  QSet<QString> shown;
  for (const QString& name : kPageControls) {
    if (Control(window, name)->isVisibleTo(&window)) shown.insert(name);
  }
  return shown;
}

auto ButtonsShown(HelpWindow& window) {
  return std::count_if(kPageButtons.begin(), kPageButtons.end(),
                       [&](const QString& name) { return Control(window, name)->isVisible(); });
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

QString BoxText(HelpWindow& window, const QString& name) {
  return sfc::ui::BoxText(*window.findChild<QPlainTextEdit*>(name)->document());
}

std::string BoxBytes(HelpWindow& window, const QString& name) {
  return TranslitTextToBytes(BoxText(window, name)).bytes;
}

std::string Field(const std::string& value) { return sfc::WriteField(value, true).text; }

int Px(const QWidget& widget, int twips) { return Twips(twips, widget.logicalDpiX()); }

// The Examples page's sanideva.cod sample: rows 2 to "gh" of the tables in
// force that have glyphs; the glyphs in the font's bytes where it is
// installed, else in their Unicode reading.
void CheckSyllableSample(HelpWindow& window, const sfc::Session& session) {
  const sfc::ConverterState& state = session.state();
  const bool installed = IsFontInstalled(QString::fromStdString(state.devanagari_box_font));
  const auto glyphs = [&](const std::string& cell) {
    return installed ? cell : session.ReadGlyphs(cell).devanagari;
  };
  const std::vector<int> rows = ExampleSyllableRows(state);
  QVERIFY(rows.size() >= 20 && rows.front() == 2 && std::is_sorted(rows.begin(), rows.end()));
  QCOMPARE(state.sanideva.key[static_cast<std::size_t>(rows.back())], std::string("gh"));
  std::string keys, whole, full, half;
  for (const int row : rows) {
    const auto r = static_cast<std::size_t>(row);
    QVERIFY(state.sanideva.full[r] != " ");
    keys += Field(state.sanideva.key[r]) + "\n";
    whole += Field(state.sanideva.key[r]) + "," + Field(state.sanideva.full[r]) + "," +
             Field(state.sanideva.half[r]) + "\n";
    full += glyphs(state.sanideva.full[r]) + "\n";
    half += glyphs(state.sanideva.half[r]) + "\n";
  }
  const auto glyph_box = [&](const char* name) {
    const QString text = BoxText(window, name) + "\n";
    return installed ? GlyphTextToBytes(text).bytes : text.toStdString();
  };
  QCOMPARE(BoxBytes(window, "Text1_0") + "\n", keys);
  QCOMPARE(BoxBytes(window, "Text1_1") + "\n", whole);
  QCOMPARE(glyph_box("Text1_2"), full);
  QCOMPARE(glyph_box("Text1_3"), half);
}

}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void pageButtonsShowTheirPageAndOnlyItsControls() {
    sfc::Session session;
    HelpWindow window(session);
    QVERIFY(!window.testAttribute(Qt::WA_QuitOnClose) && !window.page().has_value());
    QVERIFY(ShownControls(window).isEmpty());
    window.OpenForInstruction();
    QVERIFY(window.isMaximized());
    QCOMPARE(ButtonsShown(window), 4);
    // Every page after every other, and each again: printed the same.
    for (int pair = 0; pair < 16; ++pair) {
      for (const int button : {pair / 4, pair % 4, pair % 4}) {
        const QStringList before = PrintedTexts(window);
        const bool again = window.page() == static_cast<HelpPage>(button);
        Click(window, kPageButtons[button]);
        QCOMPARE(window.page(), static_cast<HelpPage>(button));
        QCOMPARE(ShownControls(window), QSet(kShownBy[button].begin(), kShownBy[button].end()));
        if (again) QCOMPARE(PrintedTexts(window), before);
        QCOMPARE(ButtonsShown(window), 4);
      }
    }
    // No two boxes of the Examples page overlap.
    Click(window, kPageButtons[0]);
    const auto boxes = window.findChildren<QPlainTextEdit*>();
    for (qsizetype i = 0; i < boxes.size(); ++i) {
      for (qsizetype j = i + 1; j < boxes.size(); ++j) {
        QVERIFY(!boxes[i]->geometry().intersects(boxes[j]->geometry()));
      }
    }
    window.SetPageButtonsVisible(false);
    QCOMPARE(ButtonsShown(window), 0);
  }

  void printedPagesHaveTheirTitlesColoursAndText() {
    sfc::Session session;
    HelpWindow window(session);
    QStringList fonts = {
        "Fonts: ", "URW Palladio IT", "Sanskrit-Times", "ITRTransTimes",
        "Vedic",   "Sanskrit 99",     "Dev Natraj ITR", "not part of this program"};
    // The code table files of the data directory in use.
    for (const char* name : {sfc::kSyllableFileName, sfc::kGlyphFileName, sfc::kShortIFileName}) {
      fonts << QString::fromStdString((sfc::DataDirectory() / name).string());
    }
    const std::pair<HelpPage, QStringList> pages[] = {
        {HelpPage::kPurpose, {"Purpose: ", "then you can take advantage of my program."}},
        {HelpPage::kFonts, fonts},
        {HelpPage::kConversion,
         {"Converting text (general rules): ", "sanskrit to devanagari", "devanagari to sanskrit",
          "Shift M  to N", "Dash menu", "buttons on the right side", "Qt 6 on Linux"}}};
    const PrintSurface& surface = *window.surface();
    for (const auto& [page, texts] : pages) {
      window.ShowPage(page);
      const auto& printed = window.surface()->printed();
      QCOMPARE(PrintedTexts(window).mid(0, 3), QStringList({"", texts[0], ""}));
      QCOMPARE(printed[1].color, kLightRed);
      QCOMPARE(printed[3 + (page == HelpPage::kConversion ? 1 : 0)].color, kBlue);  // the body
      const QString all = PrintedTexts(window).join('\n');
      for (const QString& text : texts) QVERIFY2(all.contains(text), qPrintable(text));
      // Lines printed side by side (the Purpose page's aside) do not overlap.
      for (const PrintSurface::PrintedLine& left : printed) {
        QCOMPARE(left.font.pointSize(), 13);
        QCOMPARE(left.font.family(), QStringLiteral("Times New Roman"));
        for (const PrintSurface::PrintedLine& right : printed) {
          if (left.x_twips >= right.x_twips || std::abs(left.y_twips - right.y_twips) >= 60)
            continue;
          QVERIFY2(Px(window, left.x_twips) +
                           QFontMetrics(left.font, window.surface()).horizontalAdvance(left.text) <
                       Px(window, right.x_twips),
                   qPrintable(left.text + " runs into " + right.text));
        }
      }
    }
    // The Conversion page's letters stand over gaps of spaces left for them.
    for (const QString& name : kConversionControls) {
      const QRect label = Control(window, name)->geometry();
      bool found = false;
      for (const PrintSurface::PrintedLine& line : surface.printed()) {
        const QFontMetrics metrics(line.font, &surface);
        const int top = Twips(line.y_twips, surface.logicalDpiY());
        if (label.center().y() < top || label.center().y() >= top + metrics.height()) continue;
        const auto end_of = [&](qsizetype n) {
          return Twips(line.x_twips, surface.logicalDpiX()) +
                 metrics.horizontalAdvance(line.text.left(n));
        };
        qsizetype first = 0;
        while (first < line.text.size() && end_of(first + 1) <= label.x()) ++first;
        qsizetype last = first;
        while (last < line.text.size() && end_of(last) < label.right()) ++last;
        QVERIFY2(last < line.text.size(), qPrintable(name + " runs past the end of " + line.text));
        QVERIFY2(line.text.mid(first, last - first).trimmed().isEmpty(),
                 qPrintable(name + " covers text of " + line.text));
        found = true;
      }
      QVERIFY2(found, qPrintable(name + " stands on no printed line"));
    }
  }

  void focusShowsPurposeOnlyOnAWindowWithoutAPageOrContact() {
    sfc::Session session;
    HelpWindow reference(session);
    reference.ShowPage(HelpPage::kPurpose);
    HelpWindow window(session);
    window.OpenForInstruction();
    for (int i = 0; i < 2; ++i) {  // once, not again on the next focus
      Activate(window);
      QCOMPARE(window.page(), HelpPage::kPurpose);
      QCOMPARE(PrintedTexts(window), PrintedTexts(reference));
    }
    Click(window, "Command1_2");
    const QStringList fonts = PrintedTexts(window);
    Activate(window);
    QCOMPARE(window.page(), HelpPage::kFonts);
    QCOMPARE(PrintedTexts(window), fonts);
    Click(window, "Command1_0");
    Activate(window);
    QCOMPARE(window.page(), HelpPage::kExamples);
    QVERIFY(window.surface()->printed().empty());
    // Contact, twice: a small window printed once from the top, with nothing
    // of the pages, that a focus leaves as it is.
    QStringList once;
    for (int i = 0; i < 2; ++i) {
      window.OpenForContact("Sanskrit Font Converter", "1.2.3", "docs/README.md");
      Activate(window);
      QVERIFY(!window.isMaximized() && !window.page().has_value());
      QCOMPARE(window.size(), QSize(Px(window, 9200), Px(window, 7000)));
      QVERIFY(ShownControls(window).isEmpty() && ButtonsShown(window) == 0);
      QCOMPARE(window.surface()->printed().front().y_twips, 200);
      if (i == 1) QCOMPARE(PrintedTexts(window), once);
      once = PrintedTexts(window);
    }
    QVERIFY(QSet(once.begin(), once.end())
                .contains({"Address: ", "Sanskrit Font Converter", "Version 1.2.3",
                           "Documentation: docs/README.md"}));
  }

  void exampleRowsAreThoseOfTheTablesInForce() {
    QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(SFC_TEST_SYMBOL_FONT)) >= 0);
    sfc::Session startup;
    HelpWindow startup_window(startup);
    startup_window.ShowPage(HelpPage::kExamples);
    CheckSyllableSample(startup_window, startup);
    QVERIFY(BoxBytes(startup_window, "Text1_0").starts_with("a\nai\n"));
    // Sanskrit 99 chosen before the window is built, after it, and with an
    // installed font named for its box.
    for (int change = 0; change < 3; ++change) {
      const bool late = change == 1;
      const bool installed = change == 2;
      sfc::Session session;
      if (!late) session.PressDevanagariFontButton(sfc::DevanagariFont::kSanskrit99);
      if (installed) session.ChooseDevanagariFontName("SFC Symbol Test");
      HelpWindow window(session);
      window.ShowPage(HelpPage::kExamples);
      if (late) {
        session.PressDevanagariFontButton(sfc::DevanagariFont::kSanskrit99);
        session.PressTranslitFontButton(sfc::TranslitFont::kUrwPalladioIt);
        window.ShowPage(HelpPage::kExamples);
        QCOMPARE(window.findChild<QPlainTextEdit*>("Text1_1")->font().family(),
                 QStringLiteral("URW Palladio IT"));
      }
      QVERIFY(BoxBytes(window, "Text1_1") != BoxBytes(startup_window, "Text1_1"));
      QVERIFY(BoxBytes(window, "Text1_4") != BoxBytes(startup_window, "Text1_4"));
      CheckSyllableSample(window, session);
      // The font actually drawing the glyph column, and the note on a missing one.
      const QString drawn =
          QFontInfo(window.findChild<QPlainTextEdit*>("Text1_2")->font()).family();
      const auto* note = window.findChild<QLabel*>("GlyphNote");
      QCOMPARE(note->isVisibleTo(&window), !installed);
      if (installed) {
        QCOMPARE(drawn, QStringLiteral("SFC Symbol Test"));
        continue;
      }
      QVERIFY(drawn.startsWith("Noto ") && drawn.endsWith("Devanagari"));
      QVERIFY(BoxText(window, "Text1_2").contains(QChar(0x0917)));  // ग
      QVERIFY(note->text().contains("Sanskrit 99 is not installed") &&
              note->text().contains(drawn));
    }
  }

  void controlsAreNamedByWhatTheyShow() {
    sfc::Session session;
    HelpWindow window(session);
    QVERIFY(!window.accessibleName().isEmpty() && !window.surface()->accessibleName().isEmpty());
    for (const QString& name : kPageControls) {
      QVERIFY2(!Control(window, name)->accessibleName().trimmed().isEmpty(), qPrintable(name));
    }
    for (auto* button : window.findChildren<QPushButton*>()) {
      QCOMPARE(button->accessibleName(), button->text().trimmed());
    }
    QCOMPARE(Control(window, "Label4")->accessibleName(), QStringLiteral("ALT + 108"));
    // The special letters show the bytes of URW Palladio IT where it is
    // installed, else their IAST in a system font; they are named by their IAST.
    const bool installed = IsFontInstalled(QStringLiteral("URW Palladio IT"));
    const std::tuple<const char*, const char*, QString> labels[] = {
        {"Label1_0", "\xe4 \xe5 \xe9 \x85 \xeb \xec \xef \xf2", QStringLiteral("ā ṛ ī … ṇ ṅ ñ ḍ")},
        {"Label1_1", "\xeb or \xec or \xef", QStringLiteral("ṇ or ṅ or ñ")},
        {"Label2_0", "\xe7r\xe9-bhagav\xe4n", QStringLiteral("śrī-bhagavān")},
        {"Label2_1", "\xe0", QStringLiteral("ṃ")},
    };
    for (const auto& [name, bytes, iast] : labels) {
      const auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
      QVERIFY2(label->accessibleName().endsWith(iast), name);
      QCOMPARE(label->textFormat(), Qt::PlainText);
      if (installed) {
        QCOMPARE(TranslitTextToBytes(label->text()).bytes, std::string(bytes));
      } else {
        QCOMPARE(label->text(), iast);
        QCOMPARE(QFontInfo(label->font()).family(), UnicodeIastFamily());
      }
    }
  }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
