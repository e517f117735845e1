// The program's resources where the executable has a resource section: the
// module of the process, read through the platform layer.
#include "app/program_icon.h"
#include "app/skin_archive.h"
#include "platform/resources/program_resources.h"
#include "skinui/resources/skin_resources.h"

namespace {

class CProgramModule : public SkinUI::IResourceModule {
 public:
  bool FindResource(uint16_t id, std::u16string_view name, std::u16string_view type, const uint8_t** data,
                    size_t* size) const override {
    return platform::FindProgramResource(id, name, type, data, size);
  }
};

}  // namespace

const SkinUI::IResourceModule& ProgramResources() {
  static const CProgramModule module;
  return module;
}

platform::HICON LoadProgramIcon(int width, int height) {
  return platform::LoadIconResource(kProgramIconId, width, height);
}
