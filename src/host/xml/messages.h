#pragma once

#include "bodies.h"
#include "group.h"
#include "xml_document.h"

#include <QString>

#include <vector>

namespace velmora::xml {

enum class Direction { Outgoing, Incoming };

// One message type of the exchange: its code as stored in the database, the root element
// (name as written, with a prefix where the document carries one), its namespace and direction.
struct MessageType {
  QString code;
  QString root;
  QString ns;
  Direction direction;
  const GroupDesc* root_desc;
};

// Namespace of the types shared by every message schema (the return channel ...).
extern const QString kTypyNamespace;

const std::vector<MessageType>& MessageTypes();
const MessageType* FindMessageType(const QString& code);
// By the root element's local name ("IE015", "UPO", "Dokument" for the platform notices).
const MessageType* FindMessageTypeByRoot(const QString& local_name);

class Naglowek : public Group {
 public:
  Naglowek() = default;
  explicit Naglowek(Group g) : Group(std::move(g)) {}
  QString NrWlasny() const { return Get(QStringLiteral("NrWlasny")); }
  void SetNrWlasny(const QString& v) { Set(QStringLiteral("NrWlasny"), v); }
  QString DataUtworzenia() const { return Get(QStringLiteral("DataUtworzenia")); }
  void SetDataUtworzenia(const QString& v) { Set(QStringLiteral("DataUtworzenia"), v); }
  QString MRN() const { return Get(QStringLiteral("MRN")); }
  void SetMRN(const QString& v) { Set(QStringLiteral("MRN"), v); }
  QString NrWlasnyKomunikatuPowiazanego() const { return Get(QStringLiteral("NrWlasnyKomunikatuPowiazanego")); }
  void SetNrWlasnyKomunikatuPowiazanego(const QString& v) { Set(QStringLiteral("NrWlasnyKomunikatuPowiazanego"), v); }
  QString LRN() const { return Get(QStringLiteral("LRN")); }
  void SetLRN(const QString& v) { Set(QStringLiteral("LRN"), v); }
};

// A message document bound to its type.
class Message {
 public:
  Message() = default;
  Message(XmlDocumentPtr doc, const MessageType* type);

  bool IsNull() const { return doc_ == nullptr; }
  const MessageType& Type() const { return *type_; }
  const XmlDocumentPtr& Document() const { return doc_; }
  Group Root() const;
  // The header, null when the document has none; EnsureNaglowek creates it.
  Naglowek GetNaglowek() const;
  Naglowek EnsureNaglowek();
  QString Xml() const { return doc_->ToXml(); }

 private:
  XmlDocumentPtr doc_;
  const MessageType* type_ = nullptr;
};

class BindingError : public std::runtime_error {
 public:
  explicit BindingError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
  const QString& Text() const { return text_; }

 private:
  QString text_;
};

// A new document of the type holding only its root with its namespaces.
Message NewMessage(const QString& code);
// The parsed document bound to the type; BindingError when its root is another message.
Message GetMessage(const XmlDocumentPtr& doc, const QString& code);
// The type named by the document's root; BindingError when no type has that root.
Message GetAnyMessage(const XmlDocumentPtr& doc);
Message LoadMessage(const QString& file_name, const QString& code);

// The per-type names: GetIE015(doc), NewIE015(), LoadIE015(file) ...
#define VELMORA_MESSAGE_ACCESS(CODE)                                                        \
  inline Message Get##CODE(const XmlDocumentPtr& doc) { return GetMessage(doc, QStringLiteral(#CODE)); } \
  inline Message New##CODE() { return NewMessage(QStringLiteral(#CODE)); }                  \
  inline Message Load##CODE(const QString& file) { return LoadMessage(file, QStringLiteral(#CODE)); }

VELMORA_MESSAGE_ACCESS(IE004)
VELMORA_MESSAGE_ACCESS(IE005)
VELMORA_MESSAGE_ACCESS(IE007)
VELMORA_MESSAGE_ACCESS(IE008)
VELMORA_MESSAGE_ACCESS(IE009)
VELMORA_MESSAGE_ACCESS(IE013)
VELMORA_MESSAGE_ACCESS(IE014)
VELMORA_MESSAGE_ACCESS(IE015)
VELMORA_MESSAGE_ACCESS(IE016)
VELMORA_MESSAGE_ACCESS(IE025)
VELMORA_MESSAGE_ACCESS(IE028)
VELMORA_MESSAGE_ACCESS(IE029)
VELMORA_MESSAGE_ACCESS(IE043)
VELMORA_MESSAGE_ACCESS(IE044)
VELMORA_MESSAGE_ACCESS(IE045)
VELMORA_MESSAGE_ACCESS(IE051)
VELMORA_MESSAGE_ACCESS(IE054)
VELMORA_MESSAGE_ACCESS(IE055)
VELMORA_MESSAGE_ACCESS(IE058)
VELMORA_MESSAGE_ACCESS(IE060)
VELMORA_MESSAGE_ACCESS(IE062)
VELMORA_MESSAGE_ACCESS(IE140)
VELMORA_MESSAGE_ACCESS(IE141)
VELMORA_MESSAGE_ACCESS(IE906)
VELMORA_MESSAGE_ACCESS(IE928)
VELMORA_MESSAGE_ACCESS(UPO)
VELMORA_MESSAGE_ACCESS(UPP)
VELMORA_MESSAGE_ACCESS(NPP)

#undef VELMORA_MESSAGE_ACCESS

}  // namespace velmora::xml
