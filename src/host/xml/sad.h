#pragma once

#include "group.h"
#include "xml_document.h"

#include <QString>

#include <vector>

// The host's single administrative document (SAD), as far as the simplified-procedure register
// reads it: goods items with their commodity codes, masses, previous documents and charge lines.
namespace velmora::xml {

extern const GroupDesc kSadDokumentPoprzedni;
extern const GroupDesc kSadOplata;
extern const GroupDesc kSadTowar;
extern const GroupDesc kSadZgloszenie;
extern const GroupDesc kSadRoot;

class Sad {
 public:
  Sad() = default;
  explicit Sad(XmlDocumentPtr doc) : doc_(std::move(doc)) {}

  bool IsNull() const { return doc_ == nullptr; }
  const XmlDocumentPtr& Document() const { return doc_; }
  Group Root() const;
  // The declaration (null when the document has none) and its goods items in order.
  Group Zgloszenie() const;
  Group EnsureZgloszenie();
  std::vector<Group> Towary() const;
  QString Xml() const { return doc_->ToXml(); }

 private:
  XmlDocumentPtr doc_;
};

// From its XML text: XmlParseError for a text that is no XML, BindingError for another root.
// An empty text gives a new, empty SAD.
Sad CreateSAD(const QString& text);
Sad NewSAD();
// A parsed document bound as a SAD; BindingError for another root.
Sad GetSAD(XmlDocumentPtr doc);

// The host's current SAD, which its SAD windows and checks work on; a null SAD until one is
// assigned. The document is shared, not copied.
void AssignSAD(const Sad& sad);
Sad GetMainSAD();

// A number as the SAD writes it, with a full stop or a decimal comma; 0 when empty or not a number.
double SadLiczba(const QString& text);

// The gross mass check: every goods item has a gross mass above 0 and not below its net mass,
// and the declaration's total, when given, is the sum of the items' masses (to 0.001).
bool TestWagiBrutto(const Sad& sad);

}  // namespace velmora::xml
