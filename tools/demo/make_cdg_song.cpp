// Writes a CD+G side file that looks like a karaoke disc's: four lines of "Twinkle, Twinkle,
// Little Star" (public domain) drawn in white tiles on the background colour, then coloured
// orange tile column by tile column as they are sung, two seconds a line from 1 s on. The
// background is the colour of the memory preset, so the player shows its video there.
//
// usage: lyrovox-make-cdg-song OUT.cdg [SECONDS]     (SECONDS: 10 by default, at least 10)

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "common/cdg_builder.h"

namespace {

constexpr int kPacketsPerSecond = 300;
constexpr int kTileWidth = 6;
constexpr int kTileHeight = 12;
constexpr int kColumns = 50;
constexpr int kWidth = kColumns * kTileWidth;  // 300
constexpr int kHeight = 18 * kTileHeight;      // 216

// Colour indexes: 0 the background (the memory preset), 1 the lines, 2 the sung part.
constexpr int kBackground = 0;
constexpr int kUnsung = 1;
constexpr int kSung = 2;

const char* const kLines[] = {"Twinkle, twinkle,", "little star,", "How I wonder", "what you are!"};
constexpr int kLineCount = 4;
constexpr int kFirstLineRow = 3;  // each line takes two tile rows, one row apart
constexpr int kRowsPerLine = 3;

// The lines drawn as one-bit text: pixel (x, y) is ink when non-zero.
QImage DrawLines() {
  QImage ink(kWidth, kHeight, QImage::Format_Grayscale8);
  ink.fill(0);
  QPainter painter(&ink);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(20);
  font.setBold(true);
  font.setStyleStrategy(QFont::NoAntialias);
  painter.setFont(font);
  painter.setPen(Qt::white);
  for (int i = 0; i < kLineCount; ++i) {
    const QRect box(kTileWidth, (kFirstLineRow + kRowsPerLine * i) * kTileHeight,
                    kWidth - 2 * kTileWidth, 2 * kTileHeight);
    painter.drawText(box, Qt::AlignCenter, QString::fromLatin1(kLines[i]));
  }
  return ink;
}

lyrovox::cdg::TileRows TileBits(const QImage& ink, int row, int column) {
  lyrovox::cdg::TileRows rows{};
  for (int y = 0; y < kTileHeight; ++y) {
    const uchar* line = ink.constScanLine(row * kTileHeight + y);
    uint8_t bits = 0;
    for (int x = 0; x < kTileWidth; ++x) {
      if (line[column * kTileWidth + x] != 0) bits |= static_cast<uint8_t>(0x20 >> x);
    }
    rows[static_cast<size_t>(y)] = bits;
  }
  return rows;
}

bool HasInk(const lyrovox::cdg::TileRows& rows) {
  for (uint8_t bits : rows) {
    if (bits != 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s OUT.cdg [SECONDS]\n", argv[0]);
    return 2;
  }
  int seconds = 10;
  if (argc == 3) {
    seconds = std::atoi(argv[2]);
    if (seconds < 10 || seconds > 3600) {
      std::fprintf(stderr, "%s: SECONDS is 10 to 3600\n", argv[0]);
      return 2;
    }
  }
  // Text is drawn without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QImage ink = DrawLines();

  // What happens at which packet; every other packet is empty.
  std::multimap<int, std::string> events;
  events.emplace(0, lyrovox::cdg::MemoryPreset(kBackground));
  events.emplace(1, lyrovox::cdg::BorderPreset(kBackground));
  events.emplace(
      2, lyrovox::cdg::LoadTable(false, {0x113, 0xFFF, 0xF92, 0x000, 0x000, 0x000, 0x000, 0x000}));
  const int shownAt = kPacketsPerSecond / 2;
  const int singFrom = kPacketsPerSecond;
  const int perLine = 2 * kPacketsPerSecond;
  for (int line = 0; line < kLineCount; ++line) {
    const int top = kFirstLineRow + kRowsPerLine * line;
    for (int column = 1; column < kColumns - 1; ++column) {
      const int singAt = singFrom + line * perLine + (column - 1) * perLine / (kColumns - 2);
      for (int row = top; row < top + 2; ++row) {
        const lyrovox::cdg::TileRows bits = TileBits(ink, row, column);
        if (!HasInk(bits)) continue;
        events.emplace(shownAt, lyrovox::cdg::Tile(kBackground, kUnsung, row, column, bits));
        events.emplace(singAt, lyrovox::cdg::Tile(kBackground, kSung, row, column, bits));
      }
    }
  }

  std::string stream;
  const int packets = seconds * kPacketsPerSecond;
  stream.reserve(static_cast<size_t>(packets) * 24);
  auto next = events.begin();
  for (int i = 0; i < packets; ++i) {
    // Events that fall on a packet already taken move to the next free one.
    if (next != events.end() && next->first <= i) {
      stream += next->second;
      ++next;
    } else {
      stream += lyrovox::cdg::Empty();
    }
  }
  std::ofstream out(argv[1], std::ios::binary);
  out.write(stream.data(), static_cast<std::streamsize>(stream.size()));
  if (!out) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
