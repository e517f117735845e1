// ELF build ids for the crash filter's module list: the ELF header, the
// program headers and the PT_NOTE segments, read with process_vm_readv.
// Covers 64-bit images (the machine the filter writes contexts for). Not
// covered: 32-bit images, ids found only in section headers (not loaded).
#include <elf.h>

#include <cstring>

#include "platform/crash/posix/crash_elf.h"
#include "platform/crash/posix/crash_safe_io.h"

namespace platform::crash {
namespace {

constexpr uint16_t kMaxProgramHeaders = 64;
constexpr size_t kMaxNoteBytes = 4096;

uint64_t Align4(uint64_t value) { return (value + 3) & ~uint64_t{3}; }

// Looks for the GNU build id among the notes in bytes.
bool FindBuildIdNote(const uint8_t* bytes, size_t size, BuildId* id) {
  size_t at = 0;
  while (at + sizeof(Elf64_Nhdr) <= size) {
    Elf64_Nhdr note;
    memcpy(&note, bytes + at, sizeof note);
    const uint64_t name = at + sizeof note;
    const uint64_t desc = name + Align4(note.n_namesz);
    const uint64_t next = desc + Align4(note.n_descsz);
    if (next > size) return false;
    if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 && memcmp(bytes + name, "GNU", 4) == 0 &&
        note.n_descsz <= kMaxBuildIdSize) {
      memcpy(id->bytes, bytes + desc, note.n_descsz);
      id->size = note.n_descsz;
      return true;
    }
    at = static_cast<size_t>(next);
  }
  return false;
}

}  // namespace

bool ReadElfBuildId(pid_t pid, uint64_t base, BuildId* id) {
  id->size = 0;
  Elf64_Ehdr header;
  if (ReadProcessMemory(pid, base, &header, sizeof header) != sizeof header) return false;
  if (memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
      header.e_phentsize != sizeof(Elf64_Phdr)) {
    return false;
  }
  Elf64_Phdr headers[kMaxProgramHeaders];
  const uint16_t count = header.e_phnum < kMaxProgramHeaders ? header.e_phnum : kMaxProgramHeaders;
  const size_t bytes = count * sizeof(Elf64_Phdr);
  if (ReadProcessMemory(pid, base + header.e_phoff, headers, bytes) != bytes) return true;
  // base holds file offset 0, which the first loadable segment maps: its
  // address less its offset is where base sits in the image's own addresses.
  uint64_t imageStart = 0;
  for (uint16_t i = 0; i < count; ++i) {
    if (headers[i].p_type == PT_LOAD) {
      imageStart = headers[i].p_vaddr - headers[i].p_offset;
      break;
    }
  }
  static uint8_t notes[kMaxNoteBytes];
  for (uint16_t i = 0; i < count; ++i) {
    if (headers[i].p_type != PT_NOTE) continue;
    const size_t size = headers[i].p_filesz < kMaxNoteBytes ? headers[i].p_filesz : kMaxNoteBytes;
    const size_t got = ReadProcessMemory(pid, base + headers[i].p_vaddr - imageStart, notes, size);
    if (FindBuildIdNote(notes, got, id)) return true;
  }
  return true;
}

}  // namespace platform::crash
