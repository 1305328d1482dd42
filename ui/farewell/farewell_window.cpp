#include "farewell_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "byte_text.h"
#include "look.h"
#include "print_surface.h"
#include "session.h"

namespace sfc::ui {

namespace {

const QColor kBackground(0x00, 0xC0, 0xC0);

// The band of each slot is this high (twips); the cards move across this width.
constexpr int kBandHeight = 5000;
constexpr int kShowWidth = 14500;
// The pictures at the top left stay clear of cards: a card that would start
// above kClearTop and left of kClearLeft starts at kClearLeft.
constexpr int kClearLeft = 2000;
constexpr int kClearTop = 3000;

// A colour scheme: background and text of the English, transliteration and
// Devanagari labels.
struct LabelColours {
  QColor background;
  QColor text;
};
struct Scheme {
  LabelColours english;
  LabelColours translit;
  LabelColours devanagari;
};
const std::array<Scheme, 3> kSchemes = {{
    {{QColor(0x80, 0xFF, 0xFF), QColor(0x00, 0x00, 0xFF)},
     {QColor(0x80, 0x80, 0xFF), QColor(0xFF, 0xFF, 0xFF)},
     {QColor(0xFF, 0x80, 0xFF), QColor(0x00, 0x00, 0xC0)}},
    {{QColor(0xFF, 0xFF, 0x80), QColor(0x00, 0x00, 0xFF)},
     {QColor(0x60, 0xFF, 0x60), QColor(0xC0, 0x40, 0x00)},
     {QColor(0x00, 0xCF, 0xFF), QColor(0x00, 0x00, 0xFF)}},
    {{QColor(0xFF, 0x80, 0x80), QColor(0x00, 0x00, 0xFF)},
     {QColor(0xFF, 0x80, 0x30), QColor(0xFF, 0xFF, 0x00)},
     {QColor(0x00, 0xC0, 0x00), QColor(0x00, 0x00, 0xC0)}},
}};

// The labels inside a card (twips from the card's top left): the Devanagari
// starts at kDevanagariTop, the transliteration within [kTranslitTopMin,
// kTranslitTopMax] and the English within [kEnglishTopMin, kEnglishTopMax].
constexpr int kDevanagariTop = 225;
constexpr int kTranslitTopMin = 885;
constexpr int kTranslitTopMax = 1470;
constexpr int kEnglishTopMin = 1455;
constexpr int kEnglishTopMax = 2400;
constexpr int kLabelMargin = 75;
constexpr int kBottomMargin = 75;

void SetColours(QLabel* label, const LabelColours& colours) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::Window, colours.background);
  palette.setColor(QPalette::WindowText, colours.text);
  label->setPalette(palette);
}

std::string TrimBlanks(std::string text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace

FarewellWindow::FarewellWindow(quint32 seed, QWidget* parent)
    : QWidget(parent, Qt::Window), generator_(seed) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QString::fromLatin1(kFarewellTitle));
  setAccessibleName(windowTitle());
  SetBackground(this, kBackground);
  setFont(BoldFont(QStringLiteral("MS Sans Serif"), 8.25));
  const int dpi_x = logicalDpiX();
  const int dpi_y = logicalDpiY();
  resize(Twips(13575, dpi_x), Twips(11115, dpi_y));

  const auto place = [&](QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(Twips(left, dpi_x), Twips(top, dpi_y), Twips(width, dpi_x),
                        Twips(height, dpi_y));
  };
  const auto button = [&](const char* name, const char* caption) {
    auto* created = new QPushButton(QString::fromLatin1(caption), this);
    created->setObjectName(QString::fromLatin1(name));
    created->setAccessibleName(created->text());
    created->setMouseTracking(true);
    created->installEventFilter(this);
    return created;
  };
  namaste_ = button("Command1", "Namaste");
  place(namaste_, 90, 10365, 1290, 315);
  wait_ = button("Command3", "Wait for a while");
  place(wait_, 1500, 10365, 2250, 315);
  shall_we_ = button("Command2", "Shall we continue?");
  place(shall_we_, 1515, 10005, 2250, 315);
  shall_we_->hide();
  connect(shall_we_, &QPushButton::clicked, this, &FarewellWindow::Resume);

  const QPixmap ornament(QStringLiteral(":/farewell/ornament.png"));
  const auto picture = [&](const char* name, int left, int top) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setAccessibleName(QStringLiteral("Ornament"));
    label->setPixmap(ornament);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(label, left, top, 1755, 2070);
  };
  picture("Picture2", 30, 75);
  picture("Picture1", 7050, 4260);

  timer_.setParent(this);
  timer_.setObjectName(QStringLiteral("Timer1"));
  timer_.setInterval(kFarewellTickMs);
  connect(&timer_, &QTimer::timeout, this, &FarewellWindow::Tick);

  BuildCards();
}

void FarewellWindow::BuildCards() {
  const std::vector<FarewellCardText> texts = LoadFarewellCards();
  Session session;
  session.PressDevanagariFontButton(DevanagariFont::kVedic);
  session.PressTranslitFontButton(TranslitFont::kUrwPalladioIt);

  // The verses are for reading: where a legacy font is missing, its line is
  // drawn from its Unicode reading in a system font, and a note says so.
  const QString devanagari_family = QStringLiteral("Vedic");
  const QString translit_family = QStringLiteral("URW Palladio IT");
  const bool devanagari_legacy = IsFontInstalled(devanagari_family);
  const bool translit_legacy = IsFontInstalled(translit_family);
  const QFont devanagari_font =
      BoldFont(devanagari_legacy ? devanagari_family : UnicodeDevanagariFamily(), 24);
  const QFont translit_font = BoldFont(translit_legacy ? translit_family : UnicodeIastFamily(), 12);
  const QFont english_font = BoldFont(QStringLiteral("Times New Roman"), 12);
  for (std::size_t index = 0; index < cards_.size(); ++index) {
    FarewellCard& card = cards_[index];
    if (index < texts.size()) {
      const FarewellCardText& text = texts[index];
      card.caption = text.caption;
      card.english = text.english;
      card.translit_bytes = IastToUrwPalladioBytes(text.verse).bytes;
      card.devanagari_bytes = TrimBlanks(session.Convert(card.translit_bytes).output);
    }

    auto* frame = new QGroupBox(card.caption, this);
    frame->setObjectName(QStringLiteral("Frame1_%1").arg(index));
    frame->setAccessibleName(card.caption);
    SetBackground(frame, kBackground);
    frame->hide();
    const auto label = [&](const char* name, const QFont& font, const QString& role) {
      auto* created = new QLabel(frame);
      created->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
      created->setAccessibleName(card.caption + QStringLiteral(": ") + role);
      created->setTextFormat(Qt::PlainText);
      created->setWordWrap(true);
      created->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      created->setAutoFillBackground(true);
      created->setFont(font);
      return created;
    };
    devanagari_labels_[index] = label("Label3", devanagari_font, QStringLiteral("Devanagari"));
    devanagari_labels_[index]->setText(
        devanagari_legacy
            ? GlyphBytesToText(card.devanagari_bytes,
                               HasSymbolCharMap(devanagari_labels_[index]->font()))
            : QString::fromStdString(session.ToUnicode(card.devanagari_bytes, TextBox::kDevanagari))
                  .trimmed());
    translit_labels_[index] = label("Label2", translit_font, QStringLiteral("Transliteration"));
    translit_labels_[index]->setText(
        translit_legacy
            ? TranslitBytesToText(card.translit_bytes)
            : QString::fromStdString(session.ToUnicode(card.translit_bytes, TextBox::kTranslit))
                  .trimmed());
    english_labels_[index] = label("Label0", english_font, QStringLiteral("English"));
    english_labels_[index]->setText(card.english);
    frames_[index] = frame;
    LayOutCard(static_cast<int>(index));
  }

  QStringList missing;
  QStringList shown_in;
  if (!devanagari_legacy) {
    missing << devanagari_family;
    shown_in << devanagari_font.family();
  }
  if (!translit_legacy) {
    missing << translit_family;
    shown_in << translit_font.family();
  }
  font_note_ = new QLabel(this);
  font_note_->setObjectName(QStringLiteral("FontNote"));
  font_note_->setFont(BoldFont(QStringLiteral("MS Sans Serif"), 8.25));
  if (!missing.isEmpty()) {
    font_note_->setText(missing.join(QStringLiteral(" and ")) +
                        (missing.size() == 1 ? QStringLiteral(" is") : QStringLiteral(" are")) +
                        QStringLiteral(" not installed: the verses are shown in ") +
                        shown_in.join(QStringLiteral(" and ")) + QStringLiteral("."));
  }
  font_note_->setAccessibleName(font_note_->text());
  font_note_->setVisible(!missing.isEmpty());
  font_note_->setWordWrap(true);
  font_note_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  font_note_->setGeometry(Twips(3900, logicalDpiX()), Twips(10215, logicalDpiY()),
                          Twips(9600, logicalDpiX()), Twips(615, logicalDpiY()));
}

namespace {
constexpr double kDevanagariPointSize = 24;
constexpr double kDevanagariMinPointSize = 10;
}  // namespace

void FarewellWindow::LayOutCard(int index) {
  const auto at = static_cast<std::size_t>(index);
  const CardSize size = kFarewellCardSizes[at];
  const int dpi_x = logicalDpiX();
  const int dpi_y = logicalDpiY();
  frames_[at]->resize(Twips(size.width, dpi_x), Twips(size.height, dpi_y));
  QFont designed = devanagari_labels_[at]->font();
  designed.setPointSizeF(kDevanagariPointSize);
  devanagari_labels_[at]->setFont(designed);

  const int left = Twips(kLabelMargin, dpi_x);
  const int width = Twips(size.width - 2 * kLabelMargin, dpi_x);
  const auto text_height = [&](const QLabel* label) {
    return label->fontMetrics()
        .boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, label->text())
        .height();
  };
  // Each label starts as soon below the one above it as that one's text
  // allows, but no later than leaves room for the text below it; the tops
  // stay within their ranges.
  const int bottom = Twips(size.height - kBottomMargin, dpi_y);
  const int devanagari_top = Twips(kDevanagariTop, dpi_y);
  const int english_need = text_height(english_labels_[at]);
  const int translit_need = text_height(translit_labels_[at]);
  const int devanagari_need = text_height(devanagari_labels_[at]);
  const int english_latest = std::clamp(bottom - english_need, Twips(kEnglishTopMin, dpi_y),
                                        std::min(Twips(kEnglishTopMax, dpi_y), bottom));
  const int translit_latest = std::clamp(
      english_latest - translit_need, Twips(kTranslitTopMin, dpi_y), Twips(kTranslitTopMax, dpi_y));
  const int translit_top =
      std::clamp(devanagari_top + devanagari_need, Twips(kTranslitTopMin, dpi_y), translit_latest);
  const int english_top =
      std::clamp(translit_top + translit_need, Twips(kEnglishTopMin, dpi_y), english_latest);
  const int room = translit_top - devanagari_top;
  // A verse that does not fit at its designed size is shown whole in a
  // smaller one rather than cut.
  QLabel* devanagari = devanagari_labels_[at];
  QFont font = devanagari->font();
  while (text_height(devanagari) > room && font.pointSizeF() > kDevanagariMinPointSize) {
    font.setPointSizeF(font.pointSizeF() - 1);
    devanagari->setFont(font);
  }
  devanagari->setGeometry(left, devanagari_top, width, room);
  translit_labels_[at]->setGeometry(left, translit_top, width, english_top - translit_top);
  english_labels_[at]->setGeometry(left, english_top, width, bottom - english_top);
}

double FarewellWindow::Random() {
  // 32 random bits as a fraction in [0, 1).
  return static_cast<double>(generator_()) / 4294967296.0;
}

void FarewellWindow::Tick() {
  const int slot = static_cast<int>(2 * Random() + 1);
  const int draw = static_cast<int>(9 * Random() + 1);

  // A card not on the window, and never three of the first six at once.
  std::vector<int> allowed;
  for (int card = 0; card < kFarewellCardCount; ++card) {
    if (card == slot_card1_ || card == slot_card2_) continue;
    if (card < 6 && slot_card1_ < 6 && slot_card2_ < 6) continue;
    allowed.push_back(card);
  }
  const auto pick = static_cast<std::size_t>(Random() * static_cast<double>(allowed.size()));
  const int card = allowed[std::min(pick, allowed.size() - 1)];

  const CardSize size = kFarewellCardSizes[static_cast<std::size_t>(card)];
  int top = static_cast<int>(Random() * (kBandHeight - size.height));
  if (slot == 2) top += kBandHeight;
  int left = static_cast<int>(Random() * (kShowWidth - size.width));
  if (left < kClearLeft && top < kClearTop) left = kClearLeft;

  const int scheme = draw <= 4 ? 1 : (draw <= 7 ? 2 : 3);
  const Scheme& colours = kSchemes[static_cast<std::size_t>(scheme - 1)];
  const auto at = static_cast<std::size_t>(card);
  SetColours(english_labels_[at], colours.english);
  SetColours(translit_labels_[at], colours.translit);
  SetColours(devanagari_labels_[at], colours.devanagari);

  int& slot_card = slot == 1 ? slot_card1_ : slot_card2_;
  frames_[static_cast<std::size_t>(slot_card)]->hide();
  frames_[at]->move(Twips(left, logicalDpiX()), Twips(top, logicalDpiY()));
  frames_[at]->show();
  frames_[at]->raise();
  slot_card = card;
  last_placement_ = {slot, scheme, card, left, top};
}

void FarewellWindow::Open() {
  HideAllCards();
  paused_ = false;
  shall_we_->hide();
  wait_->show();
  if (!maximized_once_) {
    maximized_once_ = true;
    showMaximized();
  } else {
    show();
  }
  activateWindow();
  timer_.start();
}

void FarewellWindow::HideAllCards() {
  for (QGroupBox* frame : frames_) frame->hide();
}

void FarewellWindow::Pause() {
  if (paused_) return;
  paused_ = true;
  timer_.stop();
  wait_->hide();
  shall_we_->show();
}

void FarewellWindow::Resume() {
  if (!paused_) return;
  paused_ = false;
  if (isVisible()) timer_.start();
  shall_we_->hide();
  wait_->show();
}

void FarewellWindow::SayNamaste() {
  if (ending_) return;
  ending_ = true;
  timer_.stop();
  QTimer::singleShot(kFarewellEndDelayMs, this, &FarewellWindow::End);
}

void FarewellWindow::End() {
  emit endRequested();
  QCoreApplication::quit();
}

bool FarewellWindow::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::WindowActivate:
      if (isVisible()) {
        HideAllCards();
        if (!paused_ && !ending_) timer_.start();
      }
      break;
    case QEvent::WindowDeactivate:
      timer_.stop();
      break;
    default:
      break;
  }
  return QWidget::event(event);
}

bool FarewellWindow::eventFilter(QObject* watched, QEvent* event) {
  const bool over = event->type() == QEvent::Enter || event->type() == QEvent::MouseMove;
  if (over && watched == namaste_) SayNamaste();
  if (over && watched == wait_ && wait_->isVisible()) Pause();
  return QWidget::eventFilter(watched, event);
}

void FarewellWindow::hideEvent(QHideEvent* event) {
  timer_.stop();
  QWidget::hideEvent(event);
}

void FarewellWindow::closeEvent(QCloseEvent* event) {
  timer_.stop();
  event->accept();
  if (!ending_) {
    ending_ = true;
    emit endRequested();
  }
  QCoreApplication::quit();
}

}  // namespace sfc::ui
