#include "exchange/incoming.h"
#include "frame/codes.h"
#include "frame/shared_state.h"
#include "host/base/host_context.h"
#include "host/xml/messages.h"
#include "host/xml/sad.h"
#include "reference/register_check.h"
#include "support/test_host.h"

#include <QFile>

namespace velmora::testing {
namespace {

const QString kMrn = QStringLiteral("24PL322010NS0001A7");

QString Sample(const char* name) {
  QFile f(QStringLiteral(VELMORA_TEST_DATA "/incoming/") + QString::fromLatin1(name) + QStringLiteral(".xml"));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly));
  return QString::fromUtf8(f.readAll());
}

// A declaration whose goods items carry their security calculations.
QString DeclarationWithCal(const QStringList& cal_texts) {
  xml::Message m = xml::NewIE015();
  m.EnsureNaglowek().SetNrWlasny(QStringLiteral("24IE0150000010"));
  for (const QString& text : cal_texts) {
    xml::XmlNode towar = m.Root().Node().AppendChild(QStringLiteral("Towar"));
    xml::XmlNode info = towar.AppendChild(QStringLiteral("InformacjaDodatkowa"));
    info.SetAttribute(QStringLiteral("Kod"), QStringLiteral("CAL"));
    info.SetAttribute(QStringLiteral("Tekst"), text);
  }
  return m.Xml();
}

class IncomingEffects : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    if (Stopped()) return;
    db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP) values (1, 0, 'IE015')"));
    db().Exec(QStringLiteral("insert into GWARANCJE (ID_GWARANCJE, NUMER, GRN, KWOTA, SALDO) values (4, 'G/4', '24PL322010000123G', 5000, 5000)"));
    db().CreateGenerator(QStringLiteral("GID_GWARANCJE_POZYCJE"));
  }
  void Declaration(const QString& xml) {
    db().Exec(QStringLiteral("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                             "values (1, 1, 1, 'IE015', 2, '24IE0150000010', :XML)"),
              {{QStringLiteral("XML"), xml}});
    db().DBGetNewID(QStringLiteral("GID_TRANZYTY_POZYCJE"));
  }
  void ChargeAtMrn() {
    host_->options->WriteOption(QStringLiteral("SALDOWANIE"), QStringLiteral("Automatyczne"), QStringLiteral("1"));
    host_->options->WriteOption(QStringLiteral("SALDOWANIE"), QStringLiteral("KCS_OBJECIE"), QStringLiteral("2"));
  }
  QString Load(const QString& xml) { return exchange::WczytajKomunikat(*ctx_, xml); }
  int Count(const char* table) { return db().GetCountFieldVal(QString::fromLatin1(table)); }
};

TEST_P(IncomingEffects, MrnAllocationChargesTheGuaranteesOfTheGoodsItems) {
  Declaration(DeclarationWithCal({QStringLiteral("1234.56 | 24PL322010000123G"), QStringLiteral("0.00 | 24PL322010000123G"),
                                  QStringLiteral("99.90 | NIEZNANA")}));
  EXPECT_EQ(Load(Sample("IE028")).left(8), QStringLiteral("Wczytano"));
  EXPECT_EQ(Count("GWARANCJE_POZYCJE"), 0);  // the charge at the MRN is not switched on

  db().Exec(QStringLiteral("delete from TRANZYTY_POZYCJE where TYP = 'IE028'"));
  ChargeAtMrn();
  EXPECT_EQ(Load(Sample("IE028")).left(8), QStringLiteral("Wczytano"));
  const auto entries = db().QueryAll(QStringLiteral("select * from GWARANCJE_POZYCJE"));
  ASSERT_EQ(entries.size(), 1u);  // the zero amount and the unknown GRN book nothing
  EXPECT_DOUBLE_EQ(entries[0].Float(QStringLiteral("KWOTA_NALEZNOSCI")), 1234.56);
  EXPECT_EQ(entries[0].Str(QStringLiteral("OBJ_NR")), kMrn);
  EXPECT_EQ(entries[0].Str(QStringLiteral("OBJ_RODZAJ")), QStringLiteral("NCTS"));
  EXPECT_EQ(entries[0].Int(QStringLiteral("OBJ_ID")), 1);
  EXPECT_EQ(db().QueryValue(QStringLiteral("select OBCIAZENIE_ID from TRANZYTY where ID_TRANZYTY = 1")).toLongLong(),
            entries[0].Int64(QStringLiteral("ID_GWARANCJE_POZYCJE")));
}

TEST_P(IncomingEffects, ARefusedChargeStopsTheLoadWithTheLedgersText) {
  Declaration(DeclarationWithCal({QStringLiteral("9999.00 | 24PL322010000123G")}));
  ChargeAtMrn();
  try {
    Load(Sample("IE928"));
    FAIL() << "the ledger accepted a charge above the balance";
  } catch (const std::exception& e) {
    EXPECT_FALSE(QString::fromUtf8(e.what()).isEmpty());
  }
  EXPECT_EQ(Count("TRANZYTY_POZYCJE"), 1);
  EXPECT_EQ(Count("GWARANCJE_POZYCJE"), 0);
  EXPECT_TRUE(db().QueryOne(QStringLiteral("select LRN from TRANZYTY where ID_TRANZYTY = 1"))->IsNull(QStringLiteral("LRN")));
  EXPECT_EQ(frame::OstatniWczytanyKomunikatId, 0);
}

TEST_P(IncomingEffects, WarehouseDutiesAreReleasedAndItsFailuresStayQuiet) {
  Declaration(DeclarationWithCal({}));
  db().Exec(QStringLiteral("insert into GWARANCJE_POZYCJE (ID_GWARANCJE_POZYCJE, GWARANCJE_ID, LP, OPERACJA, KWOTA, KWOTA_OPERACJI) values (1, 4, 1, 0, 300, -300)"));
  db().DBGetNewID(QStringLiteral("GID_GWARANCJE_POZYCJE"));
  db().Exec(QStringLiteral("insert into EX_SAD (ID_EX_SAD, ID_IM, NCTS, IdNCTS, ID_ZGLOSZ) values (1, 0, 1, 1, 7)"));
  db().Exec(QStringLiteral("insert into EX_ZGLOSZ (ID_EX_ZGLOSZ, PROCEDURA) values (7, '3171')"));
  db().Exec(QStringLiteral("insert into CZZAM (ID_CZZAM, ID_ZGLOSZ, TYPZGLOSZ, PROCEDURA) values (9, 7, 0, '3171')"));
  db().Exec(QStringLiteral("insert into CZEW (ID_CZEW, GWAR_NOWA_POZ) values (11, 1), (12, 0)"));
  db().Exec(QStringLiteral("insert into CZRozPoz (ID_CZROZPOZ, ID_ZAM, ID_EW, P47) values (1, 9, 11, 120.004), (2, 9, 12, 50)"));
  EXPECT_EQ(Load(Sample("IE928")).left(8), QStringLiteral("Wczytano"));
  const auto entry = db().QueryOne(QStringLiteral("select * from GWARANCJE_POZYCJE where ID_GWARANCJE_POZYCJE <> 1"));
  ASSERT_TRUE(entry);
  EXPECT_DOUBLE_EQ(entry->Float(QStringLiteral("KWOTA_NALEZNOSCI")), 120.0);
  EXPECT_EQ(entry->Int(QStringLiteral("POW_LP")), 1);
  EXPECT_EQ(entry->Int(QStringLiteral("GWARANCJE_ID")), 4);

  // Another module's table that cannot be read ends only the accounting.
  db().Exec(QStringLiteral("drop table CZRozPoz"));
  EXPECT_EQ(Load(Sample("IE028")).left(8), QStringLiteral("Wczytano"));
}

TEST_P(IncomingEffects, ReleaseApprovesTheWaitingRegisterEntriesOrStoresNothing) {
  db().Exec(QStringLiteral("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, MRN) values (2, 1, 'IE007', :MRN)"), {{QStringLiteral("MRN"), kMrn}});
  auto sad = [](const QString& kod, const QString& nr) {
    xml::Sad s = xml::NewSAD();
    xml::Group towar = s.EnsureZgloszenie().Add(xml::kSadTowar);
    xml::Group doc = towar.Add(xml::kSadDokumentPoprzedni);
    doc.Set(QStringLiteral("Kod"), kod);
    doc.Set(QStringLiteral("Nr"), nr);
    return s.Xml();
  };
  db().Exec(QStringLiteral("insert into IM (ID_IM, SAD) values (1, :S)"), {{QStringLiteral("S"), sad(QStringLiteral("821"), kMrn)}});
  db().Exec(QStringLiteral("insert into IM (ID_IM, SAD) values (2, :S)"), {{QStringLiteral("S"), sad(QStringLiteral("740"), kMrn)}});
  db().Exec(QStringLiteral("insert into IM (ID_IM, SAD, DataWpisu) values (3, :S, :D)"),
            {{QStringLiteral("S"), sad(QStringLiteral("820"), kMrn)}, {QStringLiteral("D"), QDate(2024, 2, 1)}});
  db().Exec(QStringLiteral("insert into IM (ID_IM, SAD) values (4, 'nie xml')"));
  const auto waiting = reference::WpisyDlaMRN(db(), kMrn);
  ASSERT_EQ(waiting.size(), 1u);
  EXPECT_EQ(waiting[0].id_im, 1);

  // Entry 1 belongs to no register: its approval fails and the release is not stored.
  ctx_->switches.FZADURODER = true;
  const QString line = Load(Sample("IE025"));
  EXPECT_TRUE(line.startsWith(QStringLiteral("Błąd - "))) << line.toStdString();
  EXPECT_EQ(db().GetCountFieldVal(QStringLiteral("TRANZYTY_POZYCJE"), QStringLiteral("TYP = 'IE025'")), 0);
  ctx_->switches.FZADURODER = false;
  EXPECT_EQ(Load(Sample("IE025")).left(8), QStringLiteral("Wczytano"));
}

VELMORA_ON_BOTH_ENGINES(IncomingEffects);

}  // namespace
}  // namespace velmora::testing
