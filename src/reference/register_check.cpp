#include "register_check.h"

#include "host/db/db.h"

#include <QDate>
#include "host/xml/sad.h"

namespace velmora::reference {

std::vector<WpisDoZatwierdzenia> WpisyDlaMRN(host::Db& db, const QString& mrn) {
  std::vector<WpisDoZatwierdzenia> out;
  if (mrn.trimmed().isEmpty()) return out;
  for (const host::Row& r : db.QueryAll(QStringLiteral("select ID_IM, SAD, MASA_BRUTTO from IM where DataWpisu is null or "
                                                       "DataWpisu <= :D order by ID_IM"),
                                        {{QStringLiteral("D"), QDate(1900, 1, 1)}})) {
    xml::Sad sad;
    try {
      sad = xml::CreateSAD(r.Str(QStringLiteral("SAD")));
    } catch (const std::exception&) {
      continue;  // an entry whose document cannot be read names no MRN
    }
    bool names = false;
    for (const xml::Group& towar : sad.Towary())
      for (const xml::Group& doc : towar.List(xml::kSadDokumentPoprzedni)) {
        const QString kod = doc.Get(QStringLiteral("Kod")).trimmed();
        if ((kod == QLatin1String("820") || kod == QLatin1String("821") || kod == QLatin1String("822")) &&
            doc.Get(QStringLiteral("Nr")).trimmed() == mrn.trimmed())
          names = true;
      }
    if (names) out.push_back({r.Int(QStringLiteral("ID_IM")), r.Float(QStringLiteral("MASA_BRUTTO"))});
  }
  return out;
}

}  // namespace velmora::reference
