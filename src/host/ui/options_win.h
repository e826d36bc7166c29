#pragma once

#include <QDialog>
#include <QHash>
#include <QMap>

class QLineEdit;

namespace velmora::host {

struct HostContext;

// The options window: one tab per group of settings.
class TOpcjeWin : public QDialog {
  Q_OBJECT
 public:
  explicit TOpcjeWin(HostContext& ctx, QWidget* parent = nullptr);
  QLineEdit* Field(const QString& id) const { return fields_.value(id); }
  void Save();
  // Opens the checklist; its finish stores the production environment with its values.
  void PrzejdzNaProdukcje();

 private:
  QMap<QString, QString> Values() const;

  HostContext& ctx_;
  QHash<QString, QLineEdit*> fields_;
};

}  // namespace velmora::host
