// The skinned list: row colours, the marked row, the wildcard match and what a drop adds.

#include "ui/lists/skin_list_ctrl.h"

#include <gtest/gtest.h>

#include <QImage>

#include "list_rig.h"
#include "ui/lists/song_files.h"

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

TEST(SkinListTest, MatchWildcard) {
  const struct {
    const char16_t* pattern;
    const char16_t* text;
    bool match;
  } cases[] = {
      {u"*.MP3", u"C:/MY.SONGS/A.MP3", true},
      {u"*.MP3", u"A.MP3.LRC", false},
      {u"*.MP3", u"a.mp3", false},
      {u"?.KAR", u"A.KAR", true},
      {u"?.KAR", u"AB.KAR", false},
      {u"*", u"", true},
      {u"X", u"", true},
      {u"A*B*C", u"AXXBYYC", true},
      {u"A*B*C", u"AXXBYY", false},
      {u"**", u"ANY", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchWildcard(c.pattern, c.text), c.match)
        << QString::fromUtf16(c.pattern).toStdString() << " "
        << QString::fromUtf16(c.text).toStdString();
}

TEST(SkinListTest, WhatADropAdds) {
  TempDir dir;
  CSkinListCtrl list(true);
  const struct {
    const char* path;
    int added;
  } cases[] = {
      {"/media/My.Songs/a.mp3", 1},
      {"/k/a.wma", 0},
      {"/k/a.zip", 0},
      {"/k/b.KAR", 1},
      {"/k/c.mp4", 1},
      {"/k/d.vob", 1},
      {"/k/e.txt", 0},
      {"", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(list.AddDroppedFile(c.path, list.rows().count()), c.added) << c.path;
  ASSERT_EQ(list.rows().count(), 4);
  EXPECT_EQ(list.rows().row(0).title, "a");
  EXPECT_EQ(list.rows().row(0).path, "/media/My.Songs/a.mp3");

  // List files: the program's own UTF-16, and 8-bit text, inserted where the drop says.
  const std::string wide =
      dir.Write("wide.m3u", "\xFF\xFE" + Le(u"#EXTM3U\r\n/k/Hoà.kar\r\nrel.mid\r\n"));
  const std::string narrow = dir.Write("narrow.M3U", "/k/x.kar\n");
  EXPECT_EQ(list.AddDroppedFile(QString::fromStdString(wide), 1), 2);
  EXPECT_EQ(list.ReadDroppedListFile(QString::fromStdString(narrow), 0), 1);
  EXPECT_EQ(list.ReadDroppedListFile(QString::fromStdString(dir.File("none.m3u")), 0), 0);
  QStringList titles;
  for (const SongRow& row : list.rows().rows())
    titles << row.title;
  EXPECT_EQ(titles, QStringList({"x", "a", "Hoà", "rel", "b", "c", "d"}));
  EXPECT_EQ(list.rows().row(3).path, QString::fromStdString(dir.path()) + "/rel.mid");
}

}  // namespace
}  // namespace lyrovox::testing
