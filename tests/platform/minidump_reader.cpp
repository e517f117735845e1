#include "platform/minidump_reader.h"

#include <cstring>
#include <stdexcept>

namespace {

constexpr uint32_t kCvElfBuildId = 0x4270454C;  // "LEpB"

// Bounds-checked little-endian reads; a read past the end throws, which
// ParseMinidump turns into an error text.
class CReader {
 public:
  explicit CReader(const std::string& bytes) : m_bytes(bytes) {}
  template <typename T>
  T At(uint64_t offset) const {
    if (offset + sizeof(T) > m_bytes.size())
      throw std::out_of_range("read past end at " + std::to_string(offset));
    T value;
    std::memcpy(&value, m_bytes.data() + offset, sizeof(T));
    return value;
  }
  std::string Range(uint64_t offset, uint64_t size) const {
    if (offset + size > m_bytes.size()) throw std::out_of_range("range past end");
    return m_bytes.substr(offset, size);
  }

 private:
  const std::string& m_bytes;
};

// Where a context of the dump's architecture keeps its fields.
struct ContextLayout {
  uint32_t size, flags, sp, ip;
  bool wide;  // 64-bit registers
};

ContextLayout LayoutFor(uint16_t architecture) {
  if (architecture == kArchitectureX86) return {716, 0x00, 0xC4, 0xB8, false};
  if (architecture == kArchitectureAmd64) return {1232, 0x30, 0x98, 0xF8, true};
  throw std::runtime_error("architecture " + std::to_string(architecture));
}

uint64_t Register(const CReader& r, const ContextLayout& layout, uint64_t at) {
  return layout.wide ? r.At<uint64_t>(at) : r.At<uint32_t>(at);
}

uint32_t StreamRva(const Minidump& d, uint32_t type) {
  const auto it = d.streams.find(type);
  if (it == d.streams.end()) throw std::runtime_error("missing stream " + std::to_string(type));
  return it->second.second;
}

void ReadException(const CReader& r, Minidump* d) {
  const uint32_t at = StreamRva(*d, 6);
  d->exceptionThread = r.At<uint32_t>(at);
  d->exceptionCode = r.At<uint32_t>(at + 8);
  d->exceptionFlags = r.At<uint32_t>(at + 12);
  d->exceptionAddress = r.At<uint64_t>(at + 24);
  d->parameterCount = r.At<uint32_t>(at + 32);
  for (int i = 0; i < 15; ++i) d->parameters[i] = r.At<uint64_t>(at + 40 + 8 * i);
  const uint32_t contextRva = r.At<uint32_t>(at + 164);
  const ContextLayout layout = LayoutFor(d->architecture);
  d->exceptionContextIp = Register(r, layout, contextRva + layout.ip);
}

void ReadThreads(const CReader& r, Minidump* d) {
  const uint32_t at = StreamRva(*d, 3);
  const uint32_t count = r.At<uint32_t>(at);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t t = at + 4 + 48 * i;
    DumpThread thread;
    thread.id = r.At<uint32_t>(t);
    thread.stackStart = r.At<uint64_t>(t + 24);
    thread.stack = r.Range(r.At<uint32_t>(t + 36), r.At<uint32_t>(t + 32));
    const uint32_t contextRva = r.At<uint32_t>(t + 44);
    const ContextLayout layout = LayoutFor(d->architecture);
    if (r.At<uint32_t>(t + 40) != layout.size) throw std::runtime_error("context size");
    thread.contextFlags = r.At<uint32_t>(contextRva + layout.flags);
    thread.sp = Register(r, layout, contextRva + layout.sp);
    thread.ip = Register(r, layout, contextRva + layout.ip);
    d->threads.push_back(thread);
  }
}

void ReadModules(const CReader& r, Minidump* d) {
  const uint32_t at = StreamRva(*d, 4);
  const uint32_t count = r.At<uint32_t>(at);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t m = at + 4 + 108 * i;
    DumpModule module;
    module.base = r.At<uint64_t>(m);
    module.size = r.At<uint32_t>(m + 8);
    const uint32_t nameRva = r.At<uint32_t>(m + 20);
    const uint32_t bytes = r.At<uint32_t>(nameRva);
    for (uint32_t k = 0; k < bytes / 2; ++k) module.name.push_back(r.At<char16_t>(nameRva + 4 + 2 * k));
    if (r.At<char16_t>(nameRva + 4 + bytes) != 0) throw std::runtime_error("name not terminated");
    const uint32_t cvSize = r.At<uint32_t>(m + 76);
    const uint32_t cvRva = r.At<uint32_t>(m + 80);
    if (cvSize > 4 && r.At<uint32_t>(cvRva) == kCvElfBuildId) {
      static const char kHex[] = "0123456789abcdef";
      for (unsigned char byte : r.Range(cvRva + 4, cvSize - 4)) {
        module.buildId += kHex[byte >> 4];
        module.buildId += kHex[byte & 15];
      }
    }
    d->modules.push_back(module);
  }
}

void ReadMiscInfo(const CReader& r, Minidump* d) {
  const auto it = d->streams.find(15);
  if (it == d->streams.end() || it->second.first < 12) return;
  const uint32_t at = it->second.second;
  if ((r.At<uint32_t>(at + 4) & 1) != 0) d->processId = r.At<uint32_t>(at + 8);
}

void ReadMemory(const CReader& r, Minidump* d) {
  const uint32_t at = StreamRva(*d, 5);
  const uint32_t count = r.At<uint32_t>(at);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t m = at + 4 + 16 * i;
    const uint32_t size = r.At<uint32_t>(m + 8);
    r.Range(r.At<uint32_t>(m + 12), size);
    d->memory.emplace_back(r.At<uint64_t>(m), size);
  }
}

}  // namespace

Minidump ParseMinidump(const std::string& bytes) {
  Minidump d;
  try {
    const CReader r(bytes);
    d.signature = r.At<uint32_t>(0);
    d.version = r.At<uint32_t>(4);
    d.streamCount = r.At<uint32_t>(8);
    const uint32_t directory = r.At<uint32_t>(12);
    d.flags = r.At<uint64_t>(24);
    for (uint32_t i = 0; i < d.streamCount; ++i) {
      const uint32_t e = directory + 12 * i;
      d.streams[r.At<uint32_t>(e)] = {r.At<uint32_t>(e + 4), r.At<uint32_t>(e + 8)};
      r.Range(r.At<uint32_t>(e + 8), r.At<uint32_t>(e + 4));
    }
    d.architecture = r.At<uint16_t>(StreamRva(d, 7));
    d.majorVersion = r.At<uint32_t>(StreamRva(d, 7) + 8);
    d.minorVersion = r.At<uint32_t>(StreamRva(d, 7) + 12);
    ReadMiscInfo(r, &d);
    ReadException(r, &d);
    ReadThreads(r, &d);
    ReadModules(r, &d);
    ReadMemory(r, &d);
  } catch (const std::exception& e) {
    d.error = e.what();
  }
  return d;
}
