// The main window as it opens and as the direction buttons, START and the
// Resolution menu change it: captions, places, fonts, what is shown.
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QtTest>

#include "window_test_support.h"

using namespace sfc::ui;
using namespace sfc::ui::test;

class MainWindowLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void opensWithTheDesignedCaptionsAndPlaces();
  void opensWithTheDesignedFontsAndColours();
  void printsTheTitleLinesUntilCleared();
  void startsWithTheTransliterationBoxAndTheInstructionText();
  void directionButtonsSwitchBoxesAndBrowserLabels();
  void startShowsBothBoxesAndHidesTheFontLists();
  void resolutionMenuResizesTheBoxes();
  void menuBarHasEveryMenuInOrder();
  void everyControlHasAnAccessibleName();

 private:
  MainWindow* window_ = nullptr;
};

void MainWindowLayoutTest::init() {
  window_ = new MainWindow;
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void MainWindowLayoutTest::cleanup() {
  delete window_;
  window_ = nullptr;
}

void MainWindowLayoutTest::opensWithTheDesignedCaptionsAndPlaces() {
  struct Expected {
    const char* name;
    const char* caption;
    int left, top, width, height;
  };
  const Expected controls[] = {
      {"Option1_0", "  Transliteration to  Devanagari ", 3195, 525, 3120, 345},
      {"Option1_1", "  Devanagari  to  Transliteration", 3195, 855, 3120, 345},
      {"Command1", "START  CONVERSION", 3180, 1290, 2235, 345},
      {"Command3", "LOAD", 5490, 1290, 765, 345},
      {"Frame2", "Frame2", 135, 15, 2925, 810},
      {"Option4", "Vedic                    ( ve.TTF )", 0, -15, 2895, 285},
      {"Option44", "Dev Natraj ITR (denatrli.TTF)", 0, 240, 2925, 285},
      {"Option6", "Sanskrit 99  (Sanskrit99.TTF)", 0, 495, 2925, 285},
      {"Frame1", "Frame1", 135, 870, 2955, 870},
      {"Option33", "Sanskrit-Times ( sstusan.TTF )", 0, 0, 2955, 285},
      {"Option3", "ITRTransTimes ( itrtt___.TTF )", 0, 285, 2940, 285},
      {"Option2", "URW Palladio IT  ( paitr.TTF )", 0, 570, 2940, 285},
      {"Frame3", "Frame3", 3210, 75, 2865, 315},
      {"Option5", "Load code table  from disk", -15, 0, 2820, 285},
      {"Check1", "Shift M  to N", 9870, 1485, 1605, 270},
      {"Label1_0", "lipikara position", 6360, 15, 1920, 240},
      {"Label1_1", " sanskrit  letter(s) ", 6360, 300, 1905, 345},
      {"Label1_2", " devanagari  total ", 6375, 720, 1890, 450},
      {"Label1_3", " devanagari short ", 6360, 1320, 1890, 435},
      {"Label2_0", "2", 8325, 15, 675, 225},
      {"Label2_1", "a", 8325, 285, 675, 360},
      {"Command2_2", "<<", 9045, 45, 420, 315},
      {"Command2_1", ">>", 9510, 45, 420, 315},
      {"Command5", " auto >> ", 9060, 420, 855, 300},
      {"Text1", nullptr, 45, 1845, 14805, 3435},
      {"Text3", nullptr, 30, 5325, 14850, 675},
      {"Text2", nullptr, 45, 6030, 14895, 4665},
      {"Combo1", nullptr, 4965, 3660, 2520, 315},
      {"Combo3", nullptr, 4980, 6945, 2520, 315},
      {"Label2_2", nullptr, 8325, 690, 675, 570},
      {"Label2_3", nullptr, 8295, 1260, 690, 540},
      {"Label3", nullptr, 9975, 375, 1200, 345},
      {"Label4", nullptr, 6360, 765, 8160, 1005},
  };
  for (const Expected& control : controls) {
    QWidget* widget = Find(*window_, control.name);
    const QRect expected(Px(*window_, control.left), Px(*window_, control.top),
                         Px(*window_, control.width), Px(*window_, control.height));
    QVERIFY2(widget->geometry() == expected, control.name);
    if (!control.caption) continue;
    QString caption;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) caption = button->text();
    if (auto* label = qobject_cast<QLabel*>(widget)) caption = label->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) caption = frame->title();
    QCOMPARE(caption, QString::fromLatin1(control.caption));
  }
  QCOMPARE(window_->windowTitle(), QStringLiteral("OM  SRI  SARASVATYAI  NAMAH"));
  // The text boxes lie in the client area below the menu bar.
  QCOMPARE(window_->centralWidget()->mapTo(window_, QPoint(0, 0)).y(),
           window_->menuBar()->height());
  QVERIFY(Find<QRadioButton>(*window_, "Option1_0")->isChecked());
  QVERIFY(Find<QRadioButton>(*window_, "Option4")->isChecked());
  QVERIFY(Find<QRadioButton>(*window_, "Option33")->isChecked());
  QVERIFY(!Find<QRadioButton>(*window_, "Option5")->isChecked());
  QVERIFY(!Find<QCheckBox>(*window_, "Check1")->isChecked());
}

void MainWindowLayoutTest::opensWithTheDesignedFontsAndColours() {
  const QFont text1 = Box(*window_, "Text1")->font();
  QCOMPARE(text1.family(), QStringLiteral("Sanskrit-Times"));
  QCOMPARE(text1.pointSizeF(), 13.5);
  QVERIFY(text1.bold());
  const QFont text2 = Box(*window_, "Text2")->font();
  QCOMPARE(text2.family(), QStringLiteral("Vedic"));
  QCOMPARE(text2.pointSizeF(), 39.75);
  QVERIFY(GlyphLabelFontFits(*window_, "Label2_2", 24.0));
  QVERIFY(GlyphLabelFontFits(*window_, "Label4", 39.0));
  QCOMPARE(Find(*window_, "Label1_1")->font().pointSizeF(), 9.75);
  QCOMPARE(Box(*window_, "Text1")->palette().color(QPalette::Text), QColor(0x00, 0x00, 0xC0));
  QCOMPARE(Box(*window_, "Text1")->palette().color(QPalette::Base), QColor(Qt::white));
  QCOMPARE(Find(*window_, "Option1_0")->palette().color(QPalette::Window),
           QColor(0xFF, 0x80, 0xFF));
  QCOMPARE(Find(*window_, "Option4")->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0x80));
  QCOMPARE(Find(*window_, "Option33")->palette().color(QPalette::Window), QColor(0x80, 0xFF, 0x80));
  QCOMPARE(window_->centralWidget()->palette().color(QPalette::Window), QColor(0xC0, 0xFF, 0xFF));
}

void MainWindowLayoutTest::printsTheTitleLinesUntilCleared() {
  const auto& lines = window_->surface()->printed();
  QCOMPARE(lines.size(), std::size_t{8});
  QCOMPARE(lines[0].text, QStringLiteral("  "));
  QCOMPARE(lines[0].x_twips, 3000 + 5000);
  QCOMPARE(lines[0].y_twips, 200 + 6000);
  QCOMPARE(lines[0].font.pointSizeF(), 8.25);
  QCOMPARE(lines[0].color, QColor(0x00, 0x00, 0xFF));
  QCOMPARE(lines[1].text, QStringLiteral("Devanagari to Transliteration "));
  QCOMPARE(lines[1].x_twips, 3000);
  QCOMPARE(lines[1].font.pointSizeF(), 24.0);
  QCOMPARE(lines[2].text, QString(24, QLatin1Char(' ')) + QStringLiteral("and  "));
  QCOMPARE(lines[3].text, QStringLiteral("Transliteration to Devanagari "));
  QCOMPARE(lines[4].text, QString());
  QVERIFY(lines[5].text.contains(QStringLiteral("Sanskrit Font Converter")));
  QCOMPARE(lines[5].color, QColor(0x00, 0x00, 0x80));
  QCOMPARE(lines[6].text, QString(36, QLatin1Char(' ')) + QStringLiteral("by "));
  QCOMPARE(lines[6].color, QColor(0x00, 0x80, 0x80));
  QCOMPARE(lines[6].font.pointSizeF(), 18.0);
  QVERIFY(lines[7].text.startsWith(QString(27, QLatin1Char(' '))));
  for (std::size_t i = 1; i < lines.size(); ++i) QVERIFY(lines[i].y_twips > lines[i - 1].y_twips);

  // Printed output survives repaints and a conversion; only a clear removes it.
  window_->repaint();
  QVERIFY(ClickStartAndWait(*window_));
  QCOMPARE(window_->surface()->printed().size(), std::size_t{8});
  window_->ClearPrinted();
  QVERIFY(window_->surface()->printed().empty());
}

void MainWindowLayoutTest::startsWithTheTransliterationBoxAndTheInstructionText() {
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("namaste    "));
  QVERIFY(Box(*window_, "Text1")->isVisible());
  QVERIFY(!Box(*window_, "Text2")->isVisible());
  QCOMPARE(BoxBytes(*window_, "Text2"), sfc::StartupGreeting());
  QCOMPARE(sfc::StartupGreeting().size(), std::size_t{12});
  const QString instruction = Find<QPlainTextEdit>(*window_, "Text3")->toPlainText();
  QVERIFY(instruction.startsWith(QStringLiteral(
      " Paste your text into the white field  (sanskrit transliteration should have only small "
      "letters). If some letters won't paste properly, save the text for conversion in Word to "
      "file  ( ")));
  // The path named is the data directory actually used.
  const QString path =
      QString::fromStdString((sfc::DataDirectory() / sfc::kInputFileName).string());
  QVERIFY(instruction.contains(path + QStringLiteral(" ) and then press LOAD button.")));
}

void MainWindowLayoutTest::directionButtonsSwitchBoxesAndBrowserLabels() {
  const char* letter_labels[] = {"Label2_1", "Label2_2", "Label2_3",
                                 "Label1_1", "Label1_2", "Label1_3"};
  const auto check = [&](bool to_translit) {
    QCOMPARE(Box(*window_, "Text1")->isVisible(), !to_translit);
    QCOMPARE(Box(*window_, "Text2")->isVisible(), to_translit);
    QCOMPARE(Find(*window_, "Check1")->isVisible(), !to_translit);
    for (const char* name : letter_labels)
      QCOMPARE(Find(*window_, name)->isVisible(), !to_translit);
    QCOMPARE(Find(*window_, "Label3")->isVisible(), to_translit);
    QCOMPARE(Find(*window_, "Label4")->isVisible(), to_translit);
    QCOMPARE(Find<QLabel>(*window_, "Label1_0")->text(), to_translit
                                                             ? QStringLiteral("karalipi position")
                                                             : QStringLiteral("lipikara position"));
    QCOMPARE(Find<QRadioButton>(*window_, "Option1_1")->isChecked(), to_translit);
    QCOMPARE(Find<QRadioButton>(*window_, "Option1_0")->isChecked(), !to_translit);
    QVERIFY(Find(*window_, "Label2_0")->isVisible());
    QVERIFY(Find(*window_, "Command1")->isVisible());
  };
  check(false);
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  check(true);
  QTest::mouseClick(Find(*window_, "Option1_0"), Qt::LeftButton);
  check(false);
}

void MainWindowLayoutTest::startShowsBothBoxesAndHidesTheFontLists() {
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  Find(*window_, "Combo1")->show();
  Find(*window_, "Combo3")->show();
  QVERIFY(ClickStartAndWait(*window_));
  QVERIFY(Box(*window_, "Text1")->isVisible());
  QVERIFY(Box(*window_, "Text2")->isVisible());
  QVERIFY(!Find(*window_, "Combo1")->isVisible());
  QVERIFY(!Find(*window_, "Combo3")->isVisible());
  // Check box and browser labels stay as the direction left them.
  QVERIFY(!Find(*window_, "Check1")->isVisible());
  QVERIFY(Find(*window_, "Label3")->isVisible());
}

void MainWindowLayoutTest::resolutionMenuResizesTheBoxes() {
  const auto geometry = [&](const char* name) { return Find(*window_, name)->geometry(); };
  const auto trigger = [&](const char* name) {
    window_->findChild<QAction*>(QString::fromLatin1(name))->trigger();
  };
  const QRect designed_check = geometry("Check1");
  trigger("resol_1");
  QCOMPARE(geometry("Text1"),
           QRect(Px(*window_, 45), Px(*window_, 1845), Px(*window_, 11600), Px(*window_, 2500)));
  QCOMPARE(geometry("Text2"),
           QRect(Px(*window_, 45), Px(*window_, 5000), Px(*window_, 11600), Px(*window_, 3000)));
  QCOMPARE(geometry("Text3"),
           QRect(Px(*window_, 30), Px(*window_, 4400), Px(*window_, 11600), Px(*window_, 675)));
  trigger("resol_2");
  QCOMPARE(geometry("Text1"),
           QRect(Px(*window_, 45), Px(*window_, 1845), Px(*window_, 14800), Px(*window_, 3400)));
  QCOMPARE(geometry("Text2"),
           QRect(Px(*window_, 45), Px(*window_, 5940), Px(*window_, 14800), Px(*window_, 4700)));
  QCOMPARE(geometry("Text3"),
           QRect(Px(*window_, 30), Px(*window_, 5325), Px(*window_, 14800), Px(*window_, 675)));
  QCOMPARE(geometry("Check1"), designed_check);
}

void MainWindowLayoutTest::menuBarHasEveryMenuInOrder() {
  QStringList captions;
  for (QAction* action : window_->menuBar()->actions()) captions << action->text();
  QCOMPARE(captions, (QStringList{QStringLiteral("Instruction"), QStringLiteral("Dash"),
                                  QStringLiteral("Contact"), QStringLiteral("Exit"),
                                  QString(16, QLatin1Char(' ')) + QStringLiteral("Resolution"),
                                  QStringLiteral("Unicode"), QStringLiteral("&Document")}));
  QStringList dash;
  for (QAction* action : window_->menuBar()->actions()[1]->menu()->actions())
    dash << action->text();
  QCOMPARE(dash, (QStringList{QStringLiteral("add aspirata (if neccesary)"),
                              QStringLiteral("skip dash (if easier to form devanagari)")}));
  QStringList resolution;
  for (QAction* action : window_->menuBar()->actions()[4]->menu()->actions()) {
    resolution << action->text();
  }
  QCOMPARE(resolution, (QStringList{QStringLiteral("800 x 600"), QStringLiteral("1024 X 768")}));
}

void MainWindowLayoutTest::everyControlHasAnAccessibleName() {
  // Show everything a user can reach: both directions' controls, the font
  // lists and the progress bar.
  for (QWidget* widget : window_->centralWidget()->findChildren<QWidget*>()) {
    if (!widget->objectName().isEmpty() && !widget->objectName().startsWith(QLatin1String("qt_"))) {
      widget->setVisible(true);
    }
  }
  int checked = 0;
  for (QWidget* widget : window_->findChildren<QWidget*>()) {
    if (!widget->isVisible()) continue;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    if (!accessible) continue;
    const QAccessible::Role role = accessible->role();
    // Containers and scroll machinery of the toolkit speak through the
    // controls that hold them.
    if (role == QAccessible::Client || role == QAccessible::ScrollBar ||
        role == QAccessible::Pane || role == QAccessible::Window ||
        role == QAccessible::Separator || role == QAccessible::NoRole ||
        role == QAccessible::Border || role == QAccessible::Grip) {
      continue;
    }
    ++checked;
    QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(),
             qPrintable(QStringLiteral("%1 (%2, role %3) has no accessible name")
                            .arg(widget->objectName(),
                                 QString::fromLatin1(widget->metaObject()->className()))
                            .arg(role)));
  }
  QVERIFY(checked >= 30);
}

QTEST_MAIN(MainWindowLayoutTest)
#include "main_window_layout_test.moc"
