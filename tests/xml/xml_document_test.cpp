#include "host/xml/xml_document.h"
#include "support/test_host.h"

#include <QTemporaryDir>

#include <atomic>
#include <functional>
#include <thread>

namespace velmora::xml {
namespace {

QString Str(const char* utf8) { return QString::fromUtf8(utf8); }

// The error `fn` throws; a failure (and line -1) when it throws none.
XmlParseError ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const XmlParseError& e) {
    return e;
  }
  ADD_FAILURE() << "no XmlParseError";
  return XmlParseError({}, -1);
}

struct BadInput {
  const char* name;
  const char* xml;
  int line;
  const char* message;
};

TEST(XmlParseTest, MalformedInputReportsItsReasonInPolishAndLine) {
  const BadInput cases[] = {
      {"mismatched tag", "<a>\n<b>\n</a>", 3, "Znacznik zamykający nie odpowiada otwierającemu"},
      {"unquoted attribute", "<a x=1/>", 1, "Wartość atrybutu musi być ujęta w cudzysłów"},
      {"second root", "<a/>\n\n<b/>", 3, "Po elemencie głównym dokument ma dalszą treść"},
      {"unclosed", "<?xml version=\"1.0\"?>\n<a>", 2, "Dokument kończy się przed zamknięciem elementu"},
      {"blank lines first", "\n\n<?xml version=\"1.0\"?><a>\n</b>", 4, "Znacznik zamykający nie odpowiada otwierającemu"},
      {"empty", "   ", 1, "Dokument jest pusty"},
      {"not UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a>\n\xb3</a>", 3,
       "Niedozwolony znak lub bajty niezgodne z kodowaniem dokumentu"},
  };
  const QStringList none;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const XmlParseError e = ErrorOf([&] { XmlDocument::ParseBytes(QByteArray(c.xml)); });
    EXPECT_EQ(e.Line(), c.line);
    EXPECT_EQ(e.Message(), QString::fromUtf8(c.message));
    // Read for its root only, the document is still read whole and refused alike.
    const XmlParseError head = ErrorOf([&] { XmlDocument::ParseBytes(QByteArray(c.xml), &none); });
    EXPECT_EQ(head.Line(), c.line);
    EXPECT_EQ(head.Message(), QString::fromUtf8(c.message));
  }
}

TEST(XmlParseTest, ParallelParsesKeepTheirOwnErrors) {
  std::atomic<int> wrong = 0;
  std::vector<std::thread> threads;
  for (int t = 1; t <= 4; ++t) {
    threads.emplace_back([t, &wrong] {
      // Thread t breaks its document on line t.
      const QString xml = QStringLiteral("<a>") + QString(t - 1, QLatin1Char('\n')) + QStringLiteral("<b></a>");
      for (int i = 0; i < 1000; ++i) {
        if (ErrorOf([&] { XmlDocument::Parse(xml); }).Line() != t) ++wrong;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
}

TEST(XmlParseTest, DoctypeIsRefusedBeforeAnythingInItIsRead) {
  const BadInput cases[] = {
      {"entity expansion", R"(<?xml version="1.0"?>
<!DOCTYPE l [<!ENTITY a "aaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;"><!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;">]>
<l>&c;&c;&c;&c;</l>)",
       2},
      {"external entity", "<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><r>&x;</r>", 1},
      {"external subset", "<?xml version=\"1.0\"?>\n\n<!DOCTYPE r SYSTEM \"file:///etc/passwd\"><r/>", 3},
      // Were the subset read, this would be a syntax error instead.
      {"broken subset", "<!DOCTYPE r [<!ENTITY oops><r/>", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const XmlParseError& e :
         {ErrorOf([&] { XmlDocument::Parse(Str(c.xml)); }), ErrorOf([&] { XmlDocument::ParseBytes(c.xml); })}) {
      EXPECT_EQ(e.Message(), Str("Dokument XML nie może zawierać deklaracji DOCTYPE"));
      EXPECT_EQ(e.Line(), c.line);
    }
  }
}

TEST(XmlParseTest, ToXmlKeepsTheDocumentAsWritten) {
  const char* polish =
      "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n"
      "<ns6:UPP xmlns:ns6=\"urn:u\" xmlns:xsi=\"urn:xsi\"><ns6:Opis xsi:type=\"t\">ąęłńóśźż ĄĘŁŃÓŚŹŻ &amp; &lt;"
      "</ns6:Opis><B/><![CDATA[x<y]]></ns6:UPP>\n";
  const struct {
    const char* name;
    const char* in;
    const char* out;
  } cases[] = {
      {"windows-1250 declaration and Polish letters", polish, polish},
      {"no declaration", "<a><!--c--><b c=\"1\"/></a>", "<a><!--c--><b c=\"1\"/></a>\n"},
      {"blank before declaration, standalone", "\n <?xml version='1.0' standalone='yes'?><a/>",
       "<?xml version=\"1.0\" standalone=\"yes\"?>\n<a/>\n"},
      {"nodes around the root", "<?xml version=\"1.0\"?><!--x--><a/><?pi y?>",
       "<?xml version=\"1.0\"?>\n<!--x-->\n<a/>\n<?pi y?>\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto doc = XmlDocument::Parse(Str(c.in));
    EXPECT_EQ(doc->ToXml(), Str(c.out));
    EXPECT_EQ(doc->HasDeclaration(), Str(c.out).startsWith(QLatin1String("<?xml")));
  }
}

TEST(XmlParseTest, BytesAndFilesUseTheDeclaredEncoding) {
  const auto doc = XmlDocument::Parse(Str("<?xml version=\"1.0\" encoding=\"windows-1250\"?><a>łąka</a>"));
  EXPECT_EQ(doc->Encoding(), QStringLiteral("windows-1250"));
  const QByteArray bytes = doc->ToBytes();
  EXPECT_TRUE(bytes.contains("<a>\xB3\xB9ka</a>")) << bytes.toHex().constData();

  QTemporaryDir dir;
  doc->Save(dir.filePath(QStringLiteral("upp.xml")));
  const auto loaded = LoadXMLDocument(dir.filePath(QStringLiteral("upp.xml")));
  EXPECT_EQ(loaded->DocumentElement().Text(), Str("łąka"));
  EXPECT_EQ(loaded->ToXml(), doc->ToXml());

  const XmlParseError missing = ErrorOf([&] { LoadXMLDocument(dir.filePath(QStringLiteral("brak.xml"))); });
  EXPECT_TRUE(missing.Message().startsWith(Str("Nie można otworzyć pliku: "))) << missing.what();
  EXPECT_EQ(missing.Line(), 0);
}

const char* const kUpp = R"(<ns6:UPP xmlns:ns6="urn:u" xmlns:xsi="urn:xsi">
  <ns6:Naglowek><ns6:Poz>1</ns6:Poz></ns6:Naglowek>
  <ns6:Towar typ="plain" xsi:typ="typed"><ns6:Poz>2</ns6:Poz></ns6:Towar>
  <!-- skipped -->
  <ns6:Towar><ns6:Poz>3</ns6:Poz></ns6:Towar>
</ns6:UPP>)";

// Read for a few fields, a document keeps its root and the children named, with their subtrees.
TEST(XmlParseTest, HeadKeepsTheRootAndTheNamedChildrenOnly) {
  EXPECT_EQ(LoadXMLHead(Str(kUpp), {QStringLiteral("Naglowek")})->ToXml(),
            Str("<ns6:UPP xmlns:ns6=\"urn:u\" xmlns:xsi=\"urn:xsi\"><ns6:Naglowek><ns6:Poz>1</ns6:Poz></ns6:Naglowek>"
                "<!-- skipped --></ns6:UPP>\n"));
  const auto towary = LoadXMLHead(Str(kUpp), {QStringLiteral("Towar")});
  EXPECT_EQ(towary->DocumentElement().ChildrenByLocalName(QStringLiteral("Towar")).size(), 2u);
  EXPECT_FALSE(GetXMLNode(towary->DocumentElement(), QStringLiteral("ns6:Naglowek")));
  EXPECT_EQ(GetXMLNode(towary->DocumentElement(), QStringLiteral("ns6:Poz"), true).Text(), QStringLiteral("2"));
}

TEST(XmlNavigationTest, DeepAndShallowLookupsMatchTheNameAsWritten) {
  const auto doc = LoadXMLData(Str(kUpp));
  const XmlNode root = doc->DocumentElement();
  const QString poz = QStringLiteral("ns6:Poz");
  const XmlNode first = GetXMLNode(root, poz);
  EXPECT_EQ(first.Text(), QStringLiteral("1"));
  EXPECT_TRUE(GetXMLNode(root, poz, false).IsNull());
  EXPECT_TRUE(GetXMLNode(root, QStringLiteral("Poz")).IsNull());

  EXPECT_EQ(GetXMLNextNode(first, poz).Text(), QStringLiteral("2"));
  EXPECT_TRUE(GetXMLNextNode(first, poz, false).IsNull());
  const XmlNode header = first.Parent();
  EXPECT_EQ(GetXMLNextNode(header, poz).Text(), QStringLiteral("2"));
  const XmlNode towar = GetXMLNextNode(header, QStringLiteral("ns6:Towar"), false);
  EXPECT_EQ(GetXMLNextNode(towar, QStringLiteral("ns6:Towar"), false).Text(), QStringLiteral("3"));
  EXPECT_EQ(towar.NextSibling().Text(), QStringLiteral("3"));
}

TEST(XmlNodeTest, AttributesAreMatchedWithTheirPrefix) {
  const auto doc = LoadXMLData(Str(kUpp));
  XmlNode towar = GetXMLNode(doc->DocumentElement(), QStringLiteral("ns6:Towar"));
  EXPECT_EQ(towar.Attribute(QStringLiteral("typ")), QStringLiteral("plain"));
  EXPECT_EQ(towar.Attribute(QStringLiteral("xsi:typ")), QStringLiteral("typed"));
  EXPECT_FALSE(towar.HasAttribute(QStringLiteral("ns6:typ")));
  towar.SetAttribute(QStringLiteral("xsi:nil"), QStringLiteral("a\"<&"));
  towar.RemoveAttribute(QStringLiteral("typ"));
  towar.SetText(QStringLiteral("<x>&"));
  EXPECT_EQ(towar.Xml(), Str(R"(<ns6:Towar xsi:typ="typed" xsi:nil="a&quot;&lt;&amp;">&lt;x&gt;&amp;</ns6:Towar>)"));
  const auto reparsed = LoadXMLData(doc->ToXml());
  const XmlNode again = GetXMLNode(reparsed->DocumentElement(), QStringLiteral("ns6:Towar"));
  EXPECT_EQ(again.Attributes().back(), std::make_pair(QStringLiteral("xsi:nil"), QStringLiteral("a\"<&")));
  EXPECT_EQ(again.Text(), QStringLiteral("<x>&"));
}

TEST(XmlNodeTest, NewChildrenTakeTheParentsNamespaceAndPlace) {
  for (const char* prefix : {"ns6", ""}) {
    SCOPED_TRACE(prefix);
    const auto doc = XmlDocument::Create(QStringLiteral("UPP"), QStringLiteral("urn:u"), Str(prefix));
    XmlNode root = doc->DocumentElement();
    const XmlNode c = root.AppendChild(QStringLiteral("C"));
    root.InsertChildBefore(QStringLiteral("A"), root.FirstChild());
    root.InsertChildBefore(QStringLiteral("B"), c);
    root.InsertChildBefore(QStringLiteral("D"), XmlNode());
    EXPECT_EQ(c.NamespaceURI(), QStringLiteral("urn:u"));
    const QString p = *prefix ? Str(prefix) + QLatin1Char(':') : QString();
    const QString ns = *prefix ? QStringLiteral("xmlns:") + Str(prefix) : QStringLiteral("xmlns");
    EXPECT_EQ(doc->ToXml(), QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                           "<%1UPP %2=\"urn:u\"><%1A/><%1B/><%1C/><%1D/></%1UPP>\n")
                                .arg(p, ns));
  }
}

TEST(XmlNodeTest, CopyFromAnotherDocumentOutlivesItAndKeepsItsNamespace) {
  const auto target = XmlDocument::Create(QStringLiteral("Cel"));
  {
    const auto source = LoadXMLData(Str(kUpp));
    target->DocumentElement().AppendCopy(GetXMLNode(source->DocumentElement(), QStringLiteral("ns6:Towar")));
  }
  const auto reparsed = LoadXMLData(target->ToXml());
  const XmlNode copy = GetXMLNode(reparsed->DocumentElement(), QStringLiteral("ns6:Poz"));
  EXPECT_EQ(copy.NamespaceURI(), QStringLiteral("urn:u"));
  EXPECT_EQ(copy.Parent().Attribute(QStringLiteral("xsi:typ")), QStringLiteral("typed"));
  EXPECT_EQ(copy.Text(), QStringLiteral("2"));
}

TEST(XmlNodeTest, RemovedNodeTakesItsSubtreeAndLeavesItsSiblings) {
  const auto doc = LoadXMLData(QStringLiteral("<a><b/><c><d/></c><e/></a>"));
  XML_RemoveNode(GetXMLNode(doc->DocumentElement(), QStringLiteral("c")));
  EXPECT_EQ(doc->DocumentElement().Xml(), QStringLiteral("<a><b/><e/></a>"));
}

TEST(XmlTextTest, ClearNamespaceDropsDeclarationsOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {R"(<a xmlns="urn:d"><b/></a>)", "<a><b/></a>"},
      {R"(<p:a xmlns:p='urn:p'  xmlns:q = "urn:q" x="1"><p:b/></p:a>)", R"(<p:a x="1"><p:b/></p:a>)"},
      {R"(<a xmlnsx="1">xmlns</a>)", R"(<a xmlnsx="1">xmlns</a>)"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(ClearNamespace(Str(in)), Str(out));
}

}  // namespace
}  // namespace velmora::xml
