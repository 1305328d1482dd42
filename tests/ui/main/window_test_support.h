// Driving the main window as a user would, and reading what the user sees.
#pragma once

#include <QtTest>
#include <QtWidgets>
#include <memory>
#include <string>
#include <string_view>

#include "byte_text.h"
#include "byte_text_box.h"
#include "code_table_files.h"
#include "main_window.h"
#include "print_surface.h"

namespace sfc::ui::test {

template <typename T = QWidget>
T* Find(const QWidget& window, const char* object_name) {
  T* found = window.findChild<T*>(QString::fromLatin1(object_name));
  if (!found) qFatal("no control named %s", object_name);
  return found;
}

// The clipboard's text read back as bytes (Windows-1252).
inline std::string ClipboardBytes() {
  return TranslitTextToBytes(QApplication::clipboard()->text()).bytes;
}

inline void CtrlV(QWidget* box) { QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier); }

// Answers the next modal input dialog once it shows, without blocking.
template <typename Answer>
void WhenDialogShows(QObject* context, Answer answer) {
  auto* poll = new QTimer(context);
  QObject::connect(poll, &QTimer::timeout, context, [poll, answer] {
    auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    poll->stop();
    poll->deleteLater();
    answer(dialog);
  });
  poll->start(10);
}

inline bool SameTables(const sfc::ConverterState& a, const sfc::ConverterState& b) {
  return a.sanideva.key == b.sanideva.key && a.sanideva.full == b.sanideva.full &&
         a.sanideva.half == b.sanideva.half && a.short_i == b.short_i && a.devitran == b.devitran;
}

// What sfconv writes for the input with the given arguments.
inline std::string Sfconv(const QStringList& arguments, std::string_view input) {
  QProcess process;
  process.start(QStringLiteral(SFC_SFCONV_PATH), arguments);
  process.write(input.data(), static_cast<qint64>(input.size()));
  process.closeWriteChannel();
  process.waitForFinished(60000);
  const QByteArray output = process.readAllStandardOutput();
  return std::string(output.constData(), static_cast<std::size_t>(output.size()));
}

// Whether `text` holds every one of `parts`; prints it where it does not.
inline bool HasAll(const QString& text, const QStringList& parts) {
  for (const QString& part : parts) {
    if (!text.contains(part)) {
      qWarning("\"%s\" not in: %s", qPrintable(part), qPrintable(text));
      return false;
    }
  }
  return true;
}

// A fresh main window for each test, with its own data directory if asked.
class WindowTest {
 protected:
  bool OpenWindow(bool own_data_directory) {
    if (own_data_directory) {
      data_dir_ = std::make_unique<QTemporaryDir>();
      qputenv("LIPIKARA_DIR", data_dir_->path().toLocal8Bit());
    }
    window_ = new MainWindow;
    window_->show();
    return QTest::qWaitForWindowActive(window_);
  }
  void CloseWindow() {
    delete window_;
    window_ = nullptr;
    data_dir_.reset();
  }

  template <typename T = QWidget>
  T* Find(const char* name) const {
    return test::Find<T>(*window_, name);
  }
  ByteTextBox* Box(const char* name) const { return Find<ByteTextBox>(name); }
  std::string BoxBytes(const char* name) const { return Box(name)->Bytes().bytes; }
  void Click(const char* name) { QTest::mouseClick(Find(name), Qt::LeftButton); }
  // Clicks START, or "Load code table from disk", and waits until it is done.
  bool StartAndWait(int timeout_ms = 30000) {
    QSignalSpy finished(window_, &MainWindow::conversionFinished);
    Click("Command1");
    return !finished.isEmpty() || finished.wait(timeout_ms);
  }
  bool LoadTablesAndWait(int timeout_ms = 30000) {
    QSignalSpy loaded(window_, &MainWindow::tablesLoaded);
    Click("Option5");
    return !loaded.isEmpty() || loaded.wait(timeout_ms);
  }
  // A browser glyph label has the designed size in the Devanagari box's font,
  // or where that is missing a system font whose line fits the label.
  bool GlyphLabelFontFits(const char* name, double designed) {
    const QWidget* label = Find(name);
    const QFont font = label->font();
    if (IsFontInstalled(QString::fromStdString(window_->session().state().devanagari_box_font))) {
      return font.pointSizeF() == designed;
    }
    return font.family() == UnicodeDevanagariFamily() && font.pointSizeF() < designed &&
           QFontMetrics(font).height() <= label->height();
  }
  // Empties a box and pastes `text` into it, with Ctrl+V or as `how` does.
  void Paste(const QString& text, const char* box = "Text1", void (*how)(QWidget*) = CtrlV) {
    Box(box)->clear();
    Box(box)->setFocus();
    QApplication::clipboard()->setText(text);
    how(Box(box));
  }
  void Trigger(const char* name) {
    window_->findChild<QAction*>(QString::fromLatin1(name))->trigger();
  }
  bool Checked(const char* name) { return Find<QRadioButton>(name)->isChecked(); }
  QString Instruction() { return Find<QPlainTextEdit>("Text3")->toPlainText(); }

  std::unique_ptr<QTemporaryDir> data_dir_;
  MainWindow* window_ = nullptr;
};

}  // namespace sfc::ui::test
