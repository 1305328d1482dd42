// What the main window shows, and the windows its menus open.
#include <algorithm>

#include "farewell_window.h"
#include "help_window.h"
#include "unicode_preview.h"
#include "window_test_support.h"

using namespace sfc::ui;
using namespace sfc::ui::test;

class MainWindowTest : public QObject, WindowTest {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(OpenWindow(false)); }
  void cleanup() { CloseWindow(); }

  void opensWithItsDefaultsAndText() {
    // The text boxes lie in the client area below the menu bar.
    QCOMPARE(window_->centralWidget()->mapTo(window_, QPoint(0, 0)).y(),
             window_->menuBar()->height());
    QVERIFY(GlyphLabelFontFits("Label4", 39.0));
    // The greeting, and the instruction naming the data directory in use.
    QCOMPARE(BoxBytes("Text1"), std::string("namaste    "));
    QCOMPARE(BoxBytes("Text2"), sfc::StartupGreeting());
    QVERIFY(Instruction().startsWith(" Paste your text into the white field"));
    QVERIFY(Instruction().endsWith(
        QString::fromStdString((sfc::DataDirectory() / sfc::kInputFileName).string()) +
        QStringLiteral(" ) and then press LOAD button.")));
    // The title lines stay through repaints and a conversion.
    const auto& lines = window_->surface()->printed();
    QCOMPARE(lines.size(), std::size_t{8});
    QCOMPARE(lines[1].text, QStringLiteral("Devanagari to Transliteration "));
    QCOMPARE(lines[3].text, QStringLiteral("Transliteration to Devanagari "));
    window_->repaint();
    QVERIFY(StartAndWait());
    QCOMPARE(window_->surface()->printed().size(), std::size_t{8});
  }

  void directionButtonsAndStartSwitchBoxesAndBrowserLabels() {
    const auto check = [&](bool to_translit) {
      for (const char* name : {"Text1", "Check1", "Label2_1", "Label2_2", "Label2_3", "Label1_1",
                               "Label1_2", "Label1_3"}) {
        QVERIFY2(Find(name)->isVisible() != to_translit, name);
      }
      for (const char* name : {"Text2", "Label3", "Label4"}) {
        QVERIFY2(Find(name)->isVisible() == to_translit, name);
      }
    };
    check(false);
    Click("Option1_1");
    check(true);
    // START shows both boxes and hides the font lists; the check box and the
    // browser labels stay as the direction left them.
    Find("Combo1")->show();
    Find("Combo3")->show();
    QVERIFY(StartAndWait());
    QVERIFY(Box("Text1")->isVisible() && Box("Text2")->isVisible());
    QVERIFY(!Find("Combo1")->isVisible() && !Find("Combo3")->isVisible());
    QVERIFY(!Find("Check1")->isVisible() && Find("Label3")->isVisible());
    Click("Option1_0");
    check(false);
  }

  void resolutionMenuResizesTheBoxes() {
    const auto geometry = [&](const char* name) { return Find(name)->geometry(); };
    const auto twips = [&](int left, int top, int width, int height) {
      const auto px = [&](int n) { return Twips(n, window_->logicalDpiX()); };
      return QRect(px(left), px(top), px(width), px(height));
    };
    const QRect designed_check = geometry("Check1");
    Trigger("resol_1");
    QCOMPARE(geometry("Text1"), twips(45, 1845, 11600, 2500));
    QCOMPARE(geometry("Text2"), twips(45, 5000, 11600, 3000));
    QCOMPARE(geometry("Text3"), twips(30, 4400, 11600, 675));
    Trigger("resol_2");
    QCOMPARE(geometry("Text1"), twips(45, 1845, 14800, 3400));
    QCOMPARE(geometry("Text2"), twips(45, 5940, 14800, 4700));
    QCOMPARE(geometry("Text3"), twips(30, 5325, 14800, 675));
    QCOMPARE(geometry("Check1"), designed_check);
  }

  void everyControlHasAnAccessibleName() {
    // Both directions' controls, the font lists and the progress bar shown.
    for (QWidget* widget : window_->centralWidget()->findChildren<QWidget*>()) {
      if (!widget->objectName().isEmpty() &&
          !widget->objectName().startsWith(QLatin1String("qt_"))) {
        widget->setVisible(true);
      }
    }
    int checked = 0;
    for (QWidget* widget : window_->findChildren<QWidget*>()) {
      if (!widget->isVisible()) continue;
      QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
      if (!accessible) continue;
      const QAccessible::Role role = accessible->role();
      // The toolkit's containers speak through the controls they hold.
      if (QList<QAccessible::Role>{QAccessible::Client, QAccessible::ScrollBar, QAccessible::Pane,
                                   QAccessible::Window, QAccessible::Separator, QAccessible::NoRole,
                                   QAccessible::Border, QAccessible::Grip}
              .contains(role)) {
        continue;
      }
      ++checked;
      QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(),
               widget->metaObject()->className());
    }
    QVERIFY(checked >= 30);
  }

  void browserStepsOnePerPressAndNamesWhatItShows() {
    QTest::mousePress(Find("Command2_1"), Qt::LeftButton);  // the press steps
    QCOMPARE(Text("Label2_0"), QStringLiteral("3"));
    QTest::mouseRelease(Find("Command2_1"), Qt::LeftButton);  // the release does not
    QCOMPARE(Text("Label2_0"), QStringLiteral("3"));
    QCOMPARE(TranslitTextToBytes(Text("Label2_1")).bytes, std::string("ai"));
    Step("Command2_2");
    Step("Command2_2");
    QCOMPARE(Text("Label2_0"), QStringLiteral("1"));
    QCOMPARE(TranslitTextToBytes(Text("Label2_1")).bytes, std::string("\x80"));  // ā
    QCOMPARE(Glyphs("Label2_2"), Shown("a;", QStringLiteral("आ")));
    Step("Command2_2");
    QCOMPARE(Text("Label2_0"), QStringLiteral("255"));
    QCOMPARE(Text("Label2_1"), QString());
    // Every row once round: the number and the glyphs are named with what
    // they show, "none" where a row has no glyph.
    int empty = 0;
    for (int step = 0; step < 255; ++step) {
      Step("Command2_1");
      QCOMPARE(Name("Label2_0"), QStringLiteral("Browser row number: ") + Text("Label2_0"));
      for (const char* glyphs : {"Label2_2", "Label2_3"}) {
        empty += Text(glyphs).isEmpty();
        QCOMPARE(Text(glyphs).isEmpty(), Name(glyphs).endsWith(QStringLiteral(": none")));
      }
    }
    QVERIFY(empty > 0);
    // Row 22, "dh", as a screen reader reads it.
    for (int step = 0; step < 22; ++step) Step("Command2_1");
    QCOMPARE(Names({"Label2_0", "Label2_1", "Label2_2", "Label2_3"}),
             (QStringList{"Browser row number: 22", "Browser letters: dh",
                          "Browser full glyphs: ध dha", "Browser half glyphs: ध् dh"}));
    // The other direction, chosen as a screen reader's "toggle" does: the
    // caption, and the glyph codes from 33.
    Find<QRadioButton>("Option1_1")->toggle();
    QCOMPARE(window_->session().direction(), sfc::Direction::kToTranslit);
    QCOMPARE(Name("Label1_0"), QStringLiteral("karalipi position"));
    Step("Command2_1");
    QCOMPARE(Text("Label2_0"), QStringLiteral("33"));
    for (int i = 0; i < 15; ++i) Step("Command2_1");
    QCOMPARE(TranslitTextToBytes(Text("Label3")).bytes, std::string("0"));
    QCOMPARE(Glyphs("Label4"),
             Shown("-   .   /    0    1   2   3", QStringLiteral("_   भ   ध    ०    १   २   ३")));
    QCOMPARE(Names({"Label2_0", "Label3", "Label4"}),
             (QStringList{"Browser glyph code: 48", "Browser entry text: 0",
                          "Browser glyph strip: _, भ bha, ध dha, ० 0, १ 1, २ 2, ३ 3"}));
    // Back in the first direction the browser steps on from where it was.
    Click("Option1_0");
    QCOMPARE(Name("Label1_0"), QStringLiteral("lipikara position"));
    Step("Command2_1");
    QCOMPARE(Text("Label2_0"), QStringLiteral("49"));
  }

  void browserAutoStepsWithTheTimerUntilStopped() {
    auto* button = Find<QPushButton>("Command5");
    auto* timer = window_->findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer && !timer->isActive());
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(button->text() + "/" + button->accessibleName(), QStringLiteral("  stop  /stop"));
    QVERIFY(timer->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(Text("Label2_0"), QStringLiteral("3"), 5000);
    // The buttons still step while it runs.
    Step("Command2_1");
    QCOMPARE(Text("Label2_0"), QStringLiteral("4"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(button->text() + "/" + button->accessibleName(), QStringLiteral(" auto >> /auto >>"));
    QVERIFY(!timer->isActive());
  }

  void menusSetTheDashModeAndOpenTheirWindows() {
    QCOMPARE(window_->session().state().dash_mode, sfc::kDashAddAspirata);
    Trigger("fgg_2");
    QCOMPARE(window_->session().state().dash_mode, sfc::kDashSkip);
    // Exit opens the farewell window; the dash mode stays as chosen.
    FarewellWindow* farewell = window_->farewellWindow();
    QVERIFY(farewell && !farewell->isVisible());
    Trigger("defe");
    QVERIFY(farewell->isVisible() && farewell->timer().isActive() && window_->isVisible());
    farewell->hide();
    QCOMPARE(window_->session().state().dash_mode, sfc::kDashSkip);
    Trigger("ffg_1");
    QCOMPARE(window_->session().state().dash_mode, sfc::kDashAddAspirata);
    // Instruction: the help window, made when first needed, maximised with
    // its page buttons; the title lines are cleared.
    QVERIFY(!window_->helpWindow());
    QVERIFY(!window_->surface()->printed().empty());
    Trigger("asde");
    HelpWindow* help = window_->helpWindow();
    QVERIFY(help && help->isVisible() && help->isMaximized());
    QVERIFY(window_->surface()->printed().empty());
    QVERIFY(test::Find(*help, "Command1_0")->isVisible());
    Trigger("asde");
    QCOMPARE(window_->helpWindow(), help);
    // Contact, after Instruction: the same window, small, with no page buttons.
    Trigger("asa");
    QVERIFY(help->isVisible() && !help->isMaximized());
    QVERIFY(!test::Find(*help, "Command1_0")->isVisible());
    QVERIFY(std::any_of(
        help->surface()->printed().begin(), help->surface()->printed().end(),
        [](const auto& line) { return line.text.contains("Sanskrit Font Converter"); }));
  }

  void unicodeIsPastedInTheChosenFonts() {
    // IAST pasted with Ctrl+V becomes the bytes of the transliteration font.
    Click("Option4");  // the built-in Vedic tables, as sfconv uses them
    const QString iast = QStringLiteral("kṛṣṇa arjuna");
    for (const char* font : {"Option3", "Option33"}) {
      Click(font);
      Paste(iast);
      QCOMPARE(BoxBytes("Text1"),
               Sfconv({"convert", "--from", "iast", "--to", Box("Text1")->font().family()},
                      iast.toStdString()));
    }
    // Paste Unicode fills the input box of the direction, in the chosen fonts.
    Click("Option1_1");
    Click("Option6");
    Box("Text2")->clear();
    QApplication::clipboard()->setText(QStringLiteral("धर्मक्षेत्रे कुरुक्षेत्रे"));
    Trigger("PasteUnicode");
    QCOMPARE(BoxBytes("Text2"),
             Sfconv({"convert", "--from", "devanagari", "--to", "Sanskrit 99"}, "धर्मक्षेत्रे कुरुक्षेत्रे"));
    Click("Option1_0");
    Box("Text1")->clear();
    QApplication::clipboard()->setText(QStringLiteral("dharmakṣetre"));
    Trigger("PasteUnicode");
    QCOMPARE(BoxBytes("Text1"), std::string("dharmak\x90") + "etre");
  }

  void previewShowsBothBoxesAsUnicodeAfterEveryConversion() {
    Click("Option4");
    auto* action = window_->findChild<QAction*>(QStringLiteral("ShowUnicodePreview"));
    const bool vedic = Vedic();
    QVERIFY(!window_->unicodePreview());
    Box("Text1")->SetBytes("rama");
    QVERIFY(StartAndWait());
    // Without the Devanagari font the preview opens by itself, once, and the
    // main window keeps the focus.
    UnicodePreview* preview = window_->unicodePreview();
    QCOMPARE(preview != nullptr && preview->isVisible() && action->isChecked(), !vedic);
    if (!vedic) {
      QVERIFY(window_->isActiveWindow());
      preview->close();
      QVERIFY(!action->isChecked());
      QVERIFY(StartAndWait());
      QVERIFY(!preview->isVisible());
    }
    Trigger("ShowUnicodePreview");
    preview = window_->unicodePreview();
    QVERIFY(preview && preview->isVisible());
    QVERIFY(StartAndWait());
    QCOMPARE(preview->devanagariText(), QStringLiteral("रम "));
    QCOMPARE(preview->iastText(), QStringLiteral("rama"));
    Trigger("CopyUnicode");
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("रम "));  // the blank stays
    // Copy gives what the preview shows, blanks in odd places too.
    Box("Text1")->SetBytes(std::string("  dharmak\x90") + "etre  kuruk\x90" +
                           "etre\tsamavet\x80 yuyutsava\x83 \n rama ");
    QVERIFY(StartAndWait());
    Trigger("CopyUnicode");
    QCOMPARE(QApplication::clipboard()->text(), preview->devanagariText());
    Click("Option1_1");
    QVERIFY(StartAndWait());
    Trigger("CopyUnicode");
    QCOMPARE(QApplication::clipboard()->text(), preview->iastText());
    Trigger("ShowUnicodePreview");
    QVERIFY(!preview->isVisible());
  }

  // Last: the program's event loop ends here.
  void closingTheMainWindowEndsTheProgramWithItsOtherWindows() {
    Trigger("asde");
    Trigger("defe");
    QTimer::singleShot(200, window_, &QWidget::close);
    QTimer::singleShot(20000, window_, [] { QCoreApplication::exit(3); });
    QCOMPARE(QApplication::exec(), 0);
  }

 private:
  void Step(const char* name) {
    QTest::mousePress(Find(name), Qt::LeftButton);
    QTest::mouseRelease(Find(name), Qt::LeftButton);
  }
  QString Text(const char* name) { return Find<QLabel>(name)->text(); }
  QString Name(const char* name) { return Find(name)->accessibleName(); }
  QStringList Names(std::initializer_list<const char*> names) {
    QStringList read;
    for (const char* name : names) read << Name(name);
    return read;
  }
  // The glyph labels show the font's bytes, or where the font is missing
  // their Unicode reading.
  bool Vedic() { return IsFontInstalled(QStringLiteral("Vedic")); }
  QString Glyphs(const char* name) {
    return Vedic() ? QString::fromLatin1(GlyphTextToBytes(Text(name)).bytes) : Text(name);
  }
  QString Shown(const char* bytes, const QString& reading) {
    return Vedic() ? QString::fromLatin1(bytes) : reading;
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
