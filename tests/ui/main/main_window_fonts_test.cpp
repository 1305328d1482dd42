// The font buttons, "Load code table  from disk" with its two font lists,
// and what the window says about fonts that are not installed.
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRawFont>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "window_test_support.h"

using namespace sfc::ui;
using namespace sfc::ui::test;

namespace {

void WriteFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
  QFile file(dir.filePath(QString::fromLatin1(name)));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// The tables a Session holds after the same buttons, as a reference.
bool SameTables(const sfc::ConverterState& a, const sfc::ConverterState& b) {
  return a.sanideva.key == b.sanideva.key && a.sanideva.full == b.sanideva.full &&
         a.sanideva.half == b.sanideva.half && a.short_i == b.short_i && a.devitran == b.devitran;
}

}  // namespace

class MainWindowFontsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void devanagariButtonsSetTheBoxLabelsAndTables();
  void translitButtonChangesOnlyTheTransliterationSide();
  void loadFromDiskShowsFontListsAndPromptAndClearsTheButtons();
  void translitButtonAfterALoadPutsTheVedicTablesBack();
  void loadOfDamagedTablesNamesTheFilesInTheStatusBar();
  void fontListsTakeKnownFamiliesAndFallBackForUnknownOnes();
  void missingFontsAreNamedBesideTheInstruction();
  void devanagariBoxShowsEachByteWithTheSymbolFontsGlyph();

 private:
  void Click(const char* name) { QTest::mouseClick(Find(*window_, name), Qt::LeftButton); }
  bool Checked(const char* name) { return Find<QRadioButton>(*window_, name)->isChecked(); }
  QString Instruction() { return Find<QPlainTextEdit>(*window_, "Text3")->toPlainText(); }
  void LeaveFontList(const char* name, const QString& text);

  std::unique_ptr<QTemporaryDir> data_dir_;
  MainWindow* window_ = nullptr;
};

void MainWindowFontsTest::initTestCase() {
  QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(SFC_TEST_SYMBOL_FONT)) >= 0);
}

void MainWindowFontsTest::init() {
  data_dir_ = std::make_unique<QTemporaryDir>();
  qputenv("LIPIKARA_DIR", data_dir_->path().toLocal8Bit());
  window_ = new MainWindow;
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_));
}

void MainWindowFontsTest::cleanup() {
  delete window_;
  window_ = nullptr;
  data_dir_.reset();
}

void MainWindowFontsTest::LeaveFontList(const char* name, const QString& text) {
  auto* list = Find<QComboBox>(*window_, name);
  list->setFocus();
  QTRY_VERIFY(list->hasFocus());
  list->setEditText(text);
  Find(*window_, "Command3")->setFocus();
  QTRY_VERIFY(!list->hasFocus());
}

void MainWindowFontsTest::devanagariButtonsSetTheBoxLabelsAndTables() {
  Click("Option6");
  QVERIFY(Checked("Option6"));
  QVERIFY(!Checked("Option4"));
  QCOMPARE(Box(*window_, "Text2")->font().family(), QStringLiteral("Sanskrit 99"));
  QCOMPARE(Box(*window_, "Text2")->font().pointSizeF(), 24.0);
  QVERIFY(GlyphLabelFontFits(*window_, "Label2_2", 16.0));
  // The browser's glyphs are for reading: without the font, in a system font.
  QVERIFY(GlyphLabelFontFits(*window_, "Label2_3", 16.0));
  QVERIFY(GlyphLabelFontFits(*window_, "Label4", 30.0));
  sfc::Session reference;
  reference.PressDevanagariFontButton(sfc::DevanagariFont::kSanskrit99);
  QVERIFY(SameTables(window_->session().state(), reference.state()));

  Click("Option4");
  QCOMPARE(Box(*window_, "Text2")->font().family(), QStringLiteral("Vedic"));
  QCOMPARE(Box(*window_, "Text2")->font().pointSizeF(), 39.0);
  QVERIFY(GlyphLabelFontFits(*window_, "Label2_2", 24.0));
  QVERIFY(GlyphLabelFontFits(*window_, "Label4", 39.0));
  reference.PressDevanagariFontButton(sfc::DevanagariFont::kVedic);
  QVERIFY(SameTables(window_->session().state(), reference.state()));
}

void MainWindowFontsTest::translitButtonChangesOnlyTheTransliterationSide() {
  const sfc::DevitranTable before = window_->session().state().devitran;
  Click("Option3");
  QVERIFY(Checked("Option3"));
  QVERIFY(!Checked("Option33"));
  QVERIFY(Checked("Option4"));
  for (const char* name : {"Text1", "Label2_1", "Label3"}) {
    QCOMPARE(Find(*window_, name)->font().family(), QStringLiteral("ITRTransTimes"));
  }
  QCOMPARE(Box(*window_, "Text2")->font().family(), QStringLiteral("Vedic"));
  QCOMPARE(Box(*window_, "Text2")->font().pointSizeF(), 39.75);  // untouched
  QVERIFY(window_->session().state().devitran != before);        // refilled for the pair
}

void MainWindowFontsTest::loadFromDiskShowsFontListsAndPromptAndClearsTheButtons() {
  WriteFile(*data_dir_, "sanideva.cod", "a,x,y\n");
  WriteFile(*data_dir_, "devitran.cod", "ka1,half_r5\n");
  // lipikara.mmy is missing.
  Click("Option6");
  Box(*window_, "Text1")->SetBytes("my text");
  QVERIFY(LoadTablesAndWait(*window_));
  QVERIFY(Checked("Option5"));
  for (const char* name : {"Option4", "Option44", "Option6", "Option33", "Option3"}) {
    QVERIFY2(!Checked(name), name);
  }
  auto* combo1 = Find<QComboBox>(*window_, "Combo1");
  auto* combo3 = Find<QComboBox>(*window_, "Combo3");
  QVERIFY(combo1->isVisible() && combo3->isVisible());
  QCOMPARE(combo1->currentText(), QStringLiteral("Sanskrit-Times"));
  QCOMPARE(combo3->currentText(), QStringLiteral("Vedic"));
  QCOMPARE(combo1->count(), QFontDatabase::families().size());
  QVERIFY(combo3->findText(QStringLiteral("SFC Symbol Test")) >= 0);
  // The prompt goes to the instruction box, with the missing file named;
  // the user's text stays.
  QVERIFY(Instruction().startsWith(QString::fromLatin1(kSelectFontsPrompt)));
  QVERIFY2(Instruction().contains(data_dir_->filePath(QStringLiteral("lipikara.mmy"))),
           qPrintable(Instruction()));
  QCOMPARE(BoxBytes(*window_, "Text1"), std::string("my text"));
  const sfc::ConverterState& state = window_->session().state();
  QCOMPARE(state.sanideva.full[1], std::string("x"));
  QCOMPARE(state.devitran[1], std::string("ka1"));
  QCOMPARE(state.positions.half_r_pos, 2);
}

void MainWindowFontsTest::translitButtonAfterALoadPutsTheVedicTablesBack() {
  WriteFile(*data_dir_, "sanideva.cod", "a,x,y\n");
  WriteFile(*data_dir_, "lipikara.mmy", "n,n,n\n");
  WriteFile(*data_dir_, "devitran.cod", "ka1\n");
  QVERIFY(LoadTablesAndWait(*window_));
  Click("Option33");  // selects Vedic, whose handling selects no other button again
  QVERIFY(Checked("Option33"));
  QVERIFY(Checked("Option4"));
  QVERIFY(!Checked("Option5"));
  sfc::Session reference;
  reference.PressDevanagariFontButton(sfc::DevanagariFont::kVedic);
  QVERIFY(SameTables(window_->session().state(), reference.state()));
  QCOMPARE(Box(*window_, "Text2")->font().pointSizeF(), 39.0);
}

void MainWindowFontsTest::loadOfDamagedTablesNamesTheFilesInTheStatusBar() {
  sfc::Session vedic;
  vedic.PressDevanagariFontButton(sfc::DevanagariFont::kVedic);
  const std::filesystem::path dir = data_dir_->path().toStdString();
  QVERIFY(sfc::ExportCodeTables(vedic.state(), dir).empty());
  QVERIFY(LoadTablesAndWait(*window_));
  QCOMPARE(window_->statusBar()->currentMessage(), QString());

  // Five commas of the syllable file become NUL bytes.
  QFile file(data_dir_->filePath(QStringLiteral("sanideva.cod")));
  QVERIFY(file.open(QIODevice::ReadOnly));
  QByteArray bytes = file.readAll();
  file.close();
  for (qsizetype at = 400, n = 0; n < 5; ++n) {
    at = bytes.indexOf(',', at + 97);
    QVERIFY(at >= 0);
    bytes[at] = '\0';
  }
  WriteFile(*data_dir_, "sanideva.cod", bytes);
  QVERIFY(LoadTablesAndWait(*window_));
  const std::vector<std::string> lines = sfc::SummarizeCheck(sfc::CheckCodeTables(dir), dir);
  QCOMPARE(lines.size(), std::size_t{1});
  const QString status = window_->statusBar()->currentMessage();
  QCOMPARE(status, QString::fromStdString(lines[0]));
  QVERIFY2(status.startsWith(QStringLiteral("sanideva.cod: ")) &&
               status.endsWith(QStringLiteral(" problems; `sfconv tables --check ") +
                               data_dir_->path() + QStringLiteral("` lists them")),
           qPrintable(status));
}

void MainWindowFontsTest::fontListsTakeKnownFamiliesAndFallBackForUnknownOnes() {
  QVERIFY(LoadTablesAndWait(*window_));
  const sfc::ConverterState before = window_->session().state();
  const QString known = QFontDatabase::families().value(0);
  QVERIFY(!known.isEmpty());
  LeaveFontList("Combo1", known);
  QCOMPARE(Box(*window_, "Text1")->font().family(), known);
  QCOMPARE(QString::fromStdString(window_->session().state().translit_box_font), known);
  // Only the box's font: no table is refilled and no button selected.
  QVERIFY(SameTables(window_->session().state(), before));
  QVERIFY(Checked("Option5"));

  LeaveFontList("Combo3", QStringLiteral("No Such Font 4711"));
  QCOMPARE(Find<QComboBox>(*window_, "Combo3")->currentText(), QStringLiteral("Vedic"));
  QCOMPARE(Box(*window_, "Text2")->font().family(), QStringLiteral("Vedic"));
  QCOMPARE(window_->session().state().devanagari_box_font, std::string("Vedic"));
  QVERIFY(SameTables(window_->session().state(), before));
}

void MainWindowFontsTest::missingFontsAreNamedBesideTheInstruction() {
  // The instruction box holds the instruction alone.
  const QString input_file =
      QString::fromStdString((sfc::DataDirectory() / sfc::kInputFileName).string());
  QCOMPARE(Instruction(),
           QStringLiteral(" Paste your text into the white field  (sanskrit transliteration should "
                          "have only small letters). If some letters won't paste properly, save "
                          "the text for conversion in Word to file  ( ") +
               input_file + QStringLiteral(" ) and then press LOAD button."));
  // Each box whose font is missing names it in its tooltip.
  const auto tip = [&](const char* box) { return Box(*window_, box)->toolTip(); };
  QVERIFY2(tip("Text1").contains(QStringLiteral("\"Sanskrit-Times\" is not installed")),
           qPrintable(tip("Text1")));
  QVERIFY2(tip("Text2").contains(QStringLiteral("\"Vedic\" is not installed")),
           qPrintable(tip("Text2")));
  Click("Option44");
  QVERIFY2(tip("Text2").contains(QStringLiteral("\"Dev Natraj ITR\" is not installed")),
           qPrintable(tip("Text2")));
  Click("Option4");
  QVERIFY(!Instruction().contains(QStringLiteral("not installed")));
  // The status bar keeps naming the chosen fonts that are missing.
  const QString status = Find<QLabel>(*window_, "FontsNote")->text();
  QVERIFY2(status.contains(QStringLiteral("Vedic")) &&
               status.contains(QStringLiteral("Sanskrit-Times")) &&
               !status.contains(QStringLiteral("Dev Natraj ITR")),
           qPrintable(status));
  QCOMPARE(Find(*window_, "FontsNote")->accessibleName(),
           QStringLiteral("Missing fonts: Sanskrit-Times, Vedic"));
}

void MainWindowFontsTest::devanagariBoxShowsEachByteWithTheSymbolFontsGlyph() {
  Click("Option1_1");
  QVERIFY(LoadTablesAndWait(*window_));
  LeaveFontList("Combo3", QStringLiteral("SFC Symbol Test"));
  ByteTextBox* box = Box(*window_, "Text2");
  QCOMPARE(box->font().family(), QStringLiteral("SFC Symbol Test"));
  std::string bytes;
  for (int b = 0x20; b <= 0xFF; ++b) bytes += static_cast<char>(b);
  box->SetBytes(bytes);
  const QString shown = box->toPlainText();
  QCOMPARE(shown.size(), qsizetype{0xE0});
  const QList<quint32> glyphs = QRawFont::fromFont(box->font()).glyphIndexesForString(shown);
  QCOMPARE(glyphs.size(), qsizetype{0xE0});
  for (int b = 0x20; b <= 0xFF; ++b) {
    // The test font draws byte b with its glyph number b - 31.
    QCOMPARE(glyphs[b - 0x20], quint32(b - 31));
  }
  QCOMPARE(box->Bytes().bytes, bytes);
  // The font is installed, so nothing is said about it.
  QCOMPARE(box->toolTip(), QString());
}

QTEST_MAIN(MainWindowFontsTest)
#include "main_window_fonts_test.moc"
