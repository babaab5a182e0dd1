#pragma once

// The "Audio/Video" page: what shows behind the lyrics (a video, the camera or a solid colour),
// how videos are shown, and the audio channel and track songs start with.

#include <QString>
#include <cstdint>

#include "controller/ports.h"
#include "ui/setup/setup_page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace lyrovox {

class CMyButton;
class IFileDialogs;

// The page's values are its AudioVideoValues (background 0 "Video", 1 "Camera", 2 "Solid Color").
class CAudioSetupPage final : public SetupPage, public AudioVideoValues {
  Q_OBJECT

 public:
  static constexpr int kSolidColorSource = 2;

  explicit CAudioSetupPage(IFileDialogs& dialogs, QWidget* parent = nullptr);

  // The controls.
  QLineEdit* videoEdit() const { return videoEdit_; }
  QPushButton* selectButton() const { return selectButton_; }
  QCheckBox* aspectBox() const { return aspectBox_; }
  QCheckBox* originalVideoBox() const { return originalVideoBox_; }
  QCheckBox* fullScreenBox() const { return fullScreenBox_; }
  QComboBox* sourceBox() const { return sourceBox_; }
  CMyButton* colorSwatch() const { return swatch_; }
  QComboBox* channelBox() const { return channelBox_; }
  QComboBox* trackBox() const { return trackBox_; }

 protected:
  void OnInitDialog() override;
  bool TakeControls() override;

 private:
  void ShowSwatchForSource();
  void ChooseColor();
  void SelectVideo();

  IFileDialogs& dialogs_;
  QLineEdit* videoEdit_;
  QPushButton* selectButton_;
  QCheckBox* aspectBox_;
  QCheckBox* originalVideoBox_;
  QCheckBox* fullScreenBox_;
  QComboBox* sourceBox_;
  CMyButton* swatch_;
  QComboBox* channelBox_;
  QComboBox* trackBox_;
};

}  // namespace lyrovox
