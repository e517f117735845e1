// The listeners, routing, storage, static files and request log of devserver.
#include "dev_server.h"

#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "common/md5.h"

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
  uint64_t nextSeq = 1;
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

void SendFile(const fs::path& file, const std::string& type, httplib::Response& res) {
  std::error_code error;
  const uintmax_t size = fs::file_size(file, error);
  if (error) {
    res.status = 404;
    return;
  }
  auto stream = std::make_shared<std::ifstream>(file, std::ios::binary);
  res.set_content_provider(static_cast<size_t>(size), type,
                           [stream](size_t offset, size_t length, httplib::DataSink& sink) {
                             static thread_local std::vector<char> chunk(1 << 20);
                             stream->seekg(static_cast<std::streamoff>(offset));
                             const size_t want = std::min(length, chunk.size());
                             stream->read(chunk.data(), static_cast<std::streamsize>(want));
                             const auto got = static_cast<size_t>(stream->gcount());
                             return got > 0 && sink.write(chunk.data(), got);
                           });
}

}  // namespace

Server::Server(Options options) : m_options(std::move(options)), m_impl(std::make_unique<Impl>()) {
  m_impl->replies = DemoReplies();
  m_impl->clockOffset = m_options.clockOffset;
  if (m_options.staticDir.empty()) m_options.staticDir = ORV_DEVSERVER_DEMO_DIR;
  if (m_options.storageDir.empty()) {
    m_ownsStorage = true;
    m_options.storageDir =
        (fs::temp_directory_path() / ("devserver-storage-" + std::to_string(std::random_device()()))).string();
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

LoggedRequest Record(const Context& context, const httplib::Request& req, bool tls) {
  LoggedRequest entry;
  entry.time = Now();
  entry.method = req.method;
  entry.target = req.target;
  for (const auto& [name, value] : req.headers) entry.headers.emplace(name, value);
  entry.body = req.body;
  entry.tls = tls;
  ParseTarget(&entry);
  std::lock_guard<std::mutex> lock(context.impl->mutex);
  entry.seq = context.impl->nextSeq++;
  context.impl->log.push_back(entry);
  if (!context.options->logFile.empty()) {
    std::ofstream out(context.options->logFile, std::ios::app);
    out << LogLine(entry) << '\n';
  }
  return entry;
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

void SendReply(const Reply& reply, const std::string& base, const LoggedRequest& entry,
               httplib::Response& res) {
  if (reply.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
  std::string body = ReplaceAll(reply.body, "{base}", base);
  body = ReplaceAll(body, "{filepath}", RawParam(entry.body, "filepath"));
  res.status = reply.httpStatus;
  for (const auto& [name, value] : reply.headers) res.set_header(name.c_str(), ReplaceAll(value, "{base}", base));
  if (reply.chunked) {
    auto shared = std::make_shared<std::string>(body);
    res.set_chunked_content_provider(reply.contentType, [shared](size_t offset, httplib::DataSink& sink) {
      if (offset < shared->size()) sink.write(shared->data() + offset, shared->size() - offset);
      else sink.done();
      return true;
    });
  } else if (reply.truncateTo >= 0) {
    auto shared = std::make_shared<std::string>(body);
    const size_t cut = std::min<size_t>(reply.truncateTo, body.size());
    res.set_content_provider(body.size(), reply.contentType,
                             [shared, cut](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset >= cut) return false;  // drop the connection
                               return sink.write(shared->data() + offset, cut - offset);
                             });
  } else {
    res.set_content(body, reply.contentType.c_str());
  }
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
  std::snprintf(body, sizeof(body), "{\"status\":200,\"message\":\"success\",\"time\":%.3f}",
                Now() + offset);
  res.set_content(body, "application/json; charset=utf-8");
}

void ServeStorage(const Context& context, const httplib::Request& req, const std::string& key,
                  httplib::Response& res) {
  const fs::path file = fs::path(context.options->storageDir) / key;
  if (!IsSafeKey(key)) {
    res.status = 400;
    return;
  }
  if (req.method == "PUT") {
    std::error_code ignored;
    fs::create_directories(file.parent_path(), ignored);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(req.body.data(), static_cast<std::streamsize>(req.body.size()));
    res.status = out.good() ? 200 : 500;
    return;
  }
  SendFile(file, "application/octet-stream", res);
}

void ServeStatic(const Context& context, const std::string& name, httplib::Response& res) {
  const fs::path file = fs::path(context.options->staticDir) / name;
  if (!IsSafeKey(name)) {
    res.status = 400;
    return;
  }
  const std::string md5Suffix = ".md5";
  // A checksum text that is not on disk is computed from its file, so it always matches.
  if (!fs::exists(file) && name.size() > md5Suffix.size() &&
      name.compare(name.size() - md5Suffix.size(), md5Suffix.size(), md5Suffix) == 0) {
    std::ifstream in(fs::path(context.options->staticDir) / name.substr(0, name.size() - 4), std::ios::binary);
    if (in) {
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      res.set_content(Md5HexOf(bytes), "text/plain");
      return;
    }
  }
  SendFile(file, "application/octet-stream", res);
}

void Handle(const Context& context, const httplib::Request& req, httplib::Response& res, bool tls) {
  const LoggedRequest entry = Record(context, req, tls);
  if (!ProxyAuthorised(context, entry, res)) return;
  const auto host = req.get_header_value("Host");
  const std::string base = std::string(tls ? "https://" : "http://") + host + "/";
  const std::string path = entry.path.size() > 1 ? entry.path.substr(1) : "";
  Reply reply;
  const std::string key = !entry.r.empty() ? entry.r : (path.rfind("storage/", 0) == 0 ? "storage/" : path);
  if (NextReply(context, key, &reply)) return SendReply(reply, base, entry, res);
  if (path == "microtime/") return ServeMicrotime(context, res);
  if (path.rfind("storage/", 0) == 0) return ServeStorage(context, req, path.substr(8), res);
  if (path.rfind("files/", 0) == 0) return ServeStatic(context, path.substr(6), res);
  SendReply(EnvelopeReply(404, "unknown endpoint", "null"), base, entry, res);
  res.status = 404;
}

void Route(httplib::Server* server, Context context, bool tls) {
  const auto handler = [context, tls](const httplib::Request& req, httplib::Response& res) {
    Handle(context, req, res, tls);
  };
  server->Get(".*", handler);
  server->Post(".*", handler);
  server->Put(".*", handler);
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
  m_port = m_options.port == 0 ? m_impl->http->bind_to_any_port(m_options.host)
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
  m_httpsPort = m_options.httpsPort == 0
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
  if (m_impl->http) m_impl->http->stop();
  if (m_impl->https) m_impl->https->stop();
  if (m_impl->httpThread.joinable()) m_impl->httpThread.join();
  if (m_impl->httpsThread.joinable()) m_impl->httpsThread.join();
}

}  // namespace devserver
