#include "document_dialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <tuple>

#include "atomic_file.h"
#include "byte_text.h"
#include "chain.h"
#include "document.h"
#include "sanideva_table.h"
#include "session.h"
#include "translit_letters.h"

namespace sfc::ui {

namespace {

using document::Conversion;
using document::DocumentReport;
using document::FontTarget;

constexpr std::uint64_t kLargest = std::uint64_t{1} << 30;

// Thrown from the conversion when the user cancels it.
struct Cancelled {};

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), text.size()); }
// A sample in a font (UTF-8 as the document holds it, symbol fonts as
// U+F0xx) as the font's bytes shown in that font.
QString FontSample(const std::string& text) {
  return TranslitBytesToText(GlyphTextToBytes(FromUtf8(text)).bytes);
}

const std::vector<std::string>& BuiltinFonts() {
  static const std::vector<std::string> fonts = [] {
    std::vector<std::string> names;
    for (const DevanagariFont font :
         {DevanagariFont::kVedic, DevanagariFont::kDevNatrajItr, DevanagariFont::kSanskrit99}) {
      names.emplace_back(FontName(font));
    }
    for (const TranslitFont font : {TranslitFont::kSanskritTimes, TranslitFont::kItrTransTimes,
                                    TranslitFont::kUrwPalladioIt}) {
      names.emplace_back(FontName(font));
    }
    return names;
  }();
  return fonts;
}

// What a font's text becomes, as `sfconv document --map FONT=FORM` takes
// it: "iast", "devanagari" or a font name.
FontTarget TargetFor(const std::string& font, const std::string& form) {
  FontTarget target;
  target.source_font = font;
  ChainPlan& plan = target.plan;
  if (const std::optional<TranslitFont> translit = FindTranslitFont(font)) {
    plan.from = TextForm::kTranslitFont;
    plan.pivot = *translit;
  } else {
    plan.from = TextForm::kDevanagariFont;
  }
  plan.from_font = font;
  if (form == "iast") {
    plan.to = TextForm::kIast;
  } else if (form == "devanagari") {
    plan.to = TextForm::kDevanagariUnicode;
    target.output_font = std::string(document::kDefaultDevanagariFont);
  } else if (const std::optional<TranslitFont> translit = FindTranslitFont(form)) {
    plan.to = TextForm::kTranslitFont;
    plan.pivot = *translit;
    target.output_font = form;
  } else {
    plan.to = TextForm::kDevanagariFont;
    target.output_font = form;
  }
  plan.to_font = form;
  plan.keep_blanks = true;
  target.unicode = plan.to == TextForm::kIast || plan.to == TextForm::kDevanagariUnicode;
  return target;
}

std::string Describe(const FontTarget& target) {
  switch (target.plan.to) {
    case TextForm::kIast:
      return "IAST (Unicode) in the body font";
    case TextForm::kDevanagariUnicode:
      return "Unicode Devanagari in \"" + target.output_font + "\"";
    default:
      return "the font \"" + target.output_font + "\"";
  }
}

std::string ReadWhole(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    throw document::DocumentError("cannot read " + document::Quoted(path) +
                                  (std::filesystem::exists(path, ec)
                                       ? " (not a regular file)"
                                       : " (No such file or directory)"));
  }
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kLargest) {
    throw document::DocumentError(document::Quoted(path) + " is larger than 1 GiB; it is refused");
  }
  std::ifstream in(path, std::ios::binary);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(size))) {
    throw document::DocumentError("cannot read " + document::Quoted(path));
  }
  return bytes;
}

std::string ReportOf(const DocumentReport& report, const std::vector<FontTarget>& targets) {
  std::string text;
  if (report.converted.empty()) text += "No text in a font to convert was found.\n";
  for (const auto& [font, count] : report.converted) {
    std::string target = "?";
    for (const FontTarget& t : targets) {
      if (t.source_font == font) target = Describe(t);
    }
    text += "\"" + font + "\" -> " + target + ": " + std::to_string(count.runs) + " run(s), " +
            std::to_string(count.characters) + " character(s) read, " +
            std::to_string(count.converted) + " written\n";
  }
  for (const auto& [font, characters] : report.left_as_they_are) {
    text += "\"" + font + "\" left as it is (" + std::to_string(characters) + " character(s))\n";
  }
  for (const document::DocumentProblem& problem : report.problems) {
    text += problem.part + ", paragraph " + std::to_string(problem.paragraph) + ", \"" +
            problem.font + "\": " + problem.what + ": \"" + problem.context + "\"\n";
  }
  if (report.problem_count > report.problems.size()) {
    text += "... and " + std::to_string(report.problem_count - report.problems.size()) +
            " more problem(s)\n";
  }
  return text;
}

}  // namespace

// One reading or conversion of the document, shared with its thread.
struct DocumentDialog::Job {
  std::string path;
  bool dry_run = true;
  bool first = true;  // the first reading: the rows are made from it
  std::vector<FontTarget> targets;
  std::uint64_t total = 0;  // characters to convert, from the reading
  std::atomic<bool> cancel{false};
  std::atomic<std::uint64_t> done{0};
  // Set by the thread:
  std::optional<document::ConvertedDocument> result;
  std::string error;
  bool cancelled = false;
};

DocumentDialog::DocumentDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Convert a document"));
  setAccessibleName(QStringLiteral("Convert a document"));
  auto* layout = new QVBoxLayout(this);

  auto* file_row = new QHBoxLayout;
  file_ = new QLabel(QStringLiteral("No document chosen."), this);
  file_->setAccessibleName(QStringLiteral("Document"));
  file_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  choose_ = new QPushButton(QStringLiteral("&Choose..."), this);
  choose_->setAccessibleName(QStringLiteral("Choose the document"));
  file_row->addWidget(file_, 1);
  file_row->addWidget(choose_);
  layout->addLayout(file_row);

  fonts_ = new QGridLayout;
  const QStringList heads = {QStringLiteral("Font"), QStringLiteral("Sample as found"),
                             QStringLiteral("Sample converted"), QStringLiteral("Becomes")};
  for (int column = 0; column < heads.size(); ++column) {
    auto* head = new QLabel(QStringLiteral("<b>") + heads[column] + QStringLiteral("</b>"), this);
    head->setAccessibleName(heads[column]);
    fonts_->addWidget(head, 0, column);
  }
  none_ = new QLabel(QStringLiteral("Choose a .docx or .odt document."), this);
  none_->setAccessibleName(QStringLiteral("Fonts found"));
  fonts_->addWidget(none_, 1, 0, 1, 4);
  layout->addLayout(fonts_);

  progress_ = new QProgressBar(this);
  progress_->setAccessibleName(QStringLiteral("Progress"));
  progress_->setRange(0, 1000);
  progress_->setValue(0);
  layout->addWidget(progress_);

  auto* buttons = new QHBoxLayout;
  convert_ = new QPushButton(QStringLiteral("C&onvert and save..."), this);
  convert_->setAccessibleName(QStringLiteral("Convert and save"));
  convert_->setEnabled(false);
  convert_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("C&ancel conversion"), this);
  cancel_->setAccessibleName(QStringLiteral("Cancel the conversion"));
  cancel_->setEnabled(false);
  close_ = new QPushButton(QStringLiteral("C&lose"), this);
  close_->setAccessibleName(QStringLiteral("Close"));
  buttons->addStretch(1);
  buttons->addWidget(convert_);
  buttons->addWidget(cancel_);
  buttons->addWidget(close_);
  layout->addLayout(buttons);

  report_ = new QPlainTextEdit(this);
  report_->setReadOnly(true);
  report_->setAccessibleName(QStringLiteral("Report"));
  report_->setPlaceholderText(QStringLiteral("The report of the conversion."));
  layout->addWidget(report_, 1);

  connect(choose_, &QPushButton::clicked, this, &DocumentDialog::ChooseDocument);
  connect(convert_, &QPushButton::clicked, this, &DocumentDialog::Convert);
  connect(cancel_, &QPushButton::clicked, this, &DocumentDialog::Cancel);
  connect(close_, &QPushButton::clicked, this, &QDialog::close);

  auto* timer = new QTimer(this);
  timer->setInterval(100);
  connect(timer, &QTimer::timeout, this, [this] {
    if (job_ == nullptr || job_->dry_run || job_->total == 0) return;
    const std::uint64_t done = std::min(job_->done.load(), job_->total);
    progress_->setValue(static_cast<int>(done * 1000 / job_->total));
  });
  timer->start();
  resize(760, 480);
}

DocumentDialog::~DocumentDialog() {
  if (worker_ != nullptr) {
    job_->cancel = true;
    worker_->wait();
    delete worker_;
  }
}

void DocumentDialog::ChooseDocument() {
  const QString path =
      QFileDialog::getOpenFileName(this, QStringLiteral("Convert a document"),
                                   input_.isEmpty() ? QString() : QFileInfo(input_).path(),
                                   QStringLiteral("Documents (*.docx *.odt *.DOCX *.ODT)"));
  if (!path.isEmpty()) OpenDocument(path);
}

void DocumentDialog::OpenDocument(const QString& path) {
  if (worker_ != nullptr) return;
  input_ = path;
  file_->setText(QFileInfo(path).fileName());
  file_->setToolTip(path);
  file_->setAccessibleDescription(path);
  report_->clear();
  auto job = std::make_shared<Job>();
  job->path = path.toStdString();
  for (const std::string& font : BuiltinFonts()) {
    job->targets.push_back(TargetFor(font, FindTranslitFont(font) ? "iast" : "devanagari"));
  }
  Start(job);
}

void DocumentDialog::Rescan() {
  if (worker_ != nullptr || input_.isEmpty()) return;
  auto job = std::make_shared<Job>();
  job->path = input_.toStdString();
  job->first = false;
  for (const auto& [font, form] : Mapping()) job->targets.push_back(TargetFor(font, form));
  Start(job);
}

std::vector<std::pair<std::string, std::string>> DocumentDialog::Mapping() const {
  std::vector<std::pair<std::string, std::string>> mapping;
  for (const FontRow& row : rows_) {
    const std::string form = row.target->currentData().toString().toStdString();
    if (!form.empty()) mapping.emplace_back(row.font, form);
  }
  return mapping;
}

void DocumentDialog::Convert() {
  if (worker_ != nullptr || input_.isEmpty()) return;
  auto job = std::make_shared<Job>();
  job->path = input_.toStdString();
  job->dry_run = false;
  job->first = false;
  for (const auto& [font, form] : Mapping()) job->targets.push_back(TargetFor(font, form));
  // The characters to convert, as the reading of the document counted them.
  if (job_ != nullptr && job_->result) {
    for (const FontTarget& target : job->targets) {
      const auto it = job_->result->report.converted.find(target.source_font);
      if (it != job_->result->report.converted.end()) job->total += it->second.characters;
    }
  }
  report_->setPlainText(QStringLiteral("Converting..."));
  Start(job);
}

void DocumentDialog::Cancel() {
  if (job_ != nullptr && worker_ != nullptr) job_->cancel = true;
}

void DocumentDialog::reject() {
  Cancel();
  QDialog::reject();
}

void DocumentDialog::Start(std::shared_ptr<Job> job) {
  job_ = job;
  worker_ = QThread::create([job] {
    auto sessions =
        std::make_shared<std::map<std::tuple<Direction, std::string, TranslitFont>, Session>>();
    const SessionMaker make_session = [sessions](Direction direction, const std::string& devanagari,
                                                 TranslitFont translit) {
      const auto key = std::make_tuple(direction, devanagari, translit);
      auto it = sessions->find(key);
      if (it == sessions->end()) {
        Session session;
        if (const std::optional<DevanagariFont> font = FindDevanagariFont(devanagari)) {
          session.PressDevanagariFontButton(*font);
        }
        session.PressTranslitFontButton(translit);
        session.ChooseDirection(direction);
        it = sessions->emplace(key, std::move(session)).first;
      }
      return it->second;
    };
    const document::SegmentConvert one = document::ChainConvert(make_session);
    const document::BatchConvert all = document::ChainConvertAll(make_session);
    Conversion conversion;
    conversion.targets = job->targets;
    conversion.convert = [job, one](const FontTarget& target, std::string_view bytes) {
      if (job->cancel) throw Cancelled{};
      document::SegmentResult result = one(target, bytes);
      job->done += bytes.size();
      return result;
    };
    conversion.convert_all = [job, all](const FontTarget& target,
                                        const std::vector<std::string_view>& stretches) {
      if (job->cancel) throw Cancelled{};
      std::vector<document::SegmentResult> results = all(target, stretches);
      for (const std::string_view stretch : stretches) job->done += stretch.size();
      if (job->cancel) throw Cancelled{};
      return results;
    };
    try {
      const auto format = document::FormatOfName(job->path);
      if (!format) {
        throw document::DocumentError(document::Quoted(job->path) +
                                      ": only .docx and .odt documents are converted here (save "
                                      "a .doc or .rtf as .docx, or use sfconv document)");
      }
      job->result = document::ConvertDocument(ReadWhole(job->path), job->path, *format, conversion);
    } catch (const Cancelled&) {
      job->cancelled = true;
    } catch (const std::bad_alloc&) {
      job->error = "out of memory";
    } catch (const std::exception& error) {
      job->error = error.what();
    }
  });
  connect(worker_, &QThread::finished, this, [this, job] {
    worker_->deleteLater();
    worker_ = nullptr;
    Finished(job);
  });
  SetBusy(true);
  if (job->dry_run) {
    progress_->setRange(0, 0);
  } else {
    progress_->setRange(0, 1000);
    progress_->setValue(0);
  }
  worker_->start();
}

void DocumentDialog::SetBusy(bool busy) {
  choose_->setEnabled(!busy);
  convert_->setEnabled(!busy && !rows_.empty());
  cancel_->setEnabled(busy && job_ != nullptr && !job_->dry_run);
  for (FontRow& row : rows_) row.target->setEnabled(!busy);
}

void DocumentDialog::Finished(const std::shared_ptr<Job>& job) {
  progress_->setRange(0, 1000);
  progress_->setValue(job->dry_run || !job->result ? 0 : 1000);
  if (job->dry_run) {
    if (!job->error.empty()) {
      if (job->first) {
        ClearRows();
        none_->setText(QStringLiteral("No fonts: the document could not be read."));
        none_->show();
      }
      report_->setPlainText(FromUtf8(job->error));
    } else {
      ShowFonts(*job);
    }
    SetBusy(false);
    emit fontsListed();
    return;
  }
  SetBusy(false);
  // A cancel that came while the last stretch was converted still keeps
  // nothing.
  if (job->cancelled || job->cancel) {
    report_->setPlainText(QStringLiteral("Cancelled: nothing was written."));
    emit converted();
    return;
  }
  if (!job->error.empty()) {
    report_->setPlainText(FromUtf8(job->error) + QStringLiteral("\nNothing was written."));
    emit converted();
    return;
  }
  std::string text = ReportOf(job->result->report, job->targets);
  const QString suggested = SuggestedOutput(input_);
  QString output =
      save_chooser_
          ? save_chooser_(suggested)
          : QFileDialog::getSaveFileName(
                this, QStringLiteral("Save the converted document"), suggested,
                QStringLiteral("Documents (*.") + QFileInfo(input_).suffix() + QStringLiteral(")"));
  std::error_code ec;
  if (output.isEmpty()) {
    text += "Not saved.";
  } else if (std::filesystem::equivalent(output.toStdString(), input_.toStdString(), ec)) {
    text += "Not saved: " + document::Quoted(output.toStdString()) +
            " is the document itself, which is never changed.";
  } else {
    try {
      AtomicFile file(std::filesystem::path(output.toStdString()));
      file.Write(job->result->bytes);
      file.Commit();
      text += "Saved as " + document::Quoted(output.toStdString()) + ".";
    } catch (const std::exception& error) {
      text += std::string("Not saved: ") + error.what();
    }
  }
  job->result->bytes.clear();  // the counts stay for the next conversion
  report_->setPlainText(FromUtf8(text));
  emit converted();
}

void DocumentDialog::ClearRows() {
  for (FontRow& row : rows_) {
    delete row.name;
    delete row.before;
    delete row.after;
    delete row.target;
  }
  rows_.clear();
}

void DocumentDialog::ShowFonts(const Job& job) {
  const DocumentReport& report = job.result->report;
  if (job.first) {
    ClearRows();
    int line = 1;
    for (const auto& [font, count] : report.converted) {
      FontRow row;
      row.font = font;
      const QString name = FromUtf8(font);
      row.name = new QLabel(name, this);
      row.name->setAccessibleName(QStringLiteral("Font ") + name);
      row.before = new QLabel(this);
      row.before->setAccessibleName(QStringLiteral("Sample of ") + name +
                                    QStringLiteral(" as found"));
      row.before->setFont(QFont(name, 12));
      row.after = new QLabel(this);
      row.after->setAccessibleName(QStringLiteral("Sample of ") + name +
                                   QStringLiteral(" converted"));
      row.target = new QComboBox(this);
      row.target->setAccessibleName(QStringLiteral("Target of ") + name);
      row.target->addItem(QStringLiteral("Unicode Devanagari"), QStringLiteral("devanagari"));
      row.target->addItem(QStringLiteral("IAST (Unicode)"), QStringLiteral("iast"));
      for (const std::string& other : BuiltinFonts()) {
        if (other != font) row.target->addItem(FromUtf8(other), FromUtf8(other));
      }
      row.target->addItem(QStringLiteral("Leave as it is"), QString());
      row.target->setCurrentIndex(FindTranslitFont(font) ? 1 : 0);
      row.name->setBuddy(row.target);
      fonts_->addWidget(row.name, line, 0);
      fonts_->addWidget(row.before, line, 1);
      fonts_->addWidget(row.after, line, 2);
      fonts_->addWidget(row.target, line, 3);
      connect(row.target, &QComboBox::currentIndexChanged, this, [this] { Rescan(); });
      rows_.push_back(row);
      ++line;
    }
    // The keyboard goes from the file to each font's target, then the buttons.
    QWidget* previous = choose_;
    for (const FontRow& row : rows_) {
      QWidget::setTabOrder(previous, row.target);
      previous = row.target;
    }
    QWidget::setTabOrder(previous, convert_);
    none_->setVisible(rows_.empty());
    none_->setText(QStringLiteral("No text in a legacy font was found."));
    if (!rows_.empty()) rows_.front().target->setFocus();
  }
  for (FontRow& row : rows_) {
    const auto it = report.converted.find(row.font);
    if (it != report.converted.end()) {
      row.before->setText(FontSample(it->second.sample_before));
      const FontTarget* target = nullptr;
      for (const FontTarget& t : job.targets) {
        if (t.source_font == row.font) target = &t;
      }
      if (target != nullptr && !target->unicode) {
        row.after->setText(FontSample(it->second.sample_after));
        row.after->setFont(QFont(FromUtf8(target->output_font), 12));
      } else {
        row.after->setText(FromUtf8(it->second.sample_after));
        QFont shown = font();
        shown.setPointSize(12);
        row.after->setFont(shown);
      }
    } else {
      row.after->setText(QStringLiteral("(left as it is)"));
      row.after->setFont(font());
    }
  }
  report_->setPlainText(FromUtf8(ReportOf(report, job.targets)));
}

QString DocumentDialog::SuggestedOutput(const QString& input) {
  const QFileInfo info(input);
  const QString base = info.path() + QLatin1Char('/') + info.completeBaseName();
  const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
  QString path = base + QStringLiteral("-converted") + suffix;
  for (int n = 2; QFileInfo::exists(path); ++n) {
    path = base + QStringLiteral("-converted-") + QString::number(n) + suffix;
  }
  return path;
}

QStringList DocumentDialog::FontsListed() const {
  QStringList fonts;
  for (const FontRow& row : rows_) fonts << FromUtf8(row.font);
  return fonts;
}

QComboBox* DocumentDialog::TargetOf(const QString& font) const {
  for (const FontRow& row : rows_) {
    if (FromUtf8(row.font) == font) return row.target;
  }
  return nullptr;
}

QString DocumentDialog::SampleBefore(const QString& font) const {
  for (const FontRow& row : rows_) {
    if (FromUtf8(row.font) == font) return row.before->text();
  }
  return {};
}

QString DocumentDialog::SampleAfter(const QString& font) const {
  for (const FontRow& row : rows_) {
    if (FromUtf8(row.font) == font) return row.after->text();
  }
  return {};
}

QString DocumentDialog::ReportText() const { return report_->toPlainText(); }

}  // namespace sfc::ui
