#pragma once

#include "host/xml/group.h"

#include <QString>
#include <QStringList>

namespace velmora::departure {

inline constexpr int kMaksZamkniec = 9999;        // the most seals the message carries
inline constexpr int kDlugoscZnaku = 20;          // a seal identifier
inline constexpr int kDlugoscNakladajacego = 35;  // "Nakładający:"

// The customs seals of a declaration (an IE015 or IE013 root) as the seals box shows them:
// the identifiers one per line and who applied them.
class ZamknieciaCelne {
 public:
  explicit ZamknieciaCelne(xml::Group deklaracja) : deklaracja_(std::move(deklaracja)) {}

  QString Linie() const;
  QString Nakladajacy() const;
  int Liczba() const;

  // The identifiers a memo text gives: its non-empty lines trimmed, each cut to 20 characters.
  static QStringList Znaki(const QString& linie);
  // The refusal of a memo text (more than 99 identifiers); empty when it can be written.
  static QString Sprawdz(const QString& linie);

  // The confirmation: the applying party and the seal list written anew, Liczba the count;
  // nothing left at all removes the seals element. False, with nothing written, when refused.
  bool Zapisz(const QString& linie, const QString& nakladajacy);

 private:
  xml::Group deklaracja_;
};

}  // namespace velmora::departure
