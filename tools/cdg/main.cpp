// lyrovox-cdg: the picture a CD+G side file shows at a moment of the song, as a PNG file.
//
//   lyrovox-cdg FILE --at SECONDS --png OUT.png [--size WxH]
//
// The player's own decoding up to SECONDS (one packet past it, as in playback); the frame is
// written as it is (300 x 216) or scaled with the player's bilinear drawing to WxH.

#include <QImage>
#include <QPainter>
#include <QString>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "lyrics/cdg_player.h"
#include "screen/cdg_draw.h"

namespace {

// The usage goes to standard output when asked for, else with the error to standard error.
int Usage(const char* program, std::FILE* to = stderr) {
  std::fprintf(to, "usage: %s FILE --at SECONDS --png OUT.png [--size WxH]\n", program);
  return 2;
}

bool ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  if (x == std::string::npos) return false;
  char* end = nullptr;
  const long w = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + x) return false;
  const long h = std::strtol(text.c_str() + x + 1, &end, 10);
  if (*end != 0 || w < 1 || h < 1 || w > 8192 || h > 8192) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string file;
  std::string png;
  double seconds = -1;
  int width = lyrovox::kCdgWidth;
  int height = lyrovox::kCdgHeight;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--at" && i + 1 < argc) {
      char* end = nullptr;
      seconds = std::strtod(argv[++i], &end);
      if (*end != 0 || !(seconds >= 0) || seconds > 21474836.0) return Usage(argv[0]);
    } else if (a == "--png" && i + 1 < argc) {
      png = argv[++i];
    } else if (a == "--size" && i + 1 < argc) {
      if (!ParseSize(argv[++i], width, height)) return Usage(argv[0]);
    } else if (a == "--help" || a == "-h") {
      Usage(argv[0], stdout);
      return 0;
    } else if (a.rfind("--", 0) == 0 || !file.empty()) {
      return Usage(argv[0]);
    } else {
      file = a;
    }
  }
  if (file.empty() || png.empty() || seconds < 0) return Usage(argv[0]);

  lyrovox::CdgPlayer player;
  if (!player.LoadCdgFile(file)) {
    std::fprintf(stderr, "%s: cannot open %s\n", argv[0], file.c_str());
    return 1;
  }
  // The controller hands the player the song position in hundredths of a second; decoding
  // does not depend on how the ticks fall, so one update gives the picture of that moment.
  const auto targetMs = static_cast<int64_t>(std::llround(seconds * 1000));
  player.Update(static_cast<int32_t>(targetMs / 10));

  QImage out(width, height, QImage::Format_RGB32);
  if (width == lyrovox::kCdgWidth && height == lyrovox::kCdgHeight) {
    out = lyrovox::CdgFrameImage(player).copy();
  } else {
    QPainter painter(&out);
    lyrovox::DrawCdgFrame(painter, player, QRectF(0, 0, width, height));
  }
  if (!out.save(QString::fromStdString(png), "PNG")) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], png.c_str());
    return 1;
  }
  std::printf("%s: %u packets, %dx%d\n", png.c_str(), player.processed(), width, height);
  return 0;
}
