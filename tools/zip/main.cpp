// lyrovox-zip: a zip song archive as the player sees it, and optionally extracted the same way.
//
//   lyrovox-zip ARCHIVE [--to DIR] [--password P]
//
// The output format is described in the README ("Looking into zip songs").

#include <cstdio>
#include <ctime>
#include <string>

#include "archive/zip_archive.h"
#include "common/text_escape.h"

namespace {

// The usage goes to standard output when asked for, else with the error to standard error.
int Usage(const char* program, std::FILE* to = stderr) {
  std::fprintf(to, "usage: %s ARCHIVE [--to DIR] [--password P]\n", program);
  return 2;
}

std::string Attributes(uint32_t a) {
  std::string s = "-----";
  if (a & lyrovox::kZipAttrReadOnly) s[0] = 'R';
  if (a & lyrovox::kZipAttrHidden) s[1] = 'H';
  if (a & lyrovox::kZipAttrSystem) s[2] = 'S';
  if (a & lyrovox::kZipAttrDirectory) s[3] = 'D';
  if (a & lyrovox::kZipAttrArchive) s[4] = 'A';
  return s;
}

std::string UtcTime(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm utc{};
  if (gmtime_r(&t, &utc) == nullptr) return "-";
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  std::string archive;
  std::string target;
  std::string password = lyrovox::kSongArchivePassword;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--to" && i + 1 < argc) {
      target = argv[++i];
    } else if (a == "--password" && i + 1 < argc) {
      password = argv[++i];
    } else if (a == "--help" || a == "-h") {
      Usage(argv[0], stdout);
      return 0;
    } else if (a.rfind("--", 0) == 0 || !archive.empty()) {
      return Usage(argv[0]);
    } else {
      archive = a;
    }
  }
  if (archive.empty()) return Usage(argv[0]);

  const lyrovox::ZipArchivePtr zip(lyrovox::OpenZipArchive(archive, password.c_str()));
  if (!zip) {
    std::fprintf(stderr, "%s: cannot open %s\n", argv[0], archive.c_str());
    return 1;
  }
  lyrovox::ZipEntryInfo count;
  lyrovox::GetZipEntry(zip.get(), -1, &count);
  std::printf("archive: %s\nentries: %d\n", lyrovox::EscapeTextField(archive).c_str(), count.index);
  int status = 0;
  for (int32_t i = 0; i < count.index; ++i) {
    lyrovox::ZipEntryInfo info;
    const uint32_t read = lyrovox::GetZipEntry(zip.get(), i, &info);
    if (read != lyrovox::kZipOk) {
      std::printf("%d\tunreadable 0x%X\n", i, read);
      status = 1;
      break;  // the entries after a broken one cannot be reached
    }
    const std::string name = lyrovox::EscapeTextField(lyrovox::Utf8FromUtf16(info.name));
    std::printf("%d\t%s\t%llu\t%llu\t%s\t%s\t%s\t%s\n", i, Attributes(info.attributes).c_str(),
                static_cast<unsigned long long>(info.compressedSize),
                static_cast<unsigned long long>(info.uncompressedSize),
                UtcTime(info.writeTime).c_str(), UtcTime(info.accessTime).c_str(),
                UtcTime(info.creationTime).c_str(), name.c_str());
    if (target.empty()) continue;
    lyrovox::SetZipTargetFolder(zip.get(), target);
    const uint32_t result = lyrovox::ExtractZipEntry(zip.get(), i, info.name);
    std::printf("extract\t%d\t0x%X\t%s\n", i, result, name.c_str());
    if (result != lyrovox::kZipOk) status = 1;
  }
  return status;
}
