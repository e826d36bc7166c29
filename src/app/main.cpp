#include "application.h"

#include "host/ui/main_form.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

#include <cstdio>

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velmora"));
  QApplication::setOrganizationName(QStringLiteral("Velmora"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Velmora — tranzyt NCTS2"));
  parser.addHelpOption();
  const QCommandLineOption db({QStringLiteral("db")}, QStringLiteral("Adres bazy danych (sqlite:PLIK, postgresql://...)."), QStringLiteral("URL"));
  const QCommandLineOption root({QStringLiteral("root")}, QStringLiteral("Katalog główny aplikacji."), QStringLiteral("KATALOG"));
  const QCommandLineOption user({QStringLiteral("user")}, QStringLiteral("Login użytkownika (bez okna logowania)."), QStringLiteral("LOGIN"));
  const QCommandLineOption module({QStringLiteral("module")}, QStringLiteral("Ścieżka biblioteki modułu."), QStringLiteral("PLIK"));
  const QCommandLineOption quit({QStringLiteral("quit-after-start")}, QStringLiteral("Zakończ po zbudowaniu okna głównego."));
  parser.addOptions({db, root, user, module, quit});
  parser.process(qapp);

  velmora::app::Application app({parser.value(db), parser.value(root), parser.value(user), parser.value(module)});
  QString error;
  QString platforma;  // what the training platform's start found on its port
  bool platforma_dziala = false;
  try {
    if (!app.LoadModule(&error)) throw std::runtime_error(error.toStdString());
    app.OpenDatabase();
    if (app.SeedDemoIfEmpty()) std::fprintf(stderr, "Utworzono dane demonstracyjne (użytkownik admin)\n");
    if (!app.ChooseUser(nullptr, &error)) throw std::runtime_error(error.toStdString());
    platforma_dziala = app.StartTrainingPlatform(&platforma);
    if (platforma_dziala) std::fprintf(stderr, "Środowisko szkoleniowe: platforma uruchomiona\n");
    if (!platforma.isEmpty()) std::fprintf(stderr, "%s\n", platforma.toUtf8().constData());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    if (!parser.isSet(quit)) QMessageBox::critical(nullptr, QStringLiteral("Velmora"), QString::fromUtf8(e.what()));
    return 1;
  }
  velmora::host::TMainForm* form = app.CreateMainForm();
  form->RestoreSession();
  if (parser.isSet(quit)) return 0;
  // A port held by another program leaves the training sends without their platform.
  if (!platforma_dziala && !platforma.isEmpty()) QMessageBox::warning(form, QStringLiteral("Velmora"), platforma);
  return qapp.exec();
}
