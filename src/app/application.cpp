#include "application.h"

#include "host/host_schema.h"
#include "host/db/host_switches.h"

#include "demo_data.h"
#include "host/base/child_process.h"
#include "host/base/plugin_paths.h"
#include "host/base/process_options.h"
#include "host/db/secret_store.h"
#include "login_dialog.h"
#include "host/db/customs_dictionary.h"
#include "host/db/srodowisko.h"
#include "host/ui/gwarancje_win.h"
#include "host/ui/host_tables.h"
#include "host/ui/main_form.h"
#include "host/db/tools_db.h"
#include "host/db/urzedy_celne.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QDir>
#include <QStandardPaths>

#include <algorithm>

namespace velmora::app {

Application::Application(StartOptions options) : options_(std::move(options)) {
  if (options_.root.isEmpty()) options_.root = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  host::MakePrivateDir(options_.root);
  if (options_.db_url.isEmpty())
    options_.db_url = QStringLiteral("sqlite:") + QDir(options_.root).filePath(QStringLiteral("velmora.db"));
  if (options_.module.isEmpty())
    options_.module = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("velmora_module"));
}

Application::~Application() {
  // Ended without closing its window (a signal, a test): the session is kept all the same.
  if (main_form_ && main_form_->isVisible()) main_form_->SaveSession();
  main_form_.reset();
  if (platforma_ && platforma_->state() != QProcess::NotRunning) {
    platforma_->terminate();
    if (!platforma_->waitForFinished(3000)) platforma_->kill();
  }
  host::SetProcessOptions(nullptr);
  host::SetProcessContext(nullptr);
  if (module_.isLoaded()) {
    if (auto finalize = reinterpret_cast<void (*)()>(module_.resolve("Finalize"))) finalize();
  }
}

bool Application::LoadModule(QString* error) {
  module_.setFileName(options_.module);
  if (!module_.load()) {
    *error = QStringLiteral("Nie można załadować modułu %1: %2").arg(options_.module, module_.errorString());
    return false;
  }
  auto initialize = reinterpret_cast<void (*)()>(module_.resolve("Initialize"));
  if (!initialize) {
    *error = QStringLiteral("Moduł %1 nie ma funkcji Initialize").arg(options_.module);
    return false;
  }
  initialize();
  return true;
}

QStringList Application::OpenDatabase() {
  db_ = host::Db::Open(options_.db_url);
  const QStringList changes = host::CheckChangeDB(*db_);
  host_options_ = std::make_unique<host::TOptionsDB>(*db_, user_);
  host::SetProcessOptions(host_options_.get());
  ctx_.reset(new host::HostContext{*db_, *host_options_, user_, clock_, dialogs_, options_.root, nullptr});
  host::SetProcessContext(ctx_.get());
  // The shipped customs office list: whole on the first start, what changed after an upgrade.
  QStringList changes_done = changes;
  try {
    if (const auto zmiany = host::UrzedyCelne(*ctx_).WczytajDostarczony(host::ShippedSlownikiDir())) changes_done << zmiany->Log(false);
  } catch (const host::WykazUCError& e) {
    changes_done << e.Text();
  }
  host::RegisterHostWindows();
  host::RegisterGwarancjeWin();
  host::InstallSigner(options_.root);
  host::InstallPuescClient(options_.root);
  host::ReadSiteSwitches(*host_options_, ctx_->switches);
  // The module's own switches (FKAEM, FPRATT) it reads itself, from the same options.
  if (auto read = reinterpret_cast<void (*)(host::HostContext*)>(module_.resolve("CzytajPrzelaczniki"))) read(ctx_.get());
  return changes_done;
}

bool Application::SeedDemoIfEmpty() {
  if (db_->GetCountFieldVal(QStringLiteral("UZYTKOWNIK")) > 0) return false;
  SeedDemoData(*ctx_);
  // The module adds a transit to each list as its own editors would.
  if (auto seed = reinterpret_cast<void (*)(host::HostContext*)>(module_.resolve("SeedDemo"))) seed(ctx_.get());
  return true;
}

bool Application::ChooseUser(QWidget* parent, QString* error) {
  host::Users users(*db_, clock_);
  if (!options_.login.isEmpty()) {
    auto u = users.FindByLogin(options_.login);
    if (!u) {
      *error = QStringLiteral("Nie znaleziono użytkownika ") + options_.login;
      return false;
    }
    user_.Set(*u);
    return true;
  }
  LoginDialog dialog(users.List(), parent);
  if (dialog.exec() != QDialog::Accepted) {
    *error = QStringLiteral("Nie wybrano użytkownika");
    return false;
  }
  user_.Set(dialog.Chosen());
  return true;
}

namespace {

// Whether the command line is the training platform keeping its state in `katalog`.
bool PlatformaKatalogu(const QStringList& arguments, const QString& katalog) {
  const bool platforma = std::any_of(arguments.begin(), arguments.end(),
                                     [](const QString& a) { return a.endsWith(QLatin1String("puesc_sim.py")); });
  const qsizetype state = arguments.indexOf(QStringLiteral("--state"));
  return platforma && state >= 0 && state + 1 < arguments.size() &&
         QDir::cleanPath(QFileInfo(arguments[state + 1]).absoluteFilePath()) == QDir::cleanPath(QFileInfo(katalog).absoluteFilePath());
}

}  // namespace

bool Application::StartTrainingPlatform(QString* note) {
  const auto powiedz = [note](const QString& text) {
    if (note) *note = text;
  };
  if (host::CzytajSrodowisko(ctx_->options) != host::Srodowisko::Szkoleniowe) return false;
  const QUrl adres(host::TPuescTools::GetServiceAddress(*db_, ctx_->options));
  if (adres.host() != QLatin1String("127.0.0.1") && adres.host() != QLatin1String("localhost")) return false;
  const QString skrypt = QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/puesc-sim/puesc_sim.py");
  if (!QFile::exists(skrypt)) return false;
  const QString katalog = QDir(ctx_->root).filePath(QLatin1String(host::kKatalogSzkolenia));
  QDir().mkpath(katalog);
  const QString scenariusz = QDir(katalog).filePath(QStringLiteral("scenariusz.json"));
  if (!QFile::exists(scenariusz)) {
    QFile f(scenariusz);
    if (f.open(QIODevice::WriteOnly)) f.write(R"({"ie029_after": 5})");
  }
  const int port = adres.port(80);
  if (const auto holder = host::ListeningOn(port)) {
    // Left by a run that ended before its platform could (killed by an older version, or
    // started by hand): it serves this root, so it is ended and this run starts its own.
    if (holder->pid > 0 && PlatformaKatalogu(holder->arguments, katalog)) {
      if (!host::EndHolder(holder->pid, port, 3000)) {
        powiedz(QStringLiteral("Nie można zakończyć pozostawionej platformy szkoleniowej (PID %1), która zajmuje port %2.")
                    .arg(holder->pid)
                    .arg(port));
        return false;
      }
      powiedz(QStringLiteral("Zakończono platformę szkoleniową pozostawioną przez poprzednie uruchomienie (PID %1) na porcie %2.")
                  .arg(holder->pid)
                  .arg(port));
    } else {
      const QString kto = holder->pid > 0
                              ? QStringLiteral("inny program (PID %1: %2)").arg(QString::number(holder->pid), holder->arguments.join(QLatin1Char(' ')))
                              : QStringLiteral("program innego użytkownika");
      powiedz(QStringLiteral("Port %1 platformy szkoleniowej zajmuje %2. Platforma szkoleniowa nie została uruchomiona: "
                             "zakończ ten program albo zmień adres platformy szkoleniowej w słowniku celnym "
                             "(WEBSERVICE_URL, SZKOLENIE).")
                  .arg(port)
                  .arg(kto));
      return false;
    }
  }
  platforma_ = std::make_unique<QProcess>();
  // Ended by a signal, a crash or a logout, the program takes its platform along: the port is free again.
  host::EndWithParent(*platforma_);
  platforma_->setProgram(QStringLiteral("python3"));
  // What the platform holds is kept below the root: answers not yet fetched wait across restarts.
  platforma_->setArguments({skrypt, QStringLiteral("--port"), QString::number(port), QStringLiteral("--config"), scenariusz,
                            QStringLiteral("--state"), katalog});
  platforma_->setStandardOutputFile(QDir(katalog).filePath(QStringLiteral("platforma.log")));
  platforma_->setStandardErrorFile(QDir(katalog).filePath(QStringLiteral("platforma.log")), QIODevice::Append);
  platforma_->start();
  return platforma_->waitForStarted(5000);
}

host::TMainForm* Application::CreateMainForm() {
  main_form_ = std::make_unique<host::TMainForm>(*ctx_);
  dialogs_.SetParent(main_form_.get());
  main_form_->BuildMenus();
  return main_form_.get();
}

}  // namespace velmora::app
