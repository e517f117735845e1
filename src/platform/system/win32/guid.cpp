// Windows GUIDs: CoCreateGuid.
#include <objbase.h>

#include <cstring>

#include "platform/system/guid.h"

namespace platform {

bool CreateGuid(Guid* guid) {
  GUID value;
  if (FAILED(CoCreateGuid(&value))) return false;
  guid->data1 = value.Data1;
  guid->data2 = value.Data2;
  guid->data3 = value.Data3;
  std::memcpy(guid->data4, value.Data4, 8);
  return true;
}

}  // namespace platform
