#pragma once

// The "Requests" page: song requests from singers' phones on the local network: on or off, the
// port and the network the page is offered on, and the limits on what a phone may ask.

#include <QString>

#include "ui/setup/setup_page.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace lyrovox {

class CRequestsSetup final : public SetupPage {
  Q_OBJECT

 public:
  explicit CRequestsSetup(QWidget* parent = nullptr);

  bool enable = false;
  int port = 8080;
  QString networkInterface;  // "" every network
  int perMinute = 10;
  int perSinger = 3;

  QCheckBox* enableBox() const { return enableBox_; }
  QSpinBox* portBox() const { return portBox_; }
  QComboBox* interfaceBox() const { return interfaceBox_; }
  QSpinBox* perMinuteBox() const { return perMinuteBox_; }
  QSpinBox* perSingerBox() const { return perSingerBox_; }

 protected:
  void OnInitDialog() override;
  bool TakeControls() override;

 private:
  QCheckBox* enableBox_;
  QSpinBox* portBox_;
  QComboBox* interfaceBox_;
  QSpinBox* perMinuteBox_;
  QSpinBox* perSingerBox_;
};

}  // namespace lyrovox
