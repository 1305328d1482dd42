// Text in and out of the main window, against sfconv on the same input.
#include <stdexcept>

#include "window_test_support.h"

using namespace sfc::ui;
using namespace sfc::ui::test;

namespace {

const QStringList kStartup = {"to-devanagari", "--startup"};
const QString kStartShown = QStringLiteral("START  CONVERSION / START CONVERSION");
const std::string kGitaLine =
    std::string("dharmak\x90") + "etre kuruk\x90" + "etre samavet\x80 yuyutsava\x83";

QString ClosingMessage() { return QString::fromLatin1(sfc::kClosingMessage.data()); }

// The first verses of the Gita in a transliteration font.
std::string Gita(const char* file) {
  QFile in(QStringLiteral(SFC_TEST_DATA_DIR "/") + QString::fromLatin1(file));
  return in.open(QIODevice::ReadOnly) ? in.read(1200).toStdString() : std::string();
}

}  // namespace

class MainWindowConversionTest : public QObject, WindowTest {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(SFC_TEST_SYMBOL_FONT)) >= 0);
    QVERIFY(OpenWindow(true));
  }
  void cleanup() { CloseWindow(); }

  void startFillsTheOutputBoxAndClipboardAsSfconvDoes_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("to Devanagari") << QStringList() << kStartup;
    QTest::newRow("to transliteration") << QStringList{"Option1_1"} << kStartup;
    QTest::newRow("other fonts") << QStringList{"Option6", "Option2", "Option1_1"}
                                 << QStringList{"to-devanagari", "-t", "URW Palladio IT", "-d",
                                                "Sanskrit 99"};
    QTest::newRow("shift M and skip dash")
        << QStringList{"Check1", "fgg_2"}
        << kStartup + QStringList{"--shift-m-to-n", "--dash-mode", "2"};
  }

  void startFillsTheOutputBoxAndClipboardAsSfconvDoes() {
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, arguments);
    const std::string text = kGitaLine + "\r\nnamaste sa_mdhi dharma-ksetre";
    const std::string devanagari = Sfconv(arguments, text);
    QVERIFY(!devanagari.empty());
    Box("Text1")->SetBytes(text);
    Box("Text2")->SetBytes(devanagari);
    bool to_translit = false;
    for (const QString& name : clicks) {
      if (auto* action = window_->findChild<QAction*>(name)) {
        action->trigger();
      } else {
        Click(name.toLatin1().constData());
        to_translit = to_translit || name == "Option1_1";
      }
    }
    const char* input = to_translit ? "Text2" : "Text1";
    const char* output = to_translit ? "Text1" : "Text2";
    arguments[0] = to_translit ? "to-translit" : "to-devanagari";
    const std::string expected = Sfconv(arguments, to_translit ? devanagari : text);
    // Every START gives the same output and leaves the input as it was.
    for (int run = 0; run < 2; ++run) {
      QVERIFY(StartAndWait());
      QCOMPARE(BoxBytes(output), expected);
      QCOMPARE(ClipboardBytes(), expected);
      QCOMPARE(BoxBytes(input), to_translit ? devanagari : text);
      QCOMPARE(Instruction(), ClosingMessage());
      QCOMPARE(Caption(), kStartShown);
    }
  }

  void runCutShortOrFaultyShowsErrorUntilTheNextRunAndCheckLaterAsks() {
    Click("Option1_1");
    // A glyph with no entry in the table cuts the run short; the button says
    // so, to a screen reader too, and the status bar in sfconv's words.
    const std::string cut_short("kaka\nkak\0kaka", 13);
    Box("Text2")->SetBytes(cut_short);
    QVERIFY(StartAndWait());
    QCOMPARE(Caption(), QStringLiteral("ERROR / ERROR"));
    QCOMPARE(BoxBytes("Text1"), Sfconv({"to-translit", "--startup"}, cut_short));
    QCOMPARE(Status(),
             QStringLiteral("Stopped at line 2, column 4 (byte 9), at \"\\x00kaka\" after "
                            "\"kaka\\nkak\"; the rest of the input was not converted"));
    Box("Text2")->SetBytes("k");
    QVERIFY(StartAndWait());
    QCOMPARE(Caption(), kStartShown);
    QCOMPARE(Status(), QString());
    // "uddbhava" asks to be checked later, in a modal dialog.
    Click("Option1_0");
    Box("Text1")->SetBytes("uddbhava");
    QStringList shown;
    WhenDialogShows(this, [&](QInputDialog* dialog) {
      shown << dialog->windowTitle() << dialog->textValue() << dialog->labelText();
      if (dialog->isModal()) shown << "modal";
      dialog->accept();
    });
    QVERIFY(StartAndWait());
    QCOMPARE(shown, (QStringList{"CHECK LATER", "Please check this manual!",
                                 "Program has found\nthe combination of this letters:\n'ddd' or "
                                 "'ddb' or 'ddg'",
                                 "modal"}));
    QCOMPARE(BoxBytes("Text2"), Sfconv(kStartup, "uddbhava"));
    // A fault inside a run is reported, never as success.
    window_->SetInputBoxHandler([](const sfc::InputBoxRequest&) -> std::string {
      throw std::runtime_error("disk on fire");
    });
    QVERIFY(StartAndWait());
    QCOMPARE(Caption(), QStringLiteral("ERROR / ERROR"));
    QVERIFY(HasAll(Instruction(), {"disk on fire"}) && !Instruction().contains(ClosingMessage()));
    QVERIFY(!window_->converting() && Find("Command1")->isEnabled());
  }

  void glyphQuestionShowsTheGlyphAndTakesTheAnswerTyped() {
    // Font button, text, and the end of the prompt: the glyph's Unicode
    // reading (where it has one), its byte and its place; then the answer.
    const std::tuple<const char*, std::string, QString, QStringList> cases[] = {
        {"Option4",
         "k\nk\xa0\x8f",
         "</span><br>byte 143 (0x8F), line 2, column 3",
         {"--answer", "143=X"}},
        {"Option44",
         "kk\x70",
         "&nbsp;ल la<br>byte 112 (0x70), line 1, column 3",
         {"-d", "Dev Natraj ITR", "--answer", "112=X"}}};
    Click("Option1_1");
    for (const auto& [font, text, details, arguments] : cases) {
      Click(font);
      Box("Text2")->SetBytes(text);
      QString title, prompt, default_text;
      int room = 0;
      WhenDialogShows(this, [&](QInputDialog* dialog) {
        title = dialog->windowTitle();
        prompt = dialog->labelText();
        default_text = dialog->textValue();
        room = dialog->width() - QFontMetrics(dialog->font()).horizontalAdvance(title);
        QLineEdit* edit = dialog->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("X"));
        QTest::keyClick(edit, Qt::Key_Return);
      });
      QVERIFY(StartAndWait());
      QCOMPARE(title, QStringLiteral("Sanskrit Font Converter"));
      QVERIFY2(room >= 120, "no room for the title beside the title bar's buttons");
      // The glyph itself, drawn in the font of the Devanagari box.
      const std::string glyph = text.substr(text.size() - 1);
      QVERIFY2(prompt.startsWith("Enter new character for this code!<br>") &&
                   prompt.contains(
                       QStringLiteral("font-family:'%1'").arg(Box("Text2")->font().family())) &&
                   prompt.contains(GlyphBytesToText(glyph, false).toHtmlEscaped()) &&
                   prompt.endsWith(details),
               qPrintable(prompt));
      QCOMPARE(TranslitTextToBytes(default_text).bytes, glyph);
      QCOMPARE(BoxBytes("Text1"), Sfconv(QStringList{"to-translit"} + arguments, text));
    }
  }

  void charactersNoByteCanHoldAndBytesWithNoRuleAreNamed() {
    // Typed ones are named after the closing message, pasted ones with their
    // places.
    Box("Text1")->setPlainText(QStringLiteral("ka\u0915ka"));
    QVERIFY(StartAndWait());
    QVERIFY(Instruction().startsWith(ClosingMessage()));
    QVERIFY(HasAll(Instruction(), {"U+0915", " 3"}));
    QCOMPARE(BoxBytes("Text2"), Sfconv(kStartup, "kaka"));
    Paste(QStringLiteral("ka\u0915k\u2192a"));
    QCOMPARE(BoxBytes("Text1"), std::string("kaka"));
    QVERIFY(HasAll(Instruction(), {"U+0915", "at 3", "U+2192", "at 5"}));
    // Bytes no rule took are summed up in the status bar.
    Box("Text1")->SetBytes("ka\tkaQ");
    QVERIFY(StartAndWait());
    QVERIFY(HasAll(Status(), {"2 bytes had no rule", "TAB (first at 1:3)"}));
  }

  void loadReadsFieldsIntoTheInputBoxOrSaysWhyNot() {
    WriteFile("sanskrit.txt", "rama,sita\r\n\"a, b\"\r\nkrishna\r\n");
    Load();
    QCOMPARE(BoxBytes("Text1"), std::string("rama,sita,a, b,krishna,"));
    Click("Option1_1");
    WriteFile("sanskrit.txt", "k\x8f,\xd7\r\n");
    Load();
    QCOMPARE(BoxBytes("Text2"), std::string("k\x8f,\xd7,"));
    // A load that fails says why (in the words the file reader's tests
    // check) and leaves the boxes.
    const QString path = data_dir_->filePath(QStringLiteral("sanskrit.txt"));
    QVERIFY(QFile::remove(path));
    Load();
    QCOMPARE(Instruction(), QStringLiteral("There is no such file as ") + path);
    QCOMPARE(BoxBytes("Text1") + BoxBytes("Text2"),
             std::string("rama,sita,a, b,krishna,k\x8f,\xd7,"));
    WriteFile("sanskrit.txt", "");
    Load();
    QCOMPARE(BoxBytes("Text2"), std::string());
    // A Unicode file is offered to be read as Unicode; declined, its bytes
    // are loaded as they are.
    Click("Option1_0");
    WriteFile("sanskrit.txt", "dharmakṣetre\n");
    QVERIFY(Load(true).contains(QStringLiteral("UTF-8")));
    QCOMPARE(BoxBytes("Text1"), std::string("dharmak\x90") + "etre,");
    Load(false);
    QCOMPARE(BoxBytes("Text1"), std::string("dharmak\xe1\xb9\xa3") + "etre,");
  }

  void loadOffersTheFontTheTextReadsBetterIn() {
    const sfc::ConverterState& state = window_->session().state();
    // Text in the chosen font, or too short, asks nothing.
    WriteFile("sanskrit.txt", QByteArray::fromStdString(Gita("gita.sanskrit-times.txt")));
    QCOMPARE(Load(), QString());
    WriteFile("sanskrit.txt", "rAma\n");
    QCOMPARE(Load(), QString());
    // Transliteration in another font: declined, then taken.
    WriteFile("sanskrit.txt", QByteArray::fromStdString(Gita("gita.itrtranstimes.txt")));
    const QString declined = Load(false);
    QVERIFY(HasAll(declined, {"ITRTransTimes", "Sanskrit-Times"}));
    QCOMPARE(state.translit_box_font, std::string("Sanskrit-Times"));
    QVERIFY(!BoxBytes("Text1").empty());
    Load(true);
    QCOMPARE(state.translit_box_font, std::string("ITRTransTimes"));
    QVERIFY(state.translit_button == sfc::TranslitFont::kItrTransTimes);
    QCOMPARE(Load(), QString());  // in the font now chosen, the same file asks nothing
    // Devanagari in another font.
    sfc::Session writer;
    writer.PressDevanagariFontButton(sfc::DevanagariFont::kSanskrit99);
    WriteFile("sanskrit.txt",
              QByteArray::fromStdString(writer.Convert(Gita("gita.sanskrit-times.txt")).output));
    Click("Option1_1");
    QCOMPARE(state.devanagari_font_name, std::string("Vedic"));
    const QString asked = Load(true);
    QVERIFY(HasAll(asked, {"Sanskrit 99"}));
    QCOMPARE(state.devanagari_font_name, std::string("Sanskrit 99"));
    QVERIFY(state.devanagari_button == sfc::DevanagariFont::kSanskrit99);
  }

  void pasteRestoresSanskritTimesLettersByEveryPath() {
    const std::string repaired = std::string("k\x8d") + "a\x8f" + "a";
    using Path = void (*)(QWidget*);
    for (const Path path : {Path{CtrlV}, Path{[](QWidget* box) {
                              QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
                            }},
                            Path{[](QWidget* box) {
                              static_cast<ByteTextBox*>(box)->paste();
                            }}}) {  // the context menu
      Paste(QStringLiteral("kTaZa"), "Text1", path);
      QCOMPARE(BoxBytes("Text1"), repaired);
    }
    // A short paste is repaired too, and the rest of the box with it.
    QTest::keyClick(Box("Text1"), Qt::Key_End);
    QApplication::clipboard()->setText(QStringLiteral("T"));
    CtrlV(Box("Text1"));
    QCOMPARE(BoxBytes("Text1"), repaired + "\x8d");
    // Typing the same letters is not a paste.
    Box("Text1")->clear();
    QTest::keyClicks(Box("Text1"), QStringLiteral("kTaZa"));
    QCOMPARE(BoxBytes("Text1"), std::string("kTaZa"));
    // Other fonts and the other direction are left alone.
    Click("Option2");
    Paste(QStringLiteral("kTaZa"));
    QCOMPARE(BoxBytes("Text1"), std::string("kTaZa"));
    Click("Option33");
    Click("Option1_1");
    QVERIFY(StartAndWait());  // shows the transliteration box again
    Paste(QStringLiteral("kTaZa"));
    QCOMPARE(BoxBytes("Text1"), std::string("kTaZa"));
    // Word processors carry symbol-font text as U+F020 to U+F0FF.
    Paste(QString(QChar(0xF06B)) + QChar(0xF08F) + QStringLiteral("a"), "Text2");
    QCOMPARE(BoxBytes("Text2"), std::string("k\x8f") + "a");
    // A paste with line ends sets those of the box's text.
    Box("Text2")->SetBytes("k\r\nk");
    QApplication::clipboard()->setText(QStringLiteral("a\nb"));
    CtrlV(Box("Text2"));
    QCOMPARE(BoxBytes("Text2").find('\r'), std::string::npos);
  }

  void fontButtonsSetTheBoxesAndTables() {
    const sfc::DevitranTable before = window_->session().state().devitran;
    for (const auto& [button, font, size, label] :
         {std::tuple{"Option6", sfc::DevanagariFont::kSanskrit99, 24.0, 16.0},
          std::tuple{"Option4", sfc::DevanagariFont::kVedic, 39.0, 24.0}}) {
      Click(button);
      QVERIFY(Checked(button));
      QCOMPARE(Box("Text2")->font().family(),
               QString::fromStdString(std::string(sfc::FontName(font))));
      QCOMPARE(Box("Text2")->font().pointSizeF(), size);
      // The browser's glyphs are for reading: without the font, in a system font.
      QVERIFY(GlyphLabelFontFits("Label2_2", label));
      QVERIFY(GlyphLabelFontFits("Label2_3", label));
    }
    // A transliteration button changes only the transliteration side, and the
    // glyph table of the pair.
    Click("Option3");
    QVERIFY(Checked("Option3") && !Checked("Option33") && Checked("Option4") &&
            !Checked("Option6"));
    for (const char* name : {"Text1", "Label2_1", "Label3"}) {
      QCOMPARE(Find(name)->font().family(), QStringLiteral("ITRTransTimes"));
    }
    QCOMPARE(Box("Text2")->font().family(), QStringLiteral("Vedic"));
    QCOMPARE(Box("Text2")->font().pointSizeF(), 39.0);
    QVERIFY(window_->session().state().devitran != before);
  }

  void loadFromDiskShowsFontListsAndPromptAndClearsTheButtons() {
    WriteFile("sanideva.cod", "a,x,y\n");
    WriteFile("devitran.cod", "ka1,half_r5\n");
    // lipikara.mmy is missing.
    Click("Option6");
    Box("Text1")->SetBytes("my text");
    QVERIFY(LoadTablesAndWait());
    QVERIFY(Checked("Option5"));
    for (const char* name : {"Option4", "Option44", "Option6", "Option33", "Option3"}) {
      QVERIFY(!Checked(name));
    }
    auto* combo1 = Find<QComboBox>("Combo1");
    auto* combo3 = Find<QComboBox>("Combo3");
    QVERIFY(combo1->isVisible() && combo3->isVisible());
    QCOMPARE(combo1->currentText() + "/" + combo3->currentText(),
             QStringLiteral("Sanskrit-Times/Vedic"));
    // The prompt names the missing file; the user's text stays.
    QVERIFY(Instruction().startsWith(QString::fromLatin1(kSelectFontsPrompt)));
    QVERIFY(HasAll(Instruction(), {data_dir_->filePath(QStringLiteral("lipikara.mmy"))}));
    QCOMPARE(BoxBytes("Text1"), std::string("my text"));
    const sfc::ConverterState& state = window_->session().state();
    QCOMPARE(state.devitran[1], std::string("ka1"));  // the loaded tables are in force
    // A transliteration button puts the Vedic tables back.
    Click("Option33");
    QVERIFY(Checked("Option33") && Checked("Option4") && !Checked("Option5"));
    sfc::Session reference;
    reference.PressDevanagariFontButton(sfc::DevanagariFont::kVedic);
    QVERIFY(SameTables(state, reference.state()));
    QCOMPARE(Box("Text2")->font().pointSizeF(), 39.0);
    // A known family from a font list is taken for the box alone; an unknown
    // one falls back.
    Click("Option1_1");
    QVERIFY(LoadTablesAndWait());
    const sfc::ConverterState before = window_->session().state();
    const QString known = QFontDatabase::families().value(0);
    LeaveFontList("Combo1", known);
    QCOMPARE(Box("Text1")->font().family(), known);
    QCOMPARE(QString::fromStdString(window_->session().state().translit_box_font), known);
    QVERIFY(SameTables(window_->session().state(), before));
    LeaveFontList("Combo3", QStringLiteral("No Such Font 4711"));
    QCOMPARE(combo3->currentText(), QStringLiteral("Vedic"));
    QCOMPARE(Box("Text2")->font().family(), QStringLiteral("Vedic"));
    QVERIFY(SameTables(window_->session().state(), before));
    // An installed symbol font shows each byte with its own glyph, the text
    // already there too, silently.
    std::string bytes;
    for (int b = 0x20; b <= 0xFF; ++b) bytes += static_cast<char>(b);
    Box("Text2")->SetBytes(bytes);
    LeaveFontList("Combo3", QStringLiteral("SFC Symbol Test"));
    ByteTextBox* box = Box("Text2");
    QCOMPARE(box->font().family(), QStringLiteral("SFC Symbol Test"));
    QCOMPARE(box->toPlainText(), GlyphBytesToText(bytes, true));
    QCOMPARE(box->Bytes().bytes, bytes);
    QCOMPARE(box->toolTip(), QString());
  }

  void loadOfDamagedTablesNamesTheFilesInTheStatusBar() {
    sfc::Session vedic;
    vedic.PressDevanagariFontButton(sfc::DevanagariFont::kVedic);
    const std::filesystem::path dir = data_dir_->path().toStdString();
    QVERIFY(sfc::ExportCodeTables(vedic.state(), dir).empty());
    QVERIFY(LoadTablesAndWait());
    QCOMPARE(Status(), QString());
    // The syllable file cut in a row: the status bar says so as sfconv does
    // (the count is the check's, which sfconv's tests see to).
    QFile file(data_dir_->filePath(QStringLiteral("sanideva.cod")));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(file.readAll().indexOf(',', file.size() / 2) + 2));
    QVERIFY(LoadTablesAndWait());
    QVERIFY2(QRegularExpression(
                 QStringLiteral("^sanideva\\.cod: \\d+ problems?; `sfconv tables --check ") +
                 QRegularExpression::escape(data_dir_->path()) + "` lists them$")
                 .match(Status())
                 .hasMatch(),
             qPrintable(Status()));
  }

  void missingFontsAreNamed() {
    // A box whose font is missing names it in its tooltip, the status bar all.
    const auto tip = [&](const char* box) { return Box(box)->toolTip(); };
    QVERIFY(HasAll(tip("Text1"), {"\"Sanskrit-Times\" is not installed"}));
    QVERIFY(HasAll(tip("Text2"), {"\"Vedic\" is not installed"}));
    Click("Option44");
    QVERIFY(HasAll(tip("Text2"), {"\"Dev Natraj ITR\" is not installed"}));
    Click("Option4");
    QVERIFY(!Instruction().contains(QStringLiteral("not installed")));
    const QString note = Find<QLabel>("FontsNote")->text();
    QVERIFY(HasAll(note, {"Vedic", "Sanskrit-Times"}) && !note.contains("Dev Natraj ITR"));
    QCOMPARE(Find("FontsNote")->accessibleName(),
             QStringLiteral("Missing fonts: Sanskrit-Times, Vedic"));
  }

 private:
  // START's caption, and the name a screen reader reads for it.
  QString Caption() {
    return Find<QPushButton>("Command1")->text() + " / " + Find("Command1")->accessibleName();
  }
  QString Status() { return window_->statusBar()->currentMessage(); }
  void WriteFile(const char* name, const QByteArray& bytes) {
    QFile file(data_dir_->filePath(QString::fromLatin1(name)));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  // LOAD, with `answer` to any question; returns the question asked.
  QString Load(bool answer = true) {
    QString asked;
    window_->SetQuestionHandler([&asked, answer](const QString& question) {
      asked = question;
      return answer;
    });
    Click("Command3");
    return asked;
  }
  void LeaveFontList(const char* name, const QString& text) {
    auto* list = Find<QComboBox>(name);
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    list->setEditText(text);
    Find("Command3")->setFocus();
    QTRY_VERIFY(!list->hasFocus());
  }
};

QTEST_MAIN(MainWindowConversionTest)
#include "main_window_conversion_test.moc"
