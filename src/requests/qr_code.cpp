#include "requests/qr_code.h"

#include <qrencode.h>

#include <memory>

namespace lyrovox {

namespace {

struct QrFree {
  void operator()(QRcode* code) const { QRcode_free(code); }
};

}  // namespace

QrCode EncodeQr(const std::string& text) {
  QrCode qr;
  if (text.empty()) return qr;
  const std::unique_ptr<QRcode, QrFree> code(
      QRcode_encodeString8bit(text.c_str(), 0, QR_ECLEVEL_M));
  if (!code || code->width <= 0) return qr;
  qr.size = code->width;
  qr.dark.resize(static_cast<size_t>(qr.size) * static_cast<size_t>(qr.size));
  for (size_t i = 0; i < qr.dark.size(); ++i)
    qr.dark[i] = code->data[i] & 1;
  return qr;
}

}  // namespace lyrovox
