#pragma once

#include "host/ui/menu_creator.h"

#include <QIcon>

class QAction;
class QMenu;

namespace velmora::frame {

// The module's menus: "NCTS2" with the transit windows and "Stałe dane" with the registers
// and the reference-data tools.
class TNCTS2_MenuCreator : public host::TCustomMenuCreator {
  Q_OBJECT
 public:
  explicit TNCTS2_MenuCreator(host::MenuMerger& merger);
  void UpdateActionVisible() override;
  // A clerk's first day begins with the departures.
  QAction* StartAction() const override { return miWywoz_Eksport2; }

  QMenu* bsiNCTS2;
  QMenu* bsiStaleDane;
  QMenu* Raporty1;
  QMenu* Rne1;
  QAction* miWywoz_Eksport2;
  QAction* miRejestry;
  QAction* miZrzutBazy;

  // The menu's icons, drawn here: image index, 16 or 32 pixels.
  static QIcon Icon(int image_index);

 private:
  QAction* Item(QMenu* menu, const char* name, const QString& caption, int image, bool visible, int tag = 0);
  void Open(const QString& window_class, int window_id, quint16 option_set);
  void ZrzutBazy();
};

// Always false: the register is chosen in the transit lists.
bool WyborRejestru(bool flag);

}  // namespace velmora::frame
