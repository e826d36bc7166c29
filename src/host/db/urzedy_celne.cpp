#include "host/db/urzedy_celne.h"

#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/dialogs.h"
#include "host/db/generator_block.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "host/db/users.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace velmora::host {

namespace {

QString S(const char* text) { return QString::fromUtf8(text); }

// The roles `UC` keeps as flags, in the table's order; the others live only in `Rola`.
const char* const kRoleKolumny[] = {"AUT", "CAU", "CCA", "CCD", "CND", "DEP", "DES", "EIN", "ENL", "ENT",
                                    "EXC", "EXL", "EXP", "EXT", "GUA", "MCA", "REC", "REG", "TRA"};

constexpr int kSzerokoscNazwy = 100;
constexpr int kSzerokoscTelefonu = 50;
constexpr int kSzerokoscRoli = 100;

// Where the last list applied is remembered, so an upgrade never brings back an older list.
const QString kSekcja = QStringLiteral("UC");
const QString kKluczDaty = QStringLiteral("DATA_WYKAZU");

// The roles as text, cut at a role so it fits its column.
QString RolaTekst(const QStringList& role) {
  QString tekst;
  for (const QString& r : role) {
    const QString dalej = tekst.isEmpty() ? r : tekst + QLatin1Char(',') + r;
    if (dalej.size() > kSzerokoscRoli) break;
    tekst = dalej;
  }
  return tekst;
}

// The values an office of the list stores, by column.
Params Wartosci(const UrzadCelny& u) {
  Params p{{S("KOD"), u.kod},
           {S("NAZWA"), u.nazwa.left(kSzerokoscNazwy)},
           {S("KRAJ"), u.kraj},
           {S("TELEFON"), u.telefon.left(kSzerokoscTelefonu)},
           {S("ROLA"), RolaTekst(u.role)}};
  for (const char* kolumna : kRoleKolumny) p.insert(S(kolumna), u.role.contains(S(kolumna)) ? 1 : 0);
  return p;
}

bool TakSamo(const Row& r, const Params& p) {
  if (r.Str(S("NazwaPelna")) != p.value(S("NAZWA")).toString() || r.Str(S("Kraj")) != p.value(S("KRAJ")).toString() ||
      r.Str(S("Telefon")) != p.value(S("TELEFON")).toString() || r.Str(S("Rola")) != p.value(S("ROLA")).toString())
    return false;
  for (const char* kolumna : kRoleKolumny)
    if (r.Int(S(kolumna)) != p.value(S(kolumna)).toInt()) return false;
  return true;
}

QString ListaKolumnRol(const QString& prefix = {}) {
  QStringList l;
  for (const char* kolumna : kRoleKolumny) l << prefix + S(kolumna);
  return l.join(QStringLiteral(", "));
}

UrzadCelny CzytajUrzad(const QJsonValue& v, qsizetype pozycja) {
  static const QRegularExpression kKod(S("^[A-Z]{2}[A-Z0-9]{6}$"));
  static const QRegularExpression kKraj(S("^[A-Z]{2}$"));
  const auto blad = [pozycja](const QString& tekst) {
    return WykazUCError(S("Wykaz urzędów celnych, pozycja %1: ").arg(pozycja + 1) + tekst);
  };
  if (!v.isObject()) throw blad(S("oczekiwano opisu urzędu"));
  const QJsonObject o = v.toObject();
  UrzadCelny u;
  u.kod = o.value(S("id")).toString().trimmed();
  if (!kKod.match(u.kod).hasMatch()) throw blad(S("niepoprawny kod urzędu \"%1\"").arg(u.kod));
  u.nazwa = o.value(S("name")).toString().simplified();
  if (u.nazwa.isEmpty()) throw blad(S("brak nazwy urzędu ") + u.kod);
  u.kraj = o.value(S("countryId")).toString().trimmed();
  if (!kKraj.match(u.kraj).hasMatch()) throw blad(S("niepoprawny kraj urzędu ") + u.kod);
  u.telefon = o.value(S("phoneNumber")).toString().trimmed();
  if (!o.value(S("roles")).isArray()) throw blad(S("brak ról urzędu ") + u.kod);
  for (const QJsonValue& r : o.value(S("roles")).toArray()) {
    const QString rola = r.toString().trimmed();
    if (rola.isEmpty()) throw blad(S("niepoprawna rola urzędu ") + u.kod);
    if (!u.role.contains(rola)) u.role << rola;
  }
  std::sort(u.role.begin(), u.role.end());
  return u;
}

void Wstaw(HostContext& ctx, const std::vector<Params>& nowe) {
  // The first fill is thousands of offices. A server answers each statement over the network:
  // many rows a statement there. The embedded engine looks each named parameter up by a linear
  // search, so there one row a statement, prepared once, is the fastest.
  const size_t kWierszy = ctx.db.GetEngine() == Engine::Postgres ? 100 : 1;
  const std::vector<qint64> ids = DBGetNewIDs(ctx.db, S("GID_UC"), static_cast<int>(nowe.size()));
  Params audyt;
  SetCreateAudit(audyt, ctx.user.UserInfo(), ctx.clock);
  const QStringList kolumny = QStringList{S("ID"), S("KOD"), S("NAZWA"), S("NAZWA"), S("KRAJ"), S("TELEFON"), S("ROLA"), S("DATA")} +
                              ListaKolumnRol().split(S(", "));
  for (size_t od = 0; od < nowe.size(); od += kWierszy) {
    const size_t do_ = std::min(nowe.size(), od + kWierszy);
    QStringList wiersze;
    Params p = audyt;
    for (size_t i = od; i < do_; ++i) {
      QStringList wartosci;
      for (const QString& k : kolumny) {
        const QString nazwa = S("%1_%2").arg(k).arg(i - od);
        wartosci << S(":") + nazwa;
        p.insert(nazwa, k == QLatin1String("ID") ? QVariant(ids[i]) : nowe[i].value(k));
      }
      wiersze << S("(") + wartosci.join(S(", ")) + S(", 0, :CREATE_ID_USER, :CREATE_USER_NAME, :CREATE_DATE, :CREATE_TIME)");
    }
    ctx.db.Exec(S("insert into UC (ID_UC, Kod, NazwaPelna, NazwaKrotka, Kraj, Telefon, Rola, DataEdycji, %1, Reczny, CREATE_ID_USER, "
                   "CREATE_USER_NAME, CREATE_DATE, CREATE_TIME) values ")
                         .arg(ListaKolumnRol()) +
                     wiersze.join(S(", ")),
                 p);
  }
}

}  // namespace

QString KolumnaRoli(RolaUC rola) {
  switch (rola) {
    case RolaUC::Wyjscia: return S("DEP");
    case RolaUC::Przeznaczenia: return S("DES");
    case RolaUC::Tranzytowy: return S("TRA");
    case RolaUC::Wyprowadzenia: return S("EXT");
    case RolaUC::Dowolna: break;
  }
  return {};
}

WykazUC ParseWykazUC(const QByteArray& json) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
  if (doc.isNull()) throw WykazUCError(S("Plik nie jest wykazem urzędów celnych: ") + error.errorString());
  WykazUC wykaz;
  QJsonArray urzedy;
  if (doc.isArray()) {
    urzedy = doc.array();
  } else {
    const QJsonObject o = doc.object();
    if (!o.value(S("offices")).isArray()) throw WykazUCError(S("Plik nie jest wykazem urzędów celnych: brak listy urzędów"));
    urzedy = o.value(S("offices")).toArray();
    wykaz.zrodlo = o.value(S("source")).toString();
    wykaz.data = o.value(S("date")).toString();
    if (!wykaz.data.isEmpty() && !QDate::fromString(wykaz.data, Qt::ISODate).isValid())
      throw WykazUCError(S("Wykaz urzędów celnych: niepoprawna data ") + wykaz.data);
  }
  // An empty list would retire every office.
  if (urzedy.isEmpty()) throw WykazUCError(S("Wykaz urzędów celnych jest pusty"));
  QSet<QString> kody;
  for (qsizetype i = 0; i < urzedy.size(); ++i) {
    UrzadCelny u = CzytajUrzad(urzedy.at(i), i);
    if (kody.contains(u.kod))
      throw WykazUCError(S("Wykaz urzędów celnych, pozycja %1: powtórzony kod urzędu %2").arg(i + 1).arg(u.kod));
    kody.insert(u.kod);
    wykaz.urzedy.push_back(std::move(u));
  }
  return wykaz;
}

WykazUC CzytajWykazUC(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) throw WykazUCError(S("Nie można otworzyć pliku ") + path);
  try {
    return ParseWykazUC(f.readAll());
  } catch (const WykazUCError& e) {
    throw WykazUCError(QDir::toNativeSeparators(path) + S(" - ") + e.Text());
  }
}

QStringList ZmianyUC::Log(bool szczegoly) const {
  QStringList log{S("Wykaz urzędów celnych: dodano %1, zmieniono %2, wycofano %3")
                      .arg(dodane.size())
                      .arg(zmienione.size())
                      .arg(wycofane.size())};
  if (!szczegoly) return log;
  for (const QString& kod : dodane) log << S("Dodano urząd celny ") + kod;
  for (const QString& kod : zmienione) log << S("Zmieniono urząd celny ") + kod;
  for (const QString& kod : wycofane) log << S("Wycofano urząd celny ") + kod;
  return log;
}

ZmianyUC UrzedyCelne::Aktualizuj(const WykazUC& wykaz) {
  Db& db = ctx_.db;
  Transaction tx(db);
  // The agency's own row of a code comes first and keeps the code.
  QHash<QString, Row> obecne;
  for (Row& r : db.QueryAll(S("select ID_UC, Kod, NazwaPelna, Kraj, Telefon, Rola, coalesce(Reczny, 0) as RECZNY, DataWycofania, %1 "
                              "from UC order by coalesce(Reczny, 0) desc, ID_UC")
                                .arg(ListaKolumnRol())))
    if (!obecne.contains(r.Str(S("Kod")).trimmed())) obecne.insert(r.Str(S("Kod")).trimmed(), std::move(r));

  const QDate dzis = ctx_.clock.Today();
  const QDate data_wykazu = wykaz.data.isEmpty() ? dzis : QDate::fromString(wykaz.data, Qt::ISODate);
  QStringList sets;
  for (const char* kolumna : kRoleKolumny) sets << S("%1 = :%1").arg(S(kolumna));
  const QString update = S("update UC set NazwaPelna = :NAZWA, NazwaKrotka = :NAZWA, Kraj = :KRAJ, Telefon = :TELEFON, Rola = :ROLA, "
                           "DataEdycji = :DATA, DataWycofania = null, %1, MODIFY_ID_USER = :MODIFY_ID_USER, "
                           "MODIFY_USER_NAME = :MODIFY_USER_NAME, MODIFY_DATE = :MODIFY_DATE, MODIFY_TIME = :MODIFY_TIME where ID_UC = :ID")
                             .arg(sets.join(QStringLiteral(", ")));

  ZmianyUC zmiany;
  std::vector<Params> nowe;
  QSet<QString> w_wykazie;
  for (const UrzadCelny& u : wykaz.urzedy) {
    w_wykazie.insert(u.kod);
    Params p = Wartosci(u);
    p.insert(S("DATA"), data_wykazu);
    const auto it = obecne.constFind(u.kod);
    if (it == obecne.constEnd()) {
      nowe.push_back(std::move(p));
      zmiany.dodane << u.kod;
      continue;
    }
    const Row& r = *it;
    if (r.Int(S("RECZNY")) == 1) continue;
    if (r.IsNull(S("DataWycofania")) && TakSamo(r, p)) continue;
    p.insert(S("ID"), r.Value(S("ID_UC")));
    SetModifyAudit(p, ctx_.user.UserInfo(), ctx_.clock);
    db.Exec(update, p);
    zmiany.zmienione << u.kod;
  }
  Wstaw(ctx_, nowe);
  for (const Row& r : std::as_const(obecne)) {
    const QString kod = r.Str(S("Kod")).trimmed();
    if (r.Int(S("RECZNY")) == 1 || !r.IsNull(S("DataWycofania")) || w_wykazie.contains(kod)) continue;
    Params p{{S("ID"), r.Value(S("ID_UC"))}, {S("DZIS"), dzis}};
    SetModifyAudit(p, ctx_.user.UserInfo(), ctx_.clock);
    db.Exec(S("update UC set DataWycofania = :DZIS, MODIFY_ID_USER = :MODIFY_ID_USER, MODIFY_USER_NAME = :MODIFY_USER_NAME, "
              "MODIFY_DATE = :MODIFY_DATE, MODIFY_TIME = :MODIFY_TIME where ID_UC = :ID"),
            p);
    zmiany.wycofane << kod;
  }
  zmiany.wycofane.sort();
  ctx_.options.WriteOption(kSekcja, kKluczDaty, data_wykazu.toString(Qt::ISODate));
  tx.Commit();
  return zmiany;
}

std::optional<ZmianyUC> UrzedyCelne::WczytajDostarczony(const QString& dir) {
  const QString path = QDir(dir).filePath(QString::fromLatin1(kPlikWykazuUC));
  if (dir.isEmpty() || !QFile::exists(path)) return std::nullopt;
  const WykazUC wykaz = CzytajWykazUC(path);
  const QString zastosowany = ctx_.options.ReadOption(kSekcja, kKluczDaty, QString());
  const bool jest_wykaz = ctx_.db.GetCountFieldVal(S("UC"), S("coalesce(Reczny, 0) = 0")) > 0;
  // ISO dates compare as text.
  if (jest_wykaz && !zastosowany.isEmpty() && wykaz.data <= zastosowany) return std::nullopt;
  return Aktualizuj(wykaz);
}

QString UrzedyCelne::Ostrzezenie(const QString& kod, RolaUC rola) {
  const QString k = kod.trimmed();
  if (k.isEmpty() || ctx_.db.GetCountFieldVal(S("UC")) == 0) return {};
  const QString kolumna = KolumnaRoli(rola);
  const auto r = ctx_.db.QueryOne(S("select NazwaKrotka, DataWycofania, %1 as ROLA from UC where Kod = :KOD "
                                    "order by case when DataWycofania is null then 0 else 1 end")
                                      .arg(kolumna.isEmpty() ? S("1") : kolumna),
                                  {{S("KOD"), k}});
  if (!r) return S("Urzędu celnego %1 nie ma w wykazie urzędów celnych.").arg(k);
  const QString nazwa = r->Str(S("NazwaKrotka")).trimmed();
  if (!r->IsNull(S("DataWycofania"))) return S("Urząd celny %1 (%2) został wycofany z wykazu urzędów celnych.").arg(k, nazwa);
  if (r->Int(S("ROLA")) == 1) return {};
  QString opis;
  switch (rola) {
    case RolaUC::Wyjscia: opis = S("urzędem wyjścia"); break;
    case RolaUC::Przeznaczenia: opis = S("urzędem przeznaczenia"); break;
    case RolaUC::Tranzytowy: opis = S("urzędem tranzytowym"); break;
    case RolaUC::Wyprowadzenia: opis = S("urzędem wyprowadzenia"); break;
    case RolaUC::Dowolna: return {};
  }
  return S("Urząd celny %1 (%2) nie jest %3 (%4).").arg(k, nazwa, opis, kolumna);
}

QString PotwierdzUrzedy(HostContext& ctx, const std::vector<PoleUC>& pola) {
  UrzedyCelne urzedy(ctx);
  for (const PoleUC& p : pola) {
    const QString ostrzezenie = urzedy.Ostrzezenie(p.kod, p.rola);
    if (!ostrzezenie.isEmpty() && ctx.dialogs.PytanieNieTak(ostrzezenie + S("\nZapisać mimo to ?")) != kIdYes) return p.pole;
  }
  return {};
}

}  // namespace velmora::host
