#include "ui/setup/requests_setup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QNetworkInterface>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lyrovox {

CRequestsSetup::CRequestsSetup(QWidget* parent) : SetupPage(parent) {
  enableBox_ = new QCheckBox(QStringLiteral("Take song requests from phones"));
  auto* group = new QGroupBox(QStringLiteral("Request page"));
  auto* form = new QFormLayout(group);
  portBox_ = new QSpinBox;
  portBox_->setRange(1024, 65535);
  interfaceBox_ = new QComboBox;
  perMinuteBox_ = new QSpinBox;
  perMinuteBox_->setRange(1, 100);
  perSingerBox_ = new QSpinBox;
  perSingerBox_->setRange(1, 50);
  form->addRow(QStringLiteral("Port:"), portBox_);
  form->addRow(QStringLiteral("Network:"), interfaceBox_);
  form->addRow(QStringLiteral("Requests a minute per phone:"), perMinuteBox_);
  form->addRow(QStringLiteral("Waiting songs per singer:"), perSingerBox_);
  auto* note = new QLabel(QStringLiteral(
      "Singers open the address shown on the karaoke screen, or scan its QR code, and type the "
      "room code shown beside it. The code changes every time requests start."));
  note->setWordWrap(true);

  auto* page = new QVBoxLayout(this);
  page->addWidget(enableBox_);
  page->addWidget(group);
  page->addWidget(note);
  page->addStretch(1);
}

void CRequestsSetup::OnInitDialog() {
  enableBox_->setChecked(enable);
  portBox_->setValue(port);
  interfaceBox_->clear();
  interfaceBox_->addItem(QStringLiteral("Every network"), QString());
  for (const QNetworkInterface& net : QNetworkInterface::allInterfaces()) {
    if (!net.flags().testFlag(QNetworkInterface::IsUp)) continue;
    QString address;
    for (const QNetworkAddressEntry& entry : net.addressEntries()) {
      if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol) {
        address = entry.ip().toString();
        break;
      }
    }
    if (address.isEmpty()) continue;
    interfaceBox_->addItem(QStringLiteral("%1 (%2)").arg(net.humanReadableName(), address),
                           net.name());
  }
  int index = interfaceBox_->findData(networkInterface);
  if (index < 0) {
    // A network that is not up now stays chosen.
    interfaceBox_->addItem(networkInterface, networkInterface);
    index = interfaceBox_->count() - 1;
  }
  interfaceBox_->setCurrentIndex(index);
  perMinuteBox_->setValue(perMinute);
  perSingerBox_->setValue(perSinger);
}

bool CRequestsSetup::TakeControls() {
  enable = enableBox_->isChecked();
  port = portBox_->value();
  networkInterface = interfaceBox_->currentData().toString();
  perMinute = perMinuteBox_->value();
  perSinger = perSingerBox_->value();
  return true;
}

}  // namespace lyrovox
