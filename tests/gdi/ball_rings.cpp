#include "tests/gdi/ball_rings.h"

#include <cstdint>

#ifndef _WIN32
#include "platform/hosted/internal.h"
#endif

char BallRingCharacter(COLORREF pixel) {
  if ((pixel & 0xFFFFFF) == RGB(255, 255, 255)) return '.';
  for (int ring = 0; ring <= 10; ++ring)
    if ((pixel & 0xFFFFFF) == BallRingColour(ring)) return "0123456789A"[ring];
  return '?';
}

std::vector<std::string> DrawBallRings(HDC dc) {
  const int r = kBallSize / 2;
  for (int i = r; i >= 0; --i) {
    HBRUSH brush = CreateSolidBrush(BallRingColour(i));
    HPEN pen = CreatePen(PS_SOLID, 0, BallRingColour(i));
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Ellipse(dc, r - i, r - i, r + i, r + i);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
  }
  std::vector<std::string> rows;
  for (int y = 0; y < kBallSize; ++y) {
    std::string row;
    for (int x = 0; x < kBallSize; ++x) row += BallRingCharacter(GetPixel(dc, x, y));
    rows.push_back(row);
  }
  return rows;
}

#ifndef _WIN32
std::vector<std::string> HostedBallRings() {
  std::vector<uint32_t> memory(kBallSize * kBallSize, 0x00FFFFFF);
  HDC dc = hosted::CreateMemoryDC(memory.data(), kBallSize, kBallSize, kBallSize * 4);
  std::vector<std::string> rows = DrawBallRings(dc);
  hosted::DeleteMemoryDC(dc);
  return rows;
}
#endif
