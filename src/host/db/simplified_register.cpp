#include "host/db/simplified_register.h"

#include "host/db/tools_db.h"

namespace velmora::host {

namespace {

using T = FieldType;

const ColumnDecl kIm[] = {
    {"SAD", T::Memo, 0, ""},            {"NrWpisu", T::Integer, 0, "0"},   {"DataWpisu", T::Date, 0, ""},
    {"Rok", T::Integer, 0, "0"},        {"LpRej", T::String, 30, ""},      {"LiczbaPoz", T::Integer, 0, "0"},
    {"ID_RGRej", T::Integer, 0, "0"},   {"Generowany", T::SmallInt, 0, "0"}, {"KOR_Stat", T::Integer, 0, "0"},
    {"KOR_ID_IM", T::Integer, 0, "0"},  {"PU_Stat", T::Integer, 0, "0"},   {"ID_RGPow", T::Integer, 0, "0"},
    {"PozaGodz", T::SmallInt, 0, "0"},  {"ID_GwarPoz", T::Integer, 0, "0"}, {"ID_Gwar", T::Integer, 0, "0"},
    {"GWAR_NOWA_POZ", T::Integer, 0, "0"}, {"NrOGL", T::String, 50, ""},  {"NrDTO", T::String, 50, ""},
    {"DataOGL", T::Date, 0, ""},        {"DC_Termin", T::Date, 0, ""},     {"DC_Clo", T::Float, 0, "0"},
    {"DC_Inne", T::Float, 0, "0"},      {"DC_Kwota", T::Float, 0, "0"},    {"DC_VAT", T::Float, 0, "0"},
    {"Data", T::Date, 0, ""},           {"Kor_Data", T::Date, 0, ""},      {"id_rgpay", T::Integer, 0, "0"},
    {"NRNCTS", T::String, 50, ""},      {"CS", T::SmallInt, 0, "0"},       {"CS_KWOTA", T::Float, 0, "0"},
    {"CS_NOWA", T::SmallInt, 0, "0"},   {"MASA_BRUTTO", T::Float, 0, "0"},
};

const ColumnDecl kRgPow[] = {
    {"Typ", T::String, 10, ""},
    {"Numer", T::String, 50, ""},
    {"Data", T::Date, 0, ""},
};

const ColumnDecl kBlokadaCn[] = {
    {"Kod", T::String, 10, ""},
    {"Dozwolony", T::SmallInt, 0, "0"},
    {"ID_RGRej", T::Integer, 0, "0"},
};

const ColumnDecl kRgPay[] = {
    {"kwota_clo", T::Float, 0, "0"},   {"kwota_vat", T::Float, 0, "0"},  {"kwota_inne", T::Float, 0, "0"},
    {"kwota_razem", T::Float, 0, "0"}, {"zaplacone", T::Float, 0, "0"},  {"BylaKorekta", T::SmallInt, 0, "0"},
};

}  // namespace

void SimplifiedRegisterSchema(TToolsDB& tools) {
  const TableDecl tables[] = {
      {"IM", Columns(kIm), {{"IM_IDX1", {"ID_RGRej", "Rok", "NrWpisu"}}, {"IM_IDX2", {"id_rgpay"}}}},
      {"RGPow", Columns(kRgPow)},
      {"BlokadaCN", Columns(kBlokadaCn)},
      {"rgpay", Columns(kRgPay)},
  };
  for (const TableDecl& t : tables) DeclareTable(tools, t);
}

}  // namespace velmora::host
