#include "skin/skin_catalogue.h"

namespace lyrovox {

const SkinBitmapSpec* FindSkinBitmap(int id) {
  for (const SkinBitmapSpec& spec : kSkinBitmaps) {
    if (spec.id == id) return &spec;
  }
  return nullptr;
}

std::string SkinResourcePath(int id, bool twice) {
  return ":/skin/" + std::to_string(id) + (twice ? "@2x.png" : ".png");
}

}  // namespace lyrovox
