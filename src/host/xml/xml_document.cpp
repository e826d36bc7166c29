#include "xml_document.h"
#include "host/xml/libxml_error.h"

#include <QFile>
#include <QRegularExpression>

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace velmora::xml {

namespace {

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
// Bytes looked at when reading the declaration; a declaration is far shorter.
constexpr qsizetype kDeclarationWindow = 512;

const xmlChar* Bc(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

QString FromXml(const xmlChar* s) { return s ? QString::fromUtf8(reinterpret_cast<const char*>(s)) : QString(); }

// Takes ownership of a libxml2 string.
QString TakeXml(xmlChar* s) {
  QString result = FromXml(s);
  xmlFree(s);
  return result;
}

void EnsureLibraryReady() {
  // xmlInitParser must run once before libxml2 is used from several threads.
  static const bool kReady = (xmlInitParser(), true);
  (void)kReady;
}

// Collects what libxml2 reports while one document is parsed or saved: the first of the
// gravest errors, since later ones often only follow from it.
struct ErrorSink {
  QString message;
  int line = 0;
  int level = XML_ERR_WARNING;
  int doctype_line = -1;
  // Only the root and its children with these local names become nodes (none: all do).
  const QStringList* keep = nullptr;
  int depth = 0;      // of the element being read, the root's is 1
  int skipped_at = 0;  // the depth of the element whose subtree is not kept, 0 when none

  void Record(LibxmlError error) {
    if (!error || error->level <= level) return;
    level = error->level;
    message = InPolish(error->code, QString::fromUtf8(error->message ? error->message : "").trimmed());
    line = error->line;
  }

  // The user reads the system's language; the library's own words stay for what is rare.
  static QString InPolish(int code, const QString& library_text) {
    switch (code) {
      case XML_ERR_DOCUMENT_EMPTY: return QStringLiteral("Dokument jest pusty");
      case XML_ERR_DOCUMENT_END: return QStringLiteral("Po elemencie głównym dokument ma dalszą treść");
      case XML_ERR_TAG_NAME_MISMATCH: return QStringLiteral("Znacznik zamykający nie odpowiada otwierającemu");
      case XML_ERR_TAG_NOT_FINISHED: return QStringLiteral("Dokument kończy się przed zamknięciem elementu");
      case XML_ERR_ATTRIBUTE_NOT_STARTED:
      case XML_ERR_ATTRIBUTE_WITHOUT_VALUE: return QStringLiteral("Wartość atrybutu musi być ujęta w cudzysłów");
      case XML_ERR_INVALID_CHAR:
      case XML_I18N_CONV_FAILED: return QStringLiteral("Niedozwolony znak lub bajty niezgodne z kodowaniem dokumentu");
      case XML_ERR_UNSUPPORTED_ENCODING: return QStringLiteral("Nieobsługiwane kodowanie dokumentu");
      default: return QStringLiteral("Niepoprawny dokument XML (%1)").arg(library_text);
    }
  }
};

void SinkHandler(void* data, LibxmlError error) { static_cast<ErrorSink*>(data)->Record(error); }

void ParserErrorHandler(void* ctx, LibxmlError error) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  static_cast<ErrorSink*>(ctxt->_private)->Record(error);
}

// A DTD is never read: the parser stops as soon as a DOCTYPE begins.
void RefuseDoctype(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  auto* sink = static_cast<ErrorSink*>(ctxt->_private);
  if (sink->doctype_line < 0) sink->doctype_line = ctxt->input ? ctxt->input->line : 0;
  xmlStopParser(ctxt);
}

// Routes this thread's stray libxml2 reports (those without a parser context) to a sink
// instead of stderr, and restores the previous handler afterwards.
class ThreadErrorScope {
 public:
  explicit ThreadErrorScope(ErrorSink* sink)
      : old_handler_(xmlStructuredError), old_context_(xmlStructuredErrorContext) {
    xmlSetStructuredErrorFunc(sink, SinkHandler);
  }
  ~ThreadErrorScope() { xmlSetStructuredErrorFunc(old_context_, old_handler_); }
  ThreadErrorScope(const ThreadErrorScope&) = delete;
  ThreadErrorScope& operator=(const ThreadErrorScope&) = delete;

 private:
  xmlStructuredErrorFunc old_handler_;
  void* old_context_;
};

struct CtxtDeleter {
  void operator()(xmlParserCtxtPtr ctxt) const { xmlFreeParserCtxt(ctxt); }
};
struct BufferDeleter {
  void operator()(xmlBufferPtr buffer) const { xmlBufferFree(buffer); }
};

const QString kDoctypeRefused = QStringLiteral("Dokument XML nie może zawierać deklaracji DOCTYPE");

// The encoding named in a declaration at the start of `head`; null when none is named.
QString DeclaredEncoding(const QString& head) {
  thread_local const QRegularExpression kEncoding(
      QStringLiteral(R"re(^<\?xml\s[^?]*?\bencoding\s*=\s*(?:"([^"]*)"|'([^']*)'))re"));
  const auto end = head.indexOf(QLatin1String("?>"));
  if (end < 0) return {};
  const auto match = kEncoding.match(head.left(end));
  if (!match.hasMatch()) return {};
  return match.capturedLength(1) > 0 ? match.captured(1) : match.captured(2);
}

qsizetype SkipLeadingBlanks(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && (text[i].isSpace() || text[i] == QChar(0xFEFF))) ++i;
  return i;
}

ErrorSink* SinkOf(void* ctx) { return static_cast<ErrorSink*>(static_cast<xmlParserCtxtPtr>(ctx)->_private); }

// The tree builder's handlers, passed over below an element that is not kept.
void PrunedStart(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri, int nb_namespaces,
                 const xmlChar** namespaces, int nb_attributes, int nb_defaulted, const xmlChar** attributes) {
  ErrorSink* sink = SinkOf(ctx);
  if (++sink->depth == 2 && !sink->skipped_at && !sink->keep->contains(FromXml(localname))) sink->skipped_at = 2;
  if (!sink->skipped_at)
    xmlSAX2StartElementNs(ctx, localname, prefix, uri, nb_namespaces, namespaces, nb_attributes, nb_defaulted, attributes);
}
void PrunedEnd(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri) {
  ErrorSink* sink = SinkOf(ctx);
  if (!sink->skipped_at) xmlSAX2EndElementNs(ctx, localname, prefix, uri);
  else if (sink->depth == sink->skipped_at) sink->skipped_at = 0;
  --sink->depth;
}
// The root's own text is the blanks between its children: left out with them.
bool KeepsText(void* ctx) {
  const ErrorSink* sink = SinkOf(ctx);
  return !sink->skipped_at && sink->depth != 1;
}
void PrunedCharacters(void* ctx, const xmlChar* ch, int len) {
  if (KeepsText(ctx)) xmlSAX2Characters(ctx, ch, len);
}
void PrunedCdata(void* ctx, const xmlChar* value, int len) {
  if (KeepsText(ctx)) xmlSAX2CDataBlock(ctx, value, len);
}
void PrunedComment(void* ctx, const xmlChar* value) {
  if (!SinkOf(ctx)->skipped_at) xmlSAX2Comment(ctx, value);
}
void PrunedInstruction(void* ctx, const xmlChar* target, const xmlChar* data) {
  if (!SinkOf(ctx)->skipped_at) xmlSAX2ProcessingInstruction(ctx, target, data);
}

// Feeds the parser a chunk at a time: reading from memory, libxml2 would first copy the whole
// document into a buffer of its own.
struct ChunkReader {
  const char* bytes = nullptr;  // the document in its own encoding
  qsizetype size = 0;
  QStringView text;  // or its characters, handed over as UTF-8
  qsizetype pos = 0;
  QByteArray pending;  // converted, not yet handed over

  static int Read(void* context, char* buffer, int len) {
    auto* r = static_cast<ChunkReader*>(context);
    if (r->bytes) {
      const qsizetype n = std::min<qsizetype>(len, r->size - r->pos);
      std::memcpy(buffer, r->bytes + r->pos, static_cast<size_t>(n));
      r->pos += n;
      return static_cast<int>(n);
    }
    if (r->pending.isEmpty() && r->pos < r->text.size()) {
      // At most three bytes a character; a surrogate pair is never cut in two.
      qsizetype n = std::min<qsizetype>(std::max(len / 3, 2), r->text.size() - r->pos);
      if (r->pos + n < r->text.size() && r->text[r->pos + n - 1].isHighSurrogate()) --n;
      r->pending = r->text.mid(r->pos, n).toUtf8();
      r->pos += n;
    }
    const qsizetype n = std::min<qsizetype>(len, r->pending.size());
    std::memcpy(buffer, r->pending.constData(), static_cast<size_t>(n));
    r->pending.remove(0, n);
    return static_cast<int>(n);
  }
  static int Close(void*) { return 0; }
};

// `forced_encoding` set: the input is in it whatever the declaration says. `skipped_lines`:
// line breaks cut from the front, added back to reported lines. `keep`: see XmlDocument::Parse.
xmlDocPtr ParseRaw(ChunkReader input, const char* forced_encoding, int skipped_lines, const QStringList* keep = nullptr) {
  EnsureLibraryReady();
  std::unique_ptr<xmlParserCtxt, CtxtDeleter> ctxt(xmlNewParserCtxt());
  if (!ctxt || !ctxt->sax) throw std::bad_alloc();
  ErrorSink sink;
  ThreadErrorScope scope(&sink);
  ctxt->_private = &sink;
  ctxt->sax->serror = ParserErrorHandler;
  ctxt->sax->internalSubset = RefuseDoctype;
  if (keep) {
    sink.keep = keep;
    ctxt->sax->startElementNs = PrunedStart;
    ctxt->sax->endElementNs = PrunedEnd;
    ctxt->sax->characters = PrunedCharacters;
    ctxt->sax->ignorableWhitespace = PrunedCharacters;
    ctxt->sax->cdataBlock = PrunedCdata;
    ctxt->sax->comment = PrunedComment;
    ctxt->sax->processingInstruction = PrunedInstruction;
  }
  int options = kParseOptions;
  if (forced_encoding) options |= XML_PARSE_IGNORE_ENC;
  xmlDocPtr doc = xmlCtxtReadIO(ctxt.get(), ChunkReader::Read, ChunkReader::Close, &input, nullptr, forced_encoding, options);
  if (sink.doctype_line >= 0 || (doc && (doc->intSubset || doc->extSubset))) {
    const int line = sink.doctype_line > 0 ? sink.doctype_line : 1;
    xmlFreeDoc(doc);
    throw XmlParseError(kDoctypeRefused, line + skipped_lines);
  }
  if (!doc) {
    const xmlError* last = xmlCtxtGetLastError(ctxt.get());
    if (sink.message.isEmpty() && last && last->message) {
      sink.message = QString::fromUtf8(last->message).trimmed();
      sink.line = last->line;
    }
    if (sink.message.isEmpty()) sink.message = QStringLiteral("Niepoprawny dokument XML");
    throw XmlParseError(sink.message, (sink.line > 0 ? sink.line : 1) + skipped_lines);
  }
  return doc;
}

void SetDocEncoding(xmlDocPtr doc, const QString& encoding) {
  if (doc->encoding) xmlFree(const_cast<xmlChar*>(doc->encoding));
  doc->encoding = encoding.isEmpty() ? nullptr : xmlStrdup(Bc(encoding.toUtf8().constData()));
}

// The document's nodes (declaration left out) in `encoding`; null encoding means ASCII with
// character references, which every ASCII-based encoding reads the same.
QByteArray SaveBody(xmlDocPtr doc, const char* encoding, int options) {
  ErrorSink sink;
  ThreadErrorScope scope(&sink);
  std::unique_ptr<xmlBuffer, BufferDeleter> buffer(xmlBufferCreate());
  xmlSaveCtxtPtr save = xmlSaveToBuffer(buffer.get(), encoding, options);
  if (!save) return {};
  // Without an explicit encoding libxml2 would fall back to the document's own.
  const xmlChar* doc_encoding = doc->encoding;
  if (!encoding) doc->encoding = nullptr;
  xmlSaveDoc(save, doc);
  xmlSaveClose(save);
  doc->encoding = doc_encoding;
  return QByteArray(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())), xmlBufferLength(buffer.get()));
}

QByteArray Declaration(xmlDocPtr doc, const QByteArray& encoding) {
  QByteArray out = "<?xml version=\"";
  out += doc->version ? reinterpret_cast<const char*>(doc->version) : "1.0";
  out += '"';
  if (!encoding.isEmpty()) out += " encoding=\"" + encoding + '"';
  if (doc->standalone == 0) out += " standalone=\"no\"";
  if (doc->standalone == 1) out += " standalone=\"yes\"";
  out += "?>\n";
  return out;
}

// Splits "p:name" into its prefix (null when none) and local part.
struct QName {
  QByteArray prefix;
  QByteArray local;
  bool HasPrefix() const { return !prefix.isNull(); }
};

QName SplitName(const QString& name) {
  const QByteArray utf8 = name.toUtf8();
  const auto colon = utf8.indexOf(':');
  if (colon <= 0) return {QByteArray(), utf8};
  return {utf8.left(colon), utf8.mid(colon + 1)};
}

const xmlChar* NsPrefix(const xmlNs* ns) { return ns ? ns->prefix : nullptr; }

// True when the name as written (prefix included) equals `name`.
bool NameMatches(const xmlChar* node_name, const xmlNs* ns, const QName& name) {
  if (!xmlStrEqual(node_name, Bc(name.local.constData()))) return false;
  const xmlChar* prefix = NsPrefix(ns);
  if (!name.HasPrefix()) return prefix == nullptr;
  return prefix && xmlStrEqual(prefix, Bc(name.prefix.constData()));
}

bool IsElement(const xmlNode* node) { return node && node->type == XML_ELEMENT_NODE; }

xmlNodePtr ElementFrom(xmlNodePtr node, bool forward) {
  while (node && !IsElement(node)) node = forward ? node->next : node->prev;
  return node;
}

// An ASCII name against libxml2's UTF-8, without converting either.
bool EqualsAscii(const xmlChar* a, QStringView b) {
  qsizetype i = 0;
  for (; a[i]; ++i)
    if (i >= b.size() || b[i].unicode() != a[i]) return false;
  return i == b.size();
}

bool PlainAscii(QStringView name) {
  for (const QChar c : name)
    if (c.unicode() >= 0x80 || c == QLatin1Char(':')) return false;
  return true;
}

xmlAttrPtr FindAttribute(xmlNodePtr node, const QString& name) {
  if (!node) return nullptr;
  // Attribute reads run for every value of every goods item: the common unprefixed ASCII
  // name is compared in place.
  if (PlainAscii(name)) {
    for (xmlAttrPtr attr = node->properties; attr; attr = attr->next)
      if (attr->ns == nullptr || attr->ns->prefix == nullptr)
        if (EqualsAscii(attr->name, name)) return attr;
    return nullptr;
  }
  const QName qname = SplitName(name);
  for (xmlAttrPtr attr = node->properties; attr; attr = attr->next) {
    if (NameMatches(attr->name, attr->ns, qname)) return attr;
  }
  return nullptr;
}

// Document order after `cur`, never leaving `root`'s subtree (null root: the whole document).
xmlNodePtr Following(xmlNodePtr cur, xmlNodePtr root, bool descend) {
  if (descend && IsElement(cur) && cur->children) return cur->children;
  while (cur && cur != root) {
    if (cur->next) return cur->next;
    cur = cur->parent;
  }
  return nullptr;
}

xmlNodePtr FindFrom(xmlNodePtr cur, xmlNodePtr root, const QName& name) {
  for (; cur; cur = Following(cur, root, true)) {
    if (IsElement(cur) && NameMatches(cur->name, cur->ns, name)) return cur;
  }
  return nullptr;
}

}  // namespace

XmlParseError::XmlParseError(const QString& message, int line)
    : std::runtime_error(message.toStdString()), message_(message), line_(line) {}

// ---- XmlNode ----

QString XmlNode::NodeName() const {
  if (!node_) return {};
  const xmlChar* prefix = NsPrefix(node_->ns);
  return prefix ? FromXml(prefix) + QLatin1Char(':') + FromXml(node_->name) : FromXml(node_->name);
}

QString XmlNode::LocalName() const { return node_ ? FromXml(node_->name) : QString(); }

QString XmlNode::Prefix() const { return node_ ? FromXml(NsPrefix(node_->ns)) : QString(); }

QString XmlNode::NamespaceURI() const { return node_ && node_->ns ? FromXml(node_->ns->href) : QString(); }

QString XmlNode::Text() const { return node_ ? TakeXml(xmlNodeGetContent(node_)) : QString(); }

void XmlNode::SetText(const QString& text) {
  if (!node_) return;
  xmlNodeSetContent(node_, nullptr);  // frees the children
  if (text.isEmpty()) return;
  const QByteArray utf8 = text.toUtf8();
  // A text node is escaped when written, so markup characters need no care here.
  xmlAddChild(node_, xmlNewDocTextLen(node_->doc, Bc(utf8.constData()), static_cast<int>(utf8.size())));
}

bool XmlNode::HasAttribute(const QString& name) const { return FindAttribute(node_, name) != nullptr; }

QString XmlNode::Attribute(const QString& name) const {
  xmlAttrPtr attr = FindAttribute(node_, name);
  return attr ? TakeXml(xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attr))) : QString();
}

void XmlNode::SetAttribute(const QString& name, const QString& value) {
  if (!node_) return;
  const QName qname = SplitName(name);
  const QByteArray utf8 = value.toUtf8();
  if (qname.prefix == "xmlns") {
    // A namespace declaration: elements created below may use the prefix at once.
    for (xmlNsPtr d = node_->nsDef; d; d = d->next)
      if (d->prefix && qname.local == reinterpret_cast<const char*>(d->prefix)) {
        xmlFree(const_cast<xmlChar*>(d->href));
        d->href = xmlStrdup(Bc(utf8.constData()));
        return;
      }
    xmlNewNs(node_, Bc(utf8.constData()), Bc(qname.local.constData()));
    return;
  }
  xmlNsPtr ns = qname.HasPrefix() ? xmlSearchNs(node_->doc, node_, Bc(qname.prefix.constData())) : nullptr;
  if (qname.HasPrefix() && !ns) {
    // Prefix not bound here: keep the name as written.
    xmlSetNsProp(node_, nullptr, Bc(name.toUtf8().constData()), Bc(utf8.constData()));
    return;
  }
  xmlSetNsProp(node_, ns, Bc(qname.local.constData()), Bc(utf8.constData()));
}

void XmlNode::RemoveAttribute(const QString& name) {
  if (xmlAttrPtr attr = FindAttribute(node_, name)) xmlRemoveProp(attr);
}

std::vector<std::pair<QString, QString>> XmlNode::Attributes() const {
  std::vector<std::pair<QString, QString>> result;
  if (!node_) return result;
  for (xmlAttrPtr attr = node_->properties; attr; attr = attr->next) {
    const xmlChar* prefix = NsPrefix(attr->ns);
    QString name = prefix ? FromXml(prefix) + QLatin1Char(':') + FromXml(attr->name) : FromXml(attr->name);
    result.emplace_back(std::move(name), TakeXml(xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attr))));
  }
  return result;
}

XmlNode XmlNode::Parent() const { return XmlNode(node_ && IsElement(node_->parent) ? node_->parent : nullptr); }

XmlNode XmlNode::FirstChild() const { return XmlNode(node_ ? ElementFrom(node_->children, true) : nullptr); }

XmlNode XmlNode::LastChild() const { return XmlNode(node_ ? ElementFrom(node_->last, false) : nullptr); }

XmlNode XmlNode::NextSibling() const { return XmlNode(node_ ? ElementFrom(node_->next, true) : nullptr); }

XmlNode XmlNode::PreviousSibling() const { return XmlNode(node_ ? ElementFrom(node_->prev, false) : nullptr); }

std::vector<XmlNode> XmlNode::Children() const {
  std::vector<XmlNode> result;
  for (XmlNode child = FirstChild(); child; child = child.NextSibling()) result.push_back(child);
  return result;
}

XmlNode XmlNode::ChildByLocalName(const QString& local_name) const {
  const QByteArray utf8 = local_name.toUtf8();
  for (XmlNode child = FirstChild(); child; child = child.NextSibling()) {
    if (xmlStrEqual(child.node_->name, Bc(utf8.constData()))) return child;
  }
  return {};
}

std::vector<XmlNode> XmlNode::ChildrenByLocalName(const QString& local_name) const {
  const QByteArray utf8 = local_name.toUtf8();
  std::vector<XmlNode> result;
  for (XmlNode child = FirstChild(); child; child = child.NextSibling()) {
    if (xmlStrEqual(child.node_->name, Bc(utf8.constData()))) result.push_back(child);
  }
  return result;
}

namespace {

xmlNodePtr NewElement(xmlNodePtr parent, const QString& name) {
  const QName qname = SplitName(name);
  xmlNsPtr ns = parent->ns;
  const QByteArray* local = &qname.local;
  QByteArray whole;
  if (qname.HasPrefix()) {
    ns = xmlSearchNs(parent->doc, parent, Bc(qname.prefix.constData()));
    if (!ns) {
      // Prefix not bound here: keep the name as written.
      whole = name.toUtf8();
      local = &whole;
    }
  }
  return xmlNewDocNode(parent->doc, ns, Bc(local->constData()), nullptr);
}

}  // namespace

XmlNode XmlNode::AppendChild(const QString& name) {
  if (!node_) return {};
  return XmlNode(xmlAddChild(node_, NewElement(node_, name)));
}

XmlNode XmlNode::InsertChildBefore(const QString& name, XmlNode before) {
  // `before` that is not our child is treated like a null one: appended.
  if (!node_ || !before || before.node_->parent != node_) return AppendChild(name);
  return XmlNode(xmlAddPrevSibling(before.node_, NewElement(node_, name)));
}

XmlNode XmlNode::AppendCopy(XmlNode other) {
  if (!node_ || !other) return {};
  xmlNodePtr copy = xmlDocCopyNode(other.node_, node_->doc, 1);
  if (!copy) return {};
  copy = xmlAddChild(node_, copy);
  // A copy from another document may use prefixes declared only there.
  if (other.node_->doc != node_->doc) xmlReconciliateNs(node_->doc, copy);
  return XmlNode(copy);
}

QString XmlNode::Xml() const {
  if (!node_) return {};
  std::unique_ptr<xmlBuffer, BufferDeleter> buffer(xmlBufferCreate());
  xmlNodeDump(buffer.get(), node_->doc, node_, 0, 0);
  return QString::fromUtf8(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                           xmlBufferLength(buffer.get()));
}

// ---- XmlDocument ----

XmlDocument::~XmlDocument() { xmlFreeDoc(doc_); }

XmlDocumentPtr XmlDocument::Parse(const QString& text, const QStringList* children) {
  const qsizetype start = SkipLeadingBlanks(text);
  ChunkReader input;
  input.text = QStringView(text).mid(start);
  xmlDocPtr doc = ParseRaw(input, "UTF-8", static_cast<int>(QStringView(text).left(start).count(QLatin1Char('\n'))), children);
  const bool has_declaration = doc->standalone != -1;
  SetDocEncoding(doc, has_declaration ? DeclaredEncoding(text.mid(start, kDeclarationWindow)) : QString());
  return XmlDocumentPtr(new XmlDocument(doc, has_declaration));
}

XmlDocumentPtr XmlDocument::ParseBytes(const QByteArray& bytes, const QStringList* children) {
  // Blanks before a declaration would make it misplaced; they carry nothing.
  qsizetype start = 0;
  while (start < bytes.size() &&
         (bytes[start] == ' ' || bytes[start] == '\t' || bytes[start] == '\r' || bytes[start] == '\n')) {
    ++start;
  }
  if (start > 0 && !bytes.mid(start, 5).startsWith("<?xml")) start = 0;
  ChunkReader input;
  input.bytes = bytes.constData() + start;
  input.size = bytes.size() - start;
  xmlDocPtr doc = ParseRaw(input, nullptr, static_cast<int>(std::count(bytes.cbegin(), bytes.cbegin() + start, '\n')), children);
  const bool has_declaration = doc->standalone != -1;
  QByteArray head = bytes.mid(start, kDeclarationWindow);
  if (head.startsWith("\xEF\xBB\xBF")) head.remove(0, 3);
  if (!has_declaration) {
    SetDocEncoding(doc, {});
  } else if (head.startsWith("<?xml")) {
    SetDocEncoding(doc, DeclaredEncoding(QString::fromLatin1(head)));
  }  // else a declaration not in ASCII (UTF-16): libxml2 already kept its encoding
  return XmlDocumentPtr(new XmlDocument(doc, has_declaration));
}

XmlDocumentPtr XmlDocument::Create(const QString& root_name, const QString& ns, const QString& prefix,
                                   const QString& encoding) {
  EnsureLibraryReady();
  QName qname = SplitName(root_name);
  const QByteArray ns_prefix = prefix.isEmpty() ? qname.prefix : prefix.toUtf8();
  // Without a namespace to bind it to, a prefix stays part of the name as written.
  if (ns.isEmpty()) qname.local = root_name.toUtf8();
  xmlDocPtr doc = xmlNewDoc(Bc("1.0"));
  xmlNodePtr root = xmlNewDocNode(doc, nullptr, Bc(qname.local.constData()), nullptr);
  xmlDocSetRootElement(doc, root);
  if (!ns.isEmpty()) {
    xmlNsPtr root_ns =
        xmlNewNs(root, Bc(ns.toUtf8().constData()), ns_prefix.isEmpty() ? nullptr : Bc(ns_prefix.constData()));
    xmlSetNs(root, root_ns);
  }
  SetDocEncoding(doc, encoding);
  return XmlDocumentPtr(new XmlDocument(doc, true));
}

XmlNode XmlDocument::DocumentElement() const { return XmlNode(xmlDocGetRootElement(doc_)); }

QString XmlDocument::Encoding() const { return has_declaration_ ? FromXml(doc_->encoding) : QString(); }

QString XmlDocument::ToXml() const {
  QByteArray out;
  if (has_declaration_) out = Declaration(doc_, Encoding().toUtf8());
  out += SaveBody(doc_, "UTF-8", XML_SAVE_NO_DECL);
  if (!out.endsWith('\n')) out += '\n';
  return QString::fromUtf8(out);
}

QByteArray XmlDocument::ToBytes() const {
  const QByteArray encoding = Encoding().toUtf8();
  if (encoding.isEmpty()) return ToXml().toUtf8();
  // libxml2 writes the declaration itself so that it too is in the encoding (UTF-16).
  QByteArray out = SaveBody(doc_, encoding.constData(), 0);
  if (out.isEmpty()) {
    // An encoding libxml2 cannot write: ASCII with character references fits it.
    out = Declaration(doc_, encoding) + SaveBody(doc_, nullptr, XML_SAVE_NO_DECL);
  }
  return out;
}

void XmlDocument::Save(const QString& file_name) const {
  QFile file(file_name);
  const QByteArray bytes = ToBytes();
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
    throw std::runtime_error(QStringLiteral("Nie można zapisać pliku: %1").arg(file_name).toStdString());
  }
}

XmlDocumentPtr LoadXMLData(const QString& text) { return XmlDocument::Parse(text); }
XmlDocumentPtr LoadXMLHead(const QString& text, const QStringList& children) { return XmlDocument::Parse(text, &children); }

XmlDocumentPtr LoadXMLDocument(const QString& file_name) {
  QFile file(file_name);
  if (!file.open(QIODevice::ReadOnly)) {
    throw XmlParseError(QStringLiteral("Nie można otworzyć pliku: %1").arg(file_name), 0);
  }
  return XmlDocument::ParseBytes(file.readAll());
}

// ---- free functions ----

XmlNode GetXMLNode(XmlNode node, const QString& name, bool deep) {
  if (!node) return {};
  const QName qname = SplitName(name);
  xmlNodePtr root = node.Raw();
  if (deep) return XmlNode(FindFrom(Following(root, root, true), root, qname));
  for (xmlNodePtr child = root->children; child; child = child->next) {
    if (IsElement(child) && NameMatches(child->name, child->ns, qname)) return XmlNode(child);
  }
  return {};
}

XmlNode GetXMLNextNode(XmlNode node, const QString& name, bool deep) {
  if (!node) return {};
  const QName qname = SplitName(name);
  xmlNodePtr start = node.Raw();
  if (deep) return XmlNode(FindFrom(Following(start, nullptr, false), nullptr, qname));
  for (xmlNodePtr sibling = start->next; sibling; sibling = sibling->next) {
    if (IsElement(sibling) && NameMatches(sibling->name, sibling->ns, qname)) return XmlNode(sibling);
  }
  return {};
}

void XML_RemoveNode(XmlNode node) {
  if (!node) return;
  xmlUnlinkNode(node.Raw());
  xmlFreeNode(node.Raw());
}

QString ClearNamespace(const QString& text) {
  thread_local const QRegularExpression kDeclaration(
      QStringLiteral(R"re(\s+xmlns(?::[^\s=/>]+)?\s*=\s*(?:"[^"]*"|'[^']*'))re"));
  QString result = text;
  result.remove(kDeclaration);
  return result;
}

}  // namespace velmora::xml
