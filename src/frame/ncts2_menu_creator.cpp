#include "ncts2_menu_creator.h"

#include "host/base/dialogs.h"
#include "host/base/host_context.h"
#include "host/ui/main_form.h"
#include "host/db/users.h"

#include <QAction>
#include <QHash>
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

namespace {

// One line of the NCTS2 menus, in the order shown. A line without a window is a separator
// ("-"), a sub-menu (`podmenu`) or a routine of the creator (`rutyna`).
struct PozycjaMenu {
  const char* menu;
  const char* name;
  const char* caption;
  int image = -1;
  bool visible = true;
  int tag = 0;
  const char* okno = nullptr;
  int window_id = 0;
  quint16 option_set = 2;
  bool podmenu = false;
  const char* rutyna = nullptr;
};

const PozycjaMenu kMenu[] = {
    {"bsiNCTS2", "miWywoz_Eksport2", "Objęcia (eksport)", 0, true, 0, "TTranzytyOtwarciaWin", 1001, 38},
    {"bsiNCTS2", "miPrzywoz_Import2", "Zakończenia (import)", 1, true, 0, "TTranzytyZamknieciaWin", 1002, 38},
    {"bsiNCTS2", "miGwarancje2", "Nowe gwarancje", 30, true, 0, "TGwarancjeWin", 1002, 38},
    {"bsiNCTS2", "miN_NCTS", "-"},
    {"bsiNCTS2", "miOdbierzWiadomosc", "Odbierz wiadomość", 4, false, 1, "TOdbierzDanezPlikuWiz", 0, 2},
    {"bsiNCTS2", "miSkrytkaNadawcza", "Skrytka nadawcza", 7, false, 1, "TMailWin", 1104, 2},
    {"bsiNCTS2", "miSkrytkaOdbiorcza", "Skrytka odbiorcza", 8, false, 1, "TMailWin", 1103, 2},
    {"bsiNCTS2", "N1", "-"},
    {"bsiNCTS2", "miZmianaRejestru", "Zmiana rejestru", 6, false, 1, nullptr, 0, 2, false, "WyborRejestru"},
    {"bsiNCTS2", "Raporty1", "Raporty", -1, true, 0, nullptr, 0, 2, true},
    {"Raporty1", "erminowo1", "Terminowość", -1, true, 0, "TTerminowoscRpt", 0, 2},
    {"Raporty1", "Rozliczeniesaldagwarancji1", "Saldo gwarancji", -1, true, 0, "TWPTRpt", 0, 2},
    {"bsiStaleDane", "miRejestry", "Rejestry", 2, true, 0, "TRejestryWin", -1, 2},
    {"bsiStaleDane", "Opisywjrosyjskim1", "Opisy w j.rosyjskim", -1, true, 0, "OpisyTowarowROSJA", 0, 2},
    {"bsiStaleDane", "Aktualizacjasownikw1", "Aktualizacja słowników", 9, true, 0, "TAktualizujSlownikiBox", 0, 2},
    {"bsiStaleDane", "miN_NCTS2", "-"},
    {"bsiStaleDane", "Rne1", "Różne", -1, false, 0, nullptr, 0, 2, true},
    {"Rne1", "miZrzutBazy", "Zrzut bazy danych", -1, true, 0, nullptr, 0, 2, false, "ZrzutBazy"},
};

}  // namespace

TNCTS2_MenuCreator::TNCTS2_MenuCreator(host::MenuMerger& merger) : host::TCustomMenuCreator(merger) {
  // The menus live as long as the host's menu bar.
  bsiNCTS2 = new QMenu(QStringLiteral("NCTS2"), merger.Bar());
  bsiNCTS2->setObjectName(QStringLiteral("bsiNCTS2"));
  // A menu bar shows a menu's icon instead of its caption: the icon goes with the action only.
  bsiNCTS2->menuAction()->setProperty("image_index", 0);
  bsiStaleDane = new QMenu(QStringLiteral("Stałe dane"), merger.Bar());
  bsiStaleDane->setObjectName(QStringLiteral("bsiStaleDane"));

  QHash<QString, QMenu*> menus{{QStringLiteral("bsiNCTS2"), bsiNCTS2}, {QStringLiteral("bsiStaleDane"), bsiStaleDane}};
  QHash<QString, QAction*> actions;
  for (const PozycjaMenu& p : kMenu) {
    QMenu* menu = menus.value(QString::fromLatin1(p.menu));
    const QString name = QString::fromLatin1(p.name);
    const QString caption = QString::fromUtf8(p.caption);
    if (p.podmenu) {
      QMenu* sub = menu->addMenu(caption);
      sub->setObjectName(name);
      sub->menuAction()->setObjectName(name);
      sub->menuAction()->setVisible(p.visible);
      menus.insert(name, sub);
      continue;
    }
    QAction* a = Item(menu, p.name, caption, p.image, p.visible, p.tag);
    actions.insert(name, a);
    if (p.okno) {
      const QString okno = QString::fromLatin1(p.okno);
      connect(a, &QAction::triggered, this, [this, okno, id = p.window_id, set = p.option_set] { Open(okno, id, set); });
    } else if (p.rutyna && qstrcmp(p.rutyna, "ZrzutBazy") == 0) {
      connect(a, &QAction::triggered, this, [this] { ZrzutBazy(); });
    } else if (p.rutyna && qstrcmp(p.rutyna, "WyborRejestru") == 0) {
      connect(a, &QAction::triggered, this, [] { WyborRejestru(false); });
    }
  }
  Raporty1 = menus.value(QStringLiteral("Raporty1"));
  Rne1 = menus.value(QStringLiteral("Rne1"));
  miWywoz_Eksport2 = actions.value(QStringLiteral("miWywoz_Eksport2"));
  miRejestry = actions.value(QStringLiteral("miRejestry"));
  miZrzutBazy = actions.value(QStringLiteral("miZrzutBazy"));

  RegisterItemLinkPos(bsiNCTS2, QStringLiteral("bsiNCTS2"), false);
  RegisterItemLinkPos(bsiStaleDane, QStringLiteral("bsiStaleDane"), false);
  RegisterItemLinkPos(miRejestry, QStringLiteral("blbKontrahenci"), true);
}

void TNCTS2_MenuCreator::UpdateActionVisible() { host::TCustomMenuCreator::UpdateActionVisible(); }

}  // namespace velmora::frame
