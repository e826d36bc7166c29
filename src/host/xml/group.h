#pragma once

#include "xml_document.h"

#include <QString>

#include <initializer_list>
#include <vector>

namespace velmora::xml {

struct GroupDesc;

enum class FieldKind {
  Attribute,  // an attribute of the group's element
  Element,    // a child element holding text
  Group,      // a child element holding a group of its own
};

// One attribute or child element of a group, in schema order.
struct FieldDesc {
  QString name;
  FieldKind kind = FieldKind::Attribute;
  const GroupDesc* group = nullptr;  // for FieldKind::Group
  bool repeated = false;
};

// One element of a message schema: its name and its fields in schema order. A description
// serves typed access, creation in schema order and group-by-group copying alike.
struct GroupDesc {
  QString name;
  std::vector<FieldDesc> fields;

  const FieldDesc* Find(const QString& field) const;
  int IndexOf(const QString& field) const;
};

inline FieldDesc Attr(const char* name) { return {QString::fromUtf8(name), FieldKind::Attribute, nullptr, false}; }
inline FieldDesc Elem(const char* name, bool repeated = false) {
  return {QString::fromUtf8(name), FieldKind::Element, nullptr, repeated};
}
inline FieldDesc Sub(const GroupDesc& group, bool repeated = false) {
  return {group.name, FieldKind::Group, &group, repeated};
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

// Copies `from` into `to` field by field in schema order: attributes and texts that are
// present in `from`, sub-groups recursively (repeated ones appended). Both must share a description.
void CopyGroup(const Group& from, Group& to);

}  // namespace velmora::xml
