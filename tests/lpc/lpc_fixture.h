// Shared set-up of the client tests: a client, a listening test peer on a
// fresh pipe name, and small helpers for JSON values and events.
#pragma once

#include <gtest/gtest.h>
#include <jansson.h>

#include <memory>
#include <string>

#include "lpc/lpc_client.h"
#include "lpc/sync_event.h"
#include "lpc/test_peer.h"

struct JsonRelease {
  void operator()(json_t* value) const { json_decref(value); }
};
using JsonPtr = std::unique_ptr<json_t, JsonRelease>;

inline JsonPtr Json(const std::string& text) { return JsonPtr(ParseJson(text)); }

// Sets the CSyncEvent given as the callback value.
inline void SetEventCallback(void* value) { static_cast<lpc::CSyncEvent*>(value)->Set(); }

class LpcClientTest : public ::testing::Test {
 protected:
  static constexpr std::chrono::seconds kWaitLimit = CTestPeer::kWaitLimit;

  void SetUp() override {
    m_name = UniquePipeName();
    ASSERT_TRUE(m_peer.Listen(m_name));
    m_client = CreateLPCClient();
    ASSERT_NE(m_client, nullptr);
  }

  void TearDown() override {
    m_client->SetDisconnectCallback(nullptr, nullptr);
    m_client->Release();
  }

  // Connects the client, accepts it and reads its "MethodSupport" text.
  void ConnectPeer(std::string* support = nullptr) {
    ASSERT_TRUE(m_client->Connect(m_name.c_str()));
    ASSERT_TRUE(m_peer.Accept());
    std::string text;
    ASSERT_TRUE(m_peer.ReadMessage(&text));
    if (support != nullptr) *support = text;
  }

  std::string m_name;
  CTestPeer m_peer;
  ILPCClient* m_client = nullptr;
};
