#include "incoming.h"

#include "phase5.h"

#include "departure/guarantee_charges.h"
#include "frame/codes.h"
#include "frame/shared_state.h"
#include "frame/text_formats.h"
#include "host/clock.h"
#include "host/db.h"
#include "host/dialogs.h"
#include "host/host_context.h"
#include "host/host_switches.h"
#include "host/named_lock.h"
#include "host/options.h"
#include "host/users.h"
#include "host/xml/document_checks.h"
#include "host/xml/messages.h"
#include "host/xml/xml_document.h"
#include "host/guarantee_ledger.h"
#include "reference/register_check.h"
#include "reference/register_entry.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <cmath>
#include <optional>

namespace velmora::exchange {

namespace {

using host::Params;

struct Rank {
  int rank;
  std::initializer_list<const char*> types;
};

const Rank kRanks[] = {
    {10, {"IE007", "IE015"}},
    {20, {"IE008", "IE016"}},
    {30, {"IE043", "IE028", "IE928"}},
    {40, {"IE044", "IE058", "IE013", "IE014", "IE009", "IE004", "IE005", "IE055"}},
    {50, {"IE051", "IE054", "IE062", "IE060"}},
    {70, {"IE029"}},
    {80, {"IE140", "IE141", "IE906"}},
    {100, {"IE025", "IE045"}},
};

const char* const kIeRoots[] = {"IE004", "IE005", "IE008", "IE009", "IE016", "IE025", "IE028", "IE029", "IE043",
                                "IE045", "IE051", "IE055", "IE058", "IE060", "IE062", "IE140", "IE906", "IE928"};

bool IsIeRoot(const QString& root) {
  for (const char* r : kIeRoots)
    if (root == QLatin1String(r)) return true;
  return false;
}

bool IsAcceptedRoot(const QString& root) {
  return IsIeRoot(root) || root == QLatin1String("ns6:Dokument") || root == QLatin1String("UPO") ||
         root == QLatin1String("UPP") || root == QLatin1String("NPP") || root == QLatin1String("Odrzucenie") ||
         root == QLatin1String("OdrzucenieKomunikatu");
}

// A reason that ends the load: nothing is stored and the caller gets "Błąd - " + reason.
struct Refusal {
  QString reason;
};

// The first element with this local name below `node`, in document order.
xml::XmlNode FindLocal(xml::XmlNode node, const QString& local) {
  for (xml::XmlNode c = node.FirstChild(); c; c = c.NextSibling()) {
    if (c.LocalName() == local) return c;
    if (xml::XmlNode d = FindLocal(c, local)) return d;
  }
  return {};
}

// Year, month and day from the first ten characters; anything else raises.
QDate CreationDate(const QString& text) {
  bool ok_y = false, ok_m = false, ok_d = false;
  const QDate d(text.mid(0, 4).toInt(&ok_y), text.mid(5, 2).toInt(&ok_m), text.mid(8, 2).toInt(&ok_d));
  if (!ok_y || !ok_m || !ok_d || !d.isValid())
    throw std::runtime_error(QStringLiteral("Niepoprawna data utworzenia komunikatu: %1").arg(text).toStdString());
  return d;
}

// Everything the load reads from the document and finds in the database.
struct Incoming {
  QString typ;
  QString nr_wlasny;
  QString nr_powiazany;
  QString typ_powiazany_dok;  // UPO: the type named by its Dokument
  QString data_utworzenia;
  QString mrn;
  QString lrn;
  QString opis;
  int status = frame::kStatusOdebrany;
  qint64 tranzyt = 0;
};

class Load {
 public:
  Load(host::HostContext& ctx, const QString& xml, const QString& file_name)
      : ctx_(ctx), db_(ctx.db), xml_(xml), file_name_(file_name) {}

  QString Run() {
    host::Transaction tx(db_);
    // Two loaders of one answer would both pass the duplicate check and both store it.
    host::LockForTransaction(db_, QStringLiteral("WczytajKomunikat"));
    if (const QString too_big = xml::OversizeRefusal(xml_.left(4096).toUtf8(), xml_.size()); !too_big.isEmpty()) throw Refusal{too_big};
    doc_ = xml::LoadXMLData(frame::NaprawXML(xml_));
    const xml::XmlNode root = doc_->DocumentElement();
    in_.typ = root.NodeName();
    if (!IsAcceptedRoot(in_.typ))
      throw Refusal{QStringLiteral("- Dokument ") + in_.typ + QStringLiteral(" nie jest obsługiwany przez system NCTS2 ")};
    // Read by local names, a document of another schema would pass for one of ours.
    if (const QString ns = xml::ForeignNamespace(root); !ns.isEmpty())
      throw Refusal{QStringLiteral("Dokument ") + in_.typ + QStringLiteral(" ma obcą przestrzeń nazw ") + ns};

    if (IsIeRoot(in_.typ)) {
      ReadIeHeader(root);
      FindIeTransit(root);
    } else if (in_.typ == QLatin1String("ns6:Dokument")) {
      ReadPlatformNotice(root);
    } else if (in_.typ == QLatin1String("UPO")) {
      ReadUpo(root);
    } else {
      // The platform's refusals name nothing this system could attach them to.
      in_.typ = root.NodeName();
    }

    const QString typ_powiazany = RelatedType();
    if (in_.tranzyt == 0) {
      throw Refusal{QStringLiteral("Nie znalezniono komunikatu o numerze własnym ") + in_.nr_powiazany};
    }
    ReadState();
    SideEffects();
    const qint64 id = Store(typ_powiazany);
    UpdateTransit();
    tx.Commit();
    frame::OstatniWczytanyKomunikatId = static_cast<int>(id);
    return QStringLiteral("Wczytano kouminikat ") + in_.typ + QStringLiteral(" o numerze ") + in_.nr_wlasny;
  }

 private:
  // The messages carrying the document's own number or its related number, newest first:
  // one read serves the duplicate check, the transit by number and the related type.
  void ReadNumbers() {
    if (numbers_read_) return;
    numbers_ = db_.QueryAll(QStringLiteral("select TRANZYTY_ID, TYP, NR_WLASNY from TRANZYTY_POZYCJE where NR_WLASNY in (:NR, :NRP) "
                                           "order by ID_TRANZYTY_POZYCJE desc"),
                            {{QStringLiteral("NR"), in_.nr_wlasny}, {QStringLiteral("NRP"), in_.nr_powiazany}});
    numbers_read_ = true;
  }

  bool MessageExists(const QString& typ, const QString& nr) {
    ReadNumbers();
    for (const host::Row& r : numbers_)
      if (r.Str(QStringLiteral("TYP")) == typ && r.Str(QStringLiteral("NR_WLASNY")) == nr) return true;
    return false;
  }

  void RefuseDuplicate() {
    if (MessageExists(in_.typ, in_.nr_wlasny))
      throw Refusal{QStringLiteral("Komunikat ") + in_.typ + QStringLiteral(" o numerze własnym ") + in_.nr_wlasny +
                    QStringLiteral(" został już wczytany")};
  }

  // The messages that carry the related own number, newest first (read once).
  const std::vector<host::Row>& RelatedMessages() {
    if (!related_read_) {
      ReadNumbers();
      for (const host::Row& r : numbers_)
        if (r.Str(QStringLiteral("NR_WLASNY")) == in_.nr_powiazany) related_.push_back(r);
      related_read_ = true;
    }
    return related_;
  }

  // The transit of the message of type `typ` (any type when empty) with the related own number.
  qint64 TransitByNumber(const QString& typ) {
    if (in_.nr_powiazany.isEmpty()) return 0;
    for (const host::Row& r : RelatedMessages())
      if (typ.isEmpty() || r.Str(QStringLiteral("TYP")) == typ) return r.Int64(QStringLiteral("TRANZYTY_ID"));
    return 0;
  }

  qint64 TransitByMrn(int rodzaj) {
    if (in_.mrn.isEmpty()) return 0;
    const auto r = db_.QueryOne(
        QStringLiteral("select ID_TRANZYTY from TRANZYTY where MRN = :MRN and RODZAJ = :RODZAJ order by ID_TRANZYTY desc"),
        {{QStringLiteral("MRN"), in_.mrn}, {QStringLiteral("RODZAJ"), rodzaj}});
    return r ? r->Int64(QStringLiteral("ID_TRANZYTY")) : 0;
  }

  void ReadIeHeader(const xml::XmlNode& root) {
    const xml::Message message = xml::GetMessage(doc_, in_.typ);
    const xml::Naglowek h = message.GetNaglowek();
    if (h.IsNull())
      throw Refusal{QStringLiteral("Niepoprawna struktura komunikatu ") + in_.typ + QStringLiteral(" brak nagłówka")};
    in_.nr_wlasny = h.NrWlasny().trimmed();
    in_.data_utworzenia = h.DataUtworzenia().trimmed();
    in_.mrn = h.MRN().trimmed();
    in_.lrn = h.LRN().trimmed();
    in_.nr_powiazany = h.NrWlasnyKomunikatuPowiazanego().trimmed();
    Q_UNUSED(root);
    RefuseDuplicate();
    static const QStringList kWithoutRelated{QStringLiteral("IE140"), QStringLiteral("IE055"), QStringLiteral("IE060"),
                                             QStringLiteral("IE043"), QStringLiteral("IE045"), QStringLiteral("IE025")};
    if (in_.nr_powiazany.isEmpty() && !kWithoutRelated.contains(in_.typ))
      throw Refusal{QStringLiteral("Brak informacji na temat numeru własnego komunikatu powiązanego")};
  }

  void FindIeTransit(const xml::XmlNode& root) {
    const QString& t = in_.typ;
    const QString& rel = in_.nr_powiazany;
    const QString& mrn = in_.mrn;
    auto by_number = [&](const QString& typ, const QString& opis) {
      in_.tranzyt = TransitByNumber(typ);
      in_.opis = opis;
    };
    auto by_mrn = [&](int rodzaj, const QString& opis) {
      in_.tranzyt = TransitByMrn(rodzaj);
      in_.opis = opis;
    };
    if (t == QLatin1String("IE004")) {
      by_number(frame::typ::IE013, QStringLiteral("Przyjęcie sprostowania zgłoszenia IE013 o numerze własnym ") + rel);
    } else if (t == QLatin1String("IE005")) {
      by_number(frame::typ::IE013, QStringLiteral("Odrzucenie sprostowania zgłoszenia IE013 o numerze własnym ") + rel);
    } else if (t == QLatin1String("IE008")) {
      by_number(frame::typ::IE007,
                QStringLiteral("Odrzucenie zawiadomienia o przybyciu towaru IE007 o numerze własnym ") + rel);
    } else if (t == QLatin1String("IE009")) {
      const xml::XmlNode decyzja = FindLocal(root, QStringLiteral("DecyzjaOUniewaznieniu"));
      if (!decyzja)
        throw Refusal{QStringLiteral("Dokument ") + t + QStringLiteral(" nie zawiera elementu DecyzjaOUniewaznieniu")};
      in_.tranzyt = TransitByNumber(QString());
      if (decyzja.Attribute(QStringLiteral("DecyzjaDoWniosku")).trimmed() == QLatin1String("1")) {
        in_.opis = QStringLiteral("Unieważnienie zgłoszenia IE015 o numerze własnym ") + rel;
      } else {
        in_.opis = QStringLiteral("Odrzucenie unieważnienia zgłoszenia IE015 o numerze własnym ") + rel;
        in_.status = frame::kStatusOdebranyOdmowa;
      }
    } else if (t == QLatin1String("IE016")) {
      by_number(frame::typ::IE015, QStringLiteral("Odrzucenie zgłoszenia IE015 o numerze własnym ") + rel);
    } else if (t == QLatin1String("IE025")) {
      by_mrn(frame::kRodzajPrzywoz, QStringLiteral("Zwolnienie z tranzytu numer MRN ") + mrn);
    } else if (t == QLatin1String("IE028")) {
      by_number(frame::typ::IE015, QStringLiteral("Nadanie numeru MRN ") + mrn +
                                       QStringLiteral(" dla zgłoszenia IE015 o numerze własnym ") + rel);
    } else if (t == QLatin1String("IE029")) {
      by_number(frame::typ::IE015,
                QStringLiteral("Zwolnienie do procedury tranzytu zgłoszenia IE015 o numerze własnym ") + rel);
    } else if (t == QLatin1String("IE043")) {
      by_mrn(frame::kRodzajPrzywoz,
             QStringLiteral("Zezwolenie na rozładunek towaru ze zgłoszenia IE007 o numerze MRN ") + mrn);
    } else if (t == QLatin1String("IE045")) {
      by_mrn(frame::kRodzajWywoz, QStringLiteral("Zamknięcie procedury tranzytu zgłoszenia numerze MRN ") + mrn);
    } else if (t == QLatin1String("IE051")) {
      by_mrn(frame::kRodzajWywoz,
             QStringLiteral("Odmowa zwolnienia do procedury tranzytu zgłoszenia numerze MRN ") + mrn);
    } else if (t == QLatin1String("IE055")) {
      by_mrn(frame::kRodzajWywoz,
             QStringLiteral("Informacja o nieważności gwarancji na zgłoszeniu numerze MRN ") + mrn);
    } else if (t == QLatin1String("IE058")) {
      by_number(frame::typ::IE044,
                QStringLiteral("Odrzucenie uwag rozładunkowych komunikatu IE044 numerze własnym ") + rel);
    } else if (t == QLatin1String("IE060")) {
      by_mrn(frame::kRodzajWywoz, QStringLiteral("Planowana kontrola dotycząca zgłoszenia o numerze MRN ") + mrn);
    } else if (t == QLatin1String("IE062")) {
      by_number(frame::typ::IE054, QStringLiteral("Odrzucenie wniosku o zwolnienie zgłoszenia o numerze MRN ") + mrn);
    } else if (t == QLatin1String("IE140")) {
      by_mrn(frame::kRodzajWywoz, QStringLiteral("Zapytanie o przesyłkę o numerze MRN ") + mrn);
      if (in_.tranzyt == 0)
        throw Refusal{QStringLiteral("Nie znaleziono komunikatu o numerze własnym ") + rel +
                      QStringLiteral(" w bazie danych")};
    } else if (t == QLatin1String("IE906")) {
      in_.tranzyt = TransitByNumber(frame::typ::IE014);
      QString answered = frame::typ::IE014;
      if (in_.tranzyt == 0) {
        in_.tranzyt = TransitByNumber(frame::typ::IE141);
        answered = frame::typ::IE141;
      }
      in_.opis = QStringLiteral("Odrzucenie wniosku o unieważnienie ") + answered + QStringLiteral(" o numerze własnym ") + rel;
    } else if (t == QLatin1String("IE928")) {
      by_number(frame::typ::IE015, QStringLiteral("Poprawne zapisanie danych zgłoszenia o numerze własnym ") + rel);
    }
  }

  void ReadPlatformNotice(const xml::XmlNode& root) {
    const xml::XmlNode upp = xml::GetXMLNode(root, QStringLiteral("ns6:UPP"));
    if (!upp) throw Refusal{QStringLiteral("Nieznany typ dokumentu")};
    QString typ, opis;
    for (xml::XmlNode n = xml::GetXMLNode(root, QStringLiteral("ns6:InformacjaUzupelniajaca")); n;
         n = xml::GetXMLNextNode(n, QStringLiteral("ns6:InformacjaUzupelniajaca"))) {
      const QString kind = n.Attribute(QStringLiteral("TypInformacjiUzupelniajacej")).trimmed();
      const QString text = n.Text().trimmed();
      if (kind == QLatin1String("typPowiadomieniaSkrot")) typ = text;
      else if (kind == QLatin1String("idDokumentuSystemZewnetrzny")) in_.nr_wlasny = text;
      else if (kind == QLatin1String("typPowiadomienia")) opis = text;
    }
    in_.typ = typ;
    in_.nr_powiazany = in_.nr_wlasny;
    const xml::XmlNode data = xml::GetXMLNode(upp, QStringLiteral("ns6:DataDoreczenia"));
    in_.data_utworzenia = data ? data.Text().trimmed() : QString();
    in_.opis = opis + QStringLiteral(" o numerze ") + in_.nr_powiazany;
    if (in_.nr_powiazany.isEmpty()) throw Refusal{QStringLiteral("Brak informacji na temat numeru własnego komunikatu powiązanego")};
    in_.tranzyt = TransitByNumber(QString());
    RefuseDuplicate();
  }

  void ReadUpo(const xml::XmlNode& root) {
    in_.nr_wlasny = root.Attribute(QStringLiteral("NumerIdentyfikacyjny")).trimmed();
    in_.data_utworzenia = root.Attribute(QStringLiteral("DataWytworzenia")).trimmed();
    const xml::XmlNode dokument = FindLocal(root, QStringLiteral("Dokument"));
    if (!dokument) throw std::runtime_error("Brak elementu Dokument w UPO");
    in_.nr_powiazany = dokument.Attribute(QStringLiteral("NrWlasny")).trimmed();
    in_.typ_powiazany_dok = dokument.Attribute(QStringLiteral("Typ")).trimmed();
    in_.opis = QStringLiteral("Urzędowe  poświadczenie  odbioru komunikatu ") + in_.typ_powiazany_dok +
               QStringLiteral(" o numerze własnym ") + in_.nr_powiazany;
    in_.tranzyt = TransitByNumber(in_.typ_powiazany_dok);
  }

  QString RelatedType() {
    if (in_.nr_powiazany.isEmpty() || RelatedMessages().empty()) return {};
    return RelatedMessages().front().Str(QStringLiteral("TYP"));
  }

  void SideEffects() {
    const Params transit{{QStringLiteral("T"), in_.tranzyt}};
    if (in_.typ == frame::typ::IE043)
      db_.Exec(QStringLiteral("update TRANZYTY_ODPRAWY set IE043 = 1 where TRANZYTY_ID = :T"), transit);
    if ((in_.typ == frame::typ::IE043 || in_.typ == frame::typ::IE029) && frame::FKAEM) {
      const QString order =
          db_.QueryValue(QStringLiteral("select NR_ZAM_ISCALA from TRANZYTY where ID_TRANZYTY = :T"), transit).toString().trimmed();
      if (!order.isEmpty()) WriteOrderResponse(order);
    }
    if (in_.typ == frame::typ::IE028 || in_.typ == frame::typ::IE928) {
      WarehouseRelease();
      DepartureCharge();
    }
    if (in_.typ == frame::typ::IE025 && host::FZADURODER) ApproveRegisterEntries();
  }

  // The found transit's type, last ordinal, waiting IE025 and warehouse link.
  void ReadState() {
    auto state = db_.QueryOne(QStringLiteral("select t.TYP as T_TYP, " "(select max(LP) from TRANZYTY_POZYCJE x where x.TRANZYTY_ID = t.ID_TRANZYTY) as MAX_LP, "
      "(select max(ID_TRANZYTY_POZYCJE) from TRANZYTY_POZYCJE x where x.TRANZYTY_ID = t.ID_TRANZYTY and x.TYP = 'IE025') as IE025_ID, "
      "(select count(*) from EX_SAD e where e.NCTS = 1 and e.IdNCTS = t.ID_TRANZYTY) as EX_ILE" " from TRANZYTY t where t.ID_TRANZYTY = :T"),
                           {{QStringLiteral("T"), in_.tranzyt}});
    // A message may outlive its transit (a deletion by another program): nothing to attach to.
    if (!state) throw Refusal{QStringLiteral("Nie znalezniono komunikatu o numerze własnym ") + in_.nr_powiazany};
    state_ = std::move(*state);
    transit_typ_ = state_.Str(QStringLiteral("T_TYP"));
  }

  host::TWpisGwarancja Entry(double second_amount, int gwarancja_id, const QString& mrn) const {
    host::TWpisGwarancja w = host::NoweObciazenie(ctx_.user, ctx_.clock);
    w.kwota = 0.0;
    w.kwota_naleznosci = second_amount;
    w.obj_nr = mrn;
    w.obj_rodzaj = QStringLiteral("NCTS");
    w.obj_id = in_.tranzyt;
    w.gwarancja_id = gwarancja_id;
    return w;
  }

  QString TransitMrn() {
    return db_.QueryValue(QStringLiteral("select MRN from TRANZYTY where ID_TRANZYTY = :T"), {{QStringLiteral("T"), in_.tranzyt}})
        .toString()
        .trimmed();
  }

  // The warehouse modules' duties released by the transit: any failure ends only this part.
  void WarehouseRelease() {
    const Params transit{{QStringLiteral("ID"), in_.tranzyt}};
    // Most departures have nothing in the warehouse, as the transit's state already told.
    if (state_.Int(QStringLiteral("EX_ILE")) == 0) return;
    const auto first = db_.QueryOne(QStringLiteral("select ID_IM from EX_SAD where NCTS=1 and IdNCTS=:ID"), transit);
    if (!first) return;
    host::Savepoint savepoint(db_);
    try {
      const int id_im = first->Int(QStringLiteral("ID_IM"));
      const auto ex = id_im > 0 ? db_.QueryOne(QStringLiteral("select ID_EX_SAD, ID_ZGLOSZ from EX_SAD where PU_ID_IM = :ID_IM"),
                                               {{QStringLiteral("ID_IM"), id_im}})
                                : db_.QueryOne(QStringLiteral("select ID_EX_SAD, ID_ZGLOSZ from EX_SAD where NCTS=1 and IdNCTS=:ID"), transit);
      if (!ex || ex->Int(QStringLiteral("ID_EX_SAD")) <= 0) {
        savepoint.Release();
        return;
      }
      const QString mrn = in_.mrn.isEmpty() ? TransitMrn() : in_.mrn;
      const int zglosz = ex->Int(QStringLiteral("ID_ZGLOSZ"));
      db_.QueryValue(QStringLiteral("select PROCEDURA from EX_ZGLOSZ where ID_EX_ZGLOSZ = :ID"), {{QStringLiteral("ID"), zglosz}});
      const auto zam = db_.QueryOne(QStringLiteral("select ID_CZZAM, PROCEDURA from CZZAM where ID_ZGLOSZ = :ID and TYPZGLOSZ = 0"),
                                    {{QStringLiteral("ID"), zglosz}});
      const QString procedura = zam ? zam->Str(QStringLiteral("PROCEDURA")).trimmed() : QString();
      if (!zam || zam->Int(QStringLiteral("ID_CZZAM")) <= 0 ||
          (!procedura.startsWith(QLatin1String("31")) && !procedura.startsWith(QLatin1String("10")))) {
        savepoint.Release();
        return;
      }
      for (const host::Row& r : db_.QueryAll(QStringLiteral("select rp.ID_EW, rp.P47, ew.ID_GWAR, ew.NRSAD, ew.DATASAD from CZRozPoz rp "
                                                            "inner join CZEW ew on (rp.ID_EW = ew.ID_CZEW) where ID_ZAM =:id order by ID_EW asc"),
                                             {{QStringLiteral("id"), zam->Int(QStringLiteral("ID_CZZAM"))}})) {
        const int poz = db_.QueryValue(QStringLiteral("select GWAR_NOWA_POZ from CZEW where ID_CZEW = :ID"),
                                       {{QStringLiteral("ID"), r.Int(QStringLiteral("ID_EW"))}}).toInt();
        if (poz <= 0) continue;
        const auto pozycja = db_.QueryOne(QStringLiteral("select GWARANCJE_ID, LP from GWARANCJE_POZYCJE where ID_GWARANCJE_POZYCJE = :ID"),
                                          {{QStringLiteral("ID"), poz}});
        if (!pozycja) continue;
        host::TWpisGwarancja w = Entry(std::round(r.Float(QStringLiteral("P47")) * 100.0) / 100.0, 0, mrn);
        w.pow_gwarancja_id = pozycja->Int(QStringLiteral("GWARANCJE_ID"));
        w.pow_lp = pozycja->Int(QStringLiteral("LP"));
        QString message;
        if (host::TGwarancjePozycjeBox::DodajWpis(db_, w, message) == 0) break;
      }
      savepoint.Release();
    } catch (const std::exception&) {
      // The accounting of other modules never stops the load: its work is undone, the load goes on.
    }
  }

  // Charged here when the security is booked at the MRN rather than at sending.
  void DepartureCharge() {
    if (ctx_.options.ReadOption(QStringLiteral("SALDOWANIE"), QStringLiteral("Automatyczne"), QStringLiteral("0")).trimmed() != QLatin1String("1") ||
        ctx_.options.ReadOption(QStringLiteral("SALDOWANIE"), QStringLiteral("KCS_OBJECIE"), QStringLiteral("0")).trimmed() != QLatin1String("2"))
      return;
    const auto declaration = db_.QueryOne(QStringLiteral("select XML from TRANZYTY_POZYCJE where TRANZYTY_ID = :T and TYP = 'IE015' "
                                                         "order by ID_TRANZYTY_POZYCJE desc"),
                                          {{QStringLiteral("T"), in_.tranzyt}});
    if (!declaration) return;
    const departure::Obciazenie o = departure::ObciazGwarancjeDeklaracji(
        ctx_, in_.tranzyt, in_.mrn.isEmpty() ? TransitMrn() : in_.mrn, declaration->Str(QStringLiteral("XML")));
    if (!o.blad.isEmpty()) throw std::runtime_error(o.blad.toStdString());
  }

  // The register entries waiting for this arrival's release are approved, one by one.
  void ApproveRegisterEntries() {
    const QString mrn = in_.mrn.isEmpty() ? TransitMrn() : in_.mrn;
    bool first = true;
    for (const reference::WpisDoZatwierdzenia& w : reference::WpisyDlaMRN(db_, mrn)) {
      if (!first) QThread::msleep(1000);
      first = false;
      if (!reference::ZatwierdzWpisIM(ctx_, w.id_im, 0, false, nullptr, &db_, false))
        throw Refusal{QStringLiteral("Nie zatwierdzono wpisu do rejestru (ID = %1)").arg(w.id_im)};
    }
  }

  // The answer to the external order system: the customs office released or allowed unloading.
  void WriteOrderResponse(const QString& order) {
    const QString fallback = QDir(ctx_.root).filePath(QStringLiteral("SAP_ZAPIS"));
    QString dir = ctx_.options.ReadOption(QStringLiteral("RUVA"), QStringLiteral("SAP_KATALOG_ZAPIS"), QString()).trimmed();
    if (dir.isEmpty()) {
      ctx_.dialogs.Ostrzezenie(QStringLiteral("W programie nie zdefiniowano katalogu do zapisu danych do SAP"));
      dir = fallback;
    }
    QDir().mkpath(dir);
    if (!QFileInfo(dir).isDir()) {
      ctx_.dialogs.Ostrzezenie(
          QStringLiteral("Zdefiniowany w programie katalog zapisu plików do SAP \rnie istnieje lub brak do niego dostępu"));
      dir = fallback;
      QDir().mkpath(dir);
    }
    xml::XmlDocumentPtr response = xml::LoadXMLData(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><customs_response/>"));
    xml::XmlNode root = response->DocumentElement();
    const bool unloading = in_.typ == frame::typ::IE043;
    root.AppendChild(unloading ? QStringLiteral("purchase_order") : QStringLiteral("sales_order")).SetText(order);
    root.AppendChild(QStringLiteral("response")).SetText(QStringLiteral("yes"));
    const QString path = QDir(dir).filePath(order + QStringLiteral(".xml"));
    try {
      response->Save(path);
    } catch (const std::exception&) {
    }
    if (!QFileInfo::exists(path))
      ctx_.dialogs.Blad(QStringLiteral("Wystąpił nieznany błąd po zapisie pliku do katalogu SAP. Plik nie istnieje"));
  }

  qint64 Store(const QString& typ_powiazany) {
    const Params transit{{QStringLiteral("T"), in_.tranzyt}};
    const host::Row& last = state_;
    int lp = last.Int(QStringLiteral("MAX_LP")) + 1;
    const qint64 ie025 = last.Int64(QStringLiteral("IE025_ID"));
    had_ie025_ = ie025 > 0;
    if (had_ie025_) {
      // The release from transit stays the last message of its transit.
      const int ie025_lp = db_.QueryValue(QStringLiteral("select LP from TRANZYTY_POZYCJE where ID_TRANZYTY_POZYCJE = :ID"),
                                          {{QStringLiteral("ID"), ie025}}).toInt();
      db_.Exec(QStringLiteral("update TRANZYTY_POZYCJE set LP = :LP where ID_TRANZYTY_POZYCJE = :ID"),
               {{QStringLiteral("LP"), lp}, {QStringLiteral("ID"), ie025}});
      lp = ie025_lp;
    }
    const qint64 id = db_.DBGetNewID(QStringLiteral("GID_TRANZYTY_POZYCJE"));
    Params p{{QStringLiteral("ID"), id},
             {QStringLiteral("T"), in_.tranzyt},
             {QStringLiteral("LP"), lp},
             {QStringLiteral("TYP"), in_.typ},
             {QStringLiteral("STATUS"), in_.status},
             {QStringLiteral("NR"), in_.nr_wlasny},
             {QStringLiteral("NRP"), in_.nr_powiazany},
             {QStringLiteral("TYPP"), typ_powiazany},
             {QStringLiteral("OPIS"), in_.opis.left(100)},
             {QStringLiteral("DATA"), QDateTime(CreationDate(in_.data_utworzenia), QTime(0, 0))},
             {QStringLiteral("XML"), xml_},
             {QStringLiteral("PLIK"), file_name_.isEmpty() ? xml_ : file_name_}};
    host::SetCreateAudit(p, ctx_.user.UserInfo(), ctx_.clock);
    db_.Exec(QStringLiteral(
                 "insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, BLAD, LP, TYP, STATUS, NR_WLASNY, "
                 "NR_POWIAZANY, TYP_POWIAZANY, OPIS, DATA_WYSLANIA, CREATE_DATE, CREATE_TIME, CREATE_ID_USER, "
                 "CREATE_USER_NAME, XML, PLIK) values (:ID, :T, 0, :LP, :TYP, :STATUS, :NR, :NRP, :TYPP, :OPIS, :DATA, "
                 ":CREATE_DATE, :CREATE_TIME, :CREATE_ID_USER, :CREATE_USER_NAME, :XML, :PLIK)"),
             p);
    return id;
  }

  void UpdateTransit() {
    const bool platform = in_.typ == frame::typ::UPP || in_.typ == frame::typ::NPP;
    QStringList sets;
    Params p{{QStringLiteral("T"), in_.tranzyt}};
    if (!in_.mrn.isEmpty() && !platform) {
      sets << QStringLiteral("MRN = :MRN");
      p.insert(QStringLiteral("MRN"), in_.mrn);
    }
    if (in_.typ == frame::typ::IE928 && !in_.lrn.isEmpty()) {
      sets << QStringLiteral("LRN = :LRN");
      p.insert(QStringLiteral("LRN"), in_.lrn);
    }
    if (!had_ie025_ && !platform && in_.typ != frame::typ::UPO) {
      if (RankTypu(transit_typ_) <= RankTypu(in_.typ)) {
        sets << QStringLiteral("TYP = :TYP") << QStringLiteral("OPIS = :OPIS") << QStringLiteral("STATUS = :STATUS");
        p.insert(QStringLiteral("TYP"), in_.typ);
        p.insert(QStringLiteral("OPIS"), in_.opis.left(100));
        p.insert(QStringLiteral("STATUS"), in_.status);
      }
    }
    if (!sets.isEmpty())
      db_.Exec(QStringLiteral("update TRANZYTY set ") + sets.join(QStringLiteral(", ")) + QStringLiteral(" where ID_TRANZYTY = :T"), p);
  }

  host::HostContext& ctx_;
  host::Db& db_;
  const QString& xml_;
  const QString& file_name_;
  xml::XmlDocumentPtr doc_;
  Incoming in_;
  bool had_ie025_ = false;
  bool related_read_ = false;
  bool numbers_read_ = false;
  QString transit_typ_;
  host::Row state_;
  std::vector<host::Row> numbers_;
  std::vector<host::Row> related_;
};

}  // namespace

int RankTypu(const QString& typ) {
  for (const Rank& r : kRanks)
    for (const char* t : r.types)
      if (typ == QLatin1String(t)) return r.rank;
  return 0;
}

QString IncomingProcessor::WczytajKomunikat(const QString& xml, const QString& file_name) {
  frame::OstatniWczytanyKomunikatId = 0;
  try {
    // A CC answer is loaded as its phase-4 counterpart; the file keeps what was received.
    const OdczytCC cc = OdczytajCC(ctx_.db, xml);
    if (!cc.odmowa.isEmpty()) throw Refusal{cc.odmowa};
    if (cc.cc) return Load(ctx_, cc.ie_xml, file_name.isEmpty() ? xml : file_name).Run();
    return Load(ctx_, xml, file_name).Run();
  } catch (const Refusal& r) {
    return QStringLiteral("Błąd - ") + r.reason;
  }
}

QString WczytajKomunikat(host::HostContext& ctx, const QString& xml, const QString& file_name) {
  return IncomingProcessor(ctx).WczytajKomunikat(xml, file_name);
}

}  // namespace velmora::exchange
