#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace velmora::exchange {

// One read-only field of a viewer.
struct ViewField {
  QString name;     // control name: beNrWlasny, mePowodOdrzucenia, cbTIR ...
  QString label;    // "Nr własny :"
  QString value;    // as written in the document
  enum class Kind { Text, Memo, Check } kind = Kind::Text;
};

struct ViewGroup {
  QString caption;  // with its spaces: "  Nagłówek komunikatu  "
  std::vector<ViewField> fields;
};

// A grid of the viewer: the errors, or the guarantees of an IE055.
struct ViewTable {
  QString caption;
  QStringList columns;
  std::vector<QStringList> rows;
};

// What a viewer of a received message shows, read from its document.
struct IncomingView {
  QString box;    // TIE016PL_Box ...
  QString title;
  std::vector<ViewGroup> groups;
  std::vector<ViewTable> tables;
  bool bound = false;  // false: the document could not be read, the fields stay empty

  const ViewField* Field(const QString& name) const;
};

// The types shown in a box of fields (the others are shown as their XML).
QStringList ViewerTypes();
bool HasViewer(const QString& typ);
// Fields filled from the document; an unreadable document gives the same fields, empty.
IncomingView BuildIncomingView(const QString& typ, const QString& xml);

// The text the XML display writes and holds: converted to UTF-8 when it is not, with a
// declaration in front when it has none (windows-1250 for text that was not UTF-8).
QByteArray XmlDisplayText(const QByteArray& stored);

}  // namespace velmora::exchange
