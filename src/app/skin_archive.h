// The program's skin archive and its hand-over to the UI framework.
//
// The build packs skin/ into one ZIP archive with the project's own writer
// and puts it into the program as resource "ZIPRES" 129: in the resource
// section of the executable on Windows, linked in as data elsewhere. Every
// executable that shows the skin (the program, skintool, the dialog tests)
// links orv_skin_archive.
#pragma once

#include <cstddef>
#include <cstdint>

namespace SkinUI {
class IResourceModule;
}

inline constexpr uint16_t kSkinArchiveId = 129;
inline constexpr char16_t kSkinArchiveType[] = u"ZIPRES";

// The running program's own resources as the UI framework reads them (its
// module "instance"). Lives for the whole process.
const SkinUI::IResourceModule& ProgramResources();

// The skin archive among ProgramResources(): its bytes, valid for the whole
// process. False when the program carries no archive or an empty one.
[[nodiscard]] bool FindSkinArchive(const uint8_t** data, size_t* size);

// Start-up hand-over: gives ProgramResources() to the UI framework as its
// module instance and registers the skin archive as its in-memory archive,
// from which every skin file is then read. False when there is no archive or
// it cannot be read as one; the program then goes on without skin files.
bool RegisterSkinArchive();
