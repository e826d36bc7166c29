#include "tranzyty_pozycje_win.h"

#include "departure/sad_conversion.h"
#include "host/reports/sad_print.h"

#include <QApplication>

#include "frame/message_editors.h"
#include "exchange/receive_wizard.h"
#include "exchange/send_wizard.h"
#include "exchange/viewer_boxes.h"
#include "frame/codes.h"
#include "frame/shared_state.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/db/options.h"
#include "frame/transit_store.h"

#include <QAction>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QMenu>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QUrl>

namespace velmora::lists {

QIcon IkonaTypu(const QString& typ, int status, int blad) {
  if (typ.trimmed().isEmpty()) return {};
  const QColor kolor = KolorKomunikatu(typ, status, blad);
  QPixmap pm(14, 14);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(kolor);
  p.setPen(kolor.darker(150));
  p.drawRoundedRect(QRectF(1.5, 1.5, 11, 11), 3, 3);
  return QIcon(pm);
}

TTranzytyPozycjeWin::TTranzytyPozycjeWin(host::HostContext& ctx, QWidget* parent) : TFrmSqlWin(ctx, parent) {
  setObjectName(QStringLiteral("TTranzytyPozycjeWin"));
}

TranzytyPozycje& TTranzytyPozycjeWin::Logika() {
  if (!logic_)
    logic_ = std::make_unique<TranzytyPozycje>(ctx_, MasterKeys().value(QStringLiteral("TRANZYTY_ID")).toLongLong(),
                                               MasterKeys().value(QStringLiteral("RODZAJ")).toInt());
  return *logic_;
}

QString TTranzytyPozycjeWin::GetMainCaption() {
  return QStringLiteral("Lista komunikatów dla tranzytu ") + frame::Zakonczenie_Info.Numer;
}

void TTranzytyPozycjeWin::InitSQLStrings(QString& select, QString& where, QString& order) {
  if (!actions_made_) Init2();
  select = QStringLiteral("select ID_TRANZYTY_POZYCJE, TRANZYTY_ID, BLAD, LP, TYP, STATUS, NR_WLASNY, NR_POWIAZANY,TYP_POWIAZANY, OPIS, "
                          "DATA_WYSLANIA, IE013_RODZAJ, ID_EMAIL_ATTACH_PDF, CREATE_DATE, case when ID_EMAIL_ATTACH_PDF > 0 then 1 "
                          "else 0 end as PDF from TRANZYTY_POZYCJE");
  where = QStringLiteral("TRANZYTY_ID = :TRANZYTY_ID");
  order = QStringLiteral("LP desc");
}

void TTranzytyPozycjeWin::Init2() {
  actions_made_ = true;
  actNowy->setText(QStringLiteral("Dodaj"));
  disconnect(actNowy, nullptr, this, nullptr);
  connect(actNowy, &QAction::triggered, this, &TTranzytyPozycjeWin::Dodaj);
  disconnect(actPopraw, nullptr, this, nullptr);
  connect(actPopraw, &QAction::triggered, this, &TTranzytyPozycjeWin::Popraw);

  actWyslij = new QAction(QStringLiteral("Wyślij ..."), this);
  connect(actWyslij, &QAction::triggered, this, [this] {
    if (CurrentKey() <= 0) {
      ctx_.dialogs.Informacja(QStringLiteral("Brak danych w systemie NCTS2"));
      return;
    }
    // The answers are stored while the wizard runs, however the clerk closes it.
    exchange::TWyslijKomunikatWiz::Wyslij(ctx_, CurrentKey(), this);
    RefreshOpenLists();
  });
  // The withdrawal is the drop-down of the send button.
  auto* wyslij_menu = new QMenu(this);
  miCofnijWyslano = wyslij_menu->addAction(QStringLiteral("Cofnij status wysłania"));
  miCofnijWyslano->setObjectName(QStringLiteral("miCofnijWyslano"));
  connect(miCofnijWyslano, &QAction::triggered, this, &TTranzytyPozycjeWin::CofnijWyslano);
  actWyslij->setMenu(wyslij_menu);
  AddActionToMenu(actWyslij);
  actOdbierz = exchange::TKomunikatOdbierzWiz::Akcja(ctx_, this);

  spmKomunikat = new QMenu(this);
  spmKomunikat->setObjectName(QStringLiteral("spmKomunikat"));
  actIE013 = spmKomunikat->addAction(QStringLiteral("Modyfikacja zgłoszenia IE013"));
  actIE014 = spmKomunikat->addAction(QStringLiteral("Wniosek o unieważnienie IE014"));
  actIE141 = spmKomunikat->addAction(QStringLiteral("Odpowiedź  na  zapytanie  o  przesyłkę IE140"));
  actIE013->setObjectName(QStringLiteral("actIE013"));
  actIE014->setObjectName(QStringLiteral("actIE014"));
  actIE141->setObjectName(QStringLiteral("actIE141"));
  connect(actIE013, &QAction::triggered, this, [this] { DodajZMenu(frame::typ::IE013); });
  connect(actIE014, &QAction::triggered, this, [this] { DodajZMenu(frame::typ::IE014); });
  connect(actIE141, &QAction::triggered, this, [this] { DodajZMenu(frame::typ::IE141); });

  actZapiszDoPliku = new QAction(QStringLiteral("zapisz do pliku"), this);
  connect(actZapiszDoPliku, &QAction::triggered, this, &TTranzytyPozycjeWin::ZapiszDoPliku);
  AddActionToMenu(actZapiszDoPliku);
  actWydrukSAD = new QAction(QStringLiteral("Wydruk SAD"), this);
  connect(actWydrukSAD, &QAction::triggered, this, [this] {
    if (CurrentKey() <= 0) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const departure::WydrukSAD w = departure::DrukujSAD(ctx_, CurrentKey());
    QApplication::restoreOverrideCursor();
    if (!w.Ok()) ctx_.dialogs.Blad(w.blad);
    else host::PokazPDF(w.pdf);
  });
  AddActionToMenu(actWydrukSAD);
  actZalacznik = new QAction(QStringLiteral("Wydruk załącznik"), this);
  connect(actZalacznik, &QAction::triggered, this, &TTranzytyPozycjeWin::Zalacznik);
  AddActionToMenu(actZalacznik);
  Grid()->setContextMenuPolicy(Qt::ActionsContextMenu);
  Grid()->addAction(actZapiszDoPliku);
}

void TTranzytyPozycjeWin::UpdateControls() {
  TFrmSqlWin::UpdateControls();
  const auto row = GetBoxQuery();
  const QString typ = row ? row->Str(QStringLiteral("TYP")) : QString();
  if (actWydrukSAD) actWydrukSAD->setEnabled(typ == frame::typ::IE015 || typ == frame::typ::IE013);
}

void TTranzytyPozycjeWin::AfterQuery() {
  static const std::pair<const char*, const char*> kCaptions[] = {
      {"ID_TRANZYTY_POZYCJE", "Id"}, {"LP", "Lp"}, {"TYP", "Typ komunikatu"}, {"NR_WLASNY", "Nr własny"},
      {"CREATE_DATE", "Data utworzenia"}, {"DATA_WYSLANIA", "Data wysłania"}, {"OPIS", "Opis"}, {"STATUS", "STATUS"},
      {"BLAD", "Błąd"}, {"PDF", " Pdf"}};
  const QSqlRecord rec = Model()->record();
  for (int i = 0; i < rec.count(); ++i) {
    const QString name = rec.fieldName(i).toUpper();
    bool shown = false;
    for (const auto& [column, caption] : kCaptions)
      if (name == QLatin1String(column)) {
        Model()->setHeaderData(i, Qt::Horizontal, QString::fromUtf8(caption));
        shown = true;
      }
    Grid()->setColumnHidden(i, !shown || name == QLatin1String("STATUS") || name == QLatin1String("BLAD"));
  }
  // The relation values follow the message now last by LP (rows come newest first).
  QVariantMap keys = MasterKeys();
  int max_lp = -1;
  for (int row = 0; row < Model()->rowCount(); ++row)
    if (const int lp = Stored(row, QStringLiteral("LP")).toInt(); lp > max_lp) {
      max_lp = lp;
      keys.insert(QStringLiteral("TYP"), Stored(row, QStringLiteral("TYP")));
      keys.insert(QStringLiteral("STATUS"), Stored(row, QStringLiteral("STATUS")));
    }
  if (max_lp < 0) {
    keys.insert(QStringLiteral("TYP"), QString());
    keys.insert(QStringLiteral("STATUS"), 0);
  }
  SetMasterKeys(keys);
}

QVariant TTranzytyPozycjeWin::CellData(int row, const QString& column, int role, const QVariant& stored) const {
  const QString c = column.toUpper();
  if (role == Qt::ForegroundRole)
    return KolorKomunikatu(Stored(row, QStringLiteral("TYP")).toString(), Stored(row, QStringLiteral("STATUS")).toInt(),
                           Stored(row, QStringLiteral("BLAD")).toInt());
  if (role == Qt::DecorationRole && c == QLatin1String("TYP"))
    return IkonaTypu(stored.toString(), Stored(row, QStringLiteral("STATUS")).toInt(), Stored(row, QStringLiteral("BLAD")).toInt());
  if (role != Qt::DisplayRole) return {};
  if (c == QLatin1String("OPIS")) return OpisKomunikatu(Stored(row, QStringLiteral("STATUS")).toInt(), stored.toString());
  if (c == QLatin1String("PDF")) return stored.toInt() == 1 ? QStringLiteral("PDF") : QString();
  return stored;
}

void TTranzytyPozycjeWin::OpenEditor(const QString& typ, bool is_new) {
  TranzytyPozycje& logic = Logika();
  QVariantMap row = is_new ? logic.NowyWiersz(typ) : logic.IstniejacyWiersz(CurrentKey());
  if (typ == frame::typ::IE007)
    row.insert(QStringLiteral("RYCZALT"), ctx_.options.ReadOption(QStringLiteral("SALDOWANIE"), QStringLiteral("RYCZALT"), QStringLiteral("6,5")));
  row.insert(QStringLiteral("REJESTRY_ID"), MasterKeys().value(QStringLiteral("REJESTRY_ID")));
  // The row is readied for storing (status "changed"); a sent or received message is only shown.
  const auto zapisany_wiersz = is_new ? std::nullopt : frame::TransitStore(ctx_.db).Komunikat(CurrentKey());
  const int zapisany = zapisany_wiersz ? zapisany_wiersz->Int(QStringLiteral("STATUS")) : 0;
  QVariantMap dla_edytora = row;
  if (zapisany >= 2) dla_edytora.insert(QStringLiteral("STATUS"), zapisany);
  std::unique_ptr<frame::MessageEditor> editor(frame::CreateMessageEditor(typ, ctx_, dla_edytora, this));
  if (!editor) {
    // A message no editor writes (an answer of the customs office) is read as it is stored.
    if (is_new) return;
    exchange::TIEXMLPL_Box view(ctx_, this);
    view.setWindowTitle(typ + QLatin1Char('_') + row.value(QStringLiteral("NR_WLASNY")).toString());
    view.SetXMLData(row.value(QStringLiteral("XML")).toString().toUtf8());
    view.ShowBox(1);
    return;
  }
  editor->SetXML(row.value(QStringLiteral("XML")).toString());
  if (editor->ShowBox() != 1 || zapisany >= 2) return;
  const std::vector<QVariantMap> koszty = editor->Koszty();
  const qint64 id = logic.Zapisz(row, editor->GetXML(), is_new, editor->KolumnyTranzytu(), editor->MaKoszty() ? &koszty : nullptr);
  RefreshOpenLists(id);
}

void TTranzytyPozycjeWin::Dodaj() {
  const NastepnyKomunikat n = Logika().WybierzTyp();
  switch (n.akcja) {
    case NastepnyKomunikat::Akcja::Utworz:
      OpenEditor(n.typ, true);
      break;
    case NastepnyKomunikat::Akcja::Menu:
      ShowMenu(false);
      break;
    case NastepnyKomunikat::Akcja::MenuZPrzycisku:
      ShowMenu(true);
      break;
    case NastepnyKomunikat::Akcja::Odmowa:
      ctx_.dialogs.Informacja(n.komunikat);
      break;
  }
}

void TTranzytyPozycjeWin::ShowMenu(bool from_button) {
  const MenuKomunikatow m = Logika().Menu();
  actIE013->setVisible(m.ie013);
  actIE014->setVisible(m.ie014);
  actIE141->setVisible(m.ie141);
  if (!isVisible()) return;  // without a screen the menu's state is all there is
  const QPoint at = from_button ? mapToGlobal(QPoint(0, 24)) : QCursor::pos();
  spmKomunikat->popup(at);
}

void TTranzytyPozycjeWin::DodajZMenu(const QString& typ) {
  Logika().UstawTypZMenu(typ);
  Dodaj();
}

void TTranzytyPozycjeWin::Popraw() {
  const auto row = GetBoxQuery();
  if (!row) return;
  const QString typ = row->Str(QStringLiteral("TYP"));
  std::unique_ptr<host::TEditBox> viewer(
      exchange::CreateIncomingViewer(ctx_, typ, CurrentKey(), row->Str(QStringLiteral("NR_WLASNY")), this));
  if (viewer) {
    viewer->ShowBox(1);
    return;
  }
  OpenEditor(typ, false);
}

bool TTranzytyPozycjeWin::BeforeDelete(qint64 id) {
  const QString refusal = Logika().CzyMoznaUsunac(id);
  if (refusal.isEmpty()) return true;
  ctx_.dialogs.Blad(refusal);
  return false;
}

void TTranzytyPozycjeWin::DeleteRec(qint64 id) { Logika().Usun(id); }

void TTranzytyPozycjeWin::CofnijWyslano() {
  if (CurrentKey() > 0 && Logika().CofnijWyslanie(CurrentKey())) RefreshOpenLists();
}

void TTranzytyPozycjeWin::ZapiszDoPliku() {
  if (CurrentKey() <= 0) {
    ctx_.dialogs.Informacja(QStringLiteral("Brak komunikatów do zapisania"));
    return;
  }
  QString name, filter;
  const QString refusal = Logika().EksportPrzygotuj(CurrentKey(), &name, &filter);
  if (!refusal.isEmpty()) {
    ctx_.dialogs.Informacja(refusal);
    return;
  }
  const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Eksportuj komunkat do pliku"), name + QStringLiteral(".xml"), filter);
  if (!file.isEmpty() && !Logika().EksportZapisz(CurrentKey(), file)) ctx_.dialogs.Blad(QStringLiteral("Nie można zapisać pliku ") + file);
}

void TTranzytyPozycjeWin::Zalacznik() {
  if (CurrentKey() <= 0) return;
  const QString path = Logika().ZapiszZalacznik(CurrentKey());
  if (!path.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace velmora::lists
