#include "host/db/exchange_rates.h"

#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/db/tools_db.h"
#include "host/db/users.h"
#include "host/xml/xml_document.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace velmora::host {

namespace {

using T = FieldType;

const QString kWaluty = QStringLiteral("WALUTY");
const QString kTabelaKursy = QStringLiteral("tabela_kursy");
const QString kKursy = QStringLiteral("Kursy");
const QString kPln = QStringLiteral("PLN");
const QString kZrodloTabelaA = QStringLiteral("NBP-A");
const int kNumerWidth = 30;
const int kNazwaWidth = 100;

const QString kSqlKursWDniu = QStringLiteral(
    "select K.DATA, K.PRZELICZNIK, K.KURS, T.NUMER from KURSY K "
    "left join TABELA_KURSY T on T.ID_TABELA_KURSY = K.TABELA_ID "
    "where K.WALUTA = :WALUTA and K.DATA <= :NA_DZIEN order by K.DATA desc, K.ID_KURSY desc limit 1");
const QString kSqlTabelaPoNumerze = QStringLiteral("select ID_TABELA_KURSY from TABELA_KURSY where NUMER = :NUMER");
const QString kSqlKodyWalut = QStringLiteral("select KOD from WALUTY");
const QString kSqlListaWalut = QStringLiteral("select ID_WALUTY, KOD, NAZWA, AKTYWNA from WALUTY order by KOD");
const QString kSqlDodajWalute = QStringLiteral(
    "insert into WALUTY (ID_WALUTY, KOD, NAZWA, AKTYWNA, CREATE_ID_USER, CREATE_USER_NAME, CREATE_DATE, CREATE_TIME) "
    "values (:ID_WALUTY, :KOD, :NAZWA, 1, :CREATE_ID_USER, :CREATE_USER_NAME, :CREATE_DATE, :CREATE_TIME)");
const QString kSqlDodajTabele = QStringLiteral(
    "insert into TABELA_KURSY (ID_TABELA_KURSY, NUMER, DATA_PUBLIKACJI, DATA_NOTOWANIA, ZRODLO, TYP, DATA, NAZWA, "
    "CREATE_ID_USER, CREATE_USER_NAME, CREATE_DATE, CREATE_TIME) values (:ID_TABELA_KURSY, :NUMER, :PUBLIKACJA, :NOTOWANIE, "
    ":ZRODLO, 0, :PUBLIKACJA, :NAZWA, :CREATE_ID_USER, :CREATE_USER_NAME, :CREATE_DATE, :CREATE_TIME)");
const QString kSqlDodajKurs = QStringLiteral(
    "insert into KURSY (ID_KURSY, TABELA_ID, DATA, WALUTA, PRZELICZNIK, KURS, CREATE_ID_USER, CREATE_USER_NAME, "
    "CREATE_DATE, CREATE_TIME) values (:ID_KURSY, :TABELA_ID, :DATA_KURSU, :WALUTA, :PRZELICZNIK, :KURS, "
    ":CREATE_ID_USER, :CREATE_USER_NAME, :CREATE_DATE, :CREATE_TIME)");

struct ParsedRate {
  QString kod;
  QString nazwa;
  int przelicznik = 1;
  double kurs = 0.0;
};

struct ParsedTable {
  QString numer;
  QDate data_publikacji;
  QDate data_notowania;
  std::vector<ParsedRate> kursy;
};

[[noreturn]] void Fail(const QString& text) { throw ExchangeRatesError(text); }

QString ChildText(xml::XmlNode node, const QString& name) { return node.ChildByLocalName(name).Text().trimmed(); }

QString ParseNumer(const QString& text) {
  if (text.isEmpty()) Fail(QStringLiteral("Brak numeru tabeli kursów"));
  if (text.size() > kNumerWidth) Fail(QStringLiteral("Niepoprawny numer tabeli kursów: %1").arg(text));
  return text;
}

// Only mid rates of table A belong here; tables B and C would mix other rates in.
void CheckTyp(const QString& typ, const QString& numer) {
  if (!typ.isEmpty() && typ.compare(QLatin1String("A"), Qt::CaseInsensitive) != 0)
    Fail(QStringLiteral("Tabela kursów %1 jest tabelą %2, a importowane są tylko tabele A").arg(numer, typ));
}

QDate ParseDate(const QString& text, const QString& numer) {
  if (text.isEmpty()) Fail(QStringLiteral("Brak daty publikacji tabeli kursów %1").arg(numer));
  const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
  if (!date.isValid()) Fail(QStringLiteral("Niepoprawna data tabeli kursów %1: %2").arg(numer, text));
  return date;
}

QString ParseKod(const QString& text, const QString& numer) {
  static const QRegularExpression kKod(QStringLiteral("^[A-Z]{3}$"));
  const QString kod = text.toUpper();
  if (!kKod.match(kod).hasMatch()) Fail(QStringLiteral("Niepoprawny kod waluty w tabeli kursów %1: '%2'").arg(numer, text));
  return kod;
}

// Either decimal separator: the current layout writes a full stop, the older one a comma,
// and neither groups thousands, so one separator is never ambiguous.
double ParseKurs(const QString& text, const QString& kod) {
  static const QRegularExpression kDecimal(QStringLiteral("^[0-9]+([.,][0-9]+)?$"));
  if (text.isEmpty()) Fail(QStringLiteral("Brak kursu waluty %1").arg(kod));
  bool ok = kDecimal.match(text).hasMatch();
  const double kurs = ok ? QLocale::c().toDouble(QString(text).replace(QLatin1Char(','), QLatin1Char('.')), &ok) : 0.0;
  if (!ok || !(kurs > 0.0)) Fail(QStringLiteral("Niepoprawny kurs waluty %1: %2").arg(kod, text));
  return kurs;
}

int ParsePrzelicznik(const QString& text, const QString& kod) {
  if (text.isEmpty()) return 1;
  static const QRegularExpression kDigits(QStringLiteral("^[0-9]{1,9}$"));
  const int przelicznik = kDigits.match(text).hasMatch() ? text.toInt() : 0;
  if (przelicznik <= 0) Fail(QStringLiteral("Niepoprawny przelicznik waluty %1: %2").arg(kod, text));
  return przelicznik;
}

void AddRate(ParsedTable& table, ParsedRate rate) {
  for (const ParsedRate& r : table.kursy)
    if (r.kod == rate.kod)
      Fail(QStringLiteral("Waluta %1 występuje w tabeli kursów %2 więcej niż raz").arg(rate.kod, table.numer));
  rate.nazwa = rate.nazwa.left(kNazwaWidth);
  table.kursy.push_back(std::move(rate));
}

void CheckNotEmpty(const ParsedTable& table) {
  if (table.kursy.empty()) Fail(QStringLiteral("Tabela kursów %1 nie zawiera kursów").arg(table.numer));
}

// <ExchangeRatesTable><Table/><No/><EffectiveDate/><Rates><Rate><Currency/><Code/><Mid/>...
ParsedTable ParseCurrentTable(xml::XmlNode node) {
  ParsedTable table;
  table.numer = ParseNumer(ChildText(node, QStringLiteral("No")));
  CheckTyp(ChildText(node, QStringLiteral("Table")), table.numer);
  table.data_publikacji = ParseDate(ChildText(node, QStringLiteral("EffectiveDate")), table.numer);
  table.data_notowania = table.data_publikacji;
  const xml::XmlNode rates = node.ChildByLocalName(QStringLiteral("Rates"));
  for (const xml::XmlNode& r : rates.ChildrenByLocalName(QStringLiteral("Rate"))) {
    ParsedRate rate;
    rate.kod = ParseKod(ChildText(r, QStringLiteral("Code")), table.numer);
    rate.nazwa = ChildText(r, QStringLiteral("Currency"));
    rate.kurs = ParseKurs(ChildText(r, QStringLiteral("Mid")), rate.kod);
    AddRate(table, std::move(rate));
  }
  CheckNotEmpty(table);
  return table;
}

// <tabela_kursow typ="A"><numer_tabeli/><data_publikacji/><pozycja><nazwa_waluty/><przelicznik/>
// <kod_waluty/><kurs_sredni/>...
ParsedTable ParseOlderTable(xml::XmlNode node) {
  ParsedTable table;
  table.numer = ParseNumer(ChildText(node, QStringLiteral("numer_tabeli")));
  CheckTyp(node.Attribute(QStringLiteral("typ")).trimmed(), table.numer);
  table.data_publikacji = ParseDate(ChildText(node, QStringLiteral("data_publikacji")), table.numer);
  const QString notowanie = ChildText(node, QStringLiteral("data_notowania"));
  table.data_notowania = notowanie.isEmpty() ? table.data_publikacji : ParseDate(notowanie, table.numer);
  for (const xml::XmlNode& p : node.ChildrenByLocalName(QStringLiteral("pozycja"))) {
    ParsedRate rate;
    rate.kod = ParseKod(ChildText(p, QStringLiteral("kod_waluty")), table.numer);
    rate.nazwa = ChildText(p, QStringLiteral("nazwa_waluty"));
    rate.przelicznik = ParsePrzelicznik(ChildText(p, QStringLiteral("przelicznik")), rate.kod);
    rate.kurs = ParseKurs(ChildText(p, QStringLiteral("kurs_sredni")), rate.kod);
    AddRate(table, std::move(rate));
  }
  CheckNotEmpty(table);
  return table;
}

std::vector<ParsedTable> ParseDocument(const xml::XmlDocument& doc) {
  const xml::XmlNode root = doc.DocumentElement();
  const QString name = root.LocalName();
  std::vector<ParsedTable> tables;
  if (name == QLatin1String("ArrayOfExchangeRatesTable")) {
    for (const xml::XmlNode& t : root.ChildrenByLocalName(QStringLiteral("ExchangeRatesTable")))
      tables.push_back(ParseCurrentTable(t));
    if (tables.empty()) Fail(QStringLiteral("Plik nie zawiera żadnej tabeli kursów"));
  } else if (name == QLatin1String("ExchangeRatesTable")) {
    tables.push_back(ParseCurrentTable(root));
  } else if (name == QLatin1String("tabela_kursow")) {
    tables.push_back(ParseOlderTable(root));
  } else {
    Fail(QStringLiteral("Nieznany układ pliku kursów walut (element główny %1)").arg(root.NodeName()));
  }
  return tables;
}

[[noreturn]] void FailXml(const xml::XmlParseError& e) {
  if (e.Line() <= 0) Fail(e.Message());  // the file could not be read at all
  Fail(QStringLiteral("Niepoprawny dokument XML tabeli kursów (wiersz %1): %2").arg(e.Line()).arg(e.Message()));
}

}  // namespace

void ExchangeRatesSchema(TToolsDB& tools) {
  const TableDecl tables[] = {
      {kWaluty,
       {{"KOD", T::String, 3, "", true, "Kod waluty (ISO 4217)"}, {"NAZWA", T::String, kNazwaWidth}, {"AKTYWNA", T::SmallInt, 0, "1"}},
       {{"WALUTY_IDX1", {"KOD"}, true}}},
      {kTabelaKursy,
       {{"NUMER", T::String, kNumerWidth, "", false, "Numer tabeli kursów, np. 045/A/NBP/2024"},
        {"DATA_PUBLIKACJI", T::Date},
        {"DATA_NOTOWANIA", T::Date},
        {"ZRODLO", T::String, 20, "", false, "Źródło tabeli, np. NBP-A"},
        // The columns by which the arrival editor finds its table and shows it.
        {"TYP", T::SmallInt, 0, "0", false, "Rodzaj tabeli: 0 - kursy średnie"},
        {"DATA", T::Date, 0, "", false, "Data tabeli"},
        {"NAZWA", T::String, kNazwaWidth}},
       // The newest table of a kind on or before a date (IDX3).
       {{"tabela_kursy_IDX1", {"NUMER"}}, {"tabela_kursy_IDX3", {"TYP", "DATA"}}}},
      {kKursy,
       {{"TABELA_ID", T::Integer, 0, "", false, "Relacja do tabeli kursów - tab: TABELA_KURSY"},
        {"DATA", T::Date, 0, "", false, "Data, od której kurs obowiązuje"},
        {"WALUTA", T::String, 3},
        {"PRZELICZNIK", T::Integer, 0, "1", false, "Liczba jednostek waluty, za którą podano kurs"},
        {"KURS", T::Float}},
       {{"Kursy_IDX1", {"WALUTA", "DATA"}}, {"Kursy_IDX2", {"TABELA_ID"}}, {"Kursy_IDX3", {"TABELA_ID", "WALUTA"}}}},
  };
  for (const TableDecl& t : tables) DeclareTable(tools, t);
  // Tables imported before DATA and NAZWA existed.
  tools.GetDb().Exec(QStringLiteral("update TABELA_KURSY set DATA = DATA_PUBLIKACJI, NAZWA = 'Tabela nr ' || NUMER || ' z dnia ' || "
                                    "DATA_PUBLIKACJI where DATA is null"));
}

std::optional<Kurs> ExchangeRates::GetKursy(const QString& waluta, const QDate& date) {
  const QString kod = waluta.trimmed().toUpper();
  if (kod.isEmpty() || !date.isValid()) return std::nullopt;
  if (kod == kPln) return Kurs{kPln, date, 1, 1.0, {}};
  const auto row = db_.QueryOne(kSqlKursWDniu, {{QStringLiteral("WALUTA"), kod}, {QStringLiteral("NA_DZIEN"), date}});
  if (!row) return std::nullopt;
  Kurs kurs;
  kurs.waluta = kod;
  kurs.data = row->Value(QStringLiteral("DATA")).toDate();
  kurs.przelicznik = std::max(1, row->Int(QStringLiteral("PRZELICZNIK"), 1));
  kurs.kurs = row->Float(QStringLiteral("KURS"));
  kurs.tabela = row->Str(QStringLiteral("NUMER"));
  return kurs;
}

ImportResult ExchangeRates::ImportTabelaA(const QString& file_name) {
  xml::XmlDocumentPtr doc;
  try {
    doc = xml::LoadXMLDocument(file_name);
  } catch (const xml::XmlParseError& e) {
    FailXml(e);
  }
  return ImportDocument(*doc);
}

ImportResult ExchangeRates::ImportTabelaAXml(const QString& xml_text) {
  xml::XmlDocumentPtr doc;
  try {
    doc = xml::LoadXMLData(xml_text);
  } catch (const xml::XmlParseError& e) {
    FailXml(e);
  }
  return ImportDocument(*doc);
}

ImportResult ExchangeRates::ImportDocument(const xml::XmlDocument& doc) {
  // The whole document is checked before anything is written.
  const std::vector<ParsedTable> tables = ParseDocument(doc);
  Params audit;
  SetCreateAudit(audit, user_.UserInfo(), clock_);

  ImportResult result;
  Transaction tx(db_);
  QSet<QString> known_codes;
  for (const Row& r : db_.QueryAll(kSqlKodyWalut)) known_codes.insert(r.Str(QStringLiteral("KOD")).trimmed().toUpper());
  for (const ParsedTable& table : tables) {
    if (db_.QueryOne(kSqlTabelaPoNumerze, {{QStringLiteral("NUMER"), table.numer}})) {
      result.pominiete << table.numer;
      continue;
    }
    const int tabela_id = static_cast<int>(db_.DBGetNewID(QStringLiteral("GID_TABELA_KURSY")));
    Params t = audit;
    t.insert(QStringLiteral("ID_TABELA_KURSY"), tabela_id);
    t.insert(QStringLiteral("NUMER"), table.numer);
    t.insert(QStringLiteral("PUBLIKACJA"), table.data_publikacji);
    t.insert(QStringLiteral("NOTOWANIE"), table.data_notowania);
    t.insert(QStringLiteral("ZRODLO"), kZrodloTabelaA);
    t.insert(QStringLiteral("NAZWA"), QStringLiteral("Tabela nr %1 z dnia %2").arg(table.numer, table.data_publikacji.toString(Qt::ISODate)));
    db_.Exec(kSqlDodajTabele, t);

    for (const ParsedRate& rate : table.kursy) {
      if (!known_codes.contains(rate.kod)) {
        Params w = audit;
        w.insert(QStringLiteral("ID_WALUTY"), static_cast<int>(db_.DBGetNewID(QStringLiteral("GID_WALUTY"))));
        w.insert(QStringLiteral("KOD"), rate.kod);
        w.insert(QStringLiteral("NAZWA"), rate.nazwa);
        db_.Exec(kSqlDodajWalute, w);
        known_codes.insert(rate.kod);
      }
      Params k = audit;
      k.insert(QStringLiteral("ID_KURSY"), static_cast<int>(db_.DBGetNewID(QStringLiteral("GID_KURSY"))));
      k.insert(QStringLiteral("TABELA_ID"), tabela_id);
      k.insert(QStringLiteral("DATA_KURSU"), table.data_publikacji);
      k.insert(QStringLiteral("WALUTA"), rate.kod);
      // Every rate is kept per one unit: the arrival editor reads the rate as it stands while
      // the cost box divides by the unit count, and both must give the same złoty.
      k.insert(QStringLiteral("PRZELICZNIK"), 1);
      k.insert(QStringLiteral("KURS"), rate.kurs / rate.przelicznik);
      db_.Exec(kSqlDodajKurs, k);
      ++result.kursy;
    }
    ++result.tabele;
  }
  tx.Commit();
  return result;
}

std::vector<Waluta> ExchangeRates::ListWaluty() {
  std::vector<Waluta> out;
  for (const Row& r : db_.QueryAll(kSqlListaWalut))
    out.push_back({r.Int(QStringLiteral("ID_WALUTY")), r.Str(QStringLiteral("KOD")), r.Str(QStringLiteral("NAZWA")),
                   r.Int(QStringLiteral("AKTYWNA"), 1) != 0});
  return out;
}

}  // namespace velmora::host
