#include "common/smf_builder.h"

#include <algorithm>
#include <fstream>

namespace lyrovox::smf {

namespace {

void PutBigEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i)
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values)
    s.push_back(static_cast<char>(v));
  return s;
}

}  // namespace

std::string Utf16Le(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::string Vlq(uint64_t value) {
  std::string out(1, static_cast<char>(value & 0x7F));
  while ((value >>= 7) != 0)
    out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
  return out;
}

void Track::Add(uint32_t tick, std::string bytes, bool channelMessage) {
  events_.push_back(
      {tick, static_cast<uint32_t>(events_.size()), std::move(bytes), channelMessage});
}

Track& Track::Tempo(uint32_t tick, uint32_t microsecondsPerQuarter) {
  std::string data;
  PutBigEndian(data, microsecondsPerQuarter, 3);
  return Meta(tick, 0x51, data);
}

Track& Track::Meta(uint32_t tick, uint8_t type, std::string_view bytes) {
  std::string e = Bytes({0xFF, type});
  e += Vlq(bytes.size());
  e += bytes;
  Add(tick, std::move(e), false);
  return *this;
}

Track& Track::Note(uint32_t tick, uint32_t duration, uint8_t channel, uint8_t key,
                   uint8_t velocity) {
  Add(tick, Bytes({0x90 | (channel & 0x0F), key & 0x7F, velocity & 0x7F}), true);
  Add(tick + duration, Bytes({0x90 | (channel & 0x0F), key & 0x7F, 0}), true);
  return *this;
}

Track& Track::Program(uint32_t tick, uint8_t channel, uint8_t program) {
  Add(tick, Bytes({0xC0 | (channel & 0x0F), program & 0x7F}), true);
  return *this;
}

Track& Track::Controller(uint32_t tick, uint8_t channel, uint8_t controller, uint8_t value) {
  Add(tick, Bytes({0xB0 | (channel & 0x0F), controller & 0x7F, value & 0x7F}), true);
  return *this;
}

Track& Track::SysEx(uint32_t tick, std::string_view bytes) {
  std::string e = Bytes({0xF0});
  e += Vlq(bytes.size());
  e += bytes;
  Add(tick, std::move(e), false);
  return *this;
}

Track& Track::Raw(uint32_t tick, std::string_view bytes) {
  Add(tick, std::string(bytes), false);
  return *this;
}

std::string Track::Encode() const {
  std::vector<Event> sorted = events_;
  // Note-offs are added ahead of later events: order by tick, then by insertion.
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Event& a, const Event& b) { return a.tick < b.tick; });
  std::string body;
  uint32_t last = 0;
  char status = 0;
  for (const Event& e : sorted) {
    body += Vlq(e.tick >= last ? e.tick - last : 0);
    last = std::max(last, e.tick);
    if (e.channelMessage && runningStatus_ && e.bytes[0] == status) {
      body += e.bytes.substr(1);
    } else {
      body += e.bytes;
    }
    status = e.channelMessage ? e.bytes[0] : 0;
  }
  if (endOfTrack_) body += Bytes({0x00, 0xFF, 0x2F, 0x00});
  std::string out = "MTrk";
  PutBigEndian(out, static_cast<uint32_t>(body.size()), 4);
  return out + body;
}

Track& File::AddTrack() {
  return tracks_.emplace_back();
}

std::string File::Encode() const {
  std::string out = "MThd";
  PutBigEndian(out, 6, 4);
  PutBigEndian(out, format_, 2);
  PutBigEndian(out,
               declaredTracks_ >= 0 ? static_cast<uint32_t>(declaredTracks_)
                                    : static_cast<uint32_t>(tracks_.size()),
               2);
  PutBigEndian(out, division_, 2);
  for (const Track& t : tracks_)
    out += t.Encode();
  return out;
}

bool File::Write(const std::string& path) const {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  const std::string bytes = Encode();
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

}  // namespace lyrovox::smf
