// The document window over a small .docx.
#include "document_dialog.h"

#include <zip.h>

#include <QtTest>
#include <QtWidgets>
#include <memory>
#include <string>
#include <utility>

#include "byte_text.h"
#include "package.h"

using sfc::ui::DocumentDialog;

namespace {

std::string ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// The first verse's first words in Sanskrit-Times and in IAST.
std::string TimesBytes() {
  return ReadFile(SFC_TEST_DATA_DIR "/gita.sanskrit-times.txt").substr(0, 17);
}
const QString kIast = QStringLiteral("dhṛtarāṣṭra uvāca");
const QString kDevanagari = QStringLiteral("धृतराष्ट्र उवाच");
const std::string kVedicBytes = "ramaH";

std::string Run(const std::string& font, const std::string& text) {
  return "<w:r><w:rPr><w:rFonts w:ascii=\"" + font + "\" w:hAnsi=\"" + font +
         "\"/></w:rPr><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

// Writes a small .docx to `path`: a line in Times New Roman, words in
// Sanskrit-Times split across two runs, a word in Vedic.
bool WriteDocx(const QString& path) {
  const std::string rels =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>";
  const std::string times = sfc::ui::TranslitBytesToText(TimesBytes()).toUtf8().toStdString();
  const std::string body = "<w:p>" + Run("Times New Roman", "Chapter one &amp; more") +
                           "</w:p><w:p>" + Run("Sanskrit-Times", times.substr(0, 5)) +
                           Run("Sanskrit-Times", times.substr(5)) + "</w:p><w:p>" +
                           Run("Vedic", kVedicBytes) + "</w:p>";
  const std::pair<std::string, std::string> parts[] = {
      {"[Content_Types].xml", "<Types/>"},
      {"_rels/.rels", rels},
      {"word/document.xml",
       "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
       "<w:body>" +
           body + "</w:body></w:document>"}};
  zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
  if (!zip) return false;
  for (const auto& [name, bytes] : parts) {
    zip_file_add(zip, name.c_str(), zip_source_buffer(zip, bytes.data(), bytes.size(), 0),
                 ZIP_FL_ENC_UTF_8);
  }
  return zip_close(zip) == 0;
}

std::string DocumentXml(const QString& path) {
  sfc::document::Package package(ReadFile(path), path.toStdString());
  return package.Read("word/document.xml");
}

QWidget* NextByTab(QWidget* widget) {
  do {
    widget = widget->nextInFocusChain();
  } while ((widget->focusPolicy() & Qt::TabFocus) == 0);
  return widget;
}

}  // namespace

class DocumentDialogTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString input_;

  void Open(DocumentDialog& dialog, const QString& path) {
    QSignalSpy listed(&dialog, &DocumentDialog::fontsListed);
    dialog.OpenDocument(path);
    QVERIFY(listed.wait(60000));
  }
  void ConvertAndWait(DocumentDialog& dialog) {
    QSignalSpy done(&dialog, &DocumentDialog::converted);
    QTest::mouseClick(dialog.ConvertButton(), Qt::LeftButton);
    QVERIFY(done.count() > 0 || done.wait(60000));
  }
  QStringList FilesInDir() const {
    return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  }

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    for (const QString& file : FilesInDir()) QFile::remove(dir_.filePath(file));
    input_ = dir_.filePath(QStringLiteral("verses.docx"));
    QVERIFY(WriteDocx(input_));
  }

  void listsTheLegacyFontsWithSamplesThatFollowTheTarget() {
    DocumentDialog dialog;
    dialog.show();
    Open(dialog, input_);
    QCOMPARE(dialog.FontsListed(), (QStringList{"Sanskrit-Times", "Vedic"}));
    // The words split across two runs come as one sample.
    QVERIFY(dialog.SampleBefore("Sanskrit-Times")
                .startsWith(sfc::ui::TranslitBytesToText(TimesBytes())));
    QVERIFY(dialog.SampleAfter("Sanskrit-Times").startsWith(kIast));
    QCOMPARE(dialog.SampleBefore("Vedic"), QString::fromStdString(kVedicBytes));
    QVERIFY(dialog.SampleAfter("Vedic").contains(QChar(0x0930)));  // र
    QCOMPARE(dialog.TargetOf("Sanskrit-Times")->currentData().toString(), QStringLiteral("iast"));
    QCOMPARE(dialog.TargetOf("Vedic")->currentData().toString(), QStringLiteral("devanagari"));
    QVERIFY(dialog.ConvertButton()->isEnabled() && !dialog.CancelButton()->isEnabled());
    // Tab goes from one font's target to the next, then to Convert.
    QCOMPARE(NextByTab(dialog.TargetOf("Sanskrit-Times")), dialog.TargetOf("Vedic"));
    QCOMPARE(NextByTab(dialog.TargetOf("Vedic")), dialog.ConvertButton());
    // Every control can be told apart by a screen reader.
    for (const QWidget* widget : dialog.findChildren<QWidget*>()) {
      if (widget->focusPolicy() != Qt::NoFocus || qobject_cast<const QProgressBar*>(widget)) {
        QVERIFY2(!widget->accessibleName().isEmpty(), widget->metaObject()->className());
      }
    }
    // A new target gives a new sample.
    QComboBox* target = dialog.TargetOf("Sanskrit-Times");
    QSignalSpy listed(&dialog, &DocumentDialog::fontsListed);
    target->setCurrentIndex(target->findData(QStringLiteral("devanagari")));
    QVERIFY(listed.wait(60000));
    QVERIFY(dialog.SampleAfter("Sanskrit-Times").startsWith(kDevanagari));
    target->setCurrentIndex(target->findData(QString()));
    QVERIFY(listed.wait(60000));
    QCOMPARE(dialog.SampleAfter("Sanskrit-Times"), QStringLiteral("(left as it is)"));
  }

  void convertsAndSavesBesideTheInput() {
    const std::string before = ReadFile(input_);
    DocumentDialog dialog;
    QString suggested;
    dialog.SetSaveChooser([&suggested](const QString& path) {
      suggested = path;
      return path;
    });
    Open(dialog, input_);
    ConvertAndWait(dialog);
    QCOMPARE(suggested, dir_.filePath(QStringLiteral("verses-converted.docx")));
    for (const char* said :
         {"Saved as", "\"Sanskrit-Times\" -> IAST", "\"Vedic\" -> Unicode Devanagari"}) {
      QVERIFY(dialog.ReportText().contains(said));
    }
    QCOMPARE(dialog.Progress()->value(), dialog.Progress()->maximum());
    const QString xml = QString::fromStdString(DocumentXml(suggested));
    QVERIFY(xml.contains(kIast) && xml.contains(QStringLiteral("Chapter one &amp; more")));
    QVERIFY(!xml.contains(QStringLiteral("\"Sanskrit-Times\"")));
    QCOMPARE(ReadFile(input_), before);
    // A second conversion does not replace the first.
    ConvertAndWait(dialog);
    QCOMPARE(suggested, dir_.filePath(QStringLiteral("verses-converted-2.docx")));
    QCOMPARE(FilesInDir().size(), 3);
  }

  void everyWayOfNotSavingLeavesNothing_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("said");
    const char* const rows[][3] = {{"cancelled", "cancel", "Cancelled: nothing was written."},
                                   {"escape, which closes the window", "escape", "Cancelled"},
                                   {"no path chosen", "none", "Not saved."},
                                   {"the input chosen", "input", "is the document itself"},
                                   {"the window closed", "closed", ""}};
    for (const auto& row : rows) QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
  }
  void everyWayOfNotSavingLeavesNothing() {
    QFETCH(QString, how);
    QFETCH(QString, said);
    const std::string before = ReadFile(input_);
    auto dialog = std::make_unique<DocumentDialog>();
    dialog->show();
    dialog->SetSaveChooser([&](const QString& suggested) {
      return how == "none" ? QString() : how == "input" ? input_ : suggested;
    });
    Open(*dialog, input_);
    QSignalSpy done(dialog.get(), &DocumentDialog::converted);
    dialog->Convert();
    QVERIFY(dialog->Busy() && dialog->CancelButton()->isEnabled() &&
            !dialog->ConvertButton()->isEnabled());
    if (how == "cancel") QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    if (how == "escape") QTest::keyClick(dialog.get(), Qt::Key_Escape);
    if (how == "closed") {
      dialog.reset();
      QCoreApplication::processEvents();
    } else {
      QVERIFY(done.wait(60000));
      QVERIFY(dialog->ReportText().contains(said));
      QCOMPARE(dialog->isVisible(), how != "escape");
      QVERIFY(dialog->ConvertButton()->isEnabled());
    }
    QCOMPARE(FilesInDir(), QStringList{QStringLiteral("verses.docx")});
    QCOMPARE(ReadFile(input_), before);
  }

  void aFileThatIsNoDocumentIsRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("said");
    QTest::newRow("not a zip") << "bad.docx" << QByteArray("plain text") << "bad.docx";
    QTest::newRow("another format") << "notes.txt" << QByteArray("text") << "only .docx and .odt";
    QTest::newRow("missing") << "gone.docx" << QByteArray() << "No such file";
  }
  void aFileThatIsNoDocumentIsRefused() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, said);
    const QString path = dir_.filePath(name);
    if (!bytes.isEmpty()) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(bytes);
    }
    DocumentDialog dialog;
    Open(dialog, input_);
    Open(dialog, path);
    QVERIFY(dialog.FontsListed().isEmpty() && !dialog.ConvertButton()->isEnabled());
    QVERIFY(dialog.ReportText().contains(said));
  }
};

QTEST_MAIN(DocumentDialogTest)
#include "document_dialog_test.moc"
