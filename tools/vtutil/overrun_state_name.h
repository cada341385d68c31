// The names vtutil shows for the overrun states of a measured value.
#pragma once

#include "vtutils/error_value.h"

inline const char* overrun_state_name(VTX_OverrunState state) {
  switch (state) {
    case VTX_OVERRUN_INVALID_TOLERANCE:
      return "VTX_OVERRUN_INVALID_TOLERANCE";
    case VTX_OVERRUN_IN_TOLERANCE:
      return "VTX_OVERRUN_IN_TOLERANCE";
    case VTX_OVERRUN_ABOVE_UPPER:
      return "VTX_OVERRUN_ABOVE_UPPER";
    case VTX_OVERRUN_BELOW_LOWER:
      return "VTX_OVERRUN_BELOW_LOWER";
  }
  return "unknown";
}
