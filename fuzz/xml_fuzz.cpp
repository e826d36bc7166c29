// The XML model on any bytes: parse errors are fine, crashes and leaks are not, and what
// parses writes out a text that parses to the same text again.
#include "host/xml/xml_document.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  try {
    auto doc = velmora::xml::XmlDocument::ParseBytes(bytes);
    const QString text = doc->ToXml();
    (void)velmora::xml::GetXMLNode(doc->DocumentElement(), QStringLiteral("Naglowek"));
    if (velmora::xml::LoadXMLData(text)->ToXml() != text) std::abort();
  } catch (const velmora::xml::XmlParseError&) {
  }
  try {
    auto doc = velmora::xml::LoadXMLData(QString::fromUtf8(bytes));
    (void)doc->ToBytes();
  } catch (const velmora::xml::XmlParseError&) {
  }
  return 0;
}
