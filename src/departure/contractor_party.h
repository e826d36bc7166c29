#pragma once

#include "host/db/db.h"
#include "host/xml/group.h"

#include <QString>

// A contractor of the host (a KONTRAHENCI row) written into a party of a declaration or of
// one of its goods items, and the AEO certificate entries the parties leave behind.
namespace velmora::departure {

// The address as the header writes it (street and house number, town, code as kept) or as a
// goods item does (with the flat number, the post office and a Polish code's hyphen).
enum class AdresStrony { Naglowek, Towar };

// Where the party's TIN comes from.
enum class TinStrony {
  Handlowa,              // EORI unless the contractor holds a TIR carnet, else NIP; 17
  GlownyZobowiazany,     // as Handlowa, 20 characters
  GlownyZobowiazanyTIR,  // EORI whatever the carnet, else NIP; 20
  Bezpieczenstwa,        // EORI, else NIP; 17; a party known by its TIN carries no name and address
};

struct PodmiotZKontrahenta {
  QString pokazany;  // what the party's field shows: the name, or the TIN of a security party known by it
  QString kraj;      // the party's country
  QString nr_aeo;    // the contractor's AEO certificate number (35)
};

// Fills the party element `g` from the contractor `k`.
PodmiotZKontrahenta WypelnijPodmiot(xml::Group g, const host::Row& k, AdresStrony adres, TinStrony tin);

// The AEO certificate entries among a goods item's produced documents: one per code and
// number; removing a code renumbers the rest.
void DodajAEO(xml::Group towar, const QString& kod, const QString& numer);
void UsunAEO(xml::Group towar, const QString& kod);

// The entries of a repeated group numbered 1, 2, ... again.
void Przenumeruj(const std::vector<xml::Group>& lista);

}  // namespace velmora::departure
