#pragma once

// The setup sheet: the modal "Setup" dialog with its five pages, OK and Cancel. The pages are
// filled with the caller's values before it is shown and give them back after OK.

#include <QDialog>

#include "controller/ports.h"

class QTabWidget;

namespace lyrovox {

class CAudioSetupPage;
class CDisplaySetup;
class CMidiDVDSetup;
class CRequestsSetup;
class CSongsLocationDlg;

class CSetupSheet final : public QDialog {
  Q_OBJECT

 public:
  CSetupSheet(IFileDialogs& dialogs, IMessagePort& messages, QWidget* parent = nullptr);
  ~CSetupSheet() override;

  // Into the pages' fields, before the sheet is shown.
  void SetValues(const SetupValues& values);
  // The pages' fields, after OK.
  SetupValues Values() const;

  QTabWidget* tabs() const { return tabs_; }
  CDisplaySetup& display() const { return *display_; }
  CAudioSetupPage& audio() const { return *audio_; }
  CSongsLocationDlg& songs() const { return *songs_; }
  CMidiDVDSetup& dvd() const { return *dvd_; }
  CRequestsSetup& requests() const { return *requests_; }

  // OK: every page that was shown takes its controls' values; a refused value keeps the sheet
  // open on its page.
  void accept() override;

 private:
  QTabWidget* tabs_;
  CDisplaySetup* display_;
  CAudioSetupPage* audio_;
  CSongsLocationDlg* songs_;
  CMidiDVDSetup* dvd_;
  CRequestsSetup* requests_;
};

// The sheet as the controller reaches it: made, shown modally over the owner and gone again for
// each use.
class SetupSheetPort final : public ISetupSheet {
 public:
  SetupSheetPort(IFileDialogs& dialogs, IMessagePort& messages)
      : dialogs_(dialogs), messages_(messages) {}
  bool Run(SetupValues& values, QObject* owner) override;

 private:
  IFileDialogs& dialogs_;
  IMessagePort& messages_;
};

}  // namespace lyrovox
