#pragma once

// Stand-ins for the screen and its surfaces, the video window, the control panel and the players,
// recording what the controller asks of them.

#include <QCoreApplication>
#include <QEvent>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "controller/ports.h"
#include "controller/settings.h"

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
  void ClearTypedNumber() override {
    ++typedNumberClears;
    typedNumber = "000000";
    typedTitle.clear();
  }
  void ApplyFontSettings(int language) override {
    fontLanguage = language;
    fontSize = DefaultFontSizeValue();
  }
  void LoadCdgFile(const QString& path) override { cdgFile = path; }
  void ShowMessage(const QString& text) override { messages << text; }
  void ShowNotice(const QString& text, int ms) override {
    notices << QString("%1 %2").arg(ms).arg(text);
  }
  void ShowStatus(const QString& text) override { statuses << text; }

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

  int DefaultFontSizeValue() const override {
    return std::clamp(settings != nullptr ? settings->defaultFontSizeValue : 70, 50, 100);
  }
  // Number entry as the screen keeps it: six digits, typed in at the right.
  void TypeDigit(QChar digit) override {
    if (digit.isDigit()) typedNumber = typedNumber.mid(1) + digit;
  }
  void EraseDigit() override { typedNumber = "0" + typedNumber.left(5); }
  QString GetTypedNumberText() const override { return typedNumber; }
  int GetTypedNumber() const override { return typedNumber.toInt(); }
  void SetTypedSongTitle(const QString& title) override { typedTitle = title; }
  QString TypedSongTitle() const override { return typedTitle; }
  void ShowChosenNumber() override { chosen << typedNumber; }
  void SetReservedCount(int count) override { reservedCount = count; }
  void SetReservedNumbers(const QString& numbers) override { reservedNumbers = numbers; }
  void SetNextSongTitle(const QString& title) override { nextSongTitle = title; }
  QString NextSongTitle() const override { return nextSongTitle; }

  // The settings store's values the screen draws with, as the real one reads them.
  const Settings* settings = nullptr;
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
  QStringList notices;  // "<ms> <text>"
  QStringList statuses;
  int fontSize = 70;
  QString typedNumber = "000000";
  QString typedTitle;
  QStringList chosen;
  int reservedCount = 0;
  QString reservedNumbers;
  QString nextSongTitle;
};

class FakePanel final : public IControlPanel {
 public:
  void SetSongTitle(const QString& title) override { songTitle = title; }
  void ResetSongDisplay() override {
    ++resets;
    position = duration = 0;
    songTitle = "Please select a song";
  }
  void SetSeekable(bool on) override { seekable = on; }
  void SetVolumeDisplay(int percent) override { volume = percent; }
  void ShowChannel(int mode) override { channel = mode; }
  void ShowAudioTrack(int t) override { track = t; }
  void ShowRate(double r) override { rate = r; }
  void ShowStatusText(const QString& text) override { statusTexts << text; }
  void ShowNotice(const QString& text, int ms) override {
    notices << QString("%1 %2").arg(ms).arg(text);
  }
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
  int resets = 0;
  int seekable = -1;
  int volume = -1;
  int channel = -1;
  int track = -1;
  double rate = -1;
  QStringList statusTexts;
  QStringList notices;  // "<ms> <text>"
  int32_t position = 0;
  int32_t duration = 0;
};

class FakeMessages final : public IMessagePort {
 public:
  void ShowMessageBox(const QString& text) override { shown << text; }
  void ShowErrorBox(const QString& text) override { errors << text; }
  bool AskYesNo(const QString& text) override {
    asked << text;
    return answer;
  }
  QStringList shown;
  QStringList errors;
  QStringList asked;
  bool answer = false;
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
  void SetFullScreen(bool on) override { fullScreen = on; }
  bool IsFullScreen() const override { return fullScreen; }
  QRect rect{0, 0, 960, 540};
  bool fullScreen = false;
};

// A row of a song list or the reserved list: its display text and path.
struct Row {
  QString title;
  QString path;
  bool operator==(const Row&) const = default;
};
inline void PrintTo(const Row& row, std::ostream* out) {
  *out << '{' << row.title.toStdString() << ", " << row.path.toStdString() << '}';
}

class FakeSongList final : public ISongList {
 public:
  int Count() const override { return static_cast<int>(rows.size()); }
  QString Title(int row) const override { return rows.at(static_cast<size_t>(row)).title; }
  QString Path(int row) const override { return rows.at(static_cast<size_t>(row)).path; }
  void AddSong(const QString& name, const QString& path, int position) override {
    const QString title = QString("%1 - %2").arg(position + 1, 6, 10, QChar('0')).arg(name);
    rows.insert(rows.begin() + position, Row{title, path});
  }
  void ClearSongList() override { rows.clear(); }
  int PlayPosition() const override { return playPosition; }
  void SetPlayPosition(int row) override { playPosition = row; }
  void ClearSearch() override { ++searchClears; }
  void Redraw() override { ++redraws; }
  bool ReadSongListFile(const QString& path) override {
    filesRead << path;
    return true;
  }
  void SetDefaultListPath(const QString& path) override { defaultListPath = path; }

  std::vector<Row> rows;
  int playPosition = -1;
  int searchClears = 0;
  int redraws = 0;
  QStringList filesRead;
  QString defaultListPath;
};

class FakeReservedList final : public IReservedList {
 public:
  int Count() const override { return static_cast<int>(rows.size()); }
  QString Title(int row) const override { return rows.at(static_cast<size_t>(row)).title; }
  QString Path(int row) const override { return rows.at(static_cast<size_t>(row)).path; }
  void InsertSong(int position, const QString& title, const QString& path) override {
    rows.insert(rows.begin() + position, Row{title, path});
  }
  void DeleteSong(int row) override { rows.erase(rows.begin() + row); }
  void ClearSongs() override { rows.clear(); }
  void Redraw() override { ++redraws; }
  QStringList Titles() const {
    QStringList titles;
    for (const Row& row : rows)
      titles << row.title;
    return titles;
  }

  std::vector<Row> rows;
  int redraws = 0;
};

// Answers each dialog with what the test put in.
class FakeFileDialogs final : public IFileDialogs {
 public:
  QStringList OpenFiles(const FileDialogRequest& request) override {
    requests.push_back(request);
    return openFiles;
  }
  QString SaveFile(const FileDialogRequest& request) override {
    requests.push_back(request);
    return saveFile;
  }
  QString ChooseFolder(const QString&, QObject*) override { return folder; }
  std::optional<uint32_t> ChooseColor(uint32_t, QObject*) override { return color; }

  std::vector<FileDialogRequest> requests;
  QStringList openFiles;
  QString saveFile;
  QString folder;
  std::optional<uint32_t> color;
};

// A setup sheet whose OK puts in the values a test chose (or cancels).
class FakeSetupSheet final : public ISetupSheet {
 public:
  bool Run(SetupValues& values, QObject*) override {
    shown.push_back(values);
    if (!ok) return false;
    if (change) change(values);
    return true;
  }
  bool ok = true;
  std::function<void(SetupValues&)> change;
  std::vector<SetupValues> shown;
};

// Records calls as short words ("graph", "open", "pause", "play", "stop", "close", "destroy").
// A player that starts later answers Play with its start on its way (state 2), until the test
// finishes the start as the media framework would.
template <class Interface>
class FakePlayer : public Interface {
 public:
  explicit FakePlayer(int eventType) : eventType_(eventType) {}

  bool CreateGraph() override {
    calls << "graph";
    return graphWorks;
  }
  bool Play() override {
    calls << "play";
    log.Note("play");
    if (!playWorks) return false;
    state = startsLater ? 2 : 3;
    return true;
  }
  // The start on its way ends: the player runs, or its graph closes. Its receiver hears of it
  // through the player's private event.
  void FinishStart(bool works) {
    state = works ? 3 : 0;
    events.push_back(works ? kGraphEventStarted : kGraphEventStartFailed);
    if (eventReceiver != nullptr) {
      QCoreApplication::postEvent(eventReceiver, new QEvent(static_cast<QEvent::Type>(eventType_)));
    }
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
  QString FailureReason() const override { return failureReason; }
  void SetChannelBoth() override { channel = 0; }
  void SetChannelLeft() override { channel = 1; }
  void SetChannelRight() override { channel = 2; }
  void SetChannelReverse() override { channel = 3; }
  bool SetKey(int semitones) override {
    if (state == 0) return false;
    key = semitones;
    return true;
  }
  bool SetVocalReduction(bool on) override {
    if (state == 0) return false;
    vocalReduction = on;
    return true;
  }
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
  QString failureReason;
  bool openWorks = true;
  bool playWorks = true;
  bool startsLater = false;
  int state = 0;
  int channel = -1;
  int32_t volume = 1;
  double rate = 1.0;
  int key = 0;
  bool vocalReduction = false;
  uint32_t position = 0;
  uint32_t duration = 0;
  int otherTracks = 0;
  int audioTrack = 0;
  std::deque<int32_t> events;
  QObject* eventReceiver = nullptr;

 private:
  int eventType_;
};

class FakeAudioPlayer final : public FakePlayer<IAudioPlayer> {
 public:
  FakeAudioPlayer() : FakePlayer(kAudioGraphEvent) {}
  void SetFileName(const QString& path) override { fileName = path; }
  QString fileName;
};

class FakeVideoPlayer final : public FakePlayer<IVideoPlayer> {
 public:
  FakeVideoPlayer() : FakePlayer(kVideoGraphEvent) {}
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
