#include "server_api/http_client.h"

#include <chrono>
#include <cmath>
#include <cstring>

CHttpClient::CHttpClient(CClientSetup setup)
    : m_fingerprint(std::move(setup.fingerprint)),
      m_signedBase(std::move(setup.signedBase)),
      m_queryBase(std::move(setup.queryBase)),
      m_osCode(setup.osCode),
      m_randomState(setup.seed),
      m_clock(std::move(setup.clock)),
      m_limits(setup.limits) {}

bool CHttpClient::Init(int32_t softid, int32_t qid, const std::u16string& version, int32_t av,
                       int32_t category, int64_t instTime, int32_t special) {
  m_softid = softid;
  m_qid = qid;
  m_version = version;
  m_av = av;
  m_category = category;
  m_instTime = instTime;
  m_special = special;
  return SyncServerTime();
}

int64_t CHttpClient::LocalTime() const {
  if (m_clock) return m_clock();
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::seconds>(now).count();
}

int64_t CHttpClient::GetTimestamp() { return LocalTime() - m_clockOffset; }

bool CHttpClient::ReadServerTime(const json_t* reply, int64_t* seconds) {
  // 2000-01-01 and 2100-01-01 UTC.
  constexpr double kEarliest = 946684800.0;
  constexpr double kLatest = 4102444800.0;
  const json_t* time = json_object_get(reply, "time");
  if (!json_is_number(time)) return false;
  const double value = json_number_value(time);
  // The comparisons are false for NaN, so it is refused too.
  if (!(value >= kEarliest && value < kLatest)) return false;
  // The server may give fractions of a second; they are cut toward zero.
  *seconds = static_cast<int64_t>(std::trunc(value));
  return true;
}

bool CHttpClient::SyncServerTime() {
  JsonPtr reply;
  if (!HttpGet(m_signedBase + u"microtime/", &reply) || !IsStatusOk(reply.get())) return false;
  int64_t serverTime = 0;
  if (!ReadServerTime(reply.get(), &serverTime)) return false;
  m_clockOffset = LocalTime() - serverTime;
  return true;
}

bool CHttpClient::IsStatusOk(const json_t* document) {
  const json_t* status = json_object_get(document, "status");
  return json_is_integer(status) && json_integer_value(status) == 200;
}

bool CHttpClient::IsMessageSuccess(const json_t* document) {
  const json_t* message = json_object_get(document, "message");
  static constexpr char kSuccess[] = "success";
  return json_is_string(message) && json_string_length(message) == sizeof(kSuccess) - 1 &&
         std::memcmp(json_string_value(message), kSuccess, sizeof(kSuccess) - 1) == 0;
}

bool CHttpClient::IsAccepted(const json_t* document) {
  return document != nullptr && IsStatusOk(document) && IsMessageSuccess(document);
}

int32_t CHttpClient::GetOsCode() { return m_osCode; }
