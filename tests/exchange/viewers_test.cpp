#include "exchange/viewers.h"

#include <QFile>

#include <gtest/gtest.h>

namespace velmora::exchange {
namespace {

QString Sample(const char* name) {
  QFile f(QStringLiteral(VELMORA_TEST_DATA "/incoming/") + QString::fromLatin1(name) + QStringLiteral(".xml"));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly));
  return QString::fromUtf8(f.readAll());
}

TEST(IncomingViews, RefusalShowsHeaderDecisionAndErrorsInDocumentOrder) {
  const IncomingView v = BuildIncomingView(QStringLiteral("IE016"), Sample("IE016"));
  ASSERT_TRUE(v.bound);
  EXPECT_EQ(v.box, QStringLiteral("TIE016PL_Box"));
  EXPECT_EQ(v.title, QStringLiteral("  IE016 - Odrzucenie zgłoszenia nadesłanego komunikatem IE015"));
  EXPECT_EQ(v.groups[0].caption, QStringLiteral("  Nagłówek komunikatu  "));
  EXPECT_EQ(v.Field(QStringLiteral("beNrWlasny"))->value, QStringLiteral("24IE016UC0000016"));
  EXPECT_EQ(v.Field(QStringLiteral("beDataUtworzenia"))->value, QStringLiteral("2024-03-05T10:15:00"));
  EXPECT_EQ(v.Field(QStringLiteral("beNrWlasnyIE"))->label, QStringLiteral("Nr własny IE015 :"));
  EXPECT_EQ(v.Field(QStringLiteral("beNrWlasnyIE"))->value, QStringLiteral("24IE0150000010"));
  EXPECT_EQ(v.Field(QStringLiteral("mePowodOdrzucenia"))->value, QStringLiteral("Zgłoszenie zawiera błędy"));
  ASSERT_EQ(v.tables.size(), 1u);
  EXPECT_EQ(v.tables[0].columns,
            (QStringList{"Lp", "Kod", "Wskaźnik", "Przyczyna", "Błędna wartość", "Opis"}));
  ASSERT_EQ(v.tables[0].rows.size(), 3u);
  EXPECT_EQ(v.tables[0].rows[0], (QStringList{"1", "12", "IE015/Towar[1]/MasaBrutto", "R105", "0", "Masa brutto musi być większa od zera"}));
  EXPECT_EQ(v.tables[0].rows[2][0], QStringLiteral("3"));

  const IncomingView clean = BuildIncomingView(QStringLiteral("IE016"), QStringLiteral("<IE016><Naglowek NrWlasny=\"A\"/></IE016>"));
  EXPECT_TRUE(clean.tables[0].rows.empty());
  EXPECT_EQ(clean.Field(QStringLiteral("beNrWlasny"))->value, QStringLiteral("A"));
}

TEST(IncomingViews, EveryTypeBindsItsSampleAndAnUnreadableDocumentLeavesFieldsEmpty) {
  for (const QString& typ : ViewerTypes()) {
    const IncomingView v = BuildIncomingView(typ, Sample(typ.toLatin1().constData()));
    EXPECT_TRUE(v.bound) << typ.toStdString();
    EXPECT_FALSE(v.Field(QStringLiteral("beNrWlasny"))->value.isEmpty()) << typ.toStdString();
    const IncomingView broken = BuildIncomingView(typ, QStringLiteral("<nie xml"));
    EXPECT_FALSE(broken.bound);
    EXPECT_EQ(broken.box, v.box);
    for (const ViewGroup& g : broken.groups)
      for (const ViewField& f : g.fields) EXPECT_TRUE(f.value.isEmpty()) << f.name.toStdString();
  }
  const IncomingView ie028 = BuildIncomingView(QStringLiteral("IE028"), Sample("IE028"));
  EXPECT_EQ(ie028.Field(QStringLiteral("beNrLRN"))->value, QStringLiteral("LRN-2024-000123"));
  EXPECT_EQ(ie028.Field(QStringLiteral("beGZNazwa"))->value, QStringLiteral("Bałtycka Spedycja Sp. z o.o."));
  EXPECT_EQ(ie028.Field(QStringLiteral("cbTIR"))->kind, ViewField::Kind::Check);
  EXPECT_EQ(BuildIncomingView(QStringLiteral("IE025"), Sample("IE025")).Field(QStringLiteral("cbTIR")), nullptr);
  const IncomingView upo = BuildIncomingView(QStringLiteral("UPO"), Sample("UPO"));
  EXPECT_EQ(upo.Field(QStringLiteral("beTypIE"))->value, QStringLiteral("IE015"));
  EXPECT_EQ(upo.Field(QStringLiteral("meTresc"))->value, QStringLiteral("Potwierdzenie przyjęcia dokumentu IE015"));
  EXPECT_EQ(BuildIncomingView(QStringLiteral("IE055"), Sample("IE055")).tables[0].rows.size(), 1u);
  EXPECT_FALSE(HasViewer(QStringLiteral("IE043")));
}

TEST(IncomingViews, RawDisplayGetsADeclarationWhenItHasNone) {
  EXPECT_EQ(XmlDisplayText("<IE043><a>ż</a></IE043>"),
            QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r<IE043><a>\xc5\xbc</a></IE043>"));
  EXPECT_EQ(XmlDisplayText("junk<IE043/>"), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r<IE043/>"));
  // Bytes of the Polish code page: converted, and so declared.
  EXPECT_EQ(XmlDisplayText("<a>\xbf</a>"), QByteArray("<?xml version=\"1.0\" encoding=\"windows-1250\"?>\r<a>\xc5\xbc</a>"));
  const QByteArray declared = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><IE043/>";
  EXPECT_EQ(XmlDisplayText(declared), declared);
}

}  // namespace
}  // namespace velmora::exchange
