#include "group.h"

#include <libxml/tree.h>

#include <stdexcept>

namespace velmora::xml {

const FieldDesc* GroupDesc::Find(const QString& field) const {
  for (const FieldDesc& f : fields)
    if (f.name == field) return &f;
  return nullptr;
}

int GroupDesc::IndexOf(const QString& field) const {
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i].name == field) return static_cast<int>(i);
  return -1;
}

const FieldDesc& Group::Field(const QString& name) const {
  const FieldDesc* f = desc_ ? desc_->Find(name) : nullptr;
  if (!f)
    throw std::logic_error(QStringLiteral("Element %1 nie ma pola %2")
                               .arg(desc_ ? desc_->name : QStringLiteral("?"), name)
                               .toStdString());
  return *f;
}

QString Group::Get(const QString& field) const {
  if (node_.IsNull()) return {};
  const FieldDesc& f = Field(field);
  if (f.kind == FieldKind::Attribute) return node_.Attribute(f.name);
  const XmlNode child = node_.ChildByLocalName(f.name);
  return child ? child.Text() : QString();
}

bool Group::Has(const QString& field) const {
  if (node_.IsNull()) return false;
  const FieldDesc& f = Field(field);
  if (f.kind == FieldKind::Attribute) return node_.HasAttribute(f.name);
  return !node_.ChildByLocalName(f.name).IsNull();
}

XmlNode Group::CreateChild(const FieldDesc& field) {
  // Place the new element before the first child that the schema puts after it.
  const int index = desc_->IndexOf(field.name);
  // Filling in schema order appends: look at the last child first.
  const XmlNode last = node_.LastChild();
  if (last.IsNull() || desc_->IndexOf(last.LocalName()) <= index) return node_.AppendChild(field.name);
  XmlNode before;
  for (XmlNode c = node_.FirstChild(); c; c = c.NextSibling()) {
    const int ci = desc_->IndexOf(c.LocalName());
    if (ci > index) {
      before = c;
      break;
    }
  }
  return node_.InsertChildBefore(field.name, before);
}

void Group::Set(const QString& field, const QString& value) {
  if (node_.IsNull()) throw std::logic_error("Group::Set on a missing element");
  const FieldDesc& f = Field(field);
  if (f.kind == FieldKind::Attribute) {
    node_.SetAttribute(f.name, value);
    return;
  }
  XmlNode child = node_.ChildByLocalName(f.name);
  if (!child) child = CreateChild(f);
  child.SetText(value);
}

void Group::SetOrRemove(const QString& field, const QString& value) {
  if (value.isEmpty()) Remove(field);
  else Set(field, value);
}

void Group::Remove(const QString& field) {
  if (node_.IsNull()) return;
  const FieldDesc& f = Field(field);
  if (f.kind == FieldKind::Attribute) {
    node_.RemoveAttribute(f.name);
    return;
  }
  for (XmlNode c : node_.ChildrenByLocalName(f.name)) XML_RemoveNode(c);
}

Group Group::Get(const GroupDesc& sub) const {
  if (node_.IsNull()) return {};
  return Group(doc_, node_.ChildByLocalName(sub.name), &sub);
}

Group Group::Ensure(const GroupDesc& sub) {
  Group g = Get(sub);
  if (g) return g;
  return Add(sub);
}

std::vector<Group> Group::List(const GroupDesc& sub) const {
  std::vector<Group> out;
  if (node_.IsNull()) return out;
  for (XmlNode c : node_.ChildrenByLocalName(sub.name)) out.emplace_back(doc_, c, &sub);
  return out;
}

Group Group::Add(const GroupDesc& sub) {
  if (node_.IsNull()) throw std::logic_error("Group::Add on a missing element");
  return Group(doc_, CreateChild(Field(sub.name)), &sub);
}

void CopyGroup(const Group& from, Group& to, const ValueFilter& filter, bool only_sent) {
  if (from.IsNull() || to.IsNull()) return;
  const GroupDesc* desc = from.Desc();
  for (const FieldDesc& f : desc->fields) {
    if (only_sent && f.local) continue;
    switch (f.kind) {
      case FieldKind::Attribute: {
        // Straight from attribute to attribute: a copy moves many of them.
        xmlChar* value = xmlGetNoNsProp(from.Node().Raw(), reinterpret_cast<const xmlChar*>(f.key.constData()));
        if (!value) break;
        if (filter && f.copy != kCopyAsIs) {
          to.Set(f.name, filter(f, QString::fromUtf8(reinterpret_cast<const char*>(value))));
        } else {
          xmlSetProp(to.Node().Raw(), reinterpret_cast<const xmlChar*>(f.key.constData()), value);
        }
        xmlFree(value);
        break;
      }
      case FieldKind::Element:
        if (from.Has(f.name)) to.Set(f.name, filter && f.copy != kCopyAsIs ? filter(f, from.Get(f.name)) : from.Get(f.name));
        break;
      case FieldKind::Group:
        if (f.repeated) {
          for (const Group& item : from.List(*f.group)) {
            Group target = to.Add(*f.group);
            CopyGroup(item, target, filter, only_sent);
          }
        } else if (Group item = from.Get(*f.group)) {
          Group target = to.Ensure(*f.group);
          CopyGroup(item, target, filter, only_sent);
        }
        break;
    }
  }
}

}  // namespace velmora::xml
