#include "archive/zip_crypto.h"

#include <zlib.h>

namespace lyrovox {

namespace {

uint32_t Crc32Byte(uint32_t crc, uint8_t b) {
  static const z_crc_t* const table = get_crc_table();
  return table[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

}  // namespace

ZipCrypto::ZipCrypto(std::string_view password) : keys_{305419896u, 591751049u, 878082192u} {
  for (char c : password)
    Update(static_cast<uint8_t>(c));
}

void ZipCrypto::Update(uint8_t plain) {
  keys_[0] = Crc32Byte(keys_[0], plain);
  keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
  keys_[2] = Crc32Byte(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
}

}  // namespace lyrovox
