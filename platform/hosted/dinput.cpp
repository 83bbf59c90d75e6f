// Placeholder until the hosted DirectInput lands.
#include "platform/hosted/internal.h"
namespace hosted {
void ResetDirectInput() {}
}  // namespace hosted
HRESULT WINAPI DirectInputCreateEx(HINSTANCE, DWORD, REFIID, LPVOID*, LPUNKNOWN) {
  return DIERR_GENERIC;
}
