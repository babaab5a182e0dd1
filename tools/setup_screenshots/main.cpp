// Shows the setup sheet filled with sample settings and writes a PNG of each page, as it is on
// the screen: the window is taken from the display, so this runs under X (Xvfb for scripts).
//
//   lyrovox-setup-screenshots OUT_DIR [SUFFIX]
//
// writes OUT_DIR/setup-1-display[SUFFIX].png ... setup-4-midi-dvd[SUFFIX].png, and the Display
// page once more with the shadow off (setup-1-display-no-shadow[SUFFIX].png).

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "controller/ports.h"
#include "ui/setup/display_setup.h"
#include "ui/setup/setup_sheet.h"

namespace {

using namespace lyrovox;

// Nothing is chosen in a screenshot.
class NoDialogs final : public IFileDialogs {
 public:
  QStringList OpenFiles(const FileDialogRequest&) override { return {}; }
  QString SaveFile(const FileDialogRequest&) override { return {}; }
  QString ChooseFolder(const QString&, QObject*) override { return {}; }
  std::optional<uint32_t> ChooseColor(uint32_t, QObject*) override { return std::nullopt; }
};

class NoMessages final : public IMessagePort {
 public:
  void ShowMessageBox(const QString&) override {}
  void ShowErrorBox(const QString&) override {}
  bool AskYesNo(const QString&) override { return false; }
};

void Settle() {
  QEventLoop loop;
  QTimer::singleShot(300, &loop, &QEventLoop::quit);
  loop.exec();
}

bool Shoot(QWidget& window, const QString& path) {
  Settle();
  QPixmap shot;
  if (QScreen* screen = window.screen()) shot = screen->grabWindow(window.winId());
  if (shot.isNull()) shot = window.grab();
  if (!shot.save(path)) {
    std::fprintf(stderr, "lyrovox-setup-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: lyrovox-setup-screenshots OUT_DIR [SUFFIX]\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  QDir().mkpath(out);

  SetupValues values;
  values.codePage = 3;
  values.fontName = "Liberation Sans";
  values.fontSize = 72;
  values.background = 2;
  values.solidColor = 0x703010;
  values.backgroundVideo = "/home/singer/Videos/Beach at Sunset.mpg";
  values.aspect = true;
  values.audioChannel = 3;
  values.songsFolders[0] = "/home/singer/Karaoke/English";
  values.songsFolders[1] = "/home/singer/Karaoke/Vietnamese";
  values.dvdFolder = "/media/singer/MIDI_DVD";

  NoDialogs dialogs;
  NoMessages messages;
  CSetupSheet sheet(dialogs, messages);
  sheet.SetValues(values);
  sheet.show();

  const char* const pages[] = {"display", "audio-video", "songs-locations", "midi-dvd"};
  bool ok = true;
  for (int i = 0; i < 4; ++i) {
    sheet.tabs()->setCurrentIndex(i);
    ok &= Shoot(sheet, QString("%1/setup-%2-%3%4.png").arg(out).arg(i + 1).arg(pages[i], suffix));
  }
  sheet.tabs()->setCurrentIndex(0);
  sheet.display().shadowBox()->click();
  ok &= Shoot(sheet, QString("%1/setup-1-display-no-shadow%2.png").arg(out, suffix));
  return ok ? 0 : 1;
}
