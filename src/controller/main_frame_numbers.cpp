// The main frame's number entry, song numbers, reserved list and song list filling.

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "controller/lyric_source.h"
#include "controller/main_frame.h"
#include "controller/qt_text.h"
#include "controller/song_library.h"
#include "controller/song_paths.h"
#include "lyrics/dvd_extract.h"
#include "lyrics/text_buffer.h"
#include "ui/lists/m3u_file.h"

namespace lyrovox {

namespace {

const QString kNotFound = QStringLiteral("NOT FOUND");
// The preview of a song list row whose file is gone.
const QString kFileNotFound = QStringLiteral("File not found");
const QString kNoLyrics = QStringLiteral("File found, but no lyrics");

// A preview shorter than this is replaced by the file's name.
constexpr qsizetype kShortestPreview = 4;
// Songs folder paths shorter than this end the search.
constexpr qsizetype kShortestFolder = 4;

}  // namespace

void CMainFrame::OnSongNumberChar(QChar ch) {
  ILyricScreen* screen = parts_.screen;
  if (!reservedListEnabled() || screen == nullptr) return;
  numberEntryCountdown_ = kNumberEntryTicks;
  escapeCount_ = 0;
  if (ch == QChar(kBackspaceChar)) {
    screen->EraseDigit();
  } else if (ch >= u'0' && ch <= u'9') {
    screen->TypeDigit(ch);
  }
  if (screen->GetTypedNumberText().size() == kSongNumberDigits) PreviewTypedNumber();
}

void CMainFrame::OnSongKey(int key) {
  if (key != kSongKeyEnter || !reservedListEnabled() || parts_.screen == nullptr) return;
  escapeCount_ = 0;
  if (parts_.screen->TypedSongTitle() != kNotFound) CommitTypedNumber(false);
  parts_.screen->ClearTypedNumber();
}

void CMainFrame::OnEscapeKey() {
  ILyricScreen* screen = parts_.screen;
  if (screen == nullptr) return;
  if (screen->GetTypedNumber() != 0) {
    screen->ClearTypedNumber();
    lastSongNumber_ = 0;
    return;
  }
  ++escapeCount_;
  IReservedList* reserved = windows_.reservedList;
  if (escapeCount_ < 2 || reserved == nullptr || reserved->Count() == 0) return;
  const bool only = reserved->Count() == 1;
  const QString removed = reserved->Title(reserved->Count() - 1);
  reserved->DeleteSong(reserved->Count() - 1);
  // Said on the screen, where the singer who pressed it looks.
  screen->ShowNotice(
      QStringLiteral("Removed: %1").arg(TitleAfterNumber(removed).value_or(removed).trimmed()),
      kRemovedNoticeMs);
  reserved->Redraw();
  escapeCount_ = 0;
  if (only) screen->SetNextSongTitle(QString());
  RefreshNextSongBanner();
}

int CMainFrame::FindSongInFolders(const QString& digits, QString& path) const {
  const Settings& s = settings_.values();
  for (const QString* folder : {&s.songsLocation1, &s.songsLocation2, &s.songsLocation3}) {
    if (folder->size() < kShortestFolder) break;
    const int kind = FindSongInFolder(*folder, digits, path);
    if (kind != kFolderSongNone) return kind;
  }
  return kFolderSongNone;
}

void CMainFrame::SetPreview(const QString& text) {
  if (parts_.screen != nullptr) parts_.screen->SetTypedSongTitle(text);
}

void CMainFrame::PreviewTypedNumber() {
  ILyricScreen* screen = parts_.screen;
  if (screen == nullptr) return;
  const int number = screen->GetTypedNumber();

  if (number < kFirstFolderSongNumber) {
    ISongList* list = windows_.songList;
    const int row = number - 1;
    if (list == nullptr || row < 0 || row >= list->Count()) {
      SetPreview(kNotFound);
      return;
    }
    const QString text = list->Title(row);
    if (!QFileInfo(list->Path(row)).isFile()) {
      // The row's song is gone from the disk: said before it is chosen.
      SetPreview(kFileNotFound);
    } else if (!NumberSeparator(text)) {
      SetPreview(text);
    } else if (const auto title = TitleAfterNumber(text)) {
      SetPreview(*title);
    }
    return;
  }

  QString found;
  const int kind = FindSongInFolders(screen->GetTypedNumberText(), found);
  if (kind != kFolderSongNone) {
    auto store = std::make_unique<LyricStore>();
    store->codePage = lyricStore_->codePage;
    store->language = lyricStore_->language;
    QString preview;
    if (kind == kFolderSongKar) {
      store->LoadKar(NativePath(found));
      preview = ToQString(TextView(store->title));
    } else {
      const QString lrc = FindSideFile(found, u"LRC");
      if (lrc.isEmpty()) {
        preview = kNoLyrics;
      } else {
        store->LoadLrc(NativePath(lrc));
        if (store->count == 0) store->LoadLrcWide(NativePath(lrc));
        // Without syllables the file's name shows.
        if (store->count > 0) preview = ToQString(TextView(store->title));
      }
    }
    if (preview.size() < kShortestPreview) preview = FileTitle(found);
    SetPreview(preview);
    return;
  }

  lastSongNumber_ = number;
  if (dvdDataFile_.isEmpty()) {
    SetPreview(kNotFound);
    lastSongNumber_ = 0;
    return;
  }
  const DvdReading reading =
      DetectDvdReading(NativePath(dvdDataFile_), number, lyricStore_->codePage);
  std::u16string title;
  const int32_t result =
      tempFolder().isEmpty()
          ? kDvdNoSong
          : LookUpDvdSongTitle(number, NativePath(tempFolder()), NativePath(dvdDataFile_),
                               lyricStore_->codePage, title, DescramblerFor(reading));
  if (result <= kDvdSongNumberFloor) {
    SetPreview(kNotFound);
  } else if (!title.empty()) {
    SetPreview(ToQString(title));
  } else {
    // The song plays, but without a title there is nothing to show of it but the number.
    SetPreview(reading == DvdReading::kPlain ? QString::number(number) : kNoLyrics);
  }
}

void CMainFrame::CommitTypedNumber(bool atFront) {
  ILyricScreen* screen = parts_.screen;
  if (screen == nullptr) return;
  const QString digits = screen->GetTypedNumberText();
  if (digits.size() != kSongNumberDigits) {
    screen->ClearTypedNumber();
    return;
  }
  const int number = screen->GetTypedNumber();
  lastSongNumber_ = number;
  if (number == 0) return;
  // Enter shows the chosen number flying away; Ctrl+F10 does not.
  const bool enter = !atFront;

  if (number < kFirstFolderSongNumber) {
    if (enter) screen->ShowChosenNumber();
    ReserveSongByNumber(number, atFront);
  } else if (QString found; FindSongInFolders(digits, found) != kFolderSongNone) {
    if (enter) screen->ShowChosenNumber();
    ReserveSong(found, atFront);
  } else if (dvdDataFile_.isEmpty()) {
    if (parts_.messages != nullptr) {
      parts_.messages->ShowMessageBox(
          QStringLiteral("Can't find the proper files to use custom MIDI DVD."));
    }
  } else if (!tempFolder().isEmpty()) {
    const std::string data = NativePath(dvdDataFile_);
    const DvdDescrambler& descrambler =
        DescramblerFor(DetectDvdReading(data, number, lyricStore_->codePage));
    const std::string folder = NativePath(tempFolder());
    const QString kar = tempFolder() + QString::number(number) + QStringLiteral(".KAR");
    const QString existing = FindFileCaseInsensitive(kar);
    std::u16string title;
    // A song without a title goes by its number.
    const auto titleOf = [&title](const QString& path) {
      return title.empty() ? FileTitle(path) : ToQString(title);
    };
    if (!existing.isEmpty()) {
      if (enter) {
        LookUpDvdSongTitle(number, folder, data, lyricStore_->codePage, title, descrambler);
        screen->ShowChosenNumber();
        ReserveTitledSong(existing, titleOf(existing), false);
      } else {
        ReserveSong(existing, true);
      }
    } else if (ExtractDvdSong(number, folder, data, lyricStore_->codePage, title, descrambler) >
               kDvdSongNumberFloor) {
      if (enter) screen->ShowChosenNumber();
      const QString written = tempFolder() + QString::number(number) + QStringLiteral(".kar");
      ReserveTitledSong(written, titleOf(written), atFront);
    }
  }
  screen->ClearTypedNumber();
}

void CMainFrame::ReserveSongByNumber(int number, bool atFront) {
  if (number >= kFirstFolderSongNumber) return;
  ISongList* list = windows_.songList;
  const int row = number - 1;
  if (list != nullptr && row >= 0 && row < list->Count()) {
    ReserveNumberedSong(list->Path(row), number, atFront);
  } else {
    SetPreview(QString());
  }
}

void CMainFrame::ReserveNumberedSong(const QString& path, int number, bool atFront) {
  const bool playNow =
      !isPlaying_ && (windows_.reservedList == nullptr || windows_.reservedList->Count() == 0);
  if (playNow && parts_.screen != nullptr) parts_.screen->SetNextSongTitle(QString());
  ReserveRow(path, NumberedText(number, FileTitle(path)), atFront, playNow);
}

void CMainFrame::ReserveTitledSong(const QString& path, const QString& title, bool atFront) {
  const bool playNow =
      !isPlaying_ && (windows_.reservedList == nullptr || windows_.reservedList->Count() == 0);
  if (playNow) {
    if (parts_.screen != nullptr) parts_.screen->SetNextSongTitle(QString());
    pendingTitle_ = title;
  }
  ReserveRow(path, TitledText(FileTitle(path), title), atFront, playNow);
}

void CMainFrame::ReserveSong(const QString& path, bool atFront) {
  const bool playNow =
      !isPlaying_ && (windows_.reservedList == nullptr || windows_.reservedList->Count() == 0);
  ReserveRow(path, FileTitle(path), atFront, playNow);
}

void CMainFrame::ReserveRow(const QString& path, const QString& text, bool atFront, bool playNow) {
  IReservedList* reserved = windows_.reservedList;
  if (playNow) {
    PlaySong(path);
  } else if (reserved != nullptr) {
    reserved->InsertSong(atFront ? 0 : reserved->Count(), text, path);
    reserved->Redraw();
  }
  RefreshNextSongBanner();
}

void CMainFrame::SetReservedListEnable(bool on) {
  settings_.WriteInt(SettingKey::kReservedListEnable, on ? 1 : 0);
  if (ISongList* list = windows_.songList) {
    if (on) list->SetPlayPosition(-1);
    list->Redraw();
  }
  RefreshNextSongBanner();
}

bool CMainFrame::OpenKaraokeFile(QObject* owner) {
  if (windows_.fileDialogs == nullptr) return false;
  FileDialogRequest request;
  request.title = QStringLiteral("Select Karaoke file");
  request.filters = {QStringLiteral("Karaoke Files (%1)").arg(SongAndListPatterns())};
  request.multiple = true;
  request.owner = owner;
  const QStringList files = windows_.fileDialogs->OpenFiles(request);
  if (files.isEmpty()) return false;

  ISongList* list = windows_.songList;
  if (list == nullptr) return false;
  // The songs loaded, list files standing for their songs: (name, path).
  std::vector<std::pair<QString, QString>> loaded;
  for (const QString& path : files) {
    if (!IsListFileName(path)) {
      loaded.emplace_back(FileTitle(path), path);
      continue;
    }
    const m3u::ListFile file = m3u::ReadListFile(NativePath(path));
    if (file.paths.empty()) {
      if (parts_.messages != nullptr)
        parts_.messages->ShowMessageBox(QStringLiteral("%1 is not a song list.").arg(path));
      continue;
    }
    for (const std::u16string& entry : file.paths)
      loaded.emplace_back(ToQString(m3u::NameOfPath(entry)), ToQString(entry));
  }
  if (loaded.empty()) return false;

  // Loading a song never costs the host the list: a list holding songs that are not among the
  // loaded ones is replaced only when the host says so; otherwise the loaded songs join its end.
  QSet<QString> loadedPaths;
  for (const auto& song : loaded)
    loadedPaths.insert(song.second);
  bool replace = true;
  for (int row = 0; row < list->Count(); ++row) {
    if (loadedPaths.contains(list->Path(row))) continue;
    replace = parts_.messages != nullptr &&
              parts_.messages->AskYesNo(
                  QStringLiteral("Replace the song list (%1 songs) with the loaded files?")
                      .arg(list->Count()));
    break;
  }
  if (replace) list->ClearSongList();
  const int first = list->Count();
  for (const auto& [name, path] : loaded)
    list->AddSong(name, path, list->Count());
  PlaySongListItem(first);
  return true;
}

void CMainFrame::ReadPlayListFile(const QString& path) {
  ISongList* list = windows_.songList;
  if (list == nullptr) return;
  const m3u::ListFile file = m3u::ReadListFile(NativePath(path));
  for (const std::u16string& entry : file.paths) {
    list->AddSong(ToQString(m3u::NameOfPath(entry)), ToQString(entry), list->Count());
  }
}

void CMainFrame::OpenFiles(const QStringList& paths) {
  QStringList songs;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    if (!info.isFile()) continue;
    if (IsListFileName(path)) {
      // A list file stands for its songs.
      for (const std::u16string& entry : m3u::ReadListFile(NativePath(path)).paths) {
        songs << ToQString(entry);
      }
      continue;
    }
    songs << info.absoluteFilePath();
  }
  if (songs.isEmpty()) return;
  if (reservedListEnabled()) {
    // The first plays at once when nothing plays; the others queue behind it.
    for (const QString& song : songs)
      ReserveSong(song, false);
    return;
  }
  ISongList* list = windows_.songList;
  PlaySong(songs.front());
  if (list == nullptr) return;
  for (qsizetype i = 1; i < songs.size(); ++i) {
    list->AddSong(FileTitle(songs[i]), songs[i], list->Count());
  }
}

void CMainFrame::UpdateDvdDataFile() {
  dvdDataFile_ = DvdDataFileIn(settings_.values().custom1DvdLocation);
}

}  // namespace lyrovox
