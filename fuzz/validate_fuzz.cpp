// Arbitrary bytes through the command line's check (schema, then the declaration rules): no
// crash, no leak, nothing but the parse error may escape, and a document written out again
// gets the same findings.
#include "departure/walidator.h"
#include "host/xml/xml_document.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

using namespace velmora;

namespace {

QStringList Codes(const std::vector<departure::UstalenieKomunikatu>& findings) {
  QStringList codes;
  for (const auto& f : findings) codes << f.kod + QLatin1Char(' ') + f.sciezka;
  return codes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int argc = 1;
  static char name[] = "fuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = new QCoreApplication(argc, argv);
  (void)app;
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  try {
    const QStringList first = Codes(departure::SprawdzKomunikat(bytes));
    const QByteArray written = xml::XmlDocument::ParseBytes(bytes)->ToBytes();
    if (Codes(departure::SprawdzKomunikat(written)) != first) std::abort();
  } catch (const xml::XmlParseError&) {
  }
  return 0;
}
