#include "common/kym_builder.h"

#include <fstream>

namespace lyrovox::kym {

namespace {

std::string Padded(std::string_view bytes, size_t size) {
  std::string out(bytes.substr(0, size));
  out.resize(size, '\0');
  return out;
}

std::string WordRecord(const Word& w, bool itag) {
  std::string r(23, '\0');
  r[0] = static_cast<char>(w.timeMs & 0xFF);
  r[1] = static_cast<char>((w.timeMs >> 8) & 0xFF);
  r[2] = static_cast<char>((w.timeMs >> 16) & 0xFF);
  r[3] = static_cast<char>((w.timeMs >> 24) & 0xFF);
  r[4] = static_cast<char>(w.start);
  r[5] = static_cast<char>(w.length);
  r[10] = static_cast<char>(w.line);
  if (itag) r.replace(19, 4, "ITAG");
  return r;
}

}  // namespace

File& File::Line(std::string_view bytes) {
  lines_.push_back(Padded(bytes, 24));
  return *this;
}

File& File::RawWord(std::string bytes23) {
  raw_.emplace_back(words_.size(), Padded(bytes23, 23));
  words_.push_back({});
  return *this;
}

std::string File::Encode() const {
  std::string out = audio_;
  out += "LTAG";
  for (const std::string& line : lines_)
    out += line;
  if (linesOnly_) return out;
  out += std::string("STAG\0\0\0\0", 8);
  for (size_t i = 0; i < words_.size(); ++i) {
    const bool last = i + 1 == words_.size();
    std::string record = WordRecord(words_[i], last && !itagRecord_);
    for (const auto& [index, bytes] : raw_) {
      if (index == i) record = bytes;
    }
    out += record;
  }
  // The trailer: the title 10 bytes in, the singer 130 bytes in.
  std::string trailer(160, '\0');
  if (itagRecord_) trailer.replace(0, 4, "ITAG");
  trailer.replace(10, 24, Padded(title_, 24));
  trailer.replace(130, 20, Padded(artist_, 20));
  return out + trailer;
}

bool File::Write(const std::string& path) const {
  std::ofstream f(path, std::ios::binary);
  const std::string bytes = Encode();
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

}  // namespace lyrovox::kym
