#include "common/tool_args.h"

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

bool TakeValue(const QStringList& args, qsizetype& i, QString& value, QString& error) {
  if (i + 1 >= args.size()) {
    error = QStringLiteral("%1 needs a value").arg(args[i]);
    return false;
  }
  value = args[++i];
  return true;
}

bool TakeSize(const QStringList& args, qsizetype& i, QSize& size, QString& error) {
  QString value;
  if (!TakeValue(args, i, value, error)) return false;
  if (ParseSize(value, size)) return true;
  error = QStringLiteral("%1 wants WIDTHxHEIGHT, not %2").arg(args[i - 1], value);
  return false;
}

bool TakeSeconds(const QStringList& args, qsizetype& i, int& ms, QString& error) {
  QString value;
  if (!TakeValue(args, i, value, error)) return false;
  if (ParseSeconds(value, ms)) return true;
  error = QStringLiteral("%1 wants seconds, not %2").arg(args[i - 1], value);
  return false;
}

bool TakeLanguage(const QStringList& args, qsizetype& i, int& language, QString& error) {
  QString value;
  if (!TakeValue(args, i, value, error)) return false;
  bool ok = false;
  language = value.toInt(&ok);
  if (ok && language >= 0) return true;
  error = QStringLiteral("%1 wants a language index such as 17 (UTF-8), not %2")
              .arg(args[i - 1], value);
  return false;
}

bool TakeSongOrShot(const QStringList& args, qsizetype& i, SongAndShots& o, QString& error) {
  const QString& a = args[i];
  if (a == u"--at") {
    int ms = 0;
    if (!TakeSeconds(args, i, ms, error)) return false;
    o.atMs.push_back(ms);
    return true;
  }
  if (a == u"--png") return TakeValue(args, i, o.png, error);
  if (a.startsWith(u"--")) {
    error = QStringLiteral("unknown option %1").arg(a);
    return false;
  }
  if (!o.song.isEmpty()) {
    error = QStringLiteral("one song at a time (%1 and %2)").arg(o.song, a);
    return false;
  }
  o.song = a;
  return true;
}

bool CheckSongAndShots(const SongAndShots& o, QString& error) {
  if (o.song.isEmpty()) {
    error = QStringLiteral("no song given");
    return false;
  }
  if (o.png.isEmpty() != o.atMs.empty()) {
    error = QStringLiteral("--png and --at go together");
    return false;
  }
  return true;
}

}  // namespace lyrovox
