#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>
#include <vector>

struct _xmlNode;
struct _xmlDoc;

namespace velmora::xml {

// A document that is not well-formed XML (or that carries a DTD): libxml2's message and line.
class XmlParseError : public std::runtime_error {
 public:
  XmlParseError(const QString& message, int line);
  const QString& Message() const { return message_; }
  int Line() const { return line_; }

 private:
  QString message_;
  int line_;
};

// A handle on one element of a document; valid while its document lives.
class XmlNode {
 public:
  XmlNode() = default;
  explicit XmlNode(_xmlNode* node) : node_(node) {}

  bool IsNull() const { return node_ == nullptr; }
  explicit operator bool() const { return node_ != nullptr; }
  bool operator==(const XmlNode& other) const { return node_ == other.node_; }

  // The name as written, with its prefix: "ns6:UPP".
  QString NodeName() const;
  QString LocalName() const;
  QString Prefix() const;
  QString NamespaceURI() const;

  // The text of the element (all text below it); setting replaces the children with the text.
  QString Text() const;
  void SetText(const QString& text);

  // Attributes by name as written ("NrWlasny", "xsi:type").
  bool HasAttribute(const QString& name) const;
  QString Attribute(const QString& name) const;  // empty when absent
  void SetAttribute(const QString& name, const QString& value);
  void RemoveAttribute(const QString& name);
  std::vector<std::pair<QString, QString>> Attributes() const;

  // Element navigation (text, comments and other nodes are skipped).
  XmlNode Parent() const;
  XmlNode FirstChild() const;
  XmlNode LastChild() const;
  XmlNode NextSibling() const;
  XmlNode PreviousSibling() const;
  std::vector<XmlNode> Children() const;
  XmlNode ChildByLocalName(const QString& local_name) const;
  std::vector<XmlNode> ChildrenByLocalName(const QString& local_name) const;

  // New child element. The name may carry a prefix declared in scope; without one the
  // element takes the namespace of this element (for schemas whose elements are qualified).
  XmlNode AppendChild(const QString& name);
  // The same, placed before `before` (a child of this element); appended when `before` is null.
  XmlNode InsertChildBefore(const QString& name, XmlNode before);
  // A deep copy of `other` (from any document) appended as the last child.
  XmlNode AppendCopy(XmlNode other);

  // The element serialised, without declaration.
  QString Xml() const;

  _xmlNode* Raw() const { return node_; }

 private:
  _xmlNode* node_ = nullptr;
};

class XmlDocument;
using XmlDocumentPtr = std::shared_ptr<XmlDocument>;

// A parsed or new document. Parsing never reaches the network, never loads or applies a DTD
// and never expands entities: a document with a DOCTYPE is refused.
class XmlDocument {
 public:
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // From text: the characters are taken as they are, whatever the declaration names. With
  // `children`, only the root and those of its children with these local names are built: the
  // rest is read and checked but not kept, so a document read for a few fields takes little
  // memory whatever its size.
  static XmlDocumentPtr Parse(const QString& text, const QStringList* children = nullptr);
  // From bytes: the encoding comes from the declaration (UTF-8 without one). `children` as
  // for Parse.
  static XmlDocumentPtr ParseBytes(const QByteArray& bytes, const QStringList* children = nullptr);
  // A new document holding only its root; `ns` becomes the root's namespace under `prefix`
  // (the default namespace when the prefix is empty).
  static XmlDocumentPtr Create(const QString& root_name, const QString& ns = {}, const QString& prefix = {},
                               const QString& encoding = QStringLiteral("UTF-8"));

  XmlNode DocumentElement() const;
  // The encoding the declaration names (empty when the document has no declaration).
  QString Encoding() const;
  bool HasDeclaration() const { return has_declaration_; }

  // The whole document as text: the declaration as written (version, encoding, standalone),
  // then the elements; ends with a line break.
  QString ToXml() const;
  // The whole document in its declared encoding.
  QByteArray ToBytes() const;
  void Save(const QString& file_name) const;

  _xmlDoc* Raw() const { return doc_; }

 private:
  XmlDocument(_xmlDoc* doc, bool has_declaration) : doc_(doc), has_declaration_(has_declaration) {}
  _xmlDoc* doc_;
  bool has_declaration_;
};

XmlDocumentPtr LoadXMLData(const QString& text);
// The root and its children named in `children` (see XmlDocument::Parse).
XmlDocumentPtr LoadXMLHead(const QString& text, const QStringList& children);
XmlDocumentPtr LoadXMLDocument(const QString& file_name);

// The first element named `name` (with its prefix as written) below `node`: among all
// descendants in document order when `deep`, among the children otherwise.
XmlNode GetXMLNode(XmlNode node, const QString& name, bool deep = true);
// The next element named `name` after `node` in document order (outside `node`'s subtree):
// anywhere after it when `deep`, among its following siblings otherwise.
XmlNode GetXMLNextNode(XmlNode node, const QString& name, bool deep = true);
void XML_RemoveNode(XmlNode node);
// The text with its namespace declarations (xmlns, xmlns:p) removed.
QString ClearNamespace(const QString& text);

}  // namespace velmora::xml
