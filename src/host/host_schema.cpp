#include "host_schema.h"

#include "customs_dictionary.h"
#include "email_accounts.h"
#include "exchange_rates.h"
#include "guarantee_ledger.h"
#include "host_tables.h"
#include "simplified_register.h"
#include "tools_db.h"
#include "warehouse_tables.h"

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
  const QString users = QStringLiteral("UZYTKOWNIK");
  tools.CreateTable(users);
  tools.CommitQ();
  tools.AddField(users, QStringLiteral("LOGIN"), T::String, 50, {}, true);
  tools.AddField(users, QStringLiteral("NAZWA"), T::String, 100);
  tools.AddField(users, QStringLiteral("LOKALIZACJA"), T::String, 100);
  tools.AddField(users, QStringLiteral("ADMIN"), T::SmallInt, 0, QStringLiteral("0"), true);
  tools.AddField(users, QStringLiteral("SYSADMIN"), T::SmallInt, 0, QStringLiteral("0"), true);
  tools.AddField(users, QStringLiteral("SERWIS"), T::SmallInt, 0, QStringLiteral("0"), true);
  tools.AddField(users, QStringLiteral("AKTYWNY"), T::SmallInt, 0, QStringLiteral("1"), true);
  AddAuditFields(tools, users);
  tools.CommitQ();
  tools.AddIndex(users, QStringLiteral("UZYTKOWNIK_IDX1"), {QStringLiteral("LOGIN")}, true);
  tools.CommitQ();

  const QString options = QStringLiteral("OPCJE");
  tools.CreateTable(options);
  tools.CommitQ();
  tools.AddField(options, QStringLiteral("ZAKRES"), T::SmallInt, 0, QStringLiteral("0"), true,
                 QStringLiteral("0 - globalna, 1 - użytkownika, 2 - aplikacji"));
  tools.AddField(options, QStringLiteral("ID_UZYTKOWNIK"), T::Integer, 0, QStringLiteral("0"), true);
  tools.AddField(options, QStringLiteral("APLIKACJA"), T::String, 50, QStringLiteral("-"), true);
  tools.AddField(options, QStringLiteral("SEKCJA"), T::String, 100, {}, true);
  tools.AddField(options, QStringLiteral("KLUCZ"), T::String, 100, {}, true);
  tools.AddField(options, QStringLiteral("WARTOSC"), T::Memo);
  tools.CommitQ();
  tools.AddIndex(options, QStringLiteral("OPCJE_IDX1"),
                 {QStringLiteral("ZAKRES"), QStringLiteral("ID_UZYTKOWNIK"), QStringLiteral("APLIKACJA"),
                  QStringLiteral("SEKCJA"), QStringLiteral("KLUCZ")},
                 true);
  tools.CommitQ();

  HostTablesSchema(tools);
  ExchangeRatesSchema(tools);
  WarehouseSchema(tools);
  DeclareColumns(tools, QStringLiteral("RGRejPow"), kRGRejPow);
  DeclareColumns(tools, QStringLiteral("RGRej"), kRGRej);
  SimplifiedRegisterSchema(tools);
  GuaranteeLedgerSchema(tools);
  EmailSchema(tools);
  CustomsDictionarySchema(tools);
}

}  // namespace velmora::host
