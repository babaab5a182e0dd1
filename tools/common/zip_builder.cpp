#include "common/zip_builder.h"

#include <minizip/zip.h>
#include <zlib.h>

#include "archive/zip_crypto.h"

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

std::string RawDeflate(const std::string& data) {
  z_stream z{};
  if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    return {};
  }
  std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// The entry's data as the traditional zip encryption stores it: a 12-byte header ending in the
// CRC's top bytes, then the (compressed) data, all encrypted.
std::string Encrypt(const Entry& e, uLong crc) {
  lyrovox::ZipCrypto crypto(e.password);
  std::string plain = "0123456789";
  plain.push_back(static_cast<char>((crc >> 16) & 0xFF));
  plain.push_back(static_cast<char>((crc >> 24) & 0xFF));
  plain += e.deflate ? RawDeflate(e.data) : e.data;
  std::string out;
  for (char c : plain)
    out.push_back(static_cast<char>(crypto.Encrypt(static_cast<uint8_t>(c))));
  return out;
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
    // Encrypted entries are written raw, encrypted here: the zip library's own encryption is
    // not the standard one as Debian builds it.
    const bool encrypt = e.password != nullptr;
    const int opened = zipOpenNewFileInZip4(
        zip, e.name.c_str(), &info, local.empty() ? nullptr : local.data(),
        static_cast<uInt>(local.size()), central.empty() ? nullptr : central.data(),
        static_cast<uInt>(central.size()), nullptr, e.deflate ? Z_DEFLATED : 0,
        Z_DEFAULT_COMPRESSION, encrypt ? 1 : 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
        nullptr, 0, static_cast<uLong>((e.madeBy << 8) | 20), encrypt ? 0x801 : 0x800);
    if (opened != ZIP_OK) {
      ok = false;
      break;
    }
    const std::string body = encrypt ? Encrypt(e, crc) : e.data;
    if (!body.empty() &&
        zipWriteInFileInZip(zip, body.data(), static_cast<unsigned>(body.size())) != ZIP_OK) {
      ok = false;
    }
    const int closed = encrypt ? zipCloseFileInZipRaw(zip, static_cast<uLong>(e.data.size()), crc)
                               : zipCloseFileInZip(zip);
    if (closed != ZIP_OK) ok = false;
  }
  if (zipClose(zip, nullptr) != ZIP_OK) ok = false;
  return ok;
}

}  // namespace lyrovox::ziptest
