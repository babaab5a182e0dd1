#pragma once

// The lyrics screen: two lyric lines near the bottom of a screen-sized frame, coloured as they are
// sung, with the song's title slide, the "Select a song" prompt, the on-screen message, the
// number entry, the reserved-songs summary and the next-song banner. The frame is composed in
// layout pixels (the screen's size) and shown scaled in a target rectangle, or at full size.
// It draws with the program's one set of settings (font face and size, singer colours, shadow,
// reserved-list mode, background), read where they are kept whenever a frame needs them.

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "controller/ports.h"
#include "controller/settings.h"
#include "lyrics/cdg_player.h"
#include "screen/frame_damage.h"
#include "screen/lyric_feed.h"
#include "screen/text_sprites.h"

class QPainter;
class QPaintDevice;
class QRectF;

namespace lyrovox {

class CLyricScreen final : public ILyricScreen {
 public:
  // Capacities of the text fields, terminator included.
  static constexpr size_t kLineUnits = 256;
  static constexpr size_t kMessageUnits = 32;
  static constexpr size_t kNumberUnits = 16;
  static constexpr int kMessageFrames = 100;
  // The frames a notice and a status text stay: a frame is presented every 30 ms.
  static constexpr int kFrameMs = 30;
  static constexpr int kStatusMs = 1500;

  // settings: the values of the program's settings store, which outlive the screen.
  explicit CLyricScreen(const Settings& settings);
  ~CLyricScreen() override;
  CLyricScreen(const CLyricScreen&) = delete;
  CLyricScreen& operator=(const CLyricScreen&) = delete;

  // --- Song state (the controller's song opening) ---
  void SetLyricMode(int mode) override;
  int LyricMode() const override { return lyricMode_; }
  void SetLineTimed(bool lineTimed) override { lineTimed_ = lineTimed; }
  void SetSongTitle(const QString& title) override;
  QString SongTitle() const override;
  void SetSongArtist(const QString& artist) override;
  void ResetLyrics() override;
  void SetPlayState(int state) override;
  int GetPlayState() const override { return playState_; }
  // Remembers the CD+G file of the song for the CD+G player.
  void LoadCdgFile(const QString& path) override;

  // --- The lyric feed's operations ---
  void SetNextLine(std::u16string_view text) override;
  void StartSungText(std::u16string_view text) override;
  void AppendSungText(std::u16string_view text) override;
  void SetSyllableDuration(int32_t ms) override;
  void FlipSingingLine() override { singingLowerLine_ = !singingLowerLine_; }

  // --- Layout, fonts and colours ---
  void SetScreenSize(int width, int height) override;
  void SetTargetRect(int left, int top, int right, int bottom) override;
  void SetFullScreen(bool on) override { fullScreen_ = on; }
  // The "DefaultFontSizeValue" setting corrected into 50..100, as ApplyFontSettings uses it;
  // the controller writes the corrected value back.
  int DefaultFontSizeValue() const override;
  // The fonts made again from the face and size of the settings for a language.
  void ApplyFontSettings(int language) override;
  void RebuildFonts(const QString& face, int pixels, int charset);

  // --- Controller values the frame depends on ---
  // Player kind 0 nothing yet, 1 audio song, 2 video song; with the Background setting (2 solid
  // colour) and BackGroundVideoColor it decides the frame's background.
  void SetPlayerKind(int kind) override { playerKind_ = kind; }
  int PlayerKind() const { return playerKind_; }

  // --- Frames ---
  // Once per lyric tick, after the lyric feed.
  void Compose() override;
  // Once per present, onto the back surface.
  void Render(QPainter& context);
  // What the last Render changed on its device.
  const FrameDamage& RenderedDamage() const { return renderedDamage_; }
  // The device's pixels are not what the last Render left there (a new surface): the next Render
  // redraws all of it.
  void ForgetRendered() {
    renderedDevice_ = nullptr;
    composedDevice_ = nullptr;
    composedInkKnown_ = false;
  }
  void ShowMessage(const QString& text) override;
  void ShowNotice(const QString& text, int ms) override;
  void ShowStatus(const QString& text) override;
  QString MessageText() const;
  QString StatusText() const;
  int StatusFrames() const { return statusFrames_; }
  void SetNextSongBanner(bool on) override { nextSongBanner_ = on; }
  bool NextSongBanner() const { return nextSongBanner_; }
  void SetReservedCount(int count) override { reservedCount_ = count; }
  void SetReservedNumbers(const QString& numbers) override;
  void SetNextSongTitle(const QString& title) override;
  QString NextSongTitle() const override;
  void SetRequestInvite(const RequestInvite& invite) override;
  void SetRequestInviteShown(bool shown) override { inviteShown_ = shown; }
  bool RequestInviteShown() const { return inviteShown_ && !inviteQr_.isNull(); }

  // --- Number entry ---
  void SetNumberLength(int digits);
  void TypeDigit(QChar digit) override;
  void EraseDigit() override;
  QString GetTypedNumberText() const override;
  int GetTypedNumber() const override;
  void ClearTypedNumber() override;
  void SetTypedSongTitle(const QString& title) override;
  QString TypedSongTitle() const override;
  void ShowChosenNumber() override;

  // Drops the fonts, the off-screen frame and the rasterised texts.
  void Release();

  // --- What the screen holds (tools and tests) ---
  QString UpperLine() const;
  QString LowerLine() const;
  QString SungText() const;
  int UpperLineX() const { return upperLineX_; }
  int LowerLineX() const { return lowerLineX_; }
  bool SingingLowerLine() const { return singingLowerLine_; }
  uint32_t SungColor() const { return SingerColor(sungSinger_); }
  uint32_t MaleColor() const { return settings_.lyricColorMale; }
  int FontPixels() const { return fontPixels_; }
  int Charset() const { return charset_; }
  int LowerLineOffset() const { return lowerLineOffset_; }
  int UpperLineOffset() const { return upperLineOffset_; }
  const QFont& LyricFont() const { return lyricFont_; }
  const QFont& NumberFont() const { return numberFont_; }
  const QFont& SmallFont() const { return smallFont_; }
  float WipeStep() const { return wipeStep_; }
  int WipeX() const { return wipeX_; }
  int SungWidth() const { return sungWidth_; }
  int WipeFrames() const { return wipeFrames_; }
  int TitleOffset() const { return titleOffset_; }
  bool TitleAnimating() const { return titleAnimating_; }
  bool SlideHorizontal() const { return slideHorizontal_; }
  int MessageFrames() const { return osdFrames_; }
  int NumberShown() const { return numberShown_; }
  bool ChosenAnimating() const { return chosenAnimating_; }
  int ChosenRows() const { return chosenRows_; }
  bool FullScreen() const { return fullScreen_; }
  QRect LayoutRect() const { return layoutRect_; }
  QRect TargetRect() const { return targetRect_; }
  const QString& CdgFile() const { return cdgFile_; }
  // Advances the CD+G picture to the song position (hundredths of a second).
  void UpdateCdg(int32_t centiseconds) override { cdg_.Update(centiseconds); }
  const CdgPlayer& Cdg() const { return cdg_; }
  // The colour of the frame's background (0x00BBGGRR).
  uint32_t BackgroundColor() const;
  // The composed frame (full screen); null before the first Render.
  const QImage& Offscreen() const { return offscreen_; }
  const TextSprites& Sprites() const { return sprites_; }

 private:
  struct Canvas;
  enum class Align { kLeft, kCenter, kRight };

  // Frame elements, in the order a frame draws them.
  void DrawWholeFrame(Canvas& canvas);
  void DrawMessage(Canvas& canvas);
  void DrawStatus(Canvas& canvas);
  void DrawNumberEntry(Canvas& canvas);
  void DrawChosenNumber(Canvas& canvas);
  void DrawLyrics(Canvas& canvas);
  // The pixel wipe's clip; right-to-left lines (lineWidth wide) are wiped from their right end.
  void RunWipe(Canvas& canvas, bool rightToLeft, int lineWidth, double scale);
  // The sung part of a right-to-left line, drawn from the line's right end.
  void DrawSungRightToLeft(Canvas& canvas, const QString& line, int x, int y, int lineWidth);
  int TargetX(int layoutX) const;
  // Clips further drawing to the target right of a layout x.
  void ClipFrom(Canvas& canvas, int layoutX);
  void DrawTitleOrPrompt(Canvas& canvas);
  void DrawNextSongBanner(Canvas& canvas);
  void DrawRequestInvite(Canvas& canvas);
  // Draws the CD+G picture stretched to target.
  void DrawCdgPicture(QPainter& painter, const QRectF& target);

  // A single line wider than the frame is drawn scaled down, as a whole, to the frame's width:
  // the scale for a line that wide (1 for a line that fits).
  double FitScale(int lineWidth) const;
  // The layout x where a scaled part of a line drawn from x (lineWidth wide unscaled) begins, the
  // line keeping its centre.
  static int FittedLeft(int x, int lineWidth, double scale);

  // The styles. The single-line style drops a singer mark from the text it is given. The text is
  // fitted to the frame by the width of the line it belongs to (fitWidth; -1: itself).
  void DrawSingleLine(Canvas& canvas, std::u16string& text, int x, int y, Align align, QRgb color,
                      QRgb outline, int fitWidth = -1);
  void DrawWrapped(Canvas& canvas, const std::u16string& text, int x, int y, QRgb outline);
  void DrawDiagonalShadow(Canvas& canvas, const std::u16string& text, int x, int y, QRgb color,
                          QRgb shadow);
  void DrawPlain(Canvas& canvas, const std::u16string& text, int x, int y, QRgb color);
  void Blit(Canvas& canvas, const TextSprite& sprite, double x, double y);

  // Whose colour the sung text is drawn in: a singer mark chooses it for this and the following
  // lines; the colour itself is the setting's at each frame.
  enum class Singer { kMale, kFemale, kDuet };
  uint32_t SingerColor(Singer singer) const;
  bool HasShadow() const { return settings_.hasShadow != 0; }

  const QFont& CurrentFont() const;
  void CenterLines();
  bool MakeOffscreen();

  const Settings& settings_;

  // Song and lyric state.
  int playState_ = 0;
  int lyricMode_ = 0;
  std::u16string upperLine_;
  std::u16string lowerLine_;
  int upperLineX_ = -1;
  int lowerLineX_ = -1;
  bool singingLowerLine_ = true;
  std::u16string sungText_;
  Singer sungSinger_ = Singer::kMale;
  uint32_t unsungColor_ = 0xEEEEEE;
  int fontPixels_ = 0;
  int charset_ = 0;
  int lowerLineOffset_ = 175;
  int upperLineOffset_ = 265;
  QFont lyricFont_;
  QFont numberFont_;
  QFont smallFont_;
  bool lineTimed_ = false;
  int32_t syllableDurationMs_ = 0;
  bool recomputeWipeStep_ = false;
  int sungWidth_ = 0;
  float wipeStep_ = 12.0f;
  int wipeFrames_ = 0;
  int wipeX_ = 0;  // the wipe's edge: the coloured part ends there (starts, right to left)
  // The song request invitation: its QR code with a white quiet zone, and its two lines.
  QImage inviteQr_;
  std::u16string inviteAddress_;
  std::u16string inviteCode_;
  bool inviteShown_ = false;
  std::u16string songTitle_;
  std::u16string songArtist_;
  bool titleAnimating_ = false;
  int titleOffset_ = 0;
  bool slideHorizontal_ = false;

  // Frame state.
  QRect layoutRect_;
  QRect targetRect_;
  bool fullScreen_ = false;
  QImage offscreen_;
  QRgb offscreenFill_ = 0;       // the colour the off-screen frame was last filled with
  bool offscreenDrawn_ = false;  // something besides the fill was drawn on it (full screen)
  // What the last windowed Render copied the whole fill onto.
  const QPaintDevice* renderedDevice_ = nullptr;
  QSize renderedSize_;
  QRect renderedTarget_;
  QRgb renderedFill_ = 0;
  // Where the last windowed Render drew text: outside it the device holds the fill.
  QRegion renderedInk_;
  // In full screen: where the last Compose drew text (when it knows: not over a CD+G picture),
  // where the off-screen frame changed since the last Render, and the device that Render copied
  // the whole frame onto.
  QRegion composedInk_;
  bool composedInkKnown_ = false;
  QRegion composedChanged_;
  bool composedWhole_ = true;
  const QPaintDevice* composedDevice_ = nullptr;
  QSize composedSize_;
  FrameDamage renderedDamage_;
  std::u16string osdText_;
  int osdFrames_ = 0;
  std::u16string statusText_;
  int statusFrames_ = 0;
  bool nextSongBanner_ = false;
  int reservedCount_ = 0;
  std::u16string reservedNumbers_;
  std::u16string nextSongTitle_;
  std::u16string nextSongLabel_ = u"Next Song";
  std::u16string typedNumber_ = u"000000";
  int maxDigits_ = 6;
  std::u16string typedSongTitle_;
  int numberShown_ = 0;
  std::u16string chosenNumber_;
  bool chosenAnimating_ = false;
  int chosenRows_ = 0;
  QString cdgFile_;
  CdgPlayer cdg_;

  // Controller values.
  int playerKind_ = 0;

  // The font selected in the frame being drawn.
  enum class FontRole { kLyric, kNumber, kSmall } currentFont_ = FontRole::kLyric;
  TextSprites sprites_;
  TextMeasures measures_;
};

}  // namespace lyrovox
