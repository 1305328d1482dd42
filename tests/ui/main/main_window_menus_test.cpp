// The menus Dash, Exit, Instruction and Contact, and the windows they open.
#include <QAction>
#include <QtTest>

#include "farewell_window.h"
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

QTEST_MAIN(MainWindowMenusTest)
#include "main_window_menus_test.moc"
