#pragma once

// Plain stand-ins for the floating windows that are not drawn yet: a video window that is the
// video area alone with the control panel's text in its title bar, and the song list and the
// reserved list kept as rows. They do what their windows do for the controller and keep the
// same settings and files, so the program is whole while the skinned windows are made.

#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "controller/ports.h"
#include "controller/settings_store.h"
#include "media/video_area.h"

namespace lyrovox {

class CMainFrame;
class CLyricScreen;

// The video window: the video area fills it. Writes its place on destroy, unless full screen.
class StandInVideoWindow final : public QWidget, public IVideoWindow {
 public:
  explicit StandInVideoWindow(SettingsStore& settings);
  ~StandInVideoWindow() override;

  // screen: the lyrics screen whose target follows the video area (null when there is none).
  void Attach(CMainFrame& frame, CLyricScreen* screen);
  CVideoArea& area() { return *area_; }
  // The video area fills the window: in the frame's coordinates it is (0, 0) and its size.
  QRect GetVideoRect() const override;
  void SetFullScreen(bool on) override;
  bool IsFullScreen() const override { return fullScreen_; }
  void SetVideoStarted(bool) override {}
  // Place and size are not written back (tools that place the window themselves).
  void SetKeepsPlace(bool keeps) { writesPlace_ = !keeps; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void UpdateTarget();

  SettingsStore& settings_;
  CLyricScreen* screen_ = nullptr;
  CMainFrame* frame_ = nullptr;
  CVideoArea* area_;  // a child: owned by the window
  bool fullScreen_ = false;
  bool writesPlace_ = true;
  QRect normalGeometry_;  // the window's place before full screen
};

// The control panel's song title, time and last volume, speed or channel change, shown in a
// window's title and refreshed on the panel's 250 ms timer.
class TitlePanel final : public IControlPanel {
 public:
  explicit TitlePanel(QWidget& window);

  void SetSongTitle(const QString& title) override { title_ = title; }
  void ResetSongDisplay() override;
  void SetSeekable(bool) override {}
  void SetVolumeDisplay(int percent) override;
  void ShowChannel(int mode) override;
  void ShowAudioTrack(int) override {}
  void ShowRate(double rate) override;
  void ShowStatusText(const QString& text) override;
  void SetPosition(int32_t ms) override { position_ = ms; }
  void SetDuration(int32_t ms) override { duration_ = ms; }
  int32_t Position() const override { return position_; }
  int32_t Duration() const override { return duration_; }

  // What the window's title reads now.
  QString Text() const;

 private:
  void Refresh();

  QWidget& window_;
  QTimer timer_;
  QString title_ = QStringLiteral("Please select a song");
  QString status_;
  int statusTicks_ = 0;
  int32_t position_ = 0;
  int32_t duration_ = 0;
};

// Rows of a title and a path.
class SongRows {
 public:
  int Count() const { return static_cast<int>(rows_.size()); }
  QString Title(int row) const;
  QString Path(int row) const;
  void Insert(int position, const QString& title, const QString& path);
  void Delete(int row);
  void Clear() { rows_.clear(); }
  QStringList Paths() const;

 private:
  struct Row {
    QString title;
    QString path;
  };
  std::vector<Row> rows_;
};

// The song list, kept in the default list file between runs.
class StandInSongList final : public ISongList {
 public:
  ~StandInSongList() override;

  int Count() const override { return rows_.Count(); }
  QString Title(int row) const override { return rows_.Title(row); }
  QString Path(int row) const override { return rows_.Path(row); }
  void AddSong(const QString& name, const QString& path, int position) override;
  void ClearSongList() override { rows_.Clear(); }
  int PlayPosition() const override { return playPosition_; }
  void SetPlayPosition(int row) override { playPosition_ = row; }
  void ClearSearch() override {}
  void Redraw() override {}
  bool ReadSongListFile(const QString& path) override;
  void SetDefaultListPath(const QString& path) override { defaultListPath_ = path; }
  // Writes the list to the default list file (atomically); false when it could not be written.
  bool WriteDefaultList();

 private:
  SongRows rows_;
  int playPosition_ = -1;
  QString defaultListPath_;
  // The default list file existed but could not be read: it is not replaced at exit, so a list
  // that failed to load is never lost.
  bool keepDefaultFile_ = false;
};

class StandInReservedList final : public IReservedList {
 public:
  int Count() const override { return rows_.Count(); }
  QString Title(int row) const override { return rows_.Title(row); }
  QString Path(int row) const override { return rows_.Path(row); }
  void InsertSong(int position, const QString& title, const QString& path) override {
    rows_.Insert(position, title, path);
  }
  void DeleteSong(int row) override { rows_.Delete(row); }
  void ClearSongs() override { rows_.Clear(); }
  void Redraw() override {}

 private:
  SongRows rows_;
};

}  // namespace lyrovox
