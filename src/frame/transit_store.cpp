#include "transit_store.h"

#include "frame/codes.h"
#include "host/db/users.h"

namespace velmora::frame {

namespace {

const QString kKolumny = QStringLiteral(
    "ID_TRANZYTY_POZYCJE, TRANZYTY_ID, BLAD, LP, TYP, STATUS, NR_WLASNY, NR_POWIAZANY, TYP_POWIAZANY, OPIS, DATA_WYSLANIA, "
    "IE013_RODZAJ, ID_EMAIL_ATTACH_PDF");
const QString kWhereId = QStringLiteral("ID_TRANZYTY_POZYCJE = :ID");
const QString kWhereTranzyt = QStringLiteral("TRANZYTY_ID = :ID");

}  // namespace

qint64 TransitStore::Wstaw(const NowyKomunikat& k, const host::TUser& user, const host::Clock& clock) {
  const qint64 id = db_.DBGetNewID(QStringLiteral("GID_TRANZYTY_POZYCJE"));
  host::Params p{{QStringLiteral("ID"), id},
                 {QStringLiteral("T"), k.tranzyt},
                 {QStringLiteral("BLAD"), k.blad},
                 {QStringLiteral("LP"), k.lp},
                 {QStringLiteral("TYP"), k.typ},
                 {QStringLiteral("STATUS"), k.status},
                 {QStringLiteral("NR"), k.nr_wlasny},
                 {QStringLiteral("NRP"), k.nr_powiazany},
                 {QStringLiteral("TYPP"), k.typ_powiazany},
                 {QStringLiteral("OPIS"), k.opis},
                 {QStringLiteral("DATA"), k.data_wyslania},
                 {QStringLiteral("RODZ"), k.ie013_rodzaj},
                 {QStringLiteral("XML"), k.xml},
                 {QStringLiteral("PLIK"), k.plik}};
  host::SetCreateAudit(p, user, clock);
  db_.Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, BLAD, LP, TYP, STATUS, NR_WLASNY, "
                          "NR_POWIAZANY, TYP_POWIAZANY, OPIS, DATA_WYSLANIA, IE013_RODZAJ, CREATE_ID_USER, CREATE_USER_NAME, "
                          "CREATE_DATE, CREATE_TIME, XML, PLIK) values (:ID, :T, :BLAD, :LP, :TYP, :STATUS, :NR, :NRP, :TYPP, "
                          ":OPIS, :DATA, :RODZ, :CREATE_ID_USER, :CREATE_USER_NAME, :CREATE_DATE, :CREATE_TIME, :XML, :PLIK)"),
           p);
  return id;
}

std::optional<host::Row> TransitStore::Komunikat(qint64 id) {
  return db_.QueryOne(QStringLiteral("select ") + kKolumny + QStringLiteral(" from TRANZYTY_POZYCJE where ") + kWhereId,
                      {{QStringLiteral("ID"), id}});
}

QString TransitStore::Xml(qint64 id) {
  return db_.QueryMemoField(QStringLiteral("TRANZYTY_POZYCJE"), QStringLiteral("XML"), kWhereId, {{QStringLiteral("ID"), id}});
}

QString TransitStore::Plik(qint64 id) {
  return db_.QueryMemoField(QStringLiteral("TRANZYTY_POZYCJE"), QStringLiteral("PLIK"), kWhereId, {{QStringLiteral("ID"), id}});
}

void TransitStore::ZapiszXml(qint64 id, const QString& xml) {
  db_.UpdateMemoField(QStringLiteral("TRANZYTY_POZYCJE"), QStringLiteral("XML"), kWhereId, xml, {{QStringLiteral("ID"), id}});
}

std::optional<host::Row> TransitStore::Najnowszy(qint64 tranzyt) {
  return db_.QueryOne(QStringLiteral("select ") + kKolumny +
                          QStringLiteral(" from TRANZYTY_POZYCJE where TRANZYTY_ID = :T order by LP desc, ID_TRANZYTY_POZYCJE desc"),
                      {{QStringLiteral("T"), tranzyt}});
}

std::optional<host::Row> TransitStore::Wiersz(qint64 id) {
  return db_.QueryOne(QStringLiteral("select * from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = :ID"), {{QStringLiteral("ID"), id}});
}

std::vector<host::Row> TransitStore::Komunikaty(qint64 tranzyt) {
  return db_.QueryAll(QStringLiteral("select LP, TYP, STATUS, NR_WLASNY, TYP_POWIAZANY from TRANZYTY_POZYCJE where TRANZYTY_ID=:ID order "
                                     "by LP, ID_TRANZYTY_POZYCJE desc"),
                      {{QStringLiteral("ID"), tranzyt}});
}

int TransitStore::Ile(qint64 tranzyt) {
  return db_.GetCountFieldVal(QStringLiteral("TRANZYTY_POZYCJE"), kWhereTranzyt, {{QStringLiteral("ID"), tranzyt}});
}

int TransitStore::IleWyslanych(qint64 tranzyt) {
  return db_.QueryValue(QStringLiteral("select count(*) as ile from TRANZYTY_POZYCJE where (TRANZYTY_ID=:ID) and (STATUS=2) "),
                        {{QStringLiteral("ID"), tranzyt}})
      .toInt();
}

int TransitStore::MaxLp(qint64 tranzyt) {
  return db_.GetMaxFieldVal(QStringLiteral("TRANZYTY_POZYCJE"), QStringLiteral("LP"), kWhereTranzyt, {{QStringLiteral("ID"), tranzyt}}).toInt();
}

std::optional<StanTranzytu> TransitStore::Stan(qint64 tranzyt) {
  const auto r = db_.QueryOne(
      QStringLiteral("select t.TYP, (select max(p.LP) from TRANZYTY_POZYCJE p where p.TRANZYTY_ID = t.ID_TRANZYTY) as MAX_LP, "
                     "(select max(p.ID_TRANZYTY_POZYCJE) from TRANZYTY_POZYCJE p where p.TRANZYTY_ID = t.ID_TRANZYTY and p.TYP = 'IE025') as IE025 "
                     "from TRANZYTY t where t.ID_TRANZYTY = :T"),
      {{QStringLiteral("T"), tranzyt}});
  if (!r) return std::nullopt;
  return StanTranzytu{r->Str(QStringLiteral("TYP")), r->Int(QStringLiteral("MAX_LP")), r->Int64(QStringLiteral("IE025"))};
}

qint64 TransitStore::NajnowszyId(qint64 tranzyt, const QString& typ) {
  host::Params p{{QStringLiteral("T"), tranzyt}};
  QString sql = QStringLiteral("select max(ID_TRANZYTY_POZYCJE) from TRANZYTY_POZYCJE where TRANZYTY_ID = :T");
  if (!typ.isEmpty()) {
    sql += QStringLiteral(" and TYP = :TYP");
    p.insert(QStringLiteral("TYP"), typ);
  }
  return db_.QueryValue(sql, p).toLongLong();
}

std::optional<host::Row> TransitStore::Wzorzec(qint64 tranzyt, const QString& typ) {
  const QString sql =
      typ == typ::IE013
          ? QStringLiteral("select * from TRANZYTY_POZYCJE where TRANZYTY_ID=:ID and (TYP=:TYP or TYP='IE015') order by LP desc")
          : QStringLiteral("select * from TRANZYTY_POZYCJE where TRANZYTY_ID=:ID and TYP=:TYP order by LP desc");
  return db_.QueryOne(sql, {{QStringLiteral("ID"), tranzyt}, {QStringLiteral("TYP"), typ}});
}

std::optional<host::Row> TransitStore::WzorzecKopii(qint64 tranzyt, bool wywoz) {
  return db_.QueryOne(wywoz ? QStringLiteral("select * from TRANZYTY_POZYCJE where TRANZYTY_ID=:ID and TYP in ('IE013','IE015') order by LP desc")
                            : QStringLiteral("select * from TRANZYTY_POZYCJE where TRANZYTY_ID=:ID and TYP = 'IE007' order by LP desc"),
                      {{QStringLiteral("ID"), tranzyt}});
}

std::optional<host::Row> TransitStore::OstatniTypu(qint64 tranzyt, const QString& typ, const std::optional<QString>& nr_wlasny) {
  const QString sql = !nr_wlasny
                          ? QStringLiteral("select * from TRANZYTY_POZYCJE where TRANZYTY_ID=:ID and TYP=:TYP order by lp desc")
                          : QStringLiteral("select * from TRANZYTY_POZYCJE where TRANZYTY_ID=:ID and TYP=:TYP and NR_WLASNY=:NR order by lp desc");
  host::Params p{{QStringLiteral("ID"), tranzyt}, {QStringLiteral("TYP"), typ}};
  if (nr_wlasny) p.insert(QStringLiteral("NR"), *nr_wlasny);
  return db_.QueryOne(sql, p);
}

std::optional<QString> TransitStore::XmlWgId(const QString& sql_max_id, const host::Params& p) {
  const QVariant id = db_.QueryValue(sql_max_id, p);
  if (id.isNull()) return std::nullopt;
  return Xml(id.toLongLong());
}

std::optional<QString> TransitStore::NajnowszyXmlWgId(qint64 tranzyt, const QString& typ) {
  return XmlWgId(QStringLiteral("select max(ID_TRANZYTY_POZYCJE) as id from TRANZYTY_POZYCJE where TRANZYTY_ID=:ID and TYP=:TYP"),
                 {{QStringLiteral("ID"), tranzyt}, {QStringLiteral("TYP"), typ}});
}

QString TransitStore::NajnowszaDeklaracjaXml(qint64 tranzyt) {
  return XmlWgId(QStringLiteral("select max(ID_TRANZYTY_POZYCJE) as id from TRANZYTY_POZYCJE where TRANZYTY_ID=:ID and TYP in ('IE013','IE015')"),
                 {{QStringLiteral("ID"), tranzyt}})
      .value_or(QString());
}

std::vector<host::Row> TransitStore::PoNumerach(const QString& nr, const QString& nr_powiazany) {
  return db_.QueryAll(QStringLiteral("select TRANZYTY_ID, TYP, NR_WLASNY from TRANZYTY_POZYCJE where NR_WLASNY in (:NR, :NRP) "
                                     "order by ID_TRANZYTY_POZYCJE desc"),
                      {{QStringLiteral("NR"), nr}, {QStringLiteral("NRP"), nr_powiazany}});
}

QString TransitStore::NrWlasnyNajnowszego(const QString& typ, KluczTranzytu rodzaj, const QString& klucz) {
  if (klucz.isEmpty()) return {};
  QString tranzyty;
  switch (rodzaj) {
    // Our LRN is the declaration's own number.
    case KluczTranzytu::NrDeklaracji: tranzyty = QStringLiteral("select TRANZYTY_ID from TRANZYTY_POZYCJE where TYP = 'IE015' and NR_WLASNY = :K"); break;
    case KluczTranzytu::Lrn: tranzyty = QStringLiteral("select ID_TRANZYTY from TRANZYTY where LRN = :K"); break;
    case KluczTranzytu::Mrn: tranzyty = QStringLiteral("select ID_TRANZYTY from TRANZYTY where MRN = :K"); break;
  }
  const auto r = db_.QueryOne(QStringLiteral("select p.NR_WLASNY from TRANZYTY_POZYCJE p where p.TYP = :TYP and p.TRANZYTY_ID in (") + tranzyty +
                                  QStringLiteral(") order by p.ID_TRANZYTY_POZYCJE desc"),
                              {{QStringLiteral("TYP"), typ}, {QStringLiteral("K"), klucz}});
  return r ? r->Str(QStringLiteral("NR_WLASNY")).trimmed() : QString();
}

void TransitStore::Zmien(qint64 id, const NowyKomunikat& k, const host::TUser& user, const host::Clock& clock) {
  host::Params p{{QStringLiteral("ID"), id},         {QStringLiteral("BLAD"), k.blad}, {QStringLiteral("TYP"), k.typ},
                 {QStringLiteral("STATUS"), k.status}, {QStringLiteral("OPIS"), k.opis}, {QStringLiteral("IE013_RODZAJ"), k.ie013_rodzaj}};
  host::SetModifyAudit(p, user, clock);
  db_.Exec(QStringLiteral("update TRANZYTY_POZYCJE set BLAD = :BLAD, TYP = :TYP, STATUS = :STATUS, OPIS = :OPIS, "
                          "IE013_RODZAJ = :IE013_RODZAJ, MODIFY_ID_USER = :MODIFY_ID_USER, MODIFY_USER_NAME = "
                          ":MODIFY_USER_NAME, MODIFY_DATE = :MODIFY_DATE, MODIFY_TIME = :MODIFY_TIME "
                          "where ID_TRANZYTY_POZYCJE = :ID"),
           p);
  ZapiszXml(id, k.xml);
}

void TransitStore::UstawNrWlasny(qint64 id, const QString& nr) {
  db_.Exec(QStringLiteral("update TRANZYTY_POZYCJE set NR_WLASNY = :NR where ID_TRANZYTY_POZYCJE = :ID"),
           {{QStringLiteral("NR"), nr}, {QStringLiteral("ID"), id}});
}

void TransitStore::UstawLp(qint64 id, int lp) {
  db_.Exec(QStringLiteral("update TRANZYTY_POZYCJE set LP = :LP where ") + kWhereId, {{QStringLiteral("LP"), lp}, {QStringLiteral("ID"), id}});
}

QString TransitStore::Usun(qint64 id) {
  const QString typ = db_.QueryValue(QStringLiteral("select TYP from TRANZYTY_POZYCJE where ") + kWhereId, {{QStringLiteral("ID"), id}}).toString();
  db_.Exec(QStringLiteral("delete from TRANZYTY_POZYCJE where ") + kWhereId, {{QStringLiteral("ID"), id}});
  return typ;
}

void TransitStore::UsunKomunikatyTranzytu(qint64 tranzyt) {
  db_.Exec(QStringLiteral("delete from TRANZYTY_POZYCJE where TRANZYTY_ID = :ID"), {{QStringLiteral("ID"), tranzyt}});
}

void TransitStore::UstawZalacznikPdf(qint64 id, qint64 zalacznik) {
  db_.Exec(QStringLiteral("update TRANZYTY_POZYCJE set ID_EMAIL_ATTACH_PDF = :A where ") + kWhereId,
           {{QStringLiteral("A"), zalacznik}, {QStringLiteral("ID"), id}});
}

void TransitStore::OznaczWyslany(qint64 id, qint64 tranzyt, const QDateTime& kiedy, const QString& plik) {
  db_.Exec(QStringLiteral("update TRANZYTY_POZYCJE set STATUS = 2, DATA_WYSLANIA = :D, PLIK = :P where ") + kWhereId,
           {{QStringLiteral("D"), kiedy}, {QStringLiteral("P"), plik}, {QStringLiteral("ID"), id}});
  db_.Exec(QStringLiteral("update TRANZYTY set STATUS = 2 where ID_TRANZYTY = :T"), {{QStringLiteral("T"), tranzyt}});
}

void TransitStore::CofnijWyslanie(qint64 id, qint64 tranzyt, bool ostatni) {
  db_.Exec(QStringLiteral("update TRANZYTY_POZYCJE set STATUS = 1, DATA_WYSLANIA = null where ID_TRANZYTY_POZYCJE = :ID"),
           {{QStringLiteral("ID"), id}});
  if (ostatni) db_.Exec(QStringLiteral(" update TRANZYTY SET STATUS = 1  WHERE ID_TRANZYTY =:ID"), {{QStringLiteral("ID"), tranzyt}});
}

void TransitStore::UstawStanOstatniego(qint64 tranzyt) {
  const host::Params t{{QStringLiteral("ID"), tranzyt}};
  const auto last = db_.QueryOne(QStringLiteral("select TYP, OPIS, STATUS from TRANZYTY_POZYCJE where TRANZYTY_ID=:ID order by LP desc"), t);
  // With no message left the state comes from an empty result.
  db_.Exec(QStringLiteral("update TRANZYTY set TYP = :TYP, OPIS = :OPIS, STATUS = :STATUS where ID_TRANZYTY = :ID"),
           {{QStringLiteral("ID"), tranzyt},
            {QStringLiteral("TYP"), last ? last->Str(QStringLiteral("TYP")) : kTypBrak},
            {QStringLiteral("OPIS"), last ? last->Value(QStringLiteral("OPIS")) : QVariant()},
            {QStringLiteral("STATUS"), last ? last->Int(QStringLiteral("STATUS")) : 0}});
}

void TransitStore::UstawStan(qint64 tranzyt, const QString& typ, const QString& opis, int status, const QVariantMap& kolumny) {
  QVariantMap wszystkie = kolumny;
  wszystkie.insert(QStringLiteral("TYP"), typ);
  wszystkie.insert(QStringLiteral("OPIS"), opis);
  wszystkie.insert(QStringLiteral("STATUS"), status);
  UstawKolumny(tranzyt, wszystkie);
}

void TransitStore::UstawMrn(qint64 tranzyt, const QString& mrn) {
  db_.Exec(QStringLiteral("update TRANZYTY set MRN=:MRN where ID_TRANZYTY=") + QString::number(tranzyt), {{QStringLiteral("MRN"), mrn}});
}

void TransitStore::UstawKolumny(qint64 tranzyt, const QVariantMap& kolumny) {
  if (kolumny.isEmpty()) return;
  QStringList sets;
  host::Params t{{QStringLiteral("ID"), tranzyt}};
  for (auto it = kolumny.begin(); it != kolumny.end(); ++it) {
    sets << it.key() + QStringLiteral(" = :K_") + it.key();
    t.insert(QStringLiteral("K_") + it.key(), it.value());
  }
  db_.Exec(QStringLiteral("update TRANZYTY set ") + sets.join(QStringLiteral(", ")) + QStringLiteral(" where ID_TRANZYTY = :ID"), t);
}

}  // namespace velmora::frame
