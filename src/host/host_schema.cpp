#include "host/host_schema.h"

#include "host/db/customs_dictionary.h"
#include "host/mail/email_accounts.h"
#include "host/db/exchange_rates.h"
#include "host/db/guarantee_ledger.h"
#include "host/ui/host_tables.h"
#include "host/db/simplified_register.h"
#include "host/db/tools_db.h"
#include "host/db/warehouse_tables.h"

namespace velmora::host {

namespace {

using T = FieldType;

// The simplified-procedure register and its authorisation, as the register entry reads them.
const ColumnDecl kRGRej[] = {
    {"Dodatkowy", T::SmallInt, 0, "0"},       {"WylaczSaldowanieGwar", T::SmallInt, 0, "0"},
    {"P40_NrWpisu_LP", T::SmallInt, 0, "0"},  {"PrefixP7", T::String, 10, ""},
    {"Typ", T::Integer, 0, "0"},              {"bezPWD", T::SmallInt, 0, "0"},
    {"VAT_bez_Zabezpieczenia", T::SmallInt, 0, "0"}, {"VAT_AUDYT", T::SmallInt, 0, "0"},
    {"KodDokWym", T::String, 10, ""},         {"Procedura", T::String, 10, ""},
    {"Symbol", T::String, 20, ""},            {"Nazwa", T::String, 100, ""},
    {"NrPozw", T::String, 50, ""},            {"Pozw_Bezterm", T::SmallInt, 0, "0"},
    {"ECS_ProcAwar", T::SmallInt, 0, "0"},    {"Data", T::Date, 0, ""},
    {"Termin", T::Date, 0, ""},               {"PG_Numer", T::String, 50, ""},
    {"PG_Kod", T::String, 20, ""},            {"ID_RGGwar", T::Integer, 0, "0"},
    {"OznMiejscaUzn", T::String, 50, ""},     {"DefMP", T::String, 50, ""},
    {"DefSAD_Typ", T::String, 5, ""},         {"DefSAD_Podtyp", T::String, 5, ""},
    {"DefSAD_P1a", T::String, 5, ""},         {"DefSAD_P1b", T::String, 5, ""},
    {"DefSAD_P1c", T::String, 5, ""},         {"DefSAD_UCZgl", T::String, 10, ""},
    {"DefSAD_Lokalizacja", T::String, 50, ""}, {"DefSAD_RodzTransp", T::String, 5, ""},
    {"DefSAD_Lokalizacja2", T::String, 50, ""}, {"DefSAD_RodzTransp2", T::String, 5, ""},
    {"DefSAD_BezPozwWP44", T::Integer, 0, "0"}, {"WpisPA", T::String, 20, ""},
    {"WpisPC", T::String, 20, ""},            {"WpisFmt", T::Integer, 0, "0"},
    {"OGL_PB", T::String, 50, ""},            {"OGL_P44", T::String, 50, ""},
    {"DC_Typ", T::String, 10, ""},            {"DC_Dni", T::Integer, 0, "10"},
    {"DC_Data", T::Date, 0, ""},              {"PAC_RAMKI", T::Float, 0, "0"},
    {"PAC_PL", T::Float, 0, "0"},             {"PAC_UC", T::Float, 0, "0"},
    {"PAC_REJ", T::Float, 0, "0"},            {"PAC_DT", T::Float, 0, "0"},
    {"PAC_NAZWA", T::Float, 0, "0"},          {"PAC_POZW", T::Float, 0, "0"},
    {"PAC_SZ", T::Float, 0, "0"},             {"PAC_WYS", T::Float, 0, "0"},
    {"PAC_PL_SZ", T::Float, 0, "0"},          {"PAC_PL_WYS", T::Float, 0, "0"},
    {"PAC_FIRMA_SZ", T::Float, 0, "0"},       {"PAC_WPIS_SYS", T::Float, 0, "0"},
    {"PAC_FIRMA1", T::String, 40, ""},        {"PAC_FIRMA2", T::String, 40, ""},
    {"PAC_POZW1", T::String, 40, ""},         {"PAC_POZW2", T::String, 40, ""},
    {"ID_RGRejPow", T::Integer, 0, "0"},
    // Work without notifications outside the customs office's hours, and for indirect authorisations.
    {"BezPWD_PG", T::SmallInt, 0, "0"},       {"BezPWD_UP", T::SmallInt, 0, "0"},
};

const ColumnDecl kRGRejPow[] = {
    {"Symbol", T::String, 20, ""},        {"Korzystajacy", T::String, 150, ""},
    {"UlicaNumer", T::String, 100, ""},   {"KodPocztowy", T::String, 10, ""},
    {"Miejscowosc", T::String, 50, ""},   {"Kraj", T::String, 2, ""},
    {"NIP", T::String, 20, ""},           {"Regon", T::String, 20, ""},
    {"EORI", T::String, 17, ""},          {"NrMiejscaUzn", T::String, 50, ""},
    {"MiejsceUzn", T::String, 100, ""},   {"NrUC1", T::String, 8, ""},
    {"NrUC2", T::String, 8, ""},          {"NrUC3", T::String, 8, ""},
    {"UCKontrolny1", T::String, 8, ""},   {"UCKontrolny2", T::String, 8, ""},
    {"UCKontrolny3", T::String, 8, ""},   {"NCTS", T::SmallInt, 0, "0"},
    {"ID_RGGwarNowa", T::Integer, 0, "0"},
};

}  // namespace

void HostSchema(TToolsDB& tools) {
  const TableDecl tables[] = {
      {"UZYTKOWNIK",
       {{"LOGIN", T::String, 50, "", true},
        {"NAZWA", T::String, 100},
        {"LOKALIZACJA", T::String, 100},
        {"ADMIN", T::SmallInt, 0, "0", true},
        {"SYSADMIN", T::SmallInt, 0, "0", true},
        {"SERWIS", T::SmallInt, 0, "0", true},
        {"AKTYWNY", T::SmallInt, 0, "1", true}},
       {{"UZYTKOWNIK_IDX1", {"LOGIN"}, true}}},
      {"OPCJE",
       {{"ZAKRES", T::SmallInt, 0, "0", true, "0 - globalna, 1 - użytkownika, 2 - aplikacji"},
        {"ID_UZYTKOWNIK", T::Integer, 0, "0", true},
        {"APLIKACJA", T::String, 50, "-", true},
        {"SEKCJA", T::String, 100, "", true},
        {"KLUCZ", T::String, 100, "", true},
        {"WARTOSC", T::Memo}},
       {{"OPCJE_IDX1", {"ZAKRES", "ID_UZYTKOWNIK", "APLIKACJA", "SEKCJA", "KLUCZ"}, true}},
       false},
  };
  for (const TableDecl& t : tables) DeclareTable(tools, t);

  HostTablesSchema(tools);
  ExchangeRatesSchema(tools);
  WarehouseSchema(tools);
  DeclareTable(tools, {"RGRejPow", Columns(kRGRejPow)});
  DeclareTable(tools, {"RGRej", Columns(kRGRej)});
  SimplifiedRegisterSchema(tools);
  GuaranteeLedgerSchema(tools);
  EmailSchema(tools);
  CustomsDictionarySchema(tools);
}

QStringList CheckChangeDB(Db& db) {
  TToolsDB tools(db);
  HostSchema(tools);
  tools.Finish();
  RunSchemaRoutines(tools);
  return tools.Changes();
}

}  // namespace velmora::host
