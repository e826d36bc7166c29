#pragma once

#include "arrival/arrival_notification.h"
#include "frame/message_editors.h"

#include <QHash>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QTabWidget;

namespace velmora::arrival {

// The editor of an arrival notification (IE007) with the transit's arrival data, its events
// and costs. The fields write into arrival::ZawiadomienieIE007.
class TIE007PL_Box : public frame::MessageEditor {
  Q_OBJECT

 public:
  TIE007PL_Box(host::HostContext& ctx, const QVariantMap& row, QWidget* parent = nullptr);

  void SetXML(const QString& xml) override;
  QString GetXML() override;
  QVariantMap KolumnyTranzytu() override;
  bool MaKoszty() const override { return true; }
  std::vector<QVariantMap> Koszty() override;

  void BeforeActivate() override;
  host::FieldErrors Validate() override;
  bool actOkExecute() override;

  arrival::ZawiadomienieIE007& Logika() { return logic_; }
  QTableWidget* Zdarzenia() const { return zdarzenia_; }
  QTableWidget* KosztyGrid() const { return koszty_; }
  QTabWidget* Zakladki() const { return tabs_; }
  QComboBox* Lokalizacja() const { return lokalizacja_; }
  QCheckBox* Uproszczona() const { return uproszczona_; }

  void actDodaj();
  void actPopraw();
  void actUsun();
  void actDodajKoszt();
  void actPoprawKoszt();
  void actUsunKoszt();

 protected:
  void FocusField(const QString& field) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Pokaz();
  void Czytaj();
  void OdswiezZdarzenia(int wiersz = -1);
  void OdswiezKoszty(int wiersz = -1);

  arrival::ZawiadomienieIE007 logic_;
  QVariantMap row_;
  QString tekst_;
  QTabWidget* tabs_;
  QCheckBox* uproszczona_;
  QCheckBox* tir_;
  QComboBox* lokalizacja_;
  QLabel* tabela_nbp_;
  QTableWidget* zdarzenia_;
  QTableWidget* koszty_;
};

// Registers the editor for IE007 with the message list.
void RegisterArrivalEditor();

}  // namespace velmora::arrival
