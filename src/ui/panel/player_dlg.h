#pragma once

// The control panel: a borderless 416 x 181 window drawn from the skin, with the transport, Load
// and Setup buttons, the title band with its marquee, the time and the seek bar, the volume
// slider, the channel and track spots, the play list toggle, the menu and the close spot. It turns
// clicks into controller operations and shows what the controller tells it. Moving it carries the
// reserved list along, and the play list and the video window when they are docked to it.

#include <QBasicTimer>
#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "controller/ports.h"
#include "ui/panel/docking.h"
#include "ui/panel/panel_geometry.h"

class QMenu;

namespace lyrovox {

class CMainFrame;
class COwnerDrawButton;
class SettingsStore;

// The panel's timer: 250 ms, for the title band, the time and the seek track.
inline constexpr int kPanelTimerId = 1300;
inline constexpr int kPanelTickMs = 250;

// Menu command ids.
inline constexpr int kCommandAbout = 1224;
inline constexpr int kCommandHelp = 1225;
inline constexpr int kCommandSetupMenu = 1226;
inline constexpr int kCommandAlwaysOnTop = 1227;
inline constexpr int kCommandExit = 1230;

// The play list's show codes.
inline constexpr int kPlayListShown = 5;
inline constexpr int kPlayListHidden = 0;

// Where a left press on the panel lands, in the order the panel tests them.
enum class PanelHit {
  kClose,
  kMenu,
  kPlayListToggle,
  kSeekTrack,
  kVolumeTrack,
  kChannelSpot,
  kTrackSpot,
  kDrag,  // anywhere else: the panel is dragged
};
struct PanelHitResult {
  PanelHit hit = PanelHit::kDrag;
  int spot = -1;  // the channel or track spot's index
};
PanelHitResult HitTestPanel(QPoint client);

// The slider arithmetic, in single precision as the panel has always done it: a knob of 29 is
// 57 %, not 58.
int VolumeKnobForX(int x);
int VolumePercentForKnob(int knob);
int VolumeKnobForPercent(int percent);
int SeekKnobForX(int x);
// The song position a seek knob stands for, and the knob a position is drawn at (-1: none).
int SeekMsForKnob(int knob, int durationMs);
int SeekKnobForPosition(int positionMs, int durationMs);

// "mm:ss / mm:ss": the hour is dropped.
QString PanelTimeText(int positionMs, int durationMs);

// The title marquee for titles wider than the band: offset, direction, and where the title is
// drawn after each step.
struct Marquee {
  int offset = 0;
  int direction = 0;  // 0 moving left, 1 moving right
  // One tick for a title `width` pixels wide: returns the x to draw it at.
  int Step(int width);
};

class CPlayerDlg final : public QWidget, public IControlPanel {
 public:
  // Fed to the panel once the controller and the other windows exist.
  struct Peers {
    // Kept at the panel's left edge, 180 pixels below its top, while the panel is dragged.
    QWidget* reservedList = nullptr;
    // Shown and hidden by the play list toggle; carried along while docked.
    QWidget* playList = nullptr;
    const DockState* playListDock = nullptr;
    QWidget* videoWindow = nullptr;
    const DockState* videoDock = nullptr;
    // Asks before quitting while a song plays.
    IMessagePort* messages = nullptr;
    // The About box (the splash window shown modally).
    std::function<void(QWidget* owner)> showAbout;
    // Every floating window stays on top, or stops doing so.
    std::function<void(bool on)> setAlwaysOnTop;
    // Opens a web page (the help and donation pages); the desktop's browser when not given.
    std::function<void(const QString& url)> openUrl;
    // Exit was chosen and agreed to: the lists are saved (the user is told when they cannot be)
    // before the program closes.
    std::function<void(QWidget* owner)> beforeExit;
  };

  explicit CPlayerDlg(SettingsStore& settings, QWidget* parent = nullptr);
  ~CPlayerDlg() override;

  void Attach(CMainFrame& frame, const Peers& peers);

  // --- What the controller tells the panel ---
  void SetSongTitle(const QString& title) override;
  void ResetSongDisplay() override;
  void SetSeekable(bool seekable) override;
  void SetVolumeDisplay(int percent) override;
  void ShowChannel(int mode) override;
  void ShowAudioTrack(int track) override;
  void ShowRate(double rate) override;
  // Shown for a tick as the speed is.
  void ShowStatusText(const QString& text) override;
  void ShowNotice(const QString& text, int ms) override;
  void SetPosition(int32_t ms) override { position_ = ms; }
  void SetDuration(int32_t ms) override { duration_ = ms; }
  int32_t Position() const override { return position_; }
  int32_t Duration() const override { return duration_; }

  // The play list's show code (5 shown, 0 hidden), also cleared by the play list when it hides
  // itself; written to "PlayList_Show" when the panel goes.
  // The setting "PlayList_Show", kept up to date in the settings store and written at the end.
  int playListShow() const;
  void SetPlayListShow(int show);

  // Buttons and menu items: one place for every command id. False for an unknown id.
  bool OnCommand(int id);
  // The menu the menu icon opens, with its items' command ids as the actions' data.
  std::unique_ptr<QMenu> MakeMenu();
  // Exit: asks first while a song plays, then closes the song and the video.
  void Quit();
  // One 250 ms tick: the title band, the time and the seek track, each repainted only when it
  // changed.
  void Tick();
  // Moves the panel as a drag does, carrying the reserved list and the docked windows along.
  void MoveTo(QPoint topLeft);

  // What the panel shows, for its tests.
  const QString& songTitle() const { return songTitle_; }
  int titleWidth() const { return titleWidth_; }
  const QString& statusText() const { return statusText_; }
  // The notice in the title band while its time lasts, else empty.
  QString noticeText() const;
  int statusCounter() const { return statusCounter_; }
  int volumeKnob() const { return volumeKnob_; }
  int seekKnob() const { return seekKnob_; }
  bool seekable() const { return seekable_; }
  bool seekDragging() const { return seekDragging_; }
  bool volumeDragging() const { return volumeDragging_; }
  int channel() const { return channel_; }
  int track() const { return track_; }
  bool alwaysOnTop() const { return alwaysOnTop_; }
  const Marquee& marquee() const { return marquee_; }
  // The title band after the last tick: its text and where it starts (left edge).
  const QString& bandText() const { return band_.text; }
  int bandX() const { return band_.x; }
  // The time after the last tick (empty when none is shown), its colour, and the seek knob
  // drawn (-1: no seek track).
  const QString& timeText() const { return time_.text; }
  QColor timeColour() const { return time_.colour; }
  int shownSeekKnob() const { return shownSeekKnob_; }
  COwnerDrawButton* button(int id) const;
  const QFont& titleFont() const { return titleFont_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Band {
    QString text;
    int x = 0;
    bool operator==(const Band&) const = default;
  };
  struct TimeShown {
    QString text;
    QColor colour;
    bool operator==(const TimeShown&) const = default;
  };

  void LoadSkin();
  void PlaceButtons();
  void FollowVolume(int x);
  void ShowPlayList(int show);
  QRect TimeRect(const QString& text) const;
  QRect ChannelStripRect() const { return kChannelStripRect.rect(); }
  // The band, the time and the seek track as they should show now.
  Band BandNow();
  TimeShown TimeNow() const;
  int SeekKnobNow() const;
  void RefreshTimeAndSeek();
  // The toggle follows the play list's visibility, once its show or hide is done.
  void FollowPlayList();
  void WriteSettings();

  SettingsStore& settings_;
  CMainFrame* frame_ = nullptr;
  Peers peers_;
  QPointer<QWidget> playListWatch_;  // null once the play list is gone

  QPixmap panel_;                      // 133
  QPixmap pressed_;                    // 134
  QPixmap toggleLit_;                  // the toggle cut from 134
  QPixmap menuIcon_;                   // 170
  QPixmap seekTrack_;                  // 163
  QPixmap fill_;                       // 165
  QPixmap seekKnobImage_;              // 162
  QPixmap volumeTrack_;                // 174
  QPixmap volumeKnobImage_;            // 175
  QPixmap strip_;                      // 178
  std::array<QPixmap, 3> channelLit_;  // 179, 176, 177
  std::array<QPixmap, 2> trackLit_;    // 180, 2
  std::array<COwnerDrawButton*, kPanelButtons.size()> buttons_{};

  QFont titleFont_;
  QFont timeFont_;

  QString songTitle_;
  int titleWidth_ = 0;
  Marquee marquee_;
  QString statusText_;
  int statusCounter_ = 0;
  // A notice ("Can't play ...") over the title until its time is up.
  QString noticeText_;
  int noticeWidth_ = 0;
  qint64 noticeUntilMs_ = 0;  // on noticeClock_
  QElapsedTimer noticeClock_;
  Marquee noticeMarquee_;
  int volumeKnob_ = kVolumeKnobRange;
  bool volumeDragging_ = false;
  bool seekable_ = false;
  bool seekDragging_ = false;
  int seekKnob_ = 0;
  int32_t position_ = 0;
  int32_t duration_ = 0;
  int channel_ = 0;
  int track_ = 0;
  bool alwaysOnTop_ = false;

  // What the last tick put up.
  Band band_;
  TimeShown time_;
  int shownSeekKnob_ = -1;

  bool dragging_ = false;
  QPoint dragOffset_;  // the press's global position less the panel's
  QBasicTimer timer_;
};

}  // namespace lyrovox
