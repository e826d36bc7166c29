#include "frame/codes.h"
#include "host/base/host_context.h"
#include "frame/shared_state.h"
#include "departure/declaration_box.h"
#include "lists/lista_tranzytow.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

namespace velmora::testing {
namespace {

class DeclarationBox : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Stopped()) return;
    host_ = std::make_unique<TestHost>(GetParam());
    ctx_ = std::make_unique<host::HostContext>(host_->Context());
    host_->db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN) values (1, 0, 'IE015', 1, '')"));
    host_->db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                                    "values (36, 1, 1, 'IE015', :S, '<AUTO>', :X)"),
                     {{QStringLiteral("S"), 1}, {QStringLiteral("X"), PrzykladowaDeklaracja(3).Xml()}});
  }
  std::unique_ptr<departure::TIE015PL_Box> Open() {
    const auto row = host_->db().QueryOne(QStringLiteral("select * from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = 36"));
    QVariantMap record;
    for (const QString& n : row->Names()) record.insert(n.toUpper(), row->Value(n));
    auto box = std::make_unique<departure::TIE015PL_Box>(*ctx_, record, false);
    box->SetXML(record.value(QStringLiteral("XML")).toString());
    box->BeforeActivate();
    return box;
  }

  std::unique_ptr<TestHost> host_;
  std::unique_ptr<host::HostContext> ctx_;
};

TEST_P(DeclarationBox, GoodsKeysEscAndAnotherWorkstationsChange) {
  auto box = Open();
  EXPECT_EQ(box->windowTitle(), QStringLiteral("IE15 - Zgłoszenie otwarcia tranzytu."));
  QTableWidget* grid = box->Towary();
  ASSERT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(box->Pole(QStringLiteral("ceLiczbaPoz"))->text(), QStringLiteral("3"));

  // Delete asks; "no" keeps the item, "yes" removes it and renumbers.
  grid->setCurrentCell(0, 0);
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(host_->dialogs.Texts().last(), QStringLiteral("Czy usunąć pozycję towarową ?"));
  host_->dialogs.Answer(host::kIdYes);
  QTest::keyClick(grid, Qt::Key_Delete);
  ASSERT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("2"));

  // The declaration changed: Esc asks before anything is thrown away.
  EXPECT_FALSE(box->actCancelExecute());
  EXPECT_EQ(host_->dialogs.Texts().last(), QStringLiteral("Porzucić zmiany w zgłoszeniu ?"));

  // Another workstation stores the message meanwhile: accepting asks, "no" keeps the editor open.
  auto other = host_->database().OpenAnother();
  other->Exec(QStringLiteral("update TRANZYTY_POZYCJE set XML = :X where ID_TRANZYTY_POZYCJE = 36"),
              {{QStringLiteral("X"), PrzykladowaDeklaracja(1).Xml()}});
  EXPECT_FALSE(box->actOkExecute());
  EXPECT_EQ(host_->dialogs.Texts().last(), QStringLiteral("Komunikat został zmieniony przez innego użytkownika. Zapisać mimo to ?"));
}

TEST_P(DeclarationBox, StoredSimplifiedDeclarationOpensQuietlyAndTheAmendmentTakesItsPresentationTime) {
  xml::Message m = PrzykladowaDeklaracja(1);
  m.Root().Ensure(xml::kIE015_Rodzaj).Set(QStringLiteral("ProceduraUproszczona"), QStringLiteral("1"));
  host_->db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set XML = :X where ID_TRANZYTY_POZYCJE = 36"), {{QStringLiteral("X"), m.Xml()}});
  auto box = Open();
  // Applied once as it opens: no warning, the control result follows, the seals are open.
  EXPECT_TRUE(host_->dialogs.Texts().isEmpty());
  EXPECT_EQ(box->Pole(QStringLiteral("beWK_Kod"))->text(), QStringLiteral("A3"));
  // The delivery limit is a date in a date editor, written back as the documents write it.
  auto* termin = box->findChild<QDateEdit*>(QStringLiteral("deTerminDost"));
  ASSERT_NE(termin, nullptr);
  EXPECT_EQ(termin->date(), QDate(2024, 3, 12));
  termin->setDate(QDate(2024, 3, 14));
  EXPECT_TRUE(box->GetXML().contains(QStringLiteral("TerminDostarczenia=\"2024-03-14\"")));
  EXPECT_TRUE(box->Pole(QStringLiteral("beZamknCelne"))->isEnabled());
  box->Uproszczona()->setChecked(false);
  EXPECT_FALSE(box->Pole(QStringLiteral("beZamknCelne"))->isEnabled());
  ASSERT_FALSE(host_->dialogs.Texts().isEmpty());
  EXPECT_TRUE(host_->dialogs.Texts().last().startsWith(QStringLiteral("UWAGA!")));

  // The amendment's presentation date is a date and time, written as the documents write them.
  const auto row = host_->db().QueryOne(QStringLiteral("select * from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = 36"));
  QVariantMap record;
  for (const QString& n : row->Names()) record.insert(n.toUpper(), row->Value(n));
  departure::TIE015PL_Box amendment(*ctx_, record, true);
  amendment.SetXML(record.value(QStringLiteral("XML")).toString());
  auto* data = amendment.findChild<QDateTimeEdit*>(QStringLiteral("deDataPrzedstawienia"));
  ASSERT_NE(data, nullptr);
  EXPECT_FALSE(amendment.GetXML().contains(QStringLiteral("DataPrzedstawienia")));
  data->setDateTime(QDateTime(QDate(2024, 3, 5), QTime(8, 4, 9)));
  EXPECT_TRUE(amendment.GetXML().contains(QStringLiteral("DataPrzedstawienia=\"2024-03-05T08:04:09\"")));
}

TEST_P(DeclarationBox, SentDeclarationIsReadOnly) {
  host_->db().Exec(QStringLiteral("update TRANZYTY_POZYCJE set STATUS = 2"));
  auto box = Open();
  EXPECT_TRUE(box->ViewMode());
  EXPECT_TRUE(box->Pole(QStringLiteral("beDeklaracja"))->isReadOnly());
  box->Towary()->setCurrentCell(0, 0);
  QTest::keyClick(box->Towary(), Qt::Key_Delete);
  EXPECT_EQ(box->Towary()->rowCount(), 3);
  EXPECT_TRUE(box->actCancelExecute());  // nothing to lose
}

TEST_P(DeclarationBox, TirDeclarationOfThreeItemsIsStoredAndReopensUnchanged) {
  // An empty database, as on the first day.
  host_->db().Exec(QStringLiteral("delete from TRANZYTY_POZYCJE"));
  host_->db().Exec(QStringLiteral("delete from TRANZYTY"));
  host_->db().Exec(QStringLiteral("insert into REJESTRY (ID_REJESTRY, NAZWA, PU, IE015_TYP, IE015_UC_ZGLOSZENIA) values (1, 'Główny', 0, 'T1', 'PL322010')"));
  host_->db().Exec(QStringLiteral("insert into KONTRAHENCI (ID_KONTRAHENCI, Nazwa, Ulica, Nr_Dom, Kod, Miejscowosc, Kraj, EORI, TIRholder) values "
                                  "(7, 'OOO Transkom', 'Lenina', '5', '236000', 'Kaliningrad', 'RU', 'RU0123456789', 'RUS/123/456')"));
  frame::AktywnyRejestr = {1, QStringLiteral("Główny")};
  // A new transit from the departure list: the editor on a row without a transit.
  departure::TIE015PL_Box box(*ctx_, {{QStringLiteral("STATUS"), 0}}, false);
  box.SetXML(QString());
  box.BeforeActivate();
  departure::DeklaracjaIE015& d = box.Logika();
  ASSERT_EQ(d.Rejestr(), 1);
  box.Pole(QStringLiteral("beDeklaracja"))->setText(QStringLiteral("TIR"));
  d.ZmienTyp(QStringLiteral("TIR"));
  box.Pole(QStringLiteral("beKarnetTIR"))->setText(QStringLiteral("XC12345678"));
  box.GetXML();
  d.OpuscKarnetTIR();
  d.WypelnijStrone(departure::Strona::GlownyZobowiazany, *host_->db().QueryOne(QStringLiteral("select * from KONTRAHENCI where ID_KONTRAHENCI = 7")));
  for (int i = 1; i <= 3; ++i) {
    const int poz = i == 1 ? 1 : d.DodajTowar();
    xml::Group t = d.Towar(poz);
    t.Set(QStringLiteral("OpisTowaru"), QStringLiteral("Części maszyn %1").arg(i));
    t.Set(QStringLiteral("MasaBrutto"), QStringLiteral("100"));
    d.OdswiezTowar(poz);
  }
  box.Pole(QStringLiteral("beUCPrzezn"))->setText(QStringLiteral("RU10216000"));
  box.Pole(QStringLiteral("ceLiczbaOpak"))->setText(QStringLiteral("30"));
  box.Pole(QStringLiteral("ceMasaBrutto"))->setText(QStringLiteral("300"));
  // The "..." buttons stand on their fields' lines.
  for (const auto& [pole, przycisk] : {std::pair{"beGwarancje", "beGwarancje_Wybierz"}, std::pair{"beZamknCelne", "btZamknCelne"}}) {
    auto* linia = qobject_cast<QHBoxLayout*>(box.Pole(QString::fromLatin1(pole))->parentWidget()->layout());
    ASSERT_NE(linia, nullptr) << pole;
    EXPECT_GE(linia->indexOf(box.findChild<QToolButton*>(QString::fromLatin1(przycisk))), 0) << pole;
  }
  const host::FieldErrors errors = box.Validate();
  EXPECT_TRUE(errors.empty()) << (errors.empty() ? std::string() : (errors.front().first + QStringLiteral(": ") + errors.front().second).toStdString());

  lists::ListaTranzytow lista(*ctx_, frame::kRodzajWywoz);
  const qint64 tranzyt = lista.UtworzTranzyt(box.KolumnyTranzytu(), frame::kAuto, box.GetXML());
  const auto t = host_->db().QueryOne(QStringLiteral("select TIR, TIR_NUMER from TRANZYTY where ID_TRANZYTY = :T"), {{QStringLiteral("T"), tranzyt}});
  EXPECT_EQ(t->Str(QStringLiteral("TIR_NUMER")).trimmed(), QStringLiteral("XC12345678"));
  const auto row = host_->db().QueryOne(QStringLiteral("select * from TRANZYTY_POZYCJE where TRANZYTY_ID = :T"), {{QStringLiteral("T"), tranzyt}});
  QVariantMap record;
  for (const QString& n : row->Names()) record.insert(n.toUpper(), row->Value(n));
  departure::TIE015PL_Box again(*ctx_, record, false);
  again.SetXML(record.value(QStringLiteral("XML")).toString());
  EXPECT_EQ(again.GetXML(), record.value(QStringLiteral("XML")).toString());
  EXPECT_EQ(again.Towary()->rowCount(), 3);
  EXPECT_EQ(again.Pole(QStringLiteral("beGwarancje"))->text(), QStringLiteral("B Nr: XC12345678"));
  EXPECT_EQ(again.Pole(QStringLiteral("beGlownyZobowiazany"))->text(), QStringLiteral("OOO Transkom"));
}

VELMORA_ON_BOTH_ENGINES(DeclarationBox);

}  // namespace
}  // namespace velmora::testing
