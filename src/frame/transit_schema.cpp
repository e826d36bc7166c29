#include "transit_schema.h"

#include "host/db/tools_db.h"

#include <QStringList>

#include <vector>

namespace velmora::frame {

namespace {

using host::FieldType;
using T = FieldType;

using Column = host::ColumnDecl;
const Column& kAudit = host::kAuditColumns;

struct Table {
  const char* name;
  std::vector<Column> columns;
  std::vector<std::vector<const char*>> indexes;  // columns of I1_, I2_ ... in order
  std::vector<const char*> index_suffixes;       // explicit names after the table name instead
};

const std::vector<Table>& Tables() {
  static const std::vector<Table> tables = {
      {"METRYKI_EXT",
       {{"TABELA", T::String, 100, "", true},
        {"ID", T::Integer, 0, "", true},
        {"ZRODLO", T::String, 100, "", true},
        {"WERSJA", T::String, 100},
        {"SCHEMAT", T::String, 100},
        {"UWAGI", T::String, 255}},
       {{"TABELA", "ID"}},
       {"_IDX1"}},
      {"REJESTRY",
       {{"NAZWA", T::String, 50},
        {"PU", T::Integer},
        {"PU_NUMER", T::String, 50},
        {"PU_MIEJSCE", T::String, 50},
        {"PU_DATA", T::Date},
        {"IE015_TYP", T::String, 5},
        {"IE015_NADAWCA_ID", T::Integer},
        {"IE015_NADAWCA", T::String, 70},
        {"IE015_UC_ZGLOSZENIA", T::String, 10},
        {"IE015_MIEJSCE_TYP", T::Integer},
        {"IE015_MIEJSCE_OPIS", T::String, 50},
        {"IE015_MIEJSCE_ZAL", T::String, 50},
        {"IE007_ODBIORCA_ID", T::Integer},
        {"IE007_ODBIORCA", T::String, 50},
        {"IE007_UC_PRZEDSTAW", T::String, 10},
        {"IE007_UC_ZGLOSZENIA", T::String, 10},
        {"IE007_MIEJSCE_TYP", T::Integer},
        {"IE007_MIEJSCE_OPIS", T::String, 50},
        {"IE007_PRZEDSTAWICIEL", T::String, 50},
        // The phase a new transit of the register is sent in: registers kept from before stay at 4.
        {"FAZA", T::Integer, 0, "4"},
        kAudit},
       {},
       {}},
      {"TRANZYTY",
       {{"REJESTRY_ID", T::Integer, 0, "0", true},
        {"RODZAJ", T::Integer, 0, "0", true},
        {"TYP", T::String, 10, "0", true},
        {"PU", T::Integer, 0, "0", true},
        {"TIR", T::Integer, 0, "0", true},
        {"ROK", T::Integer},
        {"MIESIAC", T::Integer},
        {"NR", T::Integer},
        {"NUMER", T::String, 50},
        {"STATUS", T::Integer, 0, "0", true},
        {"OPIS", T::String, 100},
        {"MRN", T::String, 30},
        {"LRN", T::String, 30},
        {"MRN_DATA", T::Date},
        {"TIR_NUMER", T::String, 20},
        {"NR_SAD_CELINA", T::String, 50},
        {"NR_WLASNY", T::String, 20},
        {"NR_DOKUMENTU", T::String, 50},
        {"SAMOCHOD_NR", T::String, 50},
        {"SAMOCHOD_RODZAJ", T::String, 3},
        {"SAMOCHOD_KRAJ", T::String, 3},
        {"WAGA_BRUTTO", T::Float, 0, "0"},
        {"LICZBA_OPAKOWAN", T::Float, 0, "0"},
        {"NADAWCA_ID", T::Integer},
        {"NADAWCA_NAZWA", T::String, 100},
        {"ODBIORCA_ID", T::Integer},
        {"ODBIORCA_NAZWA", T::String, 100},
        {"WARTOSC_WAL", T::Float},
        {"WALUTA", T::String, 3},
        {"KURS", T::Float},
        {"DATA", T::Date},
        {"WARTOSC_STAT", T::Float},
        {"RYCZALT", T::Float},
        {"GWARANCJA_ID", T::Integer},
        {"GWARANCJA_NUMER", T::String, 50},
        {"GWARANCJA_KWOTA", T::Float},
        {"OBCIAZENIE_ID", T::Integer},
        {"FAZA", T::Integer, 0, "4"},
        kAudit},
       {{"REJESTRY_ID"}, {"TYP"}, {"CREATE_ID_USER"}, {"CREATE_DATE"}, {"TIR"}, {"ROK"}, {"MRN"}, {"RODZAJ"}},
       {}},
      {"TRANZYTY_ODPRAWY",
       {{"TRANZYTY_ID", T::Integer, 0, "0", true},
        {"NUMER", T::String, 30},
        {"DATA", T::Date},
        {"PROCEDURA", T::String, 10},
        {"ODPRAWY_ID", T::Integer, 0, "0"},
        {"IE043", T::Integer, 0, "0"},
        kAudit},
       {{"TRANZYTY_ID"}, {"ODPRAWY_ID"}},
       {}},
      {"TRANZYTY_POZYCJE",
       {{"TRANZYTY_ID", T::Integer, 0, "0", true},
        {"BLAD", T::Integer, 0, "0", true},
        {"LP", T::Integer, 0, "0", true},
        {"TYP", T::String, 10, "", true},
        {"STATUS", T::Integer, 0, "0", true},
        {"NR_WLASNY", T::String, 20},
        {"NR_POWIAZANY", T::String, 20},
        {"TYP_POWIAZANY", T::String, 10},
        {"OPIS", T::String, 100},
        {"DATA_WYSLANIA", T::DateTime},
        {"IE013_RODZAJ", T::Integer},
        kAudit,
        {"XML", T::Memo},
        {"PLIK", T::Memo},
        {"ID_EMAIL_ATTACH_PDF", T::Integer, 0, "0"}},
       {{"TRANZYTY_ID"}, {"LP"}, {"TYP"}, {"STATUS"}, {"NR_WLASNY"}},
       {}},
      {"TRANZYTY_KOSZTY",
       {{"TRANZYTY_ID", T::Integer, 0, "0", true},
        {"LP", T::Integer},
        {"KOD", T::String, 10},
        {"WARTOSC_WAL", T::Float},
        {"WALUTA", T::String, 3},
        {"KURS", T::Float},
        {"WARTOSC_PLN", T::Float},
        kAudit},
       {{"TRANZYTY_ID"}},
       {}},
      {"UC",
       {{"DataEdycji", T::Date},       {"Kod", T::String, 8},          {"NazwaPelna", T::String, 100},
        {"NazwaKrotka", T::String, 100}, {"UCNadrzedny", T::String, 8}, {"UlicaNumer", T::String, 100},
        {"KodPocztowy", T::String, 10}, {"Miejscowosc", T::String, 50}, {"Kraj", T::String, 2},
        {"Polozenie", T::String, 20},   {"Telefon", T::String, 50},     {"Faks", T::String, 50},
        {"Rola", T::String, 100},       {"Reczny", T::SmallInt},        {"AUT", T::SmallInt},
        {"CAU", T::SmallInt},           {"CCA", T::SmallInt},           {"CCD", T::SmallInt},
        {"CND", T::SmallInt},           {"DEP", T::SmallInt},           {"DES", T::SmallInt},
        {"EIN", T::SmallInt},           {"ENL", T::SmallInt},           {"ENT", T::SmallInt},
        {"EXC", T::SmallInt},           {"EXL", T::SmallInt},           {"EXP", T::SmallInt},
        {"EXT", T::SmallInt},           {"GUA", T::SmallInt},           {"MCA", T::SmallInt},
        {"REC", T::SmallInt},           {"REG", T::SmallInt},           {"TRA", T::SmallInt},
        // The day an office left the customs office list; it stays for the transits that name it.
        {"DataWycofania", T::Date},     kAudit},
       {{"KOD"}, {"RECZNY"}, {"DES"}, {"DEP"}},
       {"_IDX1", "_IDX2", "_DES", "_DEP"}},
  };
  return tables;
}

QString IndexName(const Table& t, size_t ordinal) {
  const QString table = QString::fromLatin1(t.name);
  if (!t.index_suffixes.empty()) return table + QString::fromLatin1(t.index_suffixes[ordinal]);
  return QStringLiteral("I%1_%2").arg(ordinal + 1).arg(table);
}

}  // namespace

void TransitSchema(host::TToolsDB& tools) {
  for (const Table& t : Tables()) {
    // A table without the audit marker has no audit columns.
    host::TableDecl decl{QString::fromLatin1(t.name), t.columns, {}, false};
    for (size_t i = 0; i < t.indexes.size(); ++i) {
      host::IndexDecl index{IndexName(t, i), {}};
      for (const char* c : t.indexes[i]) index.columns << QString::fromLatin1(c);
      decl.indexes.push_back(std::move(index));
    }
    host::DeclareTable(tools, decl);
  }
}

}  // namespace velmora::frame
