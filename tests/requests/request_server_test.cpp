// The request server through real sockets on the loopback address: the library's client for
// ordinary calls, raw bytes for what no well-behaved client sends.

#include "requests/request_server.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <mutex>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace lyrovox {
namespace {

constexpr char kRoom[] = "4821";

struct Asked {
  uint64_t entry;
  QString singer;
  QString path;
  QString title;
  int number;
};

QJsonObject Body(const httplib::Result& result) {
  return result ? QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object()
                : QJsonObject();
}

// Bytes sent as they are; what came back before the server closed or went quiet for 1 s.
std::string Raw(int port, const std::string& bytes) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return {};
  }
  timeval timeout{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }

  std::string answer;
  char buffer[4096];
  for (;;) {
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    answer.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return answer;
}

class RequestServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto catalog = std::make_shared<RequestCatalog>();
    const QStringList titles = {
        QStringLiteral("000001 - Hoà Bình"),
        QStringLiteral("000002 - <script>alert(1)</script> & \"friends\""),
        QStringLiteral("000003 - Yesterday"),
        QStringLiteral("000004 - Đêm Đông"),
    };
    for (const QString& title : titles) {
      catalog->titles.push_back(title);
      catalog->paths.push_back(QStringLiteral("/home/host/Karaoke/secret-folder/") + title.mid(9) +
                               QStringLiteral(".kar"));
    }
    // 45 songs named "Love", for pages.
    for (int i = 5; i < 50; ++i) {
      catalog->titles.push_back(QStringLiteral("%1 - Love %2").arg(i, 6, 10, QChar('0')).arg(i));
      catalog->paths.push_back(QStringLiteral("/home/host/Karaoke/love%1.mp3").arg(i));
    }
    catalog->Index();
    server_.SetCatalog(catalog);
    RequestServer::Options options;
    options.host = "127.0.0.1";
    options.port = 0;
    options.roomCode = QString::fromLatin1(kRoom);
    RequestServer::Hooks hooks;
    hooks.request = [this](uint64_t entry, const QString& singer, const QString& path,
                           const QString& title, int number) {
      std::lock_guard lock(mutex_);
      asked_.push_back({entry, singer, path, title, number});
    };
    hooks.cancel = [this](uint64_t entry) {
      std::lock_guard lock(mutex_);
      cancelled_.push_back(entry);
    };
    ASSERT_TRUE(server_.Start(options, hooks)) << server_.errorText().toStdString();
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_.port());
    client_->set_read_timeout(5, 0);
  }

  std::string JoinAs(const std::string& name) {
    const auto result =
        client_->Post("/api/join", httplib::Params{{"name", name}, {"room", kRoom}});
    EXPECT_TRUE(result && result->status == 200) << name;
    return Body(result).value(QStringLiteral("token")).toString().toStdString();
  }

  httplib::Result Get(const std::string& token, const std::string& path) {
    return client_->Get(path.c_str(), httplib::Headers{{"X-Lyrovox-Token", token}});
  }
  httplib::Result Post(const std::string& token, const std::string& path,
                       const httplib::Params& params) {
    return client_->Post(path.c_str(), httplib::Headers{{"X-Lyrovox-Token", token}}, params);
  }

  // The program's side: what it queued, published back in order.
  void PublishAsked() {
    RequestQueueView view;
    std::lock_guard lock(mutex_);
    for (const Asked& a : asked_) {
      if (std::find(cancelled_.begin(), cancelled_.end(), a.entry) == cancelled_.end())
        view.entries.push_back({a.entry, a.singer, a.title, false});
    }
    server_.Publish(view);
  }

  size_t AskedCount() {
    std::lock_guard lock(mutex_);
    return asked_.size();
  }

  RequestServer server_;
  std::unique_ptr<httplib::Client> client_;
  std::mutex mutex_;
  std::vector<Asked> asked_;
  std::vector<uint64_t> cancelled_;
};

TEST_F(RequestServerTest, JoinTakesNamesWithinTheRules) {
  struct Case {
    std::string name;
    int status;
    const char* kept;
  };
  const std::vector<Case> cases = {
      {"Mai", 200, "Mai"},
      {"  Lan Anh  ", 200, "Lan Anh"},
      {std::string(32, 'x'), 200, nullptr},
      {"Trần Thị Thu Hương", 200, "Trần Thị Thu Hương"},
      {std::string(33, 'x'), 400, nullptr},
      {"", 400, nullptr},
      {"   ", 400, nullptr},
      {"Bell\x07", 400, nullptr},
      {"Tab\tName", 400, nullptr},
      {"Line\nBreak", 400, nullptr},
      {"Del\x7f", 400, nullptr},
      {"Hidden\xe2\x80\xae"
       "mark",
       400, nullptr},  // right-to-left override
      {"Host", 400, nullptr},
      {"host", 400, nullptr},
      {"<b>Mai</b>", 200, "<b>Mai</b>"},
  };
  for (const Case& c : cases) {
    const auto result =
        client_->Post("/api/join", httplib::Params{{"name", c.name}, {"room", kRoom}});
    ASSERT_TRUE(result) << c.name;
    EXPECT_EQ(result->status, c.status) << c.name;
    if (c.kept != nullptr) {
      EXPECT_EQ(Body(result).value(QStringLiteral("name")).toString(), QString::fromUtf8(c.kept));
    }
    if (c.status == 200) {
      EXPECT_EQ(Body(result).value(QStringLiteral("token")).toString().size(), 32);
      // Names are sent back as JSON text with markup characters escaped.
      EXPECT_EQ(result->body.find('<'), std::string::npos);
    }
  }
}

TEST_F(RequestServerTest, WrongRoomCodeIsRefusedAndSlowedDown) {
  const std::string singer = JoinAs("Mai");
  Post(singer, "/api/request", {{"id", "2"}});
  PublishAsked();

  const auto wrong = client_->Post("/api/join", httplib::Params{{"name", "Eve"}, {"room", "0000"}});
  ASSERT_TRUE(wrong);
  EXPECT_EQ(wrong->status, 403);
  EXPECT_EQ(Body(wrong).value(QStringLiteral("error")).toString(),
            QStringLiteral("Wrong room code: look at the code on the screen."));
  EXPECT_EQ(wrong->body.find("Mai"), std::string::npos);
  EXPECT_EQ(wrong->body.find("token"), std::string::npos);
  // Even the right code waits now.
  const auto soon = client_->Post("/api/join", httplib::Params{{"name", "Eve"}, {"room", kRoom}});
  ASSERT_TRUE(soon);
  EXPECT_EQ(soon->status, 429);
  EXPECT_EQ(soon->get_header_value("Retry-After"), "1");
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  // A second wrong code doubles the wait.
  const auto again = client_->Post("/api/join", httplib::Params{{"name", "Eve"}, {"room", ""}});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 403);
  const auto locked = client_->Post("/api/join", httplib::Params{{"name", "Eve"}, {"room", kRoom}});
  EXPECT_EQ(locked->get_header_value("Retry-After"), "2");
  // Without a token nothing of the queue is told.
  for (const char* path : {"/api/state", "/api/search?q=love", "/api/events"}) {
    const auto refused = client_->Get(path);
    ASSERT_TRUE(refused) << path;
    EXPECT_EQ(refused->status, 401) << path;
    EXPECT_EQ(refused->body.find("Mai"), std::string::npos) << path;
  }
  const auto forged = Get(std::string(32, 'a'), "/api/state");
  EXPECT_EQ(forged->status, 401);
}

TEST_F(RequestServerTest, SearchFoldsMarksFindsNumbersAndPages) {
  const std::string token = JoinAs("Mai");
  struct Case {
    std::string query;
    int page;
    int total;
    std::vector<int> ids;
  };
  const std::vector<Case> cases = {
      {"hoa binh", 0, 1, {0}},
      {"HOA BINH", 0, 1, {0}},
      {"Hoà Bình", 0, 1, {0}},
      {"dem dong", 0, 1, {3}},
      {"000003", 0, 1, {2}},
      {"zzz", 0, 0, {}},
      {"love", 0, 45, {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}},
      {"love", 2, 45, {44, 45, 46, 47, 48}},
      {"love", 3, 45, {}},
  };
  for (const Case& c : cases) {
    const std::string path = "/api/search?q=" + httplib::detail::encode_query_param(c.query) +
                             "&page=" + std::to_string(c.page);
    const auto result = Get(token, path);
    ASSERT_TRUE(result) << c.query;
    ASSERT_EQ(result->status, 200) << c.query;
    const QJsonObject body = Body(result);
    EXPECT_EQ(body.value(QStringLiteral("total")).toInt(), c.total) << c.query;
    std::vector<int> ids;
    for (const auto& song : body.value(QStringLiteral("songs")).toArray())
      ids.push_back(song.toObject().value(QStringLiteral("id")).toInt());
    EXPECT_EQ(ids, c.ids) << c.query << " page " << c.page;
    // No path, folder or file name ever leaves.
    EXPECT_EQ(result->body.find("Karaoke"), std::string::npos);
    EXPECT_EQ(result->body.find(".kar"), std::string::npos);
  }
  // Markup in a title arrives escaped, whole.
  const auto markup = Get(token, "/api/search?q=script");
  ASSERT_TRUE(markup);
  EXPECT_EQ(markup->body.find('<'), std::string::npos);
  EXPECT_NE(markup->body.find(
                "\\u003cscript\\u003ealert(1)\\u003c/script\\u003e \\u0026 \\\"friends\\\""),
            std::string::npos);
  EXPECT_EQ(Body(markup)
                .value(QStringLiteral("songs"))
                .toArray()
                .at(0)
                .toObject()
                .value(QStringLiteral("title")),
            QStringLiteral("000002 - <script>alert(1)</script> & \"friends\""));
  for (const char* bad : {"/api/search?q=love&page=-1", "/api/search?q=love&page=x",
                          "/api/search?q=love&page=99999999"}) {
    EXPECT_EQ(Get(token, bad)->status, 400) << bad;
  }
}

TEST_F(RequestServerTest, SongsAreAddressedByRowIdOnly) {
  const std::string token = JoinAs("Mai");
  const auto good = Post(token, "/api/request", {{"id", "0"}});
  ASSERT_TRUE(good);
  EXPECT_EQ(good->status, 200);
  EXPECT_EQ(good->body.find("secret-folder"), std::string::npos);
  ASSERT_EQ(AskedCount(), 1u);
  EXPECT_EQ(asked_[0].path, QStringLiteral("/home/host/Karaoke/secret-folder/Hoà Bình.kar"));
  EXPECT_EQ(asked_[0].singer, QStringLiteral("Mai"));
  EXPECT_EQ(asked_[0].number, 1);
  EXPECT_GE(asked_[0].entry, RequestServer::kFirstEntryId);

  const std::vector<std::string> ids = {"../../etc/passwd",
                                        "/etc/passwd",
                                        "..%2f..%2fetc%2fpasswd",
                                        "%2e%2e/%2e%2e/etc/passwd",
                                        "....//....//etc/passwd",
                                        "..\\..\\windows\\win.ini",
                                        "C:\\Windows\\win.ini",
                                        "file:///etc/passwd",
                                        "~/.ssh/id_rsa",
                                        "/home/host/Karaoke/secret-folder/Yesterday.kar",
                                        "Yesterday.kar",
                                        "1/../2",
                                        "1;2",
                                        "1 ",
                                        " 1",
                                        "+1",
                                        "-1",
                                        "0x1",
                                        "1e3",
                                        "1.0",
                                        "",
                                        "53",
                                        "999999999",
                                        "9999999999999",
                                        "\xc0\xae\xc0\xae/etc/passwd",
                                        "1%00",
                                        "Yesterday"};
  for (const std::string& id : ids) {
    const auto result = Post(token, "/api/request", {{"id", id}, {"path", "/etc/passwd"}});
    ASSERT_TRUE(result) << id;
    EXPECT_EQ(result->status, 400) << id;
    EXPECT_EQ(Body(result).value(QStringLiteral("error")).toString(),
              QStringLiteral("There is no such song."))
        << id;
  }
  EXPECT_EQ(AskedCount(), 1u);

  // Only the built-in pages are served: no file behind any path.
  const std::vector<std::string> paths = {"/../../etc/passwd",
                                          "/%2e%2e/%2e%2e/etc/passwd",
                                          "/app.js/../../../etc/passwd",
                                          "/..%2f..%2fetc%2fpasswd",
                                          "/etc/passwd",
                                          "/index.html",
                                          "/app.css/..",
                                          "//etc/passwd",
                                          "/api/../../etc/passwd",
                                          "/%c0%ae%c0%ae/etc/passwd",
                                          "/.git/config"};
  for (const std::string& path : paths) {
    const std::string answer = Raw(server_.port(), "GET " + path +
                                                       " HTTP/1.1\r\nHost: x\r\n"
                                                       "Connection: close\r\n\r\n");
    EXPECT_TRUE(answer.rfind("HTTP/1.1 404", 0) == 0 || answer.rfind("HTTP/1.1 400", 0) == 0)
        << path << ": " << answer.substr(0, 40);
    EXPECT_EQ(answer.find("root:"), std::string::npos) << path;
  }
  for (const char* page : {"/", "/app.js", "/app.css"}) {
    const auto result = client_->Get(page);
    ASSERT_TRUE(result) << page;
    EXPECT_EQ(result->status, 200) << page;
    // Nothing is loaded from anywhere else.
    EXPECT_EQ(result->body.find("http://"), std::string::npos) << page;
    EXPECT_EQ(result->body.find("https://"), std::string::npos) << page;
    EXPECT_EQ(result->body.find("//cdn"), std::string::npos) << page;
  }
}

TEST_F(RequestServerTest, LimitsPerSingerPerPhoneAndInAll) {
  const std::string mai = JoinAs("Mai");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Post(mai, "/api/request", {{"id", std::to_string(i)}})->status, 200) << i;
  }
  const auto fourth = Post(mai, "/api/request", {{"id", "3"}});
  EXPECT_EQ(fourth->status, 429);
  EXPECT_EQ(Body(fourth).value(QStringLiteral("error")).toString(),
            QStringLiteral("You have 3 songs waiting: wait until one is sung."));
  // Seen in the published queue, they count the same.
  PublishAsked();
  EXPECT_EQ(Post(mai, "/api/request", {{"id", "3"}})->status, 429);
  // The same singer from a second phone shares the singer's count.
  const std::string maiToo = JoinAs("Mai");
  EXPECT_EQ(Post(maiToo, "/api/request", {{"id", "3"}})->status, 429);

  // The host raised the waiting songs: now the minute's ten requests are the limit.
  server_.SetLimits({10, 100, 500});
  for (int i = 3; i < 10; ++i) {
    EXPECT_EQ(Post(mai, "/api/request", {{"id", std::to_string(i)}})->status, 200) << i;
  }
  const auto eleventh = Post(mai, "/api/request", {{"id", "11"}});
  EXPECT_EQ(eleventh->status, 429);
  EXPECT_EQ(Body(eleventh).value(QStringLiteral("error")).toString(),
            QStringLiteral("Too many requests: wait a minute."));
  // Another phone has its own minute.
  EXPECT_EQ(Post(maiToo, "/api/request", {{"id", "11"}})->status, 200);

  // 500 waiting in all.
  RequestQueueView full;
  for (uint64_t i = 0; i < 500; ++i)
    full.entries.push_back({i + 1, QStringLiteral("S"), QStringLiteral("t"), false});
  server_.Publish(full);
  const std::string lan = JoinAs("Lan");
  const auto refused = Post(lan, "/api/request", {{"id", "1"}});
  EXPECT_EQ(refused->status, 503);
  EXPECT_EQ(Body(refused).value(QStringLiteral("error")).toString(),
            QStringLiteral("The queue is full."));
  // Requests off on the desktop.
  RequestQueueView closed;
  closed.accepting = false;
  server_.Publish(closed);
  EXPECT_EQ(Post(lan, "/api/request", {{"id", "1"}})->status, 409);
}

TEST_F(RequestServerTest, SingersCancelTheirOwnRequestsOnly) {
  const std::string mai = JoinAs("Mai");
  const std::string lan = JoinAs("Lan");
  const auto asked = Post(mai, "/api/request", {{"id", "2"}});
  const std::string entry = Body(asked).value(QStringLiteral("entry")).toString().toStdString();
  PublishAsked();
  const auto state = Get(mai, "/api/state");
  const QJsonArray mine = Body(state).value(QStringLiteral("mine")).toArray();
  ASSERT_EQ(mine.size(), 1);
  EXPECT_EQ(mine.at(0).toObject().value(QStringLiteral("position")).toInt(), 1);
  EXPECT_EQ(Body(Get(lan, "/api/state")).value(QStringLiteral("mine")).toArray().size(), 0);

  for (const std::string& other :
       {std::string("1"), entry + "0", std::string("../") + entry, std::string("")}) {
    EXPECT_EQ(Post(mai, "/api/cancel", {{"entry", other}})->status, 404) << other;
  }
  EXPECT_EQ(Post(lan, "/api/cancel", {{"entry", entry}})->status, 404);
  EXPECT_EQ(Post(mai, "/api/cancel", {{"entry", entry}})->status, 200);
  std::lock_guard lock(mutex_);
  ASSERT_EQ(cancelled_.size(), 1u);
  EXPECT_EQ(std::to_string(cancelled_[0]), entry);
}

TEST_F(RequestServerTest, MalformedAndOversizedRequestsAreRefused) {
  const std::string token = JoinAs("Mai");
  struct Case {
    const char* name;
    std::string bytes;
    const char* status;  // the answer's first line begins with it; empty: closed unanswered
  };
  const std::string big(5000, 'a');
  const std::vector<Case> cases = {
      {"not HTTP", "GARBAGE\r\n\r\n", "HTTP/1.1 400"},
      {"no version", "GET /\r\n\r\n", "HTTP/1.1 400"},
      {"binary", std::string("\x16\x03\x01\x00\xa5\x01\x00\x00", 8) + "\r\n\r\n", "HTTP/1.1 400"},
      {"body over 4 KB",
       "POST /api/join HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
       "Content-Length: 5000\r\nConnection: close\r\n\r\nname=" +
           big.substr(5),
       "HTTP/1.1 413"},
      {"announced huge body",
       "POST /api/request HTTP/1.1\r\nHost: x\r\nContent-Length: 99999999999\r\n"
       "Connection: close\r\n\r\nid=1",
       "HTTP/1.1 413"},
      {"bad length", "POST /api/join HTTP/1.1\r\nHost: x\r\nContent-Length: -5\r\n\r\n",
       "HTTP/1.1 400"},
      {"header line too long",
       "GET / HTTP/1.1\r\nHost: x\r\nX-Long: " + std::string(20000, 'b') + "\r\n\r\n", ""},
      {"URI too long", "GET /" + std::string(10000, 'c') + " HTTP/1.1\r\nHost: x\r\n\r\n",
       "HTTP/1.1 414"},
  };
  for (const Case& c : cases) {
    const std::string answer = Raw(server_.port(), c.bytes);
    // The library may also close such a connection without a word.
    if (*c.status == 0 || answer.empty()) {
      EXPECT_TRUE(answer.empty() || answer.rfind("HTTP/1.1 4", 0) == 0) << c.name;
    } else {
      EXPECT_EQ(answer.substr(0, 12), c.status) << c.name << ": " << answer.substr(0, 60);
    }
  }
  EXPECT_EQ(AskedCount(), 0u);
  // The server goes on answering.
  EXPECT_EQ(Get(token, "/api/search?q=love")->status, 200);
}

TEST_F(RequestServerTest, QueueChangesArePushedToThePage) {
  const std::string token = JoinAs("Mai");
  std::mutex seen;
  std::string stream;
  std::atomic<bool> done{false};
  httplib::Client events("127.0.0.1", server_.port());
  events.set_read_timeout(10, 0);
  std::thread reader([&] {
    events.Get(("/api/events?token=" + token).c_str(), [&](const char* data, size_t length) {
      std::lock_guard lock(seen);
      stream.append(data, length);
      return !done.load();
    });
  });
  auto waitFor = [&](const std::string& text) {
    for (int i = 0; i < 100; ++i) {
      {
        std::lock_guard lock(seen);
        if (stream.find(text) != std::string::npos) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  };
  EXPECT_TRUE(waitFor("\"mine\":[]"));
  Post(token, "/api/request", {{"id", "2"}});
  PublishAsked();
  EXPECT_TRUE(waitFor("\"position\":1"));
  RequestQueueView view;
  view.nowTitle = QStringLiteral("000003 - Yesterday");
  view.nowSinger = QStringLiteral("Lan");
  server_.Publish(view);
  EXPECT_TRUE(waitFor("\"singer\":\"Lan\""));
  done = true;
  server_.Publish(view);
  reader.join();
}

}  // namespace
}  // namespace lyrovox
