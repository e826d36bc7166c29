#include "messages.h"

namespace velmora::xml {

namespace {

// Namespaces of the published NCTS2 schemas: one per message, the shared types under TYPY.
const QString kNctsBase = QStringLiteral("http://www.mf.gov.pl/schematy/NCTS2/");
const QString kVersion = QStringLiteral("/2013/10/");
const QString kPlatformNs = QStringLiteral("http://www.mf.gov.pl/schematy/PUESC/Dokument/2013/10/");
const QString kUpoNs = QStringLiteral("http://www.mf.gov.pl/schematy/PUESC/UPO/2013/10/");

QString NctsNs(const char* code) { return kNctsBase + QString::fromLatin1(code) + kVersion; }

}  // namespace

const QString kTypyNamespace = kNctsBase + QStringLiteral("TYPY") + kVersion;

namespace {

MessageType Ie(const char* code, Direction d, const GroupDesc& root = kIncomingRoot) {
  return {QString::fromLatin1(code), QString::fromLatin1(code), NctsNs(code), d, &root};
}

}  // namespace

const std::vector<MessageType>& MessageTypes() {
  static const std::vector<MessageType> types = [] {
    using D = Direction;
    std::vector<MessageType> t;
    for (const GroupDesc* root : {&kIE007, &kIE013, &kIE014, &kIE015, &kIE044, &kIE054, &kIE141})
      t.push_back(Ie(root->name.toLatin1().constData(), D::Outgoing, *root));
    t.push_back(Ie("IE043", D::Incoming, kIE043));
    for (const char* c : {"IE004", "IE005", "IE008", "IE009", "IE016", "IE025", "IE028", "IE029", "IE045",
                          "IE051", "IE055", "IE058", "IE060", "IE062", "IE140", "IE906", "IE928"})
      t.push_back(Ie(c, D::Incoming));
    t.push_back({QStringLiteral("UPO"), QStringLiteral("UPO"), kUpoNs, D::Incoming, &kUpoRoot});
    t.push_back({QStringLiteral("UPP"), QStringLiteral("ns6:Dokument"), kPlatformNs, D::Incoming, &kPlatformRoot});
    t.push_back({QStringLiteral("NPP"), QStringLiteral("ns6:Dokument"), kPlatformNs, D::Incoming, &kPlatformRoot});
    return t;
  }();
  return types;
}

const MessageType* FindMessageType(const QString& code) {
  for (const MessageType& t : MessageTypes())
    if (t.code == code) return &t;
  return nullptr;
}

const MessageType* FindMessageTypeByRoot(const QString& local_name) {
  for (const MessageType& t : MessageTypes()) {
    const QString local = t.root.section(QLatin1Char(':'), -1);
    if (local == local_name) return &t;
  }
  return nullptr;
}

Message::Message(XmlDocumentPtr doc, const MessageType* type) : doc_(std::move(doc)), type_(type) {}

Group Message::Root() const { return Group(doc_, doc_->DocumentElement(), type_->root_desc); }

Naglowek Message::GetNaglowek() const {
  if (!type_->root_desc->Find(kNaglowek.name)) return {};
  return Naglowek(Root().Get(kNaglowek));
}

Naglowek Message::EnsureNaglowek() {
  if (!type_->root_desc->Find(kNaglowek.name)) throw BindingError(QStringLiteral("Komunikat %1 nie ma nagłówka").arg(type_->code));
  Group root = Root();
  return Naglowek(root.Ensure(kNaglowek));
}

Message NewMessage(const QString& code) {
  const MessageType* type = FindMessageType(code);
  if (!type) throw BindingError(QStringLiteral("Nieznany typ komunikatu: ") + code);
  const QString prefix = type->root.contains(QLatin1Char(':')) ? type->root.section(QLatin1Char(':'), 0, 0) : QString();
  const QString local = type->root.section(QLatin1Char(':'), -1);
  return Message(XmlDocument::Create(local, type->ns, prefix), type);
}

Message GetMessage(const XmlDocumentPtr& doc, const QString& code) {
  const MessageType* type = FindMessageType(code);
  if (!type) throw BindingError(QStringLiteral("Nieznany typ komunikatu: ") + code);
  const XmlNode root = doc->DocumentElement();
  const QString local = type->root.section(QLatin1Char(':'), -1);
  if (root.IsNull() || root.LocalName() != local)
    throw BindingError(QStringLiteral("Dokument nie jest komunikatem %1 (element główny %2)")
                           .arg(code, root.IsNull() ? QString() : root.NodeName()));
  return Message(doc, type);
}

Message GetAnyMessage(const XmlDocumentPtr& doc) {
  const XmlNode root = doc->DocumentElement();
  const MessageType* type = root.IsNull() ? nullptr : FindMessageTypeByRoot(root.LocalName());
  if (!type) throw BindingError(QStringLiteral("Nieznany komunikat: ") + (root.IsNull() ? QString() : root.NodeName()));
  return Message(doc, type);
}

Message LoadMessage(const QString& file_name, const QString& code) {
  return GetMessage(LoadXMLDocument(file_name), code);
}

}  // namespace velmora::xml
