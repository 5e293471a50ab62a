// Drops files on an X window the way a file manager does (the XDND protocol, version 5), so
// the end-to-end test can drop onto the running viewer.
// Usage: qv_xdnd_drop WINDOW X Y FILE...   (WINDOW: decimal id; X, Y: root coordinates)
// With --close WINDOW it asks the window to close, as a window manager's close button does
// (the virtual X server of the tests runs no window manager).
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

Atom Intern(Display* d, const char* name) { return XInternAtom(d, name, False); }

void Send(Display* d, Window target, Atom type, long l0, long l1, long l2, long l3, long l4) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.display = d;
  e.xclient.window = target;
  e.xclient.message_type = type;
  e.xclient.format = 32;
  e.xclient.data.l[0] = l0;
  e.xclient.data.l[1] = l1;
  e.xclient.data.l[2] = l2;
  e.xclient.data.l[3] = l3;
  e.xclient.data.l[4] = l4;
  XSendEvent(d, target, False, NoEventMask, &e);
  XFlush(d);
}

// The window under (x, y) that announces XdndAware: the toplevel or one of its ancestors'
// children along the pointer path.
Window AwareWindow(Display* d, Window start, int x, int y, Atom aware) {
  Window w = start;
  for (int depth = 0; depth < 16 && w != None; ++depth) {
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, aware, 0, 1, False, AnyPropertyType, &type, &format, &n, &after,
                           &data) == Success && data) {
      XFree(data);
      if (n > 0) return w;
    }
    Window child = None;
    int cx, cy;
    XTranslateCoordinates(d, DefaultRootWindow(d), w, x, y, &cx, &cy, &child);
    w = child;
  }
  return None;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--close") {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 1;
    const Window w = std::strtoul(argv[2], nullptr, 10);
    Send(d, w, Intern(d, "WM_PROTOCOLS"), static_cast<long>(Intern(d, "WM_DELETE_WINDOW")), CurrentTime, 0, 0, 0);
    XSync(d, False);
    XCloseDisplay(d);
    return 0;
  }
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s WINDOW X Y FILE...\n", argv[0]);
    return 2;
  }
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "no display\n");
    return 1;
  }
  const Window top = std::strtoul(argv[1], nullptr, 10);
  const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
  std::string uris;
  for (int i = 4; i < argc; ++i)
    uris += "file://" + std::filesystem::absolute(argv[i]).lexically_normal().string() + "\r\n";

  const Atom aware = Intern(d, "XdndAware"), enter = Intern(d, "XdndEnter"),
             position = Intern(d, "XdndPosition"), status = Intern(d, "XdndStatus"),
             drop = Intern(d, "XdndDrop"), finished = Intern(d, "XdndFinished"),
             leave = Intern(d, "XdndLeave"), selection = Intern(d, "XdndSelection"),
             copy = Intern(d, "XdndActionCopy"), uriList = Intern(d, "text/uri-list");
  const Window target = AwareWindow(d, top, x, y, aware);
  if (target == None) {
    std::fprintf(stderr, "no XdndAware window at %d,%d\n", x, y);
    return 1;
  }
  const Window source = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(d, selection, source, CurrentTime);
  Send(d, target, enter, static_cast<long>(source), 5L << 24, static_cast<long>(uriList), 0, 0);
  Send(d, target, position, static_cast<long>(source), 0, (x << 16) | y, CurrentTime,
       static_cast<long>(copy));

  enum { kWaitStatus, kWaitFinish } stage = kWaitStatus;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (!XPending(d)) {
      struct timespec ts = {0, 10'000'000};
      nanosleep(&ts, nullptr);
      continue;
    }
    XEvent e;
    XNextEvent(d, &e);
    if (e.type == ClientMessage && e.xclient.message_type == status && stage == kWaitStatus) {
      if (!(e.xclient.data.l[1] & 1)) {
        Send(d, target, leave, static_cast<long>(source), 0, 0, 0, 0);
        std::fprintf(stderr, "the window refused the drop\n");
        return 1;
      }
      Send(d, target, drop, static_cast<long>(source), 0, CurrentTime, 0, 0);
      stage = kWaitFinish;
    } else if (e.type == SelectionRequest) {
      XSelectionRequestEvent& r = e.xselectionrequest;
      XEvent reply{};
      reply.xselection.type = SelectionNotify;
      reply.xselection.requestor = r.requestor;
      reply.xselection.selection = r.selection;
      reply.xselection.target = r.target;
      reply.xselection.time = r.time;
      reply.xselection.property = None;
      if (r.target == uriList) {
        const Atom property = r.property != None ? r.property : r.target;
        XChangeProperty(d, r.requestor, property, uriList, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(uris.data()),
                        static_cast<int>(uris.size()));
        reply.xselection.property = property;
      }
      XSendEvent(d, r.requestor, False, NoEventMask, &reply);
      XFlush(d);
    } else if (e.type == ClientMessage && e.xclient.message_type == finished) {
      XCloseDisplay(d);
      return 0;
    }
  }
  std::fprintf(stderr, "the drop did not finish\n");
  return 1;
}
