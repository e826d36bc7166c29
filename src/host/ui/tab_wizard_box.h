#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QProgressDialog;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace velmora::host {

// Page navigation of a wizard without widgets: the current page and the pages we came
// through, so "back" retraces skipped pages the way they were walked.
class WizardFlow {
 public:
  void Reset(int page_count, int start_page);
  int Current() const { return current_; }
  int PageCount() const { return page_count_; }
  bool IsPage(int page) const { return page >= 0 && page < page_count_; }
  // The page we came to the current one from; -1 at the start.
  int Previous() const { return history_.empty() ? -1 : history_.back(); }
  const std::vector<int>& History() const { return history_; }

  // Forward to `page`, remembering where we were. False (and nothing changes) for a page
  // that does not exist or is the current one.
  bool Forward(int page);
  // Back to `page`: the history is cut at its last visit, so a later "back" goes on from
  // there. A page never visited becomes current with the history left as it is.
  bool Backward(int page);

 private:
  int page_count_ = 0;
  int current_ = -1;
  std::vector<int> history_;
};

// State of the navigation buttons for a page.
struct WizardButtons {
  bool back = false;
  bool next = false;
  bool finish = false;
};
WizardButtons WizardButtonsFor(bool can_go_back, bool is_last_page);

// A paged wizard. A subclass adds its pages and overrides the hooks; they are called in the
// order Load, GetStartPage, then InitCurrentPage for every page that becomes current,
// GetNextPage / GetBackPage on "Dalej >" / "< Wstecz", LastPageTest after each change and
// Save on "Zakończ".
class TTabWizardBox : public QDialog {
  Q_OBJECT

 public:
  explicit TTabWizardBox(QWidget* parent = nullptr);

  // Appends a page; answers its index.
  int AddPage(QWidget* page, const QString& title);
  int PageCount() const;
  QWidget* Page(int page) const;
  QString PageTitle(int page) const;
  int CurrentPage() const { return flow_.Current(); }
  const WizardFlow& Flow() const { return flow_; }

  // Loads and shows the start page (once; ShowBox does it when it was not done).
  void Start();
  bool IsStarted() const { return started_; }
  // Runs the box modally; answers GetBoxResult(). Mode and style are kept for the callers'
  // sake and change nothing.
  int ShowBox(int mode = 0, int style = 0);
  // 1 when the box was closed with "Zakończ", 0 otherwise.
  int GetBoxResult() const { return box_result_; }

  // A read-only log area for a page to embed; Log() writes to the last one created.
  QPlainTextEdit* CreateLog(QWidget* parent);
  // Appends a line and lets the screen repaint during long work (user input waits).
  void Log(const QString& line);
  const QStringList& LogLines() const { return log_lines_; }

  // Re-reads LastPageTest and GetBackPage into the buttons, e.g. after a page's field changed.
  void UpdateButtons();

  QPushButton* BackButton() const { return back_button_; }
  QPushButton* NextButton() const { return next_button_; }
  QPushButton* FinishButton() const { return finish_button_; }
  QPushButton* CancelButton() const { return cancel_button_; }

 public slots:
  // Each answers whether it did anything.
  bool Next();
  bool Back();
  bool Finish();
  void Cancel();

 protected:
  virtual void Load() {}
  virtual int GetStartPage() { return 0; }
  virtual void InitCurrentPage(int /*page*/) {}
  // The page after `page`; -1 to stay (e.g. the page's data was refused).
  virtual int GetNextPage(int page) { return page + 1; }
  // The page before `page`; -1 when there is none. Must only answer, as it is asked for
  // the state of "< Wstecz" too.
  virtual int GetBackPage(int page);
  virtual bool LastPageTest(int page) { return page == PageCount() - 1; }
  // False keeps the box open.
  virtual bool Save() { return true; }

 private:
  void ShowCurrent();

  WizardFlow flow_;
  bool started_ = false;
  int box_result_ = 0;
  QStringList page_titles_;
  QStringList log_lines_;
  QPointer<QPlainTextEdit> log_;

  QLabel* title_label_;
  QStackedWidget* pages_;
  QPushButton* back_button_;
  QPushButton* next_button_;
  QPushButton* finish_button_;
  QPushButton* cancel_button_;
};

// Long work a clerk watches advance and may stop (many answers, a large update, a long
// printout): the window shows once the work has taken `show_after_ms`, and its button stops
// the work between two of its steps.
class WorkProgress {
 public:
  WorkProgress(QWidget* parent, const QString& text, const QString& button, int show_after_ms = 1000);
  ~WorkProgress();
  // Told before each step (steps done, all steps); false once the clerk has pressed the button.
  std::function<bool(int, int)> Step() const;
  bool Stopped() const;
  // Gone before the work's result is shown.
  void Close();

 private:
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace velmora::host
