// The song lists at a hundred thousand songs with Vietnamese, Chinese and Latin titles: reading the
// M3U file into the play list window, one search keystroke, Add folder over ten thousand files,
// scrolling the list from top to bottom, and the memory the loaded list takes. Beside each, its
// floor: reading the file's bytes, one memmem pass over the titles, walking the tree's names,
// painting the rows' text straight into an image, and the bytes of the titles and paths.
//
//   bench_lists [--benchmark_filter=...]      (offscreen unless QT_QPA_PLATFORM says otherwise)

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <string.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "controller/qt_text.h"
#include "controller/settings_store.h"
#include "lyrics/file_bytes.h"
#include "ui/lists/m3u_file.h"
#include "ui/lists/play_list_dlg.h"
#include "ui/lists/song_search.h"

namespace lyrovox {
namespace {

constexpr int kSongs = 100000;
constexpr int kFolderFiles = 10000;

const char16_t* const kVietnamese[] = {u"Hoà", u"Bình", u"Đêm", u"Đông",  u"Người", u"Tình",
                                       u"Yêu", u"Sữa",  u"Mùa", u"Thu",   u"Trăng", u"Biển",
                                       u"Nhớ", u"Em",   u"Anh", u"Quê",   u"Hương", u"Lòng",
                                       u"Mẹ",  u"Xuân", u"Phố", u"Chiều", u"Mưa",   u"Ngày"};
const char16_t kChinese[] = u"月亮代表我的心甜蜜蜜小城故事朋友别哭海阔天空爱在深秋夜来香";
const char16_t* const kLatin[] = {u"Love",  u"Song",      u"Night", u"Heart", u"Dream",
                                  u"Baby",  u"Yesterday", u"Dance", u"Moon",  u"River",
                                  u"Blue",  u"Forever",   u"Sweet", u"Home",  u"Road",
                                  u"Light", u"Summer",    u"Rain",  u"Fire",  u"Stars"};

// A song's file path: a Vietnamese, Chinese or Latin title by turns, and its number.
std::u16string SongPath(int n, uint32_t& seed) {
  auto next = [&seed](uint32_t range) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % range;
  };
  std::u16string title;
  switch (n % 3) {
    case 0:
      for (uint32_t w = 0, words = 2 + next(3); w < words; ++w)
        title += std::u16string(w ? u" " : u"") + kVietnamese[next(std::size(kVietnamese))];
      return u"/srv/karaoke/Viet Nam/" + title + u" " + QString::number(n).toStdU16String() +
             u".kar";
    case 1:
      for (uint32_t c = 0, chars = 4 + next(4); c < chars; ++c)
        title += kChinese[next(std::size(kChinese) - 1)];
      return u"/srv/karaoke/中文/" + title + u" " + QString::number(n).toStdU16String() + u".mp3";
    default:
      for (uint32_t w = 0, words = 2 + next(3); w < words; ++w)
        title += std::u16string(w ? u" " : u"") + kLatin[next(std::size(kLatin))];
      return u"/srv/karaoke/English/" + title + u" " + QString::number(n).toStdU16String() +
             u".mpg";
  }
}

struct Fixture {
  QTemporaryDir dir;
  QString listPath;
  QString tree;
  std::vector<std::u16string> paths;

  Fixture() {
    uint32_t seed = 7;
    for (int n = 0; n < kSongs; ++n)
      paths.push_back(SongPath(n, seed));
    listPath = dir.filePath("songs.m3u");
    std::ofstream(listPath.toStdString(), std::ios::binary) << m3u::EncodeListFile(paths);
    // 100 folders of 100 songs, with a text file in each that the walk passes over.
    tree = dir.filePath("tree");
    for (int f = 0; f < kFolderFiles / 100; ++f) {
      const QString folder = QString("%1/Folder %2").arg(tree).arg(f);
      QDir().mkpath(folder);
      for (int i = 0; i < 100; ++i)
        QFile(QString("%1/Song %2.kar").arg(folder).arg(f * 100 + i)).open(QIODevice::WriteOnly);
      QFile(folder + "/notes.txt").open(QIODevice::WriteOnly);
    }
  }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

// A play list window holding the whole list.
struct Window {
  SettingsStore settings{QString()};
  PlayListDlg dlg{settings};
  Window() { dlg.ReadSongListFile(Data().listPath); }
};

// Times filling an emptied play list window.
template <class Fill>
void TimeFilling(benchmark::State& state, Fill fill) {
  SettingsStore settings{QString()};
  PlayListDlg dlg(settings);
  for (auto _ : state) {
    state.PauseTiming();
    dlg.ClearSongList();
    state.ResumeTiming();
    fill(dlg);
  }
  state.counters["songs"] = dlg.Count();
}

void BM_ReadListIntoWindow(benchmark::State& state) {
  TimeFilling(state, [](PlayListDlg& dlg) { dlg.ReadSongListFile(Data().listPath); });
}
BENCHMARK(BM_ReadListIntoWindow)->Unit(benchmark::kMillisecond);

void BM_ReadFileBytesFloor(benchmark::State& state) {
  std::vector<uint8_t> bytes;
  for (auto _ : state) {
    ReadFileBytes(Data().listPath.toStdString(), bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ReadFileBytesFloor)->Unit(benchmark::kMillisecond);

const char16_t* const kQueries[] = {u"a", u"em", u"trang"};

// One keystroke: the search box's text changes, the results are rebuilt and shown.
void BM_SearchKeystroke(benchmark::State& state) {
  static Window window;
  const QString query = ToQString(kQueries[state.range(0)]);
  for (auto _ : state) {
    window.dlg.searchBox().setText(query);
    state.PauseTiming();
    window.dlg.searchBox().clear();
    state.ResumeTiming();
  }
  window.dlg.searchBox().setText(query);
  state.SetLabel(query.toStdString());
  state.counters["found"] = window.dlg.searchResults().rows().count();
}
BENCHMARK(BM_SearchKeystroke)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The floor: one memmem pass over every title's UTF-16 bytes, lowered in advance.
void BM_MemmemFloor(benchmark::State& state) {
  std::u16string all;
  for (const std::u16string& path : Data().paths)
    all += LowerAscii(m3u::NameOfPath(path)) + u'\n';
  const std::u16string query = kQueries[state.range(0)];
  for (auto _ : state) {
    size_t hits = 0;
    const char* at = reinterpret_cast<const char*>(all.data());
    const char* end = at + all.size() * 2;
    while (const void* found =
               memmem(at, static_cast<size_t>(end - at), query.data(), query.size() * 2)) {
      ++hits;
      at = static_cast<const char*>(found) + 1;
    }
    benchmark::DoNotOptimize(hits);
  }
}
BENCHMARK(BM_MemmemFloor)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Add folder once the folder is chosen (a dropped folder takes the same walk).
void BM_AddFolder(benchmark::State& state) {
  TimeFilling(state, [](PlayListDlg& dlg) { dlg.DropPaths({Data().tree}); });
}
BENCHMARK(BM_AddFolder)->Unit(benchmark::kMillisecond);

void BM_WalkNamesFloor(benchmark::State& state) {
  for (auto _ : state) {
    size_t n = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(Data().tree.toStdString()))
      n += entry.path().filename().native().size() > 0;
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_WalkNamesFloor)->Unit(benchmark::kMillisecond);

// One frame of scrolling: the list moves on and its visible rows are painted (into an image of
// the list's size, as the window's backing store would take them); the frames step through the
// whole list from top to bottom.
void BM_ScrollFrame(benchmark::State& state) {
  static Window window;
  window.dlg.ClearSearch();
  window.dlg.show();
  QApplication::processEvents();
  CSkinListCtrl& list = window.dlg.songList();
  list.selectRow(10);
  QScrollBar* bar = list.verticalScrollBar();
  QImage image(list.viewport()->size(), QImage::Format_RGB32);
  constexpr int kFrames = 2000;
  int frame = 0;
  for (auto _ : state) {
    bar->setValue(static_cast<int>(static_cast<int64_t>(bar->maximum()) * frame / kFrames));
    list.viewport()->render(&image);
    frame = (frame + 1) % (kFrames + 1);
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.SetLabel(std::to_string(list.viewport()->width()) + "x" +
                 std::to_string(list.viewport()->height()));
}
BENCHMARK(BM_ScrollFrame)->Unit(benchmark::kMicrosecond);

// The floor: the same rows' text painted straight into an image of the list's size.
void BM_PaintRowsFloor(benchmark::State& state) {
  QImage image(415, 422, QImage::Format_RGB32);
  QFont font("Arial");
  font.setPixelSize(13);
  std::vector<QString> titles;
  for (int i = 0; i < 24; ++i)
    titles.push_back(ToQString(m3u::NameOfPath(Data().paths[static_cast<size_t>(i)])));
  for (auto _ : state) {
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::white);
    for (int i = 0; i < 24; ++i) {
      p.fillRect(0, i * 18, 415, 18, i % 2 ? QColor(74, 83, 110) : QColor(83, 93, 125));
      p.drawText(QRect(3, i * 18, 409, 18), Qt::AlignVCenter, titles[static_cast<size_t>(i)]);
    }
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PaintRowsFloor)->Unit(benchmark::kMicrosecond);

double ResidentMegabytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

// The memory the loaded list takes: resident size with the list, less with an empty window.
void BM_Memory(benchmark::State& state) {
  double floorBytes = 0;
  for (const std::u16string& path : Data().paths)
    floorBytes += 2.0 * (path.size() + 9 + m3u::NameOfPath(path).size());
  for (auto _ : state) {
    SettingsStore settings{QString()};
    PlayListDlg dlg(settings);
    malloc_trim(0);
    const double empty = ResidentMegabytes();
    dlg.ReadSongListFile(Data().listPath);
    dlg.searchBox().setText("a");  // results shown as well
    const double loaded = ResidentMegabytes();
    malloc_trim(0);
    state.counters["loaded_MB"] = loaded - empty;
    state.counters["trimmed_MB"] = ResidentMegabytes() - empty;
  }
  state.counters["text_MB"] = floorBytes / 1e6;
}
BENCHMARK(BM_Memory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lyrovox

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  lyrovox::Data();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
