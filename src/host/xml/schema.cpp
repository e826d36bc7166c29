#include "schema.h"
#include "host/xml/libxml_error.h"

#include <libxml/parser.h>
#include <libxml/xmlversion.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>

#include <QHash>
#include <QRegularExpression>

#include <memory>
#include <mutex>

namespace velmora::xml {

namespace {

QString Escape(const QString& s) { return s.toHtmlEscaped(); }

QString SimpleType(const FieldDesc& f) {
  auto restriction = [](const QString& base, const QString& facets) {
    return QStringLiteral("<xs:simpleType><xs:restriction base=\"%1\">%2</xs:restriction></xs:simpleType>").arg(base, facets);
  };
  auto pattern = [&](const QString& p) { return restriction(QStringLiteral("xs:string"), QStringLiteral("<xs:pattern value=\"%1\"/>").arg(p)); };
  switch (f.type) {
    case ValueType::Text:
      return f.length > 0 ? restriction(QStringLiteral("xs:string"), QStringLiteral("<xs:maxLength value=\"%1\"/>").arg(f.length)) : QString();
    case ValueType::Integer:
      return pattern(QStringLiteral("[0-9]{1,%1}").arg(f.length > 0 ? f.length : 18));
    case ValueType::Decimal:
      return pattern(QStringLiteral("[0-9]{1,%1}(\\.[0-9]{1,%2})?").arg(f.length - f.fraction).arg(f.fraction));
    case ValueType::Date:
      return restriction(QStringLiteral("xs:date"), {});
    case ValueType::DateTime:
      return restriction(QStringLiteral("xs:dateTime"), {});
    case ValueType::Flag:
      return pattern(QStringLiteral("[01]"));
  }
  return {};
}

// The name an element is sent under: the binding's "...Typy" names lose the suffix.
QString SentName(const FieldDesc& f) {
  return f.name.endsWith(QLatin1String("Typy")) ? f.name.chopped(4) : f.name;
}

QString Occurs(const FieldDesc& f) {
  const QString max = !f.repeated ? QStringLiteral("1") : f.max_occurs > 0 ? QString::number(f.max_occurs) : QStringLiteral("unbounded");
  return QStringLiteral("minOccurs=\"%1\" maxOccurs=\"%2\"").arg(f.required ? QStringLiteral("1") : QStringLiteral("0"), max);
}

void AppendComplexType(QString& out, const GroupDesc& desc, bool root);

void AppendElement(QString& out, const FieldDesc& f, const QString& occurs) {
  auto element = [&](const QString& name, const QString& occ) {
    out += QStringLiteral("<xs:element name=\"%1\" %2>").arg(Escape(name), occ);
    if (f.kind == FieldKind::Group) AppendComplexType(out, *f.group, false);
    else out += SimpleType(f);
    out += QStringLiteral("</xs:element>");
  };
  if (SentName(f) == f.name) return element(f.name, occurs);
  // Checked before its textual rename too.
  out += QStringLiteral("<xs:choice %1>").arg(occurs);
  element(SentName(f), QString());
  element(f.name, QString());
  out += QStringLiteral("</xs:choice>");
}

void AppendComplexType(QString& out, const GroupDesc& desc, bool root) {
  out += QStringLiteral("<xs:complexType><xs:sequence>");
  const auto& fields = desc.fields;
  for (size_t i = 0; i < fields.size(); ++i) {
    const FieldDesc& f = fields[i];
    if (f.kind == FieldKind::Attribute || f.local) continue;
    if (!f.typy) {
      AppendElement(out, f, Occurs(f));
      continue;
    }
    // A run of elements the sending routine moves to the shared types' namespace: each may
    // come in either namespace, the moved ones unchecked and at the run's end.
    size_t end = i;
    int most = 0;
    bool unbounded = false;
    while (end < fields.size() && fields[end].kind != FieldKind::Attribute && fields[end].typy) {
      const FieldDesc& t = fields[end++];
      if (t.repeated && t.max_occurs == 0) unbounded = true;
      most += t.repeated ? t.max_occurs : 1;
    }
    const QString max = unbounded ? QStringLiteral("unbounded") : QString::number(most);
    out += QStringLiteral("<xs:choice minOccurs=\"0\" maxOccurs=\"%1\">").arg(max);
    for (size_t k = i; k < end; ++k) AppendElement(out, fields[k], QStringLiteral("minOccurs=\"1\" maxOccurs=\"1\""));
    out += QStringLiteral("<xs:any namespace=\"%1\" processContents=\"skip\"/></xs:choice>").arg(kTypyNamespace);
    i = end - 1;
  }
  // The enveloped signature closes a signed document.
  if (root) out += QStringLiteral("<xs:any namespace=\"http://www.w3.org/2000/09/xmldsig#\" processContents=\"skip\" minOccurs=\"0\"/>");
  out += QStringLiteral("</xs:sequence>");
  for (const FieldDesc& f : fields) {
    if (f.kind != FieldKind::Attribute || f.local) continue;
    out += QStringLiteral("<xs:attribute name=\"%1\" use=\"%2\">").arg(Escape(f.name), f.required ? QStringLiteral("required") : QStringLiteral("optional"));
    out += SimpleType(f);
    out += QStringLiteral("</xs:attribute>");
  }
  out += QStringLiteral("</xs:complexType>");
}

struct SchemaDeleter {
  void operator()(xmlSchema* s) const { xmlSchemaFree(s); }
};

// Compiles what the parser context reads, quietly; null when it does not compile.
std::shared_ptr<xmlSchema> Parse(xmlSchemaParserCtxtPtr parser) {
  xmlSchemaSetParserStructuredErrors(parser, [](void*, LibxmlError) {}, nullptr);
  std::shared_ptr<xmlSchema> schema(xmlSchemaParse(parser), SchemaDeleter());
  xmlSchemaFreeParserCtxt(parser);
  return schema;
}

// Compiled once per type; a compiled schema is read-only and may validate from any thread.
xmlSchema* Compiled(const MessageType& type) {
  static std::mutex mutex;
  static QHash<const MessageType*, std::shared_ptr<xmlSchema>> cache;
  std::lock_guard lock(mutex);
  if (auto it = cache.find(&type); it != cache.end()) return it->get();
  const QByteArray text = SchemaText(type).toUtf8();
  std::shared_ptr<xmlSchema> schema = Parse(xmlSchemaNewMemParserCtxt(text.constData(), text.size()));
  if (!schema) throw std::logic_error(("Schema of " + type.code + " does not compile").toStdString());
  cache.insert(&type, schema);
  return schema.get();
}

QString PathOf(xmlNodePtr node) {
  QStringList parts;
  for (; node && node->type == XML_ELEMENT_NODE; node = node->parent) {
    const QString name = QString::fromUtf8(reinterpret_cast<const char*>(node->name));
    int index = 0, count = 0;
    for (xmlNodePtr s = node->parent ? node->parent->children : node; s; s = s->next) {
      if (s->type != XML_ELEMENT_NODE || xmlStrcmp(s->name, node->name) != 0) continue;
      ++count;
      if (s == node) index = count;
    }
    parts.prepend(count > 1 ? QStringLiteral("%1[%2]").arg(name).arg(index) : name);
  }
  return QLatin1Char('/') + parts.join(QLatin1Char('/'));
}

}  // namespace

QString SchemaText(const MessageType& type) {
  QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" targetNamespace=\"%1\" "
                               "elementFormDefault=\"qualified\" attributeFormDefault=\"unqualified\">")
                    .arg(type.ns);
  out += QStringLiteral("<xs:element name=\"%1\">").arg(type.root.section(QLatin1Char(':'), -1));
  AppendComplexType(out, *type.root_desc, true);
  out += QStringLiteral("</xs:element></xs:schema>\n");
  return out;
}

_xmlSchema* CompiledSchemaFile(const QString& file) {
  static std::mutex mutex;
  static QHash<QString, std::shared_ptr<xmlSchema>> cache;
  std::lock_guard lock(mutex);
  if (auto it = cache.find(file); it != cache.end()) return it->get();
  std::shared_ptr<xmlSchema> schema = Parse(xmlSchemaNewParserCtxt(file.toLocal8Bit().constData()));
  if (schema) cache.insert(file, schema);
  return schema.get();
}

std::vector<SchemaFault> ValidateMessage(const XmlDocumentPtr& doc, const MessageType& type) {
  return ValidateWithSchema(doc, Compiled(type));
}

std::vector<SchemaFault> ValidateWithSchema(const XmlDocumentPtr& doc, _xmlSchema* schema) {
  std::vector<SchemaFault> faults;
  xmlSchemaValidCtxtPtr ctxt = xmlSchemaNewValidCtxt(schema);
  xmlSchemaSetValidStructuredErrors(
      ctxt,
      [](void* data, LibxmlError error) {
        // "{uri}" before a name; a pattern's "{2}" stays.
        static const QRegularExpression kNamespace(QStringLiteral("\\{[^}]*:[^}]*\\}"));
        SchemaFault f;
        f.path = PathOf(static_cast<xmlNodePtr>(error->node));
        f.line = error->line;
        f.message = QString::fromUtf8(error->message).trimmed().remove(kNamespace);
        static_cast<std::vector<SchemaFault>*>(data)->push_back(std::move(f));
      },
      &faults);
  const int rc = xmlSchemaValidateDoc(ctxt, doc->Raw());
  xmlSchemaFreeValidCtxt(ctxt);
  if (rc != 0 && faults.empty()) faults.push_back({QStringLiteral("/"), 0, QStringLiteral("dokument nie został sprawdzony")});
  return faults;
}

QString NodePath(const XmlNode& node) { return PathOf(node.Raw()); }

QString SchemaRefusal(const MessageType& type, const SchemaFault& fault) {
  return QStringLiteral("Komunikat %1 nie jest zgodny ze schematem: %2: %3").arg(type.code, fault.path, fault.message);
}

}  // namespace velmora::xml
