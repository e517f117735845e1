// The resources compiled into the running program's own executable (its
// resource section, found with FindResourceW on the module of the process).
// Windows only: executables elsewhere carry no resource section, and the
// build links the program's resources in as plain data instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

// Finds the resource with the numeric identifier id (or, when name is not
// empty, the named resource) of the named type, such as u"ZIPRES", in the
// program's executable. On success data and size describe the resource
// bytes, which stay valid for the life of the process. False when the
// executable holds no such resource.
[[nodiscard]] bool FindProgramResource(uint16_t id, std::u16string_view name, std::u16string_view type,
                                       const uint8_t** data, size_t* size);

}  // namespace platform
