// sfc_screenshots DIR: renders the main window offscreen in the states a new
// user meets first and writes them to DIR as PNG files.
#include <zip.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "byte_text.h"
#include "document_dialog.h"
#include "farewell_window.h"
#include "help_window.h"
#include "main_window.h"
#include "unicode_preview.h"

namespace {

bool Save(QWidget& window, const QDir& dir, const char* name) {
  QApplication::processEvents();
  const QString path = dir.filePath(QString::fromLatin1(name));
  if (!window.grab().save(path)) {
    std::fprintf(stderr, "sfc_screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

// The window with another window over it, where that one stands.
bool SaveWith(QWidget& window, QWidget& over, const QDir& dir, const char* name) {
  QApplication::processEvents();
  QPixmap shot = window.grab();
  {
    QPainter painter(&shot);
    painter.drawPixmap(over.pos() - window.pos(), over.grab());
  }
  const QString path = dir.filePath(QString::fromLatin1(name));
  if (!shot.save(path)) {
    std::fprintf(stderr, "sfc_screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

template <typename T>
T* Find(QWidget& window, const char* name) {
  return window.findChild<T*>(QString::fromLatin1(name));
}

void Convert(sfc::ui::MainWindow& window) {
  QSignalSpy finished(&window, &sfc::ui::MainWindow::conversionFinished);
  QTest::mouseClick(Find<QPushButton>(window, "Command1"), Qt::LeftButton);
  if (finished.isEmpty()) finished.wait(10000);
}

// A small .docx: an English heading, a verse in Vedic stored as Word stores
// symbol fonts, and its transliteration in Sanskrit-Times.
bool WriteDocx(const QString& path, const std::string& vedic, const std::string& times) {
  auto run = [](const std::string& font, const std::string& text) {
    return "<w:r><w:rPr><w:rFonts w:ascii=\"" + font + "\" w:hAnsi=\"" + font +
           "\"/></w:rPr><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
  };
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"[Content_Types].xml", "<Types/>"},
      {"_rels/.rels",
       "<Relationships "
       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
       "Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
       "officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
      {"word/document.xml",
       "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
       "<w:body><w:p>" +
           run("Times New Roman", "The first verse") + "</w:p><w:p>" + run("Vedic", vedic) +
           "</w:p><w:p>" + run("Sanskrit-Times", times) + "</w:p></w:body></w:document>"},
  };
  zip_error_t error;
  zip_error_init(&error);
  zip_t* zip = zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
  if (zip == nullptr) return false;
  for (const auto& [name, bytes] : entries) {
    zip_source_t* part = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
    zip_file_add(zip, name.c_str(), part, ZIP_FL_ENC_UTF_8);
  }
  zip_error_fini(&error);
  return zip_close(zip) == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: sfc_screenshots DIR\n");
    return 2;
  }
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(dir.path())) return 1;

  sfc::ui::InstallFontSubstitutes();
  sfc::ui::MainWindow window;
  window.resize(1024, 768);
  window.show();
  bool ok = Save(window, dir, "main-window.png");

  // The first line of the Gita in Sanskrit-Times.
  const char line[] =
      "dharmak\x90"
      "etre kuruk\x90"
      "etre samavet\x80 yuyutsava\x83";
  Find<QPlainTextEdit>(window, "Text1")->setPlainText(sfc::ui::TranslitBytesToText(line));
  Convert(window);
  // Document > Convert a document... over a small document holding that
  // verse in Vedic and in Sanskrit-Times, its fonts listed with samples.
  {
    const std::string vedic =
        sfc::ui::GlyphTextToBytes(Find<QPlainTextEdit>(window, "Text2")->toPlainText()).bytes;
    const QTemporaryDir temporary;
    const QString docx = temporary.filePath(QStringLiteral("verses.docx"));
    if (WriteDocx(docx, sfc::ui::GlyphBytesToText(vedic, true).toUtf8().toStdString(),
                  sfc::ui::TranslitBytesToText(line).toUtf8().toStdString())) {
      sfc::ui::DocumentDialog dialog(&window);
      dialog.resize(900, 420);
      dialog.show();
      QSignalSpy listed(&dialog, &sfc::ui::DocumentDialog::fontsListed);
      dialog.OpenDocument(docx);
      if (listed.isEmpty()) listed.wait(10000);
      ok = Save(dialog, dir, "convert-document.png") && ok;
    } else {
      ok = false;
    }
  }

  // Without the Devanagari font the Unicode preview opens by itself over the
  // lower right of the window: the shot shows both, as the user sees them.
  QAction* show_preview = window.findChild<QAction*>(QStringLiteral("ShowUnicodePreview"));
  if (!show_preview->isChecked()) show_preview->trigger();
  sfc::ui::UnicodePreview* preview = window.unicodePreview();
  ok = SaveWith(window, *preview, dir, "to-devanagari.png") && ok;

  // The preview alone, as the menu Unicode shows it.
  preview->resize(760, 420);
  ok = Save(*preview, dir, "unicode-preview.png") && ok;
  show_preview->trigger();

  // The browser over the table that conversion used, stepped from its first
  // row to "dh", the letters the verse starts with; the Devanagari box still
  // shows the verse, whose first glyph is that row's.
  for (int i = 0; i < 20; ++i)
    QTest::mousePress(Find<QPushButton>(window, "Command2_1"), Qt::LeftButton);
  ok = Save(window, dir, "code-table-browser.png") && ok;

  // Back the other way, into an empty transliteration box and in another
  // transliteration font, so that the result is plainly the conversion's.
  QTest::mouseClick(Find<QRadioButton>(window, "Option1_1"), Qt::LeftButton);
  QTest::mouseClick(Find<QRadioButton>(window, "Option3"), Qt::LeftButton);
  Find<QPlainTextEdit>(window, "Text1")->clear();
  Convert(window);
  ok = Save(window, dir, "to-transliteration.png") && ok;

  // The help window's four pages (sized as a large screen would show it;
  // maximised offscreen it would be cut to the virtual screen), then the
  // contact panel that the menu Contact opens.
  window.instructionAction()->trigger();
  sfc::ui::HelpWindow* help = window.helpWindow();
  help->showNormal();
  help->resize(1024, 740);
  const std::pair<sfc::ui::HelpPage, const char*> pages[] = {
      {sfc::ui::HelpPage::kConversion, "help-conversion.png"},
      {sfc::ui::HelpPage::kFonts, "help-fonts.png"},
      {sfc::ui::HelpPage::kPurpose, "help-purpose.png"},
      {sfc::ui::HelpPage::kExamples, "help-examples.png"},
  };
  for (const auto& [page, name] : pages) {
    help->ShowPage(page);
    ok = Save(*help, dir, name) && ok;
  }
  window.contactAction()->trigger();
  ok = Save(*help, dir, "contact.png") && ok;
  help->hide();

  // The farewell window that Exit opens, after a few cards.
  sfc::ui::FarewellWindow farewell(3);
  farewell.Open();
  farewell.showNormal();
  farewell.resize(1024, 768);
  // Let it take the focus first: gaining the focus clears the cards.
  QApplication::processEvents();
  for (int i = 0; i < 6; ++i) farewell.Tick();
  ok = Save(farewell, dir, "farewell.png") && ok;
  return ok ? 0 : 1;
}
