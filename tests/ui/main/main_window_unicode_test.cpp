// The menu Unicode and pasted IAST: Unicode in and out of the legacy fonts
// without changing what the other controls do.
#include <QAction>
#include <QClipboard>
#include <QtTest>

#include "unicode_preview.h"
#include "window_test_support.h"

using namespace sfc::ui;
using namespace sfc::ui::test;

class MainWindowUnicodeTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void pastedIastBecomesTheFontsBytes();
  void copyResultAsUnicodeGivesDevanagariOrIast();
  void pasteUnicodeFillsTheInputBoxInTheChosenFonts();
  void previewShowsBothBoxesAsUnicodeAfterEveryConversion();
  void copyResultAsUnicodeCopiesWhatThePreviewShows();
  void previewOpensByItselfOnceWhenTheDevanagariFontIsMissing();

 private:
  void Trigger(const char* name) {
    window_->findChild<QAction*>(QString::fromLatin1(name))->trigger();
  }
  MainWindow* window_ = nullptr;
};

void MainWindowUnicodeTest::init() {
  window_ = new MainWindow;
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_));
  // The built-in Vedic tables, as sfconv uses them.
  QTest::mouseClick(Find(*window_, "Option4"), Qt::LeftButton);
}

void MainWindowUnicodeTest::cleanup() {
  delete window_;
  window_ = nullptr;
}

void MainWindowUnicodeTest::pastedIastBecomesTheFontsBytes() {
  const QString iast = QStringLiteral("kṛṣṇa arjuna");
  for (const char* font : {"Option33", "Option3"}) {
    QTest::mouseClick(Find(*window_, font), Qt::LeftButton);
    ByteTextBox* box = Box(*window_, "Text1");
    box->clear();
    box->setFocus();
    QApplication::clipboard()->setText(iast);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    const QString name = box->font().family();
    QCOMPARE(BoxBytes(*window_, "Text1"),
             Sfconv({QStringLiteral("convert"), QStringLiteral("--from"), QStringLiteral("iast"),
                     QStringLiteral("--to"), name},
                    iast.toStdString()));
  }
}

void MainWindowUnicodeTest::copyResultAsUnicodeGivesDevanagariOrIast() {
  Box(*window_, "Text1")->SetBytes("namaste");
  QVERIFY(ClickStartAndWait(*window_));
  Trigger("CopyUnicode");
  // The output box's blank at the end (every conversion writes one) stays.
  QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("नमस्ते "));
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  QVERIFY(ClickStartAndWait(*window_));
  Trigger("CopyUnicode");
  QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("namaste  "));
}

void MainWindowUnicodeTest::pasteUnicodeFillsTheInputBoxInTheChosenFonts() {
  QTest::mouseClick(Find(*window_, "Option6"), Qt::LeftButton);
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  Box(*window_, "Text2")->clear();
  QApplication::clipboard()->setText(QStringLiteral("धर्मक्षेत्रे कुरुक्षेत्रे"));
  Trigger("PasteUnicode");
  QCOMPARE(
      BoxBytes(*window_, "Text2"),
      Sfconv({QStringLiteral("convert"), QStringLiteral("--from"), QStringLiteral("devanagari"),
              QStringLiteral("--to"), QStringLiteral("Sanskrit 99")},
             "धर्मक्षेत्रे कुरुक्षेत्रे"));
  QTest::mouseClick(Find(*window_, "Option1_0"), Qt::LeftButton);
  Box(*window_, "Text1")->clear();
  QApplication::clipboard()->setText(QStringLiteral("dharmakṣetre"));
  Trigger("PasteUnicode");
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("dharmak\x90"
                                                    "etre"));
}

void MainWindowUnicodeTest::previewShowsBothBoxesAsUnicodeAfterEveryConversion() {
  Trigger("ShowUnicodePreview");
  UnicodePreview* preview = window_->unicodePreview();
  QVERIFY(preview && preview->isVisible());
  Box(*window_, "Text1")->SetBytes("rama");
  QVERIFY(ClickStartAndWait(*window_));
  QCOMPARE(preview->devanagariText(), QStringLiteral("रम "));
  QCOMPARE(preview->iastText(), QStringLiteral("rama"));
  Trigger("ShowUnicodePreview");
  QVERIFY(!preview->isVisible());
}

void MainWindowUnicodeTest::copyResultAsUnicodeCopiesWhatThePreviewShows() {
  Trigger("ShowUnicodePreview");
  UnicodePreview* preview = window_->unicodePreview();
  // Blanks in odd places and a verse line, both directions.
  const std::string text =
      "  dharmak\x90"
      "etre  kuruk\x90"
      "etre\tsamavet\x80 yuyutsava\x83 \n rama ";
  Box(*window_, "Text1")->SetBytes(text);
  QVERIFY(ClickStartAndWait(*window_));
  Trigger("CopyUnicode");
  QCOMPARE(QApplication::clipboard()->text(), preview->devanagariText());
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  QVERIFY(ClickStartAndWait(*window_));
  Trigger("CopyUnicode");
  QCOMPARE(QApplication::clipboard()->text(), preview->iastText());
}

void MainWindowUnicodeTest::previewOpensByItselfOnceWhenTheDevanagariFontIsMissing() {
  if (sfc::ui::IsFontInstalled(QStringLiteral("Vedic"))) QSKIP("Vedic is installed here");
  auto* action = window_->findChild<QAction*>(QStringLiteral("ShowUnicodePreview"));
  QVERIFY(!window_->unicodePreview());
  Box(*window_, "Text1")->SetBytes("rama");
  QVERIFY(ClickStartAndWait(*window_));
  UnicodePreview* preview = window_->unicodePreview();
  QVERIFY(preview && preview->isVisible() && action->isChecked());
  QCOMPARE(preview->devanagariText(), QStringLiteral("रम "));
  // The main window keeps the focus.
  QVERIFY(window_->isActiveWindow());
  // Closed by the user, it stays closed for the rest of the run.
  preview->close();
  QVERIFY(!action->isChecked());
  QVERIFY(ClickStartAndWait(*window_));
  QVERIFY(!preview->isVisible());
}

QTEST_MAIN(MainWindowUnicodeTest)
#include "main_window_unicode_test.moc"
