// The listeners, routing, storage, static files and request log of devserver.
#include "dev_server.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "common/md5.h"
#include "dev_ranges.h"

namespace devserver {

namespace fs = std::filesystem;

struct Server::Impl {
  std::unique_ptr<httplib::Server> http;
  std::unique_ptr<httplib::Server> https;
  std::thread httpThread, httpsThread;
  mutable std::mutex mutex;  // guards everything below
  std::map<std::string, std::vector<Reply>> replies;
  std::map<std::string, size_t> served;  // replies used per path
  std::vector<LoggedRequest> log;
  double clockOffset = 0;
  bool serveRanges = true;
  uint64_t nextSeq = 1;
  bool stopping = false;
  std::condition_variable stopped;  // wakes delays and stalls when the server stops
};

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// The raw value of `name` in an unescaped "a=1&b=2" text.
std::string RawParam(const std::string& text, const std::string& name) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('&', start);
    if (end == std::string::npos) end = text.size();
    const std::string pair = text.substr(start, end - start);
    if (pair.compare(0, name.size() + 1, name + "=") == 0) return pair.substr(name.size() + 1);
    start = end + 1;
  }
  return {};
}

// Splits the request target into proxied flag, path and raw query.
void ParseTarget(LoggedRequest* entry) {
  std::string rest = entry->target;
  for (const char* scheme : {"http://", "https://"}) {
    if (rest.rfind(scheme, 0) == 0) {
      entry->proxied = true;
      const size_t slash = rest.find('/', std::string(scheme).size());
      rest = slash == std::string::npos ? "/" : rest.substr(slash);
    }
  }
  const size_t question = rest.find('?');
  entry->path = rest.substr(0, question);
  entry->query = question == std::string::npos ? "" : rest.substr(question + 1);
  entry->r = RawParam(entry->query, "r");
}

std::string Base64(const std::string& bytes) {
  static const char kTable[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t n = (uint8_t)bytes[i] << 16;
    if (i + 1 < bytes.size()) n |= (uint8_t)bytes[i + 1] << 8;
    if (i + 2 < bytes.size()) n |= (uint8_t)bytes[i + 2];
    out += kTable[(n >> 18) & 63];
    out += kTable[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kTable[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kTable[n & 63] : '=';
  }
  return out;
}

// A storage key must stay inside the storage folder.
bool IsSafeKey(const std::string& key) {
  if (key.empty() || key.front() == '/') return false;
  for (const auto& part : fs::path(key)) {
    if (part == "..") return false;
  }
  return true;
}

// Waits ms milliseconds, or until the server stops (false then).
bool WaitUnlessStopped(Server::Impl* impl, int64_t ms) {
  std::unique_lock<std::mutex> lock(impl->mutex);
  return !impl->stopped.wait_for(lock, std::chrono::milliseconds(ms), [impl] { return impl->stopping; });
}

// How the bytes of a body are sent: all at once, cut short, stalled or trickled.
struct Pacing {
  int64_t cutAt = -1;
  int64_t stallAt = -1;
  int trickleMs = 0;
  size_t trickleBytes = 1;
};

// Reads up to size bytes of the whole body at offset; returns the count.
using BodyReader = std::function<size_t(uint64_t offset, char* buffer, size_t size)>;

// The answer to the request's Range for a body of size bytes with these
// validators; sets status and Content-Range. False when no body is to be sent.
bool ApplyRange(Server::Impl* impl, const httplib::Request& req, const std::string& etag,
                const std::string& lastModified, uint64_t size, httplib::Response& res, RangeAnswer* answer) {
  bool serve;
  {
    std::lock_guard<std::mutex> lock(impl->mutex);
    serve = impl->serveRanges;
  }
  *answer = AnswerRange(req.get_header_value("Range"), req.get_header_value("If-Range"), etag, lastModified,
                        size, serve);
  if (serve) res.set_header("Accept-Ranges", "bytes");
  if (!answer->contentRange.empty()) res.set_header("Content-Range", answer->contentRange);
  if (answer->status != 200) res.status = answer->status;
  return answer->status != 416;
}

// Sends length bytes of the body from offset, paced.
void SendBody(Server::Impl* impl, httplib::Response& res, const std::string& type, uint64_t offset,
              uint64_t length, BodyReader reader, Pacing pacing) {
  auto buffer = std::make_shared<std::vector<char>>(1 << 20);
  res.set_content_provider(static_cast<size_t>(length), type,
                           [=](size_t at, size_t left, httplib::DataSink& sink) {
                             const auto sent = static_cast<int64_t>(at);
                             if (pacing.cutAt >= 0 && sent >= pacing.cutAt)
                               return false;  // drops the connection
                             if (pacing.stallAt >= 0 && sent >= pacing.stallAt) {
                               WaitUnlessStopped(impl, 600000);
                               return false;
                             }
                             size_t want = std::min(left, buffer->size());
                             if (pacing.cutAt >= 0) want = std::min<size_t>(want, pacing.cutAt - sent);
                             if (pacing.stallAt >= 0) want = std::min<size_t>(want, pacing.stallAt - sent);
                             if (pacing.trickleMs > 0) {
                               if (!WaitUnlessStopped(impl, pacing.trickleMs)) return false;
                               want = std::min(want, pacing.trickleBytes);
                             }
                             const size_t got = reader(offset + at, buffer->data(), want);
                             return got > 0 && sink.write(buffer->data(), got);
                           });
}

// A file's validators: an ETag from its size and modification time, and its
// modification time as an HTTP date.
void FileValidators(const fs::path& file, uint64_t size, std::string* etag, std::string* lastModified) {
  std::error_code error;
  const auto written = fs::last_write_time(file, error);
  const auto since = std::chrono::file_clock::to_sys(written).time_since_epoch();
  const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
  char tag[64];
  std::snprintf(tag, sizeof(tag), "\"%llx-%llx\"", (unsigned long long)size, (unsigned long long)nanos);
  *etag = tag;
  *lastModified = HttpDate(std::chrono::duration_cast<std::chrono::seconds>(since).count());
}

void SendFile(Server::Impl* impl, const httplib::Request& req, const fs::path& file, const std::string& type,
              httplib::Response& res) {
  std::error_code error;
  const uintmax_t size = fs::file_size(file, error);
  auto stream = std::make_shared<std::ifstream>(file, std::ios::binary);
  if (error || !*stream) {
    res.status = 404;
    return;
  }
  std::string etag, lastModified;
  FileValidators(file, size, &etag, &lastModified);
  res.set_header("ETag", etag);
  res.set_header("Last-Modified", lastModified);
  RangeAnswer answer;
  if (!ApplyRange(impl, req, etag, lastModified, size, res, &answer)) return;
  const BodyReader reader = [stream](uint64_t offset, char* buffer, size_t size) {
    stream->seekg(static_cast<std::streamoff>(offset));
    stream->read(buffer, static_cast<std::streamsize>(size));
    return static_cast<size_t>(stream->gcount());
  };
  SendBody(impl, res, type, answer.offset, answer.length, reader, Pacing{});
}

}  // namespace

Server::Server(Options options) : m_options(std::move(options)), m_impl(std::make_unique<Impl>()) {
  m_impl->replies = DemoReplies();
  m_impl->clockOffset = m_options.clockOffset;
  m_impl->serveRanges = m_options.serveRanges;
  if (m_options.staticDir.empty()) m_options.staticDir = ORV_DEVSERVER_DEMO_DIR;
  if (m_options.storageDir.empty()) {
    m_ownsStorage = true;
    m_options.storageDir =
        (fs::temp_directory_path() / ("devserver-storage-" + std::to_string(std::random_device()())))
            .string();
  }
}

Server::~Server() {
  Stop();
  if (m_ownsStorage) {
    std::error_code ignored;
    fs::remove_all(m_options.storageDir, ignored);
  }
}

std::string Server::BaseUrl() const {
  return "http://" + m_options.host + ":" + std::to_string(m_port) + "/";
}

std::string Server::HttpsBaseUrl() const {
  return "https://" + m_options.host + ":" + std::to_string(m_httpsPort) + "/";
}

void Server::SetReplies(const std::string& path, std::vector<Reply> replies) {
  std::lock_guard<std::mutex> lock(m_impl->mutex);
  m_impl->replies[path] = std::move(replies);
  m_impl->served[path] = 0;
}

bool Server::LoadConfig(const std::string& jsonText, std::string* error) {
  std::map<std::string, std::vector<Reply>> replies;
  double offset = 0;
  bool hasOffset = false;
  if (!ParseRepliesConfig(jsonText, &replies, &offset, &hasOffset, error)) return false;
  if (hasOffset) SetClockOffset(offset);
  for (auto& [path, list] : replies) SetReplies(path, std::move(list));
  return true;
}

void Server::SetServeRanges(bool serve) {
  std::lock_guard<std::mutex> lock(m_impl->mutex);
  m_impl->serveRanges = serve;
}

void Server::SetClockOffset(double seconds) {
  std::lock_guard<std::mutex> lock(m_impl->mutex);
  m_impl->clockOffset = seconds;
}

std::vector<LoggedRequest> Server::Requests() const {
  std::lock_guard<std::mutex> lock(m_impl->mutex);
  return m_impl->log;
}

void Server::ClearRequests() {
  std::lock_guard<std::mutex> lock(m_impl->mutex);
  m_impl->log.clear();
}

namespace {

struct Context {
  Server::Impl* impl;
  const Options* options;
};

// The request as logged, without its body.
LoggedRequest Describe(const httplib::Request& req, bool tls) {
  LoggedRequest entry;
  entry.time = Now();
  entry.method = req.method;
  entry.target = req.target;
  for (const auto& [name, value] : req.headers) entry.headers.emplace(name, value);
  entry.tls = tls;
  ParseTarget(&entry);
  return entry;
}

void Record(const Context& context, LoggedRequest& entry) {
  std::lock_guard<std::mutex> lock(context.impl->mutex);
  entry.seq = context.impl->nextSeq++;
  context.impl->log.push_back(entry);
  if (!context.options->logFile.empty()) {
    std::ofstream out(context.options->logFile, std::ios::app);
    out << LogLine(entry) << '\n';
  }
}

// The scripted reply for path, advancing through its list; false when none.
bool NextReply(const Context& context, const std::string& path, Reply* reply) {
  std::lock_guard<std::mutex> lock(context.impl->mutex);
  const auto found = context.impl->replies.find(path);
  if (found == context.impl->replies.end() || found->second.empty()) return false;
  size_t& used = context.impl->served[path];
  *reply = found->second[std::min(used, found->second.size() - 1)];
  ++used;
  return true;
}

// A scripted reply; a plain one (neither chunked nor cut) honours ranges
// like a file, with the ETag and Last-Modified it is scripted with.
void SendReply(Server::Impl* impl, const httplib::Request& req, const Reply& reply, const std::string& base,
               const LoggedRequest& entry, httplib::Response& res) {
  std::string body = ReplaceAll(reply.body, "{base}", base);
  body = ReplaceAll(body, "{filepath}", RawParam(entry.body, "filepath"));
  res.status = reply.httpStatus;
  std::string etag, lastModified;
  for (const auto& [name, value] : reply.headers) {
    res.set_header(name.c_str(), ReplaceAll(value, "{base}", base));
    if (name == "ETag") etag = value;
    if (name == "Last-Modified") lastModified = value;
  }
  auto shared = std::make_shared<std::string>(std::move(body));
  if (reply.chunked) {
    res.set_chunked_content_provider(reply.contentType, [shared](size_t offset, httplib::DataSink& sink) {
      if (offset < shared->size())
        sink.write(shared->data() + offset, shared->size() - offset);
      else
        sink.done();
      return true;
    });
    return;
  }
  RangeAnswer answer{200, 0, shared->size(), ""};
  if (reply.httpStatus == 200 && !ApplyRange(impl, req, etag, lastModified, shared->size(), res, &answer))
    return;
  const Pacing pacing{reply.truncateTo, reply.stallAt, reply.trickleMs,
                      static_cast<size_t>(std::max(1, reply.trickleBytes))};
  const BodyReader reader = [shared](uint64_t offset, char* buffer, size_t size) {
    const size_t count = std::min<size_t>(size, shared->size() - std::min<size_t>(offset, shared->size()));
    std::memcpy(buffer, shared->data() + offset, count);
    return count;
  };
  if (answer.length == 0) {
    res.set_content("", reply.contentType.c_str());
    return;
  }
  SendBody(impl, res, reply.contentType, answer.offset, answer.length, reader, pacing);
}

bool ProxyAuthorised(const Context& context, const LoggedRequest& entry, httplib::Response& res) {
  if (!entry.proxied || context.options->proxyAuth.empty()) return true;
  const auto header = entry.headers.find("Proxy-Authorization");
  if (header != entry.headers.end() && header->second == "Basic " + Base64(context.options->proxyAuth)) {
    return true;
  }
  res.status = 407;
  res.set_header("Proxy-Authenticate", "Basic realm=\"devserver\"");
  res.set_content("proxy authentication required", "text/plain");
  return false;
}

void ServeMicrotime(const Context& context, httplib::Response& res) {
  double offset;
  {
    std::lock_guard<std::mutex> lock(context.impl->mutex);
    offset = context.impl->clockOffset;
  }
  char body[128];
  std::snprintf(body, sizeof(body), "{\"status\":200,\"message\":\"success\",\"time\":%.3f}", Now() + offset);
  res.set_content(body, "application/json; charset=utf-8");
}

// The file a storage key names; false when the key would leave the storage folder.
bool StorageFile(const Context& context, const std::string& key, fs::path* file) {
  if (!IsSafeKey(key)) return false;
  *file = fs::path(context.options->storageDir) / key;
  return true;
}

// Streams a PUT body into its storage file as it arrives, so that devserver
// holds no upload in memory.
void StoreBody(const Context& context, const std::string& key, const httplib::ContentReader& reader,
               LoggedRequest* entry, httplib::Response& res) {
  fs::path file;
  if (!StorageFile(context, key, &file)) {
    res.status = 400;
    reader([](const char*, size_t) { return true; });
    return;
  }
  std::error_code ignored;
  fs::create_directories(file.parent_path(), ignored);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  const bool read = reader([&](const char* data, size_t size) {
    out.write(data, static_cast<std::streamsize>(size));
    entry->bodySize += size;
    return true;
  });
  res.status = read && out.good() ? 200 : 500;
}

void ServeStorage(const Context& context, const httplib::Request& req, const std::string& key,
                  httplib::Response& res) {
  fs::path file;
  if (!StorageFile(context, key, &file)) {
    res.status = 400;
    return;
  }
  SendFile(context.impl, req, file, "application/octet-stream", res);
}

void ServeStatic(const Context& context, const httplib::Request& req, const std::string& name,
                 httplib::Response& res) {
  const fs::path file = fs::path(context.options->staticDir) / name;
  if (!IsSafeKey(name)) {
    res.status = 400;
    return;
  }
  const std::string md5Suffix = ".md5";
  // A checksum text that is not on disk is computed from its file, so it always matches.
  if (!fs::exists(file) && name.size() > md5Suffix.size() &&
      name.compare(name.size() - md5Suffix.size(), md5Suffix.size(), md5Suffix) == 0) {
    std::ifstream in(fs::path(context.options->staticDir) / name.substr(0, name.size() - 4),
                     std::ios::binary);
    if (in) {
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      res.set_content(Md5HexOf(bytes), "text/plain");
      return;
    }
  }
  SendFile(context.impl, req, file, "application/octet-stream", res);
}

// reader: the body of a PUT, not yet read (httplib has read every other body).
void Handle(const Context& context, const httplib::Request& req, const httplib::ContentReader* reader,
            httplib::Response& res, bool tls) {
  // devserver answers ranges itself; httplib would cut the body once more.
  const_cast<httplib::Request&>(req).ranges.clear();
  LoggedRequest entry = Describe(req, tls);
  const bool authorised = ProxyAuthorised(context, entry, res);
  const std::string path = entry.path.size() > 1 ? entry.path.substr(1) : "";
  const bool storage = path.rfind("storage/", 0) == 0;
  const std::string key = !entry.r.empty() ? entry.r : (storage ? "storage/" : path);
  Reply reply;
  const bool scripted = authorised && NextReply(context, key, &reply);
  const bool store =
      authorised && (!scripted || reply.storeFirst) && storage && req.method == "PUT" && reader != nullptr;
  // A reply that follows a store waits after it: the body is kept, the answer late.
  const bool waitFirst = scripted && !store;
  if (waitFirst && reply.delayMs > 0 && !WaitUnlessStopped(context.impl, reply.delayMs)) return;
  if (store) {
    StoreBody(context, path.substr(8), *reader, &entry, res);
  } else if (reader != nullptr) {
    (*reader)([&entry](const char* data, size_t size) {
      entry.body.append(data, size);
      return true;
    });
  } else {
    entry.body = req.body;
  }
  if (!store) entry.bodySize = entry.body.size();
  Record(context, entry);
  if (!authorised || (store && !scripted)) return;
  if (!waitFirst && reply.delayMs > 0 && !WaitUnlessStopped(context.impl, reply.delayMs)) return;
  const auto host = req.get_header_value("Host");
  const std::string base = std::string(tls ? "https://" : "http://") + host + "/";
  if (scripted) return SendReply(context.impl, req, reply, base, entry, res);
  if (path == "microtime/") return ServeMicrotime(context, res);
  if (storage) return ServeStorage(context, req, path.substr(8), res);
  if (path.rfind("files/", 0) == 0) return ServeStatic(context, req, path.substr(6), res);
  SendReply(context.impl, req, EnvelopeReply(404, "unknown endpoint", "null"), base, entry, res);
  res.status = 404;
}

void Route(httplib::Server* server, Context context, bool tls) {
  const auto handler = [context, tls](const httplib::Request& req, httplib::Response& res) {
    Handle(context, req, nullptr, res, tls);
  };
  server->Get(".*", handler);
  server->Post(".*", handler);
  // A PUT body is read by the handler: a storage upload goes to disk as it arrives.
  server->Put(".*", [context, tls](const httplib::Request& req, httplib::Response& res,
                                   const httplib::ContentReader& reader) {
    Handle(context, req, &reader, res, tls);
  });
  server->Delete(".*", handler);
  server->Options(".*", handler);
  server->Patch(".*", handler);
  // One request per connection: a client that pools its connections (WinHTTP
  // does) would otherwise hold a worker, and so Stop, for the keep-alive time.
  server->set_keep_alive_max_count(1);
}

// httplib ignores a stop() that comes before its accept loop runs, so Start
// returns only once the loop is up. httplib offers no signal for that.
bool WaitUntilRunning(const httplib::Server& server, std::string* error) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!server.is_running()) {
    if (std::chrono::steady_clock::now() > deadline) {
      *error = "listener did not start";
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace

bool Server::Start(std::string* error) {
  std::error_code ignored;
  fs::create_directories(m_options.storageDir, ignored);
  const Context context{m_impl.get(), &m_options};
  m_impl->http = std::make_unique<httplib::Server>();
  Route(m_impl->http.get(), context, false);
  m_port = m_options.port == 0
               ? m_impl->http->bind_to_any_port(m_options.host)
               : (m_impl->http->bind_to_port(m_options.host, m_options.port) ? m_options.port : -1);
  if (m_port <= 0) {
    *error = "cannot listen on " + m_options.host + ":" + std::to_string(m_options.port);
    return false;
  }
  m_impl->httpThread = std::thread([this] { m_impl->http->listen_after_bind(); });
  if (!WaitUntilRunning(*m_impl->http, error)) return false;
  if (!m_options.https) return true;
#ifdef CPPHTTPLIB_OPENSSL_SUPPORT
  auto https = std::make_unique<httplib::SSLServer>(m_options.certFile.c_str(), m_options.keyFile.c_str());
  if (!https->is_valid()) {
    *error = "cannot load certificate " + m_options.certFile + " / key " + m_options.keyFile;
    return false;
  }
  m_impl->https = std::move(https);
#else
  *error = "this devserver was built without TLS support";
  return false;
#endif
  Route(m_impl->https.get(), context, true);
  m_httpsPort =
      m_options.httpsPort == 0
          ? m_impl->https->bind_to_any_port(m_options.host)
          : (m_impl->https->bind_to_port(m_options.host, m_options.httpsPort) ? m_options.httpsPort : -1);
  if (m_httpsPort <= 0) {
    *error = "cannot listen for https on " + m_options.host;
    return false;
  }
  m_impl->httpsThread = std::thread([this] { m_impl->https->listen_after_bind(); });
  return WaitUntilRunning(*m_impl->https, error);
}

bool SupportsHttps() {
#ifdef CPPHTTPLIB_OPENSSL_SUPPORT
  return true;
#else
  return false;
#endif
}

void Server::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->stopping = true;
  }
  m_impl->stopped.notify_all();
  if (m_impl->http) m_impl->http->stop();
  if (m_impl->https) m_impl->https->stop();
  if (m_impl->httpThread.joinable()) m_impl->httpThread.join();
  if (m_impl->httpsThread.joinable()) m_impl->httpsThread.join();
}

}  // namespace devserver
