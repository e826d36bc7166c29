#include "host/ui/host_tables.h"

#include "host/base/dialogs.h"
#include "host/ui/email_accounts_win.h"
#include "host/ui/narzedzia_techniczne.h"
#include "host/db/exchange_rates.h"
#include "host/ui/frm_sql_win.h"
#include "host/base/host_context.h"
#include "host/ui/main_form.h"
#include "host/reports/raporty_win.h"
#include "host/ui/window_registry.h"

#include <QAction>
#include <QFileDialog>

namespace velmora::host {

namespace {

using T = FieldType;

FieldSpec F(const char* column, const char* caption, FieldType type = T::String, int width = 0, bool required = false,
            bool in_grid = true) {
  return Field(column, caption, type, width, in_grid, required);
}

}  // namespace

const TableSpec& KontrahenciSpec() {
  static const TableSpec table_spec{QStringLiteral("KONTRAHENCI"),
                              QStringLiteral("TKontrahenciWin"),
                              QStringLiteral("Kontrahenci"),
                              {F("Nazwa", "Nazwa", T::String, 150, true), F("Ulica", "Ulica", T::String, 100),
                               F("Nr_Dom", "Nr domu", T::String, 10), F("Nr_Lok", "Nr lokalu", T::String, 10),
                               F("Kod", "Kod pocztowy", T::String, 10), F("Poczta", "Poczta", T::String, 50, false, false),
                               F("Miejscowosc", "Miejscowość", T::String, 50), F("Kraj", "Kraj", T::String, 2),
                               F("NIP", "NIP", T::String, 20), F("REGON", "REGON", T::String, 14, false, false),
                               F("EORI", "EORI", T::String, 17), F("TIRholder", "Posiadacz karnetu TIR", T::String, 17, false, false),
                               F("NrAEO", "Nr świadectwa AEO", T::String, 35, false, false),
                               F("Telefon", "Telefon", T::String, 50, false, false), F("Email", "E-mail", T::String, 100, false, false)},
                              QStringLiteral("Nazwa")};
  return table_spec;
}

const TableSpec& UzytkownicySpec() {
  static const TableSpec table_spec{QStringLiteral("UZYTKOWNIK"),
                              QStringLiteral("TUsersWin"),
                              QStringLiteral("Użytkownicy"),
                              {F("LOGIN", "Login", T::String, 50, true), F("NAZWA", "Nazwa", T::String, 100, true),
                               F("LOKALIZACJA", "Lokalizacja", T::String, 100), F("ADMIN", "Administrator", T::SmallInt, 1),
                               F("SYSADMIN", "Administrator systemu", T::SmallInt, 1),
                               F("SERWIS", "Konto usługowe", T::SmallInt, 1)},
                              QStringLiteral("LOGIN")};
  return table_spec;
}

const TableSpec& UCSpec() {
  static const TableSpec table_spec = [] {
    TableSpec t{QStringLiteral("UC"),
                QStringLiteral("TUCWin"),
                QStringLiteral("Urzędy celne"),
                {F("Kod", "Kod", T::String, 8, true), F("NazwaKrotka", "Nazwa", T::String, 100, true),
                 F("NazwaPelna", "Nazwa pełna", T::String, 100, false, false),
                 F("Miejscowosc", "Miejscowość", T::String, 50), F("Kraj", "Kraj", T::String, 2, true),
                 F("UlicaNumer", "Ulica", T::String, 100, false, false),
                 F("KodPocztowy", "Kod pocztowy", T::String, 10, false, false),
                 F("Telefon", "Telefon", T::String, 50, false, false),
                 F("DEP", "Wyjścia", T::SmallInt, 1), F("DES", "Przeznaczenia", T::SmallInt, 1),
                 F("TRA", "Tranzytowy", T::SmallInt, 1), F("EXT", "Wyprowadzenia", T::SmallInt, 1),
                 F("GUA", "Gwarancyjny", T::SmallInt, 1), F("Rola", "Role", T::String, 100, false, false),
                 F("DataWycofania", "Wycofany", T::Date), F("Reczny", "Wpisany ręcznie", T::SmallInt, 1)},
                QStringLiteral("Kod")};
    // The list's refreshes leave alone an office the agency entered or changed by hand.
    for (FieldSpec& f : t.fields)
      if (f.column == QLatin1String("Reczny") || f.column == QLatin1String("DataWycofania")) f.in_editor = false;
    t.stamp = {{QStringLiteral("Reczny"), 1}};
    return t;
  }();
  return table_spec;
}

const TableSpec& WalutySpec() {
  static const TableSpec table_spec{QStringLiteral("WALUTY"),
                              QStringLiteral("TWalutyWin"),
                              QStringLiteral("Waluty"),
                              {F("KOD", "Kod", T::String, 3, true), F("NAZWA", "Nazwa", T::String, 100),
                               F("AKTYWNA", "Aktywna", T::SmallInt, 1)},
                              QStringLiteral("KOD")};
  return table_spec;
}

const TableSpec& KursySpec() {
  static const TableSpec table_spec{QStringLiteral("Kursy"),
                              QStringLiteral("TKursyWin"),
                              QStringLiteral("Kursy walut"),
                              {F("DATA", "Data", T::Date, 0, true), F("WALUTA", "Waluta", T::String, 3, true),
                               F("PRZELICZNIK", "Przelicznik", T::Integer), F("KURS", "Kurs", T::Float, 0, true)},
                              QStringLiteral("DATA desc, WALUTA")};
  return table_spec;
}

const TableSpec& TaricSpec() {
  static const TableSpec table_spec{QStringLiteral("TARIC"),
                                    QStringLiteral("TTARICWin"),
                                    QStringLiteral("Kody CN (TARIC)"),
                                    {F("KOD", "Kod CN", T::String, 10, true), F("OPIS", "Opis", T::String, 250),
                                     F("MAX_CLO", "Maks. stawka cła (%)", T::Float), F("MAX_VAT", "Maks. stawka VAT (%)", T::Float)},
                                    QStringLiteral("KOD")};
  return table_spec;
}

const TableSpec& WpisyRejestruSpec() {
  static const TableSpec table_spec{QStringLiteral("IM"),
                                    QStringLiteral("TWpisyRejestruWin"),
                                    QStringLiteral("Rejestr uproszczony - wpisy"),
                                    {F("NrWpisu", "Nr wpisu", T::Integer), F("DataWpisu", "Data wpisu", T::Date),
                                     F("LpRej", "Pozycja rejestru", T::String, 30), F("NRNCTS", "Nr NCTS", T::String, 50),
                                     F("LiczbaPoz", "Liczba pozycji", T::Integer), F("MASA_BRUTTO", "Masa brutto", T::Float),
                                     F("Data", "Data", T::Date)},
                                    QStringLiteral("ID_IM desc")};
  return table_spec;
}

const TableSpec& OpisyRosjaSpec() {
  static const TableSpec table_spec{QStringLiteral("OPISY_ROSJA"),
                                    QStringLiteral("OpisyTowarowROSJA"),
                                    QStringLiteral("Opisy towarów w j.rosyjskim"),
                                    {F("KOD_CN", "Kod CN", T::String, 10, true), F("OPIS_PL", "Opis polski", T::String, 255),
                                     F("OPIS_RU", "Opis rosyjski", T::String, 255, true)},
                                    QStringLiteral("KOD_CN, OPIS_PL")};
  return table_spec;
}

void HostTablesSchema(TToolsDB& tools) {
  DeclareTable(tools, Tabela(TaricSpec(), {{"TARIC_IDX1", {"KOD"}, true}}));
  DeclareTable(tools, Tabela(KontrahenciSpec(), {{"KONTRAHENCI_IDX1", {"Nazwa"}}, {"KONTRAHENCI_IDX2", {"NIP"}}}));
  DeclareTable(tools, Tabela(OpisyRosjaSpec(), {{"OPISY_ROSJA_IDX1", {"KOD_CN"}}}));
}

namespace {

QWidget* OpenSpec(HostContext& ctx, const TableSpec& table_spec) {
  auto* win = new THostTableWin(ctx, table_spec);
  win->Init();
  if (&table_spec == &KursySpec()) {
    // Rates come in as the national bank publishes them.
    auto* import = new QAction(QStringLiteral("Importuj tabelę kursów..."), win);
    QObject::connect(import, &QAction::triggered, win, [&ctx, win] {
      const QString file = QFileDialog::getOpenFileName(win, QStringLiteral("Tabela kursów"), QString(), QStringLiteral("Plik XML (*.xml)"));
      if (file.isEmpty()) return;
      try {
        const ImportResult r = ExchangeRates(ctx.db, ctx.user, ctx.clock).ImportTabelaA(file);
        QString text = QStringLiteral("Zaimportowano tabel: %1, kursów: %2").arg(r.tabele).arg(r.kursy);
        if (!r.pominiete.isEmpty()) text += QStringLiteral("\nPominięto tabele wczytane wcześniej: ") + r.pominiete.join(QStringLiteral(", "));
        ctx.dialogs.Informacja(text);
      } catch (const ExchangeRatesError& e) {
        ctx.dialogs.Blad(e.Text());
      }
      win->RebuildQuery();
    });
    win->AddActionToMenu(import);
  }
  return win;
}

std::optional<Row> Pick(HostContext& ctx, const TableSpec& table_spec, const QString& column, const QVariant& initial,
                        QWidget* parent, const QString& where = {}, const Params& params = {}) {
  auto* win = new THostTableWin(ctx, table_spec);
  win->SetFilter(where, params);
  win->Init();
  return PickRow(win, column, initial, parent);
}

}  // namespace

void RegisterHostWindows() {
  for (const TableSpec* table_spec :
       {&KontrahenciSpec(), &UzytkownicySpec(), &UCSpec(), &WalutySpec(), &KursySpec(), &TaricSpec(), &OpisyRosjaSpec()})
    RegisterWindowClass(table_spec->window_class, [table_spec](HostContext& ctx, const WindowArgs&) { return OpenSpec(ctx, *table_spec); });
  RegisterMailWindows();
  RegisterWindowClass(WpisyRejestruSpec().window_class, [](HostContext& ctx, const WindowArgs&) -> QWidget* {
    auto* win = new THostTableWin(ctx, WpisyRejestruSpec());
    win->Init();
    win->TylkoDoOdczytu();
    return win;
  });
  RegisterNarzedziaTechniczne();
  // The reports run to their end inside the opening call and leave no child window.
  RegisterWindowClass(QStringLiteral("TTerminowoscRpt"), [](HostContext& ctx, const WindowArgs&) -> QWidget* {
    UruchomTerminowosc(ctx, ctx.main_form);
    return nullptr;
  });
  RegisterWindowClass(QStringLiteral("TWPTRpt"), [](HostContext& ctx, const WindowArgs&) -> QWidget* {
    UruchomSaldoGwarancji(ctx, ctx.main_form);
    return nullptr;
  });
}

std::optional<Row> WybierzKontrahenta(HostContext& ctx, const QVariant& initial_id, QWidget* parent) {
  return Pick(ctx, KontrahenciSpec(), KontrahenciSpec().Key(), initial_id, parent);
}

std::optional<Row> WybierzKontrahentaPoNazwie(HostContext& ctx, const QString& nazwa, QWidget* parent) {
  return Pick(ctx, KontrahenciSpec(), QStringLiteral("Nazwa"), nazwa, parent);
}

std::optional<Row> WybierzKontrahentaPoEORI(HostContext& ctx, const QString& eori, QWidget* parent) {
  return Pick(ctx, KontrahenciSpec(), QStringLiteral("EORI"), eori.trimmed(), parent);
}

std::optional<Row> WybierzKodCN(HostContext& ctx, const QString& initial_kod, QWidget* parent) {
  return Pick(ctx, TaricSpec(), QStringLiteral("KOD"), initial_kod, parent);
}

std::optional<Row> WybierzPosiadaczaTIR(HostContext& ctx, const QVariant& initial_id, QWidget* parent) {
  return Pick(ctx, KontrahenciSpec(), KontrahenciSpec().Key(), initial_id, parent,
              QStringLiteral("TIRholder is not null and TIRholder <> '' and TIRholder <> '0'"), {});
}

THostTableWin* ListaUC(HostContext& ctx, const QString& kraj, RolaUC rola) {
  QString where = QStringLiteral("DataWycofania is null");
  Params params;
  if (!kraj.isEmpty()) {
    where += QStringLiteral(" and Kraj = :KRAJ");
    params.insert(QStringLiteral("KRAJ"), kraj);
  }
  if (const QString kolumna = KolumnaRoli(rola); !kolumna.isEmpty()) where += QStringLiteral(" and %1 = 1").arg(kolumna);
  auto* win = new THostTableWin(ctx, UCSpec());
  win->SetFilter(where, params);
  win->Init();
  return win;
}

std::optional<Row> ListujUC(HostContext& ctx, const QString& kraj, RolaUC rola, const QString& initial_kod, QWidget* parent) {
  return PickRow(ListaUC(ctx, kraj, rola), QStringLiteral("Kod"), initial_kod, parent);
}

std::optional<Row> WybierzWalute(HostContext& ctx, const QString& initial_kod, QWidget* parent) {
  return Pick(ctx, WalutySpec(), QStringLiteral("KOD"), initial_kod, parent);
}

}  // namespace velmora::host
