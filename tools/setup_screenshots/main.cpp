// Runs the program with sample settings (in a profile of its own, not the user's), opens the
// setup sheet as the control panel's Setup does, and writes a PNG of each page as it is on the
// screen. The windows are taken from the display, so this runs under X (Xvfb for scripts).
//
//   lyrovox-setup-screenshots OUT_DIR [SUFFIX]
//
// writes OUT_DIR/setup-1-display[SUFFIX].png ... setup-5-requests[SUFFIX].png, the Display page
// once more with the shadow off (setup-1-display-no-shadow[SUFFIX].png), and the sheet over the
// program's video window (setup-on-screen[SUFFIX].png).

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "app/program.h"
#include "controller/main_frame.h"
#include "ui/setup/audio_setup_page.h"
#include "ui/setup/display_setup.h"
#include "ui/setup/setup_sheet.h"

namespace {

using namespace lyrovox;

void Settle() {
  QEventLoop loop;
  QTimer::singleShot(300, &loop, &QEventLoop::quit);
  loop.exec();
}

bool Save(const QPixmap& shot, const QString& path) {
  if (shot.isNull() || !shot.save(path)) {
    std::fprintf(stderr, "lyrovox-setup-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

bool Shoot(QWidget& window, const QString& path) {
  Settle();
  QScreen* screen = window.screen();
  return Save(screen != nullptr ? screen->grabWindow(window.winId()) : window.grab(), path);
}

// Settings away from the defaults, so that every control shows something.
void WriteSampleProfile(const QString& path, const QString& backgroundVideo) {
  SettingsStore store(path);
  Settings& s = store.values();
  s.codePage = 3;
  s.defaultFontName = "Liberation Sans";
  s.defaultFontSizeValue = 72;
  s.background = 0;
  s.backGroundVideoColor = 0x703010;
  s.backgroundVideo = backgroundVideo;
  s.aspect = 1;
  s.audioChannel = 3;
  s.songsLocation1 = "/home/singer/Karaoke/English";
  s.songsLocation2 = "/home/singer/Karaoke/Vietnamese";
  s.custom1DvdLocation = "/media/singer/MIDI_DVD";
  s.videoLeft = 0;
  s.videoTop = 0;
  s.videoWidth = 960;
  s.videoHeight = 540;
  for (int key = 0; key < kSettingCount; ++key)
    store.Write({static_cast<SettingKey>(key)});
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
  QTemporaryDir scratch;
  if (!scratch.isValid()) return 1;

  ProgramOptions options;
  options.profilePath = scratch.filePath("LyroVox.conf");
  options.dataFolder.clear();
  options.programFolder = QCoreApplication::applicationDirPath();
  options.systemTemp = scratch.path();
  options.splash = false;
  options.ctrlHeld = false;
  // A background video of its own (a copy of the default one), so that the path shows a name.
  QDir(scratch.path()).mkpath("Videos");
  const QString video = scratch.filePath("Videos/Beach at Sunset.mpg");
  const bool copied = QFile::copy(options.programFolder + "/video.mpg", video);
  WriteSampleProfile(options.profilePath, copied ? video : QString());
  Program program(options);
  if (!program.Start()) return 1;

  bool ok = true;
  std::function<void(int)> shootSheet = [&](int triesLeft) {
    QWidget* modal = QApplication::activeModalWidget();
    auto* sheet = qobject_cast<CSetupSheet*>(modal);
    if (sheet == nullptr) {
      // Something else is in the way (a message box): it goes, and the sheet is looked for again.
      if (modal != nullptr) modal->close();
      if (triesLeft > 0) {
        QTimer::singleShot(300, &app, [&, triesLeft] { shootSheet(triesLeft - 1); });
      } else {
        std::fprintf(stderr, "lyrovox-setup-screenshots: the setup sheet did not show\n");
        ok = false;
      }
      return;
    }
    // The sheet over the program's window, as a user sees it.
    Settle();
    const QRect area = program.videoWindow().frameGeometry().united(sheet->frameGeometry());
    if (QScreen* screen = sheet->screen()) {
      ok &= Save(screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()),
                 QString("%1/setup-on-screen%2.png").arg(out, suffix));
    }

    const char* const pages[] = {"display", "audio-video", "songs-locations", "midi-dvd",
                                 "requests"};
    for (int i = 0; i < 5; ++i) {
      sheet->tabs()->setCurrentIndex(i);
      // The solid colour's swatch shows once that source is chosen.
      if (i == 1) sheet->audio().sourceBox()->setCurrentIndex(2);
      ok &=
          Shoot(*sheet, QString("%1/setup-%2-%3%4.png").arg(out).arg(i + 1).arg(pages[i], suffix));
    }
    sheet->tabs()->setCurrentIndex(0);
    sheet->display().shadowBox()->click();
    ok &= Shoot(*sheet, QString("%1/setup-1-display-no-shadow%2.png").arg(out, suffix));
    sheet->reject();
  };
  // Once the program runs (the background has started), Setup as the control panel opens it.
  QTimer::singleShot(1500, &app, [&] {
    QTimer::singleShot(300, &app, [&] { shootSheet(10); });
    program.frame().ApplySetup(&program.videoWindow());
    app.quit();
  });
  app.exec();
  program.Shutdown();
  return ok ? 0 : 1;
}
