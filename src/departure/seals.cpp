#include "seals.h"

#include "host/xml/bodies.h"
#include "host/xml/xml_document.h"

#include <QRegularExpression>

namespace velmora::departure {

namespace {
QString S(const char* text) { return QString::fromUtf8(text); }
}  // namespace

QString ZamknieciaCelne::Linie() const {
  QStringList out;
  for (const xml::Group& z : deklaracja_.Get(xml::kIE015_ZamknieciaCelne).List(xml::kZamkniecie)) out << z.Get(S("Znak"));
  return out.join(QLatin1Char('\n'));
}

QString ZamknieciaCelne::Nakladajacy() const { return deklaracja_.Get(xml::kIE015_ZamknieciaCelne).Get(S("Nakladajacy")); }

int ZamknieciaCelne::Liczba() const { return deklaracja_.Get(xml::kIE015_ZamknieciaCelne).Count(xml::kZamkniecie); }

QStringList ZamknieciaCelne::Znaki(const QString& linie) {
  static const QRegularExpression kKoniecLinii(S("\r\n|\r|\n"));
  QStringList out;
  for (const QString& l : linie.split(kKoniecLinii)) {
    const QString znak = l.trimmed();
    if (!znak.isEmpty()) out << znak.left(kDlugoscZnaku);
  }
  return out;
}

QString ZamknieciaCelne::Sprawdz(const QString& linie) {
  const qsizetype n = Znaki(linie).size();
  if (n <= kMaksZamkniec) return {};
  return S("Można podać najwyżej %1 zamknięć celnych (podano %2).").arg(kMaksZamkniec).arg(n);
}

bool ZamknieciaCelne::Zapisz(const QString& linie, const QString& nakladajacy) {
  if (!Sprawdz(linie).isEmpty()) return false;
  const QStringList znaki = Znaki(linie);
  const QString kto = nakladajacy.trimmed().left(kDlugoscNakladajacego);
  if (znaki.isEmpty() && kto.isEmpty()) {
    deklaracja_.Remove(xml::kIE015_ZamknieciaCelne.name);
    return true;
  }
  xml::Group zc = deklaracja_.Ensure(xml::kIE015_ZamknieciaCelne);
  for (const xml::Group& z : zc.List(xml::kZamkniecie)) xml::XML_RemoveNode(z.Node());
  if (kto.isEmpty())
    zc.Remove(S("Nakladajacy"));
  else
    zc.Set(S("Nakladajacy"), kto);
  zc.Set(S("Liczba"), QString::number(znaki.size()));
  for (const QString& znak : znaki) zc.Add(xml::kZamkniecie).Set(S("Znak"), znak);
  return true;
}

}  // namespace velmora::departure
