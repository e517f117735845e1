#include "app/skin_archive.h"

#include "skinui/manager/paint_manager.h"
#include "skinui/resources/skin_resources.h"

bool FindSkinArchive(const uint8_t** data, size_t* size) {
  const uint8_t* bytes = nullptr;
  size_t length = 0;
  if (!ProgramResources().FindResource(kSkinArchiveId, u"", kSkinArchiveType, &bytes, &length)) {
    return false;
  }
  if (length == 0) return false;
  *data = bytes;
  *size = length;
  return true;
}

bool RegisterSkinArchive() {
  SkinUI::CUIPaintManager::SetInstance(&ProgramResources());
  const uint8_t* data = nullptr;
  size_t size = 0;
  // A missing or empty archive is skipped: the start-up goes on regardless.
  if (!FindSkinArchive(&data, &size)) return false;
  return SkinUI::SkinResources().RegisterArchiveFromMemory(data, size);
}
