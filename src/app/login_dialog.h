#pragma once

#include "host/db/users.h"

#include <QDialog>

#include <vector>

class QListWidget;

namespace velmora::app {

// Choosing the user to work as: a list of the active users, Enter or double-click logs in.
class LoginDialog : public QDialog {
  Q_OBJECT
 public:
  LoginDialog(std::vector<host::TUser> users, QWidget* parent = nullptr);
  const host::TUser& Chosen() const { return users_.at(chosen_); }

 private:
  std::vector<host::TUser> users_;
  QListWidget* list_;
  int chosen_ = 0;
};

}  // namespace velmora::app
