#pragma once

#include "messages.h"
#include "xml_document.h"

#include <QString>

#include <vector>

struct _xmlSchema;

namespace velmora::xml {

// The XML schema of a message type as it is sent, built from its description: elements in
// schema order with their occurrences, attributes with their simple types. Elements the
// sending routine moves to the shared types' namespace are let through there, unchecked, and
// an enveloped signature may close the document.
QString SchemaText(const MessageType& type);

struct SchemaFault {
  QString path;     // "/IE015/Towar[3]"
  int line = 0;     // in the document as parsed, 0 when unknown
  QString message;  // the validator's own words, namespaces left out
};

// The faults the document has against its type's schema; none when it conforms.
std::vector<SchemaFault> ValidateMessage(const XmlDocumentPtr& doc, const MessageType& type);

// An XSD file (its includes beside it) compiled once per path; null when it does not compile.
_xmlSchema* CompiledSchemaFile(const QString& file);

// The faults against a compiled schema (read-only, any thread).
std::vector<SchemaFault> ValidateWithSchema(const XmlDocumentPtr& doc, _xmlSchema* schema);

// The element's place in its document: "/IE015/Towar[3]/Opakowanie" (an index where it has
// siblings of its name).
QString NodePath(const XmlNode& node);

// One line for the user: "Komunikat IE015 nie jest zgodny ze schematem: /IE015/Towar[3]: ...".
QString SchemaRefusal(const MessageType& type, const SchemaFault& fault);

}  // namespace velmora::xml
