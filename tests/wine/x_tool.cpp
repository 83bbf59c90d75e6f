// wine-xtool: what the Wine tests need from the X server and from pictures
// that xdotool does not offer.
//
//   wine-xtool shot FILE X Y W H     root window area as a binary PPM
//   wine-xtool close WINDOW          close request (WM_DELETE_WINDOW), as a
//                                    window manager sends it
//   wine-xtool icon WINDOW SIZE FILE the window's SIZE x SIZE icon as a PAM
//                                    picture with alpha (RGB_ALPHA), the
//                                    transparent pixels black
//   wine-xtool red-row FILE X0 X1    mean row of the red pixels in columns
//                                    X0 ... X1, rows 1 ... H-2; "none"
//   wine-xtool border FILE           pixels of the outermost ring not red
//   wine-xtool lit FILE              pixels that are not black
//   wine-xtool diff A B              pixels that differ
//   wine-xtool cells A B SIZE        differing pixels per SIZE x SIZE cell,
//                                    one line per row of cells
//
// Pictures are binary PPM files with 8 bits per channel. Exit code 0, or 2
// with a message on standard error when something cannot be done.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
  const unsigned char* At(int x, int y) const {
    return &rgb[(static_cast<size_t>(y) * width + x) * 3];
  }
};

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "wine-xtool: %s\n", message.c_str());
  std::exit(2);
}

long Number(const char* text) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 0);
  if (end == text || *end != 0) Fail(std::string("not a number: ") + text);
  return value;
}

// Reads a P6 file with maxval 255 (no comments, as every writer here makes).
Picture Read(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  int maxval = 0;
  Picture picture;
  if (!(in >> magic >> picture.width >> picture.height >> maxval) || magic != "P6" ||
      maxval != 255 || picture.width <= 0 || picture.height <= 0 || picture.width > 65535 ||
      picture.height > 65535)
    Fail("not a binary PPM picture: " + file);
  in.get();
  picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
  if (!in.read(reinterpret_cast<char*>(picture.rgb.data()),
               static_cast<std::streamsize>(picture.rgb.size())))
    Fail("picture cut short: " + file);
  return picture;
}

void Write(const std::string& file, const Picture& picture) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) Fail("cannot write " + file);
  std::fprintf(out, "P6\n%d %d\n255\n", picture.width, picture.height);
  bool written = std::fwrite(picture.rgb.data(), 1, picture.rgb.size(), out) == picture.rgb.size();
  if (std::fclose(out) != 0 || !written) Fail("cannot write " + file);
}

Display* Open() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) Fail("cannot open the X display");
  return display;
}

// Position of the lowest set bit and width of a channel mask.
void MaskShape(unsigned long mask, int* shift, int* bits) {
  *shift = 0;
  *bits = 0;
  if (mask == 0) return;
  while (!(mask & 1)) {
    mask >>= 1;
    ++*shift;
  }
  while (mask & 1) {
    mask >>= 1;
    ++*bits;
  }
}

unsigned char Channel(unsigned long pixel, unsigned long mask) {
  int shift = 0, bits = 0;
  MaskShape(mask, &shift, &bits);
  if (bits == 0) return 0;
  unsigned long value = (pixel & mask) >> shift;
  return static_cast<unsigned char>(value * 255 / ((1ul << bits) - 1));
}

int Shot(const std::string& file, int x, int y, int width, int height) {
  if (width <= 0 || height <= 0) Fail("empty area");
  Display* display = Open();
  XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) Fail("cannot read the screen");
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column) {
      unsigned long pixel = XGetPixel(image, column, row);
      unsigned char* out = &picture.rgb[(static_cast<size_t>(row) * width + column) * 3];
      out[0] = Channel(pixel, image->red_mask);
      out[1] = Channel(pixel, image->green_mask);
      out[2] = Channel(pixel, image->blue_mask);
    }
  XDestroyImage(image);
  XCloseDisplay(display);
  Write(file, picture);
  return 0;
}

int Close(Window window) {
  Display* display = Open();
  XEvent event;
  std::memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  if (XSendEvent(display, window, False, NoEventMask, &event) == 0)
    Fail("cannot send the close request");
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}

// _NET_WM_ICON holds every size the program offers, each as width, height
// and that many ARGB pixels; Xlib hands 32-bit items over as longs.
int Icon(Window window, long size, const std::string& file) {
  Display* display = Open();
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 20,
                         False, XA_CARDINAL, &type, &format, &count, &after, &data) != Success ||
      data == nullptr || format != 32)
    Fail("the window has no icon");
  const unsigned long* values = reinterpret_cast<const unsigned long*>(data);
  for (unsigned long i = 0; i + 2 <= count; i += 2 + values[i] * values[i + 1]) {
    const unsigned long width = values[i], height = values[i + 1];
    if (width != static_cast<unsigned long>(size) || height != width ||
        count - i - 2 < width * height)
      continue;
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr) Fail("cannot write " + file);
    std::fprintf(out,
                 "P7\nWIDTH %ld\nHEIGHT %ld\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                 size, size);
    for (unsigned long k = 0; k < width * height; ++k) {
      const unsigned long argb = values[i + 2 + k] & 0xFFFFFFFFul;
      const unsigned long alpha = argb >> 24;
      const unsigned char pixel[4] = {static_cast<unsigned char>(alpha ? argb >> 16 : 0),
                                      static_cast<unsigned char>(alpha ? argb >> 8 : 0),
                                      static_cast<unsigned char>(alpha ? argb : 0),
                                      static_cast<unsigned char>(alpha)};
      std::fwrite(pixel, 1, 4, out);
    }
    if (std::fclose(out) != 0) Fail("cannot write " + file);
    XFree(data);
    XCloseDisplay(display);
    return 0;
  }
  Fail("the window has no icon of " + std::to_string(size) + " pixels");
}

bool IsRed(const unsigned char* p, int least) { return p[0] >= least && p[1] < 60 && p[2] < 60; }

int RedRow(const Picture& picture, int first, int last) {
  double sum = 0;
  long count = 0;
  for (int y = 1; y < picture.height - 1; ++y)
    for (int x = first < 0 ? 0 : first; x <= last && x < picture.width; ++x)
      if (IsRed(picture.At(x, y), 100)) {
        sum += y;
        ++count;
      }
  if (count == 0)
    std::printf("none\n");
  else
    std::printf("%.2f %ld\n", sum / static_cast<double>(count), count);
  return 0;
}

int Border(const Picture& picture) {
  long wrong = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      bool edge = x == 0 || y == 0 || x == picture.width - 1 || y == picture.height - 1;
      if (edge && !IsRed(picture.At(x, y), 200)) ++wrong;
    }
  std::printf("%ld\n", wrong);
  return 0;
}

int Lit(const Picture& picture) {
  long lit = 0;
  for (size_t i = 0; i < picture.rgb.size(); i += 3)
    if (picture.rgb[i] | picture.rgb[i + 1] | picture.rgb[i + 2]) ++lit;
  std::printf("%ld\n", lit);
  return 0;
}

void SameSize(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height)
    Fail("pictures differ in size: " + std::to_string(a.width) + "x" + std::to_string(a.height) +
         " and " + std::to_string(b.width) + "x" + std::to_string(b.height));
}

int Diff(const Picture& a, const Picture& b) {
  SameSize(a, b);
  long differ = 0;
  for (size_t i = 0; i < a.rgb.size(); i += 3)
    if (std::memcmp(&a.rgb[i], &b.rgb[i], 3) != 0) ++differ;
  std::printf("%ld\n", differ);
  return 0;
}

int Cells(const Picture& a, const Picture& b, int size) {
  SameSize(a, b);
  if (size <= 0) Fail("cell size must be positive");
  for (int top = 0; top < a.height; top += size) {
    std::string line;
    for (int left = 0; left < a.width; left += size) {
      long differ = 0;
      for (int y = top; y < top + size && y < a.height; ++y)
        for (int x = left; x < left + size && x < a.width; ++x)
          if (std::memcmp(a.At(x, y), b.At(x, y), 3) != 0) ++differ;
      line += (line.empty() ? "" : " ") + std::to_string(differ);
    }
    std::printf("%s\n", line.c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "shot" && argc == 7)
    return Shot(argv[2], static_cast<int>(Number(argv[3])), static_cast<int>(Number(argv[4])),
                static_cast<int>(Number(argv[5])), static_cast<int>(Number(argv[6])));
  if (command == "close" && argc == 3) return Close(static_cast<Window>(Number(argv[2])));
  if (command == "icon" && argc == 5)
    return Icon(static_cast<Window>(Number(argv[2])), Number(argv[3]), argv[4]);
  if (command == "red-row" && argc == 5)
    return RedRow(Read(argv[2]), static_cast<int>(Number(argv[3])),
                  static_cast<int>(Number(argv[4])));
  if (command == "border" && argc == 3) return Border(Read(argv[2]));
  if (command == "lit" && argc == 3) return Lit(Read(argv[2]));
  if (command == "diff" && argc == 4) return Diff(Read(argv[2]), Read(argv[3]));
  if (command == "cells" && argc == 5)
    return Cells(Read(argv[2]), Read(argv[3]), static_cast<int>(Number(argv[4])));
  Fail("usage: wine-xtool shot|close|icon|red-row|border|lit|diff|cells ...");
}
