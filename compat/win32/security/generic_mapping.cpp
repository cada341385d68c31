// Mapping generic rights to the specific rights of a kind of object.
#include <utility>

#include "vtplatform/win32/security.h"

void MapGenericMask(DWORD* access_mask, PGENERIC_MAPPING mapping) {
  if (access_mask == nullptr || mapping == nullptr) return;
  const std::pair<ACCESS_MASK, ACCESS_MASK> generic_rights[] = {
      {GENERIC_READ, mapping->GenericRead},
      {GENERIC_WRITE, mapping->GenericWrite},
      {GENERIC_EXECUTE, mapping->GenericExecute},
      {GENERIC_ALL, mapping->GenericAll}};
  for (const auto& [generic, specific] : generic_rights) {
    if ((*access_mask & generic) != 0) *access_mask = (*access_mask & ~generic) | specific;
  }
}
