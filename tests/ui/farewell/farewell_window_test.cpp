// The farewell window: its cards, its show and its endings.
#include "farewell_window.h"

#include <QtTest>
#include <QtWidgets>
#include <array>
#include <set>

#include "byte_text.h"
#include "farewell_cards.h"
#include "print_surface.h"
#include "session.h"

using namespace sfc::ui;

namespace {

constexpr quint32 kSeed = 20240611;

// The label colours (background, text) of each scheme for the English,
// transliteration and Devanagari labels.
const QRgb kSchemes[3][6] = {{0x80FFFF, 0x0000FF, 0x8080FF, 0xFFFFFF, 0xFF80FF, 0x0000C0},
                             {0xFFFF80, 0x0000FF, 0x60FF60, 0xC04000, 0x00CFFF, 0x0000FF},
                             {0xFF8080, 0x0000FF, 0xFF8030, 0xFFFF00, 0x00C000, 0x0000C0}};
const char *const kLabels[] = {"Label0", "Label2", "Label3"};  // English, IAST, Devanagari

QLabel *CardLabel(const FarewellWindow &window, int label, int card) {
  return window.findChild<QLabel *>(QStringLiteral("%1_%2").arg(kLabels[label]).arg(card));
}

QPushButton *Button(const FarewellWindow &window, const char *name) {
  return window.findChild<QPushButton *>(QString::fromLatin1(name));
}

void MouseOver(QWidget *widget) {
  const QPointF centre(widget->width() / 2.0, widget->height() / 2.0);
  QEnterEvent enter(centre, widget->mapToGlobal(centre), widget->mapToGlobal(centre));
  QCoreApplication::sendEvent(widget, &enter);
}

void SendToWindow(QWidget *window, QEvent::Type type) {
  QEvent event(type);
  QCoreApplication::sendEvent(window, &event);
}

int VisibleCards(const FarewellWindow &window) {
  int count = 0;
  for (int index = 0; index < kFarewellCardCount; ++index) {
    if (window.card_frame(index)->isVisible()) ++count;
  }
  return count;
}

}  // namespace

class FarewellWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cardsShowTheCardsFileWholeAndAreNamed() {
    const std::vector<FarewellCardText> texts = LoadFarewellCards();
    QCOMPARE(static_cast<int>(texts.size()), kFarewellCardCount);
    FarewellWindow window(kSeed);
    sfc::Session session;
    session.PressDevanagariFontButton(sfc::DevanagariFont::kVedic);
    session.PressTranslitFontButton(sfc::TranslitFont::kUrwPalladioIt);
    // Each label in its legacy font, or where that is missing the system font
    // of the line's Unicode reading.
    const QString legacy[] = {"Times New Roman", "URW Palladio IT", "Vedic"};
    const QString system[] = {legacy[0], UnicodeIastFamily(), UnicodeDevanagariFamily()};
    for (int index = 0; index < kFarewellCardCount; ++index) {
      const FarewellCardText &text = texts[static_cast<std::size_t>(index)];
      const FarewellCard &card = window.cards()[static_cast<std::size_t>(index)];
      const QGroupBox *frame = window.card_frame(index);
      QCOMPARE(frame->title(), text.caption);
      const auto size = kFarewellCardSizes[static_cast<std::size_t>(index)];
      QCOMPARE(frame->size(), QSize(Twips(size.width, frame->logicalDpiX()),
                                    Twips(size.height, frame->logicalDpiY())));
      // The verse in URW Palladio IT's bytes, every character kept; the
      // Devanagari the converter's output without its blanks.
      const IastBytes converted = IastToUrwPalladioBytes(text.verse);
      QVERIFY2(converted.left_out.empty(), qPrintable(text.caption));
      QCOMPARE(card.translit_bytes, converted.bytes);
      const std::string out = session.Convert(card.translit_bytes).output;
      const std::size_t first = out.find_first_not_of(' ');
      QVERIFY(first != std::string::npos);
      QCOMPARE(card.devanagari_bytes, out.substr(first, out.find_last_not_of(' ') - first + 1));
      const QString shown[] = {
          text.english,
          IsFontInstalled(legacy[1]) ? TranslitBytesToText(card.translit_bytes) : text.verse,
          GlyphBytesToText(card.devanagari_bytes,
                           HasSymbolCharMap(CardLabel(window, 2, index)->font()))};
      // Devanagari, then IAST, then English, one below the other, each whole:
      // a Devanagari verse too long for its card at 24 points is set smaller.
      int previous_bottom = 0;
      for (const int i : {2, 1, 0}) {
        const QLabel *label = CardLabel(window, i, index);
        const bool installed = IsFontInstalled(legacy[i]);
        QCOMPARE(label->parentWidget(), frame);
        QCOMPARE(label->font().family(), installed ? legacy[i] : system[i]);
        if (installed || i == 0) QCOMPARE(label->text(), shown[i]);
        // Without its font a verse reads in Unicode, drawn in a system font
        // that has every letter, with no Latin letter of a legacy font's bytes.
        const QFontMetrics metrics(label->font());
        for (const QChar c : label->text()) {
          QVERIFY(installed || i != 2 || (c.unicode() < 0x80 ? !c.isLetter() : metrics.inFont(c)));
        }
        QVERIFY(i == 2 ? label->font().pointSizeF() >= 10 && label->font().pointSizeF() <= 24
                       : label->font().pointSizeF() == 12);
        QVERIFY(label->y() >= previous_bottom && label->x() >= 0);
        QVERIFY(label->geometry().bottom() < frame->height() &&
                label->geometry().right() < frame->width());
        previous_bottom = label->geometry().bottom() + 1;
        const int need =
            label->fontMetrics()
                .boundingRect(QRect(0, 0, label->width(), 100000), Qt::TextWordWrap, label->text())
                .height();
        QVERIFY2(label->height() >= need, qPrintable(label->objectName()));
      }
    }
    // Card 5 as typed; the window names what draws verses whose font is missing.
    const QLabel *verse = CardLabel(window, 2, 5);
    const QString family = QFontInfo(verse->font()).family();
    if (!IsFontInstalled(legacy[2])) {
      QVERIFY(verse->text().startsWith(QStringLiteral("किं कर्म किमकर्मेति")));
      QVERIFY(family.startsWith("Noto ") && family.endsWith("Devanagari"));
      const QString note = window.font_note()->text();
      QVERIFY(note.contains("not installed") && note.contains(family));
    }
    // Every control is named, buttons and cards by what they show.
    for (const QWidget *widget : window.findChildren<QWidget *>()) {
      QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
      if (const auto *button = qobject_cast<const QPushButton *>(widget)) {
        QCOMPARE(button->accessibleName(), button->text());
      }
      if (const auto *frame = qobject_cast<const QGroupBox *>(widget)) {
        QCOMPARE(frame->accessibleName(), frame->title());
      }
    }
    // Both anusvaras, the danda as a slash, the rest as it is; a letter with
    // no byte is left out.
    const std::string anusvara(
        sfc::GetTranslitLetters(sfc::TranslitFont::kUrwPalladioIt)[sfc::Letter::kAnusvara]);
    QCOMPARE(IastToUrwPalladioBytes(QStringLiteral("ṁṃ|x'")).bytes, anusvara + anusvara + "/x'");
    const IastBytes unknown = IastToUrwPalladioBytes(QStringLiteral("kaँ"));
    QVERIFY(unknown.bytes == "ka" && unknown.left_out.size() == 1);
  }

  void manyTicksKeepTheRulesOfTheShow() {
    // The first card is one of the later nine, whatever the seed.
    for (quint32 seed = 1; seed <= 200; ++seed) {
      FarewellWindow window(seed);
      window.Tick();
      QVERIFY(window.last_placement().card >= 6);
    }
    FarewellWindow window(kSeed);
    FarewellWindow same(kSeed);
    window.Open();
    window.timer().disconnect();  // the ticks here are run by hand
    const int dx = window.logicalDpiX();
    const int dy = window.logicalDpiY();
    std::set<int> cards;
    std::set<int> schemes;
    for (int tick = 0; tick < 2000; ++tick) {
      const int before[] = {0, window.slot_card(1), window.slot_card(2)};
      const bool was_shown[] = {false, window.card_frame(before[1])->isVisible(),
                                window.card_frame(before[2])->isVisible()};
      window.Tick();
      const FarewellPlacement &placed = window.last_placement();
      const int card = placed.card;
      cards.insert(card);
      schemes.insert(placed.scheme);
      // The same seed gives the same show.
      same.Tick();
      QVERIFY(same.last_placement().card == card && same.last_placement().left == placed.left);
      QVERIFY(placed.slot == 1 || placed.slot == 2);
      // Not a card on the window, nor a third of the first six.
      QVERIFY(card != before[1] && card != before[2]);
      QVERIFY(!(card < 6 && before[1] < 6 && before[2] < 6));
      QCOMPARE(window.slot_card(placed.slot), card);
      QCOMPARE(window.slot_card(3 - placed.slot), before[3 - placed.slot]);
      // The slot's previous card has gone; the other slot's card stays.
      QVERIFY(!window.card_frame(before[placed.slot])->isVisible());
      QCOMPARE(window.card_frame(before[3 - placed.slot])->isVisible(), was_shown[3 - placed.slot]);
      QVERIFY(window.card_frame(card)->isVisible());
      const auto size = kFarewellCardSizes[static_cast<std::size_t>(card)];
      const int band = placed.slot == 1 ? 0 : 5000;
      QVERIFY(placed.top >= band && placed.top < band + 5000 - size.height);
      QVERIFY(placed.left >= 0 && placed.left < 14500 - size.width);
      QVERIFY(!(placed.left < 2000 && placed.top < 3000));  // the pictures stay clear
      QCOMPARE(window.card_frame(card)->pos(),
               QPoint(Twips(placed.left, dx), Twips(placed.top, dy)));
      const QRgb *colours = kSchemes[placed.scheme - 1];
      for (int i = 0; i < 3; ++i) {
        const QLabel *label = CardLabel(window, i, card);
        QCOMPARE(label->palette().color(QPalette::Window), QColor(colours[2 * i]));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(colours[2 * i + 1]));
      }
    }
    // Every card and every scheme comes up.
    QCOMPARE(static_cast<int>(cards.size()), kFarewellCardCount);
    QCOMPARE(static_cast<int>(schemes.size()), 3);
  }

  void theShowRunsOnlyWhileShownFocusedAndNotPaused() {
    FarewellWindow window(kSeed);
    QVERIFY(!window.isVisible() && !window.timer().isActive());
    const std::tuple<const char *, const char *, bool> buttons[] = {
        {"Command1", "Namaste", true},
        {"Command3", "Wait for a while", true},
        {"Command2", "Shall we continue?", false}};
    for (const auto &[name, caption, shown] : buttons) {
      QCOMPARE(Button(window, name)->text(), QString::fromLatin1(caption));
      QCOMPARE(Button(window, name)->isVisibleTo(&window), shown);
    }
    window.Tick();
    window.Open();
    QVERIFY(window.isVisible() && (window.windowState() & Qt::WindowMaximized));
    QVERIFY(window.timer().isActive() && VisibleCards(window) == 0);  // it opens with no card
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // A focus loss stops the show and keeps the cards; a focus gain clears
    // them and starts again.
    window.Tick();
    window.Tick();
    SendToWindow(&window, QEvent::WindowDeactivate);
    QVERIFY(!window.timer().isActive() && VisibleCards(window) > 0);
    SendToWindow(&window, QEvent::WindowActivate);
    QVERIFY(window.timer().isActive() && VisibleCards(window) == 0);
    // Hidden, it stops, and a focus gain does not start it.
    window.hide();
    QVERIFY(!window.timer().isActive());
    SendToWindow(&window, QEvent::WindowActivate);
    QVERIFY(!window.timer().isActive());
    // Opened again after the user made it small, it is not maximized again.
    window.showNormal();
    window.resize(400, 300);
    window.hide();
    window.Open();
    QTest::qWait(50);
    QVERIFY(window.isVisible() && window.timer().isActive());
    QVERIFY(!(window.windowState() & Qt::WindowMaximized));
    QCOMPARE(window.size(), QSize(400, 300));
    // A mouse move over "Wait for a while" pauses the show and keeps the
    // cards; a focus gain does not start it again; "Shall we continue?" does.
    QVERIFY(QTest::qWaitForWindowActive(&window));
    for (int i = 0; i < 3; ++i) window.Tick();
    const std::array cards{window.slot_card(1), window.slot_card(2), VisibleCards(window)};
    QVERIFY(cards[2] > 0);
    auto *wait = Button(window, "Command3");
    auto *resume = Button(window, "Command2");
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), wait->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(wait, &move);
    QVERIFY(window.paused() && !window.timer().isActive());
    QVERIFY(!wait->isVisible() && resume->isVisible());
    QCOMPARE((std::array{window.slot_card(1), window.slot_card(2), VisibleCards(window)}), cards);
    SendToWindow(&window, QEvent::WindowDeactivate);
    SendToWindow(&window, QEvent::WindowActivate);
    QVERIFY(window.paused() && !window.timer().isActive());
    QTest::mouseClick(resume, Qt::LeftButton);
    QVERIFY(!window.paused() && window.timer().isActive());
    QVERIFY(wait->isVisible() && !resume->isVisible());
  }

  // Namaste, after a pause in which the user sees the word said, or closing
  // signals the end once and ends the program's event loop.
  void namasteOrClosingEndsTheProgramOnce() {
    for (const bool namaste : {true, false}) {
      FarewellWindow window(kSeed);
      window.Open();
      QSignalSpy ended(&window, &FarewellWindow::endRequested);
      if (namaste) {
        MouseOver(Button(window, "Command1"));
        QCOMPARE(ended.count(), 0);  // not at once
      } else {
        QTimer::singleShot(0, &window, &QWidget::close);
      }
      QTimer::singleShot(10000, &window, [] { QCoreApplication::exit(3); });
      QCOMPARE(QApplication::exec(), 0);
      QCOMPARE(ended.count(), 1);
      // Said again afterwards, it ends no second time.
      MouseOver(Button(window, "Command1"));
      QTest::qWait(kFarewellEndDelayMs + 100);
      QCOMPARE(ended.count(), 1);
    }
  }
};

QTEST_MAIN(FarewellWindowTest)
#include "farewell_window_test.moc"
