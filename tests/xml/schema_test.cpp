#include "host/xml/messages.h"
#include "host/xml/schema.h"
#include "host/xml/xml_document.h"

#include <gtest/gtest.h>

namespace velmora::xml {
namespace {

// An IE014 as it is sent: the header's return channel and the principal's representative in
// the shared types' namespace, a signature at the end.
QString Ie014(const QString& wniosek, const QString& reszta = {}) {
  return QStringLiteral(
             "<IE014 xmlns=\"http://www.mf.gov.pl/schematy/NCTS2/IE014/2013/10/\" xmlns:typy=\"%1\">"
             "<Naglowek NrWlasny=\"24IE0140000100\" DataUtworzenia=\"2024-03-05T08:04:09\" MRN=\"24PL322010NS0001A7\">"
             "<typy:KanalZwrotny><typy:Email Email=\"biuro@example.pl\"/></typy:KanalZwrotny></Naglowek>"
             "%2<UCZgloszenia Kod=\"PL322010\"/>"
             "<GlownyZobowiazany Nazwa=\"Bałtycka\" TIR=\"0\"><typy:Przedstawiciel TIN=\"PL5860000024\"/></GlownyZobowiazany>%3"
             "<ds:Signature xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\"><ds:SignedInfo/></ds:Signature></IE014>")
      .arg(kTypyNamespace, wniosek, reszta);
}

std::vector<SchemaFault> Check(const QString& text) { return ValidateMessage(LoadXMLData(text), *FindMessageType(QStringLiteral("IE014"))); }

TEST(Schema, EveryOutgoingMessageHasOne) {
  for (const MessageType& t : MessageTypes()) {
    if (t.direction != Direction::Outgoing) continue;
    const QString text = SchemaText(t);
    EXPECT_TRUE(text.contains(QStringLiteral("targetNamespace=\"") + t.ns + QLatin1Char('"'))) << t.code.toStdString();
    // An empty document of the type compiles the schema and misses its header.
    const auto faults = ValidateMessage(NewMessage(t.code).Document(), t);
    ASSERT_FALSE(faults.empty()) << t.code.toStdString();
    EXPECT_EQ(faults.front().path, QLatin1Char('/') + t.code);
  }
}

TEST(Schema, SentDocumentConformsAndEachFaultNamesItsElement) {
  const QString wniosek = QStringLiteral("<Wniosek Data=\"2024-03-05\" Powod=\"Pomyłka\"/>");
  EXPECT_TRUE(Check(Ie014(wniosek)).empty());

  auto first = [](const std::vector<SchemaFault>& f) { return f.empty() ? QString() : f.front().path + QStringLiteral(" | ") + f.front().message; };
  // A date in the wrong form, a missing required value, a value too long.
  EXPECT_TRUE(first(Check(Ie014(QStringLiteral("<Wniosek Data=\"05.03.2024\" Powod=\"x\"/>")))).startsWith(QStringLiteral("/IE014/Wniosek | ")));
  EXPECT_TRUE(first(Check(Ie014(QStringLiteral("<Wniosek Data=\"2024-03-05\"/>")))).contains(QStringLiteral("'Powod' is required")));
  EXPECT_TRUE(first(Check(Ie014(QStringLiteral("<Wniosek Data=\"2024-03-05\" Powod=\"%1\"/>").arg(QString(351, QLatin1Char('x'))))))
                  .contains(QStringLiteral("Powod")));
  // An element the schema does not know, and one out of order.
  EXPECT_TRUE(first(Check(Ie014(wniosek, QStringLiteral("<Robocze/>")))).startsWith(QStringLiteral("/IE014/Robocze | ")));
  EXPECT_FALSE(Check(Ie014(QStringLiteral("<UCZgloszenia Kod=\"PL1\"/>") + wniosek)).empty());
  // Namespaces stay out of the message.
  EXPECT_FALSE(first(Check(Ie014(wniosek, QStringLiteral("<Robocze/>")))).contains(QStringLiteral("{")));
}

TEST(Schema, NumbersAndFlagsFollowTheirForms) {
  const MessageType& t = *FindMessageType(QStringLiteral("IE054"));
  for (const auto& [flag, valid] : {std::pair{"1", true}, {"0", true}, {"true", false}}) {
    const QString text = QStringLiteral("<IE054 xmlns=\"%1\"><Naglowek NrWlasny=\"1\" DataUtworzenia=\"2024-03-05T08:04:09\" MRN=\"M\"/>"
                                        "<Wniosek BrakSprzeciwu=\"%2\" Data=\"2024-03-05\"/><UCZgloszenia Kod=\"PL322010\"/></IE054>")
                             .arg(t.ns, QString::fromLatin1(flag));
    EXPECT_EQ(ValidateMessage(LoadXMLData(text), t).empty(), valid) << flag;
  }
}

}  // namespace
}  // namespace velmora::xml
