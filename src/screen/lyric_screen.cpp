#include "screen/lyric_screen.h"

#include <QFile>

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "lyrics/mul_div.h"
#include "screen/screen_text.h"

namespace lyrovox {

namespace {

constexpr int kNumberFontPixels = 126;
constexpr int kSmallFontPixels = 46;

// Character sets of the font, chosen from the language index.
constexpr int kCharsetAnsi = 0;
constexpr int kCharsetHangul = 129;
constexpr int kCharsetGb2312 = 134;
constexpr int kCharsetBig5 = 136;
constexpr int kCharsetVietnamese = 163;

int VerticalDpi() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const double dpi = screen->logicalDotsPerInchY();
      if (dpi >= 1.0 && dpi < 10000.0) return static_cast<int>(std::lround(dpi));
    }
  }
  return 96;
}

// A character set names the script the font must cover; fontconfig picks the glyphs, so the set
// becomes the preferred face for its script behind the chosen one.
QStringList FamiliesFor(const QString& face, int charset) {
  QStringList families{face.isEmpty() ? QStringLiteral("Arial") : face};
  switch (charset) {
    case kCharsetBig5:
      families << QStringLiteral("Noto Sans CJK TC");
      break;
    case kCharsetGb2312:
      families << QStringLiteral("Noto Sans CJK SC");
      break;
    case kCharsetHangul:
      families << QStringLiteral("Noto Sans CJK KR");
      break;
    default:
      break;
  }
  return families;
}

QFont MakeFont(const QString& face, int pixels, int charset) {
  // A font that cannot be made falls back to the system font.
  if (pixels < 1 || pixels > 4096) return QFont();
  QFont font;
  font.setFamilies(FamiliesFor(face, charset));
  font.setPixelSize(pixels);
  font.setWeight(QFont::Bold);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStyleHint(QFont::SansSerif, static_cast<QFont::StyleStrategy>(QFont::PreferAntialias |
                                                                        QFont::NoSubpixelAntialias |
                                                                        QFont::PreferOutline));
  return font;
}

}  // namespace

CLyricScreen::CLyricScreen(const Settings& settings) : settings_(settings) {}
CLyricScreen::~CLyricScreen() = default;

void CLyricScreen::SetLyricMode(int mode) {
  lyricMode_ = mode;
}

void CLyricScreen::SetSongTitle(const QString& title) {
  songTitle_ = CutText(ViewOf(title), kLineUnits);
}

QString CLyricScreen::SongTitle() const {
  return ToQString(songTitle_);
}

void CLyricScreen::SetSongArtist(const QString& artist) {
  songArtist_ = CutText(ViewOf(artist), kLineUnits);
}

void CLyricScreen::ResetLyrics() {
  upperLine_.clear();
  lowerLine_.clear();
  sungText_.clear();
  songTitle_.clear();
  songArtist_.clear();
  wipeX_ = 0;
  wipeFrames_ = 0;
  titleAnimating_ = false;
  singingLowerLine_ = true;
}

void CLyricScreen::SetPlayState(int state) {
  playState_ = state;
  titleAnimating_ = true;
  if (state != kPlayStateSinging) titleOffset_ = 600;
  if (state == kPlayStateIdle) slideHorizontal_ = !slideHorizontal_;
}

void CLyricScreen::LoadCdgFile(const QString& path) {
  cdgFile_ = path;
  cdg_.LoadCdgFile(QFile::encodeName(path).toStdString());
}

void CLyricScreen::SetNextLine(std::u16string_view text) {
  if (singingLowerLine_) {
    upperLine_ = CutText(text, kLineUnits);
    upperLineX_ = -1;
  } else {
    lowerLine_ = CutText(text, kLineUnits);
    lowerLineX_ = -1;
  }
}

void CLyricScreen::StartSungText(std::u16string_view text) {
  sungText_ = CutText(text, kLineUnits);
  wipeX_ = 0;
  wipeFrames_ = 0;
}

void CLyricScreen::AppendSungText(std::u16string_view text) {
  std::u16string joined = sungText_;
  joined.append(text);
  sungText_ = CutText(joined, kLineUnits);
}

void CLyricScreen::SetSyllableDuration(int32_t ms) {
  syllableDurationMs_ = ms;
  recomputeWipeStep_ = true;
}

void CLyricScreen::SetScreenSize(int width, int height) {
  width = std::clamp(width, 0, 16384);
  height = std::clamp(height, 0, 16384);
  layoutRect_ = QRect(0, 0, width, height);
  targetRect_ = layoutRect_;
}

void CLyricScreen::SetTargetRect(int left, int top, int right, int bottom) {
  // Kept as given (left, top, right, bottom exclusive), like the layout rectangle.
  targetRect_ = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

int CLyricScreen::DefaultFontSizeValue() const {
  return std::clamp(settings_.defaultFontSizeValue, 50, 100);
}

void CLyricScreen::ApplyFontSettings(int language) {
  fontPixels_ = MulDiv(DefaultFontSizeValue(), VerticalDpi(), 72);
  if (layoutRect_.width() > 0) {
    lowerLineOffset_ = fontPixels_ + 70;
    upperLineOffset_ = 2 * fontPixels_ + 80;
  }
  switch (language) {
    case 1:
      charset_ = kCharsetBig5;
      break;
    case 2:
      charset_ = kCharsetGb2312;
      break;
    case 3:
      charset_ = kCharsetVietnamese;
      break;
    case 14:
      charset_ = kCharsetHangul;
      fontPixels_ -= 6;
      break;
    default:
      charset_ = kCharsetAnsi;
      break;
  }
  RebuildFonts(settings_.defaultFontName, fontPixels_, charset_);
}

void CLyricScreen::RebuildFonts(const QString& face, int pixels, int charset) {
  lyricFont_ = MakeFont(face, pixels, charset);
  numberFont_ = MakeFont(face, kNumberFontPixels, charset);
  smallFont_ = MakeFont(face, kSmallFontPixels, charset);
  sprites_.Clear();
  sungSinger_ = Singer::kMale;
}

uint32_t CLyricScreen::SingerColor(Singer singer) const {
  switch (singer) {
    case Singer::kFemale:
      return settings_.lyricColorFemale;
    case Singer::kDuet:
      return settings_.lyricColorDuet;
    case Singer::kMale:
      break;
  }
  return settings_.lyricColorMale;
}

void CLyricScreen::ShowMessage(const QString& text) {
  osdText_ = CutText(ViewOf(text), kMessageUnits);
  osdFrames_ = kMessageFrames;
}

void CLyricScreen::ShowNotice(const QString& text, int ms) {
  osdText_ = CutText(ViewOf(text), kLineUnits);
  osdFrames_ = std::max(1, (ms + kFrameMs - 1) / kFrameMs);
}

void CLyricScreen::ShowStatus(const QString& text) {
  statusText_ = CutText(ViewOf(text), kMessageUnits);
  statusFrames_ = kStatusMs / kFrameMs;
}

QString CLyricScreen::MessageText() const {
  return osdFrames_ > 0 ? ToQString(osdText_) : QString();
}

QString CLyricScreen::StatusText() const {
  return statusFrames_ > 0 ? ToQString(statusText_) : QString();
}

void CLyricScreen::SetReservedNumbers(const QString& numbers) {
  reservedNumbers_ = CutText(ViewOf(numbers), kLineUnits);
}

void CLyricScreen::SetNextSongTitle(const QString& title) {
  nextSongTitle_ = CutText(ViewOf(title), kLineUnits);
}

QString CLyricScreen::NextSongTitle() const {
  return ToQString(nextSongTitle_);
}

void CLyricScreen::SetNumberLength(int digits) {
  // The number must fit its field and an int.
  maxDigits_ = std::clamp(digits, 1, 9);
}

void CLyricScreen::TypeDigit(QChar digit) {
  if (digit < QLatin1Char('0') || digit > QLatin1Char('9')) return;
  if (typedNumber_.size() < static_cast<size_t>(maxDigits_)) {
    typedNumber_.push_back(digit.unicode());
  } else {
    typedNumber_.erase(0, 1);
    typedNumber_.push_back(digit.unicode());
  }
}

void CLyricScreen::EraseDigit() {
  std::u16string shifted = u"0" + typedNumber_;
  shifted.resize(static_cast<size_t>(maxDigits_), u'0');
  typedNumber_ = shifted;
}

QString CLyricScreen::GetTypedNumberText() const {
  return ToQString(typedNumber_);
}

int CLyricScreen::GetTypedNumber() const {
  int value = 0;
  for (char16_t c : typedNumber_) {
    if (c < u'0' || c > u'9') break;
    if (value > 99999999) break;  // never past the nine digits an int holds
    value = value * 10 + (c - u'0');
  }
  return value;
}

void CLyricScreen::ClearTypedNumber() {
  typedNumber_ = u"000000";
  typedSongTitle_.clear();
}

void CLyricScreen::SetTypedSongTitle(const QString& title) {
  typedSongTitle_ = CutText(ViewOf(title), kLineUnits);
}

QString CLyricScreen::TypedSongTitle() const {
  return ToQString(typedSongTitle_);
}

void CLyricScreen::ShowChosenNumber() {
  chosenNumber_ = typedNumber_;
  chosenAnimating_ = true;
}

void CLyricScreen::Release() {
  lyricFont_ = QFont();
  numberFont_ = QFont();
  smallFont_ = QFont();
  offscreen_ = QImage();
  sprites_.Clear();
  cdgFile_.clear();
  cdg_.Release();
}

QString CLyricScreen::UpperLine() const {
  return ToQString(upperLine_);
}

QString CLyricScreen::LowerLine() const {
  return ToQString(lowerLine_);
}

QString CLyricScreen::SungText() const {
  return ToQString(sungText_);
}

uint32_t CLyricScreen::BackgroundColor() const {
  if (playerKind_ == 1 && settings_.background == 2) return settings_.backGroundVideoColor;
  return kKeyColor;
}

}  // namespace lyrovox
