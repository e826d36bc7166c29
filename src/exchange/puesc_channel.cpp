#include "puesc_channel.h"

#include "exchange/incoming.h"
#include "frame/shared_state.h"
#include "host/db/customs_dictionary.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/base/plugin_paths.h"
#include "host/db/customs_dictionary.h"
#include "host/db/db.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/base/plugin_paths.h"
#include "host/db/srodowisko.h"
#include "host/xml/xml_document.h"
#include "frame/transit_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

#include <atomic>
#include <chrono>
#include <future>

namespace velmora::exchange {

PolaczeniePuesc CzytajPolaczeniePuesc(host::HostContext& ctx) {
  auto read = [&ctx](const char* section, const char* key, const char* def = "") {
    return ctx.options.ReadOption(QString::fromLatin1(section), QString::fromLatin1(key), QString::fromLatin1(def),
                                  host::OptionScope::Application)
        .trimmed();
  };
  PolaczeniePuesc p;
  p.login = read("KANAL_WYSYLKI", "ECIP_SEAP_ID");
  p.haslo = read("KANAL_WYSYLKI", "ECIP_SEAP_HASLO");
  p.adres = host::TPuescTools::GetServiceAddress(ctx.db, ctx.options);
  p.szkolenie = read("KANAL_WYSYLKI", "SRODOWISKO") == QLatin1String("SZKOLENIOWE");
  p.czekaj = read("KANAL_WYSYLKI", "CZEKAJ", "1") == QLatin1String("1");
  bool ok = false;
  const int sekundy = read("KANAL_WYSYLKI", "CZEKAJ_SEKUNDY", "75").toInt(&ok);
  p.czekaj_sekundy = ok ? sekundy : 75;
  if (read("PROXY", "USE", "0") == QLatin1String("1")) {
    p.proxy_user = read("PROXY", "USER");
    p.proxy_haslo = read("PROXY", "PASS");
    p.proxy_host = read("PROXY", "HOST");
    p.proxy_port = read("PROXY", "PORT", "8080").toInt();
  } else {
    p.proxy_domyslne = read("PROXY", "DEFAULT", "0") == QLatin1String("1");
  }
  return p;
}

QString OdmowaAdresuPuesc(const PolaczeniePuesc& p) { return p.szkolenie ? QString() : host::OdmowaAdresuPlatformy(p.adres); }

bool SilnikObslugujeWebService(const host::Db& db) {
  switch (db.GetEngine()) {
    case host::Engine::Sqlite:
    case host::Engine::Postgres:
      return true;
  }
  return false;
}

KlientPuesc::KlientPuesc(const QString& root) : library_(std::make_unique<QLibrary>(host::PuescClientPath(root))) {
  library_->load();
}

KlientPuesc::~KlientPuesc() {
  if (library_->isLoaded()) library_->unload();
}

bool KlientPuesc::Zaladowany() const { return library_->isLoaded(); }
KlientPuesc::AcceptFn KlientPuesc::Accept() const { return reinterpret_cast<AcceptFn>(library_->resolve("AcceptDocument")); }
KlientPuesc::BySysRefFn KlientPuesc::BySysRef() const { return reinterpret_cast<BySysRefFn>(library_->resolve("GetDocumentBySysRef")); }
KlientPuesc::DocumentsFn KlientPuesc::Documents() const { return reinterpret_cast<DocumentsFn>(library_->resolve("GetDocuments")); }

namespace {
std::atomic<qint64> czas_na_platformie{0};
}  // namespace

qint64 CzasOczekiwaniaNaPlatformeMs() { return czas_na_platformie.load(); }
void DodajCzasOczekiwaniaNaPlatforme(qint64 ms) { czas_na_platformie += ms; }

QString WywolajKlienta(const std::function<const char*()>& call) {
  QElapsedTimer zegar;
  zegar.start();
  auto answer = std::async(std::launch::async, [&call] { return QString::fromUtf8(call()); });
  while (answer.wait_for(std::chrono::milliseconds(30)) != std::future_status::ready) QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
  DodajCzasOczekiwaniaNaPlatforme(zegar.elapsed());
  return answer.get();
}

bool OdpowiedzKlienta(const QString& answer, const LogFn& log) {
  if (answer.isEmpty()) {
    log(QStringLiteral("Brak odpowiedzi z systemu - status dokumentu nieznany"));
    return false;
  }
  if (answer.startsWith(QLatin1Char('-'))) {
    log(answer);
    return false;
  }
  return true;
}

double DataCzasJakoLiczba(const QDateTime& t) {
  return static_cast<double>(QDate(1899, 12, 30).daysTo(t.date())) + t.time().msecsSinceStartOfDay() / 86400000.0;
}

bool Dalej(const PostepFn& postep, int done, int total, const LogFn& log) {
  if (!postep || postep(done, total)) return true;
  log(kOdbiorPrzerwany);
  return false;
}

void WczytajListeDokumentow(host::HostContext& ctx, const QString& katalog, const QString& lista, bool zalaczniki, const LogFn& log,
                            const PostepFn& postep) {
  xml::XmlDocumentPtr doc;
  try {
    doc = xml::LoadXMLData(lista);
  } catch (const xml::XmlParseError&) {
    log(lista);
    return;
  }
  const QDir dir(katalog);
  const auto dokumenty = doc->DocumentElement().ChildrenByLocalName(QStringLiteral("dokument"));
  int done = 0;
  for (const xml::XmlNode& d : dokumenty) {
    if (!Dalej(postep, done++, static_cast<int>(dokumenty.size()), log)) return;
    const QString path = dir.filePath(d.Attribute(QStringLiteral("nazwa")));
    try {
      const QString text = xml::LoadXMLDocument(path)->ToXml();
      log(WczytajKomunikat(ctx, text, path));
    } catch (const std::exception& e) {
      log(QStringLiteral("Błąd - ") + path + QStringLiteral(": ") + QString::fromUtf8(e.what()));
      continue;
    }
    if (!zalaczniki) continue;
    for (const xml::XmlNode& z : d.ChildrenByLocalName(QStringLiteral("zalacznik")))
      SaveAttach(ctx, dir.filePath(z.Attribute(QStringLiteral("nazwa"))), frame::OstatniWczytanyKomunikatId);
  }
}

qint64 SaveAttach(host::HostContext& ctx, const QString& path, qint64 message_id) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QByteArray body = f.readAll();
  host::Transaction tx(ctx.db);
  const qint64 id = ctx.db.DBGetNewID(QStringLiteral("GID_EMAIL_ATTACH"));
  ctx.db.Exec(QStringLiteral("insert into EMAIL_ATTACH (ID_EMAIL_ATTACH, ID_EMAIL_MSG, FILENAME, BODY) values (:ID, 0, :F, :B)"),
              {{QStringLiteral("ID"), id}, {QStringLiteral("F"), QFileInfo(path).fileName() + QStringLiteral(".pdf")}, {QStringLiteral("B"), body}});
  frame::TransitStore(ctx.db).UstawZalacznikPdf(message_id, id);
  tx.Commit();
  return id;
}

}  // namespace velmora::exchange
