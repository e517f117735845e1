// /proc/PID/maps reader for the crash filter: open/read only, fixed tables.
// Covers file-backed mappings (as modules) and finding a thread's stack
// mapping. Not covered: module versions.
#include <cstring>

#include "platform/crash/posix/crash_maps.h"
#include "platform/crash/posix/crash_safe_io.h"

namespace platform::crash {
namespace {

// Parses hexadecimal digits at *text, advancing past them.
uint64_t ParseHex(const char** text, const char* end) {
  uint64_t value = 0;
  for (; *text < end; ++*text) {
    const char c = **text;
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else
      break;
    value = (value << 4) | static_cast<uint64_t>(digit);
  }
  return value;
}

const char* SkipField(const char* p, const char* end) {
  while (p < end && *p != ' ') ++p;
  while (p < end && *p == ' ') ++p;
  return p;
}

// One line: "start-end perms offset dev inode   path".
struct MapsLine {
  uint64_t start = 0, end = 0, offset = 0;
  bool readable = false;
  const char* path = nullptr;  // null for an anonymous mapping
  size_t pathLength = 0;
};

MapsLine ParseLine(const char* p, const char* end) {
  MapsLine line;
  line.start = ParseHex(&p, end);
  if (p < end && *p == '-') ++p;
  line.end = ParseHex(&p, end);
  while (p < end && *p == ' ') ++p;
  line.readable = p < end && *p == 'r';
  p = SkipField(p, end);
  line.offset = ParseHex(&p, end);
  for (int field = 0; field < 3; ++field) p = SkipField(p, end);
  if (p < end && *p == '/') {
    line.path = p;
    line.pathLength = static_cast<size_t>(end - p);
  }
  return line;
}

// Calls visit(line) for each line of the snapshot's text, in address order,
// until it returns false.
template <typename Visit>
void ForEachLine(const MapsSnapshot& s, Visit visit) {
  const char* p = s.text;
  const char* const end = s.text + s.textLength;
  while (p < end) {
    const char* newline = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* lineEnd = newline != nullptr ? newline : end;
    if (!visit(ParseLine(p, lineEnd))) return;
    p = lineEnd + 1;
  }
}

bool SameName(const MapsSnapshot& s, const MappedModule& m, const char* name, size_t length) {
  return m.nameLength == length && memcmp(s.names + m.nameOffset, name, length) == 0;
}

void AddModule(MapsSnapshot* s, const MapsLine& line) {
  if (s->moduleCount > 0) {
    MappedModule& last = s->modules[s->moduleCount - 1];
    if (last.end == line.start && SameName(*s, last, line.path, line.pathLength)) {
      last.end = line.end;
      return;
    }
  }
  if (s->moduleCount == kMaxModules || s->namesUsed + line.pathLength > kModuleNamePool) return;
  MappedModule& m = s->modules[s->moduleCount++];
  m.base = line.start;
  m.end = line.end;
  m.fileOffset = line.offset;
  m.nameOffset = s->namesUsed;
  m.nameLength = static_cast<uint32_t>(line.pathLength);
  memcpy(s->names + s->namesUsed, line.path, line.pathLength);
  s->namesUsed += static_cast<uint32_t>(line.pathLength);
}

}  // namespace

bool ReadMaps(pid_t pid, MapsSnapshot* snapshot) {
  snapshot->moduleCount = 0;
  snapshot->namesUsed = 0;
  char path[64];
  ProcFilePath(path, sizeof path, pid, "maps");
  size_t length = ReadWholeFile(path, snapshot->text, sizeof snapshot->text);
  // A text that filled the buffer keeps its whole lines only.
  if (length == sizeof snapshot->text) {
    while (length > 0 && snapshot->text[length - 1] != '\n') --length;
  }
  snapshot->textLength = length;
  ForEachLine(*snapshot, [snapshot](const MapsLine& line) {
    if (line.path != nullptr) AddModule(snapshot, line);
    return true;
  });
  return length > 0;
}

bool FindStackMapping(const MapsSnapshot& snapshot, uint64_t sp, uint64_t* start, uint64_t* end) {
  bool found = false;
  // Lines come in address order: the first readable mapping ending above
  // the stack pointer is the one the stack lives in.
  ForEachLine(snapshot, [&](const MapsLine& line) {
    if (!line.readable || line.end <= sp) return true;
    *start = line.start;
    *end = line.end;
    found = true;
    return false;
  });
  return found;
}

}  // namespace platform::crash
