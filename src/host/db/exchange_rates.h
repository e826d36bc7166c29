#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <vector>

namespace velmora::xml {
class XmlDocument;
}

namespace velmora::host {

class Clock;
class CurrentUser;
class Db;
class TToolsDB;

// Tables WALUTY, TABELA_KURSY and KURSY.
void ExchangeRatesSchema(TToolsDB& tools);

// A rate of one currency: `kurs` złoty for `przelicznik` units.
struct Kurs {
  QString waluta;
  QDate data;
  int przelicznik = 1;
  double kurs = 0.0;
  QString tabela;  // number of the rate table; empty for the złoty itself
  double KursZaJednostke() const { return kurs / przelicznik; }
};

struct Waluta {
  int id = 0;
  QString kod;
  QString nazwa;
  bool aktywna = true;
};

struct ImportResult {
  int tabele = 0;          // rate tables stored
  int kursy = 0;           // rates stored
  QStringList pominiete;   // numbers of tables already imported before
};

// A rate file that cannot be imported; nothing of it has been stored.
class ExchangeRatesError : public std::runtime_error {
 public:
  explicit ExchangeRatesError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
  const QString& Text() const { return text_; }

 private:
  QString text_;
};

class ExchangeRates {
 public:
  ExchangeRates(Db& db, const CurrentUser& user, const Clock& clock) : db_(db), user_(user), clock_(clock) {}

  // The rate in force on `date`: the latest one dated on or before it.
  std::optional<Kurs> GetKursy(const QString& waluta, const QDate& date);

  // One file of mid rates (table A), in the current or in the older layout; all or nothing.
  ImportResult ImportTabelaA(const QString& file_name);
  ImportResult ImportTabelaAXml(const QString& xml_text);

  std::vector<Waluta> ListWaluty();

 private:
  ImportResult ImportDocument(const xml::XmlDocument& doc);

  Db& db_;
  const CurrentUser& user_;
  const Clock& clock_;
};

}  // namespace velmora::host
