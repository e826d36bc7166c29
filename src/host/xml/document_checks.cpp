#include "document_checks.h"

#include "messages.h"

#include <QStringDecoder>
#include <QStringList>

namespace velmora::xml {

QString DecodeXmlBytes(const QByteArray& bytes) {
  // Read whole to know it is well-formed in its encoding, but no tree kept below the root.
  static const QStringList kNone;
  const QString encoding = XmlDocument::ParseBytes(bytes, &kNone)->Encoding();
  if (!encoding.isEmpty() && encoding.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0) {
    QStringDecoder decoder(encoding.toLatin1().constData());
    // An encoding libxml2 reads and Qt does not: the document as libxml2 read it.
    return decoder.isValid() ? QString(decoder(bytes)) : XmlDocument::ParseBytes(bytes)->ToXml();
  }
  QString text = QString::fromUtf8(bytes);
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  return text;
}

QString ForeignNamespace(const XmlNode& root) {
  const MessageType* type = FindMessageTypeByRoot(root.LocalName());
  const QString ns = root.NamespaceURI();
  return !type || ns.isEmpty() || ns == type->ns ? QString() : ns;
}

namespace {

// The root element's local name at the start of a document, past the declaration, comments and
// processing instructions; empty when it cannot be told (another encoding, no root yet).
QString PeekRootName(const QByteArray& head) {
  qsizetype i = 0;
  while ((i = head.indexOf('<', i)) >= 0 && i + 1 < head.size()) {
    const char c = head[i + 1];
    if (c == '?' || c == '!') {
      const qsizetype end = head.indexOf(c == '?' ? "?>" : (head.mid(i, 4) == "<!--" ? "-->" : ">"), i + 2);
      if (end < 0) return {};
      i = end + 1;
      continue;
    }
    qsizetype end = i + 1;
    while (end < head.size() && !QByteArray(" \t\r\n/>").contains(head[end])) ++end;
    return QString::fromUtf8(head.mid(i + 1, end - i - 1)).section(QLatin1Char(':'), -1);
  }
  return {};
}

}  // namespace

QString OversizeRefusal(const QByteArray& head, qint64 size) {
  constexpr qint64 kLong = 64ll << 20;
  constexpr qint64 kShort = 4ll << 20;
  static const QStringList kWithGoods{QStringLiteral("IE007"), QStringLiteral("IE013"), QStringLiteral("IE015"), QStringLiteral("IE029"),
                                      QStringLiteral("IE043"), QStringLiteral("IE044"), QStringLiteral("IE051")};
  const QString root = PeekRootName(head);
  // A root that cannot be told yet gets the largest limit; the parser judges the rest.
  const qint64 limit = root.isEmpty() || kWithGoods.contains(root) ? kLong : kShort;
  if (size <= limit) return {};
  return QStringLiteral("Dokument %1 jest za duży: %2 MB, dopuszczalne %3 MB")
      .arg(root.isEmpty() ? QStringLiteral("XML") : root)
      .arg((size + (1 << 20) - 1) >> 20)
      .arg(limit >> 20);
}

}  // namespace velmora::xml
