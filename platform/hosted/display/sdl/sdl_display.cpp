// Placeholder until the SDL display lands: the process entry runs the program
// on the null display.
#include "platform/hosted/internal.h"

int main() {
  struct Null final : hosted::Display {
    bool Available() override { return false; }
    void DesktopSize(int32_t* w, int32_t* h) override { *w = 1024, *h = 768; }
    int64_t ReadCounter() override { return 0; }
    uint32_t TickCount() override { return 0; }
    void Sleep(uint32_t) override {}
    void WindowChanged(HWND, const hosted::WindowView&) override {}
    void WindowDestroyed(HWND) override {}
    void Present(HWND, const RECT&) override {}
    void Pump() override {}
    bool ReadKeyboard(uint8_t*) override { return false; }
    int MessageBox(HWND, const char*, const char*, uint32_t) override { return IDOK; }
    bool Fails(hosted::FailPoint, const char*, int32_t, int32_t) override { return false; }
  } display;
  return hosted::RunProcess(display, [] {
    char commandLine[] = "";
    WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
  });
}
