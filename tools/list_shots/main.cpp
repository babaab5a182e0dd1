// Screenshots of the song list windows, as a singer sees them:
//   playlist.png         the play list (reserved list off): a numbered list read from a list file,
//                        the song being played marked, two rows selected
//   playlist-search.png  the same list searched for "hoa" (Vietnamese folding finds Hoà, Hòa, ...)
//   playlist-nomatch.png the same list searched for what none of its songs holds
//   playlist-empty.png   the play list without songs, saying how to add them
//   reserved-on.png      the reserved list with four songs queued, the second selected
//   reserved-off.png     the reserved list switched off (its header only)
//
//   lyrovox-list-shots OUT_DIR       (run under a display, e.g. xvfb-run)

#include <QApplication>
#include <QBitmap>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "controller/qt_text.h"
#include "controller/settings_store.h"
#include "ui/lists/m3u_file.h"
#include "ui/lists/play_list_dlg.h"
#include "ui/lists/reserved_list_dlg.h"

namespace {

using namespace lyrovox;

const char16_t* const kSongs[] = {
    u"Hoà Bình",        u"Love Song",     u"月亮代表我的心", u"Đêm Đông",   u"Yesterday Once",
    u"Hoa Sữa",         u"甜蜜蜜",        u"Mùa Thu Cho Em", u"Blue Moon",  u"Hòa Âm Ánh Sáng",
    u"小城故事",        u"Diễm Xưa",      u"Summer Rain",    u"Biển Nhớ",   u"海阔天空",
    u"Hạ Trắng",        u"Dancing Queen", u"Nắng Thủy Tinh", u"朋友别哭",   u"Hoa Tím Ngoài Sân",
    u"River Of Dreams", u"Trịnh Ca",      u"夜来香",         u"Sweet Home", u"Cô Hàng Xóm",
};

// The window as it stands on the screen: its pixels inside its rounded mask.
bool Save(QWidget& window, const QString& path) {
  QImage image = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  const QRegion mask = window.mask();
  if (!mask.isEmpty()) {
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (!mask.contains(QPoint(x, y))) image.setPixel(x, y, 0);
      }
    }
  }
  const bool ok = image.save(path);
  std::printf("%s\t%dx%d\n", qPrintable(path), image.width(), image.height());
  return ok;
}

void Settle() {
  for (int i = 0; i < 5; ++i)
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  QTemporaryDir dir;

  // Settings kept in memory only: the user's profile is not touched.
  SettingsStore settings{QString()};
  settings.values().reservedListEnable = 0;

  std::vector<std::u16string> paths;
  for (const char16_t* song : kSongs)
    paths.push_back(u"/srv/karaoke/" + std::u16string(song) + u".kar");
  const QString list = dir.filePath("Party Night.m3u");
  std::ofstream(list.toStdString(), std::ios::binary) << m3u::EncodeListFile(paths);

  bool ok = true;
  {
    PlayListDlg playList(settings);
    playList.move(100, 100);
    playList.ReadSongListFile(list);
    playList.SetPlayPosition(3);
    CSkinListCtrl& songs = playList.songList();
    songs.selectRow(5);
    songs.selectionModel()->select(songs.model()->index(6, 1),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    playList.show();
    Settle();
    ok &= Save(playList, out + "/playlist.png");

    playList.searchBox().setText("hoa");
    playList.searchResults().selectRow(1);
    Settle();
    ok &= Save(playList, out + "/playlist-search.png");

    playList.searchBox().setText("zzz");
    Settle();
    ok &= Save(playList, out + "/playlist-nomatch.png");
  }
  {
    settings.values().reservedListEnable = 1;
    PlayListDlg empty(settings);
    empty.move(100, 100);
    empty.show();
    Settle();
    ok &= Save(empty, out + "/playlist-empty.png");
  }
  {
    settings.values().reservedListEnable = 1;
    ReservedListDlg reserved(settings);
    reserved.move(100, 700);
    reserved.InsertSong(0, "000004 - Đêm Đông", "/srv/karaoke/Đêm Đông.kar");
    reserved.InsertSong(1, "000003 - 月亮代表我的心", "/srv/karaoke/月亮代表我的心.kar");
    reserved.InsertSong(2, "000017 - Dancing Queen", "/srv/karaoke/Dancing Queen.kar");
    reserved.InsertSong(3, "Hoa Sữa - Hồng Nhung", "/srv/karaoke/Hoa Sữa.kar");
    reserved.list().selectRow(1);
    reserved.show();
    Settle();
    ok &= Save(reserved, out + "/reserved-on.png");

    reserved.ClearSongs();
    reserved.SwitchMode();  // empty: off at once
    Settle();
    ok &= Save(reserved, out + "/reserved-off.png");
  }
  return ok ? 0 : 1;
}
