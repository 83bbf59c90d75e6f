// Placeholder until the hosted GDI lands.
#include "platform/hosted/internal.h"
namespace hosted {
void ResetGdi() {}
HDC CreateMemoryDC(uint32_t*, int32_t, int32_t, int32_t) { return nullptr; }
void DeleteMemoryDC(HDC) {}
}  // namespace hosted
