#include "screen/paged_image.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <QPainter>
#include <cerrno>
#include <cstdint>
#include <vector>

namespace lyrovox {
namespace {

// Whether the page at `address` is mapped in this process (mincore fails with ENOMEM if not).
bool Mapped(const void* address) {
  unsigned char resident = 0;
  const auto page = reinterpret_cast<uintptr_t>(address) & ~uintptr_t{4095};
  return mincore(reinterpret_cast<void*>(page), 4096, &resident) == 0 || errno != ENOMEM;
}

void DrawSomething(QImage& image) {
  image.fill(qRgb(14, 12, 16));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(250, 166, 0, 200));
  painter.drawEllipse(QRectF(1.5, 0.5, image.width() * 0.7, image.height() * 0.8));
  painter.fillRect(QRect(image.width() / 3, 0, 2, image.height()), Qt::white);
}

TEST(PagedImageTest, ImagesAreZeroedOnTheirOwnAlignedPagesAndDrawLikeHeapImages) {
  struct Case {
    QSize size;
    QImage::Format format;
  };
  const Case cases[] = {
      {{1920, 1080}, QImage::Format_RGB32},
      {{1280, 720}, QImage::Format_ARGB32_Premultiplied},
      {{800, 600}, QImage::Format_ARGB32_Premultiplied},
      {{333, 17}, QImage::Format_RGB32},
      {{1, 1}, QImage::Format_RGB32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height());
    QImage paged = MakePagedImage(c.size, c.format);
    ASSERT_FALSE(paged.isNull());
    QImage heap(c.size, c.format);
    EXPECT_EQ(paged.size(), c.size);
    EXPECT_EQ(paged.format(), c.format);
    EXPECT_EQ(paged.bytesPerLine(), heap.bytesPerLine());
    const auto address = reinterpret_cast<uintptr_t>(paged.constBits());
    EXPECT_EQ(address % 4096, 0u);
    // 2 MiB and more: aligned for huge pages.
    if (paged.sizeInBytes() >= (qsizetype{2} << 20)) {
      EXPECT_EQ(address % (uintptr_t{2} << 20), 0u);
    }
    const auto* words = reinterpret_cast<const uint32_t*>(paged.constBits());
    EXPECT_EQ(std::vector<uint32_t>(words, words + paged.sizeInBytes() / 4),
              std::vector<uint32_t>(paged.sizeInBytes() / 4, 0u));

    DrawSomething(paged);
    DrawSomething(heap);
    EXPECT_EQ(paged, heap);
    // Drawing keeps to the pages: no copy was made.
    EXPECT_EQ(reinterpret_cast<uintptr_t>(paged.constBits()), address);

    // A copy shares the pixels until one side changes.
    const QImage before = paged.copy();
    const QImage shared = paged;
    paged.fill(Qt::black);
    EXPECT_EQ(shared, before);
  }
}

TEST(PagedImageTest, PagesGoWithTheLastCopyAndBadSizesGiveNullImages) {
  const void* pixels = nullptr;
  {
    QImage image = MakePagedImage(QSize(640, 480), QImage::Format_RGB32);
    pixels = image.constBits();
    const QImage copy = image;
    image = QImage();
    EXPECT_TRUE(Mapped(pixels));
    EXPECT_EQ(copy.constBits(), pixels);
  }
  EXPECT_FALSE(Mapped(pixels));

  for (const QSize size : {QSize(0, 10), QSize(10, 0), QSize(-1, -1), QSize(40000, 2)})
    EXPECT_TRUE(MakePagedImage(size, QImage::Format_RGB32).isNull()) << size.width();
  EXPECT_TRUE(MakePagedImage(QSize(10, 10), QImage::Format_Invalid).isNull());
}

}  // namespace
}  // namespace lyrovox
