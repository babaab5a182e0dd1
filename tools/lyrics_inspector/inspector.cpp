#include "lyrics_inspector/inspector.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <memory>

#include "archive/utf8.h"
#include "common/text_escape.h"
#include "controller/main_frame.h"
#include "controller/qt_text.h"
#include "controller/song_paths.h"
#include "controller/temp_folder.h"
#include "lyrics/text_buffer.h"
#include "lyrics/text_encoding.h"
#include "lyrics_inspector/inert_players.h"
#include "lyrics_inspector/lyric_screen_record.h"

namespace lyrovox {

namespace {

std::string ToUtf8(std::u16string_view text) {
  return Utf8FromUtf16(text);
}

std::string ToUtf8(const QString& text) {
  return ToUtf8(ViewOf(text));
}

// Text output keeps one syllable per line.
std::string EscapeText(const std::string& s) {
  return EscapeTextField(s);
}

std::string EscapeJson(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    } else {
      out.push_back(c);
    }
  }
  return out + "\"";
}

}  // namespace

LyricReport InspectSong(const QString& path, int languageSetting) {
  LyricReport report;
  report.path = path;
  report.exists = QFileInfo(path).isFile();

  LyricScreenRecord screen;
  InertVideoPlayer video;
  SettingsStore settings{QString()};  // the defaults; the user's profile is not read
  settings.values().codePage = languageSetting;
  CMainFrame::Parts parts;
  parts.screen = &screen;
  parts.videoPlayer = &video;
  parts.makeAudioPlayer = [] { return std::make_unique<InertAudioPlayer>(); };
  // Zip songs are extracted where the player extracts them.
  parts.tempFolder = PrivateTempFolder(QDir::tempPath());
  CMainFrame frame(std::move(parts), settings);
  frame.PlaySong(path);

  // An archive plays the song it holds; report the kind of the song that was opened.
  const QString song = frame.currentSongPath().isEmpty() ? path : frame.currentSongPath();
  report.kind = LyricKindForPath(song);
  report.lyricMode = frame.lyricMode();
  report.lineTimed = screen.lineTimed;
  const LyricStore& store = frame.lyricStore();
  // The code page the song's 8-bit text was read with.
  report.codePage = store.utf8Text ? kUtf8CodePage : store.codePage;
  report.language = store.language;
  const std::u16string_view title = TextView(store.title);
  const std::u16string_view artist = TextView(store.artist);
  report.title = ToQString(title);
  report.artist = ToQString(artist);
  for (int i = 0; i < store.count; ++i) {
    const LyricSyllable& s = store.syllables[i];
    report.syllables.push_back({s.timeMs, s.lineBreak, s.shown, std::u16string(TextView(s.text))});
  }
  if (report.kind == kLyricKindKar) {
    const MidiReadOutcome midi = CheckMidiFile(NativePath(song));
    if (midi.result != kOk) report.midiDamage = midi;
  }
  return report;
}

std::string FormatDamage(const LyricReport& r) {
  if (!r.midiDamage) return {};
  const MidiReadOutcome& m = *r.midiDamage;
  const std::string where =
      m.stopTrack < 0 ? "in the header" : "in track " + std::to_string(m.stopTrack + 1);
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<uint32_t>(m.result));
  return ToUtf8(r.path) + ": damaged MIDI file: reading stopped at byte " +
         std::to_string(m.stopOffset) + " " + where + " (" + code + ")";
}

std::string FormatReportText(const LyricReport& r) {
  std::string out;
  auto line = [&out](const char* key, const std::string& value) {
    out += key;
    out += ": ";
    out += value;
    out += '\n';
  };
  line("path", EscapeText(ToUtf8(r.path)));
  line("kind", std::to_string(r.kind));
  line("lyricMode", std::to_string(r.lyricMode));
  line("lineTimed", r.lineTimed ? "1" : "0");
  line("codePage", std::to_string(r.codePage));
  line("language", std::to_string(r.language));
  line("title", EscapeText(ToUtf8(r.title)));
  line("artist", EscapeText(ToUtf8(r.artist)));
  line("syllables", std::to_string(r.syllables.size()));
  for (size_t i = 0; i < r.syllables.size(); ++i) {
    const InspectedSyllable& s = r.syllables[i];
    out += std::to_string(i) + '\t' + std::to_string(s.timeMs) + '\t' +
           std::to_string(s.lineBreak) + '\t' + std::to_string(s.shown) + '\t' +
           EscapeText(ToUtf8(s.text)) + '\n';
  }
  return out;
}

std::string FormatReportJson(const LyricReport& r) {
  std::string out = "{\"path\":" + EscapeJson(ToUtf8(r.path));
  out += ",\"kind\":" + std::to_string(r.kind);
  out += ",\"lyricMode\":" + std::to_string(r.lyricMode);
  out += ",\"lineTimed\":" + std::to_string(r.lineTimed ? 1 : 0);
  out += ",\"codePage\":" + std::to_string(r.codePage);
  out += ",\"language\":" + std::to_string(r.language);
  out += ",\"title\":" + EscapeJson(ToUtf8(r.title));
  out += ",\"artist\":" + EscapeJson(ToUtf8(r.artist));
  out += ",\"syllables\":[";
  for (size_t i = 0; i < r.syllables.size(); ++i) {
    const InspectedSyllable& s = r.syllables[i];
    if (i > 0) out += ',';
    out += "{\"timeMs\":" + std::to_string(s.timeMs) +
           ",\"lineBreak\":" + std::to_string(s.lineBreak) +
           ",\"shown\":" + std::to_string(s.shown) + ",\"text\":" + EscapeJson(ToUtf8(s.text)) +
           '}';
  }
  return out + "]}";
}

}  // namespace lyrovox
