// sanskrit-font-converter: the desktop program.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <exception>

#include "main_window.h"

namespace {

constexpr const char* kUsage =
    "usage: sanskrit-font-converter [options] [Qt options]\n"
    "Opens the window that converts Sanskrit text between transliteration and Devanagari\n"
    "in legacy 8-bit fonts, and to and from Unicode.\n"
    "\n"
    "options:\n"
    "  -h, --help     print this help and exit\n"
    "  -v, --version  print the version and exit\n"
    "\n"
    "Qt's own options work as in every Qt program (for example -platform NAME,\n"
    "-style NAME, -geometry WxH+X+Y). sfconv(1) does the same conversions on the\n"
    "command line.\n";

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

bool Is(const char* argument, const char* short_name, const char* long_name) {
  return std::strcmp(argument, short_name) == 0 || std::strcmp(argument, long_name) == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  // --help and --version answer without a display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) break;
    if (Is(argv[i], "-h", "--help")) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (Is(argv[i], "-v", "--version")) {
      std::printf("sanskrit-font-converter %s\n", SFC_VERSION);
      return 0;
    }
  }
  Application app(argc, argv);
  // Qt has taken its own options out of the arguments; anything left is not
  // the program's.
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() > 1) {
    const QString& first = arguments[1];
    std::fprintf(stderr, "sanskrit-font-converter: %s \"%s\"\n%s",
                 first.startsWith(QLatin1Char('-')) ? "unknown option" : "unexpected argument",
                 qPrintable(first), "Try 'sanskrit-font-converter --help' for more information.\n");
    return 2;
  }
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
