// The message box's keyboard: a child process, as SDL's box is one, that
// waits for the box on a connection of its own and gives it the focus.
#include "platform/hosted/display/sdl/box_focus.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/hosted/display/sdl/ending.h"

namespace sdl {

#if defined(SDL_VIDEO_DRIVER_X11) && defined(CAVE_X11)

namespace {

constexpr int kWatchSteps = 500;          // 10 s in all: a box that is not up by
constexpr useconds_t kWatchStep = 20000;  // then is left as it is

// The viewable top-level window that is transient for `owner`, as SDL's box
// over it is; 0 while there is none.
Window BoxOver(Display* display, Window owner) {
  Window root = 0, parent = 0, found = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
  for (unsigned int i = 0; i < count && found == 0; ++i) {
    Window transientFor = 0;
    XWindowAttributes attributes;
    if (XGetTransientForHint(display, children[i], &transientFor) && transientFor == owner &&
        XGetWindowAttributes(display, children[i], &attributes) &&
        attributes.map_state == IsViewable)
      found = children[i];
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

int WatchBoxFocus(SDL_Window* parent) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (parent == nullptr || !SDL_GetWindowWMInfo(parent, &info) || info.subsystem != SDL_SYSWM_X11)
    return 0;
  Window owner = info.info.x11.window;
  pid_t program = getpid();
  pid_t watcher = fork();
  if (watcher != 0) return watcher > 0 ? watcher : 0;
  // The child: nothing of the parent's state is touched, it ends without
  // running the parent's exit handlers, and it never outlives the program.
  TieToProgram(program);
  Display* display = XOpenDisplay(nullptr);
  for (int step = 0; display != nullptr && step < kWatchSteps; ++step) {
    if (Window box = BoxOver(display, owner)) {
      XSetInputFocus(display, box, RevertToParent, CurrentTime);
      XSync(display, False);
      break;
    }
    usleep(kWatchStep);
  }
  _exit(0);
}

void EndBoxFocus(int watcher) {
  if (watcher <= 0) return;
  kill(watcher, SIGKILL);
  waitpid(watcher, nullptr, 0);
}

#else

int WatchBoxFocus(SDL_Window*) { return 0; }
void EndBoxFocus(int) {}

#endif

}  // namespace sdl
