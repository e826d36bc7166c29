#include "ncts2_menu_creator.h"

#include "host/dialogs.h"
#include "host/host_context.h"
#include "host/main_form.h"
#include "host/users.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>

namespace velmora::frame {

namespace {

// One colour and letter per image index of the menu.
struct Glyph {
  int index;
  QColor color;
  const char* letter;
};

const Glyph kGlyphs[] = {{0, QColor(0x1f, 0x6f, 0xb2), "E"}, {1, QColor(0x2e, 0x8b, 0x57), "I"},
                         {2, QColor(0x8a, 0x5a, 0x2b), "R"}, {4, QColor(0x6a, 0x5a, 0xcd), "O"},
                         {6, QColor(0x55, 0x55, 0x55), "Z"}, {7, QColor(0xc0, 0x7a, 0x00), "N"},
                         {8, QColor(0x00, 0x80, 0x80), "S"}, {9, QColor(0xb2, 0x22, 0x22), "A"},
                         {30, QColor(0x8b, 0x00, 0x8b), "G"}};

QPixmap Draw(const Glyph& g, int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(g.color);
  p.setPen(g.color.darker(140));
  p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 5.0, size / 5.0);
  QFont f = p.font();
  f.setBold(true);
  f.setPixelSize(size * 2 / 3);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString::fromLatin1(g.letter));
  return pm;
}

}  // namespace

QIcon TNCTS2_MenuCreator::Icon(int image_index) {
  QIcon icon;
  for (const Glyph& g : kGlyphs)
    if (g.index == image_index) {
      icon.addPixmap(Draw(g, 16));
      icon.addPixmap(Draw(g, 32));
    }
  return icon;
}

bool WyborRejestru(bool flag) {
  Q_UNUSED(flag);
  return false;
}

QAction* TNCTS2_MenuCreator::Item(QMenu* menu, const char* name, const QString& caption, int image, bool visible, int tag) {
  QAction* a = caption == QLatin1String("-") ? menu->addSeparator() : menu->addAction(caption);
  a->setObjectName(QString::fromLatin1(name));
  if (image >= 0) a->setIcon(Icon(image));
  a->setVisible(visible);
  a->setProperty("tag", tag);
  return a;
}

void TNCTS2_MenuCreator::Open(const QString& window_class, int window_id, quint16 option_set) {
  host::HostContext& ctx = Merger().Context();
  if (ctx.main_form) ctx.main_form->OpenWindow(window_class, window_id, true, true, option_set, nullptr);
}

void TNCTS2_MenuCreator::ZrzutBazy() {
  host::HostContext& ctx = Merger().Context();
  if (!ctx.user.UserInfo().isService(QString())) {
    ctx.dialogs.Informacja(QStringLiteral("Funkcja techniczna dostępna TYLKO dla administratora !"));
    return;
  }
  Open(QStringLiteral("TBackupBox"), 0, 2);
}

TNCTS2_MenuCreator::TNCTS2_MenuCreator(host::MenuMerger& merger) : host::TCustomMenuCreator(merger) {
  // The menus live as long as the host's menu bar.
  bsiNCTS2 = new QMenu(QStringLiteral("NCTS2"), merger.Bar());
  bsiNCTS2->setObjectName(QStringLiteral("bsiNCTS2"));
  // A menu bar shows a menu's icon instead of its caption: the icon goes with the action only.
  bsiNCTS2->menuAction()->setProperty("image_index", 0);
  bsiStaleDane = new QMenu(QStringLiteral("Stałe dane"), merger.Bar());
  bsiStaleDane->setObjectName(QStringLiteral("bsiStaleDane"));

  miWywoz_Eksport2 = Item(bsiNCTS2, "miWywoz_Eksport2", QStringLiteral("Objęcia (eksport)"), 0, true);
  connect(miWywoz_Eksport2, &QAction::triggered, this,
          [this] { Open(QStringLiteral("TTranzytyOtwarciaWin"), 1001, 38); });
  connect(Item(bsiNCTS2, "miPrzywoz_Import2", QStringLiteral("Zakończenia (import)"), 1, true), &QAction::triggered, this,
          [this] { Open(QStringLiteral("TTranzytyZamknieciaWin"), 1002, 38); });
  connect(Item(bsiNCTS2, "miGwarancje2", QStringLiteral("Nowe gwarancje"), 30, true), &QAction::triggered, this,
          [this] { Open(QStringLiteral("TGwarancjeWin"), 1002, 38); });
  Item(bsiNCTS2, "miN_NCTS", QStringLiteral("-"), -1, true);
  connect(Item(bsiNCTS2, "miOdbierzWiadomosc", QStringLiteral("Odbierz wiadomość"), 4, false, 1), &QAction::triggered,
          this, [this] { Open(QStringLiteral("TOdbierzDanezPlikuWiz"), 0, 2); });
  connect(Item(bsiNCTS2, "miSkrytkaNadawcza", QStringLiteral("Skrytka nadawcza"), 7, false, 1), &QAction::triggered, this,
          [this] { Open(QStringLiteral("TMailWin"), 1104, 2); });
  connect(Item(bsiNCTS2, "miSkrytkaOdbiorcza", QStringLiteral("Skrytka odbiorcza"), 8, false, 1), &QAction::triggered,
          this, [this] { Open(QStringLiteral("TMailWin"), 1103, 2); });
  Item(bsiNCTS2, "N1", QStringLiteral("-"), -1, true);
  connect(Item(bsiNCTS2, "miZmianaRejestru", QStringLiteral("Zmiana rejestru"), 6, false, 1), &QAction::triggered, this,
          [] { WyborRejestru(false); });
  Raporty1 = bsiNCTS2->addMenu(QStringLiteral("Raporty"));
  Raporty1->setObjectName(QStringLiteral("Raporty1"));
  Raporty1->menuAction()->setObjectName(QStringLiteral("Raporty1"));
  connect(Item(Raporty1, "erminowo1", QStringLiteral("Terminowość"), -1, true), &QAction::triggered, this,
          [this] { Open(QStringLiteral("TTerminowoscRpt"), 0, 2); });
  connect(Item(Raporty1, "Rozliczeniesaldagwarancji1", QStringLiteral("Saldo gwarancji"), -1, true), &QAction::triggered,
          this, [this] { Open(QStringLiteral("TWPTRpt"), 0, 2); });

  miRejestry = Item(bsiStaleDane, "miRejestry", QStringLiteral("Rejestry"), 2, true);
  connect(miRejestry, &QAction::triggered, this, [this] { Open(QStringLiteral("TRejestryWin"), -1, 2); });
  connect(Item(bsiStaleDane, "Opisywjrosyjskim1", QStringLiteral("Opisy w j.rosyjskim"), -1, true), &QAction::triggered,
          this, [this] { Open(QStringLiteral("OpisyTowarowROSJA"), 0, 2); });
  connect(Item(bsiStaleDane, "Aktualizacjasownikw1", QStringLiteral("Aktualizacja słowników"), 9, true),
          &QAction::triggered, this, [this] { Open(QStringLiteral("TAktualizujSlownikiBox"), 0, 2); });
  Item(bsiStaleDane, "miN_NCTS2", QStringLiteral("-"), -1, true);
  Rne1 = bsiStaleDane->addMenu(QStringLiteral("Różne"));
  Rne1->setObjectName(QStringLiteral("Rne1"));
  Rne1->menuAction()->setObjectName(QStringLiteral("Rne1"));
  Rne1->menuAction()->setVisible(false);
  miZrzutBazy = Item(Rne1, "miZrzutBazy", QStringLiteral("Zrzut bazy danych"), -1, true);
  connect(miZrzutBazy, &QAction::triggered, this, [this] { ZrzutBazy(); });

  RegisterItemLinkPos(bsiNCTS2, QStringLiteral("bsiNCTS2"), false);
  RegisterItemLinkPos(bsiStaleDane, QStringLiteral("bsiStaleDane"), false);
  RegisterItemLinkPos(miRejestry, QStringLiteral("blbKontrahenci"), true);
}

void TNCTS2_MenuCreator::UpdateActionVisible() { host::TCustomMenuCreator::UpdateActionVisible(); }

}  // namespace velmora::frame
