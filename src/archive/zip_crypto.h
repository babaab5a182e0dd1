#pragma once

// The traditional zip encryption: a byte stream cipher keyed by the password, with a 12-byte
// header in front of the entry's data whose last byte checks the password. The zip library as
// Debian builds it does not decrypt, so the archive layer does it on the entry's raw data.

#include <cstdint>
#include <string_view>

namespace lyrovox {

inline constexpr int kZipCryptoHeaderSize = 12;

class ZipCrypto {
 public:
  explicit ZipCrypto(std::string_view password);

  uint8_t Decrypt(uint8_t cipher) {
    const uint8_t plain = cipher ^ KeyByte();
    Update(plain);
    return plain;
  }
  uint8_t Encrypt(uint8_t plain) {
    const uint8_t cipher = plain ^ KeyByte();
    Update(plain);
    return cipher;
  }

 private:
  uint8_t KeyByte() const {
    const uint32_t t = (keys_[2] & 0xFFFF) | 2;
    return static_cast<uint8_t>(((t * (t ^ 1)) >> 8) & 0xFF);
  }
  void Update(uint8_t plain);

  uint32_t keys_[3];
};

}  // namespace lyrovox
