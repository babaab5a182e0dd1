#include "app/splash_dlg.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>

#include "ui/panel/skin_drawing.h"

namespace lyrovox {

namespace {

constexpr int kCornerEllipse = 18;
constexpr int kTextCentreX = 290;
constexpr int kVersionTop = 254;
constexpr int kMakerTop = 272;

}  // namespace

CSplashDlg::CSplashDlg(bool aboutMode, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), aboutMode_(aboutMode) {
  setWindowTitle(QStringLiteral("Lyrovox"));
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  font_.setFamily(QStringLiteral("Arial"));
  font_.setPixelSize(14);
  font_.setBold(true);
  // The artwork at the screen's density (its twice-sized twin on a dense screen).
  artwork_ = CGdiPlusBitmapResource(159).pixmap();
  // Centred on the screen it opens on.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

QString CSplashDlg::VersionLine() {
  return QStringLiteral("Version 2.20");
}

QString CSplashDlg::MakerLine() {
  return QStringLiteral("Lyrovox, karaoke for the Linux desktop");
}

void CSplashDlg::SetStatusText(const QString& text) {
  status_ = text;
  update();
}

void CSplashDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (!artwork_.isNull()) painter.drawPixmap(0, 0, artwork_);
  painter.setFont(font_);
  painter.setPen(Qt::white);
  const QFontMetrics metrics(font_);
  const auto centred = [&](int top, const QString& text) {
    const int width = metrics.horizontalAdvance(text);
    painter.drawText(kTextCentreX - width / 2, top + metrics.ascent(), text);
  };
  centred(kVersionTop, VersionLine());
  centred(kMakerTop, status_.isEmpty() ? MakerLine() : status_);
}

void CSplashDlg::mousePressEvent(QMouseEvent* event) {
  if (aboutMode_) {
    accept();
    return;
  }
  QDialog::mousePressEvent(event);
}

void CSplashDlg::resizeEvent(QResizeEvent* event) {
  QPainterPath path;
  path.addRoundedRect(QRectF(rect()), kCornerEllipse / 2.0, kCornerEllipse / 2.0);
  setMask(QRegion(path.toFillPolygon().toPolygon()));
  QDialog::resizeEvent(event);
}

}  // namespace lyrovox
