// Arbitrary bytes through the command line's check (schema, then the declaration rules): no
// crash, no leak, and nothing but the parse error may escape.
#include "departure/walidator.h"
#include "host/xml/xml_document.h"

#include <QCoreApplication>

#include <cstdint>

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int argc = 1;
  static char name[] = "fuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = new QCoreApplication(argc, argv);
  (void)app;
  try {
    departure::SprawdzKomunikat(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  } catch (const xml::XmlParseError&) {
  }
  return 0;
}
