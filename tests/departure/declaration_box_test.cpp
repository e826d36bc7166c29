#include "frame/codes.h"
#include "frame/shared_state.h"
#include "departure/declaration_box.h"
#include "lists/lista_tranzytow.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

namespace velmora::testing {
namespace {

QString S(const char* t) { return QString::fromUtf8(t); }

class DeclarationBox : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    if (Stopped()) return;
    host_->db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN) values (1, 0, 'IE015', 1, '')"));
    host_->db().Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                                    "values (36, 1, 1, 'IE015', :S, '<AUTO>', :X)"),
                     {{S("S"), 1}, {S("X"), PrzykladowaDeklaracja(3).Xml()}});
  }
  // The stored row as the list hands it to the editor.
  QVariantMap Rekord(const QString& warunek = S("ID_TRANZYTY_POZYCJE = 36")) {
    const auto row = host_->db().QueryOne(S("select * from TRANZYTY_POZYCJE where ") + warunek);
    QVariantMap record;
    for (const QString& n : row->Names()) record.insert(n.toUpper(), row->Value(n));
    return record;
  }
  std::unique_ptr<departure::TIE015PL_Box> Open(const QVariantMap& record, bool zmiana = false, bool aktywuj = true) {
    auto box = std::make_unique<departure::TIE015PL_Box>(*ctx_, record, zmiana);
    box->SetXML(record.value(S("XML")).toString());
    if (aktywuj) box->BeforeActivate();
    return box;
  }
};

TEST_P(DeclarationBox, GoodsKeysEscAndAnotherWorkstationsChange) {
  auto box = Open(Rekord());
  EXPECT_EQ(box->windowTitle(), S("IE15 - Zgłoszenie otwarcia tranzytu."));
  QTableWidget* grid = box->Towary();
  ASSERT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(box->Pole(S("ceLiczbaPoz"))->text(), S("3"));

  // Delete asks; "no" keeps the item, "yes" removes it and renumbers.
  grid->setCurrentCell(0, 0);
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(host_->dialogs.Texts().last(), S("Czy usunąć pozycję towarową ?"));
  host_->dialogs.Answer(host::kIdYes);
  QTest::keyClick(grid, Qt::Key_Delete);
  ASSERT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(grid->item(1, 0)->text(), S("2"));

  // The declaration changed: Esc asks before anything is thrown away.
  EXPECT_FALSE(box->actCancelExecute());
  EXPECT_EQ(host_->dialogs.Texts().last(), S("Porzucić zmiany w zgłoszeniu ?"));

  // Another workstation stores the message meanwhile: accepting asks, "no" keeps the editor open.
  auto other = host_->database().OpenAnother();
  other->Exec(S("update TRANZYTY_POZYCJE set XML = :X where ID_TRANZYTY_POZYCJE = 36"),
              {{S("X"), PrzykladowaDeklaracja(1).Xml()}});
  EXPECT_FALSE(box->actOkExecute());
  EXPECT_EQ(host_->dialogs.Texts().last(), S("Komunikat został zmieniony przez innego użytkownika. Zapisać mimo to ?"));
}

TEST_P(DeclarationBox, StoredSimplifiedDeclarationOpensQuietlyAndTheAmendmentTakesItsPresentationTime) {
  xml::Message m = PrzykladowaDeklaracja(1);
  m.Root().Ensure(xml::kIE015_Rodzaj).Set(S("ProceduraUproszczona"), S("1"));
  host_->db().Exec(S("update TRANZYTY_POZYCJE set XML = :X where ID_TRANZYTY_POZYCJE = 36"), {{S("X"), m.Xml()}});
  auto box = Open(Rekord());
  // Applied once as it opens: no warning, the control result follows, the seals are open.
  EXPECT_TRUE(host_->dialogs.Texts().isEmpty());
  EXPECT_EQ(box->Pole(S("beWK_Kod"))->text(), S("A3"));
  // The delivery limit is a date in a date editor, written back as the documents write it.
  auto* termin = box->findChild<QDateEdit*>(S("deTerminDost"));
  ASSERT_NE(termin, nullptr);
  EXPECT_EQ(termin->date(), QDate(2024, 3, 12));
  termin->setDate(QDate(2024, 3, 14));
  EXPECT_TRUE(box->GetXML().contains(S("TerminDostarczenia=\"2024-03-14\"")));
  EXPECT_TRUE(box->Pole(S("beZamknCelne"))->isEnabled());
  box->Uproszczona()->setChecked(false);
  EXPECT_FALSE(box->Pole(S("beZamknCelne"))->isEnabled());
  ASSERT_FALSE(host_->dialogs.Texts().isEmpty());
  EXPECT_TRUE(host_->dialogs.Texts().last().startsWith(S("UWAGA!")));

  // The amendment's presentation date is a date and time, written as the documents write them.
  const auto amendment = Open(Rekord(), true, false);
  auto* data = amendment->findChild<QDateTimeEdit*>(S("deDataPrzedstawienia"));
  ASSERT_NE(data, nullptr);
  EXPECT_FALSE(amendment->GetXML().contains(S("DataPrzedstawienia")));
  data->setDateTime(QDateTime(QDate(2024, 3, 5), QTime(8, 4, 9)));
  EXPECT_TRUE(amendment->GetXML().contains(S("DataPrzedstawienia=\"2024-03-05T08:04:09\"")));
}

TEST_P(DeclarationBox, SentDeclarationIsReadOnly) {
  host_->db().Exec(S("update TRANZYTY_POZYCJE set STATUS = 2"));
  auto box = Open(Rekord());
  EXPECT_TRUE(box->ViewMode());
  EXPECT_TRUE(box->Pole(S("beDeklaracja"))->isReadOnly());
  box->Towary()->setCurrentCell(0, 0);
  QTest::keyClick(box->Towary(), Qt::Key_Delete);
  EXPECT_EQ(box->Towary()->rowCount(), 3);
  EXPECT_TRUE(box->actCancelExecute());  // nothing to lose
}

TEST_P(DeclarationBox, TirDeclarationOfThreeItemsIsStoredAndReopensUnchanged) {
  // An empty database, as on the first day.
  host_->db().Exec(S("delete from TRANZYTY_POZYCJE"));
  host_->db().Exec(S("delete from TRANZYTY"));
  host_->db().Exec(S("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE015_TYP, IE015_UC_ZGLOSZENIA) values (1, 'Główny', 0, 'T1', 'PL322010')"));
  host_->db().Exec(S("insert into KONTRAHENCI (ID_KONTRAHENCI, Nazwa, Ulica, Nr_Dom, Kod, Miejscowosc, Kraj, EORI, TIRholder) values "
                     "(7, 'OOO Transkom', 'Lenina', '5', '236000', 'Kaliningrad', 'RU', 'RU0123456789', 'RUS/123/456')"));
  frame::AktywnyRejestr = {1, S("Główny")};
  // A new transit from the departure list: the editor on a row without a transit.
  const auto box = Open({{S("STATUS"), 0}});
  departure::DeklaracjaIE015& d = box->Logika();
  ASSERT_EQ(d.Rejestr(), 1);
  box->Pole(S("beDeklaracja"))->setText(S("TIR"));
  d.ZmienTyp(S("TIR"));
  box->Pole(S("beKarnetTIR"))->setText(S("XC12345678"));
  box->GetXML();
  d.OpuscKarnetTIR();
  d.WypelnijStrone(departure::Strona::GlownyZobowiazany, *host_->db().QueryOne(S("select * from KONTRAHENCI where ID_KONTRAHENCI = 7")));
  for (int i = 1; i <= 3; ++i) {
    const int poz = i == 1 ? 1 : d.DodajTowar();
    xml::Group t = d.Towar(poz);
    t.Set(S("OpisTowaru"), S("Części maszyn %1").arg(i));
    t.Set(S("MasaBrutto"), S("100"));
    d.OdswiezTowar(poz);
  }
  box->Pole(S("beUCPrzezn"))->setText(S("RU10216000"));
  box->Pole(S("ceLiczbaOpak"))->setText(S("30"));
  box->Pole(S("ceMasaBrutto"))->setText(S("300"));
  // The "..." buttons stand on their fields' lines.
  for (const auto& [pole, przycisk] : {std::pair{"beGwarancje", "beGwarancje_Wybierz"}, std::pair{"beZamknCelne", "btZamknCelne"}}) {
    auto* linia = qobject_cast<QHBoxLayout*>(box->Pole(QString::fromLatin1(pole))->parentWidget()->layout());
    ASSERT_NE(linia, nullptr) << pole;
    EXPECT_GE(linia->indexOf(box->findChild<QToolButton*>(QString::fromLatin1(przycisk))), 0) << pole;
  }
  const host::FieldErrors errors = box->Validate();
  EXPECT_TRUE(errors.empty()) << (errors.empty() ? std::string() : (errors.front().first + S(": ") + errors.front().second).toStdString());

  lists::ListaTranzytow lista(*ctx_, frame::kRodzajWywoz);
  const qint64 tranzyt = lista.UtworzTranzyt(box->KolumnyTranzytu(), frame::kAuto, box->GetXML());
  const auto t = host_->db().QueryOne(S("select TIR, TIR_NUMER from TRANZYTY where ID_TRANZYTY = :T"), {{S("T"), tranzyt}});
  EXPECT_EQ(t->Str(S("TIR_NUMER")).trimmed(), S("XC12345678"));
  const QVariantMap record = Rekord(S("TRANZYTY_ID = %1").arg(tranzyt));
  const auto again = Open(record, false, false);
  EXPECT_EQ(again->GetXML(), record.value(S("XML")).toString());
  EXPECT_EQ(again->Towary()->rowCount(), 3);
  EXPECT_EQ(again->Pole(S("beGwarancje"))->text(), S("B Nr: XC12345678"));
  EXPECT_EQ(again->Pole(S("beGlownyZobowiazany"))->text(), S("OOO Transkom"));
}

VELMORA_ON_BOTH_ENGINES(DeclarationBox);

}  // namespace
}  // namespace velmora::testing
