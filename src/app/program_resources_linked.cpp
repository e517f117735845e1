// The program's resources where executables carry no resource section: the
// build links the skin archive in as data (skin/CMakeLists.txt) and this
// table presents it under its resource type and number.
#include "app/linked_skin_archive.h"
#include "app/skin_archive.h"
#include "skinui/core/skin_resources.h"

namespace {

SkinUI::CResourceTable MakeProgramResources() {
  SkinUI::CResourceTable table;
  table.Add(kSkinArchiveId, kSkinArchiveType, kLinkedSkinArchive, kLinkedSkinArchiveSize);
  return table;
}

}  // namespace

const SkinUI::IResourceModule& ProgramResources() {
  static const SkinUI::CResourceTable resources = MakeProgramResources();
  return resources;
}
