#pragma once

// The "Display" page: the code page of 8-bit lyrics, the lyric font and size, the three singer
// colours and the shadow, with a live sample of the look.

#include <QAbstractSpinBox>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "ui/setup/setup_page.h"

class QCheckBox;
class QComboBox;

namespace lyrovox {

class CMyButton;
class IFileDialogs;
class IMessagePort;
class LyricPreview;

// The code page list, in the order of the language indexes the settings store.
const QStringList& CodePageNames();

// A number box whose arrows step within 25..100 while anything may be typed: what was typed is
// judged when the sheet's OK is pressed.
class FontSizeBox final : public QAbstractSpinBox {
 public:
  static constexpr int kMinimum = 25;
  static constexpr int kMaximum = 100;

  explicit FontSizeBox(QWidget* parent = nullptr);
  void SetText(const QString& text);
  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& pos) const override;
  QSize sizeHint() const override;

 protected:
  StepEnabled stepEnabled() const override;

 private:
  int position_ = kMinimum;  // the arrows' own place while the text is no number
};

class CDisplaySetup final : public SetupPage {
  Q_OBJECT

 public:
  CDisplaySetup(IFileDialogs& dialogs, IMessagePort& messages, QWidget* parent = nullptr);
  ~CDisplaySetup() override;

  // The page's values.
  int codePage = 0;  // language index 0..17
  QString fontName;
  int fontSize = 70;
  std::array<uint32_t, 3> colors{0xEE0000, 0x1E1EFF, 0xFF32FF};  // male, female, duet
  bool shadow = true;

  // The controls.
  QComboBox* codePageBox() const { return codePageBox_; }
  QComboBox* fontBox() const { return fontBox_; }
  FontSizeBox* sizeBox() const { return sizeBox_; }
  CMyButton* colorButton(int singer) const { return colorButtons_.at(singer); }
  QCheckBox* shadowBox() const { return shadowBox_; }
  LyricPreview* preview() const { return preview_; }

 protected:
  void OnInitDialog() override;
  bool TakeControls() override;

 private:
  void OnFontChosen(int index);
  void ChooseColor(int singer);
  void UpdatePreview();

  IFileDialogs& dialogs_;
  IMessagePort& messages_;
  QComboBox* codePageBox_;
  QComboBox* fontBox_;
  FontSizeBox* sizeBox_;
  std::array<CMyButton*, 3> colorButtons_;
  QCheckBox* shadowBox_;
  LyricPreview* preview_;
};

}  // namespace lyrovox
