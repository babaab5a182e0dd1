#include "common/zip_builder.h"

#include <minizip/zip.h>
#include <zlib.h>

namespace lyrovox::ziptest {

namespace {

void PutLe32(std::string& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The "UT" extra field: the local copy holds every time given, the central one the write time.
std::string Timestamp(const Entry& e, bool local) {
  if (!e.utWrite) return {};
  std::string body;
  const bool access = local && e.utAccess.has_value();
  body.push_back(static_cast<char>(1 | (e.utAccess ? 2 : 0)));
  PutLe32(body, *e.utWrite);
  if (access) PutLe32(body, *e.utAccess);
  std::string field = "UT";
  field.push_back(static_cast<char>(body.size()));
  field.push_back('\0');
  return field + body;
}

}  // namespace

bool WriteZip(const std::string& path, const std::vector<Entry>& entries) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (zip == nullptr) return false;
  bool ok = true;
  for (const Entry& e : entries) {
    zip_fileinfo info{};
    info.tmz_date.tm_year = static_cast<uInt>(e.year);
    info.tmz_date.tm_mon = static_cast<uInt>(e.month - 1);
    info.tmz_date.tm_mday = static_cast<uInt>(e.day);
    info.tmz_date.tm_hour = static_cast<uInt>(e.hour);
    info.tmz_date.tm_min = static_cast<uInt>(e.minute);
    info.tmz_date.tm_sec = static_cast<uInt>(e.second);
    info.external_fa = e.externalAttributes;
    const std::string local = Timestamp(e, true);
    const std::string central = Timestamp(e, false);
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size()));
    const int opened = zipOpenNewFileInZip4(
        zip, e.name.c_str(), &info, local.empty() ? nullptr : local.data(),
        static_cast<uInt>(local.size()), central.empty() ? nullptr : central.data(),
        static_cast<uInt>(central.size()), nullptr, e.deflate ? Z_DEFLATED : 0,
        Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, e.password, crc,
        static_cast<uLong>((e.madeBy << 8) | 20), 0x800);
    if (opened != ZIP_OK) {
      ok = false;
      break;
    }
    if (!e.data.empty() &&
        zipWriteInFileInZip(zip, e.data.data(), static_cast<unsigned>(e.data.size())) != ZIP_OK) {
      ok = false;
    }
    if (zipCloseFileInZip(zip) != ZIP_OK) ok = false;
  }
  if (zipClose(zip, nullptr) != ZIP_OK) ok = false;
  return ok;
}

}  // namespace lyrovox::ziptest
