// The farewell window: its controls, its cards and their text, the rules of
// the show, pausing, and the two ways it ends the program. The endings run in
// a child process (this executable started again with SFC_FAREWELL_CHILD set).
#include "farewell_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>

#include "byte_text.h"
#include "farewell_cards.h"
#include "print_surface.h"
#include "session.h"

namespace {

using sfc::ui::FarewellWindow;
using sfc::ui::kFarewellCardCount;
using sfc::ui::kFarewellCardSizes;
using sfc::ui::Twips;

constexpr quint32 kSeed = 20240611;
constexpr int kManyTicks = 2000;
const char* const kChildVariable = "SFC_FAREWELL_CHILD";

const std::array<const char*, kFarewellCardCount> kCaptions = {
    "Bhagavad Gita III, 17",
    "Bhagavad Gita VI, 20",
    "Bhagavad Gita VI, 3",
    "Katha Upanishad 1.2.20",
    "Rig Veda 1.158.6",
    "Bhagavad Gita IV, 16",
    "Brihad-Aranyak Upanishad 5.1.1.",
    "Rig Veda 1.164.39",
    "Sri Shankaracharya",
    "Yajur Veda 40.17",
    "Rig Veda 1.3.10",
    "Rig Veda 5.12.6",
    "Atharva Veda 19.51.1",
    "Mantra for Immortality",
    "Rig Veda 3.62.10",
};

// The label colours (background, text) of each scheme: English,
// transliteration, Devanagari.
struct SchemeColours {
  std::array<QColor, 6> colours;
};
const std::array<SchemeColours, 3> kSchemes = {{
    {{QColor(0x80, 0xFF, 0xFF), QColor(0x00, 0x00, 0xFF), QColor(0x80, 0x80, 0xFF),
      QColor(0xFF, 0xFF, 0xFF), QColor(0xFF, 0x80, 0xFF), QColor(0x00, 0x00, 0xC0)}},
    {{QColor(0xFF, 0xFF, 0x80), QColor(0x00, 0x00, 0xFF), QColor(0x60, 0xFF, 0x60),
      QColor(0xC0, 0x40, 0x00), QColor(0x00, 0xCF, 0xFF), QColor(0x00, 0x00, 0xFF)}},
    {{QColor(0xFF, 0x80, 0x80), QColor(0x00, 0x00, 0xFF), QColor(0xFF, 0x80, 0x30),
      QColor(0xFF, 0xFF, 0x00), QColor(0x00, 0xC0, 0x00), QColor(0x00, 0x00, 0xC0)}},
}};

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

QStringList ReadLines(const QString& name) {
  QFile file(QStringLiteral(SFC_TEST_DATA_DIR "/") + name);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

QByteArray ReadLineBytes(const QString& name, qsizetype line) {
  QFile file(QStringLiteral(SFC_TEST_DATA_DIR "/") + name);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll().split('\n').value(line);
}

void MouseOver(QWidget* widget) {
  const QPointF centre(widget->width() / 2.0, widget->height() / 2.0);
  QEnterEvent enter(centre, widget->mapToGlobal(centre), widget->mapToGlobal(centre));
  QCoreApplication::sendEvent(widget, &enter);
}

void SendToWindow(QWidget* window, QEvent::Type type) {
  QEvent event(type);
  QCoreApplication::sendEvent(window, &event);
}

int VisibleCards(const FarewellWindow& window) {
  int count = 0;
  for (int index = 0; index < kFarewellCardCount; ++index) {
    if (window.card_frame(index)->isVisible()) ++count;
  }
  return count;
}

// Opens the window and lets its first activation pass, which hides the cards.
void OpenAndSettle(FarewellWindow& window) {
  window.Open();
  QVERIFY(QTest::qWaitForWindowActive(&window));
}

// The child process: opens the window and ends it as `how` says ("namaste"
// or "close"); prints "endRequested" when the window signals the end.
int RunChild(int argc, char* argv[], const QByteArray& how) {
  QApplication app(argc, argv);
  FarewellWindow window(kSeed);
  QObject::connect(&window, &FarewellWindow::endRequested, [] {
    std::fputs("endRequested\n", stdout);
    std::fflush(stdout);
  });
  window.Open();
  QTimer::singleShot(100, &window, [&window, how] {
    if (how == "namaste") {
      MouseOver(window.findChild<QPushButton*>(QStringLiteral("Command1")));
    } else {
      window.close();
    }
  });
  // A child that does not end on its own fails.
  QTimer::singleShot(10000, &app, [] { QCoreApplication::exit(3); });
  return QApplication::exec();
}

}  // namespace

class FarewellWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void windowStartsHiddenWithItsLook();
  void controlsSitWhereDesigned();
  void everyControlHasAnAccessibleName();
  void cardsHaveTheirCaptionsSizesAndFonts();
  void cardsFileHoldsFifteenCardsWithSources();
  void gitaCardsAreTheVersesTheyName();
  void everyVerseConvertsWithNoCharacterLost();
  void devanagariLabelIsTheConvertersOutput();
  void withoutTheLegacyFontsTheVersesReadInUnicode();
  void firstCardIsOneOfTheLaterNine();
  void manyTicksKeepTheRulesOfTheShow();
  void theSameSeedGivesTheSameShow();
  void openShowsMaximizedOnceAndStartsTheTimer();
  void timerRunsOnlyWhileShown();
  void focusLossStopsAndFocusGainRestarts();
  void waitForAWhilePausesAndShallWeContinueResumes();
  void focusGainUnderPauseDoesNotRestart();
  void namasteSignalsTheEndAfterAShortPause();
  void namasteEndsTheProgram();
  void closingTheWindowEndsTheProgram();
};

void FarewellWindowTest::windowStartsHiddenWithItsLook() {
  FarewellWindow window(kSeed);
  QVERIFY(window.isWindow());
  QVERIFY(!window.isVisible());
  QCOMPARE(window.objectName(), QStringLiteral("Form2"));
  QCOMPARE(window.windowTitle(), QStringLiteral("OM  SHANTI  SHANTI  SHANTI"));
  QCOMPARE(window.palette().color(QPalette::Window), QColor(0x00, 0xC0, 0xC0));
  QVERIFY(window.autoFillBackground());
  QCOMPARE(window.font().family(), QStringLiteral("MS Sans Serif"));
  QCOMPARE(window.font().pointSizeF(), 8.25);
  QVERIFY(window.font().bold());
  QCOMPARE(window.size(),
           QSize(Twips(13575, window.logicalDpiX()), Twips(11115, window.logicalDpiY())));
  QCOMPARE(VisibleCards(window), 0);
  QCOMPARE(window.slot_card(1), 0);
  QCOMPARE(window.slot_card(2), 0);
  const auto* timer = window.findChild<QTimer*>(QStringLiteral("Timer1"));
  QVERIFY(timer != nullptr);
  QCOMPARE(timer, &window.timer());
  QCOMPARE(timer->interval(), 5000);
  QVERIFY(!timer->isActive());
}

void FarewellWindowTest::controlsSitWhereDesigned() {
  FarewellWindow window(kSeed);
  const int dx = window.logicalDpiX();
  const int dy = window.logicalDpiY();
  struct Expected {
    const char* name;
    const char* caption;
    int left, top, width, height;
    bool shown;
  };
  const Expected buttons[] = {
      {"Command1", "Namaste", 90, 10365, 1290, 315, true},
      {"Command3", "Wait for a while", 1500, 10365, 2250, 315, true},
      {"Command2", "Shall we continue?", 1515, 10005, 2250, 315, false},
  };
  for (const Expected& expected : buttons) {
    const auto* button = window.findChild<QPushButton*>(QString::fromLatin1(expected.name));
    QVERIFY2(button != nullptr, expected.name);
    QCOMPARE(button->text(), QString::fromLatin1(expected.caption));
    QCOMPARE(button->geometry(), QRect(Twips(expected.left, dx), Twips(expected.top, dy),
                                       Twips(expected.width, dx), Twips(expected.height, dy)));
    QCOMPARE(button->isVisibleTo(&window), expected.shown);
  }
  const std::pair<const char*, QPoint> pictures[] = {{"Picture2", QPoint(30, 75)},
                                                     {"Picture1", QPoint(7050, 4260)}};
  for (const auto& [name, at] : pictures) {
    const auto* picture = window.findChild<QLabel*>(QString::fromLatin1(name));
    QVERIFY2(picture != nullptr, name);
    QCOMPARE(picture->geometry(),
             QRect(Twips(at.x(), dx), Twips(at.y(), dy), Twips(1755, dx), Twips(2070, dy)));
    const QPixmap pixmap = picture->pixmap();
    QCOMPARE(pixmap.size(), QSize(117, 139));
    QCOMPARE(pixmap.depth(), 32);  // shown as 32-bit; the resource is 24-bit
  }
  const QImage resource(QStringLiteral(":/farewell/ornament.png"));
  QCOMPARE(resource.size(), QSize(117, 139));
  QVERIFY(!resource.hasAlphaChannel());
}

void FarewellWindowTest::everyControlHasAnAccessibleName() {
  FarewellWindow window(kSeed);
  QVERIFY(!window.accessibleName().isEmpty());
  const QList<QWidget*> widgets = window.findChildren<QWidget*>();
  QVERIFY(widgets.size() > 3 * kFarewellCardCount);
  for (const QWidget* widget : widgets) {
    QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
  }
}

void FarewellWindowTest::cardsHaveTheirCaptionsSizesAndFonts() {
  FarewellWindow window(kSeed);
  const int dx = window.logicalDpiX();
  const int dy = window.logicalDpiY();
  for (int index = 0; index < kFarewellCardCount; ++index) {
    const QString suffix = QStringLiteral("_%1").arg(index);
    auto* frame = window.findChild<QGroupBox*>(QStringLiteral("Frame1") + suffix);
    QVERIFY(frame != nullptr);
    QCOMPARE(frame, window.card_frame(index));
    QCOMPARE(frame->title(), QString::fromLatin1(kCaptions[static_cast<std::size_t>(index)]));
    QCOMPARE(frame->accessibleName(), frame->title());
    const auto size = kFarewellCardSizes[static_cast<std::size_t>(index)];
    QCOMPARE(frame->size(), QSize(Twips(size.width, dx), Twips(size.height, dy)));
    QCOMPARE(frame->palette().color(QPalette::Window), QColor(0x00, 0xC0, 0xC0));
    QVERIFY(!frame->isVisibleTo(&window));

    struct Expected {
      const char* name;
      const char* family;
      double size;
      int top_min, top_max;
    };
    const Expected labels[] = {{"Label3", "Vedic", 24, 195, 255},
                               {"Label2", "URW Palladio IT", 12, 885, 1470},
                               {"Label0", "Times New Roman", 12, 1455, 2400}};
    int previous_bottom = 0;
    for (const Expected& expected : labels) {
      auto* label = frame->findChild<QLabel*>(QString::fromLatin1(expected.name) + suffix);
      QVERIFY2(label != nullptr, expected.name);
      QCOMPARE(label->parentWidget(), frame);
      // The legacy font, or where it is missing the system font of the
      // line's Unicode reading.
      const QString legacy = QString::fromLatin1(expected.family);
      const QString system = legacy == QStringLiteral("Vedic") ? sfc::ui::UnicodeDevanagariFamily()
                                                               : sfc::ui::UnicodeIastFamily();
      QCOMPARE(label->font().family(),
               expected.name == std::string_view("Label0") || sfc::ui::IsFontInstalled(legacy)
                   ? legacy
                   : system);
      // A Devanagari verse too long for its card at 24 pt is set smaller.
      if (QString::fromLatin1(expected.name) == QStringLiteral("Label3")) {
        QVERIFY(label->font().pointSizeF() <= expected.size);
        QVERIFY(label->font().pointSizeF() >= 10);
      } else {
        QCOMPARE(label->font().pointSizeF(), expected.size);
      }
      QVERIFY(label->font().bold());
      QCOMPARE(label->textFormat(), Qt::PlainText);
      QVERIFY(label->wordWrap());
      QVERIFY(!label->text().isEmpty());
      QVERIFY(label->y() >= Twips(expected.top_min, dy));
      QVERIFY(label->y() <= Twips(expected.top_max, dy));
      QVERIFY(label->y() >= previous_bottom);  // one below the other
      QVERIFY(label->geometry().bottom() < frame->height());
      QVERIFY(label->x() >= 0 && label->geometry().right() < frame->width());
      previous_bottom = label->geometry().bottom() + 1;
      // Every text fits whole: no verse is cut.
      const int need =
          label->fontMetrics()
              .boundingRect(QRect(0, 0, label->width(), 100000), Qt::TextWordWrap, label->text())
              .height();
      QVERIFY2(label->height() >= need, qPrintable(label->objectName()));
    }
  }
}

void FarewellWindowTest::cardsFileHoldsFifteenCardsWithSources() {
  const std::vector<sfc::ui::FarewellCardText> cards = sfc::ui::LoadFarewellCards();
  QCOMPARE(static_cast<int>(cards.size()), kFarewellCardCount);
  for (std::size_t index = 0; index < cards.size(); ++index) {
    QCOMPARE(cards[index].caption, QString::fromLatin1(kCaptions[index]));
    QVERIFY(!cards[index].source.isEmpty());
    QVERIFY(!cards[index].verse.isEmpty());
    QVERIFY(cards[index].verse.endsWith(QLatin1Char('|')));
    QVERIFY(!cards[index].english.isEmpty());
  }
}

void FarewellWindowTest::gitaCardsAreTheVersesTheyName() {
  const QStringList refs = ReadLines(QStringLiteral("gita.refs.txt"));
  const QStringList verses = ReadLines(QStringLiteral("gita.iast.txt"));
  QVERIFY(refs.size() > 700);
  QCOMPARE(verses.size(), refs.size());
  const std::vector<sfc::ui::FarewellCardText> cards = sfc::ui::LoadFarewellCards();
  const std::pair<std::size_t, const char*> gita[] = {
      {0, "3.17"}, {1, "6.20"}, {2, "6.3"}, {5, "4.16"}};
  for (const auto& [card, ref] : gita) {
    const qsizetype line = refs.indexOf(QString::fromLatin1(ref));
    QVERIFY2(line >= 0, ref);
    QCOMPARE(cards[card].verse, verses[line]);
    // The same verse in the font's bytes, as the test data has it.
    const QByteArray urw = ReadLineBytes(QStringLiteral("gita.urw-palladio-it.txt"), line);
    QVERIFY(!urw.isEmpty());
    QCOMPARE(QByteArray::fromStdString(sfc::ui::IastToUrwPalladioBytes(cards[card].verse).bytes),
             urw);
  }
}

void FarewellWindowTest::everyVerseConvertsWithNoCharacterLost() {
  const std::vector<sfc::ui::FarewellCardText> texts = sfc::ui::LoadFarewellCards();
  FarewellWindow window(kSeed);
  for (std::size_t index = 0; index < texts.size(); ++index) {
    const sfc::ui::IastBytes converted = sfc::ui::IastToUrwPalladioBytes(texts[index].verse);
    QVERIFY2(converted.left_out.empty(), qPrintable(texts[index].caption));
    QCOMPARE(window.cards()[index].translit_bytes, converted.bytes);
    // Every character gave at least one byte; the dandas are slashes.
    QVERIFY(static_cast<qsizetype>(converted.bytes.size()) >=
            static_cast<qsizetype>(texts[index].verse.toUcs4().size()));
    QVERIFY(converted.bytes.find('|') == std::string::npos);
    QVERIFY(converted.bytes.ends_with("/"));
    // The font's bytes, or where the font is missing the verse's IAST.
    const auto* label = window.findChild<QLabel*>(QStringLiteral("Label2_%1").arg(index));
    QCOMPARE(label->text(), sfc::ui::IsFontInstalled(QStringLiteral("URW Palladio IT"))
                                ? sfc::ui::TranslitBytesToText(converted.bytes)
                                : texts[index].verse);
    const auto* english = window.findChild<QLabel*>(QStringLiteral("Label0_%1").arg(index));
    QCOMPARE(english->text(), texts[index].english);
  }
  // The letters with marks, one by one, and the rest as they are.
  const sfc::TranslitLetters& letters = sfc::GetTranslitLetters(sfc::TranslitFont::kUrwPalladioIt);
  const sfc::ui::IastBytes marked = sfc::ui::IastToUrwPalladioBytes(QStringLiteral("ṁṃ|x'"));
  QCOMPARE(marked.bytes, std::string(letters[sfc::Letter::kAnusvara]) +
                             std::string(letters[sfc::Letter::kAnusvara]) + "/x'");
  const sfc::ui::IastBytes unknown = sfc::ui::IastToUrwPalladioBytes(QStringLiteral("kaँ"));
  QCOMPARE(unknown.bytes, std::string("ka"));
  QCOMPARE(unknown.left_out.size(), std::size_t{1});
}

void FarewellWindowTest::devanagariLabelIsTheConvertersOutput() {
  FarewellWindow window(kSeed);
  sfc::Session session;
  session.PressDevanagariFontButton(sfc::DevanagariFont::kVedic);
  session.PressTranslitFontButton(sfc::TranslitFont::kUrwPalladioIt);
  for (int index = 0; index < kFarewellCardCount; ++index) {
    const auto& card = window.cards()[static_cast<std::size_t>(index)];
    const sfc::ConversionResult result = session.Convert(card.translit_bytes);
    QVERIFY(result.completed);
    const std::string expected = Trimmed(result.output);
    QVERIFY(!expected.empty());
    QCOMPARE(card.devanagari_bytes, expected);
    const auto* label = window.findChild<QLabel*>(QStringLiteral("Label3_%1").arg(index));
    if (sfc::ui::IsFontInstalled(QStringLiteral("Vedic"))) {
      QCOMPARE(label->text(),
               sfc::ui::GlyphBytesToText(expected, sfc::ui::HasSymbolCharMap(label->font())));
    }
  }
}

void FarewellWindowTest::withoutTheLegacyFontsTheVersesReadInUnicode() {
  if (sfc::ui::IsFontInstalled(QStringLiteral("Vedic")) &&
      sfc::ui::IsFontInstalled(QStringLiteral("URW Palladio IT"))) {
    QSKIP("the legacy fonts are installed here");
  }
  FarewellWindow window(kSeed);
  const std::vector<sfc::ui::FarewellCardText> texts = sfc::ui::LoadFarewellCards();
  // Card 5 (Bhagavad Gita IV, 16) and its Devanagari as typed.
  const auto* devanagari = window.findChild<QLabel*>(QStringLiteral("Label3_5"));
  const auto* translit = window.findChild<QLabel*>(QStringLiteral("Label2_5"));
  QCOMPARE(translit->text(), texts[5].verse);
  QVERIFY2(devanagari->text().startsWith(QStringLiteral("किं कर्म किमकर्मेति")),
           qPrintable(devanagari->text()));
  // Drawn in a system font that has the letters: the font actually used, and
  // no glyph of the line missing from it.
  const QString family = QFontInfo(devanagari->font()).family();
  QVERIFY2(
      family.startsWith(QStringLiteral("Noto ")) && family.endsWith(QStringLiteral("Devanagari")),
      qPrintable(family));
  const QFontMetrics metrics(devanagari->font());
  for (const QChar c : devanagari->text()) {
    if (c.unicode() >= 0x0900 && c.unicode() <= 0x097F) QVERIFY(metrics.inFont(c));
  }
  for (int index = 0; index < kFarewellCardCount; ++index) {
    const auto* line = window.findChild<QLabel*>(QStringLiteral("Label3_%1").arg(index));
    // Devanagari letters, and no Latin letter of a legacy font's bytes.
    const QString text = line->text();
    QVERIFY2(std::any_of(text.begin(), text.end(),
                         [](QChar c) { return c.unicode() >= 0x0905 && c.unicode() <= 0x0939; }) &&
                 std::none_of(text.begin(), text.end(),
                              [](QChar c) { return c.unicode() < 0x80 && c.isLetter(); }),
             qPrintable(text));
  }
  // The window says so.
  QVERIFY2(window.font_note()->text().contains(QStringLiteral("not installed")) &&
               window.font_note()->text().contains(family),
           qPrintable(window.font_note()->text()));
}

void FarewellWindowTest::firstCardIsOneOfTheLaterNine() {
  for (quint32 seed = 1; seed <= 200; ++seed) {
    FarewellWindow window(seed);
    window.Tick();
    const int card = window.last_placement().card;
    QVERIFY(card >= 6 && card < kFarewellCardCount);
  }
}

void FarewellWindowTest::manyTicksKeepTheRulesOfTheShow() {
  FarewellWindow window(kSeed);
  window.Open();
  window.timer().disconnect();  // the ticks here are run by hand
  const int dx = window.logicalDpiX();
  const int dy = window.logicalDpiY();
  std::map<int, int> times_shown;
  std::set<int> schemes;
  for (int tick = 0; tick < kManyTicks; ++tick) {
    const int before1 = window.slot_card(1);
    const int before2 = window.slot_card(2);
    const bool was_visible1 = window.card_frame(before1)->isVisible();
    const bool was_visible2 = window.card_frame(before2)->isVisible();
    window.Tick();
    const sfc::ui::FarewellPlacement& placed = window.last_placement();
    const int card = placed.card;
    ++times_shown[card];
    schemes.insert(placed.scheme);
    QVERIFY(placed.slot == 1 || placed.slot == 2);
    QVERIFY(card >= 0 && card < kFarewellCardCount);
    // Not a card on the window, nor the one the slot had.
    QVERIFY(card != before1 && card != before2);
    QVERIFY(!(card < 6 && before1 < 6 && before2 < 6));
    QCOMPARE(window.slot_card(placed.slot), card);
    QCOMPARE(window.slot_card(3 - placed.slot), placed.slot == 1 ? before2 : before1);
    // The slot's previous card has gone; the other slot's card stays.
    QVERIFY(!window.card_frame(placed.slot == 1 ? before1 : before2)->isVisible());
    if (placed.slot == 1 && was_visible2) QVERIFY(window.card_frame(before2)->isVisible());
    if (placed.slot == 2 && was_visible1) QVERIFY(window.card_frame(before1)->isVisible());
    QVERIFY(VisibleCards(window) <= 2);
    QVERIFY(window.card_frame(card)->isVisible());

    const auto size = kFarewellCardSizes[static_cast<std::size_t>(card)];
    if (placed.slot == 1) {
      QVERIFY(placed.top >= 0 && placed.top < 5000 - size.height);
    } else {
      QVERIFY(placed.top >= 5000 && placed.top < 10000 - size.height);
    }
    QVERIFY(placed.left >= 0 && placed.left < 14500 - size.width);
    QVERIFY(!(placed.left < 2000 && placed.top < 3000));  // the pictures stay clear
    QCOMPARE(window.card_frame(card)->pos(), QPoint(Twips(placed.left, dx), Twips(placed.top, dy)));

    QVERIFY(placed.scheme >= 1 && placed.scheme <= 3);
    const auto& colours = kSchemes[static_cast<std::size_t>(placed.scheme - 1)].colours;
    const char* const names[] = {"Label0", "Label2", "Label3"};
    for (std::size_t i = 0; i < 3; ++i) {
      const auto* label =
          window.findChild<QLabel*>(QStringLiteral("%1_%2").arg(QLatin1String(names[i])).arg(card));
      QVERIFY(label->autoFillBackground());
      QCOMPARE(label->palette().color(QPalette::Window), colours[2 * i]);
      QCOMPARE(label->palette().color(QPalette::WindowText), colours[2 * i + 1]);
    }
  }
  // Every card and every scheme comes up.
  QCOMPARE(static_cast<int>(times_shown.size()), kFarewellCardCount);
  QCOMPARE(static_cast<int>(schemes.size()), 3);
}

void FarewellWindowTest::theSameSeedGivesTheSameShow() {
  FarewellWindow first(kSeed);
  FarewellWindow second(kSeed);
  FarewellWindow other(kSeed + 1);
  bool differs = false;
  for (int tick = 0; tick < 100; ++tick) {
    first.Tick();
    second.Tick();
    other.Tick();
    const auto& a = first.last_placement();
    const auto& b = second.last_placement();
    QCOMPARE(a.card, b.card);
    QCOMPARE(a.slot, b.slot);
    QCOMPARE(a.scheme, b.scheme);
    QCOMPARE(a.left, b.left);
    QCOMPARE(a.top, b.top);
    if (other.last_placement().card != a.card) differs = true;
  }
  QVERIFY(differs);
}

void FarewellWindowTest::openShowsMaximizedOnceAndStartsTheTimer() {
  FarewellWindow window(kSeed);
  window.Tick();
  window.Open();
  QVERIFY(window.isVisible());
  QVERIFY(window.windowState() & Qt::WindowMaximized);
  QVERIFY(window.timer().isActive());
  QCOMPARE(VisibleCards(window), 0);  // the window opens with no card

  // A later resize and a minimize are left as they are.
  window.showNormal();
  window.resize(400, 300);
  QTest::qWait(50);
  QVERIFY(!(window.windowState() & Qt::WindowMaximized));
  QCOMPARE(window.size(), QSize(400, 300));
  window.showMinimized();
  QTest::qWait(50);
  QVERIFY(window.windowState() & Qt::WindowMinimized);
  QVERIFY(!(window.windowState() & Qt::WindowMaximized));

  // Opened again, it is not maximized again.
  window.hide();
  window.showNormal();
  window.hide();
  window.Open();
  QTest::qWait(50);
  QVERIFY(window.isVisible());
  QVERIFY(!(window.windowState() & Qt::WindowMaximized));
  QCOMPARE(window.size(), QSize(400, 300));
}

void FarewellWindowTest::timerRunsOnlyWhileShown() {
  FarewellWindow window(kSeed);
  QVERIFY(!window.timer().isActive());
  window.Open();
  QVERIFY(window.timer().isActive());
  window.hide();
  QVERIFY(!window.timer().isActive());
  // A focus gain while hidden does not start it.
  SendToWindow(&window, QEvent::WindowActivate);
  QVERIFY(!window.timer().isActive());
  window.Open();
  QVERIFY(window.timer().isActive());
}

void FarewellWindowTest::focusLossStopsAndFocusGainRestarts() {
  FarewellWindow window(kSeed);
  OpenAndSettle(window);
  window.Tick();
  window.Tick();
  QVERIFY(VisibleCards(window) > 0);
  SendToWindow(&window, QEvent::WindowDeactivate);
  QVERIFY(!window.timer().isActive());
  QVERIFY(VisibleCards(window) > 0);
  SendToWindow(&window, QEvent::WindowActivate);
  QVERIFY(window.timer().isActive());
  QCOMPARE(VisibleCards(window), 0);
}

void FarewellWindowTest::waitForAWhilePausesAndShallWeContinueResumes() {
  FarewellWindow window(kSeed);
  auto* wait = window.findChild<QPushButton*>(QStringLiteral("Command3"));
  auto* resume = window.findChild<QPushButton*>(QStringLiteral("Command2"));
  OpenAndSettle(window);
  window.Tick();
  window.Tick();
  window.Tick();
  const int card1 = window.slot_card(1);
  const int card2 = window.slot_card(2);
  const int shown = VisibleCards(window);
  QVERIFY(shown > 0);
  QVERIFY(wait->hasMouseTracking());

  // A mouse move over "Wait for a while" is enough.
  QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), wait->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(wait, &move);
  QVERIFY(window.paused());
  QVERIFY(!window.timer().isActive());
  QVERIFY(!wait->isVisible());
  QVERIFY(resume->isVisible());
  QCOMPARE(VisibleCards(window), shown);  // the cards stay
  QCOMPARE(window.slot_card(1), card1);
  QCOMPARE(window.slot_card(2), card2);

  QTest::mouseClick(resume, Qt::LeftButton);
  QVERIFY(!window.paused());
  QVERIFY(window.timer().isActive());
  QVERIFY(wait->isVisible());
  QVERIFY(!resume->isVisible());
  QCOMPARE(VisibleCards(window), shown);
}

void FarewellWindowTest::focusGainUnderPauseDoesNotRestart() {
  FarewellWindow window(kSeed);
  window.Open();
  MouseOver(window.findChild<QPushButton*>(QStringLiteral("Command3")));
  QVERIFY(window.paused());
  SendToWindow(&window, QEvent::WindowDeactivate);
  SendToWindow(&window, QEvent::WindowActivate);
  QVERIFY(!window.timer().isActive());
  QVERIFY(window.paused());
  QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
  QVERIFY(window.timer().isActive());
}

void FarewellWindowTest::namasteSignalsTheEndAfterAShortPause() {
  // Outside QApplication::exec() the quit that follows does nothing.
  FarewellWindow window(kSeed);
  window.Open();
  QSignalSpy ended(&window, &FarewellWindow::endRequested);
  QElapsedTimer clock;
  clock.start();
  MouseOver(window.findChild<QPushButton*>(QStringLiteral("Command1")));
  QCOMPARE(ended.count(), 0);
  QVERIFY(ended.wait(3000));
  QVERIFY(clock.elapsed() >= sfc::ui::kFarewellEndDelayMs - 50);
  QCOMPARE(ended.count(), 1);
  // Saying it twice ends once.
  MouseOver(window.findChild<QPushButton*>(QStringLiteral("Command1")));
  QTest::qWait(sfc::ui::kFarewellEndDelayMs + 100);
  QCOMPARE(ended.count(), 1);
}

namespace {

void ExpectChildEnds(const char* how) {
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QString::fromLatin1(kChildVariable), QString::fromLatin1(how));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  child.setProcessEnvironment(environment);
  child.start(QCoreApplication::applicationFilePath(), {});
  QVERIFY(child.waitForStarted(5000));
  QVERIFY2(child.waitForFinished(8000), how);
  QCOMPARE(child.exitStatus(), QProcess::NormalExit);
  QCOMPARE(child.exitCode(), 0);
  QVERIFY(child.readAllStandardOutput().contains("endRequested"));
}

}  // namespace

void FarewellWindowTest::namasteEndsTheProgram() { ExpectChildEnds("namaste"); }

void FarewellWindowTest::closingTheWindowEndsTheProgram() { ExpectChildEnds("close"); }

// As QTEST_MAIN, but the same executable also serves as the child process.
int main(int argc, char* argv[]) {
  const QByteArray child = qgetenv(kChildVariable);
  if (!child.isEmpty()) return RunChild(argc, argv, child);
  QApplication app(argc, argv);
  FarewellWindowTest test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}

#include "farewell_window_test.moc"
