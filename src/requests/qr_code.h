#pragma once

// A QR code of a short text (the address of the song request page), as a square of modules.

#include <string>
#include <vector>

namespace lyrovox {

struct QrCode {
  int size = 0;               // modules per side; 0 when the text could not be encoded
  std::vector<uint8_t> dark;  // size * size, row by row: 1 dark
  bool Dark(int x, int y) const {
    return x >= 0 && y >= 0 && x < size && y < size && dark[static_cast<size_t>(y * size + x)];
  }
};

// Medium error correction, the smallest version that holds the text.
QrCode EncodeQr(const std::string& text);

}  // namespace lyrovox
