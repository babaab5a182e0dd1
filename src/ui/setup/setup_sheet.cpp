#include "ui/setup/setup_sheet.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/setup/audio_setup_page.h"
#include "ui/setup/display_setup.h"
#include "ui/setup/midi_dvd_setup.h"
#include "ui/setup/requests_setup.h"
#include "ui/setup/songs_location_dlg.h"

namespace lyrovox {

CSetupSheet::CSetupSheet(IFileDialogs& dialogs, IMessagePort& messages, QWidget* parent)
    : QDialog(parent),
      tabs_(new QTabWidget),
      display_(new CDisplaySetup(dialogs, messages)),
      audio_(new CAudioSetupPage(dialogs)),
      songs_(new CSongsLocationDlg(dialogs)),
      dvd_(new CMidiDVDSetup(dialogs)),
      requests_(new CRequestsSetup) {
  setWindowTitle(QStringLiteral("Setup"));
  setModal(true);
  tabs_->addTab(display_, QStringLiteral("Display"));
  tabs_->addTab(audio_, QStringLiteral("Audio/Video"));
  tabs_->addTab(songs_, QStringLiteral("Songs Locations"));
  tabs_->addTab(dvd_, QStringLiteral("MIDI DVD Setup"));
  tabs_->addTab(requests_, QStringLiteral("Requests"));
  // Every page's tab in sight: the sheet is as wide as its tabs need, never scrolling them.
  tabs_->setUsesScrollButtons(false);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &CSetupSheet::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CSetupSheet::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
}

CSetupSheet::~CSetupSheet() = default;

void CSetupSheet::SetValues(const SetupValues& v) {
  display_->codePage = v.codePage;
  display_->fontName = v.fontName;
  display_->fontSize = v.fontSize;
  display_->colors = {v.maleColor, v.femaleColor, v.duetColor};
  display_->shadow = v.shadow;
  static_cast<AudioVideoValues&>(*audio_) = v;
  for (int i = 0; i < CSongsLocationDlg::kMaxFolders; ++i)
    songs_->folders[i] = v.songsFolders[i];
  dvd_->dvdFolder = v.dvdFolder;
  dvd_->dvdKind = 0;
  requests_->enable = v.requestsEnable;
  requests_->port = v.requestsPort;
  requests_->networkInterface = v.requestsInterface;
  requests_->perMinute = v.requestsPerMinute;
  requests_->perSinger = v.requestsPerSinger;
}

SetupValues CSetupSheet::Values() const {
  SetupValues v;
  v.codePage = display_->codePage;
  v.fontName = display_->fontName;
  v.fontSize = display_->fontSize;
  v.maleColor = display_->colors[0];
  v.femaleColor = display_->colors[1];
  v.duetColor = display_->colors[2];
  v.shadow = display_->shadow;
  static_cast<AudioVideoValues&>(v) = *audio_;
  for (int i = 0; i < CSongsLocationDlg::kMaxFolders; ++i)
    v.songsFolders[i] = songs_->folders[i];
  v.dvdFolder = dvd_->dvdFolder;
  v.requestsEnable = requests_->enable;
  v.requestsPort = requests_->port;
  v.requestsInterface = requests_->networkInterface;
  v.requestsPerMinute = requests_->perMinute;
  v.requestsPerSinger = requests_->perSinger;
  return v;
}

void CSetupSheet::accept() {
  for (int i = 0; i < tabs_->count(); ++i) {
    auto* page = static_cast<SetupPage*>(tabs_->widget(i));
    if (!page->SaveValues()) {
      tabs_->setCurrentIndex(i);
      return;
    }
  }
  QDialog::accept();
}

bool SetupSheetPort::Run(SetupValues& values, QObject* owner) {
  CSetupSheet sheet(dialogs_, messages_, qobject_cast<QWidget*>(owner));
  sheet.SetValues(values);
  if (sheet.exec() != QDialog::Accepted) return false;
  values = sheet.Values();
  return true;
}

}  // namespace lyrovox
