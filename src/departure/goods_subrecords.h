#pragma once

#include "departure/declaration.h"
#include "departure/walidator.h"

#include <QString>
#include <QStringList>

#include <vector>

// The rules of a goods item's list entries (packages, produced and previous documents,
// additional information), apart from the boxes that edit them.
namespace velmora::departure {

struct Opakowanie {
  QString rodzaj, znaki, liczba_opakowan, ilosc_sztuk;
};
// A new kind: goods in bulk carry neither packages nor pieces.
void ZmienRodzajOpakowania(Opakowanie& o, const QString& rodzaj);
std::vector<BladPola> SprawdzOpakowanie(const Opakowanie& o);

// The question to ask before a produced document is stored; empty when none.
QString PytanieDokumentuWymaganego(const QString& kod, const QString& nr, const QString& uwagi);
// The refusals of a previous document (code and number are required).
std::vector<BladPola> SprawdzDokumentPoprzedni(const QString& kod, const QString& nr);
// The questions to ask, in order, before an additional-information entry is stored; each "no"
// keeps the box open and skips the rest.
QStringList PytaniaInformacjiDodatkowej(const QString& kod, const QString& tekst, const QString& kraj_wywozu, bool wywoz_z_ue);

}  // namespace velmora::departure
