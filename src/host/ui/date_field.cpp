#include "host/ui/date_field.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDate>
#include <QIcon>
#include <QLineEdit>
#include <QStyle>

namespace velmora::host {

QLineEdit* PoleDaty(QLineEdit* e) {
  if (e->property("velmora_data").toBool()) return e;
  e->setProperty("velmora_data", true);
  const QIcon icon = QIcon::fromTheme(QStringLiteral("x-office-calendar"), e->style()->standardIcon(QStyle::SP_FileDialogContentsView));
  QAction* a = e->addAction(icon, QLineEdit::TrailingPosition);
  a->setObjectName(e->objectName() + QStringLiteral("_Kalendarz"));
  a->setToolTip(QStringLiteral("Kalendarz"));
  QObject::connect(a, &QAction::triggered, e, [e] {
    if (!e->isEnabled() || e->isReadOnly()) return;
    auto* kalendarz = new QCalendarWidget(e);
    kalendarz->setWindowFlags(Qt::Popup);
    kalendarz->setAttribute(Qt::WA_DeleteOnClose);
    const QDate wpisana = QDate::fromString(e->text().trimmed(), Qt::ISODate);
    kalendarz->setSelectedDate(wpisana.isValid() ? wpisana : QDate::currentDate());
    QObject::connect(kalendarz, &QCalendarWidget::clicked, e, [e, kalendarz](const QDate& d) {
      e->setText(d.toString(Qt::ISODate));
      // As if typed: what follows a finished edit (a rate looked up ...) follows the pick too.
      emit e->editingFinished();
      kalendarz->close();
    });
    QObject::connect(kalendarz, &QCalendarWidget::activated, kalendarz, &QCalendarWidget::clicked);
    kalendarz->move(e->mapToGlobal(QPoint(0, e->height())));
    kalendarz->show();
  });
  return e;
}

}  // namespace velmora::host
