#pragma once

#include "xml_document.h"

#include <QString>

#include <functional>
#include <initializer_list>
#include <vector>

namespace velmora::xml {

struct GroupDesc;

enum class FieldKind {
  Attribute,  // an attribute of the group's element
  Element,    // a child element holding text
  Group,      // a child element holding a group of its own
};

// The simple type of a value, as the schema restricts it.
enum class ValueType { Text, Integer, Decimal, Date, DateTime, Flag };

// How a value is treated when a message is copied into its sendable form.
enum CopyRule : unsigned {
  kCopyAsIs = 0,
  kCopyMasa = 1,   // a mass: re-read and written with three decimals
  kCopyAscii = 2,  // Polish letters replaced by their plain Latin ones
  kCopyUpper = 4,  // a code: upper case
};

// One attribute or child element of a group, in schema order, with what the schema allows
// in it. The chained setters keep the tables of descriptions readable.
struct FieldDesc {
  QString name;
  FieldKind kind = FieldKind::Attribute;
  const GroupDesc* group = nullptr;  // for FieldKind::Group
  bool repeated = false;
  ValueType type = ValueType::Text;
  int length = 0;    // text: most characters; numbers: most digits; 0 = no limit
  int fraction = 0;  // decimals: most digits after the point
  bool required = false;
  int max_occurs = 0;  // repeated: most occurrences; 0 = unbounded
  unsigned copy = kCopyAsIs;
  // Sent in the shared types' namespace: the sending routine moves it there (it may also be
  // left in the message's own).
  bool typy = false;
  QByteArray key;  // the name in UTF-8, as the document model takes it
  bool local = false;  // the agency's own data: kept with the document, never sent

  FieldDesc Len(int n) const { FieldDesc f = *this; f.length = n; return f; }
  FieldDesc Req() const { FieldDesc f = *this; f.required = true; return f; }
  FieldDesc Int(int digits) const { FieldDesc f = *this; f.type = ValueType::Integer; f.length = digits; return f; }
  FieldDesc Dec(int digits, int frac) const {
    FieldDesc f = *this; f.type = ValueType::Decimal; f.length = digits; f.fraction = frac; return f;
  }
  FieldDesc Date() const { FieldDesc f = *this; f.type = ValueType::Date; return f; }
  FieldDesc DateTime() const { FieldDesc f = *this; f.type = ValueType::DateTime; return f; }
  FieldDesc Flag() const { FieldDesc f = *this; f.type = ValueType::Flag; return f; }
  FieldDesc Masa() const { FieldDesc f = Dec(16, 3); f.copy |= kCopyMasa; return f; }
  FieldDesc Ascii() const { FieldDesc f = *this; f.copy |= kCopyAscii; return f; }
  FieldDesc Upper() const { FieldDesc f = *this; f.copy |= kCopyUpper; return f; }
  FieldDesc Max(int n) const { FieldDesc f = *this; f.max_occurs = n; return f; }
  FieldDesc Typy() const { FieldDesc f = *this; f.typy = true; return f; }
  FieldDesc Lokalne() const { FieldDesc f = *this; f.local = true; return f; }
};

// One element of a message schema: its name and its fields in schema order. A description
// serves typed access, creation in schema order and group-by-group copying alike.
struct GroupDesc {
  QString name;
  std::vector<FieldDesc> fields;

  const FieldDesc* Find(const QString& field) const;
  int IndexOf(const QString& field) const;
};

inline FieldDesc Attr(const char* name) {
  FieldDesc f;
  f.name = QString::fromUtf8(name);
  f.key = name;
  return f;
}
inline FieldDesc Elem(const char* name, bool repeated = false) {
  FieldDesc f;
  f.name = QString::fromUtf8(name);
  f.kind = FieldKind::Element;
  f.repeated = repeated;
  f.key = name;
  return f;
}
inline FieldDesc Sub(const GroupDesc& group, bool repeated = false) {
  FieldDesc f;
  f.name = group.name;
  f.kind = FieldKind::Group;
  f.group = &group;
  f.repeated = repeated;
  f.key = group.name.toUtf8();
  return f;
}

// Typed access to one element of a document through its description. Elements are read by
// their local names, so documents with and without the published namespaces read alike.
class Group {
 public:
  Group() = default;
  Group(XmlDocumentPtr doc, XmlNode node, const GroupDesc* desc)
      : doc_(std::move(doc)), node_(node), desc_(desc) {}

  bool IsNull() const { return node_.IsNull(); }
  explicit operator bool() const { return !node_.IsNull(); }
  XmlNode Node() const { return node_; }
  const GroupDesc* Desc() const { return desc_; }
  const XmlDocumentPtr& Document() const { return doc_; }

  // The attribute or element text of a field; empty when absent.
  QString Get(const QString& field) const;
  // Sets an attribute or element text, creating the element in schema order.
  void Set(const QString& field, const QString& value);
  // Sets a non-empty value; an empty one removes the field.
  void SetOrRemove(const QString& field, const QString& value);
  bool Has(const QString& field) const;
  void Remove(const QString& field);

  // Sub-groups: the first one (null when absent), created on demand, all of them, a new one
  // placed after the last of its kind.
  Group Get(const GroupDesc& sub) const;
  Group Ensure(const GroupDesc& sub);
  std::vector<Group> List(const GroupDesc& sub) const;
  int Count(const GroupDesc& sub) const { return static_cast<int>(List(sub).size()); }
  Group Add(const GroupDesc& sub);

 private:
  const FieldDesc& Field(const QString& name) const;
  XmlNode CreateChild(const FieldDesc& field);

  XmlDocumentPtr doc_;
  XmlNode node_;
  const GroupDesc* desc_ = nullptr;
};

// Rewrites a value on its way from one document to another; answers the value to write.
using ValueFilter = std::function<QString(const FieldDesc& field, const QString& value)>;

// Copies `from` into `to` field by field in schema order: attributes and texts that are
// present in `from`, sub-groups recursively (repeated ones appended); the values of fields
// with copy rules pass through `filter` when one is given. Both must share a description.
// With `only_sent` the agency's own data (local fields) stays behind.
void CopyGroup(const Group& from, Group& to, const ValueFilter& filter = {}, bool only_sent = false);

}  // namespace velmora::xml
