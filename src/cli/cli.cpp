#include "cli.h"

#include "departure/declaration.h"
#include "departure/goods_item.h"
#include "departure/walidator.h"
#include "lists/tranzyty_pozycje.h"
#include "departure/security_amount.h"
#include "exchange/incoming.h"
#include "frame/transit_store.h"
#include "frame/codes.h"
#include "frame/shared_state.h"
#include "frame/text_formats.h"
#include "host/host_schema.h"
#include "host/xml/messages.h"
#include "lists/lista_tranzytow.h"
#include "exchange/outgoing_file.h"
#include "exchange/phase5.h"
#include "exchange/receive.h"
#include "exchange/send.h"
#include "frame/own_number.h"
#include "host/base/host_context.h"
#include "host/ui/scripted_dialogs.h"
#include "module/registrations.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/db/host_switches.h"
#include "host/db/options.h"
#include "host/base/plugin_paths.h"
#include "host/base/process_options.h"
#include "host/db/secret_store.h"
#include "host/ui/taric.h"
#include "host/db/tools_db.h"
#include "host/db/urzedy_celne.h"
#include "host/db/users.h"
#include "host/xml/document_checks.h"
#include "host/xml/schema.h"
#include "host/xml/xml_document.h"
#include "reference/dictionary_import.h"
#include "reference/slownik_ncts.h"
#include "reference/slownik_ncts_box.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace velmora::cli {

namespace {

const char* const kUsage =
    "Użycie: velmora-cli [--db URL] [--root KATALOG] [--user LOGIN] POLECENIE ...\n"
    "  init                                   utworzenie lub aktualizacja bazy danych\n"
    "  number ID_KOMUNIKATU                   numer własny komunikatu\n"
    "  load PLIK...                           wczytanie komunikatów z urzędu celnego\n"
    "  write ID_KOMUNIKATU PLIK [--yes]       zapis komunikatu do wysłania (podpisany)\n"
    "  option SEKCJA KLUCZ [WARTOSC] [--scope global|user|app] [--user ID|LOGIN]\n"
    "                                         hasło jako \"-\": czytane ze standardowego wejścia\n"
    "  user add LOGIN NAZWA [--admin] [--sysadmin] [--service] [--location TEKST]\n"
    "  dict SLOWNIK KOD                       kod w słowniku NCTS i jego opis\n"
    "  dict update KATALOG                    aktualizacja słowników i wykazu urzędów celnych z katalogu\n"
    "  validate PLIK...                       zgodność komunikatów ze schematem i regułami NCTS\n"
    "  send ID_KOMUNIKATU --channel file|mail|puesc [--path P]   wysłanie komunikatu (mail: P = konto)\n"
    "  receive --puesc --from DATA --to DATA [--read] | --mail KONTO [--new-only] | PLIK...\n"
    "  declaration import PLIK --register ID [--check]   zgłoszenie IE015 z innego systemu\n"
    "  security ID_KOMUNIKATU [--apply [--grn GRN]]  zabezpieczenie pozycji towarowych zgłoszenia\n"
    "  taric import PLIK                      kody CN (KOD;OPIS;CŁO;VAT)\n";

const QString kServiceLogin = QStringLiteral("SYSTEM");

struct UsageError {
  QString text;
};

struct Failure {
  QString text;
};

struct Context {
  std::unique_ptr<host::Db> db;
  host::SystemClock clock;
  host::CurrentUser user;
  std::unique_ptr<host::TOptionsDB> options;
  QString root;
  QTextStream* in = nullptr;  // where "-" values come from; standard input when none
  host::Switches switches;

  host::HostContext Host(host::Dialogs& dialogs) { return {*db, *options, user, clock, dialogs, root, nullptr, switches}; }
};

// Pulls "--name value" out of args; empty when absent.
QString TakeValue(QStringList& args, const QString& name) {
  const qsizetype i = args.indexOf(name);
  if (i < 0) return {};
  if (i + 1 >= args.size()) throw UsageError{QStringLiteral("Brak wartości opcji ") + name};
  const QString v = args.at(i + 1);
  args.remove(i, 2);
  return v;
}

bool TakeFlag(QStringList& args, const QString& name) { return args.removeAll(name) > 0; }

// What is left of the arguments once a command took its own options holds no option: an
// unknown one would otherwise be read as a file name or stored as a value.
void RefuseUnknownOptions(const QStringList& args) {
  for (const QString& a : args)
    if (a.startsWith(QLatin1String("--"))) throw UsageError{QStringLiteral("Nieznana opcja: ") + a};
}

host::TUser ServiceUser(host::Users& users) {
  if (auto u = users.FindByLogin(kServiceLogin)) return *u;
  host::NewUser nu;
  nu.login = kServiceLogin;
  nu.name = QStringLiteral("Konto usługowe");
  nu.service = true;
  return users.Add(nu);
}

int Init(Context& ctx, const QStringList& changes, QTextStream& out) {
  for (const QString& c : changes) out << c << '\n';
  host::ScriptedDialogs dialogs;
  host::HostContext host_ctx = ctx.Host(dialogs);
  // The shipped customs office list: whole into a new database, what changed after an upgrade.
  const auto zmiany = host::UrzedyCelne(host_ctx).WczytajDostarczony(host::ShippedSlownikiDir());
  if (zmiany) {
    for (const QString& line : zmiany->Log(false)) out << line << '\n';
  }
  const QString signer = host::InstallSigner(ctx.root);
  if (!signer.isEmpty()) out << "Biblioteka podpisu: " << signer << '\n';
  const QString client = host::InstallPuescClient(ctx.root);
  if (!client.isEmpty()) out << "Biblioteka PUESC: " << client << '\n';
  if (changes.isEmpty() && !zmiany) out << "Baza danych jest aktualna\n";
  out << "Baza danych: " << (ctx.db->FilePath().isEmpty() ? ctx.db->Url() : ctx.db->FilePath()) << '\n';
  return 0;
}

int Number(Context& ctx, QStringList args, QTextStream& out) {
  RefuseUnknownOptions(args);
  if (args.size() != 1) throw UsageError{QStringLiteral("Polecenie number wymaga identyfikatora komunikatu")};
  bool ok = false;
  const qint64 id = args.at(0).toLongLong(&ok);
  if (!ok) throw UsageError{QStringLiteral("Niepoprawny identyfikator komunikatu: ") + args.at(0)};
  if (!frame::TransitStore(*ctx.db).Komunikat(id))
    throw Failure{QStringLiteral("Nie znaleziono komunikatu o identyfikatorze %1").arg(id)};
  out << frame::NadajNrWlasny(*ctx.db, *ctx.options, ctx.clock, id) << '\n';
  return 0;
}

int LoadFiles(Context& ctx, const QStringList& files, QTextStream& out, QTextStream& err) {
  RefuseUnknownOptions(files);
  if (files.isEmpty()) throw UsageError{QStringLiteral("Polecenie load wymaga co najmniej jednego pliku")};
  host::ScriptedDialogs dialogs;
  host::HostContext host_ctx = ctx.Host(dialogs);
  bool failed = false;
  for (const QString& file : files) {
    QString line;
    QFile f(file);
    QString too_big;
    if (!f.open(QIODevice::ReadOnly)) {
      line = QStringLiteral("Błąd - Nie można otworzyć pliku ") + file;
    } else if (too_big = xml::OversizeRefusal(f.peek(4096), f.size()); !too_big.isEmpty()) {
      line = QStringLiteral("Błąd - ") + file + QStringLiteral(": ") + too_big;
    } else {
      try {
        // The bytes go before the load: only the text is kept while it runs.
        const QString text = xml::DecodeXmlBytes(f.readAll());
        line = exchange::WczytajKomunikat(host_ctx, text, QFileInfo(file).absoluteFilePath());
      } catch (const xml::XmlParseError& e) {
        line = QStringLiteral("Błąd - %1: %2 (wiersz %3)").arg(file, e.Message()).arg(e.Line());
      } catch (const std::exception& e) {
        line = QStringLiteral("Błąd - ") + file + QStringLiteral(": ") + QString::fromUtf8(e.what());
      }
    }
    // What the processing would have shown in a box goes to the error stream.
    for (const QString& text : dialogs.Texts()) err << text << '\n';
    dialogs.Clear();
    out << line << '\n';
    // Each file's line is out before the next file is read, whatever becomes of the run.
    out.flush();
    err.flush();
    // An answer loaded before, by an earlier run or by another loader, is no failure of this one.
    failed = failed || (line.startsWith(QStringLiteral("Błąd")) && !line.endsWith(QStringLiteral(" został już wczytany")));
  }
  return failed ? 1 : 0;
}

int WriteFile(Context& ctx, QStringList args, QTextStream& out, QTextStream& err) {
  const bool yes = TakeFlag(args, QStringLiteral("--yes"));
  RefuseUnknownOptions(args);
  if (args.size() != 2) throw UsageError{QStringLiteral("Polecenie write wymaga identyfikatora komunikatu i nazwy pliku")};
  bool ok = false;
  const qint64 id = args[0].toLongLong(&ok);
  if (!ok) throw UsageError{QStringLiteral("Niepoprawny identyfikator komunikatu: ") + args[0]};
  host::ScriptedDialogs dialogs;
  // A second write of a sent message goes ahead only when asked for.
  if (yes) dialogs.Answer(host::kIdYes);
  host::HostContext host_ctx = ctx.Host(dialogs);
  const QString result = exchange::ZapiszKomunikatDoPliku(host_ctx, id, QFileInfo(args[1]).absoluteFilePath());
  if (!result.isEmpty()) {
    err << result << '\n';
    return 1;
  }
  // A conversion that yields nothing writes nothing; it has told why in a message box.
  if (!QFile::exists(args[1])) {
    err << (dialogs.Texts().isEmpty() ? QStringLiteral("Nie zapisano komunikatu") : dialogs.Texts().last()) << '\n';
    return 1;
  }
  out << QFileInfo(args[1]).absoluteFilePath() << '\n';
  return 0;
}

// Every file checked whatever the others gave: the schema, then the rules; one line per finding.
int Validate(const QStringList& args, QTextStream& out, QTextStream&) {
  RefuseUnknownOptions(args);
  if (args.isEmpty()) throw UsageError{QStringLiteral("Polecenie validate wymaga nazwy pliku")};
  int status = 0;
  for (const QString& file : args) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
      out << file << ": Nie można otworzyć pliku\n";
      status = 1;
      continue;
    }
    try {
      const QByteArray bytes = f.readAll();
      const auto cc = exchange::SprawdzKomunikatCC(bytes);
      for (const departure::UstalenieKomunikatu& u : cc ? *cc : departure::SprawdzKomunikat(bytes)) {
        out << file << ": ";
        if (!u.kod.isEmpty()) out << u.kod << (u.sciezka.isEmpty() ? QString() : QLatin1Char(' ') + u.sciezka) << ": ";
        out << u.tekst << '\n';
        status = 1;
      }
    } catch (const xml::XmlParseError& e) {
      out << file << ": " << e.Message() << QStringLiteral(" (wiersz %1)").arg(e.Line()) << '\n';
      status = 1;
    }
  }
  return status;
}

// The wizards' log lines go to the output as they come, so a scheduled job can follow them.
exchange::LogFn LogTo(QTextStream& out) {
  return [&out](const QString& line) {
    out << line << '\n';
    out.flush();
  };
}

int Send(Context& ctx, QStringList args, QTextStream& out, QTextStream& err) {
  const QString channel = TakeValue(args, QStringLiteral("--channel"));
  const QString path = TakeValue(args, QStringLiteral("--path"));
  RefuseUnknownOptions(args);
  if (args.size() != 1) throw UsageError{QStringLiteral("Polecenie send wymaga identyfikatora komunikatu")};
  bool ok = false;
  const qint64 id = args[0].toLongLong(&ok);
  if (!ok) throw UsageError{QStringLiteral("Niepoprawny identyfikator komunikatu: ") + args[0]};
  const int kanal = channel == QLatin1String("file")    ? exchange::kKanalPlik
                    : channel == QLatin1String("mail")  ? exchange::kKanalEmailNcts
                    : channel == QLatin1String("puesc") ? exchange::kKanalPuesc
                                                        : 0;
  if (kanal == 0) throw UsageError{QStringLiteral("Nieznany kanał wysyłki: ") + channel};
  host::ScriptedDialogs dialogs;
  host::HostContext host_ctx = ctx.Host(dialogs);
  const QString odmowa = exchange::SprawdzWysylke(host_ctx, id);
  if (!odmowa.isEmpty()) throw Failure{odmowa};
  exchange::WysylkaKomunikatu wysylka(host_ctx, id);
  const QString pole = !path.isEmpty() ? QFileInfo(path).absoluteFilePath()
                       : kanal == exchange::kKanalPlik ? wysylka.SciezkaDomyslna()
                                                       : wysylka.KontoNadawcy();
  const QString wartosc = kanal == exchange::kKanalEmailNcts && !path.isEmpty() ? path : pole;
  const QString refusal = wysylka.SprawdzPole(kanal, wartosc);
  if (!refusal.isEmpty()) throw Failure{refusal};
  bool dostarczono = false;
  wysylka.Wyslij(kanal, wartosc, LogTo(out), &dostarczono);
  for (const QString& text : dialogs.Texts()) err << text << '\n';
  return dostarczono ? 0 : 1;
}

int Receive(Context& ctx, QStringList args, QTextStream& out, QTextStream& err) {
  host::ScriptedDialogs dialogs;
  host::HostContext host_ctx = ctx.Host(dialogs);
  exchange::OdbiorKomunikatow odbior(host_ctx);
  int status = 0;
  if (TakeFlag(args, QStringLiteral("--puesc"))) {
    const QDateTime od = QDateTime::fromString(TakeValue(args, QStringLiteral("--from")), Qt::ISODate);
    const QDateTime do_ = QDateTime::fromString(TakeValue(args, QStringLiteral("--to")), Qt::ISODate);
    const bool read = TakeFlag(args, QStringLiteral("--read"));
    RefuseUnknownOptions(args);
    if (!od.isValid() || !do_.isValid()) throw UsageError{QStringLiteral("Polecenie receive --puesc wymaga dat --from i --to (RRRR-MM-DDTGG:MM)")};
    status = odbior.ReceiveWS(od, do_, read, LogTo(out)) ? 0 : 1;
  } else if (const QString konto = TakeValue(args, QStringLiteral("--mail")); !konto.isEmpty()) {
    const bool tylko_nowe = TakeFlag(args, QStringLiteral("--new-only"));
    RefuseUnknownOptions(args);
    status = odbior.ZakladkaPoczta(konto, tylko_nowe, LogTo(out)) ? 0 : 1;
  } else {
    RefuseUnknownOptions(args);
    if (args.isEmpty()) throw UsageError{QStringLiteral("Polecenie receive wymaga --puesc, --mail albo plików")};
    status = odbior.WczytajPliki(args, LogTo(out)) ? 0 : 1;
  }
  for (const QString& text : dialogs.Texts()) err << text << '\n';
  return status;
}

int ImportDeclaration(Context& ctx, QStringList args, QTextStream& out, QTextStream& err) {
  if (args.isEmpty() || args.takeFirst() != QLatin1String("import")) throw UsageError{QStringLiteral("Znane polecenie zgłoszenia: declaration import")};
  const QString register_text = TakeValue(args, QStringLiteral("--register"));
  const bool check_only = TakeFlag(args, QStringLiteral("--check"));
  RefuseUnknownOptions(args);
  if (args.size() != 1 || register_text.isEmpty()) throw UsageError{QStringLiteral("Polecenie declaration import wymaga pliku i --register ID")};
  QFile f(args[0]);
  if (!f.open(QIODevice::ReadOnly)) throw Failure{QStringLiteral("Nie można otworzyć pliku ") + args[0]};
  if (const QString too_big = xml::OversizeRefusal(f.peek(4096), f.size()); !too_big.isEmpty()) throw Failure{args[0] + QStringLiteral(": ") + too_big};
  QString text;
  try {
    // Decoded as read, not rebuilt from a tree: the editor below builds the one tree it needs.
    text = xml::DecodeXmlBytes(f.readAll());
  } catch (const xml::XmlParseError& e) {
    throw Failure{QStringLiteral("%1: %2 (wiersz %3)").arg(args[0], e.Message()).arg(e.Line())};
  }
  // A CC015C from another system becomes a transit of its phase whatever the register's.
  const exchange::ImportCC cc = exchange::ImportujCC015C(text);
  if (!cc.odmowa.isEmpty()) throw Failure{args[0] + QStringLiteral(": ") + cc.odmowa};
  if (cc.cc) text = cc.ie_xml;
  if (const QString refusal = departure::SprawdzImportowanyTekst(text); !refusal.isEmpty()) throw Failure{args[0] + QStringLiteral(": ") + refusal};
  const int rejestr = register_text.toInt();
  if (!ctx.db->QueryOne(QStringLiteral("select ID_REJESTRY from REJESTRY where ID_REJESTRY = :ID"), {{QStringLiteral("ID"), rejestr}}))
    throw Failure{QStringLiteral("Nie znaleziono rejestru ") + register_text};
  host::ScriptedDialogs dialogs;
  host::HostContext host_ctx = ctx.Host(dialogs);
  departure::DeklaracjaIE015 deklaracja(host_ctx);
  deklaracja.UstawRejestr(rejestr);
  deklaracja.SetXML(text, true);
  auto bledy = deklaracja.Sprawdz(
      [&host_ctx](int slownik, const QString& kod) { return reference::TSlownikNCTS_BOX::JestKod(host_ctx, slownik, kod); });
  for (departure::BladPola& b : departure::SprawdzTowary(deklaracja.Dokument())) bledy.push_back(std::move(b));
  for (const departure::BladPola& b : bledy) err << b.pole << ": " << b.tekst << '\n';
  if (!bledy.empty()) return 1;
  if (check_only) {
    out << "Zgłoszenie poprawne\n";
    return 0;
  }
  const QString xml_text = deklaracja.GetXML();
  frame::AktywnyRejestr.Id = rejestr;
  lists::ListaTranzytow lista(host_ctx, frame::kRodzajWywoz);
  QVariantMap kolumny = deklaracja.KolumnyTranzytu();
  if (cc.cc) kolumny.insert(QStringLiteral("FAZA"), cc.faza);
  const qint64 tranzyt = lista.UtworzTranzyt(kolumny, frame::kAuto, xml_text);
  const auto t = ctx.db->QueryOne(QStringLiteral("select NUMER from TRANZYTY where ID_TRANZYTY = :T"), {{QStringLiteral("T"), tranzyt}});
  const qint64 komunikat = frame::TransitStore(*ctx.db).NajnowszyId(tranzyt);
  out << "Utworzono nowe zgłoszenie " << (t ? t->Str(QStringLiteral("NUMER")).trimmed() : QString()) << '\n' << komunikat << '\n';
  return 0;
}

// The totals written into the stored declaration as each item's amount, the way the goods
// item editor saves them, and stored as the message list stores an edited message.
int ZastosujZabezpieczenie(Context& ctx, host::HostContext& host_ctx, qint64 id, const QString& grn, QTextStream& out, QTextStream& err) {
  frame::TransitStore store(*ctx.db);
  const auto row = store.Komunikat(id);
  // A message whose transit is gone is as unknown as a missing one.
  const QVariant rodzaj = row ? ctx.db->QueryValue(QStringLiteral("select RODZAJ from TRANZYTY where ID_TRANZYTY = :T"),
                                                   {{QStringLiteral("T"), row->Int64(QStringLiteral("TRANZYTY_ID"))}})
                              : QVariant();
  if (!row || !rodzaj.isValid()) throw Failure{QStringLiteral("Nie znaleziono komunikatu o identyfikatorze %1").arg(id)};
  if (row->Int(QStringLiteral("STATUS")) >= 2) throw Failure{QStringLiteral("Komunikat został już wysłany - nie można go zmienić")};
  const QString xml_text = store.Xml(id);
  xml::Message m = xml::GetAnyMessage(xml::LoadXMLData(frame::NaprawXML(xml_text)));
  const int zapisane = departure::ZastosujZabezpieczenie(host_ctx, m, grn);
  if (zapisane == 0) {
    err << "Żadna pozycja nie ma obliczonej kwoty zabezpieczenia i numeru GRN\n";
    return 1;
  }
  lists::TranzytyPozycje lista(host_ctx, row->Int64(QStringLiteral("TRANZYTY_ID")), rodzaj.toInt());
  lista.Zapisz(lista.IstniejacyWiersz(id), m.Xml(), false);
  out << "Zapisano kwotę zabezpieczenia na pozycjach: " << zapisane << '\n';
  return 0;
}

int Security(Context& ctx, QStringList args, QTextStream& out, QTextStream& err) {
  const QString grn = TakeValue(args, QStringLiteral("--grn"));
  const bool apply = TakeFlag(args, QStringLiteral("--apply"));
  RefuseUnknownOptions(args);
  if (args.size() != 1) throw UsageError{QStringLiteral("Polecenie security wymaga identyfikatora komunikatu")};
  if (!grn.isEmpty() && !apply) throw UsageError{QStringLiteral("Opcja --grn działa tylko z --apply")};
  bool ok = false;
  const qint64 id = args[0].toLongLong(&ok);
  if (!ok) throw UsageError{QStringLiteral("Niepoprawny identyfikator komunikatu: ") + args[0]};
  const QString xml_text = frame::TransitStore(*ctx.db).Xml(id);
  if (xml_text.isEmpty()) throw Failure{QStringLiteral("Nie znaleziono komunikatu o identyfikatorze %1").arg(id)};
  host::ScriptedDialogs dialogs;
  host::HostContext host_ctx = ctx.Host(dialogs);
  std::vector<departure::LiniaZabezpieczenia> linie;
  try {
    linie = departure::ZabezpieczenieDeklaracji(host_ctx, xml_text);
  } catch (const xml::BindingError& e) {
    throw Failure{e.Text()};
  }
  for (const QString& l : departure::FormatujZabezpieczenie(linie)) out << l << '\n';
  bool brak_kursu = false;
  for (const auto& l : linie) brak_kursu = brak_kursu || l.odmowa.startsWith(QStringLiteral("BRAK kursu"));
  if (brak_kursu) err << "Brak kursu waluty dla co najmniej jednej pozycji\n";
  if (apply) return ZastosujZabezpieczenie(ctx, host_ctx, id, grn, out, err);
  return brak_kursu ? 1 : 0;
}

int Taric(Context& ctx, QStringList args, QTextStream& out) {
  RefuseUnknownOptions(args);
  if (args.size() != 2 || args[0] != QLatin1String("import")) throw UsageError{QStringLiteral("Polecenie taric wymaga: taric import PLIK")};
  QFile f(args[1]);
  if (!f.open(QIODevice::ReadOnly)) throw Failure{QStringLiteral("Nie można otworzyć pliku ") + args[1]};
  const host::WynikImportuTaric w = host::ImportujTaric(*ctx.db, f.readAll());
  if (!w.blad.isEmpty()) throw Failure{args[1] + QStringLiteral(": ") + w.blad};
  out << "Wczytano kodów CN: " << w.wczytano << '\n';
  return 0;
}

int Option(Context& ctx, QStringList args, QTextStream& out) {
  const QString scope_text = TakeValue(args, QStringLiteral("--scope"));
  const QString user_text = TakeValue(args, QStringLiteral("--user"));
  host::OptionScope scope = host::OptionScope::Global;
  if (scope_text == QLatin1String("user"))
    scope = host::OptionScope::User;
  else if (scope_text == QLatin1String("app"))
    scope = host::OptionScope::Application;
  else if (!scope_text.isEmpty() && scope_text != QLatin1String("global"))
    throw UsageError{QStringLiteral("Nieznany zakres opcji: ") + scope_text};
  RefuseUnknownOptions(args);
  if (args.size() < 2 || args.size() > 3)
    throw UsageError{QStringLiteral("Polecenie option wymaga sekcji i klucza")};
  if (!user_text.isEmpty()) {
    host::Users users(*ctx.db, ctx.clock);
    bool numeric = false;
    const int id = user_text.toInt(&numeric);
    auto u = numeric ? users.FindById(id) : users.FindByLogin(user_text);
    if (!u) throw Failure{QStringLiteral("Nie znaleziono użytkownika ") + user_text};
    ctx.user.Set(*u);
  }
  const bool secret = host::IsSecretOption(args[0], args[1]);
  if (args.size() == 3) {
    // A password typed on the command line stays in the shell's history; "-" reads it instead.
    QString value = args[2];
    if (secret && value == QLatin1String("-")) {
      QTextStream standard_input(stdin);
      value = (ctx.in ? *ctx.in : standard_input).readLine();
    }
    ctx.options->WriteOption(args[0], args[1], value, scope);
  } else {
    const QString value = ctx.options->ReadOption(args[0], args[1], QString(), scope);
    out << (secret && !value.isEmpty() ? QStringLiteral("********") : value) << '\n';
  }
  return 0;
}

int User(Context& ctx, QStringList args, QTextStream& out) {
  if (args.isEmpty() || args.takeFirst() != QLatin1String("add"))
    throw UsageError{QStringLiteral("Znane polecenie użytkownika: user add")};
  host::NewUser nu;
  nu.location = TakeValue(args, QStringLiteral("--location"));
  nu.admin = TakeFlag(args, QStringLiteral("--admin"));
  nu.sysadmin = TakeFlag(args, QStringLiteral("--sysadmin"));
  nu.service = TakeFlag(args, QStringLiteral("--service"));
  RefuseUnknownOptions(args);
  if (args.size() != 2) throw UsageError{QStringLiteral("Polecenie user add wymaga loginu i nazwy")};
  nu.login = args[0];
  nu.name = args[1];
  host::Users users(*ctx.db, ctx.clock);
  const host::TUser u = users.Add(nu);
  out << "Dodano użytkownika " << u.GetLOGIN() << " (" << u.GetID() << ")\n";
  return 0;
}

// A code of an NCTS dictionary; reads only the dictionary files, never the database.
int Dict(const QString& root, const QStringList& args, QTextStream& out) {
  RefuseUnknownOptions(args);
  if (args.size() != 2) throw UsageError{QStringLiteral("Polecenie dict wymaga numeru słownika i kodu")};
  bool numeric = false;
  const int key = args[0].toInt(&numeric);
  if (!numeric) throw UsageError{QStringLiteral("Niepoprawny numer słownika: ") + args[0]};
  host::ScriptedDialogs dialogs;
  reference::SlownikNCTS slownik(dialogs, root);
  if (!slownik.LoadSlownik(key)) throw Failure{dialogs.Texts().join(QLatin1Char('\n'))};
  // An empty code would match the first entry as its prefix.
  const qsizetype row = args[1].trimmed().isEmpty() ? -1 : slownik.Table().Locate(args[1]);
  if (row < 0) throw Failure{QStringLiteral("Kodu %1 nie ma w słowniku %2").arg(args[1]).arg(key)};
  const reference::SlownikRow& found = slownik.Table().Row(row);
  out << "Kod " << args[1] << " jest w słowniku " << key;
  if (found.kod != args[1]) out << " jako " << found.kod;  // a prefix of a longer code
  out << '\n' << found.opis << '\n';
  return 0;
}

// "Aktualizacja słowników" without the window: the folder's dictionaries into the root, its
// customs office list into the database, with every office added, changed or retired.
int DictUpdate(Context& ctx, const QStringList& args, QTextStream& out, QTextStream& err) {
  if (args.size() != 1) throw UsageError{QStringLiteral("Polecenie dict update wymaga katalogu")};
  if (!QFileInfo(args[0]).isDir()) throw Failure{QStringLiteral("Nie ma katalogu ") + args[0]};
  if (reference::DictionaryImport::UpdateFiles(args[0]).isEmpty())
    throw Failure{QStringLiteral("W katalogu ") + args[0] + QStringLiteral(" nie ma plików słowników")};
  host::ScriptedDialogs dialogs;
  host::HostContext host_ctx = ctx.Host(dialogs);
  const reference::ImportResult result = reference::DictionaryImport(ctx.root).Import(args[0], {}, &host_ctx);
  for (const QString& name : result.imported)
    if (name != QLatin1String(host::kPlikWykazuUC)) out << "Zaktualizowano słownik " << name << '\n';
  if (result.urzedy)
    for (const QString& line : result.urzedy->Log(true)) out << line << '\n';
  for (const QString& line : result.skipped) err << "Pominięto " << line << '\n';
  return result.skipped.isEmpty() ? 0 : 1;
}

}  // namespace

int Run(const QStringList& arguments, QTextStream& out, QTextStream& err, QTextStream* in) {
  // The options go with this run's database.
  struct ResetProcessOptions {
    ~ResetProcessOptions() { host::SetProcessOptions(nullptr); }
  } reset_process_options;
  QStringList args = arguments;
  try {
    Context ctx;
    ctx.in = in;
    QString url = TakeValue(args, QStringLiteral("--db"));
    ctx.root = TakeValue(args, QStringLiteral("--root"));
    // The global --user stands before the command; the option command has its own.
    QString login;
    if (!args.isEmpty() && args.first() == QLatin1String("--user")) login = TakeValue(args, QStringLiteral("--user"));
    if (args.isEmpty()) throw UsageError{QStringLiteral("Brak polecenia")};
    if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
      out << kUsage;
      return 0;
    }
    const QString command = args.takeFirst();
    if (command != QLatin1String("init") && command != QLatin1String("number") && command != QLatin1String("load") && command != QLatin1String("write") &&
        command != QLatin1String("option") && command != QLatin1String("user") && command != QLatin1String("dict") &&
        command != QLatin1String("validate") && command != QLatin1String("send") && command != QLatin1String("receive") &&
        command != QLatin1String("declaration") && command != QLatin1String("security") && command != QLatin1String("taric"))
      throw UsageError{QStringLiteral("Nieznane polecenie: ") + command};

    if (ctx.root.isEmpty()) ctx.root = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!host::MakePrivateDir(ctx.root)) throw Failure{QStringLiteral("Nie można utworzyć katalogu ") + ctx.root};
    const bool dict_update = command == QLatin1String("dict") && !args.isEmpty() && args.first() == QLatin1String("update");
    if (command == QLatin1String("dict") && !dict_update) return Dict(ctx.root, args, out);
    if (command == QLatin1String("validate")) return Validate(args, out, err);
    if (url.isEmpty()) url = QStringLiteral("sqlite:") + QDir(ctx.root).filePath(QStringLiteral("velmora.db"));

    module::Initialize();
    ctx.db = host::Db::Open(url);
    const QStringList changes = host::CheckChangeDB(*ctx.db);
    host::Users users(*ctx.db, ctx.clock);
    if (login.isEmpty()) {
      ctx.user.Set(ServiceUser(users));
    } else {
      auto u = users.FindByLogin(login);
      if (!u) throw Failure{QStringLiteral("Nie znaleziono użytkownika ") + login};
      ctx.user.Set(*u);
    }
    ctx.options = std::make_unique<host::TOptionsDB>(*ctx.db, ctx.user);
    // The signing library reads its certificate through the process's options.
    host::SetProcessOptions(ctx.options.get());
    // The site's switches, as the desktop program sets them at its start.
    host::ReadSiteSwitches(*ctx.options, ctx.switches);
    frame::CzytajPrzelaczniki(*ctx.options);

    if (command == QLatin1String("init")) return Init(ctx, changes, out);
    if (command == QLatin1String("number")) return Number(ctx, args, out);
    if (command == QLatin1String("option")) return Option(ctx, args, out);
    if (command == QLatin1String("load")) return LoadFiles(ctx, args, out, err);
    if (command == QLatin1String("write")) return WriteFile(ctx, args, out, err);
    if (command == QLatin1String("send")) return Send(ctx, args, out, err);
    if (command == QLatin1String("receive")) return Receive(ctx, args, out, err);
    if (command == QLatin1String("declaration")) return ImportDeclaration(ctx, args, out, err);
    if (command == QLatin1String("security")) return Security(ctx, args, out, err);
    if (command == QLatin1String("taric")) return Taric(ctx, args, out);
    if (dict_update) return DictUpdate(ctx, args.mid(1), out, err);
    return User(ctx, args, out);
  } catch (const UsageError& e) {
    err << e.text << '\n' << kUsage;
    return 2;
  } catch (const Failure& e) {
    err << e.text << '\n';
    return 1;
  } catch (const host::WykazUCError& e) {
    err << e.Text() << '\n';
    return 1;
  } catch (const host::UserError& e) {
    err << e.Text() << '\n';
    return 1;
  } catch (const host::DbError& e) {
    err << "Błąd bazy danych: " << e.Message() << '\n';
    return 1;
  } catch (const xml::XmlParseError& e) {
    err << "Błąd XML (wiersz " << e.Line() << "): " << e.Message() << '\n';
    return 1;
  } catch (const std::exception& e) {
    err << QString::fromUtf8(e.what()) << '\n';
    return 1;
  }
}

}  // namespace velmora::cli
