#include "play/title_panel.h"

#include <QWidget>

namespace lyrovox {

namespace {

constexpr int kPanelTickMs = 250;
// A volume or speed change stays in the title this many ticks.
constexpr int kStatusTicks = 6;

// "mm:ss"; hours are not shown.
QString Clock(int32_t ms) {
  const int seconds = ms / 1000;
  return QStringLiteral("%1:%2")
      .arg((seconds % 3600) / 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

TitlePanel::TitlePanel(QWidget& window) : window_(window) {
  QObject::connect(&timer_, &QTimer::timeout, [this] { Refresh(); });
  timer_.start(kPanelTickMs);
  Refresh();
}

void TitlePanel::SetVolumeDisplay(int percent) {
  ShowStatus(QStringLiteral("Volume : %1%").arg(percent));
}

void TitlePanel::ShowChannel(int mode) {
  static const char* const kNames[] = {"Both", "Left", "Right", "Reverse"};
  if (mode >= 0 && mode <= 3) ShowStatus(QStringLiteral("Channel : %1").arg(kNames[mode]));
}

void TitlePanel::ShowRate(double rate) {
  ShowStatus(QStringLiteral("Speed: %1X").arg(rate, 0, 'f', 2));
}

void TitlePanel::ShowStatus(const QString& text) {
  status_ = text;
  statusTicks_ = kStatusTicks;
}

QString TitlePanel::Text() const {
  QString text = title_;
  if (duration_ > 0)
    text += QStringLiteral(" \u2014 %1 / %2").arg(Clock(position_), Clock(duration_));
  if (statusTicks_ > 0) text += QStringLiteral(" \u2014 ") + status_;
  return text + QStringLiteral(" \u2014 Lyrovox");
}

void TitlePanel::Refresh() {
  window_.setWindowTitle(Text());
  if (statusTicks_ > 0) --statusTicks_;
}

}  // namespace lyrovox
