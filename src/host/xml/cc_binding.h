#pragma once

#include "schema.h"
#include "xml_document.h"

#include <QHash>
#include <QString>

#include <vector>

// The EU's CC messages (phases 5 and 6) as mapping tables over the phase-4 shapes the program
// stores. A table read forwards writes the CC message from a stored document; read backwards
// it turns a CC message into the stored shape, so one table serves sending and receiving.
namespace velmora::xml {

extern const QString kCcNamespace;

enum class CcKind {
  Value,   // a text element from a phase-4 attribute ("Zgloszenie@MasaBrutto")
  Const,   // a fixed text (`from`); nothing is read back
  Seq,     // the position in the enclosing repetition; read back into `from` when it names one
  Group,   // an element over the phase-4 element `from` ("" = the same one)
  Each,    // one element per phase-4 element at `from` ("UC/Tranzytowy")
  Custom,  // written and read by the table's own functions
};

struct CcMap;

// Writes below `parent` (a libxml2 element) from the phase-4 element `ie`; answers whether it
// wrote anything.
using CcWriteFn = bool (*)(void* parent, const XmlNode& ie);
// Reads from the CC root into the phase-4 root, after the rest of the table.
using CcReadFn = void (*)(const XmlNode& cc_root, XmlNode ie_root);
// Converts a value on its way out; on the way in it also gets the value already there.
using CcOutFn = QString (*)(const QString& value);
using CcInFn = QString (*)(const QString& value, const QString& current);
// Whether a phase-4 element is sent at all.
using CcKeepFn = bool (*)(const XmlNode& ie);

struct CcMap {
  QString name;
  CcKind kind = CcKind::Value;
  QString from;
  std::vector<CcMap> children;
  CcOutFn out = nullptr;
  CcInFn in = nullptr;     // nullptr: taken as it is
  bool out_only = false;   // derived on the way out, never read back
  CcWriteFn write = nullptr;
  CcReadFn read = nullptr;
  CcKeepFn keep = nullptr;  // Each: the elements that go
};

// One message of one phase: the CC code, the phase-4 type it stands for and its body in
// schema order (the header comes first, from the variables `$sender`, `$recipient` ...).
struct CcTable {
  QString cc;
  QString ie;
  int faza = 5;
  std::vector<CcMap> body;
};

// The folder holding p5/ and p6/: the copy beside bin/, else the sources'.
QString NctsSchemaDir();
// The faults of a CC document against its phase's XSD; none when it conforms.
std::vector<SchemaFault> ValidateCc(const XmlDocumentPtr& doc, int faza);
QString CcRefusal(const QString& code, const SchemaFault& fault);

using CcVariables = QHash<QString, QString>;

// The element at a path of local names below `node` ("Consignment/LocationOfGoods"): null when
// absent; created where missing by the second.
XmlNode CcChild(XmlNode node, const QString& path);
XmlNode CcEnsure(XmlNode node, const QString& path);

// A new unqualified child element of a libxml2 element, with its text unless null; for the
// tables' own writers.
void* CcAppend(void* parent, const char* name, const QString& text = QString());

// The CC message of `table` written from the phase-4 document `ie` (a namespace-free read by
// local names), not yet validated.
XmlDocumentPtr WriteCc(const CcTable& table, const XmlDocumentPtr& ie, const CcVariables& vars);
// The phase-4 document of `table.ie` read from the CC document.
XmlDocumentPtr ReadCc(const CcTable& table, const XmlDocumentPtr& cc);

}  // namespace velmora::xml
