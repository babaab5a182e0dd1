#pragma once

// The program on the desktop's session bus as an MPRIS 2 media player: the desktop's media keys,
// sound menus and media widgets see the playing song (title, artist, length, position, status,
// volume, speed) and control it through the controller's own operations. What the program does
// not have (pause, a track list) its Can* properties say.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <functional>

namespace lyrovox {

class CMainFrame;

// The song types the program plays, as MIME types (for the media bus and the desktop entry).
const QStringList& SongMimeTypes();

class MprisService final : public QObject {
  Q_OBJECT

 public:
  // What the program does for the bus besides the controller's operations.
  struct Hooks {
    std::function<void()> raise;                   // shows the program's windows
    std::function<void(const QStringList&)> open;  // opens files as the command line does
  };

  static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
  static constexpr const char* kRootInterface = "org.mpris.MediaPlayer2";
  static constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
  // The program's own interface on the same object: its Version.
  static constexpr const char* kProgramInterface = "org.lyrovox.Lyrovox";
  // How often the state is compared for change signals.
  static constexpr int kWatchMs = 200;
  // The speeds the controller steps through.
  static constexpr double kMinimumRate = 0.5;
  static constexpr double kMaximumRate = 2.0;

  MprisService(CMainFrame& frame, Hooks hooks, QObject* parent = nullptr);
  ~MprisService() override;

  // Registers on the session bus as org.mpris.MediaPlayer2.lyrovox, or with ".instance<pid>"
  // after it when that name is taken. False without a session bus.
  bool Register();
  const QString& serviceName() const { return serviceName_; }

  // --- The bus interfaces' content (the adaptors read and call these) ---
  QString PlaybackStatus() const;
  QVariantMap Metadata() const;
  qlonglong PositionUs() const;
  double Volume() const;
  void SetVolume(double volume);
  double Rate() const;
  void SetRate(double rate);
  bool CanGoNext() const;
  bool CanGoPrevious() const;
  bool CanPlay() const;
  bool CanSeek() const;
  bool Fullscreen() const;
  void SetFullscreen(bool on);

  void Next();
  void Previous();
  void Play();
  void PlayPause();
  void Stop();
  void Seek(qlonglong offsetUs);
  void SetPosition(const QString& trackId, qlonglong positionUs);
  void OpenUri(const QString& uri);
  void Raise();
  void Quit();

 signals:
  void Seeked(qlonglong positionUs);

 private:
  // Sends PropertiesChanged for what changed since the last look.
  void Refresh();
  QString TrackId() const;
  void SeekTo(qlonglong positionUs);

  CMainFrame& frame_;
  Hooks hooks_;
  QString serviceName_;
  QTimer watch_;
  int songNumber_ = 0;  // counts the songs started, for the track ids
  QVariantMap lastRoot_;
  QVariantMap lastPlayer_;
};

}  // namespace lyrovox
