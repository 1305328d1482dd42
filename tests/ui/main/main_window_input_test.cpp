// Getting text into the window: LOAD from the data directory, and pastes by
// every path, with the repair of the two Sanskrit-Times letters.
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "window_test_support.h"

using namespace sfc::ui;
using namespace sfc::ui::test;

class MainWindowInputTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void loadReadsFieldsIntoTheInputBoxOfTheDirection();
  void loadOfAnEmptyFileGivesAnEmptyBox();
  void loadKeepsAQuotedFieldWhole();
  void loadThatFailsNamesPathAndCauseAndLeavesTheBoxes();
  void pasteRestoresSanskritTimesLettersByEveryPath();
  void pasteIsLeftAloneInOtherFontsAndTheOtherDirection();
  void pastedCharactersNoByteCanHoldAreNamedWithPositions();
  void pasteIntoTheDevanagariBoxReadsSymbolFontText();
  void loadOfAUnicodeFileOffersToConvertItFromUnicode();
  void noRuleBytesAreSummedUpInTheStatusBar();

 private:
  void WriteInput(const QByteArray& bytes);
  void Paste(const QString& text, void (*how)(ByteTextBox*), const char* box = "Text1");
  QString Instruction() { return Find<QPlainTextEdit>(*window_, "Text3")->toPlainText(); }

  std::unique_ptr<QTemporaryDir> data_dir_;
  MainWindow* window_ = nullptr;
};

void MainWindowInputTest::init() {
  data_dir_ = std::make_unique<QTemporaryDir>();
  qputenv("LIPIKARA_DIR", data_dir_->path().toLocal8Bit());
  window_ = new MainWindow;
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_));
}

void MainWindowInputTest::cleanup() {
  delete window_;
  window_ = nullptr;
  data_dir_.reset();
}

void MainWindowInputTest::WriteInput(const QByteArray& bytes) {
  QFile file(data_dir_->filePath(QStringLiteral("sanskrit.txt")));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

void MainWindowInputTest::Paste(const QString& text, void (*how)(ByteTextBox*), const char* box) {
  ByteTextBox* target = Box(*window_, box);
  target->clear();
  target->setFocus();
  QApplication::clipboard()->setText(text);
  how(target);
}

void MainWindowInputTest::loadReadsFieldsIntoTheInputBoxOfTheDirection() {
  WriteInput("rama,sita\r\nkrishna\r\n");
  QTest::mouseClick(Find(*window_, "Command3"), Qt::LeftButton);
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("rama,sita,krishna,"));
  const std::string greeting = BoxBytes(*window_, "Text2");

  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  WriteInput("k\x8f,\xd7\r\n");
  QTest::mouseClick(Find(*window_, "Command3"), Qt::LeftButton);
  QCOMPARE(BoxBytes(*window_, "Text2"), std::string("k\x8f,\xd7,"));
  QVERIFY(greeting != BoxBytes(*window_, "Text2"));
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("rama,sita,krishna,"));
}

void MainWindowInputTest::loadOfAnEmptyFileGivesAnEmptyBox() {
  WriteInput("");
  QTest::mouseClick(Find(*window_, "Command3"), Qt::LeftButton);
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string());
}

void MainWindowInputTest::loadKeepsAQuotedFieldWhole() {
  WriteInput("\"a, b\"\na, b\n");
  QTest::mouseClick(Find(*window_, "Command3"), Qt::LeftButton);
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("a, b,a,b,"));
}

void MainWindowInputTest::loadThatFailsNamesPathAndCauseAndLeavesTheBoxes() {
  const QString path = data_dir_->filePath(QStringLiteral("sanskrit.txt"));
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  const std::string text1 = BoxBytes(*window_, "Text1");
  const std::string text2 = BoxBytes(*window_, "Text2");
  QTest::mouseClick(Find(*window_, "Command3"), Qt::LeftButton);
  QCOMPARE(Instruction(), QStringLiteral("There is no such file as ") + path);
  QCOMPARE(BoxBytes(*window_, "Text1"), text1);
  QCOMPARE(BoxBytes(*window_, "Text2"), text2);

  QVERIFY(QDir().mkdir(path));
  QTest::mouseClick(Find(*window_, "Command3"), Qt::LeftButton);
  QCOMPARE(Instruction(), path + QStringLiteral(" is a directory, not a file"));
  QCOMPARE(BoxBytes(*window_, "Text1"), text1);
  QCOMPARE(BoxBytes(*window_, "Text2"), text2);
}

void MainWindowInputTest::pasteRestoresSanskritTimesLettersByEveryPath() {
  const std::string repaired =
      "k\x8d"
      "a\x8f"
      "a";
  using Path = void (*)(ByteTextBox*);
  const Path paths[] = {
      [](ByteTextBox* box) { QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier); },
      [](ByteTextBox* box) { QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier); },
      [](ByteTextBox* box) { box->paste(); },  // the context menu's Paste
  };
  for (Path path : paths) {
    Paste(QStringLiteral("kTaZa"), path);
    QVERIFY2(BoxBytes(*window_, "Text1") == repaired, Hex(BoxBytes(*window_, "Text1")));
  }
  // Typing the same letters is not a paste.
  Box(*window_, "Text1")->clear();
  QTest::keyClicks(Box(*window_, "Text1"), QStringLiteral("kTaZa"));
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("kTaZa"));
  // A short paste is repaired too, and the rest of the box with it.
  QTest::keyClick(Box(*window_, "Text1"), Qt::Key_End);
  QApplication::clipboard()->setText(QStringLiteral("T"));
  QTest::keyClick(Box(*window_, "Text1"), Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(BoxBytes(*window_, "Text1"), repaired + "\x8d");
}

void MainWindowInputTest::pasteIsLeftAloneInOtherFontsAndTheOtherDirection() {
  const auto ctrl_v = [](ByteTextBox* box) {
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
  };
  QTest::mouseClick(Find(*window_, "Option2"), Qt::LeftButton);
  Paste(QStringLiteral("kTaZa"), ctrl_v);
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("kTaZa"));

  QTest::mouseClick(Find(*window_, "Option33"), Qt::LeftButton);
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  QVERIFY(ClickStartAndWait(*window_));  // shows the transliteration box again
  Paste(QStringLiteral("kTaZa"), ctrl_v);
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("kTaZa"));
}

void MainWindowInputTest::pastedCharactersNoByteCanHoldAreNamedWithPositions() {
  Paste(QStringLiteral("ka\u0915k\u2192a"),
        [](ByteTextBox* box) { QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier); });
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("kaka"));
  const QString said = Instruction();
  QVERIFY2(said.contains(QStringLiteral("U+0915")) && said.contains(QStringLiteral("at 3")),
           qPrintable(said));
  QVERIFY2(said.contains(QStringLiteral("U+2192")) && said.contains(QStringLiteral("at 5")),
           qPrintable(said));
}

void MainWindowInputTest::pasteIntoTheDevanagariBoxReadsSymbolFontText() {
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  // Word processors carry symbol-font text as U+F020 to U+F0FF.
  Paste(
      QString(QChar(0xF06B)) + QChar(0xF08F) + QStringLiteral("a"),
      [](ByteTextBox* box) { QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier); }, "Text2");
  QCOMPARE(BoxBytes(*window_, "Text2"), std::string("k\x8f"
                                                    "a"));
}

void MainWindowInputTest::loadOfAUnicodeFileOffersToConvertItFromUnicode() {
  WriteInput("dharmakṣetre\n");
  QString asked;
  window_->SetQuestionHandler([&asked](const QString& question) {
    asked = question;
    return true;
  });
  QTest::mouseClick(Find(*window_, "Command3"), Qt::LeftButton);
  QVERIFY(asked.contains(QStringLiteral("UTF-8")));
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("dharmak\x90"
                                                    "etre,"));
  // Declined, the file's bytes are loaded as they are.
  window_->SetQuestionHandler([](const QString&) { return false; });
  QTest::mouseClick(Find(*window_, "Command3"), Qt::LeftButton);
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("dharmak\xe1\xb9\xa3"
                                                    "etre,"));
}

void MainWindowInputTest::noRuleBytesAreSummedUpInTheStatusBar() {
  Box(*window_, "Text1")->SetBytes("ka\tkaQ");
  QVERIFY(ClickStartAndWait(*window_));
  const QString status = window_->statusBar()->currentMessage();
  QVERIFY2(status.contains(QStringLiteral("2 bytes had no rule")) &&
               status.contains(QStringLiteral("TAB (first at 1:3)")),
           qPrintable(status));
  Box(*window_, "Text1")->SetBytes("kaka");
  QVERIFY(ClickStartAndWait(*window_));
  QVERIFY(window_->statusBar()->currentMessage().isEmpty());
}

QTEST_MAIN(MainWindowInputTest)
#include "main_window_input_test.moc"
