// Song requests under load: lyrovox plays a song while 50 simulated phones on the loopback
// address search a 100 000-song list and ask for songs for 60 s. Reports failed requests (no
// answer, or an answer that is neither a result nor a refusal by the rules), the search answer
// times (median, 99th percentile, worst) and the lyric lag as lyrovox-play --measure measures it,
// for the same song played without load and with it.
//
// usage: bench_requests [--seconds N] [--phones N]   (under a display: xvfb-run, or offscreen)
// The phones run in a child process (bench_requests --phones-at URL ROOM SECONDS PHONES), so
// that their own work is not the player's.

#include <httplib.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "app/program.h"
#include "app/request_service.h"
#include "controller/main_frame.h"
#include "media/file_player.h"
#include "play/play_measure.h"
#include "song_kinds.h"

namespace {

using namespace lyrovox;

constexpr int kSongs = 100000;
const char* const kWords[] = {"Hoà",  "Bình", "Đêm",   "Đông",  "Love",  "Night", "Mưa",
                              "Hồng", "Nhớ",  "Em",    "Anh",   "Tình",  "Yêu",   "Xuân",
                              "Biển", "Sông", "Trăng", "Dream", "Heart", "Rain"};
const char* const kQueries[] = {
    "hoa binh", "dem dong", "love", "mua", "nho em",  "tinh yeu", "xuan", "bien",   "song", "trang",
    "dream",    "heart 1",  "012",  "anh", "night 9", "rain",     "hong", "yeu em", "0999", "biển"};

// --- The phones (child process) ---

struct PhoneTally {
  std::mutex mutex;
  std::vector<double> searchMs;
  long requests = 0;
  long failed = 0;
  long refused = 0;  // answered by the rules: limits, a full queue
  long pushes = 0;
};

void Phone(const std::string& host, int port, const std::string& room, int index, int seconds,
           PhoneTally& tally) {
  httplib::Client client(host, port);
  client.set_read_timeout(10, 0);
  client.set_keep_alive(true);
  std::mt19937 random(static_cast<unsigned>(index * 7919 + 1));
  auto fail = [&] {
    std::lock_guard lock(tally.mutex);
    ++tally.failed;
  };
  const auto joined = client.Post(
      "/api/join", httplib::Params{{"name", "Phone " + std::to_string(index)}, {"room", room}});
  {
    std::lock_guard lock(tally.mutex);
    ++tally.requests;
  }
  if (!joined || joined->status != 200) return fail();
  const std::string token = QJsonDocument::fromJson(QByteArray::fromStdString(joined->body))
                                .object()
                                .value("token")
                                .toString()
                                .toStdString();
  const httplib::Headers headers = {{"X-Lyrovox-Token", token}};
  // The page's pushed updates, as a browser keeps them open.
  std::atomic<bool> done{false};
  std::thread events([&] {
    httplib::Client stream(host, port);
    stream.set_read_timeout(30, 0);
    stream.Get(("/api/events?token=" + token).c_str(), [&](const char* data, size_t length) {
      const long n = std::count(data, data + length, '\n') / 2;
      std::lock_guard lock(tally.mutex);
      tally.pushes += n;
      return !done.load();
    });
  });
  QElapsedTimer clock;
  clock.start();
  int songs = 0;
  while (clock.elapsed() < seconds * 1000L) {
    const std::string query = kQueries[random() % std::size(kQueries)];
    const std::string path = "/api/search?q=" + httplib::detail::encode_query_param(query) +
                             "&page=" + std::to_string(random() % 3);
    QElapsedTimer asked;
    asked.start();
    const auto found = client.Get(path.c_str(), headers);
    const double ms = static_cast<double>(asked.nsecsElapsed()) / 1e6;
    {
      std::lock_guard lock(tally.mutex);
      ++tally.requests;
      if (found && found->status == 200) tally.searchMs.push_back(ms);
    }
    if (!found || found->status != 200) fail();
    // About every eighth search a song is asked for, sometimes one cancelled.
    if (random() % 8 == 0) {
      const auto asked2 = client.Post("/api/request", headers,
                                      httplib::Params{{"id", std::to_string(random() % kSongs)}});
      std::lock_guard lock(tally.mutex);
      ++tally.requests;
      if (!asked2) {
        ++tally.failed;
      } else if (asked2->status == 200) {
        ++songs;
      } else if (asked2->status == 429 || asked2->status == 503 || asked2->status == 409) {
        ++tally.refused;
      } else {
        ++tally.failed;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500 + random() % 1000));
  }
  done = true;
  events.join();
}

int RunPhones(const std::string& url, const std::string& room, int seconds, int phones) {
  // url: http://host:port/
  const std::string rest = url.substr(7);
  const std::string host = rest.substr(0, rest.find(':'));
  const int port = std::stoi(rest.substr(rest.find(':') + 1));
  PhoneTally tally;
  std::vector<std::thread> threads;
  for (int i = 0; i < phones; ++i) {
    threads.emplace_back([&, i] { Phone(host, port, room, i + 1, seconds, tally); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  for (std::thread& t : threads)
    t.join();
  std::sort(tally.searchMs.begin(), tally.searchMs.end());
  auto at = [&](double q) {
    return tally.searchMs.empty()
               ? 0.0
               : tally.searchMs[std::min(tally.searchMs.size() - 1,
                                         static_cast<size_t>(q * tally.searchMs.size()))];
  };
  std::printf(
      "phones: %d\nrequests: %ld\nfailed: %ld\nrefusedByLimits: %ld\nsearches: %zu\n"
      "searchMedianMs: %.1f\nsearchP99Ms: %.1f\nsearchWorstMs: %.1f\npushes: %ld\n",
      phones, tally.requests, tally.failed, tally.refused, tally.searchMs.size(), at(0.5), at(0.99),
      tally.searchMs.empty() ? 0.0 : tally.searchMs.back(), tally.pushes);
  return 0;
}

// --- The player (this process) ---

// Runs the event loop for ms, sleeping while there is nothing to do: a busy loop here would take
// a core from the program it measures.
void Spin(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

PlayMeasure::Summary PlayMeasured(Program& program, const QString& song, int seconds,
                                  QProcess* phones) {
  PlayMeasure measure;
  program.SetPresentedHook([&] {
    CMainFrame& frame = program.frame();
    IMediaPlayer* player = frame.playerKind() == kPlayerKindAudio
                               ? static_cast<IMediaPlayer*>(frame.audioPlayer())
                               : &program.videoPlayer();
    const uint32_t position = player != nullptr ? player->GetPositionMs() : 0;
    const int32_t sung = frame.lyricMode() == kLyricModeText ? frame.syllableCursor() : 0;
    measure.OnPresent(frame.lyricStore(), sung,
                      static_cast<int32_t>(std::min<uint32_t>(position, INT32_MAX)));
  });
  measure.Begin();
  program.frame().PlaySong(song);
  if (phones != nullptr) phones->start();
  Spin(seconds * 1000);
  measure.End();
  program.SetPresentedHook({});
  program.frame().StopSong();
  return measure.Summarize();
}

void PrintLag(const char* label, const PlayMeasure::Summary& s) {
  std::printf(
      "%sSyllables: %d\n%sLagMedianMs: %d\n%sLagWorstMs: %d\n%sLagOverTick: %d\n"
      "%sPresentGapWorstMs: %lld\n%sCpuPercent: %.1f\n",
      label, s.syllables, label, s.lagMedianMs, label, s.lagWorstMs, label, s.lagOverTick, label,
      static_cast<long long>(s.presentGapWorstMs), label, s.cpuPercent);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 6 && std::string(argv[1]) == "--phones-at") {
    return RunPhones(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
  }
  int seconds = 60;
  int phones = 50;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::string(argv[i]) == "--seconds") seconds = std::atoi(argv[i + 1]);
    if (std::string(argv[i]) == "--phones") phones = std::atoi(argv[i + 1]);
  }
  if (qEnvironmentVariableIsEmpty("LYROVOX_AUDIO_SINK"))
    qputenv("LYROVOX_AUDIO_SINK", "fakesink sync=true");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  const QString root = dir.path();
  QDir().mkpath(root + "/config/TuneWell");
  QDir().mkpath(root + "/data/TuneWell");
  QDir().mkpath(root + "/tmp");
  {
    std::ofstream profile((root + "/config/TuneWell/LyroVox.conf").toStdString());
    profile << "[Setup]\nRequestsEnable=1\nRequestsPort=0\nRequestsInterface=lo\n"
            << "RequestsPerMinute=10\nRequestsPerSinger=3\n";
  }
  // The MIDI karaoke song of the other benchmarks: two syllables a second.
  bench::SongKinds kinds;
  if (!kinds.Make(root.toStdString(), seconds + 15)) {
    std::fprintf(stderr, "bench_requests: the song could not be made\n");
    return 1;
  }
  const QString song = QString::fromStdString(
      kinds.Write(bench::SongKind::kKar, root.toStdString() + "/Bench Song"));
  {
    // 100 000 songs (the files need not exist: only their titles are searched).
    std::ofstream list((root + "/data/TuneWell/lyrovox.m3u").toStdString(), std::ios::binary);
    list << "\xEF\xBB\xBF#EXTM3U\n";
    std::mt19937 random(1);
    for (int i = 0; i < kSongs; ++i) {
      std::string name;
      for (int w = 0; w < 3; ++w)
        name += std::string(w ? " " : "") + kWords[random() % std::size(kWords)];
      list << root.toStdString() << "/songs/" << name << ' ' << i << ".kar\n";
    }
  }
  ProgramOptions options;
  options.profilePath = root + "/config/TuneWell/LyroVox.conf";
  options.dataFolder = root + "/data";
  options.systemTemp = root + "/tmp";
  options.programFolder = QCoreApplication::applicationDirPath() + "/../bin";
  options.splash = false;
  options.ctrlHeld = false;
  options.requestRoomCode = QStringLiteral("1357");
  Program program(options);
  program.Start();
  Spin(3000);  // start-up settles, the song list is indexed
  if (program.requests() == nullptr || !program.requests()->running()) {
    std::fprintf(stderr, "bench_requests: requests did not start\n");
    return 1;
  }
  if (!program.frame().timersRunning()) {
    std::fprintf(stderr, "bench_requests: no background video: lyrics are not shown\n");
    return 1;
  }
  std::printf("songs: %d\nseconds: %d\n", kSongs, seconds);
  const PlayMeasure::Summary quiet = PlayMeasured(program, song, seconds / 2, nullptr);
  PrintLag("quiet", quiet);

  QProcess phoneProcess;
  phoneProcess.setProgram(QCoreApplication::applicationFilePath());
  phoneProcess.setArguments({"--phones-at", program.requests()->address(), "1357",
                             QString::number(seconds), QString::number(phones)});
  phoneProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  const PlayMeasure::Summary loaded = PlayMeasured(program, song, seconds + 2, &phoneProcess);
  phoneProcess.waitForFinished(30000);
  PrintLag("loaded", loaded);
  std::fputs(phoneProcess.readAllStandardOutput().constData(), stdout);
  std::printf("reservedAtEnd: %d\n", program.frame().windows().reservedList->Count());
  program.Shutdown();
  return 0;
}
