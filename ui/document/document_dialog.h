// "Convert a document...": a .docx or .odt chosen, the legacy fonts found in
// it with a sample of each before and after, a target per font, the
// conversion on a thread with a progress bar, the new document saved where
// the user says (never over the input) and the report shown.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QThread;

namespace sfc::ui {

class DocumentDialog : public QDialog {
  Q_OBJECT

 public:
  explicit DocumentDialog(QWidget* parent = nullptr);
  ~DocumentDialog() override;

  // Asks for the document with a file dialog and reads it.
  void ChooseDocument();
  // Reads the document at `path`: the fonts found are listed (on a thread;
  // fontsListed() follows).
  void OpenDocument(const QString& path);
  // Converts with the targets chosen (on a thread; converted() follows).
  void Convert();
  // Stops a conversion under way; nothing is written.
  void Cancel();

  // Where to save: given the suggested path, the path chosen or empty for
  // none. A file dialog unless set (tests set it).
  void SetSaveChooser(std::function<QString(const QString& suggested)> chooser) {
    save_chooser_ = std::move(chooser);
  }
  // The path suggested for the new document of `input`: beside it, never it.
  static QString SuggestedOutput(const QString& input);

  // What the window shows, for tests and screenshots.
  QStringList FontsListed() const;
  QComboBox* TargetOf(const QString& font) const;
  QString SampleBefore(const QString& font) const;
  QString SampleAfter(const QString& font) const;
  QString ReportText() const;
  bool Busy() const { return worker_ != nullptr; }
  QPushButton* ConvertButton() const { return convert_; }
  QPushButton* CancelButton() const { return cancel_; }
  QProgressBar* Progress() const { return progress_; }

 protected:
  // Closing the window cancels a conversion under way.
  void reject() override;

 signals:
  void fontsListed();
  // The conversion ended: saved, not saved, cancelled or failed.
  void converted();

 private:
  struct Job;
  struct FontRow {
    std::string font;
    QLabel* name = nullptr;
    QLabel* before = nullptr;
    QLabel* after = nullptr;
    QComboBox* target = nullptr;
  };

  std::vector<std::pair<std::string, std::string>> Mapping() const;
  void Start(std::shared_ptr<Job> job);
  void Finished(const std::shared_ptr<Job>& job);
  void ShowFonts(const Job& job);
  void ClearRows();  // the rows of fonts, gone from the window
  void Rescan();
  void SetBusy(bool busy);

  QString input_;
  QLabel* file_ = nullptr;
  QPushButton* choose_ = nullptr;
  QGridLayout* fonts_ = nullptr;
  QLabel* none_ = nullptr;
  std::vector<FontRow> rows_;
  QProgressBar* progress_ = nullptr;
  QPushButton* convert_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* close_ = nullptr;
  QPlainTextEdit* report_ = nullptr;
  QThread* worker_ = nullptr;
  std::shared_ptr<Job> job_;
  std::function<QString(const QString&)> save_chooser_;
};

}  // namespace sfc::ui
