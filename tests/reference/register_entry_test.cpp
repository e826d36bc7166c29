#include "reference/register_entry.h"

#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/db/named_lock.h"
#include "host/xml/sad.h"
#include "support/test_host.h"

#include <QProcess>

#include <functional>
#include <set>

namespace velmora::testing {
namespace {

using host::Params;

struct Towar {
  QString cn;
  QString brutto = QStringLiteral("100.000");
  QString netto = QStringLiteral("90.000");
  QString procent;
  QList<std::pair<QString, QString>> oplaty;  // type, amount
};

Towar T(const char* cn, const char* brutto = "100.000", const char* netto = "90.000", const char* procent = "",
        QList<std::pair<QString, QString>> oplaty = {}) {
  return {QString::fromLatin1(cn), QString::fromLatin1(brutto), QString::fromLatin1(netto), QString::fromLatin1(procent),
          std::move(oplaty)};
}

QString SadXml(const QList<Towar>& towary, const QString& masa = {}) {
  QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SAD><Zgloszenie NrWlasny=\"IM/7/2024\"");
  if (!masa.isEmpty()) xml += QStringLiteral(" MasaBrutto=\"%1\"").arg(masa);
  xml += QLatin1Char('>');
  int poz = 0;
  for (const Towar& t : towary) {
    xml += QStringLiteral("<Towar PozId=\"%1\" KodTowarowy=\"%2\" MasaBrutto=\"%3\" MasaNetto=\"%4\"")
               .arg(++poz)
               .arg(t.cn, t.brutto, t.netto);
    if (!t.procent.isEmpty()) xml += QStringLiteral(" ProcentEndUse=\"%1\"").arg(t.procent);
    xml += QStringLiteral("><DokumentPoprzedni Kod=\"821\" Nr=\"24PL322010NS0000K7\"/>");
    for (const auto& [typ, kwota] : t.oplaty) xml += QStringLiteral("<Oplata Typ=\"%1\" Kwota=\"%2\"/>").arg(typ, kwota);
    xml += QStringLiteral("</Towar>");
  }
  return xml + QStringLiteral("</Zgloszenie></SAD>");
}

const QString kDefaultSad = SadXml({T("8471300000"), T("84713000")});

class RegisterEntry : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    if (Stopped()) return;
    db().Exec(QStringLiteral("insert into RGRejPow (ID_RGRejPow, Symbol, ID_RGGwarNowa) values (5, 'POW-5', 4)"));
    db().Exec(QStringLiteral("insert into RGRej (ID_RGRej, Symbol, bezPWD, ID_RGGwar, DC_Dni, ID_RGRejPow) "
                             "values (3, 'PU-3', 1, 1, 14, 5)"));
    db().Exec(QStringLiteral("insert into Gwar (ID_Gwar, Numer, Kwota, Saldo) values (1, 'PL-GW-1', 10000, 10000)"));
  }

  // An entry waiting for approval in register 3; `extra` sets further columns.
  void Entry(int id, int liczba_poz, double dc_kwota, const Params& extra = {}, const QString& sad = kDefaultSad) {
    Params p{{QStringLiteral("ID_IM"), id},           {QStringLiteral("SAD"), sad},
             {QStringLiteral("LiczbaPoz"), liczba_poz}, {QStringLiteral("DC_Kwota"), dc_kwota},
             {QStringLiteral("ID_RGRej"), 3}};
    p.insert(extra);
    const QStringList names = p.keys();
    db().Exec(QStringLiteral("insert into IM (%1) values (:%2)").arg(names.join(QLatin1Char(',')), names.join(QStringLiteral(",:"))), p);
  }
  bool Approve(int id, QStringList* log, bool cicho = false, int start = 0, host::Db* dataset = nullptr) {
    return reference::ZatwierdzWpisIM(*ctx_, id, start, cicho, log, dataset, false);
  }
  host::Row Im(int id) {
    return *db().QueryOne(QStringLiteral("select NrWpisu, DataWpisu, Rok, LpRej, PU_Stat, Kor_Stat, ID_GwarPoz, ID_Gwar, "
                                         "GWAR_NOWA_POZ, DC_Termin from IM where ID_IM = :ID"),
                          {{QStringLiteral("ID"), id}});
  }
  int Count(const QString& table) { return db().QueryValue(QStringLiteral("select count(*) from ") + table).toInt(); }
};

TEST_P(RegisterEntry, CodeBlocksOfTheRegisterAndOfAllRegisters) {
  const xml::Sad sad = xml::CreateSAD(SadXml({T("8471300000"), T("84713000"), T("0901210000")}));
  struct Case {
    const char* rows;  // (Kod, Dozwolony, ID_RGRej) values
    bool blocked;
    const char* text;
  };
  const Case cases[] = {
      {"", false, "Kontrola blokady CN - wynik pozytywny."},
      {"('0901', 0, 7)", false, "Kontrola blokady CN - wynik pozytywny."},  // another register's block
      {"('8471', 0, 3)", true, "Pozycja 1, CN10=8471300000 (blokada 8471) \rPozycja 2, CN10=84713000-- (blokada 8471) "},
      {"('84713000', 0, 0), ('0901210000', 0, 0)", true,
       "Pozycja 1, CN10=8471300000 (blokada 84713000) \rPozycja 2, CN10=84713000-- (blokada 84713000) \rPozycja 3, "
       "CN10=0901210000 (blokada 0901210000) "},
      {"('8471', 1, 3), ('2204', 0, 0)", true,
       "Pozycja 3, CN10=0901210000 (kod nie znajduje się na liście dozwolonych) "},
      {"('8471', 1, 0), ('0901', 1, 3), ('847130', 0, 3)", true,
       "Pozycja 1, CN10=8471300000 (blokada 847130) \rPozycja 2, CN10=84713000-- (blokada 847130) "},
  };
  int id = 0;
  for (const Case& c : cases) {
    db().Exec(QStringLiteral("delete from BlokadaCN"));
    for (const QString& row : QString::fromUtf8(c.rows).split(QStringLiteral("), ("), Qt::SkipEmptyParts)) {
      QString values = row;
      values.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
      db().Exec(QStringLiteral("insert into BlokadaCN (ID_BlokadaCN, Kod, Dozwolony, ID_RGRej) values (%1, %2)").arg(++id).arg(values));
    }
    QString komunikat;
    QStringList lines;
    EXPECT_EQ(reference::JestBlokadaCN(sad, 3, komunikat, db(), &lines), c.blocked) << c.rows;
    EXPECT_EQ(komunikat, QString::fromUtf8(c.text)) << c.rows;
    EXPECT_EQ(lines.join(QLatin1Char('\r')), komunikat);
  }
}

TEST_P(RegisterEntry, ApprovalNumbersDatesAndChargesEntriesInTurn) {
  Entry(11, 3, 250.5);
  Entry(12, 1, 10, {{QStringLiteral("DataWpisu"), QDate(2024, 3, 4)}});
  Entry(13, 0, 10);
  Entry(14, 2, 10);
  host_->dialogs.AnswerValue(QStringLiteral("41"));
  QStringList log;
  ASSERT_TRUE(Approve(11, &log)) << log.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(host_->dialogs.Texts(), QStringList({QStringLiteral("\rWpisać dokument o numerze 11 do rejestru ?\r"),
                                                 QStringLiteral("Podaj startowy numer wpisu:")}));
  EXPECT_EQ(log, QStringList({QStringLiteral("Kontrola blokady CN - wynik pozytywny."),
                              QStringLiteral("Startowy numer wpisu: 41")}));
  host::Row im = Im(11);
  EXPECT_EQ(im.Int(QStringLiteral("NrWpisu")), 41);
  EXPECT_EQ(im.Value(QStringLiteral("DataWpisu")).toDate(), QDate(2024, 3, 5));
  EXPECT_EQ(im.Value(QStringLiteral("DC_Termin")).toDate(), QDate(2024, 3, 19));
  EXPECT_EQ(im.Str(QStringLiteral("LpRej")), QStringLiteral("1-3"));
  EXPECT_EQ(im.Int(QStringLiteral("PU_Stat")), 200);
  EXPECT_EQ(im.Int(QStringLiteral("ID_Gwar")), 1);
  const auto poz = db().QueryOne(QStringLiteral("select * from GwarPoz where ID_GwarPoz = :ID"),
                                 {{QStringLiteral("ID"), im.Int(QStringLiteral("ID_GwarPoz"))}});
  ASSERT_TRUE(poz.has_value());
  EXPECT_EQ(poz->Str(QStringLiteral("NrSAD")), QStringLiteral("[3/41/2024]"));
  EXPECT_EQ(poz->Int(QStringLiteral("ID_Ext")), 11);
  EXPECT_DOUBLE_EQ(poz->Float(QStringLiteral("Kwota_obc")), 250.5);
  EXPECT_DOUBLE_EQ(db().QueryValue(QStringLiteral("select Saldo from Gwar")).toDouble(), 9749.5);

  // Silent approvals show nothing; positions follow on, an entry without items covers none.
  host_->dialogs.Clear();
  for (int id : {12, 13, 14}) ASSERT_TRUE(Approve(id, &log, true));
  EXPECT_TRUE(host_->dialogs.Texts().isEmpty());
  EXPECT_EQ(Im(12).Int(QStringLiteral("NrWpisu")), 42);
  EXPECT_EQ(Im(12).Str(QStringLiteral("LpRej")), QStringLiteral("4"));
  EXPECT_EQ(Im(12).Value(QStringLiteral("DataWpisu")).toDate(), QDate(2024, 3, 4));
  EXPECT_EQ(Im(13).Str(QStringLiteral("LpRej")), QString());
  EXPECT_EQ(Im(14).Int(QStringLiteral("NrWpisu")), 44);
  EXPECT_EQ(Im(14).Str(QStringLiteral("LpRej")), QStringLiteral("5-6"));

  // A new year starts at the number the caller passes.
  Entry(15, 2, 10, {{QStringLiteral("DataWpisu"), QDate(2025, 1, 2)}});
  ASSERT_TRUE(Approve(15, &log, false, 7));
  EXPECT_EQ(Im(15).Int(QStringLiteral("NrWpisu")), 7);
  EXPECT_EQ(Im(15).Str(QStringLiteral("LpRej")), QStringLiteral("1-2"));
}

TEST_P(RegisterEntry, RefusalsLeaveTheEntryAsItWas) {
  db().Exec(QStringLiteral("insert into RGRej (ID_RGRej, Symbol, bezPWD, ID_RGGwar) values (8, 'PU-8', 0, 1)"));
  db().Exec(QStringLiteral("insert into RGPow (ID_RGPow, Typ) values (1, 'A')"));
  db().Exec(QStringLiteral("insert into RGPow (ID_RGPow, Typ) values (2, 'C')"));
  struct Case {
    int id;
    std::function<void()> prepare;
    const char* text;  // a line of the log or the text of a box
  };
  const Case cases[] = {
      {21, [&] { Entry(21, 1, 10, {{QStringLiteral("NrWpisu"), 5}, {QStringLiteral("PU_Stat"), 200}}); },
       "\rDokument o numerze 5 jest już wpisany do rejestru !\r"},
      {22, [&] { Entry(22, 1, 10, {{QStringLiteral("Generowany"), 1}}); },
       "Nie można zatwierdzić wybranego wpisu !\rNależy we wpisie uzupełnić brakujące dane."},
      {23,
       [&] {
         db().Exec(QStringLiteral("insert into BlokadaCN (ID_BlokadaCN, Kod, Dozwolony, ID_RGRej) values (1, '0901', 0, 0)"));
         Entry(23, 1, 10, {}, SadXml({T("0901210000")}));
       },
       "Kontrola kodów CN...\r\rPozycja 1, CN10=0901210000 (blokada 0901) \r\rWpis do rejestru NIEMOŻLIWY !"},
      {24,
       [&] {
         db().Exec(QStringLiteral("delete from BlokadaCN"));
         Entry(24, 1, 10, {}, SadXml({T("8471300000", "10", "12")}));
       },
       "Na dokumencie stwierdzono niepoprawną wagę brutto !\rCzy kontynuować zatwierdzanie wpisu ?"},
      {25, [&] { Entry(25, 1, 10, {{QStringLiteral("ID_RGRej"), 8}}); }, " - brak powiadomienia dla wybranego wpisu."},
      {26, [&] { Entry(26, 1, 10, {{QStringLiteral("ID_RGRej"), 8}, {QStringLiteral("ID_RGPow"), 1}}); },
       " - powiadomienia typu a nie jest obsługiwane (opcja w przygotowaniu)."},
      {27, [&] { Entry(27, 1, 10, {{QStringLiteral("ID_RGPow"), 2}}); },
       " - dla wybranego wpisu przypisano powiadomienie - w definicji rejestru ustawiono pracę bez powiadomień."},
      {28,
       [&] {
         Entry(28, 1, 10);
         host_->dialogs.Answer(host::kIdNo);
       },
       "\rWpisać dokument o numerze 28 do rejestru ?\r"},
      {29, [&] { Entry(29, 1, 10); }, " - przerwano zatwierdzanie wpisu."},  // start number not given
      {30,
       [&] {
         db().Exec(QStringLiteral("insert into IM (ID_IM, ID_RGRej, Rok, NrWpisu, LpRej, PU_Stat) values (99, 3, 2024, 1, '1', 200)"));
         Entry(30, 1, 10000.01);
       },
       "Kwota obciążenia gwarancji (ID = 1) przekracza jej saldo !"},
      {31,
       [&] {
         Entry(31, 1, 0.004);
         host_->dialogs.Answer(host::kIdYes);
         host_->dialogs.Answer(host::kIdNo);
       },
       "Gwarancja  PL-GW-1 nie zostanie obciążona ponieważ kwota obciązenia jest mniejsza niż 0.01 zł\r\nCzy kontynuować ? "},
      {32,
       [&] {
         // A correction down to nothing: the debit refuses it, and the approval with it.
         Entry(32, 1, 0, {{QStringLiteral("NrWpisu"), 10}, {QStringLiteral("Rok"), 2024}, {QStringLiteral("KOR_Stat"), 1},
                          {QStringLiteral("KOR_ID_IM"), 21}, {QStringLiteral("ID_Gwar"), 1}});
         host_->dialogs.Answer(host::kIdYes);
         host_->dialogs.Answer(host::kIdYes);
       },
       "Kwota obciążenia gwarancji <= 0 !"},
      {777, [] {}, " - brak wpisu [id_im=777]."},
  };
  for (const Case& c : cases) {
    c.prepare();
    host_->dialogs.Clear();
    const QVariantList before = c.id == 777 ? QVariantList() : Im(c.id).Values();
    QStringList log;
    EXPECT_FALSE(Approve(c.id, &log)) << c.id;
    const QString text = QString::fromUtf8(c.text);
    EXPECT_TRUE(log.contains(text) || log.contains(text.trimmed()) || host_->dialogs.Texts().contains(text))
        << c.id << ": " << log.join(QLatin1Char('|')).toStdString() << " / "
        << host_->dialogs.Texts().join(QLatin1Char('|')).toStdString();
    if (c.id != 777) {
      EXPECT_EQ(Im(c.id).Values(), before) << c.id;
    }
    EXPECT_EQ(Count(QStringLiteral("GwarPoz")), 0) << c.id;
    EXPECT_FALSE(db().InTransaction());
  }
  // A failed charge shows an error only to a caller that keeps no log.
  host_->dialogs.Clear();
  EXPECT_FALSE(Approve(30, nullptr));
  EXPECT_EQ(host_->dialogs.ShownBoxes().back().kind, host::ScriptedDialogs::Kind::Blad);
}

TEST_P(RegisterEntry, LockedEntryOrBusyRegisterStopsTheApproval) {
  Entry(41, 1, 10, {{QStringLiteral("NrWpisu"), 3}, {QStringLiteral("Rok"), 2024}});
  auto other = host_->database().OpenAnother();
  host::NamedLock theirs(*other);
  QStringList log;
  ASSERT_TRUE(theirs.TryLock(QStringLiteral("LockPUDok_000041.$$$")));
  EXPECT_FALSE(Approve(41, &log));
  EXPECT_EQ(log, QStringList{QStringLiteral("Dokument (ID = 41) jest używany przez innego użytkownika !")});
  theirs.Unlock(QStringLiteral("LockPUDok_000041.$$$"));

  ASSERT_TRUE(theirs.TryLock(QStringLiteral("LockZatwWpis.$$$")));
  log.clear();
  host_->dialogs.Clear();
  EXPECT_FALSE(Approve(41, &log));
  EXPECT_EQ(host_->dialogs.Texts().first(), QStringLiteral("\rZatwierdzić wpis 3/2024 ?\r"));
  EXPECT_EQ(host_->dialogs.Texts().last(),
            QStringLiteral("W tej chwili operację nadawania/wycofywania numeru wpisu,\rnadawania numeru OGL lub zatwierdzania "
                           "wpisu wykonuje inny użytkownik.\r") +
                host::kKolorNiebieski + QStringLiteral("Naciśnij \"OK\" aby przerwać operację.\rOdczekaj chwilę i spróbuj ponownie."));
  EXPECT_EQ(log.size(), 5);
  EXPECT_EQ(log.last(), QStringLiteral("Odczekaj chwilę i spróbuj ponownie."));
  EXPECT_EQ(Im(41).Int(QStringLiteral("PU_Stat")), 0);
  theirs.Unlock(QStringLiteral("LockZatwWpis.$$$"));
  // An entry that has its number keeps it.
  EXPECT_TRUE(Approve(41, &log));
  EXPECT_EQ(Im(41).Int(QStringLiteral("NrWpisu")), 3);
  EXPECT_EQ(Im(41).Int(QStringLiteral("PU_Stat")), 200);
}

TEST_P(RegisterEntry, ChargeBelowOneGroszIsSkippedAfterYes) {
  db().Exec(QStringLiteral("update RGRej set VAT_bez_Zabezpieczenia = 1 where ID_RGRej = 3"));
  // Without VAT only duty and other charges are secured: 0.003 + 0.001.
  Entry(51, 1, 500, {{QStringLiteral("DC_Clo"), 0.003}, {QStringLiteral("DC_Inne"), 0.001}});
  host_->dialogs.AnswerValue(QStringLiteral("1"));
  QStringList log;
  ASSERT_TRUE(Approve(51, &log));
  EXPECT_TRUE(log.contains(QStringLiteral(
      "Gwarancja PL-GW-1 nie zostanie obciążona ponieważ kwota obciązenia jest mniejsza niż 0.01 zł")));
  EXPECT_EQ(Count(QStringLiteral("GwarPoz")), 0);
  EXPECT_EQ(Im(51).Int(QStringLiteral("ID_GwarPoz")), 0);
  EXPECT_EQ(Im(51).Int(QStringLiteral("PU_Stat")), 200);
}

TEST_P(RegisterEntry, LedgerChargesTheRegistersGuaranteeAndTheEndUseShare) {
  host_->options->WriteOption(QStringLiteral("GWARANCJE"), QStringLiteral("AutomatyczneSaldowanie"), QStringLiteral("1"));
  ctx_->switches.FVW = true;
  db().Exec(QStringLiteral("insert into GWARANCJE (ID_GWARANCJE, NUMER, TYP, VAT, KWOTA) values (4, 'G-4', 'KCS', 0, 5000)"));
  db().Exec(QStringLiteral("insert into GWARANCJE (ID_GWARANCJE, NUMER, TYP, KWOTA) values (6, 'END-1', 'END-USE', 1000)"));
  const QString sad = SadXml({T("8471300000", "100", "90", "40",
                                {{QStringLiteral("A00"), QStringLiteral("250.4")},
                                 {QStringLiteral("B00"), QStringLiteral("1000")},
                                 {QStringLiteral("A00"), QStringLiteral("10,5")}}),
                              T("8471300000", "50", "40", "", {{QStringLiteral("A00"), QStringLiteral("500")}})},
                             QStringLiteral("150.000"));
  Entry(61, 2, 300, {{QStringLiteral("DC_Clo"), 100}, {QStringLiteral("DC_Inne"), 20}, {QStringLiteral("Rok"), 2024},
                     {QStringLiteral("NrWpisu"), 8}}, sad);
  QStringList log;
  ASSERT_TRUE(Approve(61, &log, true)) << log.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral("obciążanie gwarancji nr G-4 na kwotę 120.00")));
  // 40 % of 250.4 and of 10.5, each rounded to whole units: 100 + 4.
  EXPECT_TRUE(log.contains(QStringLiteral("obciążanie gwarancji nr END-1 na kwotę 104.00")));
  const auto wpis = db().QueryOne(QStringLiteral("select * from GWARANCJE_POZYCJE where ID_GWARANCJE_POZYCJE = :ID"),
                                  {{QStringLiteral("ID"), Im(61).Int(QStringLiteral("GWAR_NOWA_POZ"))}});
  ASSERT_TRUE(wpis.has_value());
  EXPECT_EQ(wpis->Int(QStringLiteral("GWARANCJE_ID")), 4);
  EXPECT_DOUBLE_EQ(wpis->Float(QStringLiteral("KWOTA")), 120.0);
  EXPECT_EQ(wpis->Str(QStringLiteral("OBJ_NR")), QStringLiteral("[3/8/2024]"));
  EXPECT_EQ(wpis->Str(QStringLiteral("OBJ_RODZAJ")), QStringLiteral("IM"));
  EXPECT_EQ(Count(QStringLiteral("GwarPoz")), 0);

  // The End-Use share is charged once per reference.
  db().Exec(QStringLiteral("update IM set PU_Stat = 0, GWAR_NOWA_POZ = 0 where ID_IM = 61"));
  log.clear();
  ASSERT_TRUE(Approve(61, &log, true));
  EXPECT_EQ(log.last(), QStringLiteral("Dokument zostal juz obciazony gwarancja typu End-Use"));
  EXPECT_EQ(db().QueryValue(QStringLiteral("select count(*) from GWARANCJE_POZYCJE where GWARANCJE_ID = 6")).toInt(), 1);

  // The declaration's total decides whether anything is charged, before the guarantee's VAT;
  // VAT alone on a guarantee without VAT leaves nothing to charge.
  Entry(62, 1, 0.004, {{QStringLiteral("DC_Clo"), 100}, {QStringLiteral("DC_Inne"), 20}});
  Entry(63, 1, 40, {{QStringLiteral("DC_VAT"), 40}});
  const QString g4 = QStringLiteral("select count(*) from GWARANCJE_POZYCJE where GWARANCJE_ID = 4");
  const int charges = db().QueryValue(g4).toInt();
  for (int id : {62, 63}) {
    log.clear();
    ASSERT_TRUE(Approve(id, &log, true)) << id << log.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Gwarancja G-4 nie zostanie obciążona ponieważ kwota obciązenia jest mniejsza niż 0.01 zł")))
        << id << log.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Im(id).Int(QStringLiteral("GWAR_NOWA_POZ")), 0) << id;
  }
  EXPECT_EQ(db().QueryValue(g4).toInt(), charges);
}

TEST_P(RegisterEntry, CorrectionRecomputesPaymentAndRenewsTheCharge) {
  db().Exec(QStringLiteral("update RGRej set VAT_bez_Zabezpieczenia = 1 where ID_RGRej = 3"));
  db().Exec(QStringLiteral("insert into rgpay (ID_RGPAY, kwota_clo, kwota_vat, kwota_inne, kwota_razem, zaplacone) values "
                           "(1, 1, 2, 3, 6, 160)"));
  Entry(71, 1, 160, {{QStringLiteral("NrWpisu"), 10}, {QStringLiteral("Rok"), 2024}, {QStringLiteral("PU_Stat"), 200},
                     {QStringLiteral("id_rgpay"), 1}, {QStringLiteral("DC_Clo"), 100}, {QStringLiteral("DC_Inne"), 10},
                     {QStringLiteral("DC_VAT"), 50}, {QStringLiteral("ID_Gwar"), 1}});
  Entry(72, 1, 195, {{QStringLiteral("NrWpisu"), 10}, {QStringLiteral("Rok"), 2024}, {QStringLiteral("KOR_Stat"), 1},
                     {QStringLiteral("KOR_ID_IM"), 71}, {QStringLiteral("id_rgpay"), 1}, {QStringLiteral("DC_Clo"), 120},
                     {QStringLiteral("DC_Inne"), 15}, {QStringLiteral("DC_VAT"), 60},
                     {QStringLiteral("DataWpisu"), QDate(2024, 3, 1)}, {QStringLiteral("Kor_Data"), QDate(2024, 3, 4)}});
  QStringList log;
  ASSERT_TRUE(Approve(72, &log)) << log.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(host_->dialogs.Texts().first(), QStringLiteral("\rZatwierdzić korektę wpisu 10/2024 ?\r"));
  const auto pay = *db().QueryOne(QStringLiteral("select * from rgpay where ID_RGPAY = 1"));
  EXPECT_DOUBLE_EQ(pay.Float(QStringLiteral("kwota_clo")), 220.0);
  EXPECT_DOUBLE_EQ(pay.Float(QStringLiteral("kwota_vat")), 0.0);
  EXPECT_DOUBLE_EQ(pay.Float(QStringLiteral("kwota_inne")), 25.0);
  EXPECT_DOUBLE_EQ(pay.Float(QStringLiteral("zaplacone")), 0.0);
  EXPECT_DOUBLE_EQ(pay.Float(QStringLiteral("kwota_razem")), 245.0);
  EXPECT_EQ(pay.Int(QStringLiteral("BylaKorekta")), 1);

  // Charged 135 at approval, released on the correction date and bound to the corrected entry,
  // then charged anew for the correction.
  const auto moves = db().QueryAll(QStringLiteral("select * from GwarPoz order by ID_GwarPoz"));
  ASSERT_EQ(moves.size(), 3u);
  EXPECT_DOUBLE_EQ(moves[0].Float(QStringLiteral("Kwota_operacji")), -135.0);
  EXPECT_EQ(moves[0].Int(QStringLiteral("ID_Ext")), 71);
  EXPECT_DOUBLE_EQ(moves[1].Float(QStringLiteral("Kwota_operacji")), 135.0);
  EXPECT_EQ(moves[1].Int(QStringLiteral("ID_Ext")), 71);
  EXPECT_EQ(moves[1].Value(QStringLiteral("Data")).toDate(), QDate(2024, 3, 4));
  EXPECT_DOUBLE_EQ(moves[2].Float(QStringLiteral("Kwota_operacji")), -135.0);
  EXPECT_EQ(moves[2].Int(QStringLiteral("ID_Ext")), 72);
  EXPECT_EQ(Im(72).Int(QStringLiteral("ID_GwarPoz")), moves[2].Int(QStringLiteral("ID_GwarPoz")));
  EXPECT_EQ(Im(72).Int(QStringLiteral("Kor_Stat")), 100);
  EXPECT_DOUBLE_EQ(db().QueryValue(QStringLiteral("select Saldo from Gwar")).toDouble(), 9865.0);
}

TEST_P(RegisterEntry, CallersTransactionKeepsOrDropsTheApproval) {
  Entry(81, 1, 10, {{QStringLiteral("NrWpisu"), 4}, {QStringLiteral("Rok"), 2024}});
  QStringList log;
  {
    host::Transaction tx(db());
    EXPECT_TRUE(Approve(81, &log, true, 0, &db()));
  }
  EXPECT_EQ(Im(81).Int(QStringLiteral("PU_Stat")), 0);
  EXPECT_EQ(Count(QStringLiteral("GwarPoz")), 0);
  {
    host::Transaction tx(db());
    EXPECT_TRUE(Approve(81, &log, true, 0, &db()));
    tx.Commit();
  }
  EXPECT_EQ(Im(81).Int(QStringLiteral("PU_Stat")), 200);
  EXPECT_EQ(Count(QStringLiteral("GwarPoz")), 1);
}

// Two workstations approve the entries of one register at once: no number twice, no
// position twice, the guarantee charged with every entry.
TEST_P(RegisterEntry, TwoWorkstationsApprovingOneRegisterNeverShareANumber) {
  constexpr int kEach = 12;
  QStringList first, second;
  for (int i = 0; i < 2 * kEach; ++i) {
    Entry(100 + i, 2, 10);
    (i % 2 ? second : first) << QString::number(100 + i);
  }
  const QString url = host_->database().Url();
  QProcess a, b;
  a.start(QStringLiteral(VELMORA_LEDGER_WORKER), {QStringLiteral("approve"), url, first.join(QLatin1Char(','))});
  b.start(QStringLiteral(VELMORA_LEDGER_WORKER), {QStringLiteral("approve"), url, second.join(QLatin1Char(','))});
  for (QProcess* p : {&a, &b}) {
    ASSERT_TRUE(p->waitForFinished(180000));
    EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
  }
  std::set<int> numbers;
  std::set<int> positions;
  for (const host::Row& r : db().QueryAll(QStringLiteral("select NrWpisu, LpRej, PU_Stat from IM where ID_IM >= 100"))) {
    EXPECT_EQ(r.Int(QStringLiteral("PU_Stat")), 200);
    numbers.insert(r.Int(QStringLiteral("NrWpisu")));
    const QStringList range = r.Str(QStringLiteral("LpRej")).split(QLatin1Char('-'));
    ASSERT_EQ(range.size(), 2);
    for (int p = range[0].toInt(); p <= range[1].toInt(); ++p) EXPECT_TRUE(positions.insert(p).second) << p;
  }
  EXPECT_EQ(numbers.size(), 2u * kEach);
  EXPECT_EQ(*numbers.begin(), 1);
  EXPECT_EQ(*numbers.rbegin(), 2 * kEach);
  EXPECT_EQ(positions.size(), 4u * kEach);
  EXPECT_EQ(*positions.rbegin(), 4 * kEach);
  EXPECT_DOUBLE_EQ(db().QueryValue(QStringLiteral("select Saldo from Gwar")).toDouble(), 10000 - 2 * kEach * 10.0);
  EXPECT_EQ(Count(QStringLiteral("GwarPoz")), 2 * kEach);
}

VELMORA_ON_BOTH_ENGINES(RegisterEntry);

}  // namespace
}  // namespace velmora::testing
