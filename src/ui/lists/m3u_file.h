#pragma once

// M3U song list files: the program writes UTF-16LE with a byte-order mark and CR LF line ends,
// "#EXTM3U" and then one full path per line. Reading takes UTF-16LE or UTF-8 by their marks,
// otherwise UTF-8 when the bytes are valid UTF-8, else Windows-1252 (text with zero bytes in it
// is UTF-16LE that lost its mark). Plain C++: paths are UTF-16.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lyrovox::m3u {

// The text of a list file's bytes, without its byte-order mark.
std::u16string DecodeText(std::span<const uint8_t> bytes);

// Text lines as a file of the program's own: UTF-16LE with a byte-order mark, each line ended by
// CR LF.
std::string EncodeUtf16Lines(const std::vector<std::u16string>& lines);

// The entries of a list's text as they stand: one per line, whole (however long), without CR or
// LF; lines of three characters or fewer and lines that begin with "#" are skipped.
std::vector<std::u16string> EntryLines(std::u16string_view text);

// An entry as a path: "\" becomes "/"; "file://" addresses of this machine are decoded; a path
// that is not absolute is taken in the list's folder (folderWithSlash ends with "/"). Empty when
// the entry names no local file.
std::u16string ResolveEntry(std::u16string_view entry, std::u16string_view folderWithSlash);

struct ListFile {
  bool read = false;  // false when the file could not be read (the list is then left as it was)
  std::vector<std::u16string> paths;
};

inline constexpr uint64_t kMaxListFileBytes = uint64_t{256} << 20;

// Reads a list file given by its native (UTF-8) path. Files above maxBytes, and files that are not
// text (IsListText), are not read.
ListFile ReadListFile(const std::string& nativePath, uint64_t maxBytes = kMaxListFileBytes);

// The same, handing each path to `take` as it is read (no list of them is kept). False when the
// file could not be read.
bool ReadListFile(const std::string& nativePath, const std::function<void(std::u16string&&)>& take,
                  uint64_t maxBytes = kMaxListFileBytes);

// The bytes of a list file holding these paths, as the program writes it. A path that a plain line
// cannot carry back unchanged (a line break or "\" in it, shorter than an entry) is written as a
// "file://" address.
std::string EncodeListFile(const std::vector<std::u16string>& paths);

// A list entry with what the lines before it tell of it: "#EXTINF:<seconds>,<title>" gives its
// title, and any other "#NAME:value" line its named values (readers that know only paths skip
// them all). The reserved list keeps its rows' shown titles this way, and may keep more of them.
struct Entry {
  std::u16string path;
  std::u16string title;
  std::vector<std::pair<std::u16string, std::u16string>> values;
};

// The entries of a list's text, paths resolved as ResolveEntry does.
std::vector<Entry> Entries(std::u16string_view text, std::u16string_view folderWithSlash);

// Reads a list file with its entries' titles and values. False when it could not be read or is
// not text.
bool ReadEntryFile(const std::string& nativePath, std::vector<Entry>& entries,
                   uint64_t maxBytes = kMaxListFileBytes);

// The bytes of a list file of these entries: "#EXTM3U", then for each entry its "#EXTINF" line,
// its values' lines and its path. Line breaks in titles and values become blanks.
std::string EncodeEntryFile(const std::vector<Entry>& entries);

// Whether decoded list text is text: no NUL (but at its very end) or other control characters
// besides tab, carriage return and line feed, and no unpaired surrogate.
bool IsListText(std::u16string_view text);

// A song's name from its path: the file name without folder and its last extension (a name that
// begins with its only dot keeps it). The one rule for every song row's name.
std::u16string NameOfPath(std::u16string_view path);

// The folder part of a native path, with its trailing "/" ("" for a bare name).
std::u16string FolderOf(std::u16string_view path);

}  // namespace lyrovox::m3u
