// The reply table: the demo defaults and the JSON config form.
#include <jansson.h>

#include <cstdlib>
#include <memory>

#include "dev_server.h"

namespace devserver {
namespace {

struct JsonFree {
  void operator()(json_t* value) const { json_decref(value); }
};
using Json = std::unique_ptr<json_t, JsonFree>;

std::string Dump(const json_t* value) {
  char* text = json_dumps(value, JSON_COMPACT | JSON_ENCODE_ANY);
  std::string result = text ? text : "";
  std::free(text);
  return result;
}

const char* const kControlKeys[] = {"http_status", "body",        "content_type", "headers",
                                    "delay_ms",    "store_first", "chunked",      "truncate_to",
                                    "stall_at",    "trickle_ms",  "trickle_bytes"};

bool IsControlKey(const char* key) {
  for (const char* control : kControlKeys) {
    if (std::string(control) == key) return true;
  }
  return false;
}

// The JSON body of a reply object: every member that is not a control key.
std::string EnvelopeBody(json_t* object) {
  Json body(json_object());
  const char* key;
  json_t* value;
  json_object_foreach(object, key, value) {
    if (!IsControlKey(key)) json_object_set(body.get(), key, value);
  }
  return Dump(body.get());
}

bool ParseReply(json_t* object, Reply* reply, std::string* error) {
  if (!json_is_object(object)) {
    *error = "a reply must be a JSON object";
    return false;
  }
  if (json_t* status = json_object_get(object, "http_status"))
    reply->httpStatus = (int)json_integer_value(status);
  if (json_t* delay = json_object_get(object, "delay_ms")) reply->delayMs = (int)json_integer_value(delay);
  if (json_t* type = json_object_get(object, "content_type"))
    reply->contentType = json_string_value(type) ? json_string_value(type) : "";
  reply->storeFirst = json_is_true(json_object_get(object, "store_first"));
  reply->chunked = json_is_true(json_object_get(object, "chunked"));
  if (json_t* cut = json_object_get(object, "truncate_to")) reply->truncateTo = json_integer_value(cut);
  if (json_t* stall = json_object_get(object, "stall_at")) reply->stallAt = json_integer_value(stall);
  if (json_t* every = json_object_get(object, "trickle_ms"))
    reply->trickleMs = (int)json_integer_value(every);
  if (json_t* piece = json_object_get(object, "trickle_bytes"))
    reply->trickleBytes = (int)json_integer_value(piece);
  const char* key;
  json_t* value;
  json_object_foreach(json_object_get(object, "headers"), key, value) {
    reply->headers.emplace_back(key, json_is_string(value) ? json_string_value(value) : Dump(value));
  }
  json_t* body = json_object_get(object, "body");
  reply->body = json_is_string(body) ? std::string(json_string_value(body), json_string_length(body))
                                     : EnvelopeBody(object);
  return true;
}

}  // namespace

Reply EnvelopeReply(int status, const std::string& message, const std::string& recordsetJson) {
  Reply reply;
  reply.body = "{\"status\":" + std::to_string(status) + ",\"message\":\"" + message +
               "\",\"recordset\":" + recordsetJson + "}";
  return reply;
}

std::map<std::string, std::vector<Reply>> DemoReplies() {
  const auto ok = [](const std::string& recordset) {
    return std::vector<Reply>{EnvelopeReply(200, "success", recordset)};
  };
  std::map<std::string, std::vector<Reply>> replies;
  for (const char* report :
       {"installPrepare", "installCancel", "installed", "uninstalled", "updated", "launchModule", "startup",
        "repair", "repairV2", "windowprepop", "windowpopv2", "NoShowIn7Day", "crash", "com", "postRecord"}) {
    replies["api/statistics/soft/" + std::string(report)] = ok("null");
  }
  replies["api/statistics/bind/installed"] = ok("null");
  replies["api/statistics/soft/dropPacket"] = ok("{}");
  replies["api/default/uninstall"] = ok("\"no\"");
  replies["api/config/installCfg"] = ok("{\"shellMenu\":1,\"desktopIcon\":1,\"startMenu\":1,\"taskBar\":0}");
  replies["api/update/v2"] =
      ok("{\"version\":\"1.0.0.2\",\"url\":\"{base}files/Update.exe\","
         "\"md5\":\"{base}files/Update.exe.md5\"}");
  replies["api/popup/popup"] = ok("{}");
  replies["api/config/setDp"] = ok("{\"DropPacket\":0}");
  replies["api/config/competitor"] = ok("{}");
  replies["api/update/plug"] = ok("{\"plugkey\":\"\",\"crx\":\"\",\"json\":\"\"}");
  replies["api/update/plugCount"] = ok("{}");
  replies["api/config/get"] = ok("{}");
  replies["api/default/deInit"] = ok("{\"config\":{\"url\":\"\",\"dv\":0}}");
  replies["api/default/isps"] = ok("{\"isps\":0}");
  replies["api/default/getPutUrl"] = ok("\"{base}storage/{filepath}\"");
  return replies;
}

bool ParseRepliesConfig(const std::string& jsonText, std::map<std::string, std::vector<Reply>>* replies,
                        double* clockOffset, bool* hasClockOffset, std::string* error) {
  json_error_t jsonError;
  Json root(json_loadb(jsonText.data(), jsonText.size(), 0, &jsonError));
  if (!root || !json_is_object(root.get())) {
    *error = std::string("config is not a JSON object: ") + jsonError.text;
    return false;
  }
  json_t* offset = json_object_get(root.get(), "clock_offset");
  *hasClockOffset = json_is_number(offset);
  if (*hasClockOffset) *clockOffset = json_number_value(offset);
  const char* path;
  json_t* value;
  json_object_foreach(json_object_get(root.get(), "replies"), path, value) {
    std::vector<Reply> list;
    const size_t count = json_is_array(value) ? json_array_size(value) : 1;
    for (size_t i = 0; i < count; ++i) {
      Reply reply;
      if (!ParseReply(json_is_array(value) ? json_array_get(value, i) : value, &reply, error)) {
        *error += std::string(" (path ") + path + ")";
        return false;
      }
      list.push_back(std::move(reply));
    }
    if (!list.empty()) (*replies)[path] = std::move(list);
  }
  return true;
}

std::string LogLine(const LoggedRequest& request) {
  Json line(json_object());
  json_object_set_new(line.get(), "seq", json_integer((json_int_t)request.seq));
  json_object_set_new(line.get(), "time", json_real(request.time));
  json_object_set_new(line.get(), "method", json_string(request.method.c_str()));
  json_object_set_new(line.get(), "target", json_stringn(request.target.data(), request.target.size()));
  json_object_set_new(line.get(), "path", json_stringn(request.path.data(), request.path.size()));
  json_object_set_new(line.get(), "query", json_stringn(request.query.data(), request.query.size()));
  json_object_set_new(line.get(), "r", json_stringn(request.r.data(), request.r.size()));
  json_t* headers = json_object();
  for (const auto& [name, value] : request.headers) {
    json_object_set_new(headers, name.c_str(), json_stringn(value.data(), value.size()));
  }
  json_object_set_new(line.get(), "headers", headers);
  json_object_set_new(line.get(), "body_size", json_integer((json_int_t)request.bodySize));
  // Bodies that are not UTF-8 (uploads) are logged by size only.
  if (json_t* body = json_stringn(request.body.data(), request.body.size())) {
    json_object_set_new(line.get(), "body", body);
  }
  json_object_set_new(line.get(), "proxied", json_boolean(request.proxied));
  json_object_set_new(line.get(), "tls", json_boolean(request.tls));
  return Dump(line.get());
}

}  // namespace devserver
