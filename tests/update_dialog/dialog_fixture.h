// Shared set-up of the update dialog tests: a private registry and data
// folder, a devserver on a free loopback port that offers the installer stub
// as "files/Update.exe", and the program's server client aimed at it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dev_server.h"
#include "support/test_environment.h"

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // What the started installers recorded, one "ran <args>" line each.
  std::string InstallerRecord() const;
  // Waits (bounded) until an installer has recorded something.
  bool WaitForInstallerRecord() const;
  // Where the dialog puts the installer, as a path.
  std::string InstallerTarget() const;
  // Scripts the update query's answer; "ok" offers 1.0.0.2 with the stub.
  void ReplyToQuery(const std::string& recordsetJson, const std::string& message = "success");
  // Scripts the checksum text (instead of the one computed from the stub).
  void ReplyChecksum(const std::string& text);
  // Serves the installer stub in small pieces and stops for good once the
  // download shows percent (the progress reported before each piece lags
  // one piece behind, so one more byte follows the mark).
  void StallInstallerAt(int percent);
  // Requests that reached path ("api/update/v2", "files/Update.exe", ...).
  size_t RequestCount(const std::string& path) const;

  std::unique_ptr<TestEnvironment> m_env;
  std::unique_ptr<devserver::Server> m_server;
  std::unique_ptr<ScopedEnv> m_apiBase;
  std::unique_ptr<ScopedEnv> m_marker;
  std::string m_markerPath;
};

// The offer devserver's demo makes, in the form of a recordset.
inline constexpr char kOfferRecordset[] =
    R"({"version":"1.0.0.2","url":"{base}files/Update.exe","md5":"{base}files/Update.exe.md5"})";
// The bytes of a built program (the installer stubs).
std::string ProgramBytes(const std::string& name);
