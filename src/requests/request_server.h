#pragma once

// The song request server: a small web site on the local network through which singers, from
// their phones, search the song list and ask for songs. It runs on threads of its own (the HTTP
// library's pool), never on the user-interface thread: the program publishes the song list and
// the queue to it, and it hands requests and cancellations back through hooks that only post.
//
// Songs are addressed by their row id in the published song list: no path or file name is ever
// taken or sent. Every answer is JSON that the page shows as text only.

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ui/lists/song_search.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace lyrovox {

// The song list as the phones search it: titles and the paths behind them, with their search
// index. Immutable once published.
struct RequestCatalog {
  std::vector<QString> titles;
  std::vector<QString> paths;
  SongSearchIndex index;
  // Builds the index over the titles.
  void Index();
};

// The queue as the phones see it.
struct RequestQueueView {
  struct Entry {
    uint64_t id = 0;
    QString singer;
    QString title;
    bool paused = false;
    bool operator==(const Entry&) const = default;
  };
  bool accepting = true;  // the reserved list is on
  QString nowTitle;       // empty: nothing plays
  QString nowSinger;
  int64_t nowRemainingMs = 0;
  std::vector<Entry> entries;  // in queue order
  bool operator==(const RequestQueueView&) const = default;
};

// Limits on what phones may ask.
struct RequestLimits {
  int perMinute = 10;  // song requests a minute per phone
  int perSinger = 3;   // waiting songs per singer
  int total = 500;     // waiting songs in all
};

class RequestServer {
 public:
  struct Options {
    std::string host = "0.0.0.0";
    int port = 8080;  // 0: any free port
    QString roomCode;
    RequestLimits limits;
  };
  struct Hooks {
    // A phone's request was accepted: the program queues the song under the singer's name with
    // this entry id. Called on a server thread; must only post.
    std::function<void(uint64_t entry, const QString& singer, const QString& path,
                       const QString& title, int number)>
        request;
    // A phone cancelled its own waiting song.
    std::function<void(uint64_t entry)> cancel;
  };

  // Longest name of a singer, in characters.
  static constexpr int kMaxNameLength = 32;
  // Largest request body, in bytes.
  static constexpr size_t kMaxBody = 4096;
  // Songs a search page holds.
  static constexpr int kPageSize = 20;
  // The estimate of a song's length for the waits the page shows.
  static constexpr int64_t kSongEstimateMs = 4 * 60 * 1000;
  // Entry ids of phone requests begin here (the desktop's own are below).
  static constexpr uint64_t kFirstEntryId = uint64_t{1} << 40;

  RequestServer();
  ~RequestServer();
  RequestServer(const RequestServer&) = delete;
  RequestServer& operator=(const RequestServer&) = delete;

  // Binds the port and starts serving; false (with errorText) when the address cannot be bound.
  bool Start(const Options& options, Hooks hooks);
  void Stop();
  bool running() const { return running_; }
  int port() const { return port_; }
  const QString& errorText() const { return error_; }

  void SetCatalog(std::shared_ptr<const RequestCatalog> catalog);
  void Publish(RequestQueueView view);
  void SetLimits(const RequestLimits& limits);

  // A singer's name as it is kept: trimmed; empty when it is not acceptable (empty, too long,
  // control characters, or the host's own name).
  static QString CleanName(const QString& name);

 private:
  struct Phone {
    QString name;
    std::string address;
    std::vector<int64_t> requestTimes;  // ms, the last minute's
    std::set<uint64_t> entries;         // asked for by this phone
    int streams = 0;
  };
  struct Address {
    int failures = 0;
    int64_t lockedUntil = 0;
    std::vector<int64_t> joins;
  };

  void Route();
  void Join(const httplib::Request& req, httplib::Response& res);
  void Search(const httplib::Request& req, httplib::Response& res);
  void Request(const httplib::Request& req, httplib::Response& res);
  void Cancel(const httplib::Request& req, httplib::Response& res);
  void State(const httplib::Request& req, httplib::Response& res);
  void Events(const httplib::Request& req, httplib::Response& res);
  // The phone of the request's token, or null (and a refusal written).
  std::string Authorise(const httplib::Request& req, httplib::Response& res);
  // What one phone's page shows, taken under mutex_ and made into JSON outside it, so that the
  // program's Publish never waits for pages being answered.
  struct PhoneState {
    std::shared_ptr<const RequestQueueView> view;
    uint64_t version = 0;
    std::set<uint64_t> mine;
    std::vector<uint64_t> pendingMine;
    QString name;
  };
  PhoneState TakeState(const std::string& token) const;
  static std::string StateJson(const PhoneState& state);

  std::unique_ptr<httplib::Server> http_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  int port_ = 0;
  QString error_;
  Hooks hooks_;
  QString roomCode_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool stopping_ = false;
  uint64_t version_ = 1;
  RequestLimits limits_;
  std::shared_ptr<const RequestCatalog> catalog_;
  std::shared_ptr<const RequestQueueView> view_ = std::make_shared<RequestQueueView>();
  // Entries handed to the program and not yet seen in a published queue, with their singers.
  std::map<uint64_t, QString> pending_;
  std::map<std::string, Phone> phones_;  // by token
  std::map<std::string, Address> addresses_;
  uint64_t nextEntry_ = kFirstEntryId;
  int streams_ = 0;
};

// The page and its script and style, built into the program.
struct RequestAsset {
  const char* path;
  const char* contentType;
  const char* body;
};
const std::vector<RequestAsset>& RequestAssets();

}  // namespace lyrovox
