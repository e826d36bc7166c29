#include "incoming.h"

#include "phase5.h"

#include "departure/guarantee_charges.h"
#include "frame/transit_store.h"
#include "frame/codes.h"
#include "frame/shared_state.h"
#include "frame/text_formats.h"
#include "host/base/clock.h"
#include "host/db/db.h"
#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/db/named_lock.h"
#include "host/db/options.h"
#include "host/db/users.h"
#include "host/xml/document_checks.h"
#include "host/xml/messages.h"
#include "host/xml/xml_document.h"
#include "host/db/guarantee_ledger.h"
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

// How a transit's message is known: its rank (a transit takes the state of an answer of the
// same or a higher rank than its current type) and, for the customs answers, how the answer
// finds its transit and how its row is described. In the description %R stands for the related
// own number and %M for the MRN.
struct TypKomunikatu {
  const char* typ;
  int ranga;
  bool odpowiedz = false;         // a customs answer the loader takes
  bool bez_powiazanego = false;   // may come without the related own number
  const char* po_numerze = nullptr;  // found by the related number of a message of this type ("" any)
  int po_mrn = -1;                   // else found by the MRN among the transits of this kind
  const char* opis = "";
};

const TypKomunikatu kTypy[] = {
    {"IE007", 10},
    {"IE015", 10},
    {"IE008", 20, true, false, "IE007", -1, "Odrzucenie zawiadomienia o przybyciu towaru IE007 o numerze własnym %R"},
    {"IE016", 20, true, false, "IE015", -1, "Odrzucenie zgłoszenia IE015 o numerze własnym %R"},
    {"IE043", 30, true, true, nullptr, frame::kRodzajPrzywoz, "Zezwolenie na rozładunek towaru ze zgłoszenia IE007 o numerze MRN %M"},
    {"IE028", 30, true, false, "IE015", -1, "Nadanie numeru MRN %M dla zgłoszenia IE015 o numerze własnym %R"},
    {"IE928", 30, true, false, "IE015", -1, "Poprawne zapisanie danych zgłoszenia o numerze własnym %R"},
    {"IE044", 40},
    {"IE058", 40, true, false, "IE044", -1, "Odrzucenie uwag rozładunkowych komunikatu IE044 numerze własnym %R"},
    {"IE013", 40},
    {"IE014", 40},
    // The decision inside says which of the two it is (FindIeTransit).
    {"IE009", 40, true, false, "", -1, ""},
    {"IE004", 40, true, false, "IE013", -1, "Przyjęcie sprostowania zgłoszenia IE013 o numerze własnym %R"},
    {"IE005", 40, true, false, "IE013", -1, "Odrzucenie sprostowania zgłoszenia IE013 o numerze własnym %R"},
    {"IE055", 40, true, true, nullptr, frame::kRodzajWywoz, "Informacja o nieważności gwarancji na zgłoszeniu numerze MRN %M"},
    {"IE051", 50, true, false, nullptr, frame::kRodzajWywoz, "Odmowa zwolnienia do procedury tranzytu zgłoszenia numerze MRN %M"},
    {"IE054", 50},
    {"IE062", 50, true, false, "IE054", -1, "Odrzucenie wniosku o zwolnienie zgłoszenia o numerze MRN %M"},
    {"IE060", 50, true, true, nullptr, frame::kRodzajWywoz, "Planowana kontrola dotycząca zgłoszenia o numerze MRN %M"},
    {"IE029", 70, true, false, "IE015", -1, "Zwolnienie do procedury tranzytu zgłoszenia IE015 o numerze własnym %R"},
    // Refused when no transit has the MRN (FindIeTransit).
    {"IE140", 80, true, true, nullptr, frame::kRodzajWywoz, "Zapytanie o przesyłkę o numerze MRN %M"},
    {"IE141", 80},
    // Answers an IE014 or, failing that, an IE141 (FindIeTransit).
    {"IE906", 80, true, false, "IE014", -1, "Odrzucenie wniosku o unieważnienie %T o numerze własnym %R"},
    {"IE025", 100, true, true, nullptr, frame::kRodzajPrzywoz, "Zwolnienie z tranzytu numer MRN %M"},
    {"IE045", 100, true, true, nullptr, frame::kRodzajWywoz, "Zamknięcie procedury tranzytu zgłoszenia numerze MRN %M"},
};

const TypKomunikatu* Typ(const QString& typ) {
  for (const TypKomunikatu& t : kTypy)
    if (typ == QLatin1String(t.typ)) return &t;
  return nullptr;
}

bool IsIeRoot(const QString& root) {
  const TypKomunikatu* t = Typ(root);
  return t && t->odpowiedz;
}

bool IsAcceptedRoot(const QString& root) {
  return IsIeRoot(root) || root == QLatin1String("ns6:Dokument") || root == QLatin1String("UPO") ||
         root == QLatin1String("UPP") || root == QLatin1String("NPP") || root == QLatin1String("Odrzucenie") ||
         root == QLatin1String("OdrzucenieKomunikatu");
}

// An own number as stored and looked up: a missing one is empty, never null, so that the
// duplicate check finds an answer without a number when it comes again.
QString Numer(const QString& nr) { return nr.isNull() ? QStringLiteral("") : nr; }

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
    // Only the parts read below become nodes: an answer of many goods items costs no tree.
    static const QStringList kRead{QStringLiteral("Naglowek"), QStringLiteral("DecyzjaOUniewaznieniu"), QStringLiteral("UPP"),
                                   QStringLiteral("InformacjaUzupelniajaca"), QStringLiteral("Dokument")};
    doc_ = xml::LoadXMLHead(frame::NaprawXML(xml_), kRead);
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
    numbers_ = frame::TransitStore(db_).PoNumerach(Numer(in_.nr_wlasny), Numer(in_.nr_powiazany));
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
    if (in_.nr_powiazany.isEmpty() && !Typ(in_.typ)->bez_powiazanego)
      throw Refusal{QStringLiteral("Brak informacji na temat numeru własnego komunikatu powiązanego")};
  }

  void FindIeTransit(const xml::XmlNode& root) {
    const TypKomunikatu& t = *Typ(in_.typ);
    QString opis = QString::fromUtf8(t.opis);
    if (t.po_numerze) {
      in_.tranzyt = TransitByNumber(QString::fromLatin1(t.po_numerze));
    } else {
      in_.tranzyt = TransitByMrn(t.po_mrn);
    }
    if (in_.typ == frame::typ::IE009) {
      const xml::XmlNode decyzja = FindLocal(root, QStringLiteral("DecyzjaOUniewaznieniu"));
      if (!decyzja)
        throw Refusal{QStringLiteral("Dokument ") + in_.typ + QStringLiteral(" nie zawiera elementu DecyzjaOUniewaznieniu")};
      if (decyzja.Attribute(QStringLiteral("DecyzjaDoWniosku")).trimmed() == QLatin1String("1")) {
        opis = QStringLiteral("Unieważnienie zgłoszenia IE015 o numerze własnym %R");
      } else {
        opis = QStringLiteral("Odrzucenie unieważnienia zgłoszenia IE015 o numerze własnym %R");
        in_.status = frame::kStatusOdebranyOdmowa;
      }
    } else if (in_.typ == QLatin1String("IE140") && in_.tranzyt == 0) {
      throw Refusal{QStringLiteral("Nie znaleziono komunikatu o numerze własnym ") + in_.nr_powiazany + QStringLiteral(" w bazie danych")};
    } else if (in_.typ == QLatin1String("IE906")) {
      QString answered = frame::typ::IE014;
      if (in_.tranzyt == 0) {
        in_.tranzyt = TransitByNumber(frame::typ::IE141);
        answered = frame::typ::IE141;
      }
      opis.replace(QLatin1String("%T"), answered);
    }
    // One pass, so a number that holds "%M" stays as it is.
    in_.opis.clear();
    for (qsizetype i = 0; i < opis.size(); ++i) {
      const QChar next = i + 1 < opis.size() ? opis[i + 1] : QChar();
      if (opis[i] == QLatin1Char('%') && (next == QLatin1Char('R') || next == QLatin1Char('M'))) {
        in_.opis += next == QLatin1Char('R') ? in_.nr_powiazany : in_.mrn;
        ++i;
      } else {
        in_.opis += opis[i];
      }
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
    if (in_.typ == frame::typ::IE025 && ctx_.switches.FZADURODER) ApproveRegisterEntries();
  }

  // The found transit's type, last ordinal and waiting IE025, in one read.
  void ReadState() {
    auto state = frame::TransitStore(db_).Stan(in_.tranzyt);
    // A message may outlive its transit (a deletion by another program): nothing to attach to.
    if (!state) throw Refusal{QStringLiteral("Nie znalezniono komunikatu o numerze własnym ") + in_.nr_powiazany};
    state_ = std::move(*state);
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
    const auto declaration = frame::TransitStore(db_).NajnowszyXmlWgId(in_.tranzyt, frame::typ::IE015);
    if (!declaration) return;
    const departure::Obciazenie o =
        departure::ObciazGwarancjeDeklaracji(ctx_, in_.tranzyt, in_.mrn.isEmpty() ? TransitMrn() : in_.mrn, *declaration);
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
    frame::TransitStore store(db_);
    int lp = state_.max_lp + 1;
    had_ie025_ = state_.ie025 > 0;
    if (had_ie025_) {
      // The release from transit stays the last message of its transit.
      const auto ie025 = store.Komunikat(state_.ie025);
      const int ie025_lp = ie025 ? ie025->Int(QStringLiteral("LP")) : 0;
      store.UstawLp(state_.ie025, lp);
      lp = ie025_lp;
    }
    frame::NowyKomunikat k;
    k.tranzyt = in_.tranzyt;
    k.lp = lp;
    k.typ = in_.typ;
    k.status = in_.status;
    k.nr_wlasny = Numer(in_.nr_wlasny);
    k.nr_powiazany = in_.nr_powiazany;
    k.typ_powiazany = typ_powiazany;
    k.opis = in_.opis.left(100);
    k.data_wyslania = QDateTime(CreationDate(in_.data_utworzenia), QTime(0, 0));
    k.xml = xml_;
    k.plik = file_name_.isEmpty() ? xml_ : file_name_;
    return frame::TransitStore(db_).Wstaw(k, ctx_.user.UserInfo(), ctx_.clock);
  }

  void UpdateTransit() {
    const bool platform = in_.typ == frame::typ::UPP || in_.typ == frame::typ::NPP;
    QVariantMap kolumny;
    if (!in_.mrn.isEmpty() && !platform) kolumny.insert(QStringLiteral("MRN"), in_.mrn);
    if (in_.typ == frame::typ::IE928 && !in_.lrn.isEmpty()) kolumny.insert(QStringLiteral("LRN"), in_.lrn);
    frame::TransitStore store(db_);
    if (!had_ie025_ && !platform && in_.typ != frame::typ::UPO && RankTypu(state_.typ) <= RankTypu(in_.typ))
      store.UstawStan(in_.tranzyt, in_.typ, in_.opis.left(100), in_.status, kolumny);
    else
      store.UstawKolumny(in_.tranzyt, kolumny);
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
  frame::StanTranzytu state_;
  std::vector<host::Row> numbers_;
  std::vector<host::Row> related_;
};

}  // namespace

int RankTypu(const QString& typ) {
  const TypKomunikatu* t = Typ(typ);
  return t ? t->ranga : 0;
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
