#include "archive/zip_archive.h"

#include <minizip/unzip.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <climits>
#include <ctime>
#include <vector>

#include "archive/contained_folder.h"
#include "archive/zip_crypto.h"

namespace lyrovox {

namespace {

constexpr size_t kReadBufferSize = 16384;
constexpr uLong kMaxNameBytes = 65536;
constexpr uLong kMaxExtraBytes = 65536;
constexpr uint16_t kExtendedTimestampId = 0x5455;  // "UT"
constexpr uLong kFlagEncrypted = 1;
constexpr uLong kFlagDataDescriptor = 8;

std::atomic<uint32_t> lastResult{kZipOk};

uint32_t Done(uint32_t result) {
  lastResult.store(result, std::memory_order_relaxed);
  return result;
}

struct ReaderCloser {
  void operator()(void* reader) const { unzClose(reader); }
};

// The entry as read from the central directory.
struct EntryHeader {
  unz_file_info64 info{};
  std::string storedName;
  std::vector<uint8_t> extra;
};

}  // namespace

struct ZipHandle {
  int kind = kZipHandleKindArchive;
  std::unique_ptr<void, ReaderCloser> reader;
  int32_t count = 0;
  int32_t position = -1;   // the entry the reader stands on, -1 when unknown
  int32_t openEntry = -1;  // the entry open for reading, -1 when none
  std::string targetFolder;
  std::unique_ptr<uint8_t[]> buffer;  // allocated at the first extraction
  std::string password;
};

namespace {

void CloseOpenEntry(ZipHandle& h) {
  if (h.openEntry >= 0) unzCloseCurrentFile(h.reader.get());
  h.openEntry = -1;
}

// Moves the reader to entry `index`, walking forward from where it stands when it can.
bool GoToEntry(ZipHandle& h, int32_t index) {
  if (h.position < 0 || index < h.position) {
    if (unzGoToFirstFile(h.reader.get()) != UNZ_OK) {
      h.position = -1;
      return false;
    }
    h.position = 0;
  }
  while (h.position < index) {
    if (unzGoToNextFile(h.reader.get()) != UNZ_OK) {
      h.position = -1;
      return false;
    }
    ++h.position;
  }
  return true;
}

bool ReadHeader(ZipHandle& h, EntryHeader& entry) {
  std::vector<char> name(kMaxNameBytes + 1);
  entry.extra.resize(kMaxExtraBytes);
  if (unzGetCurrentFileInfo64(h.reader.get(), &entry.info, name.data(), kMaxNameBytes,
                              entry.extra.data(), kMaxExtraBytes, nullptr, 0) != UNZ_OK) {
    return false;
  }
  name[kMaxNameBytes] = 0;
  entry.storedName = name.data();
  entry.extra.resize(std::min<uLong>(entry.info.size_file_extra, kMaxExtraBytes));
  return true;
}

uint32_t Attributes(const unz_file_info64& info) {
  const uLong madeBy = (info.version >> 8) & 0xFF;
  if (madeBy == 0 || madeBy == 7 || madeBy == 11 || madeBy == 14) {
    return info.external_fa & (kZipAttrReadOnly | kZipAttrHidden | kZipAttrSystem |
                               kZipAttrDirectory | kZipAttrArchive);
  }
  const uLong mode = (info.external_fa >> 16) & 0xFFFF;
  uint32_t attributes = 0;
  if ((mode & S_IFMT) == S_IFDIR) attributes |= kZipAttrDirectory;
  if ((mode & S_IWUSR) == 0) attributes |= kZipAttrReadOnly;
  return attributes;
}

bool IsDirectoryEntry(const EntryHeader& entry) {
  const std::string& name = entry.storedName;
  if (!name.empty() && (name.back() == '/' || name.back() == '\\')) return true;
  return (Attributes(entry.info) & kZipAttrDirectory) != 0;
}

int64_t ReadLe32(const uint8_t* p) {
  // Signed, as the extended timestamp stores it.
  return static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24));
}

void FillTimes(const EntryHeader& entry, ZipEntryInfo& out) {
  const std::vector<uint8_t>& extra = entry.extra;
  for (size_t at = 0; at + 4 <= extra.size();) {
    const uint16_t id = static_cast<uint16_t>(extra[at] | (extra[at + 1] << 8));
    const size_t size = extra[at + 2] | (extra[at + 3] << 8);
    const size_t data = at + 4;
    if (data + size > extra.size()) break;
    if (id == kExtendedTimestampId && size >= 1) {
      const uint8_t flags = extra[data];
      size_t field = data + 1;
      int64_t times[3] = {};
      bool present[3] = {};
      for (int bit = 0; bit < 3; ++bit) {
        if ((flags & (1 << bit)) == 0) continue;
        if (field + 4 > data + size) break;  // the central copy often holds the write time only
        times[bit] = ReadLe32(&extra[field]);
        present[bit] = true;
        field += 4;
      }
      if (present[0]) {
        out.writeTime = times[0];
        out.accessTime = present[1] ? times[1] : times[0];
        out.creationTime = present[2] ? times[2] : times[0];
        return;
      }
    }
    at = data + size;
  }
  // The DOS date and time are local time.
  const tm_unz& d = entry.info.tmu_date;
  std::tm t{};
  t.tm_sec = static_cast<int>(d.tm_sec);
  t.tm_min = static_cast<int>(d.tm_min);
  t.tm_hour = static_cast<int>(d.tm_hour);
  t.tm_mday = static_cast<int>(d.tm_mday);
  t.tm_mon = static_cast<int>(d.tm_mon);
  t.tm_year = static_cast<int>(d.tm_year) - 1900;
  t.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&t);
  out.writeTime = out.accessTime = out.creationTime = seconds == -1 ? 0 : seconds;
}

void FillInfo(int32_t index, const EntryHeader& entry, ZipEntryInfo& out) {
  out.index = index;
  out.name = MakeSafeEntryName(Utf16FromUtf8(entry.storedName));
  out.attributes = Attributes(entry.info);
  out.compressedSize = entry.info.compressed_size;
  out.uncompressedSize = entry.info.uncompressed_size;
  FillTimes(entry, out);
}

uint32_t OpenEntryError(int error) {
  return error == UNZ_BADZIPFILE || error == UNZ_PARAMERROR ? kZipBadLocalHeader : kZipSeekFailed;
}

bool WriteAll(int fd, const uint8_t* data, size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, data, n);
    if (w <= 0) return false;
    data += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

// Copies the entry, opened for reading by the zip library, into `fd`.
uint32_t CopyEntry(ZipHandle& h, int fd) {
  for (;;) {
    const int n = unzReadCurrentFile(h.reader.get(), h.buffer.get(), kReadBufferSize);
    if (n == 0) break;
    if (n < 0) return kZipInflateFailed;
    if (!WriteAll(fd, h.buffer.get(), static_cast<size_t>(n))) return kZipWriteFailed;
  }
  const int closed = unzCloseCurrentFile(h.reader.get());
  h.openEntry = -1;
  return closed == UNZ_OK ? kZipOk : kZipInflateFailed;
}

struct Inflater {
  z_stream stream{};
  bool ready = false;
  Inflater() { ready = inflateInit2(&stream, -MAX_WBITS) == Z_OK; }
  ~Inflater() {
    if (ready) inflateEnd(&stream);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
};

// Copies an encrypted entry, opened raw, into `fd`: decrypts it, checks the password byte of its
// header, inflates and checks the CRC. With the traditional encryption a wrong password shows
// only as a bad check byte or, 1 time in 256, as broken data: both give the password code.
uint32_t CopyEncryptedEntry(ZipHandle& h, const EntryHeader& entry, int method, int fd) {
  ZipCrypto crypto(h.password);
  uint8_t* in = h.buffer.get();
  uint8_t* out = h.buffer.get() + kReadBufferSize;
  uint8_t header[kZipCryptoHeaderSize];
  for (int got = 0; got < kZipCryptoHeaderSize;) {
    const int n = unzReadCurrentFile(h.reader.get(), header + got,
                                     static_cast<unsigned>(kZipCryptoHeaderSize - got));
    if (n <= 0) return kZipInflateFailed;
    got += n;
  }
  uint8_t check = 0;
  for (uint8_t& b : header)
    check = b = crypto.Decrypt(b);
  const uint8_t expected = (entry.info.flag & kFlagDataDescriptor)
                               ? static_cast<uint8_t>((entry.info.dosDate >> 8) & 0xFF)
                               : static_cast<uint8_t>((entry.info.crc >> 24) & 0xFF);
  if (check != expected) return kZipWrongPassword;

  Inflater inflater;
  if (method == Z_DEFLATED && !inflater.ready) return kZipInflateFailed;
  uLong crc = crc32(0, nullptr, 0);
  bool ended = method != Z_DEFLATED;
  for (;;) {
    const int n = unzReadCurrentFile(h.reader.get(), in, kReadBufferSize);
    if (n < 0) return kZipInflateFailed;
    if (n == 0) break;
    for (int i = 0; i < n; ++i)
      in[i] = crypto.Decrypt(in[i]);
    if (method != Z_DEFLATED) {
      crc = crc32(crc, in, static_cast<uInt>(n));
      if (!WriteAll(fd, in, static_cast<size_t>(n))) return kZipWriteFailed;
      continue;
    }
    z_stream& z = inflater.stream;
    z.next_in = in;
    z.avail_in = static_cast<uInt>(n);
    while (z.avail_in > 0 && !ended) {
      z.next_out = out;
      z.avail_out = kReadBufferSize;
      const int r = inflate(&z, Z_NO_FLUSH);
      if (r != Z_OK && r != Z_STREAM_END) return kZipWrongPassword;
      ended = r == Z_STREAM_END;
      const size_t produced = kReadBufferSize - z.avail_out;
      crc = crc32(crc, out, static_cast<uInt>(produced));
      if (!WriteAll(fd, out, produced)) return kZipWriteFailed;
    }
  }
  if (!ended || crc != entry.info.crc) return kZipWrongPassword;
  return kZipOk;
}

// Opens entry `index`, where the reader stands, and copies its data into `fd`.
uint32_t ReadEntryInto(ZipHandle& h, const EntryHeader& entry, int32_t index, int fd) {
  // Input and output halves; the second is used to inflate encrypted entries.
  if (!h.buffer) h.buffer.reset(new uint8_t[2 * kReadBufferSize]);
  if ((entry.info.flag & kFlagEncrypted) != 0) {
    // Without a password the entry cannot be read: as with a wrong one.
    if (h.password.empty()) return kZipWrongPassword;
    int method = 0;
    int level = 0;
    const int opened = unzOpenCurrentFile2(h.reader.get(), &method, &level, 1);
    if (opened != UNZ_OK) return OpenEntryError(opened);
    h.openEntry = index;
    return CopyEncryptedEntry(h, entry, method, fd);
  }
  const int opened = unzOpenCurrentFile(h.reader.get());
  if (opened != UNZ_OK) return OpenEntryError(opened);
  h.openEntry = index;
  return CopyEntry(h, fd);
}

uint32_t CheckHandle(const ZipHandle* handle) {
  if (handle == nullptr) return kZipBadArgument;
  if (handle->kind != kZipHandleKindArchive) return kZipNotZipHandle;
  return kZipOk;
}

}  // namespace

ZipHandle* OpenZipArchive(const std::string& path, const char* password) {
  // Only regular files: a FIFO or a device would block or never end.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    Done(kZipBadArgument);
    return nullptr;
  }
  std::unique_ptr<void, ReaderCloser> reader(unzOpen64(path.c_str()));
  if (reader == nullptr) {
    Done(kZipBadArgument);
    return nullptr;
  }
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(reader.get(), &global) != UNZ_OK) {
    Done(kZipBadArgument);
    return nullptr;
  }
  auto* handle = new ZipHandle;
  handle->reader = std::move(reader);
  handle->count = static_cast<int32_t>(std::min<ZPOS64_T>(global.number_entry, INT32_MAX));
  if (password != nullptr) handle->password = password;
  Done(kZipOk);
  return handle;
}

uint32_t GetZipEntry(ZipHandle* handle, int32_t index, ZipEntryInfo* info) {
  if (const uint32_t bad = CheckHandle(handle); bad != kZipOk) return Done(bad);
  if (info == nullptr) return Done(kZipBadArgument);
  if (index == -1) {
    info->index = handle->count;
    return Done(kZipOk);
  }
  if (index < 0 || index >= handle->count) return Done(kZipBadArgument);
  CloseOpenEntry(*handle);
  EntryHeader entry;
  if (!GoToEntry(*handle, index) || !ReadHeader(*handle, entry)) return Done(kZipBadLocalHeader);
  FillInfo(index, entry, *info);
  return Done(kZipOk);
}

uint32_t SetZipTargetFolder(ZipHandle* handle, const std::string& folder) {
  if (const uint32_t bad = CheckHandle(handle); bad != kZipOk) return Done(bad);
  handle->targetFolder = folder;
  return Done(kZipOk);
}

uint32_t ExtractZipEntry(ZipHandle* handle, int32_t index, std::u16string_view name) {
  if (const uint32_t bad = CheckHandle(handle); bad != kZipOk) return Done(bad);
  ZipHandle& h = *handle;
  CloseOpenEntry(h);
  if (index < 0 || index >= h.count || h.targetFolder.empty()) return Done(kZipBadArgument);
  EntryHeader entry;
  if (!GoToEntry(h, index) || !ReadHeader(h, entry)) return Done(kZipBadLocalHeader);
  ZipEntryInfo info;
  FillInfo(index, entry, info);

  // Whatever name the caller gives, it lands under the target folder.
  std::vector<std::string> parts = SplitRelativeName(Utf8FromUtf16(MakeSafeEntryName(name)));
  const UniqueFd root = OpenRootFolder(h.targetFolder);
  if (IsDirectoryEntry(entry)) {
    return Done(OpenFolderChain(root, parts).valid() ? kZipOk : kZipCannotCreate);
  }
  if (parts.empty()) return Done(kZipCannotCreate);
  const std::string leaf = parts.back();
  parts.pop_back();
  const UniqueFd folder = OpenFolderChain(root, parts);
  UniqueFd out = CreateReplacingFile(folder, leaf);
  if (!out.valid()) return Done(kZipCannotCreate);

  uint32_t result = ReadEntryInto(h, entry, index, out.get());
  CloseOpenEntry(h);
  if (result == kZipOk) {
    const struct timespec times[2] = {{static_cast<time_t>(info.accessTime), 0},
                                      {static_cast<time_t>(info.writeTime), 0}};
    ::futimens(out.get(), times);
    if (info.attributes & kZipAttrReadOnly) ::fchmod(out.get(), 0444);
  }
  if (!out.Close() && result == kZipOk) result = kZipWriteFailed;
  // Data that failed its check (or was never written whole) is no song: nothing is left.
  if (result != kZipOk) ::unlinkat(folder.get(), leaf.c_str(), 0);
  return Done(result);
}

uint32_t CloseZipArchive(ZipHandle* handle) {
  if (const uint32_t bad = CheckHandle(handle); bad != kZipOk) return Done(bad);
  CloseOpenEntry(*handle);
  delete handle;
  return Done(kZipOk);
}

uint32_t ZipLastResult() {
  return lastResult.load(std::memory_order_relaxed);
}

}  // namespace lyrovox
