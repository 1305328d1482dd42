// The main window under abuse: it keeps handling events, every run ends, the
// tables end in a state a user could reach, and no input text is lost.
#include "window_test_support.h"

using namespace sfc::ui;
using namespace sfc::ui::test;

namespace {

constexpr std::size_t kRandomSize = 20'000'000;

std::string RandomBytes(std::size_t size, quint32 seed) {
  QRandomGenerator random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random.bounded(256));
  return bytes;
}

// Counts the turns of the event loop while the window is busy.
class Ticker {
 public:
  explicit Ticker(const MainWindow& window) {
    QObject::connect(&timer_, &QTimer::timeout, [&window, this] {
      if (window.converting() || window.loadingTables()) ++ticks;
    });
    timer_.start(0);
  }
  int ticks = 0;

 private:
  QTimer timer_;
};

}  // namespace

class MainWindowAbuseTest : public QObject, WindowTest {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(OpenWindow(true));
    // Random glyphs ask how they read; every box takes its default.
    window_->SetInputBoxHandler(
        [](const sfc::InputBoxRequest& request) { return request.default_text; });
  }
  void cleanup() { CloseWindow(); }

  void twentyMegabytesOfRandomBytesConvertInBothDirections() {
    for (const bool to_translit : {false, true}) {
      if (to_translit) Click("Option1_1");
      const char* input = to_translit ? "Text2" : "Text1";
      Paste(to_translit ? GlyphBytesToText(RandomBytes(kRandomSize, 7), false)
                        : TranslitBytesToText(RandomBytes(kRandomSize, 11)),
            input);
      const std::string pasted = BoxBytes(input);
      QVERIFY(pasted.size() > kRandomSize / 2);
      // The output box is emptied at the start and filled once at the end.
      int changes = 0;
      QObject counting;  // ends the count with this round
      QObject::connect(Box(to_translit ? "Text1" : "Text2"), &QPlainTextEdit::textChanged,
                       &counting, [&changes] { ++changes; });
      Ticker ticker(*window_);
      QVERIFY(StartAndWait(600000));
      QVERIFY2(ticker.ticks > 1, "the window froze");
      QVERIFY(!Find("ConversionProgress")->isVisible());
      QCOMPARE(changes, 2);
      QVERIFY(BoxBytes(input) == pasted);  // the input is left as it was
    }
  }

  void startPressedAgainAndAgainGivesTheSameResult() {
    std::string text;
    while (text.size() < 3'000'000) text += "dharmaksetre kuruksetre samaveta yuyutsavah\n";
    Box("Text1")->SetBytes(text);
    QSignalSpy finished(window_, &MainWindow::conversionFinished);
    for (int i = 0; i < 20; ++i) {
      QTest::mouseClick(Find("Command1"), Qt::LeftButton);
      QTest::qWait(5);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!window_->converting(), 60000);
    QCOMPARE(BoxBytes("Text2"),
             Sfconv({QStringLiteral("to-devanagari"), QStringLiteral("--startup")}, text));
    QCOMPARE(BoxBytes("Text1"), text);
  }

  void fontsAndDirectionsSwitchedBetweenRuns() {
    using enum sfc::DevanagariFont;
    using enum sfc::TranslitFont;
    const std::pair<const char*, sfc::DevanagariFont> devanagari[] = {
        {"Option4", kVedic}, {"Option44", kDevNatrajItr}, {"Option6", kSanskrit99}};
    const std::pair<const char*, sfc::TranslitFont> translit[] = {
        {"Option33", kSanskritTimes}, {"Option3", kItrTransTimes}, {"Option2", kUrwPalladioIt}};
    sfc::Session reference;
    QRandomGenerator random(5);
    Box("Text1")->SetBytes("namaste dharmaksetre kuruksetre");
    for (int round = 0; round < 12; ++round) {
      const int d = static_cast<int>(random.bounded(3));
      const int t = static_cast<int>(random.bounded(3));
      Click(devanagari[d].first);
      reference.PressDevanagariFontButton(devanagari[d].second);
      Click(translit[t].first);
      reference.PressTranslitFontButton(translit[t].second);
      const bool back = random.bounded(2) == 1;
      Click(back ? "Option1_1" : "Option1_0");
      reference.ChooseDirection(back ? sfc::Direction::kToTranslit : sfc::Direction::kToDevanagari);
      const std::string input = BoxBytes(back ? "Text2" : "Text1");
      QVERIFY(StartAndWait());
      const sfc::ConversionResult expected = reference.Convert(input);
      QVERIFY(BoxBytes(back ? "Text1" : "Text2") == expected.output);
      QVERIFY(BoxBytes(back ? "Text2" : "Text1") == input);
      QVERIFY(SameTables(window_->session().state(), reference.state()));
    }
  }

  void garbageTablesThenABuiltInFontButton() {
    for (const char* name : {"sanideva.cod", "lipikara.mmy", "devitran.cod"}) {
      QFile file(data_dir_->filePath(QString::fromLatin1(name)));
      QVERIFY(file.open(QIODevice::WriteOnly));
      const std::string garbage =
          RandomBytes(300'000, static_cast<quint32>(qHash(QByteArray(name))));
      file.write(garbage.data(), static_cast<qint64>(garbage.size()));
    }
    QVERIFY(LoadTablesAndWait());
    Box("Text1")->SetBytes("namaste");
    QVERIFY(StartAndWait());  // any tables convert to a defined end
    Click("Option44");
    sfc::Session reference;
    reference.LoadTables([this](sfc::ConverterState& state) {
      return sfc::LoadCodeTables(state, data_dir_->path().toStdString());
    });
    reference.PressDevanagariFontButton(sfc::DevanagariFont::kDevNatrajItr);
    // Built-in rows come back; rows beyond them keep what was loaded, as a
    // user who did the same would see.
    QVERIFY(SameTables(window_->session().state(), reference.state()));
    QVERIFY(Checked("Option44") && !Checked("Option5"));
  }

  void aGigabyteTableFileLoadsWithoutFreezing() {
    {
      // A gigabyte of zero bytes with no separator, stored sparse.
      QFile file(data_dir_->filePath(QStringLiteral("sanideva.cod")));
      QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64{1} << 30));
    }
    const sfc::DevitranTable before = window_->session().state().devitran;
    Ticker ticker(*window_);
    QVERIFY(LoadTablesAndWait(600000));
    QVERIFY2(ticker.ticks > 1, "the window froze");
    // lipikara.mmy and devitran.cod are missing, so their tables stay.
    QVERIFY(window_->session().state().devitran == before);
    QVERIFY(window_->session().state().load_button);
  }
};

QTEST_MAIN(MainWindowAbuseTest)
#include "main_window_abuse_test.moc"
