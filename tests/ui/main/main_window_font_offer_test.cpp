// LOAD offers the font the loaded text reads clearly better in, and the
// offer can be declined.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "window_test_support.h"

using namespace sfc::ui;
using namespace sfc::ui::test;

class MainWindowFontOfferTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void transliterationInAnotherFontIsOfferedThatFont();
  void devanagariInAnotherFontIsOfferedThatFont();
  void textInTheChosenFontOrTooShortAsksNothing();

 private:
  void WriteInput(const std::string& bytes);
  // LOAD with `answer` to any question; returns the question asked.
  QString Load(bool answer);

  std::unique_ptr<QTemporaryDir> data_dir_;
  MainWindow* window_ = nullptr;
};

namespace {

// The first verses of the Gita in a transliteration font.
std::string Gita(const char* file) {
  QFile in(QStringLiteral(SFC_TEST_DATA_DIR "/") + QString::fromLatin1(file));
  if (!in.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = in.read(1200);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

void MainWindowFontOfferTest::init() {
  data_dir_ = std::make_unique<QTemporaryDir>();
  qputenv("LIPIKARA_DIR", data_dir_->path().toLocal8Bit());
  window_ = new MainWindow;
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_));
}

void MainWindowFontOfferTest::cleanup() {
  delete window_;
  window_ = nullptr;
  data_dir_.reset();
}

void MainWindowFontOfferTest::WriteInput(const std::string& bytes) {
  QFile file(data_dir_->filePath(QStringLiteral("sanskrit.txt")));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QString MainWindowFontOfferTest::Load(bool answer) {
  QString asked;
  window_->SetQuestionHandler([&asked, answer](const QString& question) {
    asked = question;
    return answer;
  });
  QTest::mouseClick(Find(*window_, "Command3"), Qt::LeftButton);
  return asked;
}

void MainWindowFontOfferTest::transliterationInAnotherFontIsOfferedThatFont() {
  QCOMPARE(window_->session().state().translit_box_font, std::string("Sanskrit-Times"));
  WriteInput(Gita("gita.itrtranstimes.txt"));
  const QString declined = Load(false);
  QVERIFY2(declined.contains(QStringLiteral("ITRTransTimes")) &&
               declined.contains(QStringLiteral("Sanskrit-Times")),
           qPrintable(declined));
  QCOMPARE(window_->session().state().translit_box_font, std::string("Sanskrit-Times"));
  QVERIFY(!BoxBytes(*window_, "Text1").empty());

  Load(true);
  QCOMPARE(window_->session().state().translit_box_font, std::string("ITRTransTimes"));
  QVERIFY(window_->session().state().translit_button == sfc::TranslitFont::kItrTransTimes);
  // In the font now chosen, the same file asks nothing.
  QCOMPARE(Load(true), QString());
}

void MainWindowFontOfferTest::devanagariInAnotherFontIsOfferedThatFont() {
  sfc::Session writer;
  writer.PressDevanagariFontButton(sfc::DevanagariFont::kSanskrit99);
  WriteInput(writer.Convert(Gita("gita.sanskrit-times.txt")).output);
  QTest::mouseClick(Find(*window_, "Option1_1"), Qt::LeftButton);
  QCOMPARE(window_->session().state().devanagari_font_name, std::string("Vedic"));
  const QString asked = Load(true);
  QVERIFY2(asked.contains(QStringLiteral("Sanskrit 99")), qPrintable(asked));
  QCOMPARE(window_->session().state().devanagari_font_name, std::string("Sanskrit 99"));
  QVERIFY(window_->session().state().devanagari_button == sfc::DevanagariFont::kSanskrit99);
}

void MainWindowFontOfferTest::textInTheChosenFontOrTooShortAsksNothing() {
  WriteInput(Gita("gita.sanskrit-times.txt"));
  QCOMPARE(Load(true), QString());
  WriteInput("rAma\n");
  QCOMPARE(Load(true), QString());
  QCOMPARE(window_->session().state().translit_box_font, std::string("Sanskrit-Times"));
}

QTEST_MAIN(MainWindowFontOfferTest)
#include "main_window_font_offer_test.moc"
