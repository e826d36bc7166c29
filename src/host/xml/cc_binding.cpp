#include "cc_binding.h"

#include "messages.h"

#include <libxml/tree.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace velmora::xml {

const QString kCcNamespace = QStringLiteral("http://ncts.dgtaxud.ec");

namespace {

const xmlChar* X(const QByteArray& b) { return reinterpret_cast<const xmlChar*>(b.constData()); }

// "A/B@attr": the element path and the attribute; either may be empty.
struct Path {
  QStringList elements;
  QString attribute;
};

Path Split(const QString& from) {
  Path p;
  const int at = from.indexOf(QLatin1Char('@'));
  const QString elements = at < 0 ? from : from.left(at);
  if (at >= 0) p.attribute = from.mid(at + 1);
  if (!elements.isEmpty()) p.elements = elements.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  return p;
}

XmlNode Descend(XmlNode node, const QStringList& elements) {
  for (const QString& e : elements) {
    if (!node) return {};
    node = node.ChildByLocalName(e);
  }
  return node;
}

// The first non-empty value among the alternatives "@A|@B".
QString ReadValue(const XmlNode& ie, const QString& from, const CcVariables& vars) {
  if (from.startsWith(QLatin1Char('$'))) return vars.value(from.mid(1));
  for (const QString& alt : from.split(QLatin1Char('|'))) {
    const Path p = Split(alt);
    const XmlNode n = Descend(ie, p.elements);
    if (!n) continue;
    const QString v = (p.attribute.isEmpty() ? n.Text() : n.Attribute(p.attribute)).trimmed();
    if (!v.isEmpty()) return v;
  }
  return {};
}

std::vector<XmlNode> ReadAll(const XmlNode& ie, const QString& from) {
  const Path p = Split(from);
  if (p.elements.isEmpty()) return {ie};
  const XmlNode parent = Descend(ie, p.elements.mid(0, p.elements.size() - 1));
  if (!parent) return {};
  return parent.ChildrenByLocalName(p.elements.last());
}

// The CC schemas' elements are unqualified: a child must not take its parent's namespace, as
// xmlNewChild would give it.
xmlNodePtr NewChild(xmlNodePtr parent, const QString& name, const QString& text = {}) {
  xmlNodePtr node = xmlNewDocNode(parent->doc, nullptr, X(name.toUtf8()), nullptr);
  if (!text.isNull()) {
    const QByteArray t = text.toUtf8();
    xmlNodeAddContentLen(node, X(t), t.size());
  }
  return xmlAddChild(parent, node);
}

// Writes the maps below `parent`; answers whether anything but fixed texts was written.
bool WriteMaps(xmlNodePtr parent, const std::vector<CcMap>& maps, const XmlNode& ie, int position, const CcVariables& vars);

bool WriteMap(xmlNodePtr parent, const CcMap& m, const XmlNode& ie, int position, const CcVariables& vars) {
  switch (m.kind) {
    case CcKind::Const:
      NewChild(parent, m.name, m.from);
      return false;
    case CcKind::Seq:
      // Unnamed: only the phase-4 side numbers its elements.
      if (!m.name.isEmpty()) NewChild(parent, m.name, QString::number(position));
      return false;
    case CcKind::Value: {
      QString v = ReadValue(ie, m.from, vars);
      if (m.out) v = m.out(v);
      if (v.isEmpty()) return false;
      NewChild(parent, m.name, v);
      return true;
    }
    case CcKind::Group: {
      const XmlNode source = m.from.isEmpty() ? ie : Descend(ie, Split(m.from).elements);
      if (!source) return false;
      xmlNodePtr element = NewChild(parent, m.name);
      if (WriteMaps(element, m.children, source, 1, vars)) return true;
      xmlUnlinkNode(element);
      xmlFreeNode(element);
      return false;
    }
    case CcKind::Each: {
      bool wrote = false;
      int n = 0;
      for (const XmlNode& source : ReadAll(ie, m.from)) {
        if (m.keep && !m.keep(source)) continue;
        xmlNodePtr element = NewChild(parent, m.name);
        if (WriteMaps(element, m.children, source, n + 1, vars)) {
          ++n;
          wrote = true;
        } else {
          xmlUnlinkNode(element);
          xmlFreeNode(element);
        }
      }
      return wrote;
    }
    case CcKind::Custom:
      return m.write && m.write(parent, ie);
  }
  return false;
}

bool WriteMaps(xmlNodePtr parent, const std::vector<CcMap>& maps, const XmlNode& ie, int position, const CcVariables& vars) {
  bool wrote = false;
  for (const CcMap& m : maps) wrote = WriteMap(parent, m, ie, position, vars) || wrote;
  return wrote;
}

// The element at `elements` below `node`, created where missing.
XmlNode Ensure(XmlNode node, const QStringList& elements) {
  for (const QString& e : elements) {
    XmlNode child = node.ChildByLocalName(e);
    node = child ? child : node.AppendChild(e);
  }
  return node;
}

void SetValue(XmlNode ie, const QString& from, const QString& value, CcInFn in) {
  const Path p = Split(from.section(QLatin1Char('|'), 0, 0));
  XmlNode target = Ensure(ie, p.elements);
  if (p.attribute.isEmpty()) {
    target.SetText(in ? in(value, target.Text()) : value);
  } else {
    target.SetAttribute(p.attribute, in ? in(value, target.Attribute(p.attribute)) : value);
  }
}

using Deferred = std::vector<const CcMap*>;
void ReadMaps(const XmlNode& cc, const std::vector<CcMap>& maps, XmlNode ie, int position, Deferred& deferred);

void ReadMap(const XmlNode& cc, const CcMap& m, XmlNode ie, int position, Deferred& deferred) {
  switch (m.kind) {
    case CcKind::Const:
      return;
    case CcKind::Seq:
      if (m.name.isEmpty() && !m.from.isEmpty()) {
        SetValue(ie, m.from, QString::number(position), nullptr);
        return;
      }
      [[fallthrough]];
    case CcKind::Value: {
      if (m.out_only || m.from.isEmpty() || m.from.startsWith(QLatin1Char('$'))) return;
      const XmlNode v = cc.ChildByLocalName(m.name);
      if (v) SetValue(ie, m.from, v.Text().trimmed(), m.in);
      return;
    }
    case CcKind::Group: {
      const XmlNode v = cc.ChildByLocalName(m.name);
      if (v) ReadMaps(v, m.children, m.from.isEmpty() ? ie : Ensure(ie, Split(m.from).elements), 1, deferred);
      return;
    }
    case CcKind::Each: {
      const Path p = Split(m.from);
      XmlNode parent = Ensure(ie, p.elements.mid(0, p.elements.size() - 1));
      // The n-th element already there (written by an earlier map) takes the n-th repetition.
      std::vector<XmlNode> existing = p.elements.isEmpty() ? std::vector<XmlNode>{} : parent.ChildrenByLocalName(p.elements.last());
      size_t n = 0;
      for (const XmlNode& item : cc.ChildrenByLocalName(m.name)) {
        XmlNode target = p.elements.isEmpty() ? ie : n < existing.size() ? existing[n] : parent.AppendChild(p.elements.last());
        ++n;
        ReadMaps(item, m.children, target, static_cast<int>(n), deferred);
      }
      return;
    }
    case CcKind::Custom:
      // Once for the whole document, however often its place repeats.
      if (m.read && std::find(deferred.begin(), deferred.end(), &m) == deferred.end()) deferred.push_back(&m);
      return;
  }
}

void ReadMaps(const XmlNode& cc, const std::vector<CcMap>& maps, XmlNode ie, int position, Deferred& deferred) {
  for (const CcMap& m : maps) ReadMap(cc, m, ie, position, deferred);
}

QString SchemaFile(int faza, const QString& cc) {
  return QDir(NctsSchemaDir()).filePath(QStringLiteral("p%1/%2.xsd").arg(faza).arg(cc.toLower()));
}

}  // namespace

XmlNode CcChild(XmlNode node, const QString& path) { return Descend(node, path.split(QLatin1Char('/'), Qt::SkipEmptyParts)); }
XmlNode CcEnsure(XmlNode node, const QString& path) { return Ensure(node, path.split(QLatin1Char('/'), Qt::SkipEmptyParts)); }

void* CcAppend(void* parent, const char* name, const QString& text) {
  return NewChild(static_cast<xmlNodePtr>(parent), QString::fromLatin1(name), text);
}

QString NctsSchemaDir() {
  if (QCoreApplication::instance()) {
    QDir dir(QCoreApplication::applicationDirPath());
    if (dir.cdUp() && dir.exists(QStringLiteral("ncts/p5"))) return dir.filePath(QStringLiteral("ncts"));
  }
  return QStringLiteral(VELMORA_NCTS_DIR);
}

std::vector<SchemaFault> ValidateCc(const XmlDocumentPtr& doc, int faza) {
  const XmlNode root = doc->DocumentElement();
  const QString cc = root ? root.LocalName() : QString();
  const QString file = SchemaFile(faza, cc);
  _xmlSchema* schema = QFileInfo::exists(file) ? CompiledSchemaFile(file) : nullptr;
  if (!schema) return {{QStringLiteral("/"), 0, QStringLiteral("brak schematu %1 fazy %2").arg(cc).arg(faza)}};
  return ValidateWithSchema(doc, schema);
}

QString CcRefusal(const QString& code, const SchemaFault& fault) {
  return QStringLiteral("Komunikat %1 nie jest zgodny ze schematem: %2: %3").arg(code, fault.path, fault.message);
}

XmlDocumentPtr WriteCc(const CcTable& table, const XmlDocumentPtr& ie, const CcVariables& vars) {
  XmlDocumentPtr doc = XmlDocument::Create(table.cc, kCcNamespace, QStringLiteral("ncts"));
  const XmlNode root = doc->DocumentElement();
  WriteMaps(root.Raw(), table.body, ie->DocumentElement(), 1, vars);
  return doc;
}

XmlDocumentPtr ReadCc(const CcTable& table, const XmlDocumentPtr& cc) {
  Message message = NewMessage(table.ie);
  XmlNode root = message.Document()->DocumentElement();
  Deferred deferred;
  ReadMaps(cc->DocumentElement(), table.body, root, 1, deferred);
  for (const CcMap* m : deferred) m->read(cc->DocumentElement(), root);
  return message.Document();
}

}  // namespace velmora::xml
