// Hosted window manager: the device contexts of windows and of the desktop
// (GetDC, ReleaseDC), GDI memory device contexts over the desktop picture. A
// window's device context stays valid after the window is destroyed, until it
// is released.
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/hosted/internal.h"

namespace hosted {
namespace {

struct WindowDC {
  HDC dc;
  std::unique_ptr<uint32_t[]> pixels;  // own memory of a DC off the desktop
};

struct WindowDCState {
  std::vector<WindowDC> windowDCs;
};

WindowDCState& State() {
  static WindowDCState state;
  return state;
}

// A window DC draws onto the desktop where the window's client area lies.
// A client area that is not wholly on the desktop gets memory of its own
// instead, so that coordinates still start at its corner; what is drawn
// there is not shown.
HDC MakeDC(const RECT& area) {
  DesktopPicture desktop = Desktop();
  int32_t width = hosted::WrapSubtract(area.right, area.left),
          height = hosted::WrapSubtract(area.bottom, area.top);
  HDC dc;
  std::unique_ptr<uint32_t[]> pixels;
  if (area.left >= 0 && area.top >= 0 && area.right <= desktop.width &&
      area.bottom <= desktop.height && width > 0 && height > 0) {
    uint32_t* origin = desktop.pixels + static_cast<size_t>(area.top) * desktop.width + area.left;
    dc = CreateMemoryDC(origin, width, height, desktop.pitch);
  } else {
    width = std::clamp(width, 1, 4096);
    height = std::clamp(height, 1, 4096);
    pixels = std::make_unique<uint32_t[]>(static_cast<size_t>(width) * height);
    dc = CreateMemoryDC(pixels.get(), width, height, width * 4);
  }
  if (dc) State().windowDCs.push_back({dc, std::move(pixels)});
  return dc;
}

}  // namespace

void ResetWindowDCs() {
  WindowDCState& state = State();
  for (WindowDC& entry : state.windowDCs) DeleteMemoryDC(entry.dc);
  state.windowDCs.clear();
}

}  // namespace hosted

HDC WINAPI GetDC(HWND handle) {
  if (handle == nullptr) {
    hosted::DesktopPicture desktop = hosted::Desktop();
    return hosted::MakeDC({0, 0, desktop.width, desktop.height});
  }
  RECT client;
  if (!hosted::WindowRects(handle, nullptr, &client)) return nullptr;
  return hosted::MakeDC(client);
}

int WINAPI ReleaseDC(HWND, HDC dc) {
  auto& dcs = hosted::State().windowDCs;
  for (auto it = dcs.begin(); it != dcs.end(); ++it)
    if (it->dc == dc) {
      hosted::DeleteMemoryDC(dc);
      dcs.erase(it);
      return 1;
    }
  return 0;
}
