// The setup sheet and its pages on their own: the fixed lists, the font list and the face it
// shows, the colour swatches, the file and folder dialogs, the songs folders and the exchange of
// values when OK is pressed.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <string>
#include <vector>

#include "controller/fakes.h"
#include "setup_rig.h"
#include "support/temp_dir.h"
#include "ui/setup/audio_setup_page.h"
#include "ui/setup/color_swatch.h"
#include "ui/setup/display_setup.h"
#include "ui/setup/font_families.h"
#include "ui/setup/lyric_preview.h"
#include "ui/setup/midi_dvd_setup.h"
#include "ui/setup/requests_setup.h"
#include "ui/setup/setup_sheet.h"
#include "ui/setup/songs_location_dlg.h"

namespace lyrovox {
namespace {

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i)
    items << box->itemText(i);
  return items;
}

QStringList Rows(const QListWidget* list) {
  QStringList rows;
  for (int i = 0; i < list->count(); ++i)
    rows << list->item(i)->text();
  return rows;
}

enum Page { kDisplay, kAudio, kSongs, kDvd, kRequests };

class SetupSheetTest : public ::testing::Test {
 protected:
  // Shows the sheet (without its modal loop) with the values, on a page.
  void Open(const SetupValues& values, Page page = kDisplay) {
    sheet.SetValues(values);
    sheet.show();
    sheet.tabs()->setCurrentIndex(page);
  }
  SetupValues PressOk() {
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    return sheet.Values();
  }

  testing::TempDir dir;
  testing::ScriptedDialogs dialogs;
  testing::FakeMessages messages;
  CSetupSheet sheet{dialogs, messages};
};

TEST_F(SetupSheetTest, TheSheetHasItsFivePagesInOrderWithOkAndCancelOnly) {
  EXPECT_EQ(sheet.windowTitle(), "Setup");
  QStringList titles;
  for (int i = 0; i < sheet.tabs()->count(); ++i)
    titles << sheet.tabs()->tabText(i);
  EXPECT_EQ(titles, QStringList({"Display", "Audio/Video", "Songs Locations", "MIDI DVD Setup",
                                 "Requests"}));
  // Every tab is in sight when the sheet opens: none hides behind scroll arrows.
  sheet.show();
  const QTabBar* bar = sheet.tabs()->tabBar();
  EXPECT_LE(bar->tabRect(bar->count() - 1).right(), bar->width() - 1);
  const auto* buttons = sheet.findChild<QDialogButtonBox*>();
  ASSERT_NE(buttons, nullptr);
  EXPECT_EQ(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
}

TEST_F(SetupSheetTest, TheFixedListsHoldTheirItemsInOrder) {
  Open(SetupValues{}, kAudio);
  sheet.tabs()->setCurrentIndex(kDvd);
  EXPECT_EQ(Items(sheet.display().codePageBox()),
            QStringList({"Autodetect", "Chinese (Traditional)", "Chinese (Simplified)",
                         "Vietnamese", "Vietnamese (TCVN)", "Vietnamese (VNI)", "Arabic", "Baltic",
                         "Cyrillic", "European (Eastern)", "European (Western)", "Greek", "Hebrew",
                         "Japanese", "Korean", "Thai", "Turkish", "UTF-8"}));
  EXPECT_EQ(Items(sheet.audio().sourceBox()), QStringList({"Video", "Camera", "Solid Color"}));
  EXPECT_EQ(Items(sheet.audio().channelBox()),
            QStringList({"Both", "Left", "Right", "Reverse Stereo"}));
  EXPECT_EQ(Items(sheet.audio().trackBox()), QStringList({"Track 1", "Track 2"}));
  EXPECT_EQ(Items(sheet.dvd().kindBox()), QStringList({"Custom 1 (6 digits input)"}));
  EXPECT_EQ(sheet.dvd().kindBox()->currentIndex(), 0);
}

TEST_F(SetupSheetTest, TheControlsShowTheValuesAndOkTakesWhatTheyHold) {
  SetupValues v;
  v.codePage = 14;
  v.fontSize = 85;
  v.shadow = false;
  v.background = 1;
  v.backgroundVideo = "/videos/bg.mpg";
  v.aspect = true;
  v.useOriginalVideo = false;
  v.fullScreen = true;
  v.audioChannel = 3;
  v.audioTrack = 1;
  v.songsFolders[0] = "/songs/a";
  v.dvdFolder = "/media/dvd";
  v.requestsEnable = false;
  v.requestsPort = 8181;
  v.requestsPerMinute = 12;
  v.requestsPerSinger = 4;
  Open(v);
  for (Page p : {kAudio, kSongs, kDvd, kRequests})
    sheet.tabs()->setCurrentIndex(p);
  CDisplaySetup& display = sheet.display();
  CAudioSetupPage& audio = sheet.audio();
  EXPECT_EQ(display.codePageBox()->currentText(), "Korean");
  EXPECT_EQ(display.sizeBox()->text(), "85");
  EXPECT_FALSE(display.shadowBox()->isChecked());
  EXPECT_EQ(audio.sourceBox()->currentText(), "Camera");
  EXPECT_EQ(audio.videoEdit()->text(), "/videos/bg.mpg");
  EXPECT_TRUE(audio.aspectBox()->isChecked());
  EXPECT_FALSE(audio.originalVideoBox()->isChecked());
  EXPECT_TRUE(audio.fullScreenBox()->isChecked());
  EXPECT_EQ(audio.channelBox()->currentText(), "Reverse Stereo");
  EXPECT_EQ(audio.trackBox()->currentText(), "Track 2");
  EXPECT_EQ(Rows(sheet.songs().folderList()), QStringList({"/songs/a"}));
  EXPECT_EQ(sheet.dvd().locationEdit()->text(), "/media/dvd");
  CRequestsSetup& requests = sheet.requests();
  EXPECT_FALSE(requests.enableBox()->isChecked());
  EXPECT_EQ(requests.portBox()->value(), 8181);
  EXPECT_EQ(requests.interfaceBox()->currentText(), "Every network");
  EXPECT_EQ(requests.perMinuteBox()->value(), 12);
  EXPECT_EQ(requests.perSingerBox()->value(), 4);

  display.codePageBox()->setCurrentIndex(17);
  display.sizeBox()->SetText("64");
  display.shadowBox()->click();
  audio.sourceBox()->setCurrentIndex(0);
  audio.videoEdit()->setText("/typed/path.vob");
  for (QCheckBox* box : {audio.aspectBox(), audio.originalVideoBox(), audio.fullScreenBox()}) {
    box->click();
  }
  audio.channelBox()->setCurrentIndex(2);
  audio.trackBox()->setCurrentIndex(0);
  sheet.dvd().locationEdit()->setText("/typed/dvd");
  requests.enableBox()->click();
  requests.portBox()->setValue(9090);
  requests.perSingerBox()->setValue(6);
  SetupValues expected = v;
  expected.codePage = 17;
  expected.fontSize = 64;
  expected.shadow = true;
  expected.background = 0;
  expected.backgroundVideo = "/typed/path.vob";
  expected.aspect = false;
  expected.useOriginalVideo = true;
  expected.fullScreen = false;
  expected.audioChannel = 2;
  expected.audioTrack = 0;
  expected.dvdFolder = "/typed/dvd";
  expected.requestsEnable = true;
  expected.requestsPort = 9090;
  expected.requestsPerSinger = 6;
  EXPECT_EQ(PressOk(), expected);
}

TEST(FontFamilies, TheListHoldsTheInstalledScalableFamiliesSortedAndOnce) {
  const QStringList families = LyricFontFamilies();
  // fonts-liberation2 and fonts-dejavu are part of the machine's setup.
  for (const char* installed : {"Liberation Sans", "Liberation Serif", "DejaVu Sans"}) {
    EXPECT_TRUE(families.contains(installed)) << installed;
  }
  for (int i = 0; i < families.size(); ++i) {
    EXPECT_FALSE(families[i].startsWith('@')) << families[i].toStdString();
    if (i > 0) {
      EXPECT_LT(families[i - 1].compare(families[i], Qt::CaseInsensitive), 0);
    }
  }
}

// fontconfig's own answer for a face name, as the lyrics get their face.
QString FcMatch(const QString& name) {
  QProcess fc;
  fc.start("fc-match", {"-f", "%{family[0]}", name + ":bold"});
  fc.waitForFinished(5000);
  return QString::fromUtf8(fc.readAllStandardOutput());
}

TEST_F(SetupSheetTest, TheFontListShowsTheFaceTheLyricsAreDrawnInAndOkKeepsTheStoredName) {
  const struct {
    const char* stored;
    const char* shown;  // empty: fontconfig's match
  } cases[] = {{"DejaVu Sans", "DejaVu Sans"}, {"liberation serif", "Liberation Serif"},
               {"Liberation", nullptr},        {"No Such Face", nullptr},
               {"", "Liberation Sans"},  // no name: the screen's Arial, which is Liberation Sans
               {"Arial", "Liberation Sans"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    const QString expected = c.shown != nullptr ? QString(c.shown) : FcMatch(c.stored);
    ASSERT_FALSE(expected.isEmpty());
    testing::ScriptedDialogs d;
    CSetupSheet s(d, messages);
    SetupValues v;
    v.fontName = c.stored;
    s.SetValues(v);
    s.show();
    EXPECT_EQ(s.display().fontBox()->currentText(), expected);
    s.accept();
    EXPECT_EQ(s.Values().fontName, c.stored);
  }
}

TEST_F(SetupSheetTest, ChoosingAFontMakesItTheFontNameAndThePreviewFace) {
  Open(SetupValues{});
  QComboBox* fonts = sheet.display().fontBox();
  const int serif = fonts->findText("Liberation Serif");
  ASSERT_GE(serif, 0);
  fonts->setCurrentIndex(serif);
  emit fonts->activated(serif);
  EXPECT_EQ(sheet.display().preview()->SampleFont().families().value(0), "Liberation Serif");
  EXPECT_EQ(PressOk().fontName, "Liberation Serif");
}

TEST_F(SetupSheetTest, TheColourButtonsOpenAtTheirColourAndACancelKeepsIt) {
  SetupValues v;
  v.solidColor = 0x00FF00;
  v.background = 2;
  Open(v);
  dialogs.colors = {0x112233, std::nullopt, 0x445566, std::nullopt};
  sheet.display().colorButton(0)->click();
  sheet.display().colorButton(1)->click();  // cancelled
  sheet.display().colorButton(2)->click();
  sheet.display().colorButton(0)->click();  // at the colour chosen before; cancelled
  sheet.tabs()->setCurrentIndex(kAudio);
  dialogs.colors = {std::nullopt};
  sheet.audio().colorSwatch()->click();
  EXPECT_EQ(RefFromColor(sheet.audio().colorSwatch()->color()), 0x00FF00u);
  dialogs.colors = {0x0000FF};
  sheet.audio().colorSwatch()->click();

  EXPECT_EQ(dialogs.colorInitials,
            std::vector<uint32_t>({0xEE0000, 0x1E1EFF, 0xFF32FF, 0x112233, 0x00FF00, 0x00FF00}));
  EXPECT_EQ(RefFromColor(sheet.display().colorButton(0)->color()), 0x112233u);
  EXPECT_EQ(RefFromColor(sheet.audio().colorSwatch()->color()), 0x0000FFu);
  const SetupValues out = PressOk();
  EXPECT_EQ(out.maleColor, 0x112233u);
  EXPECT_EQ(out.femaleColor, 0x1E1EFFu);
  EXPECT_EQ(out.duetColor, 0x445566u);
  EXPECT_EQ(out.solidColor, 0x0000FFu);
}

TEST_F(SetupSheetTest, TheSwatchShowsOnlyWhileTheSourceIsSolidColor) {
  for (int start : {0, 1, 2}) {
    SCOPED_TRACE(start);
    testing::ScriptedDialogs d;
    CSetupSheet s(d, messages);
    SetupValues v;
    v.background = start;
    s.SetValues(v);
    s.show();
    s.tabs()->setCurrentIndex(kAudio);
    EXPECT_EQ(s.audio().colorSwatch()->isVisible(), start == 2);
    for (int source : {2, 0, 2, 1}) {
      s.audio().sourceBox()->setCurrentIndex(source);
      EXPECT_EQ(s.audio().colorSwatch()->isVisible(), source == 2) << source;
    }
  }
}

TEST_F(SetupSheetTest, SelectAsksForAnExistingBackgroundVideo) {
  const QString video = QString::fromStdString(dir.Write("Night.MPG", "x"));
  const QString gone = QString::fromStdString(dir.File("gone.mpg"));
  SetupValues v;
  v.backgroundVideo = "/old.mpg";
  Open(v, kAudio);
  dialogs.files = {QStringList{gone}, QStringList{}, QStringList{video}};
  for (int i = 0; i < 2; ++i) {
    sheet.audio().selectButton()->click();
    EXPECT_EQ(sheet.audio().videoEdit()->text(), "/old.mpg");
  }
  sheet.audio().selectButton()->click();
  EXPECT_EQ(sheet.audio().videoEdit()->text(), video);

  ASSERT_EQ(dialogs.requests.size(), 3u);
  const FileDialogRequest& r = dialogs.requests[0];
  EXPECT_EQ(r.title, "Select Background Video");
  EXPECT_EQ(r.filters, QStringList({"DVD video (*.vob)", "MPEG Files (*.mpg)", "AVI Files (*.avi)",
                                    "All Files (*.*)"}));
  EXPECT_EQ(r.initialName, "*.mpg *.avi *.dat *.mkv *.mp4 *.vob *.wmv *.flv *.webm *.mov *.m4v");
  EXPECT_FALSE(r.multiple);
  EXPECT_EQ(r.owner, &sheet.audio());
  EXPECT_EQ(PressOk().backgroundVideo, video);
}

TEST_F(SetupSheetTest, AtMostThreeSongsFoldersAreListed) {
  SetupValues v;
  v.songsFolders[0] = "/songs/a";
  v.songsFolders[1] = "ab";  // too short to be a folder
  Open(v, kSongs);
  QListWidget* list = sheet.songs().folderList();
  EXPECT_EQ(Rows(list), QStringList({"/songs/a"}));

  dialogs.folders = {"/songs/b", "", "/songs/c", "/songs/d"};
  for (int i = 0; i < 4; ++i)
    sheet.songs().addButton()->click();
  // The browser is still offered with three listed, but its folder is not added.
  EXPECT_EQ(dialogs.folderTitles, QStringList(4, "Select the songs folder"));
  EXPECT_EQ(Rows(list), QStringList({"/songs/a", "/songs/b", "/songs/c"}));
  const SetupValues out = PressOk();
  EXPECT_EQ(out.songsFolders[0], "/songs/a");
  EXPECT_EQ(out.songsFolders[1], "/songs/b");
  EXPECT_EQ(out.songsFolders[2], "/songs/c");
}

TEST_F(SetupSheetTest, RemovingTheMiddleFolderMovesTheThirdUp) {
  SetupValues v;
  v.songsFolders[0] = "/songs/a";
  v.songsFolders[1] = "/songs/b";
  v.songsFolders[2] = "/songs/c";
  Open(v, kSongs);
  QListWidget* list = sheet.songs().folderList();
  sheet.songs().removeButton()->click();  // nothing selected
  EXPECT_EQ(list->count(), 3);
  list->setCurrentRow(1);
  sheet.songs().removeButton()->click();
  EXPECT_EQ(Rows(list), QStringList({"/songs/a", "/songs/c"}));
  const SetupValues out = PressOk();
  EXPECT_EQ(out.songsFolders[0], "/songs/a");
  EXPECT_EQ(out.songsFolders[1], "/songs/c");
  EXPECT_EQ(out.songsFolders[2], "");
}

TEST_F(SetupSheetTest, BrowseChoosesTheDvdFolder) {
  SetupValues v;
  v.dvdFolder = "/media/old";
  Open(v, kDvd);
  dialogs.folders = {"", "/media/dvd"};
  sheet.dvd().browseButton()->click();
  EXPECT_EQ(sheet.dvd().locationEdit()->text(), "/media/old");
  sheet.dvd().browseButton()->click();
  EXPECT_EQ(dialogs.folderTitles, QStringList(2, "Select the DVD folder"));
  EXPECT_EQ(PressOk().dvdFolder, "/media/dvd");
}

TEST_F(SetupSheetTest, ANonNumericSizeKeepsTheSheetOpenOnTheDisplayPage) {
  Open(SetupValues{}, kDisplay);
  sheet.display().sizeBox()->SetText("big");
  sheet.tabs()->setCurrentIndex(kDvd);
  sheet.accept();
  EXPECT_TRUE(sheet.isVisible());
  EXPECT_EQ(sheet.result(), QDialog::Rejected);
  EXPECT_EQ(messages.shown, QStringList({"Please enter an integer."}));
  EXPECT_EQ(sheet.tabs()->currentIndex(), kDisplay);

  // A typed number is taken as it is, even outside the arrows' range.
  sheet.display().sizeBox()->SetText(" 120 ");
  EXPECT_EQ(PressOk().fontSize, 120);
  EXPECT_FALSE(sheet.isVisible());
}

TEST(FontSizeBox, TheArrowsStepWithin25To100FromTheTypedNumberOrTheirLastPlace) {
  FontSizeBox box;
  const struct {
    const char* text;
    int steps;
    const char* after;
  } cases[] = {{"70", 1, "71"},   {"99", 3, "100"}, {"100", 1, "100"},     {"26", -5, "25"},
               {"300", -1, "99"}, {"10", 1, "26"},  {"no number", 1, "27"}};
  for (const auto& c : cases) {
    box.SetText(c.text);
    box.stepBy(c.steps);
    EXPECT_EQ(box.text(), c.after) << c.text;
  }
}

TEST_F(SetupSheetTest, PagesNeverOpenedKeepTheirValuesAsGiven) {
  SetupValues v;
  v.codePage = 40;  // no such list entry: kept
  v.fontName = "Face Not Installed";
  v.background = 9;
  v.audioChannel = 7;
  v.songsFolders[0] = "";
  v.songsFolders[1] = "ab";
  v.songsFolders[2] = "/songs/c";
  v.dvdFolder = "/dvd";
  Open(v, kDisplay);
  EXPECT_EQ(PressOk(), v);

  // Opening the songs page lists only real folders, so OK moves them up.
  testing::ScriptedDialogs d;
  CSetupSheet again(d, messages);
  again.SetValues(v);
  again.show();
  again.tabs()->setCurrentIndex(kSongs);
  again.accept();
  SetupValues expected = v;
  expected.songsFolders[0] = "/songs/c";
  expected.songsFolders[1] = "";
  expected.songsFolders[2] = "";
  EXPECT_EQ(again.Values(), expected);
}

}  // namespace
}  // namespace lyrovox
