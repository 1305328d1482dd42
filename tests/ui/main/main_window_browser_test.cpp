// The code-table browser: "<<" and ">>" step once per press, " auto >> "
// steps with the timer, and the labels show the rows of the direction's table.
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "window_test_support.h"

using namespace sfc::ui;
using namespace sfc::ui::test;

class MainWindowBrowserTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void stepsSyllableRowsOnePerPressAndWrapsAround();
  void rowsWithoutGlyphsShowTheirKeyOnly();
  void stepsGlyphCodesFromThirtyThreeInTheOtherDirection();
  void autoStepsWithTheTimerUntilStopped();
  void namesFollowTheCaptionsAndEveryStep();

 private:
  void Press(const char* name) { QTest::mousePress(Find(*window_, name), Qt::LeftButton); }
  void Release(const char* name) { QTest::mouseRelease(Find(*window_, name), Qt::LeftButton); }
  void Step(const char* name) {
    Press(name);
    Release(name);
  }
  QString Text(const char* name) { return Find<QLabel>(*window_, name)->text(); }
  QString Name(const char* name) { return Find(*window_, name)->accessibleName(); }
  std::string Bytes(const char* name) { return TranslitTextToBytes(Text(name)).bytes; }
  // The glyph labels show the font's bytes, or where the font is missing
  // their Unicode reading.
  bool Installed() { return IsFontInstalled(QStringLiteral("Vedic")); }
  QString Glyphs(const char* name) {
    return Installed() ? QString::fromLatin1(GlyphTextToBytes(Text(name)).bytes) : Text(name);
  }
  QString Shown(const char* bytes, const QString& reading) {
    return Installed() ? QString::fromLatin1(bytes) : reading;
  }

  MainWindow* window_ = nullptr;
};

void MainWindowBrowserTest::init() {
  window_ = new MainWindow;
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void MainWindowBrowserTest::cleanup() {
  delete window_;
  window_ = nullptr;
}

void MainWindowBrowserTest::stepsSyllableRowsOnePerPressAndWrapsAround() {
  Press("Command2_1");  // the press steps; the release does nothing more
  QCOMPARE(Text("Label2_0"), QStringLiteral("3"));
  Release("Command2_1");
  QCOMPARE(Text("Label2_0"), QStringLiteral("3"));
  QCOMPARE(Bytes("Label2_1"), std::string("ai"));
  Step("Command2_2");
  Step("Command2_2");
  QCOMPARE(Text("Label2_0"), QStringLiteral("1"));
  QCOMPARE(Bytes("Label2_1"), std::string("\x80"));  // the Sanskrit-Times ā
  QCOMPARE(Glyphs("Label2_2"), Shown("a;", QStringLiteral("आ")));
  Step("Command2_2");
  QCOMPARE(Text("Label2_0"), QStringLiteral("255"));
  QCOMPARE(Text("Label2_1"), QString());
  Step("Command2_1");
  QCOMPARE(Text("Label2_0"), QStringLiteral("1"));
}

void MainWindowBrowserTest::rowsWithoutGlyphsShowTheirKeyOnly() {
  for (int i = 0; i < 5; ++i) Step("Command2_1");  // row 7: no Vedic glyph
  QCOMPARE(Text("Label2_0"), QStringLiteral("7"));
  QVERIFY(!Text("Label2_1").isEmpty());
  QCOMPARE(Text("Label2_2"), QString());
  QCOMPARE(Text("Label2_3"), QString());
}

void MainWindowBrowserTest::stepsGlyphCodesFromThirtyThreeInTheOtherDirection() {
  Step("Command2_1");
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  Step("Command2_1");
  QCOMPARE(Text("Label2_0"), QStringLiteral("33"));
  for (int i = 0; i < 15; ++i) Step("Command2_1");
  QCOMPARE(Text("Label2_0"), QStringLiteral("48"));
  QCOMPARE(Bytes("Label3"), std::string("0"));
  QCOMPARE(Glyphs("Label4"),
           Shown("-   .   /    0    1   2   3", QStringLiteral("_   भ   ध    ०    १   २   ३")));
  // Back in the first direction the syllable rows go on from where they were.
  QTest::mouseClick(Find(*window_, "Option1_0"), Qt::LeftButton);
  Step("Command2_1");
  QCOMPARE(Text("Label2_0"), QStringLiteral("49"));
}

void MainWindowBrowserTest::autoStepsWithTheTimerUntilStopped() {
  auto* button = Find<QPushButton>(*window_, "Command5");
  auto* timer = window_->findChild<QTimer*>(QStringLiteral("Timer1"));
  QVERIFY(timer);
  QCOMPARE(timer->interval(), 800);
  QVERIFY(!timer->isActive());
  QTest::mouseClick(button, Qt::LeftButton);
  QCOMPARE(button->text(), QStringLiteral("  stop  "));
  QVERIFY(timer->isActive());
  QTRY_COMPARE_WITH_TIMEOUT(Text("Label2_0"), QStringLiteral("3"), 2000);
  // The buttons still step while it runs.
  Step("Command2_1");
  QCOMPARE(Text("Label2_0"), QStringLiteral("4"));
  QTest::mouseClick(button, Qt::LeftButton);
  QCOMPARE(button->text(), QStringLiteral(" auto >> "));
  QVERIFY(!timer->isActive());
}

void MainWindowBrowserTest::namesFollowTheCaptionsAndEveryStep() {
  QCOMPARE(Name("Label2_0"), QStringLiteral("Browser row number: 2"));
  // Every step of the syllable rows: the number and the letters are named
  // with their values, the glyphs by their Unicode reading, never by the
  // Latin letters of the font's bytes.
  for (int step = 0; step < 255; ++step) {
    Step("Command2_1");
    QCOMPARE(Name("Label2_0"), QStringLiteral("Browser row number: ") + Text("Label2_0"));
    for (const char* glyphs : {"Label2_2", "Label2_3"}) {
      const QString name = Name(glyphs);
      QVERIFY2(Text(glyphs).isEmpty() == name.endsWith(QStringLiteral(": none")), qPrintable(name));
    }
  }
  // Row 22, "dh", as a screen reader reads it.
  for (int step = 0; step < 20; ++step) Step("Command2_1");
  const std::pair<const char*, QString> row_dh[] = {
      {"Label2_0", QStringLiteral("Browser row number: 22")},
      {"Label2_1", QStringLiteral("Browser letters: dh")},
      {"Label2_2", QStringLiteral("Browser full glyphs: ध dha")},
      {"Label2_3", QStringLiteral("Browser half glyphs: ध् dh")},
  };
  for (const auto& [label, name] : row_dh) QCOMPARE(Name(label), name);

  // The other direction, chosen as a screen reader's "toggle" does (no
  // click): the caption and the glyph codes.
  Find<QRadioButton>(*window_, "Option1_1")->toggle();
  QCOMPARE(window_->session().direction(), sfc::Direction::kToTranslit);
  QCOMPARE(Name("Label1_0"), QStringLiteral("karalipi position"));
  for (int i = 0; i < 16; ++i) Step("Command2_1");
  const std::pair<const char*, QString> code_48[] = {
      {"Label2_0", QStringLiteral("Browser glyph code: 48")},
      {"Label3", QStringLiteral("Browser entry text: 0")},
      {"Label4", QStringLiteral("Browser glyph strip: _, भ bha, ध dha, ० 0, १ 1, २ 2, ३ 3")},
  };
  for (const auto& [label, name] : code_48) QCOMPARE(Name(label), name);
  QTest::mouseClick(Find(*window_, "Option1_0"), Qt::LeftButton);
  QCOMPARE(Name("Label1_0"), QStringLiteral("lipikara position"));

  // " auto >> " is announced as what it shows.
  auto* button = Find<QPushButton>(*window_, "Command5");
  QTest::mouseClick(button, Qt::LeftButton);
  QCOMPARE(button->accessibleName(), QStringLiteral("stop"));
  QTest::mouseClick(button, Qt::LeftButton);
  QCOMPARE(button->accessibleName(), QStringLiteral("auto >>"));
}

QTEST_MAIN(MainWindowBrowserTest)
#include "main_window_browser_test.moc"
