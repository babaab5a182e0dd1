#include "requests/request_server.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <optional>
#include <random>

#include "requests/rotation.h"

namespace lyrovox {

namespace {

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// JSON with <, > and & as escapes, so that no text can ever read as markup.
std::string Json(const QJsonObject& object) {
  const QByteArray compact = QJsonDocument(object).toJson(QJsonDocument::Compact);
  std::string out;
  out.reserve(static_cast<size_t>(compact.size()) + 16);
  for (char c : compact) {
    switch (c) {
      case '<':
        out += "\\u003c";
        break;
      case '>':
        out += "\\u003e";
        break;
      case '&':
        out += "\\u0026";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void Answer(httplib::Response& res, int status, const QJsonObject& body) {
  res.status = status;
  res.set_content(Json(body), "application/json; charset=utf-8");
}

void Refuse(httplib::Response& res, int status, const QString& message) {
  Answer(res, status, QJsonObject{{QStringLiteral("error"), message}});
}

QString Param(const httplib::Request& req, const char* key) {
  return req.has_param(key) ? QString::fromStdString(req.get_param_value(key)) : QString();
}

// A whole decimal number of at most 9 digits, nothing else; -1 otherwise.
int64_t DecimalId(const std::string& text, size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return -1;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string NewToken() {
  thread_local std::random_device device;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string token;
  for (int i = 0; i < 8; ++i) {
    const uint32_t r = device();
    for (int j = 0; j < 4; ++j)
      token += kHex[(r >> (j * 8)) & 0xF];
  }
  return token;
}

// The number a title begins with ("000123 - ..."), or 0.
int TitleNumber(const QString& title) {
  if (title.size() < 9 || title.mid(6, 3) != QStringLiteral(" - ")) return 0;
  bool ok = false;
  const int n = title.left(6).toInt(&ok);
  return ok ? n : 0;
}

constexpr int kMaxPhones = 2000;
constexpr int kMaxStreams = 96;
constexpr int kMaxStreamsPerPhone = 3;
constexpr int kJoinsPerMinute = 60;
constexpr int kMaxQuery = 100;

}  // namespace

void RequestCatalog::Index() {
  index.Clear();
  for (const QString& title : titles) {
    index.Append(std::u16string_view(reinterpret_cast<const char16_t*>(title.utf16()),
                                     static_cast<size_t>(title.size())));
  }
}

RequestServer::RequestServer() = default;

RequestServer::~RequestServer() {
  Stop();
}

QString RequestServer::CleanName(const QString& name) {
  const QString trimmed = name.trimmed();
  if (trimmed.isEmpty()) return {};
  int characters = 0;
  for (auto it = trimmed.begin(); it != trimmed.end(); ++it) {
    char32_t c = it->unicode();
    if (it->isHighSurrogate() && it + 1 != trimmed.end() && (it + 1)->isLowSurrogate()) {
      c = QChar::surrogateToUcs4(*it, *(it + 1));
      ++it;
    } else if (it->isSurrogate()) {
      return {};
    }
    const QChar::Category category = QChar::category(c);
    if (category == QChar::Other_Control || category == QChar::Other_Format ||
        category == QChar::Separator_Line || category == QChar::Separator_Paragraph ||
        category == QChar::Other_NotAssigned || category == QChar::Other_PrivateUse) {
      return {};
    }
    ++characters;
  }
  if (characters > kMaxNameLength) return {};
  if (trimmed.compare(QString::fromLatin1(kHostSinger), Qt::CaseInsensitive) == 0) return {};
  return trimmed;
}

bool RequestServer::Start(const Options& options, Hooks hooks) {
  Stop();
  error_.clear();
  hooks_ = std::move(hooks);
  roomCode_ = options.roomCode;
  {
    std::lock_guard lock(mutex_);
    limits_ = options.limits;
    stopping_ = false;
    phones_.clear();
    addresses_.clear();
    pending_.clear();
    streams_ = 0;
  }
  http_ = std::make_unique<httplib::Server>();
  http_->new_task_queue = [] { return new httplib::ThreadPool(128); };
  http_->set_payload_max_length(kMaxBody);
  http_->set_read_timeout(5, 0);
  http_->set_write_timeout(5, 0);
  http_->set_keep_alive_timeout(5);
  http_->set_keep_alive_max_count(100);
  Route();
  const bool bound = options.port == 0 ? (port_ = http_->bind_to_any_port(options.host)) > 0
                                       : http_->bind_to_port(options.host, options.port);
  if (!bound) {
    error_ = QStringLiteral(
                 "Can't take requests on port %1: the port is in use or the address "
                 "is not this computer's.")
                 .arg(options.port);
    http_.reset();
    return false;
  }
  if (options.port != 0) port_ = options.port;
  running_ = true;
  thread_ = std::thread([this] { http_->listen_after_bind(); });
  return true;
}

void RequestServer::Stop() {
  if (!http_) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  http_->stop();
  if (thread_.joinable()) thread_.join();
  http_.reset();
  running_ = false;
}

void RequestServer::SetCatalog(std::shared_ptr<const RequestCatalog> catalog) {
  std::lock_guard lock(mutex_);
  catalog_ = std::move(catalog);
}

void RequestServer::Publish(RequestQueueView view) {
  {
    std::lock_guard lock(mutex_);
    view_ = std::make_shared<const RequestQueueView>(std::move(view));
    pending_.clear();
    // Forget the phones' entries that are gone.
    std::set<uint64_t> waiting;
    for (const auto& entry : view_->entries)
      waiting.insert(entry.id);
    for (auto& [token, phone] : phones_) {
      std::erase_if(phone.entries, [&](uint64_t id) { return waiting.count(id) == 0; });
    }
    ++version_;
  }
  changed_.notify_all();
}

void RequestServer::SetLimits(const RequestLimits& limits) {
  std::lock_guard lock(mutex_);
  limits_ = limits;
}

void RequestServer::Route() {
  httplib::Headers headers = {
      {"X-Content-Type-Options", "nosniff"},
      {"Cache-Control", "no-store"},
      {"Referrer-Policy", "no-referrer"},
      {"X-Frame-Options", "DENY"},
      {"Content-Security-Policy",
       "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; "
       "img-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'"},
  };
  http_->set_default_headers(headers);
  for (const RequestAsset& asset : RequestAssets()) {
    http_->Get(asset.path, [asset](const httplib::Request&, httplib::Response& res) {
      res.set_content(asset.body, asset.contentType);
    });
  }
  http_->Post("/api/join", [this](const auto& req, auto& res) { Join(req, res); });
  http_->Get("/api/search", [this](const auto& req, auto& res) { Search(req, res); });
  http_->Post("/api/request", [this](const auto& req, auto& res) { Request(req, res); });
  http_->Post("/api/cancel", [this](const auto& req, auto& res) { Cancel(req, res); });
  http_->Get("/api/state", [this](const auto& req, auto& res) { State(req, res); });
  http_->Get("/api/events", [this](const auto& req, auto& res) { Events(req, res); });
  http_->set_error_handler(
      httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
        // Refusals of our own keep their words; the library's own get a JSON body too.
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        const int status = res.status;
        QString text = QStringLiteral("Not found.");
        if (status == 413) text = QStringLiteral("The request is too large.");
        if (status == 400) text = QStringLiteral("The request is not understood.");
        if (status != 404 && status != 413 && status != 400) {
          text = QStringLiteral("The request could not be answered.");
        }
        Refuse(res, status, text);
        return httplib::Server::HandlerResponse::Handled;
      }));
  http_->set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        Refuse(res, 500, QStringLiteral("The request could not be answered."));
      });
}

std::string RequestServer::Authorise(const httplib::Request& req, httplib::Response& res) {
  std::string token = req.get_header_value("X-Lyrovox-Token");
  if (token.empty() && req.has_param("token")) token = req.get_param_value("token");
  std::lock_guard lock(mutex_);
  if (token.size() != 32 || phones_.count(token) == 0) {
    Refuse(res, 401, QStringLiteral("Please join again with the room code on the screen."));
    return {};
  }
  return token;
}

void RequestServer::Join(const httplib::Request& req, httplib::Response& res) {
  const QString code = Param(req, "room");
  const QString name = CleanName(Param(req, "name"));
  const int64_t now = NowMs();
  std::lock_guard lock(mutex_);
  Address& address = addresses_[req.remote_addr];
  if (address.lockedUntil > now) {
    const int64_t seconds = (address.lockedUntil - now + 999) / 1000;
    res.set_header("Retry-After", std::to_string(seconds));
    Refuse(res, 429, QStringLiteral("Too many wrong room codes: try again in %1 s.").arg(seconds));
    return;
  }
  std::erase_if(address.joins, [&](int64_t t) { return t <= now - 60000; });
  if (static_cast<int>(address.joins.size()) >= kJoinsPerMinute) {
    Refuse(res, 429, QStringLiteral("Too many tries: wait a minute."));
    return;
  }
  address.joins.push_back(now);
  if (code.isEmpty() || code != roomCode_) {
    // Each wrong code doubles the wait before the next try: 1 s, 2 s, 4 s ... up to a minute.
    address.failures = std::min(address.failures + 1, 7);
    address.lockedUntil = now + std::min<int64_t>(int64_t{1000} << (address.failures - 1), 60000);
    Refuse(res, 403, QStringLiteral("Wrong room code: look at the code on the screen."));
    return;
  }
  address.failures = 0;
  if (name.isEmpty()) {
    Refuse(res, 400,
           QStringLiteral("Please give a name of 1 to %1 letters (not \"Host\").")
               .arg(kMaxNameLength));
    return;
  }
  if (static_cast<int>(phones_.size()) >= kMaxPhones) {
    // Make room: phones with nothing waiting go first.
    for (auto it = phones_.begin(); it != phones_.end();) {
      it =
          it->second.entries.empty() && it->second.streams == 0 ? phones_.erase(it) : std::next(it);
    }
    if (static_cast<int>(phones_.size()) >= kMaxPhones) {
      Refuse(res, 503, QStringLiteral("Too many phones have joined."));
      return;
    }
  }
  const std::string token = NewToken();
  Phone& phone = phones_[token];
  phone.name = name;
  phone.address = req.remote_addr;
  Answer(res, 200,
         QJsonObject{{QStringLiteral("token"), QString::fromStdString(token)},
                     {QStringLiteral("name"), name}});
}

void RequestServer::Search(const httplib::Request& req, httplib::Response& res) {
  if (Authorise(req, res).empty()) return;
  const QString query = Param(req, "q").trimmed();
  const int64_t page = req.has_param("page") ? DecimalId(req.get_param_value("page"), 6) : 0;
  if (query.size() > kMaxQuery || page < 0) {
    Refuse(res, 400, QStringLiteral("The search is not understood."));
    return;
  }
  std::shared_ptr<const RequestCatalog> catalog;
  {
    std::lock_guard lock(mutex_);
    catalog = catalog_;
  }
  QJsonArray songs;
  size_t total = 0;
  if (catalog && !query.isEmpty()) {
    const std::vector<int> rows = catalog->index.Find(std::u16string_view(
        reinterpret_cast<const char16_t*>(query.utf16()), static_cast<size_t>(query.size())));
    total = rows.size();
    const size_t first = static_cast<size_t>(page) * kPageSize;
    for (size_t i = first; i < rows.size() && i < first + kPageSize; ++i) {
      const int row = rows[i];
      const QString& title = catalog->titles[static_cast<size_t>(row)];
      songs.append(QJsonObject{{QStringLiteral("id"), row},
                               {QStringLiteral("number"), TitleNumber(title)},
                               {QStringLiteral("title"), title}});
    }
  }
  Answer(res, 200,
         QJsonObject{{QStringLiteral("total"), static_cast<qint64>(total)},
                     {QStringLiteral("page"), static_cast<qint64>(page)},
                     {QStringLiteral("pageSize"), kPageSize},
                     {QStringLiteral("songs"), songs}});
}

void RequestServer::Request(const httplib::Request& req, httplib::Response& res) {
  const std::string token = Authorise(req, res);
  if (token.empty()) return;
  const int64_t row = DecimalId(req.has_param("id") ? req.get_param_value("id") : std::string(), 9);
  const int64_t now = NowMs();
  uint64_t entry = 0;
  QString singer;
  QString path;
  QString title;
  {
    std::lock_guard lock(mutex_);
    Phone& phone = phones_.at(token);
    if (!catalog_ || row < 0 || row >= static_cast<int64_t>(catalog_->titles.size())) {
      Refuse(res, 400, QStringLiteral("There is no such song."));
      return;
    }
    if (!view_->accepting) {
      Refuse(res, 409, QStringLiteral("The host is not taking requests right now."));
      return;
    }
    std::erase_if(phone.requestTimes, [&](int64_t t) { return t <= now - 60000; });
    if (static_cast<int>(phone.requestTimes.size()) >= limits_.perMinute) {
      Refuse(res, 429, QStringLiteral("Too many requests: wait a minute."));
      return;
    }
    int mine = 0;
    for (const auto& e : view_->entries)
      mine += e.singer == phone.name ? 1 : 0;
    for (const auto& [id, name] : pending_)
      mine += name == phone.name ? 1 : 0;
    if (mine >= limits_.perSinger) {
      Refuse(res, 429,
             QStringLiteral("You have %1 songs waiting: wait until one is sung.").arg(mine));
      return;
    }
    if (static_cast<int>(view_->entries.size() + pending_.size()) >= limits_.total) {
      Refuse(res, 503, QStringLiteral("The queue is full."));
      return;
    }
    phone.requestTimes.push_back(now);
    entry = nextEntry_++;
    phone.entries.insert(entry);
    pending_[entry] = phone.name;
    singer = phone.name;
    path = catalog_->paths[static_cast<size_t>(row)];
    title = catalog_->titles[static_cast<size_t>(row)];
  }
  if (hooks_.request) hooks_.request(entry, singer, path, title, TitleNumber(title));
  Answer(res, 200,
         QJsonObject{{QStringLiteral("entry"), QString::number(entry)},
                     {QStringLiteral("title"), title}});
}

void RequestServer::Cancel(const httplib::Request& req, httplib::Response& res) {
  const std::string token = Authorise(req, res);
  if (token.empty()) return;
  const std::string text = req.has_param("entry") ? req.get_param_value("entry") : std::string();
  const int64_t parsed = DecimalId(text, 18);
  const uint64_t entry = parsed < 0 ? 0 : static_cast<uint64_t>(parsed);
  {
    std::lock_guard lock(mutex_);
    const Phone& phone = phones_.at(token);
    if (entry == 0 || phone.entries.count(entry) == 0) {
      Refuse(res, 404, QStringLiteral("That request is not yours or no longer waiting."));
      return;
    }
  }
  if (hooks_.cancel) hooks_.cancel(entry);
  Answer(res, 200, QJsonObject{{QStringLiteral("cancelled"), QString::number(entry)}});
}

RequestServer::PhoneState RequestServer::TakeState(const std::string& token) const {
  PhoneState state;
  state.view = view_;
  state.version = version_;
  const auto phone = phones_.find(token);
  if (phone == phones_.end()) return state;
  state.mine = phone->second.entries;
  state.name = phone->second.name;
  for (const auto& [id, name] : pending_) {
    if (state.mine.count(id) != 0) state.pendingMine.push_back(id);
  }
  return state;
}

std::string RequestServer::StateJson(const PhoneState& phone) {
  const RequestQueueView& view = *phone.view;
  QJsonObject state;
  state.insert(QStringLiteral("version"), static_cast<qint64>(phone.version));
  state.insert(QStringLiteral("accepting"), view.accepting);
  if (!view.nowTitle.isEmpty()) {
    state.insert(QStringLiteral("now"), QJsonObject{{QStringLiteral("title"), view.nowTitle},
                                                    {QStringLiteral("singer"), view.nowSinger}});
  }
  QJsonArray next;
  QJsonArray mine;
  int64_t wait = view.nowTitle.isEmpty() ? 0 : std::max<int64_t>(view.nowRemainingMs, 0);
  int position = 0;
  for (const auto& e : view.entries) {
    ++position;
    if (position <= 5) {
      next.append(QJsonObject{{QStringLiteral("title"), e.title},
                              {QStringLiteral("singer"), e.singer},
                              {QStringLiteral("paused"), e.paused}});
    }
    if (phone.mine.count(e.id) != 0) {
      mine.append(QJsonObject{{QStringLiteral("entry"), QString::number(e.id)},
                              {QStringLiteral("title"), e.title},
                              {QStringLiteral("position"), position},
                              {QStringLiteral("paused"), e.paused},
                              {QStringLiteral("waitMinutes"), static_cast<qint64>(wait / 60000)}});
    }
    wait += kSongEstimateMs;
  }
  // Accepted, not yet in the published queue.
  for (uint64_t id : phone.pendingMine) {
    mine.append(QJsonObject{{QStringLiteral("entry"), QString::number(id)},
                            {QStringLiteral("title"), QString()},
                            {QStringLiteral("position"), 0}});
  }
  state.insert(QStringLiteral("next"), next);
  state.insert(QStringLiteral("waiting"), static_cast<int>(view.entries.size()));
  state.insert(QStringLiteral("mine"), mine);
  if (!phone.name.isEmpty()) state.insert(QStringLiteral("name"), phone.name);
  return Json(state);
}

void RequestServer::State(const httplib::Request& req, httplib::Response& res) {
  const std::string token = Authorise(req, res);
  if (token.empty()) return;
  PhoneState state;
  {
    std::lock_guard lock(mutex_);
    state = TakeState(token);
  }
  res.set_content(StateJson(state), "application/json; charset=utf-8");
}

void RequestServer::Events(const httplib::Request& req, httplib::Response& res) {
  const std::string token = Authorise(req, res);
  if (token.empty()) return;
  {
    std::lock_guard lock(mutex_);
    Phone& phone = phones_.at(token);
    if (streams_ >= kMaxStreams || phone.streams >= kMaxStreamsPerPhone) {
      // The page then asks every 10 s instead.
      Refuse(res, 503, QStringLiteral("Too many pages are open."));
      return;
    }
    ++streams_;
    ++phone.streams;
  }
  res.set_header("X-Accel-Buffering", "no");
  auto sent = std::make_shared<uint64_t>(0);
  res.set_chunked_content_provider(
      "text/event-stream",
      [this, token, sent](size_t, httplib::DataSink& sink) {
        std::string chunk;
        std::optional<PhoneState> state;
        {
          std::unique_lock lock(mutex_);
          if (*sent == 0) {
            chunk = "retry: 10000\n\n";
          } else {
            changed_.wait_for(lock, std::chrono::seconds(15),
                              [&] { return stopping_ || version_ != *sent; });
          }
          if (stopping_) return false;
          if (version_ != *sent) {
            *sent = version_;
            state = TakeState(token);
          }
        }
        chunk += state ? "data: " + StateJson(*state) + "\n\n" : std::string(": still here\n\n");
        return sink.write(chunk.data(), chunk.size());
      },
      [this, token](bool) {
        std::lock_guard lock(mutex_);
        --streams_;
        const auto phone = phones_.find(token);
        if (phone != phones_.end()) --phone->second.streams;
      });
}

}  // namespace lyrovox
