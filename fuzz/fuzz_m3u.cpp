// Song list files in both encodings: the first byte chooses the mark put before the rest (none,
// UTF-16LE, UTF-8). Every entry is a whole line turned into an absolute path whose song name is the
// start of its last name, and the paths, once written by the program, read back unchanged, also
// when read and written with their entries' titles and values.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/lists/m3u_file.h"

namespace {

bool HasLoneSurrogate(const std::u16string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

std::vector<std::u16string> Paths(const std::string& bytes) {
  using namespace lyrovox::m3u;
  std::vector<std::u16string> paths;
  const auto text = DecodeText({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  for (const std::u16string& entry : EntryLines(text)) {
    if (entry.size() < 4 || entry.front() == u'#' || entry.find(u'\n') != std::u16string::npos)
      __builtin_trap();
    std::u16string path = ResolveEntry(entry, u"/lists/");
    if (path.empty()) continue;
    if (path.front() != u'/' || path.find(u'\0') != std::u16string::npos) __builtin_trap();
    // The song's name: part of the path's last name, from its start.
    const std::u16string name = NameOfPath(path);
    const std::u16string last = path.substr(path.rfind(u'/') + 1);
    if (last.compare(0, name.size(), name) != 0) __builtin_trap();
    if (name.empty() && !last.empty()) __builtin_trap();
    paths.push_back(std::move(path));
  }
  return paths;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string bytes;
  switch (data[0] % 3) {
    case 1:
      bytes = "\xFF\xFE";
      break;
    case 2:
      bytes = "\xEF\xBB\xBF";
      break;
    default:
      break;
  }
  bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::vector<std::u16string> paths = Paths(bytes);
  for (const std::u16string& path : paths) {
    if (HasLoneSurrogate(path)) return 0;
  }
  if (Paths(lyrovox::m3u::EncodeListFile(paths)) != paths) __builtin_trap();

  // The same list read with its entries' titles and values: the same songs, which a list of
  // entries written by the program gives back.
  using namespace lyrovox::m3u;
  const std::u16string text =
      DecodeText({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  const std::vector<Entry> entries = Entries(text, u"/lists/");
  if (entries.size() != paths.size()) __builtin_trap();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].path != paths[i]) __builtin_trap();
  }
  const std::string written = EncodeEntryFile(entries);
  const std::vector<Entry> back = Entries(
      DecodeText({reinterpret_cast<const uint8_t*>(written.data()), written.size()}), u"/lists/");
  if (back.size() != entries.size()) __builtin_trap();
  for (size_t i = 0; i < back.size(); ++i) {
    if (back[i].path != entries[i].path) __builtin_trap();
  }
  (void)IsListText(text);
  return 0;
}
