// Feeds arbitrary bytes to the pipe client's receiving side: the receive
// buffer cuts them into frames (in pieces of varying size, as reads arrive),
// and each frame is parsed, classified and unpacked as the reader and the
// dispatchers do; a response is stored into a holder as a call's answer is.
#include <jansson.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "lpc/lpc_messages.h"
#include "lpc/receive_buffer.h"

namespace {

void HandleFrame(const std::string& text) {
  json_error_t error;
  json_t* message = json_loadb(text.data(), text.size(), 0, &error);
  if (message == nullptr) return;
  const char* method = nullptr;
  json_t* params = nullptr;
  int32_t id = 0;
  uint32_t responseId = 0;
  switch (lpc::Classify(message)) {
    case lpc::MessageKind::kRequest:
      if (lpc::UnpackRequest(message, &method, &id, &params)) {
        json_decref(lpc::BuildResponse(params, id % 2 == 0, id));
      }
      break;
    case lpc::MessageKind::kNotification:
      (void)lpc::UnpackNotification(message, &method, &params);
      break;
    case lpc::MessageKind::kResponse:
      if (lpc::ResponseId(message, &responseId)) {
        json_t* holder = json_object();
        lpc::StoreAnswer(message, holder);
        (void)lpc::Frame(holder);
        json_decref(holder);
      }
      break;
  }
  json_decref(message);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte sets the read size, so frames split across reads differently.
  const size_t step = 1 + data[0] % 64;
  const char* bytes = reinterpret_cast<const char*>(data + 1);
  const size_t length = size - 1;
  lpc::CReceiveBuffer buffer;
  std::string text;
  for (size_t at = 0; at < length; at += step) {
    buffer.Append(bytes + at, at + step <= length ? step : length - at);
    while (buffer.TakeMessage(&text)) HandleFrame(text);
  }
  buffer.Clear();
  return 0;
}
