#include "arrival/follow_up_requests.h"
#include "host/base/host_context.h"
#include "host/xml/bodies.h"
#include "support/sample_messages.h"
#include "support/test_host.h"

#include <QFile>

#include <functional>

namespace velmora::testing {
namespace {

using arrival::OdpowiedzIE141;
using arrival::WniosekIE014;
using arrival::WniosekIE054;
using arrival::WniosekNastepczy;

QString S(const char* s) { return QString::fromUtf8(s); }

QString Sample(const char* name) {
  QFile f(S(VELMORA_TEST_DATA "/incoming/") + S(name) + S(".xml"));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
  return QString::fromUtf8(f.readAll());
}

// A received sample with its header's attribute changed.
QString ZNaglowkiem(const char* name, const char* atrybut, const char* wartosc) {
  auto doc = xml::LoadXMLData(Sample(name));
  doc->DocumentElement().ChildByLocalName(S("Naglowek")).SetAttribute(S(atrybut), S(wartosc));
  return doc->ToXml();
}

// The declaration a newer one (an amendment's copy) differs from in every value a request takes.
QString Deklaracja(bool nowa) {
  xml::Message m = PrzykladowaDeklaracja(1);
  xml::Group root = m.Root();
  xml::Group gz = root.Get(xml::kGlownyZobowiazany);
  gz.Set(S("Nazwa"), nowa ? S("Nowa Spedycja") : S("Bałtycka Spedycja S.A."));
  if (nowa) {
    gz.Get(xml::kPrzedstawiciel).Set(S("TIN"), S("PL5860000099"));
    root.Get(xml::kIE015_UC).Set(S("Wyjscia"), S("PL322020"));
    root.Get(xml::kIE015_UC).Set(S("Przeznaczenia"), S("DE004099"));
    root.Get(xml::kIE015_Odbiorca).Set(S("Nazwa"), S("Rhein Logistik GmbH"));
  }
  return m.Xml();
}

class FollowUpRequests : public HostTest {
 public:
  void Tranzyt(qint64 id) {
    db().Exec(S("insert into TRANZYTY (ID_TRANZYTY, RODZAJ, TYP, STATUS, MRN) values (:ID, 0, 'IE028', 11, '24PL322010NS0001A7')"), {{S("ID"), id}});
  }
  // A message row as stored: sent declarations and requests, received answers.
  qint64 Komunikat(qint64 tranzyt, int lp, const char* typ, const QString& nr, const QString& tekst, int status = 11) {
    const qint64 id = ++ostatni_;
    db().Exec(S("insert into TRANZYTY_POZYCJE (ID_TRANZYTY_POZYCJE, TRANZYTY_ID, LP, TYP, STATUS, NR_WLASNY, XML) "
                "values (:ID, :T, :LP, :TYP, :S, :NR, :XML)"),
              {{S("ID"), id}, {S("T"), tranzyt}, {S("LP"), lp}, {S("TYP"), S(typ)}, {S("S"), status}, {S("NR"), nr}, {S("XML"), tekst}});
    return id;
  }
  // Older answers and declarations below the newest of each kind.
  void PelnyTranzyt(qint64 t) {
    Tranzyt(t);
    Komunikat(t, 1, "IE015", S("24IE0150000010"), Deklaracja(false), 2);
    Komunikat(t, 2, "IE028", S("24IE028UC0000001"), ZNaglowkiem("IE028", "MRN", "24PL322010NS0000X0"));
    Komunikat(t, 3, "IE140", S("24IE140UC0000001"), ZNaglowkiem("IE140", "MRN", "24PL322010NS0000X0"));
    Komunikat(t, 4, "IE051", S("24IE051UC0000001"), ZNaglowkiem("IE051", "MRN", "24PL322010NS0000X0"));
    Komunikat(t, 5, "IE015", S("24IE0150000020"), Deklaracja(true), 2);
    Komunikat(t, 6, "IE028", S("24IE028UC0000028"), Sample("IE028"));
    Komunikat(t, 7, "IE140", S("24IE140UC0000140"), Sample("IE140"));
    Komunikat(t, 8, "IE051", S("24IE051UC0000051"), Sample("IE051"));
  }
  std::unique_ptr<WniosekNastepczy> Nowy(const QString& typ) {
    if (typ == QLatin1String("IE014")) return std::make_unique<WniosekIE014>(*ctx_);
    if (typ == QLatin1String("IE141")) return std::make_unique<OdpowiedzIE141>(*ctx_);
    return std::make_unique<WniosekIE054>(*ctx_);
  }
  // A request opened from the list on a new row of the transit.
  std::unique_ptr<WniosekNastepczy> Otworz(const QString& typ, qint64 tranzyt, qint64 id = 0) {
    auto w = Nowy(typ);
    w->BeforeActivate({{S("ID_TRANZYTY_POZYCJE"), id}, {S("TRANZYTY_ID"), tranzyt}, {S("STATUS"), id ? 1 : 0}});
    return w;
  }
  static QString PierwszyBlad(const WniosekNastepczy& w) {
    const host::FieldErrors b = w.Sprawdz();
    return b.empty() ? QString() : b.front().first + S(": ") + b.front().second;
  }

  qint64 ostatni_ = 100;
};

TEST_P(FollowUpRequests, NewRequestsTakeTheirValuesFromTheLatestSources) {
  PelnyTranzyt(1);
  struct Przypadek {
    const char* typ;
    const char* uc;  // IE014 and IE054: office of departure; IE141: presentation / enquiry
    const char* zobowiazany;
    const char* przedstawiciel;
    const char* data;
  };
  // IE014 follows its IE028 to the declaration it accepted; IE141 and IE054 take the latest one.
  // The customs message's principal comes first, the declaration fills what it lacks.
  const Przypadek przypadki[] = {
      {"IE014", "PL322010", "Bałtycka Spedycja Sp. z o.o.", "PL5860000024", "2024-03-05"},
      {"IE141", "DE004099 / PL322010", "Bałtycka Spedycja Sp. z o.o.", "PL5860000099", ""},
      {"IE054", "PL322020", "Nowa Spedycja", "PL5860000099", "2024-03-05"},
  };
  for (const Przypadek& p : przypadki) {
    auto w = Otworz(S(p.typ), 1);
    EXPECT_TRUE(host_->dialogs.Texts().isEmpty()) << p.typ << ": " << host_->dialogs.Texts().join(S("; ")).toStdString();
    const auto& n = w->naglowek;
    EXPECT_EQ(n.nr_wlasny + n.data_utworzenia + S(" ") + n.mrn, S("<AUTO><AUTO> 24PL322010NS0001A7")) << p.typ;
    EXPECT_EQ(w->zobowiazany.podmiot.nazwa, S(p.zobowiazany)) << p.typ;
    EXPECT_EQ(w->zobowiazany.podmiot.tin, S("PL5860000017")) << p.typ;
    EXPECT_EQ(w->zobowiazany.przedstawiciel_tin, S(p.przedstawiciel)) << p.typ;
    QString uc, data;
    if (auto* ie014 = dynamic_cast<WniosekIE014*>(w.get())) uc = ie014->uc_zgloszenia, data = ie014->data_wniosku;
    if (auto* ie054 = dynamic_cast<WniosekIE054*>(w.get())) uc = ie054->uc_zgloszenia, data = ie054->data_wniosku;
    if (auto* ie141 = dynamic_cast<OdpowiedzIE141*>(w.get())) {
      uc = ie141->uc_okazania + S(" / ") + ie141->uc_poszukiwania;
      EXPECT_EQ(ie141->odbiorca.nazwa, S("Rhein Logistik GmbH"));
    }
    EXPECT_EQ(uc + S(" ") + data, S(p.uc) + S(" ") + S(p.data)) << p.typ;
  }
}

TEST_P(FollowUpRequests, MissingOrUnreadableSourcesAreToldAndRefuseTheRequest) {
  struct Zrodlo {
    const char* typ;
    const char* nr;
    QString xml;
  };
  struct Przypadek {
    const char* opis;
    const char* typ;
    std::vector<Zrodlo> zrodla;
    const char* blad;  // nullptr: the parser's own words
  };
  const QString ie015 = Deklaracja(false);
  const Przypadek przypadki[] = {
      {"no IE028", "IE014", {{"IE015", "24IE0150000010", ie015}}, "Brak komunikatu IE028 dla wybranego tranzytu"},
      {"IE028 of another declaration", "IE014", {{"IE015", "24IE0150000099", ie015}, {"IE028", "24IE028UC0000028", Sample("IE028")}},
       "Brak komunikatu IE015 dla wybranego tranzytu"},
      {"no IE140", "IE141", {{"IE015", "24IE0150000010", ie015}}, "Brak komunikatu IE140 dla wybranego tranzytu"},
      {"IE140 without a declaration", "IE141", {{"IE140", "N1", Sample("IE140")}}, "Brak komunikatu IE015 dla wybranego tranzytu"},
      {"no IE051", "IE054", {{"IE015", "24IE0150000010", ie015}}, "Brak komunikatu IE051 dla wybranego tranzytu"},
      {"IE051 without a declaration", "IE054", {{"IE051", "N1", Sample("IE051")}}, "Brak komunikatu IE015 dla wybranego tranzytu"},
      {"IE051 row holding another message", "IE054", {{"IE015", "24IE0150000010", ie015}, {"IE051", "N1", Sample("IE016")}},
       "Dokument nie jest komunikatem IE051 (element główny IE016)"},
      {"a declaration that does not parse", "IE141", {{"IE140", "N1", Sample("IE140")}, {"IE015", "24IE0150000010", S("<IE015><Naglowek")}},
       nullptr},
  };
  qint64 t = 10;
  for (const Przypadek& p : przypadki) {
    SCOPED_TRACE(p.opis);
    Tranzyt(++t);
    int lp = 0;
    for (const Zrodlo& z : p.zrodla) Komunikat(t, ++lp, z.typ, S(z.nr), z.xml);
    host_->dialogs.Clear();
    auto w = Otworz(S(p.typ), t);
    ASSERT_EQ(host_->dialogs.ShownBoxes().size(), 1u);
    EXPECT_EQ(host_->dialogs.ShownBoxes()[0].kind, host::ScriptedDialogs::Kind::Blad);
    const QString blad = host_->dialogs.Texts()[0];
    EXPECT_TRUE(p.blad ? blad == S(p.blad) : !blad.isEmpty() && !blad.startsWith(S("Brak komunikatu"))) << blad.toStdString();
    EXPECT_EQ(w->BrakZrodla(), blad);
    EXPECT_EQ(PierwszyBlad(*w), S("beNrMRN: ") + blad);  // OK stores nothing
    EXPECT_TRUE(w->naglowek.mrn.isEmpty());
  }
}

TEST_P(FollowUpRequests, CancellationFieldRulesAndWhatItWrites) {
  PelnyTranzyt(1);
  struct Przypadek {
    const char* opis;
    std::function<void(WniosekIE014&)> zmien;
    const char* blad;
  };
  const Przypadek przypadki[] = {
      {"complete", [](WniosekIE014&) {}, ""},
      {"blank reason", [](WniosekIE014& w) { w.powod = S(" \n "); }, "mePowod: Pole jest wymagane"},
      {"no request date", [](WniosekIE014& w) { w.data_wniosku.clear(); }, "deDataWniosku: Pole jest wymagane"},
      {"no such date", [](WniosekIE014& w) { w.data_wniosku = S("2024-02-30"); }, "deDataWniosku: Niepoprawna data"},
      {"no office", [](WniosekIE014& w) { w.uc_zgloszenia = S("  "); }, "beUCZglosz: Pole jest wymagane"},
      {"a German office", [](WniosekIE014& w) { w.uc_zgloszenia = S("DE004057"); }, "beUCZglosz: UC zgłoszenia musi zaczynać się od \"PL\""},
      {"lower case", [](WniosekIE014& w) { w.uc_zgloszenia = S("pl322010"); }, "beUCZglosz: UC zgłoszenia musi zaczynać się od \"PL\""},
      {"another Polish office", [](WniosekIE014& w) { w.uc_zgloszenia = S("PL322020"); }, ""},
  };
  for (const Przypadek& p : przypadki) {
    WniosekIE014 w(*ctx_);
    w.BeforeActivate({{S("TRANZYTY_ID"), 1}});
    w.powod = S("Pomyłka w zgłoszeniu");
    p.zmien(w);
    EXPECT_EQ(PierwszyBlad(w), S(p.blad)) << p.opis;
  }

  // The reason is trimmed and cut; the office picked is the one written, the principal stays.
  WniosekIE014 w(*ctx_);
  w.BeforeActivate({{S("TRANZYTY_ID"), 1}});
  w.powod = S("   ") + QString(400, QLatin1Char('x')) + S("  ");
  w.UstawUC(host::Row({S("Kod"), S("Kraj")}, {S(" PL322030 "), S("PL")}));
  xml::Message m = xml::GetIE014(xml::LoadXMLData(w.GetXML()));
  const xml::Group wniosek = m.Root().Get(xml::kIE014_Wniosek);
  EXPECT_EQ(wniosek.Get(S("Powod")), QString(350, QLatin1Char('x')));
  EXPECT_EQ(wniosek.Get(S("Data")), S("2024-03-05"));
  EXPECT_EQ(m.Root().Get(xml::kUCZgloszenia).Get(S("Kod")), S("PL322030"));
  EXPECT_EQ(m.Root().Get(xml::kGlownyZobowiazany).Get(xml::kPrzedstawiciel).Get(S("TIN")), S("PL5860000024"));
}

TEST_P(FollowUpRequests, ConsigneeOfAnEnquiryAnswerFromAContractor) {
  struct Przypadek {
    const char* opis;
    const char* eori;
    const char* nip;
    const char* tir;
    const char* tin;
  };
  const Przypadek przypadki[] = {
      {"EORI only", " DE12345678901234567 ", "", "", "DE123456789012345"},
      {"NIP only", "", " 5840000011 ", "", "5840000011"},
      {"both: the EORI", "PL584000001100000", "5840000011", "", "PL584000001100000"},
      {"TIR holder with both: the NIP", "PL584000001100000", "5840000011", "POL/123/45", "5840000011"},
      {"TIR holder 0 is none", "PL584000001100000", "5840000011", "0", "PL584000001100000"},
      {"TIR holder without a NIP: none", "PL584000001100000", "", "POL/123/45", ""},
  };
  const QStringList kolumny{S("ID_KONTRAHENCI"), S("Nazwa"), S("Ulica"), S("Nr_Dom"), S("Kod"), S("Miejscowosc"), S("Kraj"),
                            S("NIP"), S("EORI"), S("TIRholder")};
  for (const Przypadek& p : przypadki) {
    const host::Row k(kolumny, {7, S("Magazyn"), S("Portowa"), S("2"), S("80-001"), S("Gdańsk"), S("PL"), S(p.nip), S(p.eori), S(p.tir)});
    EXPECT_EQ(arrival::OdbiorcaZKontrahenta(k).tin, S(p.tin)) << p.opis;
  }
  // Over-long values are cut to the document's lengths; a street without a number stays bare.
  const host::Row dlugi(kolumny, {8, S(" ") + QString(40, QLatin1Char('N')), S(" ") + QString(33, QLatin1Char('U')), S(" 12A "),
                                  S("80-001-1234"), QString(40, QLatin1Char('M')), S("PLN"), S(""), S("PL584000001100000"), QVariant()});
  const arrival::PolaPodmiotu d = arrival::OdbiorcaZKontrahenta(dlugi);
  EXPECT_EQ(d.nazwa, QString(35, QLatin1Char('N')));
  EXPECT_EQ(d.ulica, QString(33, QLatin1Char('U')) + S(" 1"));
  EXPECT_EQ(d.kod_pocztowy, S("80-001-12"));
  EXPECT_EQ(d.miejscowosc, QString(35, QLatin1Char('M')));
  EXPECT_EQ(d.kraj, S("PL"));

  // Picked in the box, the consignee goes into the document at once.
  PelnyTranzyt(1);
  OdpowiedzIE141 w(*ctx_);
  w.BeforeActivate({{S("TRANZYTY_ID"), 1}});
  w.UstawOdbiorce(dlugi);
  const xml::Group o = xml::GetIE141(xml::LoadXMLData(w.GetXML())).Root().Get(xml::kIE141_Odbiorca);
  EXPECT_EQ(o.Get(S("TIN")) + o.Get(S("UlicaNumer")), S("PL584000001100000") + d.ulica);
}

TEST_P(FollowUpRequests, EnquiryAnswerWritesTheDeliveryDateOnlyWhenSet) {
  PelnyTranzyt(1);
  OdpowiedzIE141 w(*ctx_);
  w.BeforeActivate({{S("TRANZYTY_ID"), 1}});
  auto poszukiwanie = [&w] { return xml::GetIE141(xml::LoadXMLData(w.GetXML())).Root().Get(xml::kIE141_Poszukiwanie); };
  w.tc11 = true;
  w.informacja = S("  ") + QString(150, QLatin1Char('i'));
  EXPECT_EQ(poszukiwanie().Get(S("DostarczonoTC11")), S("1"));
  EXPECT_FALSE(poszukiwanie().Has(S("DataDostarczeniaTC11")));  // ticked, no date: none written
  EXPECT_EQ(poszukiwanie().Get(S("Informacja")), QString(140, QLatin1Char('i')));
  w.data_tc11 = S("2024-03-01");
  EXPECT_EQ(poszukiwanie().Get(S("DataDostarczeniaTC11")), S("2024-03-01"));
  w.data_tc11.clear();
  EXPECT_FALSE(poszukiwanie().Has(S("DataDostarczeniaTC11")));  // the stored one goes
  w.data_tc11 = S("2024-13-01");
  EXPECT_EQ(PierwszyBlad(w), S("deDataDostarczeniaTC11: Niepoprawna data"));
}

TEST_P(FollowUpRequests, StoredRequestsReloadUnchangedAndSentOnesAreOnlyShown) {
  PelnyTranzyt(1);
  const std::pair<const char*, std::function<void(WniosekNastepczy&)>> typy[] = {
      {"IE014", [](WniosekNastepczy& w) { static_cast<WniosekIE014&>(w).powod = S("Towar nie wyjedzie"); }},
      {"IE141",
       [](WniosekNastepczy& w) {
         auto& o = static_cast<OdpowiedzIE141&>(w);
         o.tc11 = true;
         o.data_tc11 = S("2024-03-01");
         o.informacja = S("Przesyłka dostarczona");
       }},
      {"IE054", [](WniosekNastepczy& w) { static_cast<WniosekIE054&>(w).brak_sprzeciwu = true; }},
  };
  std::vector<std::pair<qint64, QString>> zapisane;
  for (const auto& [typ, wypelnij] : typy) {
    auto w = Otworz(S(typ), 1);
    wypelnij(*w);
    ASSERT_TRUE(w->Sprawdz().empty()) << typ;
    const QString tekst = w->GetXML();
    zapisane.emplace_back(Komunikat(1, 20, typ, S("<AUTO>"), tekst, 1), tekst);
  }
  // The sources are gone: a stored request does not need them.
  db().Exec(S("delete from TRANZYTY_POZYCJE where TYP in ('IE015', 'IE028', 'IE140', 'IE051')"));
  host_->dialogs.Clear();
  for (size_t i = 0; i < zapisane.size(); ++i) {
    auto w = Otworz(S(typy[i].first), 1, zapisane[i].first);
    EXPECT_FALSE(w->TylkoDoOdczytu()) << typy[i].first;
    EXPECT_EQ(w->GetXML(), zapisane[i].second) << typy[i].first;
  }
  EXPECT_TRUE(host_->dialogs.Texts().isEmpty());

  // The release request is rebuilt from its fields: what else the stored one held is gone, and
  // it keeps the day it was made while its creation date waits for sending.
  auto doc = xml::LoadXMLData(zapisane[2].second);
  doc->DocumentElement().AppendChild(S("Robocze")).SetAttribute(S("Notatka"), S("x"));
  db().UpdateMemoField(S("TRANZYTY_POZYCJE"), S("XML"), S("ID_TRANZYTY_POZYCJE = :ID"), doc->ToXml(), {{S("ID"), zapisane[2].first}});
  host_->clock.Set(QDateTime(QDate(2024, 3, 9), QTime(9, 0)));
  auto ie054 = Otworz(S("IE054"), 1, zapisane[2].first);
  const QString tekst = ie054->GetXML();
  EXPECT_EQ(tekst, zapisane[2].second);
  EXPECT_TRUE(tekst.contains(S("Data=\"2024-03-05\"")) && tekst.contains(S("DataUtworzenia=\"&lt;AUTO&gt;\"")));

  // Sent: the list hands the row over as changed, the stored status decides.
  db().Exec(S("update TRANZYTY_POZYCJE set STATUS = 2 where ID_TRANZYTY_POZYCJE = :ID"), {{S("ID"), zapisane[0].first}});
  EXPECT_TRUE(Otworz(S("IE014"), 1, zapisane[0].first)->TylkoDoOdczytu());
}

VELMORA_ON_BOTH_ENGINES(FollowUpRequests);

}  // namespace
}  // namespace velmora::testing
