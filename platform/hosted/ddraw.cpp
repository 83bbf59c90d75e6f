// Placeholder until the hosted DirectDraw lands.
#include "platform/hosted/internal.h"
namespace hosted {
void ResetDirectDraw() {}
SurfaceInfo InspectSurface(IDirectDrawSurface7*) { return {}; }
}  // namespace hosted
HRESULT WINAPI DirectDrawCreateEx(GUID*, LPVOID*, REFIID, IUnknown*) { return DDERR_GENERIC; }
