#pragma once

#include "host/db/record_store.h"
#include "host/xml/group.h"

#include <QString>

#include <functional>

namespace velmora::arrival {

// One en-route event of an arrival notification as its box shows it.
struct PolaZdarzenia {
  bool w_systemie = false;
  QString miejsce, kraj;
  bool przeladunek = false;
  QString znaki, transport_kraj, kontenery;  // containers one per line
  QString data_adnotacji, wladze_adnotacji, miejsce_adnotacji, kraj_adnotacji;
  bool inne = false;
  QString opis, inne_data, inne_wladze, inne_miejsce, inne_kraj;
  QString zamkniecia;  // seal identities one per line
  QString ilosc;       // number of seals
};

// What the event box does, without its widgets: the event's node in, the same node out.
class ZdarzenieIE007 {
 public:
  void SetXML(xml::Group zdarzenie);
  void GetXML();
  PolaZdarzenia pola;

  // The country checks; `jest_kod` answers whether a code is in an NCTS dictionary.
  using JestKodFn = std::function<bool(int slownik, const QString& kod)>;
  host::FieldErrors Sprawdz(const JestKodFn& jest_kod) const;

 private:
  xml::Group zdarzenie_;
};

}  // namespace velmora::arrival
