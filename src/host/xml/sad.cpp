#include "sad.h"

#include "messages.h"

#include <cmath>

namespace velmora::xml {

const GroupDesc kSadDokumentPoprzedni{QStringLiteral("DokumentPoprzedni"), {Attr("PozId"), Attr("Kod"), Attr("Nr")}};

const GroupDesc kSadOplata{QStringLiteral("Oplata"),
                           {Attr("PozId"), Attr("Typ"), Attr("Podstawa"), Attr("Stawka"), Attr("Kwota"),
                            Attr("MetodaPlatnosci")}};

// KodTowarowy: the commodity code (CN10); ProcentEndUse: the End-Use share of the duty, in percent.
const GroupDesc kSadTowar{QStringLiteral("Towar"),
                          {Attr("PozId"), Attr("OpisTowaru"), Attr("KodTowarowy"), Attr("MasaBrutto"), Attr("MasaNetto"),
                           Attr("ProcentEndUse"), Sub(kSadDokumentPoprzedni, true), Sub(kSadOplata, true)}};

const GroupDesc kSadZgloszenie{QStringLiteral("Zgloszenie"),
                               {Attr("NrWlasny"), Attr("LiczbaPozycji"), Attr("MasaBrutto"), Sub(kSadTowar, true)}};

const GroupDesc kSadRoot{QStringLiteral("SAD"), {Sub(kSadZgloszenie)}};

Group Sad::Root() const { return Group(doc_, doc_->DocumentElement(), &kSadRoot); }

Group Sad::Zgloszenie() const { return Root().Get(kSadZgloszenie); }

Group Sad::EnsureZgloszenie() {
  Group root = Root();
  return root.Ensure(kSadZgloszenie);
}

std::vector<Group> Sad::Towary() const { return Zgloszenie().List(kSadTowar); }

Sad NewSAD() { return Sad(XmlDocument::Create(kSadRoot.name)); }

Sad GetSAD(XmlDocumentPtr doc) {
  const XmlNode root = doc ? doc->DocumentElement() : XmlNode();
  if (root.IsNull() || root.LocalName() != kSadRoot.name)
    throw BindingError(QStringLiteral("Dokument nie jest dokumentem SAD (element główny %1)")
                           .arg(root.IsNull() ? QString() : root.NodeName()));
  return Sad(std::move(doc));
}

Sad CreateSAD(const QString& text) {
  if (text.trimmed().isEmpty()) return NewSAD();
  return GetSAD(LoadXMLData(text));
}

namespace {
Sad& MainSAD() {
  static Sad current;
  return current;
}
}  // namespace

void AssignSAD(const Sad& sad) { MainSAD() = sad; }

Sad GetMainSAD() { return MainSAD(); }

double SadLiczba(const QString& text) {
  QString t = text.trimmed();
  t.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  const double v = t.toDouble(&ok);
  return ok ? v : 0.0;
}

bool TestWagiBrutto(const Sad& sad) {
  double suma = 0.0;
  for (const Group& towar : sad.Towary()) {
    const double brutto = SadLiczba(towar.Get(QStringLiteral("MasaBrutto")));
    if (brutto <= 0) return false;
    if (SadLiczba(towar.Get(QStringLiteral("MasaNetto"))) > brutto) return false;
    suma += brutto;
  }
  const QString razem = sad.Zgloszenie().Get(QStringLiteral("MasaBrutto")).trimmed();
  return razem.isEmpty() || std::fabs(SadLiczba(razem) - suma) <= 0.001 + 1e-9;
}

}  // namespace velmora::xml
