#include "ui/setup/audio_setup_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controller/ports.h"
#include "controller/song_paths.h"
#include "ui/setup/color_swatch.h"

namespace lyrovox {

namespace {

// A group holding one fixed list.
QComboBox* AddListGroup(QBoxLayout* layout, const char* title) {
  auto* group = new QGroupBox(QString::fromLatin1(title));
  auto* box = new QComboBox;
  auto* row = new QHBoxLayout(group);
  row->addWidget(box, 1);
  layout->addWidget(group, 1);
  return box;
}

}  // namespace

CAudioSetupPage::CAudioSetupPage(IFileDialogs& dialogs, QWidget* parent)
    : SetupPage(parent), dialogs_(dialogs) {
  auto* backgroundGroup = new QGroupBox(QStringLiteral("Background"));
  auto* grid = new QGridLayout(backgroundGroup);
  auto* videoLabel = new QLabel(QStringLiteral("Video:"));
  videoEdit_ = new QLineEdit;
  videoLabel->setBuddy(videoEdit_);
  selectButton_ = new QPushButton(QStringLiteral("Select..."));
  grid->addWidget(videoLabel, 0, 0);
  grid->addWidget(videoEdit_, 0, 1, 1, 2);
  grid->addWidget(selectButton_, 0, 3);
  aspectBox_ = new QCheckBox(QStringLiteral("Keep Aspect Ratio"));
  originalVideoBox_ = new QCheckBox(QStringLiteral("Use Original Video"));
  fullScreenBox_ = new QCheckBox(QStringLiteral("Full Screen"));
  grid->addWidget(aspectBox_, 1, 0, 1, 4);
  grid->addWidget(originalVideoBox_, 2, 0, 1, 4);
  grid->addWidget(fullScreenBox_, 3, 0, 1, 4);
  sourceBox_ = new QComboBox;
  sourceBox_->addItems({"Video", "Camera", "Solid Color"});
  swatch_ = new CMyButton;
  grid->addWidget(sourceBox_, 4, 0, 1, 2);
  grid->addWidget(swatch_, 4, 2, Qt::AlignLeft);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);

  auto* audioRow = new QHBoxLayout;
  channelBox_ = AddListGroup(audioRow, "Default Audio Channel");
  channelBox_->addItems({"Both", "Left", "Right", "Reverse Stereo"});
  trackBox_ = AddListGroup(audioRow, "Default Audio Track");
  trackBox_->addItems({"Track 1", "Track 2"});

  auto* page = new QVBoxLayout(this);
  page->addWidget(backgroundGroup);
  page->addLayout(audioRow);
  page->addStretch(1);

  swatch_->hide();
  connect(sourceBox_, &QComboBox::currentIndexChanged, this, &CAudioSetupPage::ShowSwatchForSource);
  connect(swatch_, &QAbstractButton::clicked, this, &CAudioSetupPage::ChooseColor);
  connect(selectButton_, &QAbstractButton::clicked, this, &CAudioSetupPage::SelectVideo);
}

void CAudioSetupPage::OnInitDialog() {
  swatch_->SetColor(ColorFromRef(solidColor));
  videoEdit_->setText(backgroundVideo);
  aspectBox_->setChecked(aspect);
  originalVideoBox_->setChecked(useOriginalVideo);
  fullScreenBox_->setChecked(fullScreen);
  SelectIndex(sourceBox_, background);
  SelectIndex(channelBox_, audioChannel);
  SelectIndex(trackBox_, audioTrack);
  ShowSwatchForSource();
}

void CAudioSetupPage::ShowSwatchForSource() {
  swatch_->setVisible(sourceBox_->currentIndex() == kSolidColorSource);
}

void CAudioSetupPage::ChooseColor() {
  // The chooser opens at the colour it changes.
  const std::optional<uint32_t> chosen = dialogs_.ChooseColor(solidColor, this);
  if (!chosen) return;
  solidColor = *chosen;
  swatch_->SetColor(ColorFromRef(solidColor));
  swatch_->update();
}

void CAudioSetupPage::SelectVideo() {
  FileDialogRequest request;
  request.title = QStringLiteral("Select Background Video");
  request.filters = QStringList{"DVD video (*.vob)", "MPEG Files (*.mpg)", "AVI Files (*.avi)",
                                "All Files (*.*)"};
  // What the dialog shows first: every kind of video the player plays.
  request.initialName = FilePatterns(VideoFileExtensions());
  request.owner = this;
  const QStringList chosen = dialogs_.OpenFiles(request);
  // A file that is gone by now is no background.
  if (chosen.isEmpty() || !QFileInfo(chosen.first()).isFile()) return;
  videoEdit_->setText(chosen.first());
}

bool CAudioSetupPage::TakeControls() {
  background = SelectedIndex(sourceBox_, background);
  backgroundVideo = videoEdit_->text();
  aspect = aspectBox_->isChecked();
  useOriginalVideo = originalVideoBox_->isChecked();
  fullScreen = fullScreenBox_->isChecked();
  audioChannel = SelectedIndex(channelBox_, audioChannel);
  audioTrack = SelectedIndex(trackBox_, audioTrack);
  return true;
}

}  // namespace lyrovox
