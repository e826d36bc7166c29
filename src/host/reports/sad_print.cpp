#include "host/reports/sad_print.h"

#include "host/reports/code128.h"
#include "host/reports/config_rpt_box.h"

#include <QDesktopServices>
#include <QFont>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QSaveFile>
#include <QTextLayout>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cmath>

namespace velmora::host {

const QString kSadCiagDalszy = QStringLiteral("ciąg dalszy na liście towarowej");

namespace {

constexpr const char* kFont = "DejaVu Sans";
constexpr int kDpi = 300;
constexpr qreal kCaptionPt = 5.5;
constexpr qreal kEtykietaPt = 6.5;
// The content of a box shrinks through these sizes until it fits; what still does not goes
// on to the loading lists.
constexpr std::array<qreal, 4> kContentPt{8.5, 7.5, 6.5, 5.5};
constexpr qreal kListaPt = 8;
constexpr qreal kListaNaglowekPt = 7.5;

constexpr qreal kX = 10;      // the form's left edge, mm
constexpr qreal kW = 190;     // its width
constexpr qreal kMid = 105;   // left and right halves of the upper boxes
constexpr qreal kItemX = 135; // the item block's right column
constexpr qreal kItemH = 66;  // one goods item block, its security row included
constexpr qreal kFormTop = 30;
constexpr qreal kListaTop = 33;  // the loading list's lines, between its frame's edges
constexpr qreal kListaDol = 277;

QString Or(const QString& a, const QString& b) { return a.isEmpty() ? b : a; }

QString Join(const QStringList& parts, const QString& sep) {
  QStringList kept;
  for (const QString& p : parts)
    if (!p.trimmed().isEmpty()) kept << p.trimmed();
  return kept.join(sep);
}

// A box's content as paragraphs: one per line of its entries, blank ones left out.
QStringList Akapity(const QStringList& tresc) {
  QStringList out;
  for (const QString& t : tresc)
    for (const QString& l : t.split(u'\n'))
      if (!l.trimmed().isEmpty()) out << l.trimmed();
  return out;
}

// What did not fit in its box, for the loading lists.
struct Reszta {
  QString odnosnik;  // the item and the box it belongs to
  QStringList akapity;
};

// One printed line of a loading list page, `y` in mm from the page's top.
struct WierszListy {
  qreal y;
  QString tekst;
  bool naglowek;
};
using StronaListy = std::vector<WierszListy>;

// One wrapped line and where it starts in its paragraph.
struct Linia {
  int akapit;
  int od;
  QString tekst;
};

// A page drawn in millimetres from its top left corner. Without a painter it only measures,
// collecting what overflows its boxes, so the page count is known before anything is drawn.
class Strona {
 public:
  Strona(QPdfWriter& writer, QPainter* p, const std::vector<int>* strony_reszt = nullptr)
      : writer_(writer), p_(p), strony_reszt_(strony_reszt), k_(kDpi / 25.4) {}

  QRectF R(qreal x, qreal y, qreal w, qreal h) const { return QRectF(x * k_, y * k_, w * k_, h * k_); }

  void NowaStrona() {
    if (p_) writer_.newPage();
  }
  // Whose boxes follow: the declaration's or a goods item's, for the loading lists.
  void Kontekst(const QString& k) { kontekst_ = k; }
  const std::vector<Reszta>& Reszty() const { return reszty_; }

  void Tekst(const QRectF& mm, const QString& text, qreal pt, int flags, bool bold = false) {
    if (!p_) return;
    p_->setFont(Font(pt, bold));
    p_->drawText(R(mm.x(), mm.y(), mm.width(), mm.height()), flags, text);
  }
  // A printed hint inside an empty box, for what is filled in by hand.
  void Etykieta(qreal x, qreal y, const QString& text) {
    Tekst(QRectF(x, y, 120, 4), text, kEtykietaPt, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine);
  }

  // A numbered box of the form: its frame, its caption and its content fitted inside. What
  // does not fit even at the smallest size ends with a note and goes on to the loading lists.
  void Pole(qreal x, qreal y, qreal w, qreal h, const QString& caption, const QStringList& tresc = {}) {
    if (p_) {
      p_->setPen(QPen(Qt::black, 0.2 * k_));
      p_->setBrush(Qt::NoBrush);
      p_->drawRect(R(x, y, w, h));
    }
    Tekst(QRectF(x + 0.8, y + 0.4, w - 1.6, 2.8), caption, kCaptionPt, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine);
    const QStringList akapity = Akapity(tresc);
    if (akapity.isEmpty()) return;
    const QRectF area = R(x + 1.2, y + 3.2, w - 2.4, h - 3.6);
    for (const qreal pt : kContentPt) {
      const QFont f = Font(pt, false);
      std::vector<Linia> linie = Zawin(akapity, f, area.width());
      const int miesci = static_cast<int>(std::floor(area.height() / QFontMetricsF(f, &writer_).lineSpacing() + 0.01));
      if (static_cast<int>(linie.size()) <= miesci) {
        Rysuj(area, f, linie);
        return;
      }
      if (pt != kContentPt.back()) continue;
      // The note's room is reserved for the longest list number, so both passes cut alike.
      const int uwaga = static_cast<int>(Zawin({Uwaga(9999)}, f, area.width()).size());
      const int zostaje = std::max(0, miesci - uwaga);
      const Linia& ciecie = linie[zostaje];
      QStringList reszta{(ciecie.od > 0 ? QStringLiteral("… ") : QString()) + akapity[ciecie.akapit].mid(ciecie.od).trimmed()};
      reszta += akapity.mid(ciecie.akapit + 1);
      const int nr = static_cast<int>(reszty_.size());
      reszty_.push_back({kontekst_ + QStringLiteral(" – pole ") + caption, reszta});
      linie.resize(zostaje);
      for (const Linia& l : Zawin({Uwaga(ListaReszty(nr))}, f, area.width())) linie.push_back(l);
      Rysuj(area, f, linie);
    }
  }

  void Kod(const QRectF& mm, const Code128& code) {
    if (p_) PaintCode128(*p_, R(mm.x(), mm.y(), mm.width(), mm.height()), code);
  }

  // The overflows laid out on loading-list pages; `pierwsza` gets each one's first page (1-based).
  std::vector<StronaListy> Listy(const std::vector<Reszta>& reszty, std::vector<int>* pierwsza) const {
    std::vector<StronaListy> strony;
    const QFont fn = Font(kListaNaglowekPt, true), ft = Font(kListaPt, false);
    const qreal hn = QFontMetricsF(fn, &writer_).lineSpacing() / k_, ht = QFontMetricsF(ft, &writer_).lineSpacing() / k_;
    const qreal szerokosc = (kW - 4) * k_;
    qreal y = kListaDol;
    auto nowa = [&] {
      strony.emplace_back();
      y = kListaTop;
    };
    for (const Reszta& r : reszty) {
      if (!strony.empty() && !strony.back().empty()) y += 1.5;
      // A heading is never left alone at the foot of a page.
      if (strony.empty() || y + hn + ht > kListaDol) nowa();
      pierwsza->push_back(static_cast<int>(strony.size()));
      strony.back().push_back({y, r.odnosnik, true});
      y += hn;
      for (const Linia& l : Zawin(r.akapity, ft, szerokosc)) {
        if (y + ht > kListaDol) {
          nowa();
          strony.back().push_back({y, r.odnosnik + QStringLiteral(" (cd.)"), true});
          y += hn;
        }
        strony.back().push_back({y, l.tekst, false});
        y += ht;
      }
    }
    return strony;
  }
  void Wiersz(const WierszListy& w) {
    if (!p_) return;
    const QFont f = w.naglowek ? Font(kListaNaglowekPt, true) : Font(kListaPt, false);
    p_->setFont(f);
    p_->drawText(QPointF((kX + 2) * k_, w.y * k_ + QFontMetricsF(f, &writer_).ascent()), w.tekst);
  }

 private:
  QFont Font(qreal pt, bool bold) const {
    QFont f(QString::fromLatin1(kFont));
    f.setPointSizeF(pt);
    f.setBold(bold);
    return f;
  }

  // The paragraphs broken into lines `szerokosc` dots wide, as the device sets them.
  std::vector<Linia> Zawin(const QStringList& akapity, const QFont& f, qreal szerokosc) const {
    std::vector<Linia> out;
    QTextOption opcje;
    opcje.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (int i = 0; i < akapity.size(); ++i) {
      QTextLayout layout(akapity[i], f, &writer_);
      layout.setTextOption(opcje);
      layout.beginLayout();
      for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(szerokosc);
        out.push_back({i, line.textStart(), akapity[i].mid(line.textStart(), line.textLength())});
      }
      layout.endLayout();
    }
    return out;
  }

  void Rysuj(const QRectF& area, const QFont& f, const std::vector<Linia>& linie) {
    if (!p_) return;
    const QFontMetricsF fm(f, &writer_);
    p_->setFont(f);
    for (size_t i = 0; i < linie.size(); ++i)
      p_->drawText(QPointF(area.x(), area.y() + static_cast<qreal>(i) * fm.lineSpacing() + fm.ascent()), linie[i].tekst);
  }

  // The note ending a cut box, with the loading list it goes on in once that is known.
  QString Uwaga(int lista) const {
    return QStringLiteral("… ") + kSadCiagDalszy + (lista > 0 ? QStringLiteral(" nr %1").arg(lista) : QString());
  }
  int ListaReszty(int nr) const {
    return strony_reszt_ && nr < static_cast<int>(strony_reszt_->size()) ? (*strony_reszt_)[nr] : 0;
  }

  QPdfWriter& writer_;
  QPainter* p_;
  const std::vector<int>* strony_reszt_;
  std::vector<Reszta> reszty_;
  QString kontekst_ = QStringLiteral("Zgłoszenie");
  qreal k_;  // device dots per millimetre
};

QString Liczba(const SadDocument& sad) {
  return Or(sad.liczba_pozycji, QString::number(sad.towary.size()));
}

QString Formularze(int strona, int stron) { return QStringLiteral("%1/%2").arg(strona).arg(stron); }

// The heading: the sheet's name, the document and, once there is one, the MRN.
void Naglowek(Strona& s, const SadDocument& sad, const QString& nazwa, const QString& podtytul, bool z_kodem) {
  s.Tekst(QRectF(kX, 10, 100, 7), nazwa, 11, Qt::AlignLeft | Qt::AlignTop, true);
  s.Tekst(QRectF(kX, 18, 100, 5), podtytul, 8, Qt::AlignLeft | Qt::AlignTop);
  if (sad.mrn.isEmpty()) return;
  const Code128 code = z_kodem ? Code128B(sad.mrn) : Code128();
  if (!code.IsNull()) {
    s.Kod(QRectF(115, 9, 85, 12), code);
    s.Tekst(QRectF(115, 21.5, 85, 5), QStringLiteral("MRN: ") + sad.mrn, 9, Qt::AlignHCenter | Qt::AlignTop, true);
  } else {
    s.Tekst(QRectF(115, 12, 85, 5), QStringLiteral("MRN: ") + sad.mrn, 9, Qt::AlignRight | Qt::AlignTop, true);
  }
}

const QString kNazwaFormularza = QStringLiteral("SAD – ZGŁOSZENIE TRANZYTOWE");

void Stopka(Strona& s, int strona, int stron) {
  s.Tekst(QRectF(kX, 284, kW, 4), QStringLiteral("Strona %1 z %2").arg(strona).arg(stron), 7, Qt::AlignRight | Qt::AlignTop);
}

// The short facts first: when the box overflows, the long lists go on to the loading list.
QStringList Opis31(const SadTowar& t) {
  QStringList l{t.opis};
  if (!t.deklaracja.isEmpty()) l << QStringLiteral("Deklaracja: ") + t.deklaracja;
  if (!t.kraj_wysylki.isEmpty() || !t.kraj_przeznaczenia.isEmpty())
    l << QStringLiteral("Kraj wysyłki / przeznaczenia: %1 / %2").arg(t.kraj_wysylki, t.kraj_przeznaczenia);
  if (!t.nadawca.IsEmpty()) l << QStringLiteral("Nadawca: ") + t.nadawca.Wiersz();
  if (!t.odbiorca.IsEmpty()) l << QStringLiteral("Odbiorca: ") + t.odbiorca.Wiersz();
  if (!t.towary_wrazliwe.isEmpty()) l << QStringLiteral("Towary wrażliwe: ") + t.towary_wrazliwe.join(QStringLiteral("; "));
  l << t.opakowania;
  if (!t.kontenery.isEmpty()) l << QStringLiteral("Kontenery: ") + t.kontenery.join(QStringLiteral(", "));
  return l;
}

// Boxes 31 to 44 of one goods item and its security row.
void Towar(Strona& s, qreal y, const SadTowar& t) {
  s.Kontekst(QStringLiteral("Pozycja %1").arg(t.pozycja));
  const qreal wl = kItemX - kX, wr = kX + kW - kItemX;
  s.Pole(kX, y, wl, 32, QStringLiteral("31 Opakowania i opis towarów"), Opis31(t));
  s.Pole(kItemX, y, 20, 10, QStringLiteral("32 Pozycja nr"), {QString::number(t.pozycja)});
  s.Pole(kItemX + 20, y, wr - 20, 10, QStringLiteral("33 Kod towaru"), {t.kod_towarowy});
  s.Pole(kItemX, y + 10, wr, 11, QStringLiteral("35 Masa brutto (kg)"), {t.masa_brutto});
  s.Pole(kItemX, y + 21, wr, 11, QStringLiteral("38 Masa netto (kg)"), {t.masa_netto});
  s.Pole(kX, y + 32, wl, 20, QStringLiteral("44 Informacje dodatkowe/Przedstawione dokumenty"), t.informacje);
  s.Pole(kItemX, y + 32, wr, 20, QStringLiteral("40 Dokument poprzedni"), t.dokumenty_poprzednie);
  const qreal ys = y + 52;
  s.Pole(kX, ys, 24, 14, QStringLiteral("S Forma płatności"), {t.forma_platnosci});
  s.Pole(kX + 24, ys, 46, 14, QStringLiteral("S Nr referencyjny przesyłki"), {t.nr_ref_przesylki});
  s.Pole(kX + 70, ys, 20, 14, QStringLiteral("S Kod UN"), {t.kod_un});
  QStringList strony;
  if (!t.nadawca_bezp.IsEmpty()) strony << QStringLiteral("Nadawca: ") + t.nadawca_bezp.Wiersz();
  if (!t.odbiorca_bezp.IsEmpty()) strony << QStringLiteral("Odbiorca: ") + t.odbiorca_bezp.Wiersz();
  s.Pole(kX + 90, ys, kW - 90, 14, QStringLiteral("S Nadawca / Odbiorca (bezpieczeństwo)"), strony);
  s.Kontekst(QStringLiteral("Zgłoszenie"));
}

// The declaration's security data, below box D.
void Bezpieczenstwo(Strona& s, qreal y, const SadBezpieczenstwo& b) {
  s.Pole(kX, y, 30, 10, QStringLiteral("S Szczególne okoliczności"), {b.okolicznosci});
  s.Pole(kX + 30, y, 30, 10, QStringLiteral("S Forma płatności"), {b.forma_platnosci});
  s.Pole(kX + 60, y, 65, 10, QStringLiteral("S Nr referencyjny przesyłki"), {b.nr_ref_przesylki});
  s.Pole(kX + 125, y, 65, 10, QStringLiteral("S Nr referencyjny przewozu"), {b.nr_ref_przewozu});
  s.Pole(kX, y + 10, 47.5, 10, QStringLiteral("S Miejsce załadunku"), {b.miejsce_zaladunku});
  s.Pole(kX + 47.5, y + 10, 47.5, 10, QStringLiteral("S Miejsce rozładunku"), {b.miejsce_rozladunku});
  s.Pole(kMid, y + 10, kX + kW - kMid, 10, QStringLiteral("S Kraje trasy"), {b.kraje_trasy.join(QStringLiteral(", "))});
  const qreal w = kW / 3;
  s.Pole(kX, y + 20, w, 18, QStringLiteral("S Nadawca"), b.nadawca.Linie());
  s.Pole(kX + w, y + 20, w, 18, QStringLiteral("S Odbiorca"), b.odbiorca.Linie());
  s.Pole(kX + 2 * w, y + 20, w, 18, QStringLiteral("S Przewoźnik"), b.przewoznik.Linie());
}

void PierwszaStrona(Strona& s, const SadDocument& sad, int arkusze, int listy, int stron) {
  Naglowek(s, sad, kNazwaFormularza, sad.tytul, true);
  qreal yz = 22.6;
  for (const QString& z : {sad.rodzaj_sprostowania.isEmpty() ? QString() : QStringLiteral("Rodzaj sprostowania: ") + sad.rodzaj_sprostowania,
                           sad.data_przedstawienia.isEmpty() ? QString() : QStringLiteral("Data przedstawienia: ") + sad.data_przedstawienia}) {
    if (z.isEmpty()) continue;
    s.Tekst(QRectF(kX, yz, 100, 3.4), z, 7, Qt::AlignLeft | Qt::AlignTop);
    yz += 3.2;
  }
  const qreal y = kFormTop, wl = kMid - kX, wr = kX + kW - kMid, half = wr / 2;
  s.Pole(kX, y, wl, 22, QStringLiteral("2 Nadawca/Eksporter"), sad.nadawca.Linie());
  s.Pole(kMid, y, 30, 11, QStringLiteral("1 DEKLARACJA"), {sad.deklaracja});
  s.Pole(kMid + 30, y, wr - 30, 11, QStringLiteral("7 Numer referencyjny"), {sad.numer_referencyjny});
  s.Pole(kMid, y + 11, 20, 11, QStringLiteral("3 Formularze"), {Formularze(1, arkusze)});
  s.Pole(kMid + 20, y + 11, 20, 11, QStringLiteral("4 Listy towarowe"), {listy > 0 ? QString::number(listy) : QString()});
  s.Pole(kMid + 40, y + 11, 20, 11, QStringLiteral("5 Pozycje"), {Liczba(sad)});
  s.Pole(kMid + 60, y + 11, wr - 60, 11, QStringLiteral("6 Liczba opakowań"), {sad.liczba_opakowan});

  s.Pole(kX, y + 22, wl, 22, QStringLiteral("8 Odbiorca"), sad.odbiorca.Linie());
  s.Pole(kMid, y + 22, half, 11, QStringLiteral("15 Kraj wysyłki/eksportu"), {sad.kraj_wysylki});
  s.Pole(kMid + half, y + 22, half, 11, QStringLiteral("17 Kraj przeznaczenia"), {sad.kraj_przeznaczenia});
  s.Pole(kMid, y + 33, 20, 11, QStringLiteral("19 Kontener"), {sad.kontener ? QStringLiteral("1") : QStringLiteral("0")});
  s.Pole(kMid + 20, y + 33, wr - 20, 11, QStringLiteral("27 Miejsce załadunku"), {sad.miejsce_zaladunku});

  s.Pole(kX, y + 44, wl, 10, QStringLiteral("18 Znaki i przynależność środka transportu przy wyjeździe"), {sad.transport_wyjazd});
  s.Pole(kMid, y + 44, half, 10, QStringLiteral("30 Lokalizacja towarów"), {sad.lokalizacja});
  s.Pole(kMid + half, y + 44, half, 10, QStringLiteral("Masa brutto ogółem (kg)"), {sad.masa_brutto});
  s.Pole(kX, y + 54, wl, 10, QStringLiteral("21 Znaki i przynależność środka transportu na granicy"), {sad.transport_granica});
  s.Pole(kMid, y + 54, half, 10, QStringLiteral("25 Rodzaj transportu na granicy"), {sad.rodzaj_transportu_granica});
  s.Pole(kMid + half, y + 54, half, 10, QStringLiteral("26 Rodzaj transportu wewnętrznego"), {sad.rodzaj_transportu_wewnetrzny});

  const qreal yt = y + 64;
  if (!sad.towary.empty()) Towar(s, yt, sad.towary.front());

  const qreal yl = yt + kItemH, wi = kItemX - kX, wir = kX + kW - kItemX;
  QStringList zobowiazany = sad.glowny_zobowiazany.Linie();
  if (!sad.przedstawiciel_tin.isEmpty()) zobowiazany << QStringLiteral("reprezentowany przez: ") + sad.przedstawiciel_tin;
  const QString podpis = Join({sad.miejsce, sad.data}, QStringLiteral(", "));
  if (!podpis.isEmpty() || !sad.osoba.isEmpty())
    zobowiazany << Join({QStringLiteral("Miejsce i data: ") + podpis, sad.osoba.isEmpty() ? QString() : QStringLiteral("Podpis: ") + sad.osoba},
                        QStringLiteral("   "));
  s.Pole(kX, yl, wi, 28, QStringLiteral("50 Główny zobowiązany"), zobowiazany);
  s.Pole(kItemX, yl, wir, 28, QStringLiteral("C URZĄD WYJŚCIA"), {sad.uc_wyjscia});
  s.Pole(kX, yl + 28, wi, 12, QStringLiteral("51 Przewidziane urzędy tranzytowe (i kraj)"), {sad.uc_tranzytowe.join(QStringLiteral(", "))});
  s.Pole(kItemX, yl + 28, wir, 12, QStringLiteral("53 Urząd przeznaczenia (i kraj)"), {sad.uc_przeznaczenia});
  s.Pole(kX, yl + 40, wi, 16, QStringLiteral("52 Gwarancja"), sad.gwarancje);
  s.Pole(kItemX, yl + 40, wir, 16, QStringLiteral("Upoważniony odbiorca"), {sad.upowazniony_odbiorca});

  QStringList kontrola;
  if (!sad.wynik_kontroli.isEmpty()) kontrola << QStringLiteral("Wynik: ") + sad.wynik_kontroli;
  if (!sad.termin_dostarczenia.isEmpty()) kontrola << QStringLiteral("Termin (ostateczny): ") + sad.termin_dostarczenia;
  if (!sad.nakladajacy.isEmpty()) kontrola << QStringLiteral("Nakładający: ") + sad.nakladajacy;
  // The seals last: there may be thousands.
  if (sad.liczba_zamkniec > 0 || !sad.zamkniecia.isEmpty())
    kontrola << QStringLiteral("Zamknięcia nałożone: liczba %1, znaki: %2")
                    .arg(sad.liczba_zamkniec > 0 ? sad.liczba_zamkniec : static_cast<int>(sad.zamkniecia.size()))
                    .arg(sad.zamkniecia.join(QStringLiteral(", ")));
  s.Pole(kX, yl + 56, kW, 24, QStringLiteral("D KONTROLA PRZEZ URZĄD WYJŚCIA"), kontrola);
  Bezpieczenstwo(s, yl + 80, sad.bezpieczenstwo);
  Stopka(s, 1, stron);
}

void Kontynuacja(Strona& s, const SadDocument& sad, int strona, int arkusze, int stron, size_t od) {
  Naglowek(s, sad, kNazwaFormularza, QStringLiteral("Kontynuacja · ") + sad.tytul, false);
  const qreal y = kFormTop, wl = kMid - kX, wr = kX + kW - kMid;
  s.Pole(kX, y, wl, 22, QStringLiteral("2 Nadawca/Eksporter"), sad.nadawca.Linie());
  s.Pole(kMid, y, 30, 11, QStringLiteral("1 DEKLARACJA"), {sad.deklaracja});
  s.Pole(kMid, y + 11, 30, 11, QStringLiteral("3 Formularze"), {Formularze(strona, arkusze)});
  s.Pole(kMid + 30, y, wr - 30, 22, QStringLiteral("8 Odbiorca"), sad.odbiorca.Linie());
  qreal yt = y + 26;
  for (size_t i = od; i < sad.towary.size() && i < od + kSadPozycjiNaKontynuacji; ++i, yt += kItemH) Towar(s, yt, sad.towary[i]);
  Stopka(s, strona, stron);
}

void Lista(Strona& s, const SadDocument& sad, const StronaListy& wiersze, int nr, int listy, int strona, int stron) {
  Naglowek(s, sad, QStringLiteral("LISTA TOWAROWA nr %1 z %2").arg(nr).arg(listy),
           Join({sad.tytul, sad.numer_referencyjny.isEmpty() ? QString() : QStringLiteral("nr ref. ") + sad.numer_referencyjny},
                QStringLiteral(", ")),
           false);
  s.Pole(kX, kFormTop, kW, kListaDol - kFormTop + 2, QStringLiteral("Ciąg dalszy pól formularza (pozycja i pole)"));
  for (const WierszListy& w : wiersze) s.Wiersz(w);
  Stopka(s, strona, stron);
}

// The back of the form: filled in by hand by the authorities en route and at destination.
void Rewers(Strona& s, const SadDocument& sad, int strona, int stron) {
  Naglowek(s, sad, kNazwaFormularza, QStringLiteral("Strona odwrotna · ") + sad.tytul, false);
  const qreal half = kW / 2;
  for (int i = 0; i < 2; ++i) {
    const qreal x = kX + i * half, y = kFormTop;
    s.Pole(x, y, half, 48, QStringLiteral("55 Przeładunki"));
    s.Etykieta(x + 2, y + 5, QStringLiteral("Miejsce i kraj:"));
    s.Etykieta(x + 2, y + 15, QStringLiteral("Znaki i przynależność nowego środka transportu:"));
    s.Etykieta(x + 2, y + 25, QStringLiteral("Kontener (1 – tak, 0 – nie):"));
    s.Etykieta(x + 2, y + 35, QStringLiteral("Numery nowych kontenerów:"));
    s.Pole(x, y + 48, half, 30, QStringLiteral("F Poświadczenie właściwych władz"));
    s.Etykieta(x + 2, y + 53, QStringLiteral("Nowe zamknięcia: liczba / znaki:"));
    s.Etykieta(x + 2, y + 70, QStringLiteral("Miejsce, data, podpis i pieczęć:"));
  }
  const qreal y = kFormTop + 78;
  s.Pole(kX, y, kW, 40, QStringLiteral("56 Inne zdarzenia podczas przewozu"));
  s.Etykieta(kX + 2, y + 5, QStringLiteral("Szczegóły zdarzenia i podjęte działania:"));
  s.Pole(kX, y + 40, half, 32, QStringLiteral("G Poświadczenie właściwych władz"));
  s.Etykieta(kX + 2, y + 64, QStringLiteral("Miejsce, data, podpis i pieczęć:"));
  s.Pole(kX + half, y + 40, half, 32, QStringLiteral("H Adnotacje urzędu tranzytowego"));
  const qreal yi = y + 72;
  s.Pole(kX, yi, kW, kListaDol + 1 - yi, QStringLiteral("I KONTROLA PRZEZ URZĄD PRZEZNACZENIA"));
  s.Etykieta(kX + 2, yi + 6, QStringLiteral("Data przybycia:"));
  s.Etykieta(kX + 2, yi + 16, QStringLiteral("Kontrola zamknięć (nienaruszone / naruszone):"));
  s.Etykieta(kX + 2, yi + 26, QStringLiteral("Uwagi:"));
  s.Etykieta(kX + 2, yi + 55, QStringLiteral("Urząd, data, podpis i pieczęć:"));
  Stopka(s, strona, stron);
}

// The form's own sheets: the first and the continuations.
void Arkusze(Strona& s, const SadDocument& sad, int listy, int stron) {
  const int arkusze = SadLiczbaStron(sad);
  PierwszaStrona(s, sad, arkusze, listy, stron);
  for (int strona = 2; strona <= arkusze; ++strona) {
    s.NowaStrona();
    Kontynuacja(s, sad, strona, arkusze, stron, 1 + static_cast<size_t>(strona - 2) * kSadPozycjiNaKontynuacji);
  }
}

}  // namespace

bool SadPodmiot::IsEmpty() const {
  return nazwa.isEmpty() && ulica_numer.isEmpty() && kod_pocztowy.isEmpty() && miejscowosc.isEmpty() && kraj.isEmpty() &&
         tin.isEmpty();
}

QStringList SadPodmiot::Linie() const {
  QStringList l;
  if (!tin.isEmpty()) l << QStringLiteral("Nr ") + tin;
  if (!nazwa.isEmpty()) l << nazwa;
  if (!ulica_numer.isEmpty()) l << ulica_numer;
  const QString miasto = Join({Join({kod_pocztowy, miejscowosc}, QStringLiteral(" ")), kraj}, QStringLiteral(", "));
  if (!miasto.isEmpty()) l << miasto;
  return l;
}

QString SadPodmiot::Wiersz() const {
  QStringList l = Linie();
  if (!l.isEmpty() && !tin.isEmpty()) l.removeFirst();
  if (!tin.isEmpty()) l << QStringLiteral("Nr ") + tin;
  return l.join(QStringLiteral(", "));
}

int SadLiczbaStron(const SadDocument& sad) {
  const int dalsze = static_cast<int>(sad.towary.size()) - 1;
  return 1 + (dalsze > 0 ? (dalsze + kSadPozycjiNaKontynuacji - 1) / kSadPozycjiNaKontynuacji : 0);
}

bool TSAD_WYDRUK::PrintSAD(const SadDocument& sad, const QString& pdf_file, QString* error) {
  auto fail = [error](const QString& message) {
    if (error) *error = message;
    return false;
  };
  if (pdf_file.isEmpty()) return fail(QStringLiteral("Nie podano nazwy pliku PDF"));

  QSaveFile file(pdf_file);
  if (!file.open(QIODevice::WriteOnly))
    return fail(QStringLiteral("Nie można zapisać pliku %1: %2").arg(pdf_file, file.errorString()));
  bool drawn = false;
  {
    QPdfWriter writer(&file);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Portrait);
    // The form draws its own margins.
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setResolution(kDpi);
    writer.setTitle(QStringLiteral("SAD %1").arg(Or(sad.mrn, sad.numer_referencyjny)).trimmed());
    writer.setCreator(QStringLiteral("Velmora"));
    // A measuring pass first: what overflows its box decides how many loading lists follow.
    std::vector<Reszta> reszty;
    {
      Strona pomiar(writer, nullptr);
      Arkusze(pomiar, sad, 0, 0);
      reszty = pomiar.Reszty();
    }
    std::vector<int> strony_reszt;
    const std::vector<StronaListy> listy = Strona(writer, nullptr).Listy(reszty, &strony_reszt);
    QPainter painter;
    if (painter.begin(&writer)) {
      Strona s(writer, &painter, &strony_reszt);
      const int arkusze = SadLiczbaStron(sad), liczba_list = static_cast<int>(listy.size());
      const int stron = arkusze + liczba_list + 1;
      Arkusze(s, sad, liczba_list, stron);
      for (int i = 0; i < liczba_list; ++i) {
        s.NowaStrona();
        Lista(s, sad, listy[i], i + 1, liczba_list, arkusze + i + 1, stron);
      }
      s.NowaStrona();
      Rewers(s, sad, stron, stron);
      drawn = painter.end();
    }
  }
  // An inactive painter writes nothing; do not replace a good file with an empty one.
  if (!drawn || file.size() == 0) {
    file.cancelWriting();
    return fail(QStringLiteral("Nie udało się wydrukować dokumentu SAD do %1").arg(pdf_file));
  }
  if (!file.commit()) return fail(QStringLiteral("Nie można zapisać pliku %1: %2").arg(pdf_file, file.errorString()));
  return true;
}

void PokazPDF(const QString& pdf_file) {
  if (!pdf_file.isEmpty() && TConfigRptBox::OpenAfterPrint()) QDesktopServices::openUrl(QUrl::fromLocalFile(pdf_file));
}

}  // namespace velmora::host
