#include "sad_print.h"

#include "code128.h"
#include "config_rpt_box.h"

#include <QDesktopServices>
#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QSaveFile>
#include <QUrl>

#include <array>

namespace velmora::host {

namespace {

constexpr const char* kFont = "DejaVu Sans";
constexpr int kDpi = 300;
constexpr qreal kCaptionPt = 5.5;
// The content of a box shrinks through these sizes until it fits; what still does not is cut.
constexpr std::array<qreal, 4> kContentPt{8.5, 7.5, 6.5, 5.5};

constexpr qreal kX = 10;      // the form's left edge, mm
constexpr qreal kW = 190;     // its width
constexpr qreal kMid = 105;   // left and right halves of the upper boxes
constexpr qreal kItemX = 135; // the item block's right column
constexpr qreal kItemH = 60;  // one goods item block
constexpr qreal kFormTop = 30;

QString Or(const QString& a, const QString& b) { return a.isEmpty() ? b : a; }

QString Join(const QStringList& parts, const QString& sep) {
  QStringList kept;
  for (const QString& p : parts)
    if (!p.trimmed().isEmpty()) kept << p.trimmed();
  return kept.join(sep);
}

// A page drawn in millimetres from its top left corner.
class Strona {
 public:
  explicit Strona(QPainter& p) : p_(p), k_(kDpi / 25.4) {}

  QRectF R(qreal x, qreal y, qreal w, qreal h) const { return QRectF(x * k_, y * k_, w * k_, h * k_); }

  void Tekst(const QRectF& mm, const QString& text, qreal pt, int flags, bool bold = false) {
    p_.setFont(Font(pt, bold));
    p_.drawText(R(mm.x(), mm.y(), mm.width(), mm.height()), flags, text);
  }

  // A numbered box of the form: its frame, its caption and its content fitted inside.
  void Pole(qreal x, qreal y, qreal w, qreal h, const QString& caption, const QString& text) {
    p_.setPen(QPen(Qt::black, 0.2 * k_));
    p_.setBrush(Qt::NoBrush);
    p_.drawRect(R(x, y, w, h));
    Tekst(QRectF(x + 0.8, y + 0.4, w - 1.6, 2.8), caption, kCaptionPt, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine);
    if (text.isEmpty()) return;
    const QRectF area = R(x + 1.2, y + 3.2, w - 2.4, h - 3.6);
    constexpr int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    for (const qreal pt : kContentPt) {
      p_.setFont(Font(pt, false));
      if (p_.boundingRect(area, flags, text).height() <= area.height() || pt == kContentPt.back()) break;
    }
    p_.save();
    p_.setClipRect(area);
    p_.drawText(area, flags, text);
    p_.restore();
  }
  void Pole(qreal x, qreal y, qreal w, qreal h, const QString& caption, const QStringList& lines) {
    Pole(x, y, w, h, caption, Join(lines, QStringLiteral("\n")));
  }

  void Kod(const QRectF& mm, const Code128& code) { PaintCode128(p_, R(mm.x(), mm.y(), mm.width(), mm.height()), code); }

 private:
  QFont Font(qreal pt, bool bold) const {
    QFont f(QString::fromLatin1(kFont));
    f.setPointSizeF(pt);
    f.setBold(bold);
    return f;
  }

  QPainter& p_;
  qreal k_;  // device dots per millimetre
};

QString Liczba(const SadDocument& sad) {
  return Or(sad.liczba_pozycji, QString::number(sad.towary.size()));
}

QString Formularze(int strona, int stron) { return QStringLiteral("%1/%2").arg(strona).arg(stron); }

// The heading: the form's name, the document and, once there is one, the MRN.
void Naglowek(Strona& s, const SadDocument& sad, bool z_kodem, bool kontynuacja) {
  s.Tekst(QRectF(kX, 10, 100, 7), QStringLiteral("SAD – ZGŁOSZENIE TRANZYTOWE"), 11, Qt::AlignLeft | Qt::AlignTop, true);
  s.Tekst(QRectF(kX, 18, 100, 5), kontynuacja ? QStringLiteral("Kontynuacja · ") + sad.tytul : sad.tytul, 8, Qt::AlignLeft | Qt::AlignTop);
  if (sad.mrn.isEmpty()) return;
  const Code128 code = z_kodem ? Code128B(sad.mrn) : Code128();
  if (!code.IsNull()) {
    s.Kod(QRectF(115, 9, 85, 12), code);
    s.Tekst(QRectF(115, 21.5, 85, 5), QStringLiteral("MRN: ") + sad.mrn, 9, Qt::AlignHCenter | Qt::AlignTop, true);
  } else {
    s.Tekst(QRectF(115, 12, 85, 5), QStringLiteral("MRN: ") + sad.mrn, 9, Qt::AlignRight | Qt::AlignTop, true);
  }
}

void Stopka(Strona& s, int strona, int stron) {
  s.Tekst(QRectF(kX, 284, kW, 4), QStringLiteral("Strona %1 z %2").arg(strona).arg(stron), 7, Qt::AlignRight | Qt::AlignTop);
}

QStringList Opis31(const SadTowar& t) {
  QStringList l{t.opis};
  l << t.opakowania;
  if (!t.kontenery.isEmpty()) l << QStringLiteral("Kontenery: ") + t.kontenery.join(QStringLiteral(", "));
  if (!t.deklaracja.isEmpty()) l << QStringLiteral("Deklaracja: ") + t.deklaracja;
  if (!t.kraj_wysylki.isEmpty() || !t.kraj_przeznaczenia.isEmpty())
    l << QStringLiteral("Kraj wysyłki / przeznaczenia: %1 / %2").arg(t.kraj_wysylki, t.kraj_przeznaczenia);
  if (!t.nadawca.IsEmpty()) l << QStringLiteral("Nadawca: ") + t.nadawca.Wiersz();
  if (!t.odbiorca.IsEmpty()) l << QStringLiteral("Odbiorca: ") + t.odbiorca.Wiersz();
  return l;
}

// Boxes 31 to 44 of one goods item.
void Towar(Strona& s, qreal y, const SadTowar& t) {
  const qreal wl = kItemX - kX, wr = kX + kW - kItemX;
  s.Pole(kX, y, wl, 34, QStringLiteral("31 Opakowania i opis towarów"), Opis31(t));
  s.Pole(kItemX, y, 20, 10, QStringLiteral("32 Pozycja nr"), QString::number(t.pozycja));
  s.Pole(kItemX + 20, y, wr - 20, 10, QStringLiteral("33 Kod towaru"), t.kod_towarowy);
  s.Pole(kItemX, y + 10, wr, 12, QStringLiteral("35 Masa brutto (kg)"), t.masa_brutto);
  s.Pole(kItemX, y + 22, wr, 12, QStringLiteral("38 Masa netto (kg)"), t.masa_netto);
  s.Pole(kX, y + 34, wl, kItemH - 34, QStringLiteral("44 Informacje dodatkowe/Przedstawione dokumenty"), t.informacje);
  s.Pole(kItemX, y + 34, wr, kItemH - 34, QStringLiteral("40 Dokument poprzedni"), t.dokumenty_poprzednie);
}

void PierwszaStrona(Strona& s, const SadDocument& sad, int stron) {
  Naglowek(s, sad, true, false);
  const qreal y = kFormTop, wl = kMid - kX, wr = kX + kW - kMid, half = wr / 2;
  s.Pole(kX, y, wl, 22, QStringLiteral("2 Nadawca/Eksporter"), sad.nadawca.Linie());
  s.Pole(kMid, y, 30, 11, QStringLiteral("1 DEKLARACJA"), sad.deklaracja);
  s.Pole(kMid + 30, y, wr - 30, 11, QStringLiteral("7 Numer referencyjny"), sad.numer_referencyjny);
  s.Pole(kMid, y + 11, 30, 11, QStringLiteral("3 Formularze"), Formularze(1, stron));
  s.Pole(kMid + 30, y + 11, 30, 11, QStringLiteral("5 Pozycje"), Liczba(sad));
  s.Pole(kMid + 60, y + 11, wr - 60, 11, QStringLiteral("6 Liczba opakowań"), sad.liczba_opakowan);

  s.Pole(kX, y + 22, wl, 22, QStringLiteral("8 Odbiorca"), sad.odbiorca.Linie());
  s.Pole(kMid, y + 22, half, 11, QStringLiteral("15 Kraj wysyłki/eksportu"), sad.kraj_wysylki);
  s.Pole(kMid + half, y + 22, half, 11, QStringLiteral("17 Kraj przeznaczenia"), sad.kraj_przeznaczenia);
  s.Pole(kMid, y + 33, 20, 11, QStringLiteral("19 Kontener"), sad.kontener ? QStringLiteral("1") : QStringLiteral("0"));
  s.Pole(kMid + 20, y + 33, wr - 20, 11, QStringLiteral("27 Miejsce załadunku"), sad.miejsce_zaladunku);

  s.Pole(kX, y + 44, wl, 10, QStringLiteral("18 Znaki i przynależność środka transportu przy wyjeździe"), sad.transport_wyjazd);
  s.Pole(kMid, y + 44, half, 10, QStringLiteral("30 Lokalizacja towarów"), sad.lokalizacja);
  s.Pole(kMid + half, y + 44, half, 10, QStringLiteral("Masa brutto ogółem (kg)"), sad.masa_brutto);
  s.Pole(kX, y + 54, wl, 10, QStringLiteral("21 Znaki i przynależność środka transportu na granicy"), sad.transport_granica);
  s.Pole(kMid, y + 54, half, 10, QStringLiteral("25 Rodzaj transportu na granicy"), sad.rodzaj_transportu_granica);
  s.Pole(kMid + half, y + 54, half, 10, QStringLiteral("26 Rodzaj transportu wewnętrznego"), sad.rodzaj_transportu_wewnetrzny);

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
  s.Pole(kItemX, yl, wir, 28, QStringLiteral("C URZĄD WYJŚCIA"), sad.uc_wyjscia);
  s.Pole(kX, yl + 28, wi, 14, QStringLiteral("51 Przewidziane urzędy tranzytowe (i kraj)"), sad.uc_tranzytowe.join(QStringLiteral(", ")));
  s.Pole(kItemX, yl + 28, wir, 14, QStringLiteral("53 Urząd przeznaczenia (i kraj)"), sad.uc_przeznaczenia);
  s.Pole(kX, yl + 42, wi, 18, QStringLiteral("52 Gwarancja"), sad.gwarancje);
  s.Pole(kItemX, yl + 42, wir, 18, QStringLiteral("Upoważniony odbiorca"), sad.upowazniony_odbiorca);

  QStringList kontrola;
  if (!sad.wynik_kontroli.isEmpty()) kontrola << QStringLiteral("Wynik: ") + sad.wynik_kontroli;
  if (sad.liczba_zamkniec > 0 || !sad.zamkniecia.isEmpty())
    kontrola << QStringLiteral("Zamknięcia nałożone: liczba %1, znaki: %2")
                    .arg(sad.liczba_zamkniec > 0 ? sad.liczba_zamkniec : static_cast<int>(sad.zamkniecia.size()))
                    .arg(sad.zamkniecia.join(QStringLiteral(", ")));
  if (!sad.nakladajacy.isEmpty()) kontrola << QStringLiteral("Nakładający: ") + sad.nakladajacy;
  if (!sad.termin_dostarczenia.isEmpty()) kontrola << QStringLiteral("Termin (ostateczny): ") + sad.termin_dostarczenia;
  s.Pole(kX, yl + 60, kW, 26, QStringLiteral("D KONTROLA PRZEZ URZĄD WYJŚCIA"), kontrola);
  Stopka(s, 1, stron);
}

void Kontynuacja(Strona& s, const SadDocument& sad, int strona, int stron, size_t od) {
  Naglowek(s, sad, false, true);
  const qreal y = kFormTop, wl = kMid - kX, wr = kX + kW - kMid;
  s.Pole(kX, y, wl, 22, QStringLiteral("2 Nadawca/Eksporter"), sad.nadawca.Linie());
  s.Pole(kMid, y, 30, 11, QStringLiteral("1 DEKLARACJA"), sad.deklaracja);
  s.Pole(kMid, y + 11, 30, 11, QStringLiteral("3 Formularze"), Formularze(strona, stron));
  s.Pole(kMid + 30, y, wr - 30, 22, QStringLiteral("8 Odbiorca"), sad.odbiorca.Linie());
  qreal yt = y + 26;
  for (size_t i = od; i < sad.towary.size() && i < od + kSadPozycjiNaKontynuacji; ++i, yt += kItemH) Towar(s, yt, sad.towary[i]);
  Stopka(s, strona, stron);
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
    QPainter painter;
    if (painter.begin(&writer)) {
      Strona s(painter);
      const int stron = SadLiczbaStron(sad);
      PierwszaStrona(s, sad, stron);
      for (int strona = 2; strona <= stron; ++strona) {
        writer.newPage();
        Kontynuacja(s, sad, strona, stron, 1 + static_cast<size_t>(strona - 2) * kSadPozycjiNaKontynuacji);
      }
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
