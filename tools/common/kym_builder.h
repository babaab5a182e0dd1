#pragma once

// Writes KYM song files: some stand-in audio bytes, then the lyric block "LTAG", the
// 24-byte line records, the "STAG" record, the 23-byte word records and the trailer with the
// title and singer. The tests, the benchmarks and the fuzzing corpus build their KYM files with
// it. Text is given as the file's own bytes (code page 949).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lyrovox::kym {

struct Word {
  uint32_t timeMs;  // when the next word starts
  uint8_t start;    // byte offset in its line
  uint8_t length;   // bytes
  uint8_t line;     // line index
};

class File {
 public:
  // Bytes in front of the lyric block (the audio); they must not hold "LTAG".
  File& Audio(std::string bytes) {
    audio_ = std::move(bytes);
    return *this;
  }
  // A line of at most 24 bytes, zero-padded.
  File& Line(std::string_view bytes);
  File& AddWord(Word w) {
    words_.push_back(w);
    return *this;
  }
  // The word record's bytes as they are, for records the format does not expect.
  File& RawWord(std::string bytes23);
  File& Title(std::string_view bytes) {
    title_ = std::string(bytes);
    return *this;
  }
  File& Artist(std::string_view bytes) {
    artist_ = std::string(bytes);
    return *this;
  }
  // How the word walk ends: with an "ITAG" record of its own (true, the default) or with "ITAG"
  // in bytes 19-22 of the last word record (false).
  File& ItagRecord(bool on) {
    itagRecord_ = on;
    return *this;
  }
  // Leave out the "STAG" record, the words and the trailer.
  File& LinesOnly() {
    linesOnly_ = true;
    return *this;
  }

  std::string Encode() const;
  bool Write(const std::string& path) const;

 private:
  std::string audio_ = std::string(64, '\x55');
  std::vector<std::string> lines_;
  std::vector<Word> words_;
  std::vector<std::pair<size_t, std::string>> raw_;  // index into the word list, bytes
  std::string title_;
  std::string artist_;
  bool itagRecord_ = true;
  bool linesOnly_ = false;
};

}  // namespace lyrovox::kym
