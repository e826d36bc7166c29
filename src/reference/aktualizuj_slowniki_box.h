#pragma once

#include "host/ui/edit_box.h"

class QLineEdit;
class QListWidget;

namespace velmora::reference {

// The host's "Aktualizacja słowników": choose a folder, see its dictionary files, import them.
class TAktualizujSlownikiBox : public host::TEditBox {
  Q_OBJECT
 public:
  explicit TAktualizujSlownikiBox(host::HostContext& ctx, QWidget* parent = nullptr);

  QLineEdit* FolderEdit() const { return folder_; }
  QListWidget* FileList() const { return files_; }

  host::FieldErrors Validate() override;
  bool actOkExecute() override;

 private:
  void Browse();
  void ListFiles();

  QLineEdit* folder_;
  QListWidget* files_;
};

}  // namespace velmora::reference
