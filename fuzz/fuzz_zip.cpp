// Zip archives with hostile names and broken data: every entry is listed and extracted into a
// folder deep inside a private temporary folder, and nothing may appear anywhere else in it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "archive/zip_archive.h"
#include "private_folder.h"

namespace fs = std::filesystem;

namespace {

const std::string& Root() {
  static const lyrovox::fuzzing::PrivateFolder root("lyrovox-fuzz-zip");
  return root.path();
}

// Everything below the root must be the archive, the folders leading to the target, or lie
// inside the target; and no link may have been made anywhere.
void CheckContained(const fs::path& root, const fs::path& target) {
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const fs::path& p = it->path();
    if (it->is_symlink()) __builtin_trap();
    const std::string rel = p.lexically_relative(root).string();
    if (rel == "in.zip") continue;
    // The target and the folders that lead to it.
    const std::string inside = target.lexically_relative(root).string();
    if (inside == rel || inside.rfind(rel + "/", 0) == 0) continue;
    if (rel.rfind(inside + "/", 0) != 0) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path root = Root();
  const fs::path archive = root / "in.zip";
  const fs::path target = root / "a/b/c/d/out";
  {
    std::ofstream out(archive, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const char* password = size % 2 == 1 ? lyrovox::kSongArchivePassword : nullptr;
  if (lyrovox::ZipHandle* zip = lyrovox::OpenZipArchive(archive.string(), password)) {
    lyrovox::ZipEntryInfo count;
    lyrovox::GetZipEntry(zip, -1, &count);
    lyrovox::SetZipTargetFolder(zip, target.string() + "/");
    for (int32_t i = 0; i < count.index && i < 16; ++i) {
      lyrovox::ZipEntryInfo info;
      if (lyrovox::GetZipEntry(zip, i, &info) != lyrovox::kZipOk) break;
      lyrovox::ExtractZipEntry(zip, i, info.name);
    }
    // Names given by a caller are held to the same rules.
    if (count.index > 0) {
      lyrovox::ExtractZipEntry(zip, 0, u"../../../../../escape");
      lyrovox::ExtractZipEntry(zip, 0, u"/tmp/../..\\escape..");
    }
    lyrovox::ExtractZipEntry(zip, count.index, u"x");
    lyrovox::CloseZipArchive(zip);
  }
  CheckContained(root, target);
  std::error_code ignored;
  fs::remove_all(root / "a", ignored);
  return 0;
}
