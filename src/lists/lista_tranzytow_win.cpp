#include "lista_tranzytow_win.h"

#include "exchange/receive_wizard.h"
#include "exchange/send_wizard.h"

#include "frame/message_editors.h"
#include "rejestry_win.h"
#include "tranzyty_pozycje.h"
#include "wydruk_rejestru.h"
#include "tranzyty_pozycje_win.h"
#include "frame/codes.h"
#include "frame/shared_state.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/ui/host_tables.h"
#include "host/ui/main_form.h"
#include "host/db/options.h"
#include "host/db/users.h"
#include "host/ui/window_registry.h"
#include "frame/transit_store.h"
#include "host/ui/tab_wizard_box.h"

#include <QAction>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QMenu>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::lists {

TTranzytyListaWin::TTranzytyListaWin(host::HostContext& ctx, int rodzaj, QWidget* parent)
    : TFrmSqlWin(ctx, parent), logic_(ctx, rodzaj) {
  setObjectName(logic_.Sekcja());
  filtr_ = logic_.WczytajFiltr();
  BuildPanel();
}

QString TTranzytyListaWin::GetMainCaption() {
  return logic_.Rodzaj() == frame::kRodzajWywoz ? QStringLiteral("Lista objęć tranzytów") : QStringLiteral("Lista zakończeń tranzytów");
}

void TTranzytyListaWin::BuildPanel() {
  auto* panel = new QWidget(this);
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(0, 0, 0, 0);
  auto button = [&](const QString& text, const QString& tip, auto slot) {
    auto* b = new QToolButton(panel);
    b->setText(text);
    b->setToolTip(tip);
    connect(b, &QToolButton::clicked, this, slot);
    row->addWidget(b);
  };
  row->addWidget(new QLabel(QStringLiteral("Aktywny rejestr:"), panel));
  rejestr_ = new QLineEdit(panel);
  rejestr_->setReadOnly(true);
  rejestr_->setObjectName(QStringLiteral("beRejestr"));
  row->addWidget(rejestr_);
  button(QStringLiteral("..."), QStringLiteral("Wybierz rejestr"), [this] {
    auto* picker = new TRejestryWin(ctx_);
    picker->Init();
    if (const auto r = host::PickRow(picker, QStringLiteral("NAZWA"), frame::AktywnyRejestr.Nazwa, this)) {
      frame::AktywnyRejestr = {r->Int(QStringLiteral("ID_REJESTRY")), r->Str(QStringLiteral("NAZWA"))};
      filtr_.rejestr_id = frame::AktywnyRejestr.Id;
      ShowFilter();
      RebuildQuery();
    }
  });
  button(QStringLiteral("X"), QStringLiteral("Wszystkie rejestry"), [this] { WszystkieRejestry(); });
  row->addSpacing(16);
  row->addWidget(new QLabel(QStringLiteral("Pokaż zgłoszenia założone przez:"), panel));
  uzytkownik_ = new QLineEdit(panel);
  uzytkownik_->setReadOnly(true);
  uzytkownik_->setObjectName(QStringLiteral("beUzytkownik"));
  row->addWidget(uzytkownik_);
  button(QStringLiteral("Ja"), QStringLiteral("Bieżący użytkownik"),
         [this] { UstawUzytkownika(ctx_.user.UserInfo().GetID(), ctx_.user.UserInfo().GetNAZWA()); });
  button(QStringLiteral("..."), QStringLiteral("Wybierz użytkownika"), [this] {
    auto* picker = new host::THostTableWin(ctx_, host::UzytkownicySpec());
    picker->Init();
    if (const auto r = host::PickRow(picker, QStringLiteral("ID_UZYTKOWNIK"), filtr_.uzytkownik_id, this))
      UstawUzytkownika(r->Int(QStringLiteral("ID_UZYTKOWNIK")), r->Str(QStringLiteral("NAZWA")));
  });
  button(QStringLiteral("X"), QStringLiteral("Wszyscy użytkownicy"), [this] { UstawUzytkownika(kWszyscyUzytkownicy, QString()); });
  zakladki_ = new QTabBar(this);
  zakladki_->addTab(QStringLiteral(" Wszystkie"));
  zakladki_->addTab(QStringLiteral(" WPT "));
  zakladki_->addTab(QStringLiteral(" TIR "));
  connect(zakladki_, &QTabBar::currentChanged, this, [this](int i) { UstawZakladke(i); });
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  layout->insertWidget(0, panel);
  layout->insertWidget(2, zakladki_);
  ShowFilter();
}

void TTranzytyListaWin::ShowFilter() {
  rejestr_->setText(frame::AktywnyRejestr.Id > 0 ? frame::AktywnyRejestr.Nazwa : frame::kWszystkieRejestry);
  uzytkownik_->setText(filtr_.uzytkownik_nazwa);
}

void TTranzytyListaWin::WszystkieRejestry() {
  frame::AktywnyRejestr = {0, frame::kWszystkieRejestry};
  filtr_.rejestr_id = 0;
  ShowFilter();
  RebuildQuery();
}

void TTranzytyListaWin::UstawUzytkownika(int id, const QString& nazwa) {
  filtr_.uzytkownik_id = id;
  filtr_.uzytkownik_nazwa = nazwa;
  ShowFilter();
  RebuildQuery();
}

void TTranzytyListaWin::UstawZakladke(int zakladka) {
  filtr_.zakladka = zakladka;
  // The tab bar's signal comes back here and reads the list once.
  if (zakladki_->currentIndex() != zakladka) return zakladki_->setCurrentIndex(zakladka);
  RebuildQuery();
}

void TTranzytyListaWin::InitSQLStrings(QString& select, QString& where, QString& order) {
  if (!made_) {
    made_ = true;
    disconnect(actNowy, nullptr, this, nullptr);
    connect(actNowy, &QAction::triggered, this, &TTranzytyListaWin::Nowy);
    disconnect(actPopraw, nullptr, this, nullptr);
    connect(actPopraw, &QAction::triggered, this, &TTranzytyListaWin::Komunikaty);
    actPopraw->setVisible(false);
    actKomunikaty = new QAction(QStringLiteral("Komunikaty"), this);
    connect(actKomunikaty, &QAction::triggered, this, &TTranzytyListaWin::Komunikaty);
    AddActionToMenu(actKomunikaty, true);
    actWyslij = new QAction(QStringLiteral("Wyślij ..."), this);
    connect(actWyslij, &QAction::triggered, this, [this] {
      const qint64 id = CurrentKey();
      if (id <= 0) {
        ctx_.dialogs.Informacja(QStringLiteral("Brak danych w systemie NCTS"));
        return;
      }
      const auto ostatni = frame::TransitStore(ctx_.db).Najnowszy(id);
      const qint64 last = ostatni ? ostatni->Int64(QStringLiteral("ID_TRANZYTY_POZYCJE")) : 0;
      exchange::TWyslijKomunikatWiz::Wyslij(ctx_, last, this);
      RefreshOpenLists();
    });
    AddActionToMenu(actWyslij);
    actOdbierz = exchange::TKomunikatOdbierzWiz::Akcja(ctx_, this);
    actKopiuj = new QAction(logic_.Rodzaj() == frame::kRodzajWywoz ? QStringLiteral("Kopiuj zgłoszenie") : QStringLiteral("Kopiuj"), this);
    connect(actKopiuj, &QAction::triggered, this, &TTranzytyListaWin::Kopiuj);
    AddActionToMenu(actKopiuj);
    actNaprawMRN = new QAction(QStringLiteral("Przywróć numer MRN"), this);
    connect(actNaprawMRN, &QAction::triggered, this, &TTranzytyListaWin::NaprawMRN);
    Grid()->setContextMenuPolicy(Qt::ActionsContextMenu);
    Grid()->addAction(actNaprawMRN);
    if (logic_.Rodzaj() == frame::kRodzajPrzywoz) {
      actOdprawy = new QAction(QStringLiteral("Odprawy"), this);
      connect(actOdprawy, &QAction::triggered, this, [this] {
        if (CurrentKey() <= 0) return;
        auto* win = new TOdprawyWin(ctx_, CurrentKey());
        win->Init();
        win->setAttribute(Qt::WA_DeleteOnClose);
        if (ctx_.main_form) ctx_.main_form->Mdi()->addSubWindow(win)->show();
        else win->show();
      });
      AddActionToMenu(actOdprawy);
      auto* spmOdprawy = new QMenu(this);
      spmOdprawy->setObjectName(QStringLiteral("spmOdprawy"));
      QAction* wydruk = spmOdprawy->addAction(QStringLiteral("Wydruk"));
      wydruk->setObjectName(QStringLiteral("actWydrukRejestru"));
      connect(wydruk, &QAction::triggered, this, [this] { WydrukRejestru(); });
      AddActionToMenu(wydruk);
      if (frame::FPRATT) actOdprawy->setMenu(spmOdprawy);
    } else {
      // The departures' register printout has no clearances: a plain action.
      auto* wydruk = new QAction(QStringLiteral("Wydruk"), this);
      wydruk->setObjectName(QStringLiteral("actWydrukRejestru"));
      connect(wydruk, &QAction::triggered, this, [this] { WydrukRejestru(); });
      AddActionToMenu(wydruk);
    }
  }
  select = logic_.Select();
  where = logic_.Warunki(filtr_);
  order = ListaTranzytow::Order();
}

void TTranzytyListaWin::AfterQuery() {
  const bool wywoz = logic_.Rodzaj() == frame::kRodzajWywoz;
  // In the order the grid shows them; an empty caption hides the column.
  const std::vector<std::pair<const char*, const char*>> departure = {
      {"ID_TRANZYTY", "Id"}, {"TYP", "Typ"}, {"NUMER", "Numer"}, {"CREATE_DATE", "Data"}, {"MRN", "MRN"},
      {"SAMOCHOD_NR", "Nr samochodu"}, {"TIR", "TIR"}, {"TIR_NUMER", "Nr karnetu TIR"}, {"ODBIORCA_NAZWA", "Odbiorca"},
      {"OPIS", "Opis status"}, {"WAGA_BRUTTO", "Masa brutto"}, {"LICZBA_OPAKOWAN", "Opakowania"}, {"PU", "PU"},
      {"NADAWCA_NAZWA", "Nadawca"}, {"REJESTR_NAZWA", "Rejestr"}};
  const std::vector<std::pair<const char*, const char*>> arrival = {
      {"ID_TRANZYTY", "Id"}, {"TYP", "Typ"}, {"NUMER", "Numer"}, {"CREATE_DATE", "Data"}, {"MRN", "MRN"}, {"TIR", "TIR"},
      {"TIR_NUMER", "Nr karnetu TIR"}, {"NADAWCA_NAZWA", "Nadawca"}, {"SAMOCHOD_NR", "Nr samochodu"}, {"OPIS", "Opis statusu"},
      {"WAGA_BRUTTO", "Masa"}, {"LICZBA_OPAKOWAN", "Opakowania"}, {"PU", "PU"}, {"DATA_WYSLANIA", "Data zwolnienia IE025"},
      {"REJESTR_NAZWA", "Rejestr"}};
  const auto& captions = wywoz ? departure : arrival;
  const QSqlRecord rec = Model()->record();
  for (int i = 0; i < rec.count(); ++i) {
    const QString name = rec.fieldName(i).toUpper();
    QString caption;
    for (const auto& [column, text] : captions)
      if (name == QLatin1String(column)) caption = QString::fromUtf8(text);
    Model()->setHeaderData(i, Qt::Horizontal, caption);
    Grid()->setColumnHidden(i, caption.isEmpty());
  }
  if (columns_ordered_) return;  // after the first query the clerk's own order stands
  columns_ordered_ = true;
  QHeaderView* header = Grid()->horizontalHeader();
  int visual = 0;
  for (const auto& [column, text] : captions)
    for (int i = 0; i < rec.count(); ++i)
      if (rec.fieldName(i).compare(QLatin1String(column), Qt::CaseInsensitive) == 0) header->moveSection(header->visualIndex(i), visual++);
}

QVariant TTranzytyListaWin::CellData(int row, const QString& column, int role, const QVariant& stored) const {
  const QString c = column.toUpper();
  if (role == Qt::ForegroundRole && c == QLatin1String("TYP"))
    return KolorKomunikatu(stored.toString(), Stored(row, QStringLiteral("STATUS")).toInt(), 0);
  if (role == Qt::DecorationRole && c == QLatin1String("TYP"))
    return IkonaTypu(stored.toString(), Stored(row, QStringLiteral("STATUS")).toInt(), 0);
  if (role != Qt::DisplayRole) return {};
  if (c == QLatin1String("TIR") || c == QLatin1String("PU")) return stored.toInt() == 1 ? QStringLiteral("TAK") : QString();
  if (c == QLatin1String("OPIS") && logic_.Rodzaj() == frame::kRodzajWywoz) {
    const int status = Stored(row, QStringLiteral("STATUS")).toInt();
    const QString prefix = status == 0   ? QStringLiteral("Nowe ")
                           : status == 1 ? QStringLiteral("Zmieniono ")
                           : status == 2 ? QStringLiteral("Wysłano ")
                                         : QStringLiteral("Odebrano ");
    return Stored(row, QStringLiteral("TYP")).toString() + QStringLiteral(" - ") + prefix + stored.toString();
  }
  return stored;
}

void TTranzytyListaWin::Nowy() {
  const QString typ = logic_.Rodzaj() == frame::kRodzajWywoz ? frame::typ::IE015 : frame::typ::IE007;
  QVariantMap row{{QStringLiteral("NUMER"), frame::kAuto},
                  {QStringLiteral("REJESTRY_ID"), frame::AktywnyRejestr.Id},
                  {QStringLiteral("RYCZALT"), ctx_.options.ReadOption(QStringLiteral("SALDOWANIE"), QStringLiteral("RYCZALT"), QStringLiteral("6,5"))}};
  try {
    std::unique_ptr<frame::MessageEditor> editor(frame::CreateMessageEditor(typ, ctx_, row, this));
    if (!editor) return;  // the module registers both editors when it loads
    editor->SetXML(QString());
    if (editor->ShowBox() != 1) return;
    const std::vector<QVariantMap> koszty = editor->Koszty();
    RefreshKey(logic_.UtworzTranzyt(editor->KolumnyTranzytu(), frame::kAuto, editor->GetXML(), editor->MaKoszty() ? &koszty : nullptr));
  } catch (const NumeracjaZajeta&) {
    ctx_.dialogs.Informacja(NumeracjaZajeta::Tekst());
  }
}

void TTranzytyListaWin::Komunikaty() {
  if (CurrentKey() <= 0) return;
  logic_.UstawZakonczenieInfo(CurrentKey());
  OpenDetail();
}

host::TFrmSqlWin* TTranzytyListaWin::GetDetailWin() { return new TTranzytyPozycjeWin(ctx_); }

QVariantMap TTranzytyListaWin::GetRelationKeys() {
  const auto row = GetBoxQuery();
  if (!row) return {};
  return {{QStringLiteral("TRANZYTY_ID"), row->Value(QStringLiteral("ID_TRANZYTY"))},
          {QStringLiteral("RODZAJ"), row->Value(QStringLiteral("RODZAJ"))},
          {QStringLiteral("TYP"), row->Value(QStringLiteral("TYP"))},
          {QStringLiteral("STATUS"), row->Value(QStringLiteral("STATUS"))},
          {QStringLiteral("REJESTRY_ID"), row->Value(QStringLiteral("REJESTRY_ID"))}};
}

void TTranzytyListaWin::Kopiuj() {
  if (CurrentKey() <= 0) return;
  QString info;
  qint64 id = 0;
  try {
    id = logic_.Kopiuj(CurrentKey(), &info);
  } catch (const NumeracjaZajeta&) {
    ctx_.dialogs.Informacja(NumeracjaZajeta::Tekst());
    return;
  }
  RefreshKey(id);
  if (!info.isEmpty()) ctx_.dialogs.Informacja(info);
}

void TTranzytyListaWin::WydrukRejestru() {
  TWydrukRejestruRpt report(ctx_);
  report.SetID_REJ(frame::AktywnyRejestr.Id);
  report.SetTR_TYP(logic_.Rodzaj());
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("Parametry wydruku "));
  auto* form = new QFormLayout(&dialog);
  auto* od = new QDateEdit(report.DataOd(), &dialog);
  auto* do_ = new QDateEdit(report.DataDo(), &dialog);
  for (QDateEdit* e : {od, do_}) {
    e->setCalendarPopup(true);
    e->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  }
  form->addRow(QStringLiteral("Okres od:"), od);
  form->addRow(QStringLiteral("do:"), do_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return;
  report.SetDataOd(od->date());
  report.SetDataDo(do_->date());
  // A busy register runs to hundreds of pages: the clerk sees them go and may stop.
  const host::WorkProgress postep(this, QStringLiteral("Drukowanie rejestru ..."), QStringLiteral("Przerwij"));
  report.SetPrintStep(postep.Step());
  if (!report.Execute() && !report.Stopped()) ctx_.dialogs.Blad(report.LastError());
}

void TTranzytyListaWin::NaprawMRN() {
  if (CurrentKey() > 0 && logic_.NaprawMRN(CurrentKey())) RefreshKey(CurrentKey());
}

bool TTranzytyListaWin::BeforeDelete(qint64 id) {
  const QString refusal = logic_.CzyMoznaUsunac(id);
  if (refusal.isEmpty()) return true;
  ctx_.dialogs.Blad(refusal);
  return false;
}

void TTranzytyListaWin::DeleteRec(qint64 id) { logic_.Usun(id); }

void TTranzytyListaWin::DoClose() { logic_.ZapiszFiltr(filtr_); }

}  // namespace velmora::lists
