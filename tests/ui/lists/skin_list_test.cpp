// The skinned list: row colours, the marked row and the text of an empty list.

#include "ui/lists/skin_list_ctrl.h"

#include <gtest/gtest.h>

#include <QImage>

#include "list_rig.h"

namespace lyrovox::testing {
namespace {

// How many pixels of the row have exactly this colour.
int PixelsOf(const QImage& image, int row, QColor color) {
  int n = 0;
  for (int y = row * CSkinListCtrl::kRowHeight; y < (row + 1) * CSkinListCtrl::kRowHeight; ++y) {
    for (int x = 0; x < image.width(); ++x)
      n += image.pixelColor(x, y).rgb() == color.rgb() ? 1 : 0;
  }
  return n;
}

TEST(SkinListTest, RowsSelectionAndTheMarkedRowInTheirColours) {
  CSkinListCtrl list(true);
  list.resize(300, 5 * CSkinListCtrl::kRowHeight);
  for (int i = 0; i < 3; ++i)
    list.InsertSong(QString("00000%1 - Song").arg(i + 1), "/k/s.mp3", i);
  list.SetMarkedRow(1);
  list.selectRow(1);
  const QImage image = list.grab().toImage();
  const QColor rowBackground[] = {{83, 93, 125}, {110, 113, 168}, {83, 93, 125}};
  for (int row = 0; row < 3; ++row)
    EXPECT_EQ(image.pixelColor(list.width() - 8, row * CSkinListCtrl::kRowHeight + 2),
              rowBackground[row])
        << row;
  EXPECT_EQ(image.pixelColor(5, 3 * CSkinListCtrl::kRowHeight + 2), QColor(74, 83, 110));
  EXPECT_EQ(image.pixelColor(5, 4 * CSkinListCtrl::kRowHeight + 2), QColor(74, 83, 110));
  // Text: white on row 0, the marked colour on the selected marked row.
  EXPECT_GT(PixelsOf(image, 0, Qt::white), 0);
  EXPECT_EQ(PixelsOf(image, 0, QColor(128, 191, 255)), 0);
  EXPECT_GT(PixelsOf(image, 1, QColor(128, 191, 255)), 0);
  EXPECT_EQ(PixelsOf(image, 1, QColor(229, 229, 229)), 0);
  list.clearSelection();
  list.selectRow(2);
  const QImage second = list.grab().toImage();
  EXPECT_GT(PixelsOf(second, 2, QColor(229, 229, 229)), 0);
  EXPECT_GT(PixelsOf(second, 1, QColor(128, 191, 255)), 0);  // marked, not selected
  EXPECT_EQ(second.pixelColor(list.width() - 8, CSkinListCtrl::kRowHeight + 2),
            QColor(74, 83, 110));
}

TEST(SkinListTest, AnEmptyListShowsItsTextInItsOwnColoursUntilARowComes) {
  CSkinListCtrl list(true);
  list.resize(416, 400);
  // Pixels of the text: white, or nearly (antialiased over the background).
  const auto textPixels = [&list] {
    const QImage image = list.grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        EXPECT_TRUE(c.red() >= 74 && c.green() >= 83 && c.blue() >= 110)
            << "not text over the odd-row colour at " << x << "," << y;
        n += c.red() > 200 && c.green() > 200 && c.blue() > 200 ? 1 : 0;
      }
    }
    return n;
  };
  EXPECT_EQ(textPixels(), 0);  // no text set: the empty area only
  list.SetEmptyText("No song matches");
  EXPECT_GT(textPixels(), 100);
  const QImage shown = list.grab().toImage();
  EXPECT_EQ(shown.pixelColor(2, 2), QColor(74, 83, 110));
  list.InsertSong("000001 - Song", "/k/s.mp3", 0);
  list.clearSelection();
  // With a row the text has gone: below the row only the empty area's colour.
  const QImage withRow = list.grab().toImage();
  int other = 0;
  for (int y = CSkinListCtrl::kRowHeight; y < withRow.height(); ++y) {
    for (int x = 0; x < withRow.width(); ++x)
      other += withRow.pixelColor(x, y) != QColor(74, 83, 110) ? 1 : 0;
  }
  EXPECT_EQ(other, 0);
  list.rows().Clear();
  EXPECT_GT(textPixels(), 100);
}

}  // namespace
}  // namespace lyrovox::testing
