// /proc/self/maps reader for the crash filter: open/read only, fixed tables.
// Covers file-backed mappings (as modules) and the stack mapping. Not
// covered: anonymous mappings other than the stack, module versions.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/crash_maps.h"

namespace platform::crash {
namespace {

// Parses hexadecimal digits at *text, advancing past them.
uint64_t ParseHex(const char** text, const char* end) {
  uint64_t value = 0;
  for (; *text < end; ++*text) {
    const char c = **text;
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else break;
    value = (value << 4) | static_cast<uint64_t>(digit);
  }
  return value;
}

const char* SkipField(const char* p, const char* end) {
  while (p < end && *p != ' ') ++p;
  while (p < end && *p == ' ') ++p;
  return p;
}

bool SameName(const MapsSnapshot& s, const MappedModule& m, const char* name, size_t length) {
  return m.nameLength == length && memcmp(s.names + m.nameOffset, name, length) == 0;
}

void AddModule(MapsSnapshot* s, uint64_t start, uint64_t end, const char* name, size_t length) {
  if (s->moduleCount > 0) {
    MappedModule& last = s->modules[s->moduleCount - 1];
    if (last.end == start && SameName(*s, last, name, length)) {
      last.end = end;
      return;
    }
  }
  if (s->moduleCount == kMaxModules || s->namesUsed + length > kModuleNamePool) return;
  MappedModule& m = s->modules[s->moduleCount++];
  m.base = start;
  m.end = end;
  m.nameOffset = s->namesUsed;
  m.nameLength = static_cast<uint32_t>(length);
  memcpy(s->names + s->namesUsed, name, length);
  s->namesUsed += static_cast<uint32_t>(length);
}

// One line: "start-end perms offset dev inode   path".
void ParseLine(const char* p, const char* end, uint64_t sp, MapsSnapshot* s) {
  const uint64_t start = ParseHex(&p, end);
  if (p < end && *p == '-') ++p;
  const uint64_t stop = ParseHex(&p, end);
  while (p < end && *p == ' ') ++p;
  const bool readable = p < end && *p == 'r';
  // Lines come in address order: the first readable mapping at or above
  // the stack pointer is the one the stack lives in.
  if (readable && stop > sp && s->stackEnd == 0) {
    s->stackStart = start;
    s->stackEnd = stop;
  }
  for (int field = 0; field < 4; ++field) p = SkipField(p, end);
  if (p < end && *p == '/') AddModule(s, start, stop, p, static_cast<size_t>(end - p));
}

}  // namespace

bool ReadMaps(uint64_t stackPointer, MapsSnapshot* snapshot) {
  snapshot->moduleCount = 0;
  snapshot->namesUsed = 0;
  snapshot->stackStart = snapshot->stackEnd = 0;
  const int fd = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // Paths are at most PATH_MAX bytes, so every line fits; a longer one is
  // dropped rather than parsed in pieces.
  static char line[8192];
  size_t used = 0;
  bool ok = true;
  while (true) {
    const ssize_t got = read(fd, line + used, sizeof line - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    used += static_cast<size_t>(got);
    size_t start = 0;
    for (size_t i = 0; i < used; ++i) {
      if (line[i] != '\n') continue;
      ParseLine(line + start, line + i, stackPointer, snapshot);
      start = i + 1;
    }
    if (start == 0 && used == sizeof line) start = used;  // drop an over-long line
    memmove(line, line + start, used - start);
    used -= start;
  }
  if (used > 0) ParseLine(line, line + used, stackPointer, snapshot);
  close(fd);
  return ok;
}

}  // namespace platform::crash
