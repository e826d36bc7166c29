#include "host/ui/narzedzia_techniczne.h"

#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/dialogs.h"
#include "host/mail/email_client.h"
#include "host/base/host_context.h"
#include "host/ui/main_form.h"
#include "host/ui/window_registry.h"

#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

namespace velmora::host {

QString ZrzutBazy(Db& db, const QString& plik) {
  if (plik.trimmed().isEmpty()) return QStringLiteral("Należy podać plik kopii bazy danych");
  if (!QDir().mkpath(QFileInfo(plik).absolutePath()))
    return QStringLiteral("Nie można utworzyć katalogu ") + QFileInfo(plik).absolutePath();
  if (QFile::exists(plik) && !QFile::remove(plik)) return QStringLiteral("Nie można zastąpić pliku ") + plik;
  if (db.GetEngine() == Engine::Sqlite) {
    try {
      // A consistent copy of a database in use, written by the engine itself.
      db.Exec(QStringLiteral("VACUUM INTO :P"), {{QStringLiteral("P"), QFileInfo(plik).absoluteFilePath()}});
    } catch (const DbError& e) {
      QFile::remove(plik);
      return QStringLiteral("Nie udało się wykonać kopii bazy danych: ") + e.Message();
    }
    return {};
  }
  const QUrl u(db.Url());
  QStringList args{QStringLiteral("--no-owner"), QStringLiteral("--file"), plik, QStringLiteral("--host"),
                   u.host().isEmpty() ? QStringLiteral("127.0.0.1") : u.host(), QStringLiteral("--port"),
                   QString::number(u.port(5432)), QStringLiteral("--username"), u.userName()};
  const QString schema = QUrlQuery(u).queryItemValue(QStringLiteral("schema"));
  if (!schema.isEmpty()) args << QStringLiteral("--schema") << schema;
  args << u.path().mid(1);
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (!u.password().isEmpty()) env.insert(QStringLiteral("PGPASSWORD"), u.password());
  p.setProcessEnvironment(env);
  p.start(QStringLiteral("pg_dump"), args);
  if (!p.waitForStarted(10000)) return QStringLiteral("Nie można uruchomić programu pg_dump");
  p.waitForFinished(-1);
  if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    QFile::remove(plik);
    return QStringLiteral("Nie udało się wykonać kopii bazy danych: ") + QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
  }
  return {};
}

QString DomyslnyPlikZrzutu(const Db& db, const QString& root, const QDateTime& teraz) {
  const QString nazwa = QStringLiteral("velmora-%1%2")
                            .arg(teraz.toString(QStringLiteral("yyyyMMdd-HHmmss")),
                                 db.GetEngine() == Engine::Sqlite ? QStringLiteral(".db") : QStringLiteral(".sql"));
  return QDir(root.isEmpty() ? QDir::homePath() : root).filePath(QStringLiteral("KOPIE/") + nazwa);
}

QStringList OdbierzZPlikow(Db& db, const QStringList& pliki) {
  QStringList log;
  for (const QString& plik : pliki) {
    const QString nazwa = QFileInfo(plik).fileName();
    QFile f(plik);
    if (!f.open(QIODevice::ReadOnly)) {
      log << QStringLiteral("%1 - nie można odczytać pliku").arg(nazwa);
      continue;
    }
    MailMessage m;
    m.from = QStringLiteral("plik");
    m.subject = nazwa;
    m.attachments.push_back({nazwa, f.readAll()});
    // The file's content and time tell it apart, not when it was read: the same file twice is
    // stored once.
    m.date = QFileInfo(plik).lastModified();
    m.message_id = QStringLiteral("plik:") +
                   QString::fromLatin1(QCryptographicHash::hash(m.attachments.front().content, QCryptographicHash::Sha256).toHex());
    m.raw = m.attachments.front().content;
    if (MailJestWBazie(db, Mail_Hash(m))) {
      log << QStringLiteral("%1 - plik był już wczytany").arg(nazwa);
      continue;
    }
    try {
      log << (ZapiszIPrzekaz(db, 0, m) ? QStringLiteral("%1 - wczytano").arg(nazwa)
                                       : QStringLiteral("%1 - zapisano, żaden moduł nie przyjął pliku").arg(nazwa));
    } catch (const DbError& e) {
      log << QStringLiteral("%1 - błąd zapisu: %2").arg(nazwa, e.Message());
    }
  }
  return log;
}

TBackupBox::TBackupBox(HostContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
  setObjectName(QStringLiteral("TBackupBox"));
  setWindowTitle(QStringLiteral("Zrzut bazy danych"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout();
  auto* wiersz = new QHBoxLayout();
  plik_ = new QLineEdit(DomyslnyPlikZrzutu(ctx.db, ctx.root, ctx.clock.Now()), this);
  plik_->setObjectName(QStringLiteral("bePlik"));
  plik_->setMinimumWidth(420);
  auto* wybierz = new QPushButton(QStringLiteral("..."), this);
  connect(wybierz, &QPushButton::clicked, this, [this] {
    const QString f = QFileDialog::getSaveFileName(this, windowTitle(), plik_->text());
    if (!f.isEmpty()) plik_->setText(f);
  });
  wiersz->addWidget(plik_);
  wiersz->addWidget(wybierz);
  form->addRow(QStringLiteral("Plik kopii:"), wiersz);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(this);
  connect(buttons->addButton(QStringLiteral("Wykonaj"), QDialogButtonBox::AcceptRole), &QPushButton::clicked, this, [this] {
    if (Wykonaj()) accept();
  });
  connect(buttons->addButton(QStringLiteral("Zamknij"), QDialogButtonBox::RejectRole), &QPushButton::clicked, this, &QDialog::reject);
  layout->addWidget(buttons);
}

bool TBackupBox::Wykonaj() {
  const QString blad = ZrzutBazy(ctx_.db, plik_->text().trimmed());
  if (!blad.isEmpty()) {
    ctx_.dialogs.Blad(blad);
    return false;
  }
  ctx_.dialogs.Informacja(QStringLiteral("Zapisano kopię bazy danych do pliku ") + plik_->text().trimmed());
  return true;
}

TOdbierzDanezPlikuWiz::TOdbierzDanezPlikuWiz(HostContext& ctx, QWidget* parent) : TTabWizardBox(parent), ctx_(ctx) {
  setObjectName(QStringLiteral("TOdbierzDanezPlikuWiz"));
  setWindowTitle(QStringLiteral("Odbierz wiadomość"));
  auto* wybor = new QWidget(this);
  auto* l = new QVBoxLayout(wybor);
  lista_ = new QListWidget(wybor);
  auto* dodaj = new QPushButton(QStringLiteral("Dodaj pliki..."), wybor);
  connect(dodaj, &QPushButton::clicked, this, [this] {
    DodajPliki(QFileDialog::getOpenFileNames(this, QStringLiteral("Pliki z komunikatami"), QString(),
                                             QStringLiteral("XML (*.xml);;Wszystkie pliki (*)")));
  });
  l->addWidget(new QLabel(QStringLiteral("Pliki z komunikatami do wczytania:"), wybor));
  l->addWidget(lista_);
  l->addWidget(dodaj);
  AddPage(wybor, QStringLiteral("Wybierz pliki"));
  auto* wynik = new QWidget(this);
  auto* w = new QVBoxLayout(wynik);
  w->addWidget(CreateLog(wynik));
  AddPage(wynik, QStringLiteral("Wczytywanie plików"));
}

void TOdbierzDanezPlikuWiz::DodajPliki(const QStringList& pliki) {
  for (const QString& p : pliki)
    if (lista_->findItems(p, Qt::MatchExactly).isEmpty()) lista_->addItem(p);
}

int TOdbierzDanezPlikuWiz::GetNextPage(int page) {
  if (page == 0 && lista_->count() == 0) {
    ctx_.dialogs.Blad(QStringLiteral("Należy wybrać pliki do wczytania"));
    return -1;
  }
  return TTabWizardBox::GetNextPage(page);
}

void TOdbierzDanezPlikuWiz::InitCurrentPage(int page) {
  if (page != 1) return;
  QStringList pliki;
  for (int i = 0; i < lista_->count(); ++i) pliki << lista_->item(i)->text();
  for (const QString& linia : OdbierzZPlikow(ctx_.db, pliki)) Log(linia);
}

void RegisterNarzedziaTechniczne() {
  RegisterWindowClass(QStringLiteral("TBackupBox"), [](HostContext& ctx, const WindowArgs&) -> QWidget* {
    TBackupBox box(ctx, ctx.main_form);
    box.exec();
    return nullptr;
  });
  RegisterWindowClass(QStringLiteral("TOdbierzDanezPlikuWiz"), [](HostContext& ctx, const WindowArgs&) -> QWidget* {
    TOdbierzDanezPlikuWiz wiz(ctx, ctx.main_form);
    wiz.ShowBox(2, 2);
    return nullptr;
  });
}

}  // namespace velmora::host
