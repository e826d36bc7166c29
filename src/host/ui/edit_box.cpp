#include "host/ui/edit_box.h"

#include "host/base/clock.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QStyle>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::host {

namespace {
const QDate kBrakDaty(1900, 1, 1);
}  // namespace

void WielkieLitery(QLineEdit* e) {
  QObject::connect(e, &QLineEdit::textEdited, e, [e](const QString& t) {
    if (t == t.toUpper()) return;
    const int pos = e->cursorPosition();
    e->setText(t.toUpper());
    e->setCursorPosition(pos);
  });
}

bool KlawiszListy(const QKeyEvent* key) {
  return key->key() == Qt::Key_F4 || (key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier));
}

void PrzyciskListy(QLineEdit* e) {
  if (e->property("velmora_lista").toBool()) return;
  e->setProperty("velmora_lista", true);
  QAction* a = e->addAction(e->style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
  a->setToolTip(QStringLiteral("Lista (F4)"));
  QObject::connect(a, &QAction::triggered, e, [e] {
    if (!e->isEnabled() || e->isReadOnly()) return;
    e->setFocus();
    QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
    QCoreApplication::sendEvent(e, &f4);
  });
}

void PrzyciskiList(QWidget* box, std::initializer_list<const char*> properties) {
  for (QLineEdit* e : box->findChildren<QLineEdit*>())
    for (const char* p : properties)
      if (e->property(p).isValid()) PrzyciskListy(e);
}

QLineEdit* PoleFormularza(QWidget* parent, QFormLayout* form, const QString& name, const QString& caption, int max_length, bool upper) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  if (max_length > 0) e->setMaxLength(max_length);
  if (upper) WielkieLitery(e);
  auto* label = new QLabel(caption, parent);
  label->setBuddy(e);
  form->addRow(label, e);
  return e;
}

void DodajPrzyciski(QWidget* parent, QBoxLayout* row, std::initializer_list<Przycisk> przyciski) {
  for (const Przycisk& p : przyciski) {
    auto* b = new QPushButton(QString::fromUtf8(p.tekst), parent);
    b->setObjectName(QString::fromUtf8(p.nazwa));
    b->setAutoDefault(false);
    row->addWidget(b);
    QObject::connect(b, &QPushButton::clicked, b, p.akcja);
  }
  row->addStretch();
}

bool KlawiszSiatki(const QKeyEvent* key, const CzynnosciSiatki& czynnosci) {
  switch (key->key()) {
    case Qt::Key_Insert: czynnosci.dodaj(); return true;
    case Qt::Key_Delete: czynnosci.usun(); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: czynnosci.popraw(); return true;
    default: return false;
  }
}

QPlainTextEdit* PoleTekstowe(QFormLayout* form, const QString& name, const QString& caption, int max_height) {
  auto* t = new QPlainTextEdit(form->parentWidget());
  t->setObjectName(name);
  t->setTabChangesFocus(true);
  if (max_height > 0) t->setMaximumHeight(max_height);
  form->addRow(caption, t);
  return t;
}

bool EnterDoNastepnegoPola(QWidget* field, const QKeyEvent* key) {
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
  QWidget* next = field->nextInFocusChain();
  while (next != field && !(next->isVisible() && next->isEnabled() && (next->focusPolicy() & Qt::TabFocus)))
    next = next->nextInFocusChain();
  next->setFocus(Qt::TabFocusReason);
  return true;
}

void ObokPola(QFormLayout* form, QWidget* field, QWidget* beside) {
  static const char* const kLinia = "velmora_obok_pola";
  QWidget* holder = field->parentWidget();
  if (!holder || !holder->property(kLinia).toBool()) {
    int row = -1;
    QFormLayout::ItemRole role;
    form->getWidgetPosition(field, &row, &role);
    if (row < 0) {
      form->addRow(QString(), beside);
      return;
    }
    holder = new QWidget(field->parentWidget());
    holder->setProperty(kLinia, true);
    auto* line = new QHBoxLayout(holder);
    line->setContentsMargins(0, 0, 0, 0);
    form->removeWidget(field);
    line->addWidget(field, 1);
    form->setWidget(row, QFormLayout::FieldRole, holder);
  }
  beside->setParent(holder);
  static_cast<QHBoxLayout*>(holder->layout())->addWidget(beside);
}

TEditBox::TEditBox(HostContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
  setLayout(new QVBoxLayout(this));
}

void TEditBox::CreateDefaultButtons() {
  if (buttons_) return;
  buttons_ = new QDialogButtonBox(this);
  if (!view_mode_) {
    buttons_->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons_->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
  } else {
    buttons_->addButton(QStringLiteral("Zamknij"), QDialogButtonBox::RejectRole);
  }
  connect(buttons_, &QDialogButtonBox::accepted, this, [this] {
    if (actOkExecute()) accept();
  });
  connect(buttons_, &QDialogButtonBox::rejected, this, &TEditBox::reject);
  layout()->addWidget(buttons_);
}

bool TEditBox::actOkExecute() {
  if (view_mode_) return true;
  ReadFields();
  const FieldErrors errors = Validate();
  if (!errors.empty()) {
    ctx_.dialogs.Ostrzezenie(errors.front().second);
    FocusField(errors.front().first);
    return false;
  }
  if (const QString pole = PotwierdzUrzedy(ctx_, Urzedy()); !pole.isEmpty()) {
    FocusField(pole);
    return false;
  }
  result_ = 1;
  return true;
}

bool TEditBox::actCancelExecute() {
  result_ = 0;
  return true;
}

void TEditBox::reject() {
  if (actCancelExecute()) QDialog::reject();
}

QLineEdit* TEditBox::DodajPole(QFormLayout* form, const char* name, const char* caption, int max_length, bool upper) {
  QLineEdit* e = PoleFormularza(this, form, QString::fromUtf8(name), QString::fromUtf8(caption), max_length, upper);
  pola_.insert(e->objectName(), e);
  return e;
}

QWidget* TEditBox::PrzyciskiPola(QLineEdit* e, const std::function<void()>& wybierz, const std::function<void()>& wyczysc) {
  auto* w = new QWidget(this);
  auto* h = new QHBoxLayout(w);
  h->setContentsMargins(0, 0, 0, 0);
  auto przycisk = [&](const char* nazwa, const char* tekst, const std::function<void()>& akcja) {
    auto* b = new QToolButton(w);
    b->setObjectName(e->objectName() + QString::fromLatin1(nazwa));
    b->setText(QString::fromLatin1(tekst));
    h->addWidget(b);
    connect(b, &QToolButton::clicked, this, [this, akcja] {
      if (!ViewMode()) akcja();
    });
  };
  przycisk("_Wybierz", "...", wybierz);
  if (wyczysc) przycisk("_Wyczysc", "X", wyczysc);
  return w;
}

int TEditBox::ShowBox(int mode, int style) {
  Q_UNUSED(style);
  if (mode == 1) view_mode_ = true;
  result_ = 0;
  BeforeActivate();
  CreateDefaultButtons();
  Activate();
  exec();
  return result_;
}

TRecordEditBox::TRecordEditBox(HostContext& ctx, const TableSpec& table_spec, QWidget* parent)
    : TEditBox(ctx, parent), spec_(table_spec) {
  setWindowTitle(table_spec.caption);
  auto* form = new QFormLayout();
  form_ = form;
  for (const FieldSpec& f : table_spec.fields) {
    if (!f.in_editor) continue;
    QWidget* w = nullptr;
    if (!f.items.isEmpty()) {
      auto* c = new QComboBox(this);
      c->addItems(f.items);
      w = c;
    } else
    switch (f.type) {
      case FieldType::Integer:
      case FieldType::SmallInt:
        if (f.type == FieldType::SmallInt && f.width == 1) {
          w = new QCheckBox(this);
        } else {
          auto* s = new QSpinBox(this);
          s->setRange(-2147483647, 2147483647);
          w = s;
        }
        break;
      case FieldType::Float: {
        auto* s = new QDoubleSpinBox(this);
        s->setDecimals(4);
        s->setRange(-1e12, 1e12);
        w = s;
        break;
      }
      case FieldType::Date: {
        auto* d = new QDateEdit(this);
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        // The lowest date stands for "no date" and shows as an empty field.
        if (f.may_be_empty) {
          d->setMinimumDate(kBrakDaty);
          d->setSpecialValueText(QStringLiteral(" "));
        }
        w = d;
        break;
      }
      case FieldType::Memo: {
        auto* t = new QPlainTextEdit(this);
        t->setMinimumHeight(120);
        w = t;
        break;
      }
      default: {
        auto* e = new QLineEdit(this);
        if (f.width > 0) e->setMaxLength(f.width);
        if (f.secret) e->setEchoMode(QLineEdit::Password);
        w = e;
      }
    }
    w->setObjectName(f.column);
    widgets_.insert(f.column.toUpper(), w);
    form->addRow(f.caption + (f.required ? QStringLiteral(" *") : QString()), w);
  }
  static_cast<QVBoxLayout*>(layout())->addLayout(form);
}

void TRecordEditBox::Activate() {
  for (const FieldSpec& f : spec_.fields) {
    QWidget* w = widgets_.value(f.column.toUpper());
    if (!w) continue;
    const QVariant v = record_.value(f.column);
    if (auto* cb = qobject_cast<QComboBox*>(w)) cb->setCurrentIndex(std::clamp(v.toInt(), 0, cb->count() - 1));
    else if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(v.toString());
    else if (auto* c = qobject_cast<QCheckBox*>(w)) c->setChecked(v.toInt() != 0);
    else if (auto* s = qobject_cast<QSpinBox*>(w)) s->setValue(v.toInt());
    else if (auto* d = qobject_cast<QDoubleSpinBox*>(w)) d->setValue(v.toDouble());
    else if (auto* de = qobject_cast<QDateEdit*>(w)) de->setDate(v.toDate().isValid() ? v.toDate() : f.may_be_empty ? kBrakDaty : ctx_.clock.Today());
    // A long text stays readable and scrollable in view mode.
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
      t->setPlainText(v.toString());
      t->setReadOnly(view_mode_);
      continue;
    }
    w->setEnabled(!view_mode_);
  }
}

void TRecordEditBox::ReadFields() {
  for (const FieldSpec& f : spec_.fields) {
    QWidget* w = widgets_.value(f.column.toUpper());
    if (!w) continue;
    if (auto* cb = qobject_cast<QComboBox*>(w)) record_.insert(f.column, cb->currentIndex());
    else if (auto* e = qobject_cast<QLineEdit*>(w)) record_.insert(f.column, f.secret ? e->text() : e->text().trimmed());
    else if (auto* c = qobject_cast<QCheckBox*>(w)) record_.insert(f.column, c->isChecked() ? 1 : 0);
    else if (auto* s = qobject_cast<QSpinBox*>(w)) record_.insert(f.column, s->value());
    else if (auto* d = qobject_cast<QDoubleSpinBox*>(w)) record_.insert(f.column, d->value());
    else if (auto* de = qobject_cast<QDateEdit*>(w))
      record_.insert(f.column, f.may_be_empty && de->date() == kBrakDaty ? QVariant(QMetaType(QMetaType::QDate)) : QVariant(de->date()));
    else if (auto* t = qobject_cast<QPlainTextEdit*>(w)) record_.insert(f.column, t->toPlainText());
  }
}

QAbstractButton* TRecordEditBox::AddFieldButton(const QString& column, const QString& text, std::function<void()> action) {
  QWidget* field = FieldWidget(column);
  if (!field) return nullptr;
  auto* button = new QToolButton(this);
  button->setText(text);
  ObokPola(form_, field, button);
  connect(button, &QToolButton::clicked, this, [action] { action(); });
  return button;
}

FieldErrors TRecordEditBox::Validate() { return RecordStore(ctx_, spec_).Validate(record_); }

void TRecordEditBox::FocusField(const QString& field) {
  if (QWidget* w = widgets_.value(field.toUpper())) w->setFocus();
}

}  // namespace velmora::host
