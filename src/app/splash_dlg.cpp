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
// The About box's text under the artwork.
constexpr int kAboutMargin = 18;
constexpr int kAboutTextTop = 306;
constexpr int kAboutTextPixels = 12;
constexpr int kCloseHintBottomGap = 10;

}  // namespace

CSplashDlg::CSplashDlg(bool aboutMode, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), aboutMode_(aboutMode) {
  setWindowTitle(QStringLiteral("Lyrovox"));
  setFixedSize(kWidth, aboutMode_ ? kAboutHeight : kHeight);
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
  return QStringLiteral("Version " LYROVOX_VERSION);
}

QString CSplashDlg::MakerLine() {
  return QStringLiteral("Lyrovox, karaoke for the Linux desktop");
}

QStringList CSplashDlg::AboutParagraphs() {
  return {
      QStringLiteral("Licence: " LYROVOX_LICENCE "."),
      QStringLiteral("MIDI songs sound through the Fluid (R3) General MIDI SoundFont by Frank Wen "
                     "and its contributors (MIT licence)."),
      QStringLiteral(
          "Lyrics and windows are drawn in the Liberation fonts (Red Hat, Inc. and "
          "Google; SIL Open Font License 1.1), the DejaVu fonts (Bitstream Vera licence; "
          "the DejaVu changes are in the public domain), Noto Sans CJK (Google and "
          "Adobe; SIL Open Font License 1.1) and Loma of the Thai Linux Working Group "
          "(GNU General Public License 2 or later)."),
      QStringLiteral("Built on Qt, GStreamer, FluidSynth, ICU, pugixml, zlib and minizip."),
  };
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
  if (!aboutMode_) return;

  QFont small = font_;
  small.setBold(false);
  small.setPixelSize(kAboutTextPixels);
  painter.setFont(small);
  painter.setPen(QColor(205, 210, 222));
  const QFontMetrics smallMetrics(small);
  int top = kAboutTextTop;
  for (const QString& paragraph : AboutParagraphs()) {
    const QRect box(kAboutMargin, top, width() - 2 * kAboutMargin, height() - top);
    const QRect used = smallMetrics.boundingRect(box, Qt::TextWordWrap, paragraph);
    painter.drawText(box, Qt::TextWordWrap, paragraph);
    top = used.bottom() + 1 + smallMetrics.height() / 2;
  }
  painter.setPen(QColor(130, 136, 150));
  const QString hint = QStringLiteral("Click to close");
  painter.drawText(QRect(0, 0, width(), height() - kCloseHintBottomGap),
                   Qt::AlignHCenter | Qt::AlignBottom, hint);
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
