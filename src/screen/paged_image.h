#pragma once

// Frame-sized images on memory pages of their own.
//
// Every present copies whole frames between such images. From the general heap a screen-sized
// buffer lands wherever the allocator's history puts it, and the same copy was measured several
// times slower than between buffers that start on a page boundary and own their pages. These
// images get an anonymous mapping each: page-aligned, whole pages, aligned to 2 MiB with
// transparent huge pages asked for when they are that large. The mapping goes with the image's
// last copy. Header-only, so that the video area shares it without linking the screen.

#include <sys/mman.h>

#include <QImage>
#include <QSize>
#include <cstddef>
#include <cstdint>

namespace lyrovox {

namespace paged_image_detail {

inline constexpr size_t kPage = 4096;
inline constexpr size_t kHugePage = size_t{2} << 20;

// The mapping behind one image; deleted with it.
struct Mapping {
  void* base;
  size_t length;

  static void Release(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->base, mapping->length);
    delete mapping;
  }
};

}  // namespace paged_image_detail

// A new image of `size` in `format` on pages of its own; its pixels are zero. A null image when
// the size is empty or too large, or the memory cannot be had.
inline QImage MakePagedImage(QSize size, QImage::Format format) {
  using namespace paged_image_detail;
  const int depth = QImage::toPixelFormat(format).bitsPerPixel();
  if (size.width() <= 0 || size.height() <= 0 || size.width() > 32768 || size.height() > 32768 ||
      depth <= 0) {
    return QImage();
  }
  // Rows of whole 32-bit words, as QImage lays them out.
  const size_t bytesPerLine = ((size_t(size.width()) * size_t(depth) + 31) >> 5) << 2;
  const size_t bytes = (bytesPerLine * size_t(size.height()) + kPage - 1) & ~(kPage - 1);
  const size_t align = bytes >= kHugePage ? kHugePage : kPage;
  const size_t mapped = bytes + align - kPage;
  void* base = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return QImage();
  // Give back the pages before and after the aligned part.
  const auto start = reinterpret_cast<uintptr_t>(base);
  const uintptr_t aligned = (start + align - 1) & ~uintptr_t(align - 1);
  if (aligned > start) munmap(base, aligned - start);
  const uintptr_t end = start + mapped;
  if (end > aligned + bytes)
    munmap(reinterpret_cast<void*>(aligned + bytes), end - aligned - bytes);
  auto* pixels = reinterpret_cast<uchar*>(aligned);
  if (align == kHugePage) madvise(pixels, bytes, MADV_HUGEPAGE);

  auto* mapping = new Mapping{pixels, bytes};
  QImage image(pixels, size.width(), size.height(), static_cast<qsizetype>(bytesPerLine), format,
               &Mapping::Release, mapping);
  if (image.isNull()) Mapping::Release(mapping);
  return image;
}

}  // namespace lyrovox
