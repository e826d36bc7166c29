#include "follow_up_editors.h"

#include "arrival/follow_up_boxes.h"
#include "lists/message_editors.h"

namespace velmora::lists {

namespace {

// The list runs ShowBox on its editor and stores GetXML when it answers 1: the request's own
// box is shown in its place and answers for it.
class TWniosekEdytor : public MessageEditor {
 public:
  TWniosekEdytor(host::HostContext& ctx, arrival::TWniosekBox* box, QWidget* parent) : MessageEditor(ctx, parent), box_(box) {
    setObjectName(box->objectName() + QStringLiteral("_Edytor"));
  }
  ~TWniosekEdytor() override { delete box_; }

  // The box reads the stored row itself: a new row's seed is an older request, not this one.
  void SetXML(const QString&) override {}
  QString GetXML() override { return box_->GetXML(); }
  int exec() override {
    result_ = box_->ShowBox(ViewMode() ? 1 : 0);
    return result_;
  }

 protected:
  void CreateDefaultButtons() override {}

 private:
  arrival::TWniosekBox* box_;
};

template <class Box>
MessageEditorFactory Fabryka() {
  return [](host::HostContext& ctx, const QVariantMap& row, QWidget* parent) -> MessageEditor* {
    return new TWniosekEdytor(ctx, new Box(ctx, row, parent), parent);
  };
}

const char* const kTypy[] = {"IE014", "IE141", "IE054"};

}  // namespace

void RegisterFollowUpEditors() {
  RegisterMessageEditor(QStringLiteral("IE014"), Fabryka<arrival::TIE014PL_Box>());
  RegisterMessageEditor(QStringLiteral("IE141"), Fabryka<arrival::TIE141PL_Box>());
  RegisterMessageEditor(QStringLiteral("IE054"), Fabryka<arrival::TIE054PL_Box>());
}

void UnregisterFollowUpEditors() {
  for (const char* typ : kTypy) UnregisterMessageEditor(QString::fromLatin1(typ));
}

}  // namespace velmora::lists
