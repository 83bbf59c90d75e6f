// The program's end: signals noted, children tied to the program, a broken
// connection to the X server.
#include "platform/hosted/display/sdl/ending.h"

#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <iterator>
#include <new>
#include <string>

#if defined(CAVE_X11)
#include <X11/Xlib.h>
#endif

namespace sdl {
namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// What the program, its signal handler and the child that shows a message
// box share: memory that stays shared across fork(), so that the handler
// learns which child to kill, and a child forked just before a signal
// learns of it.
struct Shared {
  std::atomic<int> signal;  // the first ending signal caught; 0: none
  std::atomic<pid_t> box;   // the child showing a message box; 0: none
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<pid_t>::is_always_lock_free,
              "the signal handler may use only lock-free atomics");

struct EndingState {
  Shared* shared = nullptr;
  bool caught[3] = {};       // per kEndingSignals: caught by Caught
  pid_t program = 0;         // the parent of the children forked for a box
  bool forkingBox = false;   // between BeginChildBox and EndChildBox
  bool forkHandler = false;  // ForkedForBox is installed
  pid_t lostProgram = 0;     // the process that says the line below
  std::string lostLine;      // with its newline
};

EndingState& State() {
  static EndingState state;
  return state;
}

// Made by the program before any handler or child can need it; without
// shared memory, a box forked just before a signal is waited for.
Shared* SharedState() {
  EndingState& state = State();
  if (state.shared == nullptr) {
    static Shared unshared{};
    void* page =
        mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    state.shared = page == MAP_FAILED ? &unshared : new (page) Shared{};
  }
  return state.shared;
}

// Async-signal-safe: atomics that are lock-free, and kill().
void Caught(int signal) {
  Shared* shared = State().shared;
  int none = 0;
  shared->signal.compare_exchange_strong(none, signal);
  pid_t box = shared->box.load();
  if (box > 0) kill(box, SIGKILL);
}

// Runs in every child forked while a box is being shown: SDL's.
void ForkedForBox() {
  EndingState& state = State();
  if (!state.forkingBox) return;
  TieToProgram(state.program);
  state.shared->box.store(getpid());
  // A signal caught before the line above found no child to kill.
  if (state.shared->signal.load() != 0) _exit(1);
}

#if defined(CAVE_X11)
// Xlib exits when this returns: it never does.
int ConnectionBroke(Display*) {
  const EndingState& state = State();
  if (getpid() == state.lostProgram &&
      write(STDERR_FILENO, state.lostLine.data(), state.lostLine.size()) < 0)
    _exit(1);
  _exit(1);
}
#endif

}  // namespace

// SIGINT is caught even where it was ignored: a shell starts the
// background jobs of a script so. Only nohup's SIGHUP is a wish to keep.
void CatchEndingSignals() {
  EndingState& state = State();
  SharedState();
  struct sigaction action {};
  action.sa_handler = Caught;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
    struct sigaction before {};
    if (sigaction(kEndingSignals[i], nullptr, &before) != 0) continue;
    if (kEndingSignals[i] == SIGHUP && before.sa_handler == SIG_IGN) continue;
    state.caught[i] = sigaction(kEndingSignals[i], &action, nullptr) == 0;
  }
}

int CaughtSignal() { return State().shared ? State().shared->signal.load() : 0; }

void BeginChildBox() {
  EndingState& state = State();
  SharedState();
  if (!state.forkHandler) state.forkHandler = pthread_atfork(nullptr, nullptr, ForkedForBox) == 0;
  state.program = getpid();
  state.forkingBox = true;
}

void EndChildBox() {
  State().forkingBox = false;
  SharedState()->box.store(0);
}

// Only async-signal-safe calls: the program may have other threads.
void TieToProgram(pid_t program) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The program may have ended before the line above took effect: the child
  // has another parent then.
  if (getppid() != program) _exit(1);
  const EndingState& state = State();
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  for (size_t i = 0; i < std::size(kEndingSignals); ++i)
    if (state.caught[i]) sigaction(kEndingSignals[i], &standard, nullptr);
}

void EndWhenXConnectionBreaks(const char* line) {
#if defined(CAVE_X11)
  EndingState& state = State();
  state.lostLine = std::string(line) + "\n";
  state.lostProgram = getpid();
  XSetIOErrorHandler(ConnectionBroke);
#else
  (void)line;
#endif
}

}  // namespace sdl
