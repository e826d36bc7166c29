#include "goods_subrecords.h"

#include <QRegularExpression>

namespace velmora::departure {

void ZmienRodzajOpakowania(Opakowanie& o, const QString& rodzaj) {
  o.rodzaj = rodzaj;
  if (RodzajTowaru(rodzaj) == RodzajOpakowania::Luzem) {
    o.liczba_opakowan.clear();
    o.ilosc_sztuk.clear();
  }
}

std::vector<BladPola> SprawdzOpakowanie(const Opakowanie& o) {
  std::vector<BladPola> bledy;
  const QString rodzaj = o.rodzaj.trimmed();
  if (rodzaj.isEmpty()) {
    bledy.push_back({QStringLiteral("dbbeRodzaj"), QStringLiteral("Pole \"Rodzaj\" nie może być puste.")});
    return bledy;
  }
  const RodzajOpakowania r = RodzajTowaru(rodzaj);
  const bool luzem = r == RodzajOpakowania::Luzem, nieopakowane = r == RodzajOpakowania::Nieopakowane, opakowane = !luzem && !nieopakowane;
  if (opakowane && o.znaki.trimmed().isEmpty())
    bledy.push_back({QStringLiteral("dbbeZnaki"), QStringLiteral("dla wybranego rodzaju opakowań atrybut Znaki jest wymagany")});
  const bool liczba = !o.liczba_opakowan.trimmed().isEmpty();
  if (!opakowane && liczba)
    bledy.push_back({QStringLiteral("dbbeLiczbaOpakowan"), QStringLiteral("dla wybranego rodzaju opakowań atrybut Liczba opakowań nie może być użyty")});
  if (opakowane && !liczba)
    bledy.push_back({QStringLiteral("dbbeLiczbaOpakowan"), QStringLiteral("dla wybranego rodzaju opakowań atrybut Liczba opakowań jesy wymagany")});
  const bool sztuki = !o.ilosc_sztuk.trimmed().isEmpty();
  if (nieopakowane && !sztuki)
    bledy.push_back({QStringLiteral("dbbeIloscSztuk"), QStringLiteral("dla wybranego rodzaju opakowań atrybut Ilość sztuk jesy wymagany")});
  if (!nieopakowane && sztuki)
    bledy.push_back({QStringLiteral("dbbeIloscSztuk"), QStringLiteral("dla wybranego rodzaju opakowań atrybut Ilość sztuk nie może być użyty")});
  return bledy;
}

QString PytanieDokumentuWymaganego(const QString& kod, const QString& nr, const QString& uwagi) {
  if (kod.trimmed().isEmpty() && nr.trimmed().isEmpty() && uwagi.trimmed().isEmpty())
    return QStringLiteral("Powinien byc podany conajmniej jeden z atrybutów Kod, Nr lub Uwagi !\rZapisać dane ?");
  static const QRegularExpression kKarnet(QStringLiteral("^[A-Z]{2}[0-9]{8}$"));
  if (kod.trimmed() == QLatin1String("952") && !kKarnet.match(nr).hasMatch())
    return QStringLiteral("Numer karnetu TIR powinien być w formacie XX99999999 !\r\rZapisać dane ?");
  return {};
}

std::vector<BladPola> SprawdzDokumentPoprzedni(const QString& kod, const QString& nr) {
  std::vector<BladPola> bledy;
  if (kod.trimmed().isEmpty()) bledy.push_back({QStringLiteral("dbbeKod"), QStringLiteral("Pole jest wymagane")});
  if (nr.trimmed().isEmpty()) bledy.push_back({QStringLiteral("dbbeNr"), QStringLiteral("Pole jest wymagane")});
  return bledy;
}

QStringList PytaniaInformacjiDodatkowej(const QString& kod, const QString& tekst, const QString& kraj_wywozu, bool wywoz_z_ue) {
  QStringList pytania;
  const QString k = kod.trimmed();
  const bool kraj = !kraj_wywozu.trimmed().isEmpty();
  if (k.isEmpty() && tekst.trimmed().isEmpty())
    pytania << QStringLiteral("Powinien być podany conajmniej jeden z atrybutów Tekst lub Kod !\rZapisać dane ?");
  const bool dg = k == QLatin1String("DG0") || k == QLatin1String("DG1");
  if (!dg && (wywoz_z_ue || kraj))
    pytania << QStringLiteral("Jeżli Kod nie jest równy DG0 lub DG1 atrybuty \"Wywóz z UE\" lub \"Kraj wywozu\" nie mogą wystąpić\rZapisać dane ?");
  if (dg && wywoz_z_ue && kraj)
    pytania << QStringLiteral("Jeżli Kod jest równy DG0 lub DG1 można podać tylko jeden z atrybutów \"Wywóz z UE\" lub \"Kraj wywozu\"\rZapisać dane ?");
  return pytania;
}

}  // namespace velmora::departure
