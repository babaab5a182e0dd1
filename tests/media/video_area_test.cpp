#include "media/video_area.h"

#include <gtest/gtest.h>
#include <array>

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>
#include <QImage>
#include <QPainter>
#include <array>
#include <memory>

#include "media/file_player.h"
#include "media/gst_handles.h"
#include "media/lyrics_overlay.h"
#include "media/picture_window.h"

namespace lyrovox {
namespace {

constexpr QRgb kKey = 0xFF0E0C10;  // 0x100C0E as a pixel
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kWhite = 0xFFFFFFFF;

// A BGRx sample of one colour, as the picture path's appsink hands it over.
gst::SamplePtr SolidSample(int width, int height, QRgb colour, int parN = 1, int parD = 1) {
  GstVideoInfo info;
  gst_video_info_set_format(&info, GST_VIDEO_FORMAT_BGRx, width, height);
  info.par_n = parN;
  info.par_d = parD;
  gst::CapsPtr caps(gst_video_info_to_caps(&info));
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, info.size, nullptr);
  {
    gst::BufferMap map(buffer, GST_MAP_WRITE);
    for (int y = 0; y < height; ++y) {
      auto* line = reinterpret_cast<uint32_t*>(map.data() + y * info.stride[0]);
      for (int x = 0; x < width; ++x)
        line[x] = colour;
    }
  }
  gst::SamplePtr sample(gst_sample_new(buffer, caps.get(), nullptr, nullptr));
  gst_buffer_unref(buffer);
  return sample;
}

QImage Render(CVideoArea& area) {
  return area.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A frame holder showing one solid picture.
std::shared_ptr<VideoFrameHolder> HolderOf(int width, int height, QRgb colour) {
  auto frames = std::make_shared<VideoFrameHolder>();
  frames->Push(SolidSample(width, height, colour).get());
  return frames;
}

// A lyrics frame of the key colour with a white box.
QImage KeyFrameWithBox(QSize size, QRect box) {
  QImage frame(size, QImage::Format_RGB32);
  frame.fill(kKey);
  QPainter(&frame).fillRect(box, QColor(kWhite));
  return frame;
}

TEST(PictureRect, KeepsTheRatioCentredOrFillsTheArea) {
  const QRect area(0, 0, 400, 300);
  EXPECT_EQ(PictureRect(area, 16, 9, false), QRect(0, 37, 400, 225));
  EXPECT_EQ(PictureRect(area, 1, 1, false), QRect(50, 0, 300, 300));
  EXPECT_EQ(PictureRect(area, 16, 9, true), area);
  EXPECT_EQ(PictureRect(area, 0, 0, false), area);
}

TEST(KeyOutFrame, OnlyTheExactKeyColourBecomesTransparent) {
  QImage frame(3, 1, QImage::Format_RGB32);
  frame.setPixel(0, 0, kKey);
  frame.setPixel(1, 0, 0xFF0E0C11);  // one step off
  frame.setPixel(2, 0, kWhite);
  const QImage keyed = KeyOutFrame(frame, kKeyColor);
  EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
  EXPECT_EQ(keyed.pixel(1, 0), 0xFF0E0C11);
  EXPECT_EQ(keyed.pixel(2, 0), kWhite);
}

TEST(KeyOutFrame, APartGoesIntoAReusedBufferThatSaysWhetherItChanged) {
  QImage frame(4, 2, QImage::Format_RGB32);
  frame.fill(kKey);
  frame.setPixel(2, 1, kWhite);
  QImage out;
  EXPECT_TRUE(KeyOutFrameInto(frame, QRect(1, 0, 2, 2), kKeyColor, out));
  ASSERT_EQ(out.size(), QSize(2, 2));
  EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
  EXPECT_EQ(out.pixel(1, 1), kWhite);
  const uchar* buffer = out.constBits();
  EXPECT_FALSE(KeyOutFrameInto(frame, QRect(1, 0, 2, 2), kKeyColor, out));  // the same again
  EXPECT_EQ(out.constBits(), buffer);
  frame.setPixel(1, 0, kRed);
  EXPECT_TRUE(KeyOutFrameInto(frame, QRect(1, 0, 2, 2), kKeyColor, out));
  EXPECT_EQ(out.pixel(0, 0), kRed);
  // A part reaching past the frame is cut to it; one wholly outside leaves nothing.
  EXPECT_TRUE(KeyOutFrameInto(frame, QRect(3, 1, 5, 5), kKeyColor, out));
  EXPECT_EQ(out.size(), QSize(1, 1));
  EXPECT_TRUE(KeyOutFrameInto(frame, QRect(10, 10, 2, 2), kKeyColor, out));
  EXPECT_TRUE(out.isNull());
  EXPECT_FALSE(KeyOutFrameInto(frame, QRect(10, 10, 2, 2), kKeyColor, out));
}

TEST(VideoFrameHolder, RejectsSamplesItCannotShow) {
  ASSERT_TRUE(gst::EnsureInitialized());
  VideoFrameHolder holder;
  GstVideoInfo info;
  gst_video_info_set_format(&info, GST_VIDEO_FORMAT_I420, 8, 8);
  gst::CapsPtr caps(gst_video_info_to_caps(&info));
  GstBuffer* tiny = gst_buffer_new_allocate(nullptr, 4, nullptr);
  gst::SamplePtr wrongFormat(gst_sample_new(tiny, caps.get(), nullptr, nullptr));
  holder.Push(wrongFormat.get());
  gst_video_info_set_format(&info, GST_VIDEO_FORMAT_BGRx, 64, 64);
  caps.reset(gst_video_info_to_caps(&info));
  gst::SamplePtr shortBuffer(gst_sample_new(tiny, caps.get(), nullptr, nullptr));
  holder.Push(shortBuffer.get());
  gst_buffer_unref(tiny);
  EXPECT_TRUE(holder.Frame().isNull());
  EXPECT_EQ(holder.serial(), 0u);
}

// Pushes (source, colour) in order; the colour of the picture after each push (0: none).
TEST(VideoFrameHolder, TheSourceShownBeforeGoesOnUntilTheNewOneHasAPicture) {
  ASSERT_TRUE(gst::EnsureInitialized());
  VideoFrameHolder holder;
  const uint64_t a = holder.BeginSource();
  auto shown = [&](uint64_t source, QRgb colour) {
    holder.Push(SolidSample(4, 4, colour).get(), source);
    const QImage frame = holder.Frame();
    return frame.isNull() ? QRgb{0} : frame.pixel(0, 0) | 0xFF000000u;
  };
  EXPECT_EQ(shown(a, kRed), kRed);
  EXPECT_TRUE(holder.Showing(a));
  // b is being built: a's picture goes on moving until b has one, then a's frames are dropped.
  const uint64_t b = holder.BeginSource();
  EXPECT_EQ(shown(a, kWhite), kWhite);
  EXPECT_EQ(shown(b, kKey), kKey);
  EXPECT_TRUE(holder.Showing(b));
  EXPECT_EQ(shown(a, kRed), kKey);
  // c gives way to d before it showed anything: b, still on the screen, hands over to d.
  const uint64_t c = holder.BeginSource();
  const uint64_t d = holder.BeginSource();
  EXPECT_EQ(shown(b, kWhite), kWhite);
  EXPECT_EQ(shown(c, kRed), kWhite);
  EXPECT_EQ(shown(d, kRed), kRed);
  EXPECT_FALSE(holder.Showing(b));
  // Without a source: the newest one's.
  holder.Push(SolidSample(4, 4, kWhite).get());
  EXPECT_TRUE(holder.Showing(d));
}

TEST(VideoFrameHolder, AFrameASinkDrawsCountsAsShownWithoutAnImage) {
  ASSERT_TRUE(gst::EnsureInitialized());
  VideoFrameHolder holder;
  const uint64_t a = holder.BeginSource();
  holder.Push(SolidSample(4, 4, kRed).get(), a);
  const uint64_t b = holder.BeginSource();
  // A 720x576 picture of 16:11 pixels: 4:3 on the screen (720 x 16 : 576 x 11 = 11520 : 6336).
  gst::CapsPtr caps(
      gst_caps_from_string("video/x-raw, format=(string)I420, width=(int)720, height=(int)576, "
                           "pixel-aspect-ratio=(fraction)16/11, framerate=(fraction)25/1"));
  const uint64_t before = holder.serial();
  holder.NoteShown(caps.get(), b);
  EXPECT_GT(holder.serial(), before);
  EXPECT_TRUE(holder.Showing(b));  // the hand-over from a is done
  EXPECT_TRUE(holder.Frame().isNull());
  int width = 0, height = 0, ax = 0, ay = 0;
  holder.NativeSize(&width, &height, &ax, &ay);
  EXPECT_EQ(QSize(width, height), QSize(720, 576));
  EXPECT_EQ(QSize(ax, ay), QSize(20, 11));
  // a's frames are no longer shown; caps that say no picture change nothing.
  const uint64_t after = holder.serial();
  holder.NoteShown(caps.get(), a);
  holder.NoteShown(nullptr, b);
  EXPECT_EQ(holder.serial(), after);
}

// The bytes of pixel (x, y) of a picture of 4-byte pixels.
std::array<uint8_t, 4> BytesAt(const std::vector<uint8_t>& picture, int width, int x, int y) {
  const size_t at = (static_cast<size_t>(y) * width + x) * 4;
  return {picture[at], picture[at + 1], picture[at + 2], picture[at + 3]};
}

TEST(LyricsOverlay, InkedPixelsAreWrittenInThePicturesByteOrderScaledAndCutToIt) {
  using Order = LyricsOverlay::PixelOrder;
  using Bytes = std::array<uint8_t, 4>;
  QImage keyed(8, 4, QImage::Format_ARGB32_Premultiplied);
  keyed.fill(0);
  keyed.setPixel(1, 0, 0xFF112233);
  keyed.setPixel(2, 0, 0xFF445566);
  keyed.setPixel(6, 2, 0xFFAABBCC);
  const Bytes untouched{7, 7, 7, 7};
  struct Case {
    const char* name;
    QSize render;   // the overlay's picture
    QSize picture;  // the picture written into
    Order order;
    int64_t inked;
    std::vector<std::pair<QPoint, Bytes>> expected;  // every other pixel stays untouched
  };
  const std::vector<Case> cases = {
      {"BGRx",
       {8, 4},
       {8, 4},
       Order::kBGRx,
       3,
       {{{1, 0}, {0x33, 0x22, 0x11, 0xFF}},
        {{2, 0}, {0x66, 0x55, 0x44, 0xFF}},
        {{6, 2}, {0xCC, 0xBB, 0xAA, 0xFF}}}},
      {"RGBx",
       {8, 4},
       {8, 4},
       Order::kRGBx,
       3,
       {{{1, 0}, {0x11, 0x22, 0x33, 0xFF}},
        {{2, 0}, {0x44, 0x55, 0x66, 0xFF}},
        {{6, 2}, {0xAA, 0xBB, 0xCC, 0xFF}}}},
      {"xRGB",
       {8, 4},
       {8, 4},
       Order::kxRGB,
       3,
       {{{1, 0}, {0xFF, 0x11, 0x22, 0x33}},
        {{2, 0}, {0xFF, 0x44, 0x55, 0x66}},
        {{6, 2}, {0xFF, 0xAA, 0xBB, 0xCC}}}},
      {"xBGR",
       {8, 4},
       {8, 4},
       Order::kxBGR,
       3,
       {{{1, 0}, {0xFF, 0x33, 0x22, 0x11}},
        {{2, 0}, {0xFF, 0x66, 0x55, 0x44}},
        {{6, 2}, {0xFF, 0xCC, 0xBB, 0xAA}}}},
      // Twice the size: each pixel becomes the 2x2 block at twice its place.
      {"twice",
       {16, 8},
       {16, 8},
       Order::kBGRx,
       12,
       {{{2, 0}, {0x33, 0x22, 0x11, 0xFF}},
        {{3, 1}, {0x33, 0x22, 0x11, 0xFF}},
        {{4, 0}, {0x66, 0x55, 0x44, 0xFF}},
        {{5, 1}, {0x66, 0x55, 0x44, 0xFF}},
        {{2, 1}, {0x33, 0x22, 0x11, 0xFF}},
        {{3, 0}, {0x33, 0x22, 0x11, 0xFF}},
        {{4, 1}, {0x66, 0x55, 0x44, 0xFF}},
        {{5, 0}, {0x66, 0x55, 0x44, 0xFF}},
        {{12, 4}, {0xCC, 0xBB, 0xAA, 0xFF}},
        {{13, 4}, {0xCC, 0xBB, 0xAA, 0xFF}},
        {{12, 5}, {0xCC, 0xBB, 0xAA, 0xFF}},
        {{13, 5}, {0xCC, 0xBB, 0xAA, 0xFF}}}},
      // Half the width: picture pixel x shows keyed pixel 2x + 1, the one under its centre, so of
      // the three only (1, 0) shows, at (0, 0).
      {"half", {4, 4}, {4, 4}, Order::kBGRx, 1, {{{0, 0}, {0x33, 0x22, 0x11, 0xFF}}}},
      // A picture smaller than the overlay's: what lies outside it is cut off.
      {"cut", {8, 4}, {2, 2}, Order::kBGRx, 3, {{{1, 0}, {0x33, 0x22, 0x11, 0xFF}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto overlay =
        LyricsOverlay::Make(keyed, keyed.rect(), 0, keyed.rect(), c.render, nullptr);
    ASSERT_TRUE(overlay);
    EXPECT_EQ(overlay->size(), c.render);
    EXPECT_EQ(overlay->inkedPixels(), c.inked);
    const int w = c.picture.width();
    // Rows padded past the picture's width, as converters' strides often are.
    const int stride = w * 4 + 12;
    std::vector<uint8_t> picture(static_cast<size_t>(stride) * c.picture.height(), 7);
    overlay->Apply(picture.data(), stride, w, c.picture.height(), c.order);
    for (int y = 0; y < c.picture.height(); ++y) {
      for (int x = 0; x < stride / 4; ++x) {
        Bytes want = untouched;
        for (const auto& [at, bytes] : c.expected) {
          if (at == QPoint(x, y)) want = bytes;
        }
        const size_t i = static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 4;
        const Bytes got{picture[i], picture[i + 1], picture[i + 2], picture[i + 3]};
        EXPECT_EQ(got, want) << x << "," << y;
      }
    }
  }
}

TEST(LyricsOverlay, OnlyTheRowsThatChangedAreMadeAgain) {
  QImage keyed(8, 4, QImage::Format_ARGB32_Premultiplied);
  keyed.fill(0);
  keyed.setPixel(1, 0, 0xFF112233);
  keyed.setPixel(6, 2, 0xFFAABBCC);
  const auto first =
      LyricsOverlay::Make(keyed, keyed.rect(), 0, keyed.rect(), QSize(8, 4), nullptr);
  ASSERT_TRUE(first);
  // Row 2 is wiped and said to have changed; row 0 changes without saying so.
  keyed.setPixel(6, 2, 0);
  keyed.setPixel(3, 2, 0xFF010203);
  keyed.setPixel(1, 0, 0xFF445566);
  const auto next =
      LyricsOverlay::Make(keyed, keyed.rect(), 0, QRect(0, 2, 8, 1), QSize(8, 4), first);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->inkedPixels(), 2);
  std::vector<uint8_t> picture(8 * 4 * 4, 0);
  next->Apply(picture.data(), 8 * 4, 8, 4, LyricsOverlay::PixelOrder::kBGRx);
  using Bytes = std::array<uint8_t, 4>;
  EXPECT_EQ(BytesAt(picture, 8, 1, 0), (Bytes{0x33, 0x22, 0x11, 0xFF}));  // the row kept
  EXPECT_EQ(BytesAt(picture, 8, 6, 2), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(BytesAt(picture, 8, 3, 2), (Bytes{0x03, 0x02, 0x01, 0xFF}));
  // A colour that changes in place, as a wipe's does, is taken up; a row said to have changed that
  // did not keeps its pixels.
  keyed.setPixel(3, 2, 0xFF0A0B0C);
  const auto wiped =
      LyricsOverlay::Make(keyed, keyed.rect(), 0, QRect(0, 0, 8, 3), QSize(8, 4), next);
  ASSERT_TRUE(wiped);
  wiped->Apply(picture.data(), 8 * 4, 8, 4, LyricsOverlay::PixelOrder::kBGRx);
  EXPECT_EQ(BytesAt(picture, 8, 3, 2), (Bytes{0x0C, 0x0B, 0x0A, 0xFF}));
  EXPECT_EQ(BytesAt(picture, 8, 1, 0), (Bytes{0x66, 0x55, 0x44, 0xFF}));
  // Another picture size makes every row again.
  const auto resized =
      LyricsOverlay::Make(keyed, keyed.rect(), 0, QRect(0, 2, 8, 1), QSize(16, 8), next);
  ASSERT_TRUE(resized);
  std::vector<uint8_t> big(16 * 8 * 4, 0);
  resized->Apply(big.data(), 16 * 4, 16, 8, LyricsOverlay::PixelOrder::kBGRx);
  EXPECT_EQ(BytesAt(big, 16, 2, 0), (Bytes{0x66, 0x55, 0x44, 0xFF}));
  // Nothing inked, no picture, no part of the frame, or not 32-bit pixels: no overlay.
  QImage blank(8, 4, QImage::Format_ARGB32_Premultiplied);
  blank.fill(0);
  EXPECT_FALSE(LyricsOverlay::Make(blank, blank.rect(), 0, blank.rect(), QSize(8, 4), nullptr));
  EXPECT_FALSE(LyricsOverlay::Make(keyed, keyed.rect(), 0, keyed.rect(), QSize(), nullptr));
  EXPECT_FALSE(
      LyricsOverlay::Make(keyed, QRect(8, 0, 4, 4), 0, keyed.rect(), QSize(8, 4), nullptr));
  EXPECT_FALSE(LyricsOverlay::Make(keyed.convertToFormat(QImage::Format_RGB16), keyed.rect(), 0,
                                   keyed.rect(), QSize(8, 4), nullptr));
}

TEST(LyricsOverlay, ReplacingOneOverlayByAnotherLeavesThePictureAsIfOnlyTheNewOneWereWritten) {
  QImage keyed(8, 4, QImage::Format_ARGB32_Premultiplied);
  keyed.fill(0);
  keyed.setPixel(1, 0, 0xFF112233);
  keyed.setPixel(2, 3, 0xFF445566);
  const auto first =
      LyricsOverlay::Make(keyed, keyed.rect(), 0, keyed.rect(), QSize(8, 4), nullptr);
  // Row 3 changes (a wipe); row 0 is shared with the first.
  keyed.setPixel(2, 3, 0);
  keyed.setPixel(5, 3, 0xFF778899);
  const auto second =
      LyricsOverlay::Make(keyed, keyed.rect(), 0, QRect(0, 3, 8, 1), QSize(8, 4), first);
  ASSERT_TRUE(first && second);
  // A picture whose every byte differs.
  std::vector<uint8_t> original(8 * 4 * 4);
  for (size_t i = 0; i < original.size(); ++i)
    original[i] = static_cast<uint8_t>(i);
  const auto written = [&](const LyricsOverlay* overlay) {
    std::vector<uint8_t> picture = original;
    if (overlay != nullptr)
      overlay->Apply(picture.data(), 32, 8, 4, LyricsOverlay::PixelOrder::kBGRx);
    return picture;
  };
  std::vector<uint8_t> picture = original;
  LyricsOverlay::Under under;
  const struct {
    const LyricsOverlay* before;
    const LyricsOverlay* now;
  } steps[] = {{nullptr, first.get()},  {first.get(), second.get()}, {second.get(), nullptr},
               {nullptr, second.get()}, {second.get(), first.get()}, {first.get(), nullptr}};
  for (const auto& step : steps) {
    LyricsOverlay::Replace(step.before, step.now, picture.data(), 32, 8, 4,
                           LyricsOverlay::PixelOrder::kBGRx, under);
    EXPECT_EQ(picture, written(step.now));
  }
  EXPECT_EQ(picture, original);
}

TEST(LyricsOverlay, AScreenFramesKeyColourShowsThePictureInThePartItCovers) {
  // A screen frame with the lyrics' target at (2, 1): the key colour clears, the rest is opaque.
  QImage frame(10, 6, QImage::Format_RGB32);
  frame.fill(kKey);
  frame.setPixel(2, 1, 0xFF112233);  // the part's top left
  frame.setPixel(5, 3, 0xFF445566);
  frame.setPixel(0, 0, 0xFFFFFFFF);  // outside the part
  // RGB32 pixels whose top byte is not set, as raw copies leave them: the key colour still
  // clears, and the other is opaque.
  reinterpret_cast<uint32_t*>(frame.scanLine(1))[3] = kKey & 0xFFFFFF;
  reinterpret_cast<uint32_t*>(frame.scanLine(4))[7] = 0x00778899;
  const auto overlay =
      LyricsOverlay::Make(frame, QRect(2, 1, 6, 4), kKey, frame.rect(), QSize(6, 4), nullptr);
  ASSERT_TRUE(overlay);
  EXPECT_EQ(overlay->inkedPixels(), 3);
  std::vector<uint8_t> picture(6 * 4 * 4, 9);
  overlay->Apply(picture.data(), 6 * 4, 6, 4, LyricsOverlay::PixelOrder::kBGRx);
  using Bytes = std::array<uint8_t, 4>;
  EXPECT_EQ(BytesAt(picture, 6, 0, 0), (Bytes{0x33, 0x22, 0x11, 0xFF}));
  EXPECT_EQ(BytesAt(picture, 6, 3, 2), (Bytes{0x66, 0x55, 0x44, 0xFF}));
  EXPECT_EQ(BytesAt(picture, 6, 1, 0), (Bytes{9, 9, 9, 9}));
  EXPECT_EQ(BytesAt(picture, 6, 5, 3), (Bytes{0x99, 0x88, 0x77, 0xFF}));
}

TEST(CVideoArea, ThePictureShowsExactlyWhereTheLyricsFrameHasTheKeyColour) {
  ASSERT_TRUE(gst::EnsureInitialized());
  auto frames = HolderOf(64, 48, kRed);
  CVideoArea area;
  area.resize(80, 60);
  area.SetFrameSource(frames);

  area.SetLyricsFrame(KeyFrameWithBox(QSize(80, 60), QRect(10, 10, 20, 5)));

  const QImage shown = Render(area);
  EXPECT_EQ(shown.pixel(0, 0), kRed);
  EXPECT_EQ(shown.pixel(79, 59), kRed);
  EXPECT_EQ(shown.pixel(10, 10), kWhite);
  EXPECT_EQ(shown.pixel(29, 14), kWhite);
  EXPECT_EQ(shown.pixel(30, 14), kRed);
  EXPECT_EQ(shown.pixel(29, 15), kRed);
}

TEST(CVideoArea, ThePictureKeepsItsProportionsUnlessStretched) {
  ASSERT_TRUE(gst::EnsureInitialized());
  auto frames = HolderOf(160, 90, kRed);  // 16:9 in a 4:3 area
  CVideoArea area;
  area.resize(160, 120);
  area.SetFrameSource(frames);
  frames->SetStretch(false);
  QImage shown = Render(area);
  EXPECT_EQ(shown.pixel(80, 5), 0xFF000000u);  // black bar above
  EXPECT_EQ(shown.pixel(80, 60), kRed);
  EXPECT_EQ(shown.pixel(80, 114), 0xFF000000u);  // and below

  frames->SetStretch(true);
  shown = Render(area);
  EXPECT_EQ(shown.pixel(80, 5), kRed);
  EXPECT_EQ(shown.pixel(80, 114), kRed);

  // Wide pixels make a wider picture: 120 x 120 with 4:3 pixels shows as 4:3.
  frames->SetStretch(false);
  frames->Push(SolidSample(120, 120, kRed, 4, 3).get());
  shown = Render(area);
  EXPECT_EQ(shown.pixel(2, 60), kRed);
  EXPECT_EQ(shown.pixel(80, 2), kRed);

  // A video rectangle narrower than the area.
  area.SetVideoRect(QRect(40, 0, 80, 120));
  shown = Render(area);
  EXPECT_EQ(shown.pixel(20, 60), 0xFF000000u);
  EXPECT_EQ(shown.pixel(80, 60), kRed);
}

TEST(CVideoArea, APresentedFramesVideoPartIsDrawnOverThePicture) {
  ASSERT_TRUE(gst::EnsureInitialized());
  auto frames = HolderOf(32, 24, kRed);  // scaled up to the area
  CVideoArea area;
  area.resize(40, 30);
  area.SetFrameSource(frames);
  // A screen-sized frame whose video part is the top left 40 x 30.
  QImage frame(100, 80, QImage::Format_RGB32);
  frame.fill(kKey);
  QPainter(&frame).fillRect(5, 5, 10, 10, QColor(kWhite));
  QPainter(&frame).fillRect(50, 50, 10, 10, QColor(kWhite));  // outside the part
  area.SetLyricsFrame(frame, QRect(0, 0, 40, 30));
  frame.fill(kWhite);  // the area keeps what it was given
  const QImage shown = Render(area);
  EXPECT_EQ(shown.pixel(7, 7), kWhite);
  EXPECT_EQ(shown.pixel(20, 20), kRed);
  EXPECT_EQ(shown.pixel(39, 29), kRed);
}

TEST(CVideoArea, APresentKeysOutWhatChangedAndAPartialPaintKeepsThePicturePaintedBefore) {
  ASSERT_TRUE(gst::EnsureInitialized());
  constexpr QRgb kGreen = 0xFF00FF00;
  auto frames = HolderOf(40, 30, kRed);
  CVideoArea area;
  area.resize(40, 30);
  area.SetFrameSource(frames);
  QImage frame = KeyFrameWithBox(QSize(100, 80), QRect(5, 5, 10, 10));
  const QRect part(0, 0, 40, 30);
  area.SetLyricsFrame(frame, part, FrameDamage::Whole(frame.rect()));
  EXPECT_EQ(Render(area).pixel(7, 7), kWhite);

  // The box moves right: the damage names its old and new places and covers only the new.
  frame.fill(kKey);
  QPainter(&frame).fillRect(20, 5, 10, 10, QColor(kWhite));
  area.SetLyricsFrame(frame, part, {QRegion(5, 5, 25, 10), QRegion(20, 5, 10, 10)});
  QImage shown = Render(area);
  EXPECT_EQ(shown.pixel(7, 7), kRed);
  EXPECT_EQ(shown.pixel(22, 7), kWhite);
  EXPECT_EQ(shown.pixel(35, 25), kRed);

  // A newer picture waits for a paint of the whole area: a part alone would tear it.
  frames->Push(SolidSample(40, 30, kGreen).get());
  QImage partial(40, 30, QImage::Format_RGB32);
  partial.fill(0);
  area.render(&partial, QPoint(), QRegion(0, 0, 10, 10));
  EXPECT_EQ(partial.pixel(2, 2), kRed);
  shown = Render(area);
  EXPECT_EQ(shown.pixel(2, 2), kGreen);
  EXPECT_EQ(shown.pixel(22, 7), kWhite);
}

TEST(CVideoArea, WithoutAPictureTheKeyColourShowsBlack) {
  CVideoArea area;
  area.resize(20, 20);
  QImage lyrics(20, 20, QImage::Format_RGB32);
  lyrics.fill(kKey);
  area.SetLyricsFrame(lyrics);
  EXPECT_EQ(Render(area).pixel(10, 10), 0xFF000000u);
}

}  // namespace
}  // namespace lyrovox
