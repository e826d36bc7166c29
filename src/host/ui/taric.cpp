#include "host/ui/taric.h"

#include "host/db/db.h"
#include "host/ui/host_tables.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

#include <cmath>

namespace velmora::host {

QString SprawdzKodTowarowy(const QString& kod) {
  static const QRegularExpression kKod(QStringLiteral("^([0-9]{4}|[0-9]{6}|[0-9]{8})$"));
  const QString k = kod.trimmed();
  if (k.isEmpty() || kKod.match(k).hasMatch()) return {};
  return QStringLiteral("Kod towarowy musi mieć 4, 6 lub 8 cyfr");
}

std::optional<QString> TTARIC_BOX::SelectCN10(HostContext& ctx, const QString& initial, QWidget* parent) {
  const auto row = WybierzKodCN(ctx, initial, parent);
  if (!row) return std::nullopt;
  return row->Str(QStringLiteral("KOD")).trimmed().left(10);
}

std::optional<QString> TTARIC_BOX::SelectCN8(HostContext& ctx, const QString& initial, QWidget* parent) {
  const auto kod = SelectCN10(ctx, initial, parent);
  if (!kod) return std::nullopt;
  return kod->left(8);
}

std::optional<StawkiMaksymalne> TStawkiBox::MaxCloVat(Db& db, const QString& kod) {
  const QString k = kod.trimmed();
  if (k.isEmpty()) return std::nullopt;
  const auto row = db.QueryOne(QStringLiteral("select count(*) as ILE, max(MAX_CLO) as CLO, max(MAX_VAT) as VAT from TARIC where KOD like :K"),
                               {{QStringLiteral("K"), k + QLatin1Char('%')}});
  if (!row || row->Int(QStringLiteral("ILE")) == 0) return std::nullopt;
  return StawkiMaksymalne{row->Float(QStringLiteral("CLO")), row->Float(QStringLiteral("VAT"))};
}

WynikImportuTaric ImportujTaric(Db& db, const QString& text) {
  struct Kod {
    QString kod, opis;
    double clo, vat;
  };
  std::vector<Kod> kody;
  static const QRegularExpression kKod(QStringLiteral("^[0-9]{4,10}$"));
  const QStringList linie = text.split(QRegularExpression(QStringLiteral("\r?\n")));
  for (int i = 0; i < linie.size(); ++i) {
    const QString linia = linie[i].trimmed();
    if (linia.isEmpty() || (i == 0 && linia.startsWith(QStringLiteral("KOD"), Qt::CaseInsensitive))) continue;
    const QStringList pola = linia.split(QLatin1Char(';'));
    // "nan" and "inf" read as numbers but are no rates.
    auto liczba = [](QString t, bool* ok) {
      const double v = t.trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(ok);
      *ok = *ok && std::isfinite(v);
      return v;
    };
    bool ok_clo = false, ok_vat = false;
    const double clo = pola.size() == 4 ? liczba(pola[2], &ok_clo) : 0;
    const double vat = pola.size() == 4 ? liczba(pola[3], &ok_vat) : 0;
    if (pola.size() != 4 || !kKod.match(pola[0].trimmed()).hasMatch() || !ok_clo || !ok_vat || clo < 0 || vat < 0)
      return {0, QStringLiteral("Wiersz %1: oczekiwano KOD;OPIS;CŁO;VAT, kod z 4 do 10 cyfr i nieujemne stawki").arg(i + 1)};
    kody.push_back({pola[0].trimmed(), pola[1].trimmed().left(250), clo, vat});
  }
  Transaction tx(db);
  for (const Kod& k : kody) {
    db.Exec(QStringLiteral("delete from TARIC where KOD = :K"), {{QStringLiteral("K"), k.kod}});
    db.Exec(QStringLiteral("insert into TARIC (ID_TARIC, KOD, OPIS, MAX_CLO, MAX_VAT) values (:ID, :K, :O, :C, :V)"),
            {{QStringLiteral("ID"), db.DBGetNewID(QStringLiteral("GID_TARIC"))},
             {QStringLiteral("K"), k.kod},
             {QStringLiteral("O"), k.opis},
             {QStringLiteral("C"), k.clo},
             {QStringLiteral("V"), k.vat}});
  }
  tx.Commit();
  return {static_cast<int>(kody.size()), {}};
}

WynikImportuTaric ImportujTaric(Db& db, const QByteArray& bytes) {
  QString text;
  const QList<QByteArray> linie = (bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes).split('\n');
  for (int i = 0; i < linie.size(); ++i) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString linia = utf8(linie[i]);
    if (utf8.hasError()) return {0, QStringLiteral("Wiersz %1: tekst nie jest zapisany w kodowaniu UTF-8").arg(i + 1)};
    text += linia + QLatin1Char('\n');
  }
  return ImportujTaric(db, text);
}

QString TZabezpieczenieCALBox::DaneOZabazpieczeniuNaString(const QString& grn, const QString& waluta, double kwota) {
  const QString w = waluta.trimmed().toUpper();
  QString text = QString::number(std::round(kwota * 100.0) / 100.0, 'f', 2) + QStringLiteral("; ") + grn.trimmed();
  if (!w.isEmpty() && w != QLatin1String("PLN")) text += QLatin1Char(' ') + w;
  return text;
}

std::optional<ZabezpieczenieInfo> TZabezpieczenieCALBox::StringNaZabezpieczenieInfo(const QString& text) {
  const qsizetype sep = text.indexOf(QStringLiteral("; "));
  if (sep < 0) return std::nullopt;
  bool ok = false;
  ZabezpieczenieInfo info;
  info.kwota = text.left(sep).trimmed().toDouble(&ok);
  if (!ok) return std::nullopt;
  const QStringList reszta = text.mid(sep + 2).trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (reszta.isEmpty()) return std::nullopt;
  info.grn = reszta[0];
  if (reszta.size() > 1) info.waluta = reszta[1];
  return info;
}

}  // namespace velmora::host
