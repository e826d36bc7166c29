#include "application.h"

#include "host/host_switches.h"

#include "demo_data.h"
#include "host/child_process.h"
#include "host/plugin_paths.h"
#include "host/process_options.h"
#include "host/secret_store.h"
#include "login_dialog.h"
#include "host/customs_dictionary.h"
#include "host/srodowisko.h"
#include "host/gwarancje_win.h"
#include "host/host_tables.h"
#include "host/main_form.h"
#include "host/tools_db.h"
#include "host/urzedy_celne.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUrl>
#include <QDir>
#include <QStandardPaths>

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
  ApplySiteSwitches();
  return changes_done;
}

void Application::ApplySiteSwitches() {
  const auto wlaczony = [this](const char* key) { return host::SiteSwitch(*host_options_, key); };
  host::FZADURODER = wlaczony("ZADURODER");
  using Przelacznik = bool* (*)(const char*);
  if (auto przelacznik = module_.isLoaded() ? reinterpret_cast<Przelacznik>(module_.resolve("Przelacznik")) : nullptr) {
    if (bool* f = przelacznik("FKAEM")) *f = wlaczony("KAEM");
    if (bool* f = przelacznik("FPRATT")) *f = wlaczony("PRATT");
  }
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

bool Application::StartTrainingPlatform() {
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
  // A platform already listening there (another workstation's) makes this one exit at once.
  platforma_ = std::make_unique<QProcess>();
  // Ended by a signal, a crash or a logout, the program takes its platform along: the port is free again.
  host::EndWithParent(*platforma_);
  platforma_->setProgram(QStringLiteral("python3"));
  // What the platform holds is kept below the root: answers not yet fetched wait across restarts.
  platforma_->setArguments({skrypt, QStringLiteral("--port"), QString::number(adres.port(80)), QStringLiteral("--config"), scenariusz,
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
