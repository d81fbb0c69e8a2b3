// Screenshot of an X display as a person sees it: the root window with the
// desktop pointer drawn in where it is (XFixes), written as a PPM file.
// Prints "pointer visible" or "pointer hidden" (the pointer image has no
// opaque pixel). Usage: pointer_shot OUT.ppm (on $DISPLAY).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr unsigned kOpaque = 0x80;  // alpha from which a pointer pixel counts as shown

struct Rgb {
  unsigned char r, g, b;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pointer_shot OUT.ppm\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "pointer_shot: cannot open the display\n");
    return 2;
  }
  int eventBase = 0, errorBase = 0;
  if (!XFixesQueryExtension(display, &eventBase, &errorBase)) {
    std::fprintf(stderr, "pointer_shot: the display has no XFixes\n");
    return 2;
  }
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  const int w = attributes.width, h = attributes.height;
  XImage* image = XGetImage(display, root, 0, 0, w, h, AllPlanes, ZPixmap);
  if (!image) return 2;
  std::vector<Rgb> pixels(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      pixels[static_cast<size_t>(y) * w + x] = {static_cast<unsigned char>((p >> 16) & 0xFF),
                                                static_cast<unsigned char>((p >> 8) & 0xFF),
                                                static_cast<unsigned char>(p & 0xFF)};
    }
  XDestroyImage(image);

  bool visible = false;
  if (XFixesCursorImage* cursor = XFixesGetCursorImage(display)) {
    // Pixels are premultiplied ARGB in unsigned longs.
    for (int cy = 0; cy < cursor->height; ++cy)
      for (int cx = 0; cx < cursor->width; ++cx) {
        const unsigned long p = cursor->pixels[cy * cursor->width + cx];
        const unsigned a = (p >> 24) & 0xFF;
        if (a < kOpaque) continue;
        visible = true;
        const int x = cursor->x - cursor->xhot + cx, y = cursor->y - cursor->yhot + cy;
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        pixels[static_cast<size_t>(y) * w + x] = {static_cast<unsigned char>((p >> 16) & 0xFF),
                                                  static_cast<unsigned char>((p >> 8) & 0xFF),
                                                  static_cast<unsigned char>(p & 0xFF)};
      }
    XFree(cursor);
  }
  XCloseDisplay(display);

  std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(argv[1], "wb"), std::fclose);
  if (!out) return 2;
  std::fprintf(out.get(), "P6\n%d %d\n255\n", w, h);
  std::fwrite(pixels.data(), sizeof(Rgb), pixels.size(), out.get());
  std::printf("pointer %s\n", visible ? "visible" : "hidden");
  return 0;
}
