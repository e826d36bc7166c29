#include "host/ui/tab_wizard_box.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace velmora::host {

void WizardFlow::Reset(int page_count, int start_page) {
  page_count_ = page_count;
  history_.clear();
  current_ = IsPage(start_page) ? start_page : (page_count > 0 ? 0 : -1);
}

bool WizardFlow::Forward(int page) {
  if (!IsPage(page) || page == current_) return false;
  if (current_ >= 0) history_.push_back(current_);
  current_ = page;
  return true;
}

bool WizardFlow::Backward(int page) {
  if (!IsPage(page) || page == current_) return false;
  const auto last_visit = std::find(history_.rbegin(), history_.rend(), page);
  if (last_visit != history_.rend()) history_.erase(std::prev(last_visit.base()), history_.end());
  current_ = page;
  return true;
}

WizardButtons WizardButtonsFor(bool can_go_back, bool is_last_page) {
  return {can_go_back, !is_last_page, is_last_page};
}

TTabWizardBox::TTabWizardBox(QWidget* parent)
    : QDialog(parent),
      title_label_(new QLabel(this)),
      pages_(new QStackedWidget(this)),
      back_button_(new QPushButton(QStringLiteral("< Wstecz"), this)),
      next_button_(new QPushButton(QStringLiteral("Dalej >"), this)),
      finish_button_(new QPushButton(QStringLiteral("Zakończ"), this)),
      cancel_button_(new QPushButton(QStringLiteral("Anuluj"), this)) {
  QFont title_font = title_label_->font();
  title_font.setBold(true);
  title_font.setPointSizeF(title_font.pointSizeF() * 1.2);
  title_label_->setFont(title_font);

  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(back_button_);
  buttons->addWidget(next_button_);
  buttons->addWidget(finish_button_);
  buttons->addSpacing(12);
  buttons->addWidget(cancel_button_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title_label_);
  layout->addWidget(pages_, 1);
  layout->addWidget(line);
  layout->addLayout(buttons);

  connect(back_button_, &QPushButton::clicked, this, &TTabWizardBox::Back);
  connect(next_button_, &QPushButton::clicked, this, &TTabWizardBox::Next);
  connect(finish_button_, &QPushButton::clicked, this, &TTabWizardBox::Finish);
  connect(cancel_button_, &QPushButton::clicked, this, &TTabWizardBox::Cancel);

  UpdateButtons();
}

int TTabWizardBox::AddPage(QWidget* page, const QString& title) {
  page_titles_ << title;
  return pages_->addWidget(page);
}

int TTabWizardBox::PageCount() const { return pages_->count(); }

QWidget* TTabWizardBox::Page(int page) const { return pages_->widget(page); }

QString TTabWizardBox::PageTitle(int page) const { return page_titles_.value(page); }

int TTabWizardBox::GetBackPage(int /*page*/) { return flow_.Previous(); }

void TTabWizardBox::Start() {
  if (started_) return;
  started_ = true;
  Load();
  flow_.Reset(PageCount(), GetStartPage());
  ShowCurrent();
}

int TTabWizardBox::ShowBox(int /*mode*/, int /*style*/) {
  box_result_ = 0;
  Start();
  exec();
  return box_result_;
}

void TTabWizardBox::ShowCurrent() {
  const int page = flow_.Current();
  if (page < 0) {
    UpdateButtons();
    return;
  }
  pages_->setCurrentIndex(page);
  title_label_->setText(PageTitle(page));
  InitCurrentPage(page);
  UpdateButtons();
}

void TTabWizardBox::UpdateButtons() {
  const int page = flow_.Current();
  if (!started_ || page < 0) {
    back_button_->setEnabled(false);
    next_button_->setEnabled(false);
    finish_button_->setEnabled(false);
    return;
  }
  const int back = GetBackPage(page);
  const WizardButtons state = WizardButtonsFor(flow_.IsPage(back) && back != page, LastPageTest(page));
  back_button_->setEnabled(state.back);
  next_button_->setEnabled(state.next);
  finish_button_->setEnabled(state.finish);
  // Enter presses whichever moves the wizard on.
  (state.finish ? finish_button_ : next_button_)->setDefault(true);
}

bool TTabWizardBox::Next() {
  const int page = flow_.Current();
  if (!started_ || page < 0 || LastPageTest(page)) return false;
  if (!flow_.Forward(GetNextPage(page))) return false;
  ShowCurrent();
  return true;
}

bool TTabWizardBox::Back() {
  const int page = flow_.Current();
  if (!started_ || page < 0) return false;
  if (!flow_.Backward(GetBackPage(page))) return false;
  ShowCurrent();
  return true;
}

bool TTabWizardBox::Finish() {
  const int page = flow_.Current();
  if (!started_ || page < 0 || !LastPageTest(page)) return false;
  if (!Save()) return false;
  box_result_ = 1;
  accept();
  return true;
}

void TTabWizardBox::Cancel() {
  box_result_ = 0;
  reject();
}

QPlainTextEdit* TTabWizardBox::CreateLog(QWidget* parent) {
  auto* log = new QPlainTextEdit(parent);
  log->setReadOnly(true);
  log->setLineWrapMode(QPlainTextEdit::NoWrap);
  log->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
  log_ = log;
  return log;
}

void TTabWizardBox::Log(const QString& line) {
  log_lines_ << line;
  if (log_) log_->appendPlainText(line);
  // Repaint only: a click now would re-enter the work that is logging.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

WorkProgress::WorkProgress(QWidget* parent, const QString& text, const QString& button, int show_after_ms)
    : dialog_(std::make_unique<QProgressDialog>(text, button, 0, 0, parent)) {
  if (parent) dialog_->setWindowTitle(parent->windowTitle());
  dialog_->setWindowModality(Qt::WindowModal);
  dialog_->setMinimumDuration(show_after_ms);
}

WorkProgress::~WorkProgress() = default;

std::function<bool(int, int)> WorkProgress::Step() const {
  return [dialog = dialog_.get()](int done, int total) {
    dialog->setMaximum(total);
    dialog->setValue(done);
    return !dialog->wasCanceled();
  };
}

bool WorkProgress::Stopped() const { return dialog_->wasCanceled(); }

void WorkProgress::Close() { dialog_->reset(); }

}  // namespace velmora::host
