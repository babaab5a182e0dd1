#include "common/tool_args.h"

#include <QStringList>

namespace lyrovox {

namespace {

constexpr int kLongestMs = 24 * 3600 * 1000;

}  // namespace

bool ParseSize(const QString& text, QSize& size) {
  const QStringList parts = text.toLower().split(QLatin1Char('x'));
  if (parts.size() != 2) return false;
  bool okW = false;
  bool okH = false;
  const int w = parts[0].toInt(&okW);
  const int h = parts[1].toInt(&okH);
  if (!okW || !okH || w < 1 || h < 1 || w > 8192 || h > 8192) return false;
  size = QSize(w, h);
  return true;
}

bool ParseSeconds(const QString& text, int& ms) {
  bool ok = false;
  const double seconds = text.toDouble(&ok);
  if (!ok || !(seconds >= 0) || seconds * 1000 > kLongestMs) return false;
  ms = static_cast<int>(seconds * 1000 + 0.5);
  return true;
}

QString PngPathFor(const QString& png, int index, int count, int timeMs) {
  if (count <= 1) return png;
  Q_UNUSED(index);
  QString base = png;
  if (base.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) base.chop(4);
  return QStringLiteral("%1-%2.png").arg(base).arg(timeMs);
}

}  // namespace lyrovox
