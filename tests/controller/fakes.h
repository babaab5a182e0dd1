#pragma once

// Stand-ins for the screen and its surfaces, the video window, the control panel and the players,
// recording what the controller asks of them.

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <deque>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "controller/ports.h"

// Readable failure messages for texts and lists of calls.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace lyrovox::testing {

// Where the fakes note the main loop's calls, in order, when a test gives them one.
struct CallLog {
  QStringList* calls = nullptr;
  void Note(const QString& call) const {
    if (calls != nullptr) *calls << call;
  }
};

class FakeScreen final : public ILyricScreen {
 public:
  void SetLyricMode(int mode) override { lyricMode = mode; }
  int LyricMode() const override { return lyricMode; }
  void SetLineTimed(bool on) override { lineTimed = on; }
  void SetSongTitle(const QString& title) override { songTitle = title; }
  QString SongTitle() const override { return songTitle; }
  void SetSongArtist(const QString& artist) override { songArtist = artist; }
  void ResetLyrics() override {
    ++resets;
    log.Note("reset");
    songTitle.clear();
    songArtist.clear();
    upperLine.clear();
    sungText.clear();
  }
  void SetPlayState(int state) override {
    playState = state;
    log.Note(QString("state %1").arg(state));
  }
  int GetPlayState() const override { return playState; }
  void ClearTypedNumber() override { ++typedNumberClears; }
  void ApplyFontSettings(int language) override { fontLanguage = language; }
  void LoadCdgFile(const QString& path) override { cdgFile = path; }
  void ShowMessage(const QString& text) override { messages << text; }

  // The lyric feed's operations, kept as the lines a real screen would show.
  void SetNextLine(std::u16string_view text) override {
    upperLine = QString::fromStdU16String(std::u16string(text));
    log.Note("line " + upperLine);
  }
  void StartSungText(std::u16string_view text) override {
    sungText = QString::fromStdU16String(std::u16string(text));
    log.Note("sing " + sungText);
  }
  void AppendSungText(std::u16string_view text) override {
    sungText += QString::fromStdU16String(std::u16string(text));
    log.Note("sing " + sungText);
  }
  void SetSyllableDuration(int32_t) override {}
  void FlipSingingLine() override {}

  void SetPlayerKind(int kind) override { playerKind = kind; }
  void SetScreenSize(int w, int h) override {
    screenSize = QSize(w, h);
    targetRect = QRect(0, 0, w, h);
  }
  void SetTargetRect(int l, int t, int r, int b) override {
    targetRect = QRect(QPoint(l, t), QPoint(r - 1, b - 1));
  }
  void SetFullScreen(bool on) override { fullScreen = on; }
  void SetNextSongBanner(bool on) override {
    banner = on;
    log.Note(QString("banner %1").arg(on ? 1 : 0));
  }
  void UpdateCdg(int32_t centiseconds) override {
    cdgPositions.push_back(centiseconds);
    log.Note(QString("cdg %1").arg(centiseconds));
  }
  void Compose() override {
    ++composed;
    log.Note("compose");
  }

  CallLog log;
  int lyricMode = -1;
  bool lineTimed = false;
  int playState = -1;
  int fontLanguage = -1;
  int resets = 0;
  int typedNumberClears = 0;
  int playerKind = -1;
  bool fullScreen = false;
  bool banner = false;
  int composed = 0;
  QSize screenSize;
  QRect targetRect;
  std::vector<int32_t> cdgPositions;
  QString songTitle;
  QString songArtist;
  QString upperLine;
  QString sungText;
  QString cdgFile;
  QStringList messages;
};

class FakePanel final : public IControlPanel {
 public:
  void SetSongTitle(const QString& title) override { songTitle = title; }
  void SetSeekable(bool on) override { seekable = on; }
  void SetVolumeDisplay(int percent) override { volume = percent; }
  void ShowChannel(int mode) override { channel = mode; }
  void ShowAudioTrack(int t) override { track = t; }
  void ShowRate(double r) override { rate = r; }
  void SetPosition(int32_t ms) override {
    position = ms;
    log.Note(QString("position %1").arg(ms));
  }
  void SetDuration(int32_t ms) override {
    duration = ms;
    log.Note(QString("duration %1").arg(ms));
  }
  int32_t Position() const override { return position; }
  int32_t Duration() const override { return duration; }

  CallLog log;
  QString songTitle;
  int seekable = -1;
  int volume = -1;
  int channel = -1;
  int track = -1;
  double rate = -1;
  int32_t position = 0;
  int32_t duration = 0;
};

class FakeMessages final : public IMessagePort {
 public:
  void ShowMessageBox(const QString& text) override { shown << text; }
  void ShowErrorBox(const QString& text) override { errors << text; }
  QStringList shown;
  QStringList errors;
};

class FakeSurfaces final : public IScreenSurfaces {
 public:
  int32_t Create() override {
    log.Note("create");
    ++creates;
    return createWorks ? 0 : -1;
  }
  QString ErrorText() const override {
    return createWorks ? QString() : QString("CreateSurface(BackBuffer) failed");
  }
  QSize ScreenSize() const override { return size; }
  void SetVideoShown(bool shown) override {
    videoShown = shown;
    log.Note(QString("video shown %1").arg(shown ? 1 : 0));
  }
  void Present() override {
    ++presents;
    log.Note("present");
  }
  void Release() override { ++releases; }

  CallLog log;
  bool createWorks = true;
  QSize size{1920, 1080};
  bool videoShown = false;
  int creates = 0;
  int presents = 0;
  int releases = 0;
};

class FakeVideoWindow final : public IVideoWindow {
 public:
  QRect GetVideoRect() const override { return rect; }
  QRect rect{0, 0, 960, 540};
};

// Records calls as short words ("graph", "open", "pause", "play", "stop", "close", "destroy").
template <class Interface>
class FakePlayer : public Interface {
 public:
  bool CreateGraph() override {
    calls << "graph";
    return graphWorks;
  }
  bool Play() override {
    calls << "play";
    log.Note("play");
    if (!playWorks) return false;
    state = 3;
    return true;
  }
  bool Pause() override {
    calls << "pause";
    if (state != 0) state = 2;
    return state != 0;
  }
  bool Stop() override {
    calls << "stop";
    if (state != 0) state = 1;
    return state != 0;
  }
  int State() const override { return state; }
  uint32_t GetPositionMs() override { return state == 0 ? 0 : position; }
  uint32_t GetDurationMs() override { return state == 0 ? 0 : duration; }
  void SetVolume(int32_t level) override { volume = level; }
  double ChangeRate(bool faster) override {
    if (state == 0) return 0.0;
    rate += faster ? 0.05 : -0.05;
    return rate;
  }
  // Switches while otherTracks is above 0, flipping the track like a two-track file.
  bool SwitchAudioStream() override {
    calls << "switch";
    if (otherTracks <= 0) return false;
    audioTrack ^= 1;
    return true;
  }
  int GetAudioTrack() const override { return audioTrack; }
  bool GetEvent(int32_t& code) override {
    if (events.empty()) return false;
    code = events.front();
    events.pop_front();
    return true;
  }
  void SetChannelBoth() override { channel = 0; }
  void SetChannelLeft() override { channel = 1; }
  void SetChannelRight() override { channel = 2; }
  void SetChannelReverse() override { channel = 3; }
  void Close() override {
    calls << "close";
    state = 0;
  }
  void Destroy() override {
    calls << "destroy";
    state = 0;
  }
  int32_t Open(QObject* receiver) override {
    calls << "open";
    eventReceiver = receiver;
    if (!openWorks) return -1;
    state = 1;
    return 0;
  }

  CallLog log;
  QStringList calls;
  bool graphWorks = true;
  bool openWorks = true;
  bool playWorks = true;
  int state = 0;
  int channel = -1;
  int32_t volume = 1;
  double rate = 1.0;
  uint32_t position = 0;
  uint32_t duration = 0;
  int otherTracks = 0;
  int audioTrack = 0;
  std::deque<int32_t> events;
  QObject* eventReceiver = nullptr;
};

class FakeAudioPlayer final : public FakePlayer<IAudioPlayer> {
 public:
  void SetFileName(const QString& path) override { fileName = path; }
  QString fileName;
};

class FakeVideoPlayer final : public FakePlayer<IVideoPlayer> {
 public:
  void SetFileName(const QString& path, bool only) override {
    fileName = path;
    videoOnly = only;
  }
  void SetSourceKind(int kind) override { sourceKind = kind; }
  void SetStretchVideo(bool on) override { stretch = on; }
  void SeekTo(int64_t t) override { seeks.push_back(t); }
  void Rewind() override {
    calls << "rewind";
    seeks.push_back(0);
  }
  void SetAudioTrack(int track) override {
    requestedTrack = track;
    if (track != audioTrack) SwitchAudioStream();
  }

  QString fileName;
  bool videoOnly = false;
  int sourceKind = -1;
  bool stretch = false;
  int requestedTrack = -1;
  std::vector<int64_t> seeks;
};

}  // namespace lyrovox::testing
