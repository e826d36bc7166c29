#pragma once

#include "host/db/srodowisko.h"

#include <QDialog>
#include <QHash>
#include <QMap>

class QLabel;
class QLineEdit;

namespace velmora::host {

struct HostContext;

// The switch to production as a checklist: each point's fields and what it still lacks.
class TPrzejscieNaProdukcjeBox : public QDialog {
  Q_OBJECT
 public:
  // `values`: the options window's values by option id; the box edits the checklist's own.
  TPrzejscieNaProdukcjeBox(HostContext& ctx, QMap<QString, QString> values, QWidget* parent = nullptr);

  QLineEdit* Field(const QString& id) const { return fields_.value(id); }
  QLabel* Stan(int punkt) const { return stany_.value(punkt); }
  QMap<QString, QString> Values() const;
  // The finish button: refused in a message while a point is not done.
  bool Zakoncz();

 private:
  void Odswiez();

  HostContext& ctx_;
  QMap<QString, QString> values_;
  PrzejscieNaProdukcje logika_;
  QHash<QString, QLineEdit*> fields_;
  QList<QLabel*> stany_;
};

}  // namespace velmora::host
