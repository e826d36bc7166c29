#pragma once

#include "host/ui/tab_wizard_box.h"

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <QStringList>

class QLineEdit;
class QListWidget;

namespace velmora::host {

class Db;
struct HostContext;

// A copy of the whole database in `plik`: the embedded one as a database file of its own, a
// PostgreSQL one as pg_dump's plain SQL (its schema only, when the address names one). Answers
// the reason when it fails, empty on success; a failed copy leaves no file.
QString ZrzutBazy(Db& db, const QString& plik);
// Where a copy goes by default: KOPIE/ below the root, named after the engine and the time.
QString DomyslnyPlikZrzutu(const Db& db, const QString& root, const QDateTime& teraz);

// Message files read as if they had come by mail: each is stored in the inbox (once: a file
// read again is told so) and offered to the packages' mail routines. One log line a file.
QStringList OdbierzZPlikow(Db& db, const QStringList& pliki);

// "Zrzut bazy danych" (service users): the target file, then the copy.
class TBackupBox : public QDialog {
  Q_OBJECT
 public:
  TBackupBox(HostContext& ctx, QWidget* parent = nullptr);
  QLineEdit* Plik() const { return plik_; }
  // Makes the copy into the file named; tells the outcome in a message box.
  bool Wykonaj();

 private:
  HostContext& ctx_;
  QLineEdit* plik_;
};

// "Odbierz wiadomość": message files chosen on the first page, read on the second.
class TOdbierzDanezPlikuWiz : public TTabWizardBox {
  Q_OBJECT
 public:
  TOdbierzDanezPlikuWiz(HostContext& ctx, QWidget* parent = nullptr);
  void DodajPliki(const QStringList& pliki);
  QListWidget* Lista() const { return lista_; }

 protected:
  int GetNextPage(int page) override;
  void InitCurrentPage(int page) override;

 private:
  HostContext& ctx_;
  QListWidget* lista_;
};

// Registers TBackupBox and TOdbierzDanezPlikuWiz: both run modally and leave no window.
void RegisterNarzedziaTechniczne();

}  // namespace velmora::host
