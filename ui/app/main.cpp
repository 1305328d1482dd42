// sanskrit-font-converter: the desktop program.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <exception>

#include "main_window.h"

namespace {

// Any fault that reaches the event loop becomes a message, not a crash.
class Application : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& fault) {
      QMessageBox::critical(
          nullptr, QStringLiteral("Sanskrit Font Converter"),
          QStringLiteral("An unexpected fault occurred: ") + QString::fromUtf8(fault.what()));
    }
    return false;
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  Application app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sanskrit Font Converter"));
  QApplication::setApplicationVersion(QStringLiteral(SFC_VERSION));
  // The installed desktop entry and icon of the program.
  QGuiApplication::setDesktopFileName(QStringLiteral("sanskrit-font-converter"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("sanskrit-font-converter")));
  // Closing the main window ends the program, with every other window.
  QApplication::setQuitOnLastWindowClosed(true);
  sfc::ui::InstallFontSubstitutes();
  sfc::ui::MainWindow window;
  window.setAttribute(Qt::WA_DeleteOnClose, false);
  QObject::connect(&window, &QObject::destroyed, &app, &QApplication::quit);
  window.showMaximized();
  const int status = QApplication::exec();
  return status;
}
