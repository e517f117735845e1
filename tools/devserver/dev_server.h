// devserver: a loopback stand-in for the product's API server, its storage
// server and its download host, for tests and demos.
//
// Every request is answered from a reply table keyed by endpoint path (the
// "r" parameter of "/?r=...", or "microtime/", "storage/", "files/") and
// recorded in a request log. It also accepts requests in proxy form
// ("GET http://host/..."), so it can stand in for a test proxy.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace devserver {

// One scripted answer.
struct Reply {
  int httpStatus = 200;
  std::string body;  // "{base}" is replaced by "http(s)://<Host>/" of the request
  std::string contentType = "application/json; charset=utf-8";
  std::vector<std::pair<std::string, std::string>> headers;
  int delayMs = 0;          // wait before answering (and, for a PUT, before reading its body)
  bool storeFirst = false;  // a PUT to storage is stored as if unscripted; reply and delay follow
  bool chunked = false;     // send without Content-Length
  int64_t truncateTo = -1;  // declare the full length but close after this many bytes
  int64_t stallAt = -1;     // send this many body bytes, then nothing until the server stops
  int trickleMs = 0;        // send the body in pieces of trickleBytes, one every trickleMs
  int trickleBytes = 1;
};

// A reply with the envelope {"status":..,"message":..,"recordset":..};
// recordsetJson is JSON text ("null", "{...}", "\"no\"").
Reply EnvelopeReply(int status, const std::string& message, const std::string& recordsetJson);

// One received request, as logged.
struct LoggedRequest {
  uint64_t seq = 0;
  double time = 0;  // server clock (unadjusted), seconds since 1970
  std::string method;
  std::string target;  // as sent on the request line
  std::string path;    // without scheme and host
  std::string query;   // raw text after "?"
  std::string r;       // the "r" parameter, raw
  std::multimap<std::string, std::string> headers;
  std::string body;  // not kept for a PUT to storage: its bytes go to the stored file
  uint64_t bodySize = 0;
  bool proxied = false;  // came in proxy form
  bool tls = false;
};

struct Options {
  std::string host = "127.0.0.1";
  int port = 0;  // 0 picks a free port
  bool https = false;
  int httpsPort = 0;
  std::string certFile, keyFile;
  std::string staticDir;   // served under "files/"; demo folder when empty
  std::string storageDir;  // PUT "storage/<key>" lands here; a temp folder (removed at the end) when empty
  std::string logFile;     // JSON lines; none when empty
  double clockOffset = 0;  // seconds added to the clock "microtime/" reports
  std::string proxyAuth;   // "user:password" demanded of proxy-form requests
  // Answer "Range" requests for files and scripted replies with 206 (or 416);
  // false sends the whole body every time, as servers without ranges do.
  bool serveRanges = true;
};

class Server {
 public:
  explicit Server(Options options);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds and starts serving on background threads; false with *error set
  // when a listener cannot be started.
  bool Start(std::string* error);
  void Stop();
  int Port() const { return m_port; }
  int HttpsPort() const { return m_httpsPort; }
  std::string BaseUrl() const;       // "http://127.0.0.1:<port>/"
  std::string HttpsBaseUrl() const;  // "https://127.0.0.1:<port>/"
  const std::string& StorageDir() const { return m_options.storageDir; }

  // Scripts the answers for an endpoint path: given in order, the last repeats.
  void SetReplies(const std::string& path, std::vector<Reply> replies);
  void SetReply(const std::string& path, Reply reply) { SetReplies(path, {std::move(reply)}); }
  // Loads {"clock_offset": n, "replies": {path: reply or [replies]}}; a reply
  // object holds "http_status", "body", "content_type", "headers",
  // "delay_ms", "store_first", "chunked", "truncate_to", "stall_at",
  // "trickle_ms", "trickle_bytes", and otherwise its remaining members
  // are sent as the JSON body.
  bool LoadConfig(const std::string& jsonText, std::string* error);
  void SetClockOffset(double seconds);
  void SetServeRanges(bool serve);

  std::vector<LoggedRequest> Requests() const;
  void ClearRequests();

  struct Impl;

 private:
  Options m_options;
  int m_port = 0;
  int m_httpsPort = 0;
  bool m_ownsStorage = false;  // a temporary folder of its own, removed at the end
  std::unique_ptr<Impl> m_impl;
};

// Whether this build can listen for https (cpp-httplib built with OpenSSL).
bool SupportsHttps();

// The demo's reply table: success everywhere, update "1.0.0.2" offered.
std::map<std::string, std::vector<Reply>> DemoReplies();
// The parsed reply table of a config text; false with *error when malformed.
bool ParseRepliesConfig(const std::string& jsonText, std::map<std::string, std::vector<Reply>>* replies,
                        double* clockOffset, bool* hasClockOffset, std::string* error);
// One log entry as a JSON line (no newline).
std::string LogLine(const LoggedRequest& request);

}  // namespace devserver
