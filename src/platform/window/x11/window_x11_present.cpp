// X11 window backend: presentation. Implements: one client-side image per
// window of the window's size, in shared memory (MIT-SHM, XShmPutImage) when
// the server offers the extension and attaching works, else in ordinary
// memory (XPutImage: remote displays); each frame copies only the changed
// rectangle into it (alpha made opaque, or scaled by the layered opacity) and
// puts only that rectangle. A layered window's image is its frame, put back
// on expose; its input shape follows alpha. Does not implement: compositing
// itself (a compositing manager blends the ARGB windows).
#include <X11/extensions/shape.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>

#include "platform/window/x11/window_x11.h"
#include "platform/window/window_messages.h"

namespace platform::posix::x11 {
namespace {

thread_local bool t_attachFailed = false;

int NoteAttachError(Display*, XErrorEvent*) {
  t_attachFailed = true;
  return 0;
}

// XShmAttach fails asynchronously (a server on another machine cannot see
// the segment): the round trip tells.
bool AttachSegment(TConnection& c, XShmSegmentInfo& segment) {
  XSync(c.display, False);
  t_attachFailed = false;
  auto previous = XSetErrorHandler(NoteAttachError);
  const bool sent = XShmAttach(c.display, &segment) != 0;
  XSync(c.display, False);
  XSetErrorHandler(previous);
  return sent && !t_attachFailed;
}

XImage* CreateSharedImage(TConnection& c, const TNativeWindow& native, XShmSegmentInfo& segment, int width,
                          int height) {
  XImage* image =
      XShmCreateImage(c.display, native.visual, native.depth, ZPixmap, nullptr, &segment, width, height);
  if (!image) return nullptr;
  segment.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * height, IPC_CREAT | 0600);
  segment.shmaddr =
      segment.shmid < 0 ? reinterpret_cast<char*>(-1) : static_cast<char*>(shmat(segment.shmid, nullptr, 0));
  segment.readOnly = False;
  const bool mapped = segment.shmaddr != reinterpret_cast<char*>(-1);
  const bool attached = mapped && AttachSegment(c, segment);
  // Marked for removal now: the segment goes once both sides let go of it.
  if (segment.shmid >= 0) shmctl(segment.shmid, IPC_RMID, nullptr);
  if (attached) {
    image->data = segment.shmaddr;
    return image;
  }
  if (mapped) shmdt(segment.shmaddr);
  XDestroyImage(image);
  return nullptr;
}

XImage* CreatePlainImage(TConnection& c, const TNativeWindow& native, int width, int height) {
  XImage* image =
      XCreateImage(c.display, native.visual, native.depth, ZPixmap, 0, nullptr, width, height, 32, 0);
  if (!image) return nullptr;
  image->data = static_cast<char*>(calloc(static_cast<size_t>(image->bytes_per_line), height));
  if (image->data) return image;
  XDestroyImage(image);
  return nullptr;
}

bool UseShm(TConnection& c) {
  if (c.shm == TConnection::kShmUnknown)
    c.shm = XShmQueryExtension(c.display) ? TConnection::kShmUsable : TConnection::kShmUnusable;
  return c.shm == TConnection::kShmUsable;
}

// The window's image at width x height, made anew (cleared) when its size changed.
XImage* ImageOf(TConnection& c, TNativeWindow& native, int width, int height) {
  TWindowImage& pixels = native.pixels;
  if (pixels.image && pixels.image->width == width && pixels.image->height == height) return pixels.image;
  ReleaseImage(c, native);
  if (UseShm(c)) {
    pixels.image = CreateSharedImage(c, native, pixels.segment, width, height);
    pixels.shared = pixels.image != nullptr;
    if (!pixels.shared) c.shm = TConnection::kShmUnusable;
  }
  if (!pixels.image) pixels.image = CreatePlainImage(c, native, width, height);
  return pixels.image;
}

// A shared image is written only once the server has read the last put from it.
void AwaitServerRead(TConnection& c, TWindowImage& pixels) {
  if (pixels.shared && pixels.pendingSerial != 0 &&
      LastKnownRequestProcessed(c.display) < pixels.pendingSerial)
    XSync(c.display, False);
  pixels.pendingSerial = 0;
}

// Puts area of the image (window coordinates) into the X window that shows
// it, whose origin lies at origin of the window.
void PutOn(TConnection& c, TNativeWindow& native, Window target, POINT origin, const RECT& area) {
  TWindowImage& pixels = native.pixels;
  const unsigned width = area.right - area.left, height = area.bottom - area.top;
  const int x = area.left - origin.x, y = area.top - origin.y;
  if (pixels.shared) {
    pixels.pendingSerial = NextRequest(c.display);
    XShmPutImage(c.display, target, native.gc, pixels.image, area.left, area.top, x, y, width, height, False);
  } else {
    XPutImage(c.display, target, native.gc, pixels.image, area.left, area.top, x, y, width, height);
  }
}

// The window's own X window, or the edges of a ring, each its part.
void Put(TConnection& c, TNativeWindow& native, const RECT& area) {
  if (native.edges.empty()) PutOn(c, native, native.id, {0, 0}, area);
  for (const TRingEdge& edge : native.edges) {
    const RECT part{std::max(area.left, edge.area.left), std::max(area.top, edge.area.top),
                    std::min(area.right, edge.area.right), std::min(area.bottom, edge.area.bottom)};
    if (part.right > part.left && part.bottom > part.top)
      PutOn(c, native, edge.id, {edge.area.left, edge.area.top}, part);
  }
  XFlush(c.display);
}

uint32_t* RowOf(XImage* image, int y) {
  return reinterpret_cast<uint32_t*>(image->data + static_cast<size_t>(y) * image->bytes_per_line);
}

uint32_t ScaleBy(uint32_t pixel, BYTE opacity) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= ((((pixel >> shift) & 0xFF) * opacity + 127) / 255) << shift;
  return out;
}

// Copies dirty of bitmap into image scaled by opacity; true when a pixel went
// from transparent to not, or back (the input shape changes then).
bool CopyLayered(XImage* image, const TBitmapView& bitmap, BYTE opacity, const RECT& dirty) {
  bool shapeChanged = false;
  for (int y = dirty.top; y < dirty.bottom; ++y) {
    const uint32_t* from = bitmap.pixels + static_cast<size_t>(y) * bitmap.stride;
    uint32_t* to = RowOf(image, y);
    for (int x = dirty.left; x < dirty.right; ++x) {
      const uint32_t pixel = opacity == 255 ? from[x] : ScaleBy(from[x], opacity);
      shapeChanged |= ((pixel >> 24) == 0) != ((to[x] >> 24) == 0);
      to[x] = pixel;
    }
  }
  return shapeChanged;
}

// Runs of pixels with alpha, row by row.
std::vector<XRectangle> OpaqueRuns(XImage* image) {
  std::vector<XRectangle> runs;
  for (int y = 0; y < image->height; ++y) {
    const uint32_t* row = RowOf(image, y);
    for (int x = 0; x < image->width;) {
      while (x < image->width && (row[x] >> 24) == 0) ++x;
      const int start = x;
      while (x < image->width && (row[x] >> 24) != 0) ++x;
      if (x > start)
        runs.push_back(
            {static_cast<short>(start), static_cast<short>(y), static_cast<unsigned short>(x - start), 1});
    }
  }
  return runs;
}

void ShapeInputByAlpha(TConnection& c, TNativeWindow& native) {
  auto runs = OpaqueRuns(native.pixels.image);
  XShapeCombineRectangles(c.display, native.id, ShapeInput, 0, 0, runs.data(), static_cast<int>(runs.size()),
                          ShapeSet, YXBanded);
  native.pixels.inputShaped = true;
}

}  // namespace

bool PresentOpaque(TConnection& c, TWindow& window, const TBitmapView& bitmap, const RECT& rect) {
  TNativeWindow& native = NativeOf(window);
  XImage* image =
      ImageOf(c, native, window.rect.right - window.rect.left, window.rect.bottom - window.rect.top);
  if (!image) return false;
  AwaitServerRead(c, native.pixels);
  for (int y = rect.top; y < rect.bottom; ++y) {
    const uint32_t* from = bitmap.pixels + static_cast<size_t>(y) * bitmap.stride;
    uint32_t* to = RowOf(image, y);
    for (int x = rect.left; x < rect.right; ++x) to[x] = from[x] | 0xFF000000;
  }
  Put(c, native, rect);
  return true;
}

bool PresentLayeredFrame(TConnection& c, TWindow& window, const TBitmapView& bitmap, BYTE opacity,
                         const RECT& dirty) {
  TNativeWindow& native = NativeOf(window);
  XImage* image = ImageOf(c, native, bitmap.width, bitmap.height);
  if (!image) return false;
  TWindowImage& pixels = native.pixels;
  // A new image (it holds no frame yet) or another opacity: all of it.
  const bool whole = !pixels.layeredShown || pixels.opacity != opacity;
  const RECT area = whole ? RECT{0, 0, bitmap.width, bitmap.height} : dirty;
  AwaitServerRead(c, pixels);
  const bool shapeChanged = CopyLayered(image, bitmap, opacity, area);
  pixels.layeredShown = true;
  pixels.opacity = opacity;
  // A WS_EX_TRANSPARENT window keeps its empty input shape.
  if ((shapeChanged || !pixels.inputShaped) && !(window.exStyle & WS_EX_TRANSPARENT))
    ShapeInputByAlpha(c, native);
  Put(c, native, area);
  return true;
}

bool PutBackLayered(TConnection& c, TNativeWindow& native, const RECT& area) {
  XImage* image = native.pixels.image;
  if (!image || !native.pixels.layeredShown) return false;
  const RECT inside{std::max(0, area.left), std::max(0, area.top), std::min(image->width, area.right),
                    std::min(image->height, area.bottom)};
  if (inside.right > inside.left && inside.bottom > inside.top) Put(c, native, inside);
  return true;
}

void DropLayeredFrame(TConnection& c, TNativeWindow& native) {
  native.pixels.layeredShown = false;
  native.pixels.inputShaped = false;
  XShapeCombineMask(c.display, native.id, ShapeInput, 0, 0, None, ShapeSet);
}

void ReleaseImage(TConnection& c, TNativeWindow& native) {
  TWindowImage& pixels = native.pixels;
  if (!pixels.image) return;
  if (pixels.shared) {
    XShmDetach(c.display, &pixels.segment);
    // The server lets go of the segment before it is unmapped here.
    XSync(c.display, False);
    shmdt(pixels.segment.shmaddr);
    pixels.image->data = nullptr;
  }
  XDestroyImage(pixels.image);
  pixels = TWindowImage{};
}

}  // namespace platform::posix::x11
