#pragma once

// The lyrics a picture path writes over each frame of the picture: for every row of the picture,
// the runs of lyric pixels and their colours. Keyed lyrics are either fully transparent or fully
// opaque, so putting them over a frame is a copy of those runs, not a blend: the cost follows the
// ink, not the picture's size.
//
// An overlay never changes once made, so the streaming threads read it without a lock; the next
// one shares every row that did not change.

#include <QImage>
#include <QRegion>
#include <QSize>
#include <cstdint>
#include <memory>
#include <vector>

namespace lyrovox {

class LyricsOverlay {
 public:
  // Byte orders of the 4-byte pixels the overlay writes into (the picture's format).
  enum class PixelOrder { kBGRx, kRGBx, kxRGB, kxBGR };

  // The part `source` of a lyrics frame (32-bit pixels; those equal to `clear` show the picture,
  // the rest are opaque, as an RGB32 frame's pixels are whatever their top byte) over a picture of
  // renderSize, scaled to it by nearest pixels. Made new from the rows of `before` where it came
  // from the same part for the same size and the frame's pixels changed only in `changed` (frame
  // coordinates); otherwise from the whole part. Null when nothing is inked.
  static std::shared_ptr<const LyricsOverlay> Make(
      const QImage& frame, const QRect& source, uint32_t clear, const QRegion& changed,
      QSize renderSize, const std::shared_ptr<const LyricsOverlay>& before);

  // The size of the picture it is made for, and the part of the frame it came from.
  QSize size() const { return size_; }
  QRect source() const { return source_; }
  // How many pixels it writes.
  int64_t inkedPixels() const { return inked_; }

  // Writes the lyrics into a picture of width x height pixels of the given order, rows `stride`
  // bytes apart; an overlay made for another size is cut to the picture.
  void Apply(uint8_t* data, int stride, int width, int height, PixelOrder order) const;
  // What a picture held under an overlay, row by row. A row that neither overlay has is never
  // read, so the storage of another picture's may be reused.
  struct Under {
    std::vector<std::vector<uint32_t>> rows;
  };
  // Writes `now` (null: none) into a picture that shows `before` (null: none), with `under`
  // holding what `before` covers: a row the two share is left as it is; any other gets the
  // picture back and now's row over it, `under` keeping what that covers.
  static void Replace(const LyricsOverlay* before, const LyricsOverlay* now, uint8_t* data,
                      int stride, int width, int height, PixelOrder order, Under& under);

 private:
  struct Run {
    int x = 0;
    int length = 0;
    uint32_t first = 0;  // index of its first pixel in the row's pixels
  };
  struct Row {
    std::vector<Run> runs;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB
  };
  // Whether an unscaled line of the frame writes what row does (null: nothing).
  // Calls visit(line, x, count, pixels) for each run cut to a picture of width x height.
  template <class Visit>
  void ForEachRun(int width, int height, Visit&& visit) const;
  // The same for one row's runs cut to a picture width wide.
  template <class Visit>
  static void ForEachRunOf(const Row& row, int width, Visit&& visit);
  static bool SameRow(const uint32_t* line, int width, uint32_t opaque, uint32_t clear,
                      const Row* row);
  static std::shared_ptr<const Row> MakeRow(const uint32_t* line, int lineWidth, uint32_t opaque,
                                            uint32_t clear, int width);

  QSize size_;
  QRect source_;
  int64_t inked_ = 0;
  std::vector<std::shared_ptr<const Row>> rows_;  // one per picture row; null: nothing inked
};

}  // namespace lyrovox
