#include "rejestry_win.h"

#include "host/base/clock.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/ui/host_tables.h"
#include "reference/slownik_ncts_box.h"

#include <QComboBox>
#include <QLineEdit>

namespace velmora::lists {

namespace {

using T = host::FieldType;

// A new register is sent in the EU's phase 5.
host::FieldSpec Initial(host::FieldSpec f, const QVariant& value) {
  f.initial = value;
  return f;
}

host::FieldSpec F(const char* column, const char* caption, T type = T::String, int width = 0, bool in_grid = false) {
  return host::Field(column, caption, type, width, in_grid);
}

host::FieldSpec Hidden(const char* column) {
  host::FieldSpec f = F(column, "", T::Integer);
  f.in_editor = false;
  return f;
}

host::FieldSpec Items(host::FieldSpec f, const QStringList& items) {
  f.items = items;
  return f;
}

host::FieldSpec MozeBycPusta(host::FieldSpec f) {
  f.may_be_empty = true;
  return f;
}

host::FieldSpec WSiatce(host::FieldSpec f, const char* naglowek) {
  f.grid_caption = QString::fromUtf8(naglowek);
  return f;
}

QStringList LokalizacjeIE015() {
  return {QString(), QStringLiteral("Kod Miejsca Uznanego"), QStringLiteral("Miejsce Uznane"), QStringLiteral("Miejsce Odpraw Celnych")};
}

QStringList LokalizacjeIE007() {
  return {QString(), QStringLiteral("Miejsce uznane"), QStringLiteral("Opis lokalizacji"), QStringLiteral("Miejsce odpraw celnych"),
          QStringLiteral("Miejsce wskazane w pozwoleniu")};
}

// The register editor: lookups beside its fields, and its own check of the authorisation.
class TRejestryBox : public host::TRecordEditBox {
 public:
  TRejestryBox(host::HostContext& ctx, QWidget* parent) : TRecordEditBox(ctx, RejestrySpec(), parent) {
    setObjectName(QStringLiteral("TRejestryBox"));
    AddFieldButton(QStringLiteral("IE015_TYP"), QStringLiteral("..."), [this] {
      auto* e = Edit(QStringLiteral("IE015_TYP"));
      QString code = e->text();
      if (reference::TSlownikNCTS_BOX::Listuj(ctx_, 1031, code, e) == reference::TSlownikNCTS_BOX::kMrOk) e->setText(code);
    });
    Kontrahent(QStringLiteral("IE015_NADAWCA"), QStringLiteral("IE015_NADAWCA_ID"));
    Kontrahent(QStringLiteral("IE007_ODBIORCA"), QStringLiteral("IE007_ODBIORCA_ID"));
    Urzad(QStringLiteral("IE015_UC_ZGLOSZENIA"), host::RolaUC::Wyjscia);
    Urzad(QStringLiteral("IE007_UC_PRZEDSTAW"), host::RolaUC::Przeznaczenia);
    AddFieldButton(QStringLiteral("IE007_PRZEDSTAWICIEL"), QStringLiteral("..."), [this] {
      if (const auto k = host::WybierzKontrahenta(ctx_, QVariant(), this))
        Edit(QStringLiteral("IE007_PRZEDSTAWICIEL"))->setText(Rejestry::Przedstawiciel(k->Str(QStringLiteral("EORI")), k->Str(QStringLiteral("NIP"))));
    });
    AddFieldButton(QStringLiteral("IE007_PRZEDSTAWICIEL"), QStringLiteral("X"), [this] { Edit(QStringLiteral("IE007_PRZEDSTAWICIEL"))->clear(); });
    Lokalizacja(QStringLiteral("IE015_MIEJSCE_TYP"), QStringLiteral("IE015_MIEJSCE_OPIS"));
    Lokalizacja(QStringLiteral("IE007_MIEJSCE_TYP"), QStringLiteral("IE007_MIEJSCE_OPIS"));
  }

  QLineEdit* Edit(const QString& column) const { return qobject_cast<QLineEdit*>(FieldWidget(column)); }

 private:
  void Kontrahent(const QString& name_column, const QString& id_column) {
    AddFieldButton(name_column, QStringLiteral("..."), [this, name_column, id_column] {
      if (const auto k = host::WybierzKontrahenta(ctx_, Record().value(id_column), this)) {
        Edit(name_column)->setText(k->Str(QStringLiteral("Nazwa")).left(35));
        Record().insert(id_column, k->Value(QStringLiteral("ID_KONTRAHENCI")));
      }
    });
    AddFieldButton(name_column, QStringLiteral("X"), [this, name_column, id_column] {
      Edit(name_column)->clear();
      Record().insert(id_column, QVariant());
    });
  }
  void Urzad(const QString& column, host::RolaUC rola) {
    AddFieldButton(column, QStringLiteral("..."), [this, column, rola] {
      if (const auto uc = host::ListujUC(ctx_, QStringLiteral("PL"), rola, Edit(column)->text(), this)) Edit(column)->setText(uc->Str(QStringLiteral("Kod")));
    });
  }
  // The description takes 35 characters for the second kind of location, 17 for the others.
  void Lokalizacja(const QString& kind_column, const QString& text_column) {
    auto* kind = qobject_cast<QComboBox*>(FieldWidget(kind_column));
    auto* text = Edit(text_column);
    if (!kind || !text) return;
    connect(kind, &QComboBox::currentIndexChanged, text, [text](int i) { text->setMaxLength(Rejestry::DlugoscOpisuLokalizacji(i)); });
    text->setMaxLength(Rejestry::DlugoscOpisuLokalizacji(kind->currentIndex()));
  }
  std::vector<host::PoleUC> Urzedy() override {
    return {{QStringLiteral("IE015_UC_ZGLOSZENIA"), Record().value(QStringLiteral("IE015_UC_ZGLOSZENIA")).toString(), host::RolaUC::Wyjscia},
            {QStringLiteral("IE007_UC_PRZEDSTAW"), Record().value(QStringLiteral("IE007_UC_PRZEDSTAW")).toString(), host::RolaUC::Przeznaczenia}};
  }
  host::FieldErrors Validate() override {
    host::FieldErrors e = TRecordEditBox::Validate();
    const host::FieldErrors own = Rejestry(ctx_).Sprawdz(Record());
    e.insert(e.end(), own.begin(), own.end());
    return e;
  }
};

}  // namespace

QString Rejestry::Przedstawiciel(const QString& eori, const QString& nip) {
  if (!eori.trimmed().isEmpty()) return eori.trimmed().left(35);
  return nip.trimmed().left(35) + QStringLiteral("00000");
}

int Rejestry::DlugoscOpisuLokalizacji(int item) { return item == 2 ? 35 : 17; }


const host::TableSpec& RejestrySpec() {
  static const host::TableSpec table_spec{
      QStringLiteral("REJESTRY"),
      QStringLiteral("TRejestryWin"),
      QStringLiteral("Rejestr"),
      {F("NAZWA", "Nazwa rejestru:", T::String, 50, true), F("PU", "Procedura upr.", T::SmallInt, 1, true), F("PU_NUMER", "Nr pozwolenia:", T::String, 50, true),
       MozeBycPusta(F("PU_DATA", "Data:", T::Date)), F("PU_MIEJSCE", "Miejsce:", T::String, 50),
       F("IE015_TYP", "Deklaracja typ:", T::String, 5, true), F("IE015_NADAWCA", "Nadawca nazwa:", T::String, 70),
       Hidden("IE015_NADAWCA_ID"),
       F("IE015_UC_ZGLOSZENIA", "Urząd celny:", T::String, 10),
       Items(F("IE015_MIEJSCE_TYP", "Lokalizacja:", T::Integer), LokalizacjeIE015()),
       F("IE015_MIEJSCE_OPIS", "Opis:", T::String, 50), F("IE015_MIEJSCE_ZAL", "Miejsce załad:", T::String, 50),
       F("IE007_ODBIORCA", "Odbiorca nazwa:", T::String, 50), Hidden("IE007_ODBIORCA_ID"),
       F("IE007_PRZEDSTAWICIEL", "Przedstawiciel:", T::String, 50), F("IE007_UC_PRZEDSTAW", "UC:", T::String, 10),
       Items(F("IE007_MIEJSCE_TYP", "Lokalizacja:", T::Integer), LokalizacjeIE007()),
       F("IE007_MIEJSCE_OPIS", "Opis:", T::String, 50), Initial(F("FAZA", "Faza NCTS:", T::Integer, 1, true), 5)},
      QStringLiteral("ID_REJESTRY desc")};
  return table_spec;
}

const host::TableSpec& OdprawySpec() {
  static const host::TableSpec table_spec{QStringLiteral("TRANZYTY_ODPRAWY"),
                                          QStringLiteral("TOdprawyWin"),
                                          QStringLiteral("Dane odprawy"),
                                          {WSiatce(F("NUMER", "Nr odprawy:", T::String, 30, true), "Numer"),
                                           WSiatce(F("DATA", "Data odprawy:", T::Date, 0, true), "Data"),
                                           WSiatce(F("PROCEDURA", "Zastosowana procedura:", T::String, 10, true), "Procedura"),
                                           Hidden("TRANZYTY_ID")},
                                          QStringLiteral("ID_TRANZYTY_ODPRAWY desc"),
                                          {},
                                          true};
  return table_spec;
}

int Rejestry::ImportujStare() {
  if (ctx_.db.QueryValue(QStringLiteral("select count(*) as ile from REJESTRY")).toInt() > 0) return 0;
  if (!ctx_.db.Tables().contains(QStringLiteral("REJ"))) return 0;
  host::Transaction tx(ctx_.db);
  int count = 0;
  const QDateTime now = ctx_.clock.Now();
  for (const host::Row& r : ctx_.db.QueryAll(QStringLiteral("select * from REJ"))) {
    ctx_.db.Exec(QStringLiteral("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, PU_NUMER, PU_DATA, CREATE_ID_USER, CREATE_USER_NAME, "
                                "CREATE_DATE, CREATE_TIME) values (:ID, :NAZWA, :PU, :NR, :DATA, 0, 'AUTOMAT NCTS2', :CD, :CT)"),
                 {{QStringLiteral("ID"), ctx_.db.DBGetNewID(QStringLiteral("GID_REJESTRY"))},
                  {QStringLiteral("NAZWA"), r.Str(QStringLiteral("NAZWA")).trimmed().left(50)},
                  {QStringLiteral("PU"), r.Int(QStringLiteral("PU"))},
                  {QStringLiteral("NR"), r.Value(QStringLiteral("NRPOZWPU"))},
                  {QStringLiteral("DATA"), r.Value(QStringLiteral("DATAPOZWPU"))},
                  {QStringLiteral("CD"), now.date()},
                  {QStringLiteral("CT"), now.time().toString(QStringLiteral("HH:mm:ss"))}});
    ++count;
  }
  tx.Commit();
  return count;
}

QString Rejestry::CzyMoznaUsunac(qint64 id) {
  const int n = ctx_.db.GetCountFieldVal(QStringLiteral("TRANZYTY"), QStringLiteral("REJESTRY_ID = :ID"), {{QStringLiteral("ID"), id}});
  if (n == 0) return {};
  return QStringLiteral("Nie można usunąć rejestru ponieważ jest z nim zwiazanych ") + QString::number(n) + QStringLiteral(" tranzytów");
}

host::FieldErrors Rejestry::Sprawdz(const QVariantMap& row) const {
  host::FieldErrors e;
  if (row.value(QStringLiteral("PU")).toInt() == 1 && row.value(QStringLiteral("PU_NUMER")).toString().trimmed().isEmpty())
    e.emplace_back(QStringLiteral("PU_NUMER"), QStringLiteral("Proszę wprowadzić numer pozwolenia"));
  if (const int faza = row.value(QStringLiteral("FAZA")).toInt(); faza != 4 && faza != 5)
    e.emplace_back(QStringLiteral("FAZA"), QStringLiteral("Faza NCTS rejestru to 4 albo 5"));
  return e;
}

TRejestryWin::TRejestryWin(host::HostContext& ctx, QWidget* parent) : THostTableWin(ctx, RejestrySpec(), parent) {
  Rejestry(ctx).ImportujStare();
}

bool TRejestryWin::BeforeDelete(qint64 id) {
  const QString refusal = Rejestry(ctx_).CzyMoznaUsunac(id);
  if (refusal.isEmpty()) return true;
  ctx_.dialogs.Blad(refusal);
  return false;
}

host::TEditBox* TRejestryWin::GetEditBox(bool is_new) {
  auto* box = new TRejestryBox(ctx_, this);
  host::RecordStore store(ctx_, RejestrySpec());
  box->SetRecord(is_new ? store.Empty() : store.Load(CurrentKey()));
  return box;
}

TOdprawyWin::TOdprawyWin(host::HostContext& ctx, qint64 tranzyt_id, QWidget* parent)
    : THostTableWin(ctx, OdprawySpec(), parent), tranzyt_id_(tranzyt_id) {
  SetFilter(QStringLiteral("TRANZYTY_ID = :TRANZYTY_ID"), {{QStringLiteral("TRANZYTY_ID"), tranzyt_id}});
}

host::TEditBox* TOdprawyWin::GetEditBox(bool is_new) {
  host::TEditBox* box = THostTableWin::GetEditBox(is_new);
  // A new clearance carries its transit from the start, so it is stored with the row.
  if (is_new) box->Record().insert(QStringLiteral("TRANZYTY_ID"), tranzyt_id_);
  return box;
}

}  // namespace velmora::lists
