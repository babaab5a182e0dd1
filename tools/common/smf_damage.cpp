#include "common/smf_damage.h"

namespace lyrovox::smf {

File WildKaraokeSong() {
  File song(1, kWildDivision);
  song.AddTrack().Tempo(0, 500000);
  auto& melody = song.AddTrack();
  melody.Program(0, 0, 0);
  for (uint32_t tick = 0; tick < 5000; tick += 250)
    melody.Note(tick, 200, 0, static_cast<uint8_t>(60 + tick / 250 % 12), 90);
  song.AddTrack()
      .Text(0, "@TTwinkle Star")
      .Text(0, "@TJane Taylor")
      .Text(1000, "\\Twin")
      .Text(1500, "kle ")
      .Text(2000, "twin")
      .Text(2500, "kle ")
      .Text(3000, "/lit")
      .Text(3500, "tle ")
      .Text(4000, "star");
  auto& bass = song.AddTrack().UseRunningStatus();
  for (uint32_t tick = 0; tick < 5000; tick += 500)
    bass.Note(tick, 400, 1, static_cast<uint8_t>(36 + tick / 500 % 5), 100);
  return song;
}

std::string WithBadEvent(File song, size_t track, uint32_t tick) {
  song.TrackAt(track).Raw(tick, "\xF4");
  return song.Encode();
}

std::string WithStrayDataByte(File song, size_t track, uint32_t tick) {
  song.TrackAt(track).SysEx(tick, "\x7E\x7F\xF7").Raw(tick, "\x40\x40");
  return song.Encode();
}

std::string Truncated(const File& song, size_t bytes) {
  const std::string whole = song.Encode();
  return whole.substr(0, whole.size() > bytes ? whole.size() - bytes : 0);
}

std::string WithMoreTracksAnnounced(File song, uint16_t tracks, std::string_view junk) {
  song.DeclareTrackCount(tracks);
  return song.Encode() + std::string(junk);
}

}  // namespace lyrovox::smf
