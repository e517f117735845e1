// The program's resources where executables carry no resource section: the
// build links the skin archive and the icon file in as data
// (skin/CMakeLists.txt) and this table presents them under their resource
// types and numbers.
#include "app/linked_program_icon.h"
#include "app/linked_skin_archive.h"
#include "app/program_icon.h"
#include "app/skin_archive.h"
#include "skinui/resources/skin_resources.h"

namespace {

// The type the icon file is filed under here (Windows files icons as images
// under a group resource, which this table has no need for).
constexpr char16_t kIconFileType[] = u"ICOFILE";

SkinUI::CResourceTable MakeProgramResources() {
  SkinUI::CResourceTable table;
  table.Add(kSkinArchiveId, kSkinArchiveType, kLinkedSkinArchive, kLinkedSkinArchiveSize);
  table.Add(kProgramIconId, kIconFileType, kLinkedProgramIcon, kLinkedProgramIconSize);
  return table;
}

}  // namespace

const SkinUI::IResourceModule& ProgramResources() {
  static const SkinUI::CResourceTable resources = MakeProgramResources();
  return resources;
}

platform::HICON LoadProgramIcon(int width, int height) {
  const uint8_t* data = nullptr;
  size_t size = 0;
  if (!ProgramResources().FindResource(kProgramIconId, {}, kIconFileType, &data, &size)) return nullptr;
  return platform::CreateIconFromIcoFile(data, size, width, height);
}
