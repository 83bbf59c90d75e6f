// What the probe programs share: the end with a message, surfaces as PPM.
#include "tests/wine/windows/probe.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/core/core.h"

void ProbeFinish(const char* message) {
  std::printf("%s\n", message);
  std::fflush(stdout);
  RuntimeEnd();
}

bool WriteSurfacePpm(IDirectDrawSurface7* surface, const char* file) {
  if (surface == nullptr || file == nullptr) return false;
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return false;
  const uint32_t bits = desc.ddpfPixelFormat.dwRGBBitCount;
  const int32_t width = static_cast<int32_t>(desc.dwWidth);
  const int32_t height = static_cast<int32_t>(desc.dwHeight);
  std::vector<unsigned char> rgb;
  bool known = bits == 32 || bits == 16;
  if (known) {
    rgb.resize(static_cast<size_t>(width) * height * 3);
    for (int32_t y = 0; y < height; ++y) {
      const unsigned char* row = static_cast<const unsigned char*>(desc.lpSurface) +
                                 static_cast<ptrdiff_t>(y) * desc.lPitch;
      for (int32_t x = 0; x < width; ++x) {
        unsigned char* out = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        if (bits == 32) {
          uint32_t pixel;
          std::memcpy(&pixel, row + x * 4, 4);
          out[0] = static_cast<unsigned char>(pixel >> 16);
          out[1] = static_cast<unsigned char>(pixel >> 8);
          out[2] = static_cast<unsigned char>(pixel);
        } else {
          uint16_t pixel;
          std::memcpy(&pixel, row + x * 2, 2);
          // Widened the way a 5-6-5 display shows it: the top bits repeated.
          uint32_t r = (pixel >> 11) & 31, g = (pixel >> 5) & 63, b = pixel & 31;
          out[0] = static_cast<unsigned char>((r << 3) | (r >> 2));
          out[1] = static_cast<unsigned char>((g << 2) | (g >> 4));
          out[2] = static_cast<unsigned char>((b << 3) | (b >> 2));
        }
      }
    }
  }
  surface->Unlock(nullptr);
  if (!known) return false;
  std::FILE* out = std::fopen(file, "wb");
  if (out == nullptr) return false;
  std::fprintf(out, "P6\n%d %d\n255\n", width, height);
  bool written = std::fwrite(rgb.data(), 1, rgb.size(), out) == rgb.size();
  return std::fclose(out) == 0 && written;
}
