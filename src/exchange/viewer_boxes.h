#pragma once

#include "viewers.h"
#include "host/ui/edit_box.h"

class QPlainTextEdit;
class QTableWidget;

namespace velmora::exchange {

// The read-only box of a received message (TIE016PL_Box, TUPO_Box ...): labelled fields in
// their groups and the error or guarantee list, filled from the stored document.
class TIncomingViewerBox : public host::TEditBox {
  Q_OBJECT
 public:
  TIncomingViewerBox(host::HostContext& ctx, const QString& typ, QWidget* parent = nullptr);
  // The message row whose document is shown.
  void SetMessageId(qint64 id) { message_id_ = id; }
  void BeforeActivate() override;
  void Activate() override;
  void SetXML(const QString& text);
  const IncomingView& View() const { return view_; }
  QTableWidget* Table(int index) const { return tables_.value(index); }

 private:
  void Build();
  QString typ_;
  qint64 message_id_ = 0;
  IncomingView view_;
  QWidget* panel_ = nullptr;
  QList<QTableWidget*> tables_;
};

// The raw document of a received message (IE029, IE043, IE051, UPP, NPP) with "Zapisz do pliku...".
class TIEXMLPL_Box : public host::TEditBox {
  Q_OBJECT
 public:
  explicit TIEXMLPL_Box(host::HostContext& ctx, QWidget* parent = nullptr);
  // Writes the display file below the root's "TEMP/" and shows it.
  void SetXMLData(const QByteArray& text);
  QByteArray GetXMLData() const { return data_; }
  QString DisplayFile() const { return file_; }
  // Writes the held text to `file_name`; false when it cannot be written.
  bool ZapiszDoPliku(const QString& file_name);
  QAction* actZapisz = nullptr;

 private:
  QByteArray data_;
  QString file_;
  QPlainTextEdit* view_;
};

// The box the message list opens for a received message of this type (null for others).
host::TEditBox* CreateIncomingViewer(host::HostContext& ctx, const QString& typ, qint64 message_id, const QString& own_number,
                                     QWidget* parent = nullptr);

}  // namespace velmora::exchange
