#include "dialog_fixture.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

// The program's server client is made once per process and keeps the base
// URL it was made with, so every test of a process serves on the same port.
int g_serverPort = 0;

}  // namespace

std::string ProgramBytes(const std::string& name) { return ReadFileBytes(BuiltProgram(name)); }

void DialogTest::SetUp() {
  m_env = std::make_unique<TestEnvironment>();
  m_env->SeedUserSid();
  m_env->dir().Write("files/Update.exe", ProgramBytes("orv_installer_stub"));
  devserver::Options options;
  options.staticDir = m_env->dir().File("files");
  options.storageDir = m_env->dir().File("storage");
  options.port = g_serverPort;
  m_server = std::make_unique<devserver::Server>(options);
  std::string error;
  ASSERT_TRUE(m_server->Start(&error)) << error;
  g_serverPort = m_server->Port();
  m_apiBase = std::make_unique<ScopedEnv>("ORV_API_BASE", m_server->BaseUrl());
  m_markerPath = m_env->dir().File("installer-ran.txt");
  m_marker = std::make_unique<ScopedEnv>("ORV_DEMO_INSTALLER_MARKER", m_markerPath);
  ReplyToQuery(kOfferRecordset);
}

void DialogTest::TearDown() {
  m_marker.reset();
  m_apiBase.reset();
  m_server.reset();
  m_env.reset();
}

std::string DialogTest::InstallerRecord() const { return ReadFileBytes(m_markerPath); }

bool DialogTest::WaitForInstallerRecord() const {
  return WaitFor([this] { return !InstallerRecord().empty(); }, std::chrono::seconds(10));
}

std::string DialogTest::InstallerTarget() const {
  return (std::filesystem::path(m_env->DefaultDataDir()) / "Update" / "Update.exe").string();
}

void DialogTest::ReplyToQuery(const std::string& recordsetJson, const std::string& message) {
  m_server->SetReply("api/update/v2", devserver::EnvelopeReply(200, message, recordsetJson));
}

void DialogTest::ReplyChecksum(const std::string& text) {
  devserver::Reply reply;
  reply.body = text;
  reply.contentType = "text/plain";
  m_server->SetReply("files/Update.exe.md5", reply);
}

void DialogTest::StallInstallerAt(int percent) {
  devserver::Reply reply;
  reply.body = ProgramBytes("orv_installer_stub");
  reply.contentType = "application/octet-stream";
  const size_t size = reply.body.size();
  const size_t piece = std::max<size_t>(1, size / 200);
  const size_t pieces = (size * percent / 100 + piece - 1) / piece;
  reply.trickleMs = 5;
  reply.trickleBytes = static_cast<int>(piece);
  reply.stallAt = static_cast<int64_t>(pieces * piece + 1);
  m_server->SetReply("files/Update.exe", reply);
}

size_t DialogTest::RequestCount(const std::string& path) const {
  size_t count = 0;
  for (const auto& request : m_server->Requests()) {
    if (request.r == path || request.path == "/" + path) ++count;
  }
  return count;
}
