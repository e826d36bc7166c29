#include "host/xml/messages.h"
#include "host/xml/sad.h"

#include "support/test_host.h"

namespace velmora::xml {
namespace {

// A small description, like the message body groups are described.
const GroupDesc kSeal{QStringLiteral("Zamkniecie"), {Attr("Znak")}};
const GroupDesc kTransport{QStringLiteral("Transport"),
                           {Attr("Rodzaj"), Elem("Kraj"), Elem("Oznaczenie"), Sub(kSeal, true), Elem("Uwagi")}};

TEST(MessageBinding, EveryTypeHasItsRootNamespaceAndDirection) {
  for (const MessageType& t : MessageTypes()) {
    const Message m = NewMessage(t.code);
    EXPECT_EQ(m.Document()->DocumentElement().NodeName(), t.root) << t.code.toStdString();
    EXPECT_EQ(m.Document()->DocumentElement().NamespaceURI(), t.ns);
  }
  EXPECT_EQ(FindMessageType(QStringLiteral("IE015"))->direction, Direction::Outgoing);
  EXPECT_EQ(FindMessageType(QStringLiteral("IE928"))->direction, Direction::Incoming);
  EXPECT_EQ(FindMessageType(QStringLiteral("NPP"))->root, QStringLiteral("ns6:Dokument"));
  EXPECT_EQ(FindMessageType(QStringLiteral("IE999")), nullptr);
  EXPECT_THROW(NewMessage(QStringLiteral("IE999")), BindingError);
}

TEST(MessageBinding, HeaderReadsAlikeWithAndWithoutNamespaces) {
  const char* docs[] = {
      R"(<IE028><Naglowek NrWlasny="24IE0150000010" MRN="24PL322010NS000012" DataUtworzenia="2024-03-05T08:04:09" NrWlasnyKomunikatuPowiazanego="R1" LRN="L1"/></IE028>)",
      R"(<ns2:IE028 xmlns:ns2="http://example/ie028"><ns2:Naglowek NrWlasny="24IE0150000010" MRN="24PL322010NS000012" DataUtworzenia="2024-03-05T08:04:09" NrWlasnyKomunikatuPowiazanego="R1" LRN="L1"/></ns2:IE028>)",
  };
  for (const char* text : docs) {
    const Message m = GetIE028(LoadXMLData(QString::fromUtf8(text)));
    const Naglowek h = m.GetNaglowek();
    ASSERT_FALSE(h.IsNull());
    EXPECT_EQ(h.NrWlasny(), QStringLiteral("24IE0150000010"));
    EXPECT_EQ(h.MRN(), QStringLiteral("24PL322010NS000012"));
    EXPECT_EQ(h.NrWlasnyKomunikatuPowiazanego(), QStringLiteral("R1"));
    EXPECT_EQ(h.LRN(), QStringLiteral("L1"));
    EXPECT_EQ(GetAnyMessage(m.Document()).Type().code, QStringLiteral("IE028"));
  }
  EXPECT_THROW(GetIE015(LoadXMLData(QString::fromUtf8(docs[0]))), BindingError);
  EXPECT_TRUE(GetIE015(LoadXMLData(QStringLiteral("<IE015/>"))).GetNaglowek().IsNull());
}

TEST(MessageBinding, FieldsAreCreatedInSchemaOrderWhateverTheOrderOfSetting) {
  Message m = NewIE015();
  Group root = m.Root();
  // Children are created in the message's namespace.
  XmlNode transport_node = root.Node().AppendChild(QStringLiteral("Transport"));
  Group t(m.Document(), transport_node, &kTransport);
  t.Set(QStringLiteral("Uwagi"), QStringLiteral("pilne"));
  t.Add(kSeal).Set(QStringLiteral("Znak"), QStringLiteral("A1"));
  t.Set(QStringLiteral("Kraj"), QStringLiteral("PL"));
  t.Add(kSeal).Set(QStringLiteral("Znak"), QStringLiteral("A2"));
  t.Set(QStringLiteral("Oznaczenie"), QStringLiteral("GD 12345"));
  t.Set(QStringLiteral("Rodzaj"), QStringLiteral("30"));
  m.EnsureNaglowek().SetNrWlasny(QStringLiteral("X"));

  QStringList order;
  for (XmlNode c : transport_node.Children()) order << c.LocalName();
  EXPECT_EQ(order, (QStringList{"Kraj", "Oznaczenie", "Zamkniecie", "Zamkniecie", "Uwagi"}));
  EXPECT_EQ(t.List(kSeal)[1].Get(QStringLiteral("Znak")), QStringLiteral("A2"));
  EXPECT_EQ(root.Node().ChildByLocalName(QStringLiteral("Naglowek")).NamespaceURI(), FindMessageType(QStringLiteral("IE015"))->ns);
  EXPECT_THROW(t.Set(QStringLiteral("NieMaTakiego"), QStringLiteral("x")), std::logic_error);
}

TEST(MessageBinding, GroupCopyFollowsTheDescriptionAndSkipsWhatIsAbsent) {
  const auto src = LoadXMLData(QStringLiteral(
      "<IE015><Transport Rodzaj=\"30\"><Uwagi>u</Uwagi><Zamkniecie Znak=\"A1\"/><Obce>nie kopiować</Obce>"
      "<Zamkniecie Znak=\"A2\"/><Kraj>DE</Kraj></Transport></IE015>"));
  const Group from(src, src->DocumentElement().FirstChild(), &kTransport);
  Message dst = NewIE015();
  Group to(dst.Document(), dst.Root().Node().AppendChild(QStringLiteral("Transport")), &kTransport);
  CopyGroup(from, to);
  EXPECT_EQ(to.Node().Xml().section(QLatin1Char('>'), 1),
            QStringLiteral("<Kraj>DE</Kraj><Zamkniecie Znak=\"A1\"/><Zamkniecie Znak=\"A2\"/><Uwagi>u</Uwagi></Transport>"));
  EXPECT_EQ(to.Get(QStringLiteral("Rodzaj")), QStringLiteral("30"));
  EXPECT_FALSE(to.Has(QStringLiteral("Oznaczenie")));
}

TEST(SadBinding, ADocumentIsBoundAndSharedAsTheHostsCurrentSad) {
  Sad sad = GetSAD(LoadXMLData(QStringLiteral("<SAD><Zgloszenie NrWlasny=\"IM/1\"/></SAD>")));
  EXPECT_EQ(sad.Zgloszenie().Get(QStringLiteral("NrWlasny")), QStringLiteral("IM/1"));
  AssignSAD(sad);
  sad.EnsureZgloszenie().Set(QStringLiteral("NrWlasny"), QStringLiteral("IM/2"));
  EXPECT_EQ(GetMainSAD().Zgloszenie().Get(QStringLiteral("NrWlasny")), QStringLiteral("IM/2"));  // one document
  AssignSAD(Sad());
  EXPECT_TRUE(GetMainSAD().IsNull());
  EXPECT_THROW(GetSAD(LoadXMLData(QStringLiteral("<IE015/>"))), BindingError);
  EXPECT_THROW(GetSAD(nullptr), BindingError);
}

}  // namespace
}  // namespace velmora::xml
