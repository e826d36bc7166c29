#pragma once

#include "host/xml/group.h"
#include "host/xml/messages.h"

#include <QLatin1String>
#include <QString>

#include <array>
#include <utility>
#include <vector>

// The published NCTS rules a departure declaration is checked against, each by its code,
// and the syntax of a movement reference number.
namespace velmora::departure {

// Kinds of package for goods in bulk and for unpacked goods (case ignored); every other kind
// is packed goods.
inline constexpr std::array<QLatin1String, 7> cC060_1{QLatin1String("VQ"), QLatin1String("VG"), QLatin1String("VL"),
                                                      QLatin1String("VY"), QLatin1String("VR"), QLatin1String("VS"),
                                                      QLatin1String("VO")};
inline constexpr std::array<QLatin1String, 3> cC060_2{QLatin1String("NE"), QLatin1String("NF"), QLatin1String("NG")};

enum class RodzajOpakowania { Luzem, Nieopakowane, Opakowane };
RodzajOpakowania RodzajTowaru(const QString& rodzaj);
// R105's sum over a declaration (its root): every package, every piece, one for each bulk entry.
long long SumaOpakowan(const xml::XmlNode& deklaracja);

// A party of the declaration: identified by its TIN or by name and address. The optional
// kind (the security parties) follows the same rule.
struct PodmiotTyp {
  xml::Group g;
};
struct PodmiotOpcjonalnyTyp {
  xml::Group g;
};

// One finding: the rule's code and its message.
using Ustalenie = std::pair<QString, QString>;

// Every operation answers the rule's message, empty when the rule is met; none throws for a
// violation or a missing node. The header rules take the declaration's root (IE015 or IE013).
class TWalidator {
 public:
  TWalidator() = delete;

  static QString C060(const xml::Group& opakowanie);
  static QString C501(const PodmiotTyp& podmiot);
  static QString C501(const PodmiotOpcjonalnyTyp& podmiot);
  static QString C135(const xml::Group& zgloszenie);
  static QString C140(const xml::Group& zgloszenie);
  static QString C191(const xml::Group& zgloszenie);
  static QString R105(const xml::Group& zgloszenie);
  static QString R160(const xml::Group& zgloszenie);
  static QString R909(const xml::Group& zgloszenie);
  static QString RP14(const xml::Group& zgloszenie);
  static QString RP18(const xml::Group& kanal_zwrotny);
  static QString MRN(const QString& mrn);

  // The file runs: IE015's six rules (C135, C140, C191, R105, R909, RP14), result 0; a file
  // that does not load passes its xml::XmlParseError or xml::BindingError on. IE007 has no
  // rules: its load is tried, any failure swallowed.
  static int IE015(const QString& file_name);
  static int IE007(const QString& file_name);
  // What the IE015 run gathers: the failing rules' codes and messages in the run's order.
  static std::vector<Ustalenie> IE015Ustalenia(const QString& file_name);
  static std::vector<Ustalenie> IE015Ustalenia(const xml::Message& deklaracja);
};

// One finding of the command-line check: the rule's code ("XSD" for the schema), the element's
// place for a rule run per element, the text.
struct UstalenieKomunikatu {
  QString kod;
  QString sciezka;
  QString tekst;
};
// The schema, then the rules, over one document: for IE015 the declaration's rules in
// document order, for every other outgoing type the MRN and return-channel checks. A root
// that no outgoing schema knows is one finding. Throws only xml::XmlParseError (bytes that are
// not well-formed XML).
std::vector<UstalenieKomunikatu> SprawdzKomunikat(const QByteArray& bytes);
// The rules part of it, on a bound message.
std::vector<UstalenieKomunikatu> RegulyKomunikatu(const xml::Message& m);

}  // namespace velmora::departure
