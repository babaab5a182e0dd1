#include "ui/setup/display_setup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "controller/ports.h"
#include "ui/setup/color_swatch.h"
#include "ui/setup/font_families.h"
#include "ui/setup/lyric_preview.h"

namespace lyrovox {

const QStringList& CodePageNames() {
  static const QStringList names = {"Autodetect",
                                    "Chinese (Traditional)",
                                    "Chinese (Simplified)",
                                    "Vietnamese",
                                    "Vietnamese (TCVN)",
                                    "Vietnamese (VNI)",
                                    "Arabic",
                                    "Baltic",
                                    "Cyrillic",
                                    "European (Eastern)",
                                    "European (Western)",
                                    "Greek",
                                    "Hebrew",
                                    "Japanese",
                                    "Korean",
                                    "Thai",
                                    "Turkish",
                                    "UTF-8"};
  return names;
}

FontSizeBox::FontSizeBox(QWidget* parent) : QAbstractSpinBox(parent) {}

void FontSizeBox::SetText(const QString& text) {
  lineEdit()->setText(text);
  bool ok = false;
  const int n = text.trimmed().toInt(&ok);
  if (ok) position_ = std::clamp(n, kMinimum, kMaximum);
}

void FontSizeBox::stepBy(int steps) {
  bool ok = false;
  const int typed = text().trimmed().toInt(&ok);
  const int from = ok ? std::clamp(typed, kMinimum, kMaximum) : position_;
  position_ = std::clamp(from + steps, kMinimum, kMaximum);
  lineEdit()->setText(QString::number(position_));
}

QValidator::State FontSizeBox::validate(QString&, int&) const {
  return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled FontSizeBox::stepEnabled() const {
  bool ok = false;
  const int n = text().trimmed().toInt(&ok);
  if (!ok) return StepUpEnabled | StepDownEnabled;
  StepEnabled enabled = StepNone;
  if (n < kMaximum) enabled |= StepUpEnabled;
  if (n > kMinimum) enabled |= StepDownEnabled;
  return enabled;
}

QSize FontSizeBox::sizeHint() const {
  // Room for three digits beside the arrows.
  const QSize base = QAbstractSpinBox::sizeHint();
  return QSize(std::max(base.width(), fontMetrics().horizontalAdvance(QStringLiteral("0000")) * 2),
               base.height());
}

CDisplaySetup::CDisplaySetup(IFileDialogs& dialogs, IMessagePort& messages, QWidget* parent)
    : SetupPage(parent), dialogs_(dialogs), messages_(messages) {
  auto* localization = new QGroupBox(QStringLiteral("Localization"));
  auto* codePageLabel = new QLabel(QStringLiteral("Code Page:"));
  codePageBox_ = new QComboBox;
  codePageLabel->setBuddy(codePageBox_);
  auto* localizationRow = new QHBoxLayout(localization);
  localizationRow->addWidget(codePageLabel);
  localizationRow->addWidget(codePageBox_, 1);

  auto* lyrics = new QGroupBox(QStringLiteral("Lyrics"));
  auto* grid = new QGridLayout(lyrics);
  auto addLabel = [grid](const char* text, QWidget* buddy, int row) {
    auto* label = new QLabel(QString::fromLatin1(text));
    label->setBuddy(buddy);
    grid->addWidget(label, row, 0);
  };
  fontBox_ = new QComboBox;
  fontBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  fontBox_->setMinimumContentsLength(20);
  addLabel("Font:", fontBox_, 0);
  grid->addWidget(fontBox_, 0, 1, 1, 3);

  sizeBox_ = new FontSizeBox;
  addLabel("Size:", sizeBox_, 1);
  auto* sizeRow = new QHBoxLayout;
  sizeRow->addWidget(sizeBox_);
  sizeRow->addWidget(new QLabel(QStringLiteral("(25-100)")));
  sizeRow->addStretch(1);
  grid->addLayout(sizeRow, 1, 1, 1, 3);

  const char* const singers[3] = {"Male:", "Female:", "Duet:"};
  for (int i = 0; i < 3; ++i) {
    colorButtons_[i] = new CMyButton;
    addLabel(singers[i], colorButtons_[i], 2 + i);
    grid->addWidget(colorButtons_[i], 2 + i, 1);
    connect(colorButtons_[i], &QAbstractButton::clicked, this, [this, i] { ChooseColor(i); });
  }
  shadowBox_ = new QCheckBox(QStringLiteral("Enable Shadow"));
  grid->addWidget(shadowBox_, 5, 0, 1, 2);

  preview_ = new LyricPreview;
  grid->addWidget(preview_, 2, 3, 4, 1, Qt::AlignRight | Qt::AlignTop);
  grid->setColumnMinimumWidth(2, 12);
  grid->setColumnStretch(2, 1);

  auto* page = new QVBoxLayout(this);
  page->addWidget(localization);
  page->addWidget(lyrics);
  page->addStretch(1);

  connect(fontBox_, &QComboBox::activated, this, &CDisplaySetup::OnFontChosen);
  connect(shadowBox_, &QAbstractButton::clicked, this, [this](bool checked) {
    shadow = checked;
    UpdatePreview();
  });
}

CDisplaySetup::~CDisplaySetup() = default;

void CDisplaySetup::OnInitDialog() {
  sizeBox_->SetText(QString::number(fontSize));
  shadowBox_->setChecked(shadow);
  codePageBox_->addItems(CodePageNames());
  SelectIndex(codePageBox_, codePage);
  const QStringList families = LyricFontFamilies();
  fontBox_->addItems(families);
  // The face the lyrics are drawn in, also when the stored one is not installed.
  fontBox_->setCurrentIndex(FindShownFamily(families, fontName));
  for (int i = 0; i < 3; ++i)
    colorButtons_[i]->SetColor(ColorFromRef(colors[i]));
  preview_->SetFace(fontName);
  UpdatePreview();
}

void CDisplaySetup::OnFontChosen(int index) {
  if (index < 0) return;
  fontName = fontBox_->itemText(index);
  preview_->SetFace(fontName);
}

void CDisplaySetup::ChooseColor(int singer) {
  // The chooser opens at the colour it changes.
  const std::optional<uint32_t> chosen = dialogs_.ChooseColor(colors[singer], this);
  if (!chosen) return;
  colors[singer] = *chosen;
  colorButtons_[singer]->SetColor(ColorFromRef(*chosen));
  colorButtons_[singer]->update();
  UpdatePreview();
}

void CDisplaySetup::UpdatePreview() {
  preview_->SetColors(colors[0], colors[1], colors[2]);
  preview_->SetShadow(shadow);
}

bool CDisplaySetup::TakeControls() {
  bool ok = false;
  const int size = sizeBox_->text().trimmed().toInt(&ok);
  if (!ok) {
    messages_.ShowMessageBox(QStringLiteral("Please enter an integer."));
    sizeBox_->setFocus();
    sizeBox_->selectAll();
    return false;
  }
  // A typed size is taken as it is: the lyrics screen keeps it in its own range.
  fontSize = size;
  codePage = SelectedIndex(codePageBox_, codePage);
  shadow = shadowBox_->isChecked();
  return true;
}

}  // namespace lyrovox
