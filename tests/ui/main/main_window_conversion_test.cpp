// START in both directions: the output box, the clipboard and the
// instruction box against sfconv on the same input; the input boxes the
// conversions ask; runs cut short and faults; long texts.
#include <QClipboard>
#include <QInputDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QtTest>
#include <stdexcept>

#include "window_test_support.h"

using namespace sfc::ui;
using namespace sfc::ui::test;

namespace {

// The window starts with the start-up tables, as sfconv --startup does.
const std::string kGitaLine =
    "dharmak\x90"
    "etre kuruk\x90"
    "etre samavet\x80 yuyutsava\x83";

QString ClosingMessage() { return QString::fromLatin1(sfc::kClosingMessage.data()); }

}  // namespace

class MainWindowConversionTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void toDevanagariFillsTheOutputBoxAndClipboardAsSfconvDoes();
  void toTransliterationFillsTheOutputBoxAndClipboardAsSfconvDoes();
  void fontButtonsChooseTheTablesOfTheRun();
  void optionsReachTheConversion();
  void inputBoxIsLeftAsTheUserLeftIt();
  void runCutShortShowsErrorUntilTheNextRun();
  void runCutShortTellsWhereInTheStatusBar();
  void checkLaterIsAModalDialogWithItsTitleAndDefault();
  void glyphQuestionTakesTheAnswerTypedInTheDialog();
  void glyphQuestionShowsTheGlyphAndWhereItStands();
  void faultInsideARunIsReportedNeverAsSuccess();
  void longTextConvertsWithoutFreezingAndFillsTheBoxOnce();
  void typedCharactersNoByteCanHoldAreNamed();

 private:
  MainWindow* window_ = nullptr;
};

void MainWindowConversionTest::init() {
  window_ = new MainWindow;
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void MainWindowConversionTest::cleanup() {
  delete window_;
  window_ = nullptr;
}

void MainWindowConversionTest::toDevanagariFillsTheOutputBoxAndClipboardAsSfconvDoes() {
  Box(*window_, "Text1")->SetBytes(kGitaLine + "\r\nnamaste");
  QVERIFY(ClickStartAndWait(*window_));
  const std::string expected = Sfconv(
      {QStringLiteral("to-devanagari"), QStringLiteral("--startup")}, kGitaLine + "\r\nnamaste");
  QVERIFY(!expected.empty());
  QVERIFY2(BoxBytes(*window_, "Text2") == expected, Hex(BoxBytes(*window_, "Text2")));
  QVERIFY2(ClipboardBytes() == expected, Hex(ClipboardBytes()));
  QCOMPARE(Find<QPlainTextEdit>(*window_, "Text3")->toPlainText(), ClosingMessage());
  QCOMPARE(Find<QPushButton>(*window_, "Command1")->text(), QStringLiteral("START  CONVERSION"));
}

void MainWindowConversionTest::toTransliterationFillsTheOutputBoxAndClipboardAsSfconvDoes() {
  const std::string devanagari =
      Sfconv({QStringLiteral("to-devanagari"), QStringLiteral("--startup")}, kGitaLine);
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  Box(*window_, "Text2")->SetBytes(devanagari);
  QVERIFY(ClickStartAndWait(*window_));
  const std::string expected =
      Sfconv({QStringLiteral("to-translit"), QStringLiteral("--startup")}, devanagari);
  QVERIFY(!expected.empty());
  QVERIFY2(BoxBytes(*window_, "Text1") == expected, Hex(BoxBytes(*window_, "Text1")));
  QVERIFY2(ClipboardBytes() == expected, Hex(ClipboardBytes()));
  // The input box keeps the glyphs it was given.
  QCOMPARE(BoxBytes(*window_, "Text2"), devanagari);
}

void MainWindowConversionTest::fontButtonsChooseTheTablesOfTheRun() {
  QTest::mouseClick(Find(*window_, "Option6"), Qt::LeftButton);
  QTest::mouseClick(Find(*window_, "Option2"), Qt::LeftButton);
  const std::string input = "namaste dharmaksetre";
  Box(*window_, "Text1")->SetBytes(input);
  QVERIFY(ClickStartAndWait(*window_));
  const QStringList fonts = {QStringLiteral("-t"), QStringLiteral("URW Palladio IT"),
                             QStringLiteral("-d"), QStringLiteral("Sanskrit 99")};
  const std::string expected = Sfconv(QStringList{QStringLiteral("to-devanagari")} + fonts, input);
  QCOMPARE(BoxBytes(*window_, "Text2"), expected);

  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  QVERIFY(ClickStartAndWait(*window_));
  QCOMPARE(BoxBytes(*window_, "Text1"),
           Sfconv(QStringList{QStringLiteral("to-translit")} + fonts, expected));
}

void MainWindowConversionTest::optionsReachTheConversion() {
  const std::string input = "sa_mdhi dharma-ksetre";
  Box(*window_, "Text1")->SetBytes(input);
  QTest::mouseClick(Find(*window_, "Check1"), Qt::LeftButton);
  window_->findChild<QAction*>(QStringLiteral("fgg_2"))->trigger();
  QVERIFY(ClickStartAndWait(*window_));
  QVERIFY(window_->session().shift_m_to_n());
  QCOMPARE(window_->session().state().dash_mode, sfc::kDashSkip);
  const std::string expected =
      Sfconv({QStringLiteral("to-devanagari"), QStringLiteral("--startup"),
              QStringLiteral("--shift-m-to-n"), QStringLiteral("--dash-mode"), QStringLiteral("2")},
             input);
  QVERIFY2(BoxBytes(*window_, "Text2") == expected,
           Hex(BoxBytes(*window_, "Text2")) + " / " + Hex(expected));
  window_->findChild<QAction*>(QStringLiteral("ffg_1"))->trigger();
  QTest::mouseClick(Find(*window_, "Check1"), Qt::LeftButton);
  QVERIFY(ClickStartAndWait(*window_));
  QCOMPARE(BoxBytes(*window_, "Text2"),
           Sfconv({QStringLiteral("to-devanagari"), QStringLiteral("--startup")}, input));
}

void MainWindowConversionTest::inputBoxIsLeftAsTheUserLeftIt() {
  Box(*window_, "Text1")->SetBytes("rama");
  QVERIFY(ClickStartAndWait(*window_));
  const std::string first = BoxBytes(*window_, "Text2");
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("rama"));
  // So every START over the same text gives the same output.
  QVERIFY(ClickStartAndWait(*window_));
  QCOMPARE(BoxBytes(*window_, "Text2"), first);
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("rama"));
}

void MainWindowConversionTest::runCutShortShowsErrorUntilTheNextRun() {
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  // A glyph with no entry in the table cuts the run short.
  Box(*window_, "Text2")->SetBytes(std::string("k\0k", 3));
  QVERIFY(ClickStartAndWait(*window_));
  // A screen reader announces what the button shows.
  QCOMPARE(Find<QPushButton>(*window_, "Command1")->text(), QStringLiteral("ERROR"));
  QCOMPARE(Find<QPushButton>(*window_, "Command1")->accessibleName(), QStringLiteral("ERROR"));
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("ka"));
  QCOMPARE(Find<QPlainTextEdit>(*window_, "Text3")->toPlainText(), ClosingMessage());

  Box(*window_, "Text2")->SetBytes("k");
  QVERIFY(ClickStartAndWait(*window_));
  QCOMPARE(Find<QPushButton>(*window_, "Command1")->text(), QStringLiteral("START  CONVERSION"));
  QCOMPARE(Find<QPushButton>(*window_, "Command1")->accessibleName(),
           QStringLiteral("START CONVERSION"));
}

void MainWindowConversionTest::runCutShortTellsWhereInTheStatusBar() {
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  const std::string input("kaka\nkak\0kaka", 13);
  Box(*window_, "Text2")->SetBytes(input);
  QVERIFY(ClickStartAndWait(*window_));
  QCOMPARE(Find<QPushButton>(*window_, "Command1")->text(), QStringLiteral("ERROR"));
  QCOMPARE(Find<QPlainTextEdit>(*window_, "Text3")->toPlainText(), ClosingMessage());
  // sfconv's words for the same place.
  const QString reason = window_->statusBar()->currentMessage();
  QCOMPARE(reason, QStringLiteral("Stopped at line 2, column 4 (byte 9), at \"\\x00kaka\" after "
                                  "\"kaka\\nkak\"; the rest of the input was not converted"));
  QCOMPARE(reason.mid(1),
           QString::fromStdString(
               sfc::DescribeStop(sfc::RunStop{8, {2, 4}, "kaka\nkak", std::string("\0kaka", 5)}))
               .mid(1));

  Box(*window_, "Text2")->SetBytes("k");
  QVERIFY(ClickStartAndWait(*window_));
  QCOMPARE(window_->statusBar()->currentMessage(), QString());
}

void MainWindowConversionTest::checkLaterIsAModalDialogWithItsTitleAndDefault() {
  Box(*window_, "Text1")->SetBytes("uddbhava");
  QString title, default_text, prompt;
  bool modal = false;
  WhenDialogShows(this, [&](QInputDialog* dialog) {
    title = dialog->windowTitle();
    default_text = dialog->textValue();
    prompt = dialog->labelText();
    modal = dialog->isModal();
    dialog->accept();
  });
  QVERIFY(ClickStartAndWait(*window_));
  QCOMPARE(title, QStringLiteral("CHECK LATER"));
  QCOMPARE(default_text, QStringLiteral("Please check this manual!"));
  // Three lines, as the prompt's carriage returns break it.
  QCOMPARE(prompt, QStringLiteral("Program has found\nthe combination of this letters:\n'ddd' or "
                                  "'ddb' or 'ddg'"));
  QVERIFY(modal);
  QCOMPARE(BoxBytes(*window_, "Text2"),
           Sfconv({QStringLiteral("to-devanagari"), QStringLiteral("--startup")}, "uddbhava"));
}

void MainWindowConversionTest::glyphQuestionTakesTheAnswerTypedInTheDialog() {
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  Box(*window_, "Text2")->SetBytes("k\x8f");  // Vedic 143 asks how it reads
  QString default_text;
  WhenDialogShows(this, [&](QInputDialog* dialog) {
    default_text = dialog->textValue();
    QLineEdit* edit = dialog->findChild<QLineEdit*>();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("X"));
    QTest::keyClick(edit, Qt::Key_Return);
  });
  QVERIFY(ClickStartAndWait(*window_));
  QCOMPARE(TranslitTextToBytes(default_text).bytes, std::string("\x8f"));
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("kaX "));
}

void MainWindowConversionTest::glyphQuestionShowsTheGlyphAndWhereItStands() {
  // Font button, the Devanagari text, and what the box must say under its
  // prompt: the glyph's Unicode reading (where it has one), its byte value
  // and its place.
  struct Case {
    const char* font;
    std::string text;
    QString reading;
    QString details;
  };
  const Case cases[] = {
      {"Option4", "k\nk\xa0\x8f", QString(), QStringLiteral("byte 143 (0x8F), line 2, column 3")},
      {"Option44", "kk\x70", QStringLiteral("ल la"),
       QStringLiteral("byte 112 (0x70), line 1, column 3")},
  };
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  for (const Case& c : cases) {
    QTest::mouseClick(Find(*window_, c.font), Qt::LeftButton);
    Box(*window_, "Text2")->SetBytes(c.text);
    QString title, prompt;
    int width = 0;
    int title_width = 0;
    WhenDialogShows(this, [&](QInputDialog* dialog) {
      title = dialog->windowTitle();
      prompt = dialog->labelText();
      width = dialog->width();
      title_width = QFontMetrics(dialog->font()).horizontalAdvance(title);
      dialog->accept();
    });
    QVERIFY(ClickStartAndWait(*window_));
    QCOMPARE(title, QStringLiteral("Sanskrit Font Converter"));
    // Room for the whole title beside the title bar's buttons.
    QVERIFY2(width >= title_width + 120,
             qPrintable(QStringLiteral("%1 / %2").arg(width).arg(title_width)));
    QVERIFY2(prompt.startsWith(QStringLiteral("Enter new character for this code!<br>")),
             qPrintable(prompt));
    // The glyph itself, drawn in the font of the Devanagari box.
    const QString glyph = GlyphBytesToText(c.text.substr(c.text.size() - 1), false);
    QVERIFY2(prompt.contains(
                 QStringLiteral("font-family:'%1'").arg(Box(*window_, "Text2")->font().family())) &&
                 prompt.contains(glyph.toHtmlEscaped()),
             qPrintable(prompt));
    QVERIFY2(prompt.endsWith(QStringLiteral("<br>") + c.details), qPrintable(prompt));
    if (!c.reading.isEmpty()) QVERIFY2(prompt.contains(c.reading), qPrintable(prompt));
  }
}

void MainWindowConversionTest::faultInsideARunIsReportedNeverAsSuccess() {
  Box(*window_, "Text1")->SetBytes("uddbhava");
  window_->SetInputBoxHandler(
      [](const sfc::InputBoxRequest&) -> std::string { throw std::runtime_error("disk on fire"); });
  QVERIFY(ClickStartAndWait(*window_));
  QCOMPARE(Find<QPushButton>(*window_, "Command1")->text(), QStringLiteral("ERROR"));
  const QString message = Find<QPlainTextEdit>(*window_, "Text3")->toPlainText();
  QVERIFY2(message.contains(QStringLiteral("disk on fire")), qPrintable(message));
  QVERIFY(!message.contains(ClosingMessage()));
  QVERIFY(!window_->converting());
  QVERIFY(Find(*window_, "Command1")->isEnabled());
}

void MainWindowConversionTest::longTextConvertsWithoutFreezingAndFillsTheBoxOnce() {
  std::string text;
  while (text.size() < 10'000'000) text += kGitaLine + "\r\n";
  Box(*window_, "Text1")->SetBytes(text);
  int blocks_changed = 0;
  connect(Box(*window_, "Text2"), &QPlainTextEdit::textChanged, this, [&] { ++blocks_changed; });
  // The event loop keeps running while the text converts.
  int ticks = 0;
  QTimer ticker;
  connect(&ticker, &QTimer::timeout, this, [&] {
    if (window_->converting()) ++ticks;
  });
  ticker.start(0);
  ShowCounter progress(Find(*window_, "ConversionProgress"));
  QElapsedTimer clock;
  clock.start();
  QVERIFY(ClickStartAndWait(*window_, 120000));
  const qint64 elapsed = clock.elapsed();
  ticker.stop();
  QVERIFY2(ticks > 1, "the window froze while converting");
  QVERIFY2(progress.shown > 0, "a run of this length shows its progress");
  qInfo("10 MB to Devanagari, click to shown result: %lld ms", elapsed);
  // Emptied at the start, filled once at the end.
  QCOMPARE(blocks_changed, 2);
  const std::string expected =
      Sfconv({QStringLiteral("to-devanagari"), QStringLiteral("--startup")}, text);
  QVERIFY(BoxBytes(*window_, "Text2") == expected);
  QVERIFY(!Find(*window_, "ConversionProgress")->isVisible());
}

void MainWindowConversionTest::typedCharactersNoByteCanHoldAreNamed() {
  Box(*window_, "Text1")->setPlainText(QStringLiteral("ka\u0915ka"));
  QVERIFY(ClickStartAndWait(*window_));
  const QString message = Find<QPlainTextEdit>(*window_, "Text3")->toPlainText();
  QVERIFY(message.startsWith(ClosingMessage()));
  QVERIFY2(message.contains(QStringLiteral("U+0915")), qPrintable(message));
  QVERIFY2(message.contains(QStringLiteral(" 3")), qPrintable(message));
  QCOMPARE(BoxBytes(*window_, "Text2"),
           Sfconv({QStringLiteral("to-devanagari"), QStringLiteral("--startup")}, "kaka"));
}

QTEST_MAIN(MainWindowConversionTest)
#include "main_window_conversion_test.moc"
