// The menus Dash, Exit, Instruction and Contact, and the windows they open.
#include <QAction>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <cstdlib>

#include "farewell_window.h"
#include "help_window.h"
#include "window_test_support.h"

using namespace sfc::ui;
using namespace sfc::ui::test;

class MainWindowMenusTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void dashMenuSetsTheDashMode();
  void exitOpensTheFarewellWindowAndKeepsTheDashMode();
  void instructionOpensTheHelpWindowMaximisedWithPageButtons();
  void contactShowsTheSmallPanelEvenAfterInstruction();
  void closingTheMainWindowEndsTheProgramWithItsOtherWindows();

 private:
  void Trigger(const char* name) {
    QAction* action = window_->findChild<QAction*>(QString::fromLatin1(name));
    QVERIFY(action);
    action->trigger();
  }

  MainWindow* window_ = nullptr;
};

void MainWindowMenusTest::init() {
  window_ = new MainWindow;
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void MainWindowMenusTest::cleanup() {
  delete window_;
  window_ = nullptr;
}

void MainWindowMenusTest::dashMenuSetsTheDashMode() {
  QCOMPARE(window_->session().state().dash_mode, sfc::kDashAddAspirata);
  Trigger("fgg_2");
  QCOMPARE(window_->session().state().dash_mode, sfc::kDashSkip);
  Trigger("ffg_1");
  QCOMPARE(window_->session().state().dash_mode, sfc::kDashAddAspirata);
}

void MainWindowMenusTest::exitOpensTheFarewellWindowAndKeepsTheDashMode() {
  FarewellWindow* farewell = window_->farewellWindow();
  QVERIFY(farewell);
  QVERIFY(!farewell->isVisible());
  QVERIFY(!farewell->timer().isActive());  // no show runs while it is hidden
  Trigger("fgg_2");
  Trigger("defe");
  QVERIFY(farewell->isVisible());
  QVERIFY(farewell->timer().isActive());
  // Going back to the main window, the dash mode is still the one chosen.
  QCOMPARE(window_->session().state().dash_mode, sfc::kDashSkip);
  QVERIFY(window_->isVisible());
  farewell->hide();
  QVERIFY(!farewell->timer().isActive());
}

void MainWindowMenusTest::instructionOpensTheHelpWindowMaximisedWithPageButtons() {
  QVERIFY(!window_->helpWindow());  // made when first needed
  QVERIFY(!window_->surface()->printed().empty());
  Trigger("asde");
  HelpWindow* help = window_->helpWindow();
  QVERIFY(help);
  QVERIFY(help->isVisible());
  QVERIFY(help->isMaximized());
  QVERIFY(window_->surface()->printed().empty());  // the title lines are cleared
  for (int i = 0; i < 4; ++i) {
    QVERIFY(Find(*help, QStringLiteral("Command1_%1").arg(i).toLatin1().constData())->isVisible());
  }
  Trigger("asde");
  QCOMPARE(window_->helpWindow(), help);  // the same window again
}

void MainWindowMenusTest::contactShowsTheSmallPanelEvenAfterInstruction() {
  Trigger("asde");
  Trigger("asa");
  HelpWindow* help = window_->helpWindow();
  QVERIFY(help->isVisible());
  QVERIFY(!help->isMaximized());
  QCOMPARE(help->size(), QSize(Twips(9200, help->logicalDpiX()), Twips(7000, help->logicalDpiY())));
  QVERIFY(!Find(*help, "Command1_0")->isVisible());
  bool names_project = false;
  for (const auto& line : help->surface()->printed()) {
    if (line.text.contains(QStringLiteral("Sanskrit Font Converter"))) names_project = true;
  }
  QVERIFY(names_project);
}

void MainWindowMenusTest::closingTheMainWindowEndsTheProgramWithItsOtherWindows() {
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("SFC_MAIN_WINDOW_CHILD"), QStringLiteral("close"));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  child.setProcessEnvironment(environment);
  child.start(QCoreApplication::applicationFilePath(), {});
  QVERIFY(child.waitForFinished(20000));
  QCOMPARE(child.exitStatus(), QProcess::NormalExit);
  QCOMPARE(child.exitCode(), 0);
}

// The child: the main window with the help and farewell windows open, closed
// as a user closes it.
int RunClosingChild(int argc, char* argv[]) {
  QApplication app(argc, argv);
  MainWindow window;
  window.show();
  window.instructionAction()->trigger();
  window.exitAction()->trigger();
  QTimer::singleShot(200, &window, &QWidget::close);
  return QApplication::exec();
}

int main(int argc, char* argv[]) {
  if (qEnvironmentVariable("SFC_MAIN_WINDOW_CHILD") == QLatin1String("close")) {
    return RunClosingChild(argc, argv);
  }
  QApplication app(argc, argv);
  MainWindowMenusTest test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}
#include "main_window_menus_test.moc"
