// Hosted window manager: the thread's message queue and message boxes.
//
// The queue is filled by the display (keys, close requests: PostQueued) and by
// PostMessageA, and emptied only by the calls that retrieve messages:
// PeekMessageA, whose messages DispatchMessageA hands to their window
// procedure, and the modal loop of MessageBoxA.
#include <deque>

#include "platform/hosted/hosted_view.h"
#include "platform/hosted/internal.h"

namespace hosted {
namespace {

struct MessageState {
  std::deque<MSG> queue;
};

MessageState& State() {
  static MessageState state;
  return state;
}

}  // namespace

void ResetMessages() { State().queue.clear(); }

void ForgetMessages(HWND window) {
  std::erase_if(State().queue, [window](const MSG& msg) { return msg.hwnd == window; });
}

void PostQueued(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = CurrentDisplay().TickCount();
  State().queue.push_back(msg);
}

}  // namespace hosted

BOOL WINAPI PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  hosted::NotWaiting();
  if (handle != nullptr && !IsWindow(handle)) return FALSE;
  hosted::PostQueued(handle, message, wParam, lParam);
  return TRUE;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND handle, UINT filterMin, UINT filterMax, UINT remove) {
  hosted::NotWaiting();
  hosted::CurrentDisplay().Pump();
  auto& queue = hosted::State().queue;
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (handle == reinterpret_cast<HWND>(-1)) {
      if (it->hwnd != nullptr) continue;
    } else if (handle != nullptr && it->hwnd != handle) {
      continue;
    }
    if ((filterMin != 0 || filterMax != 0) && (it->message < filterMin || it->message > filterMax))
      continue;
    if (msg) *msg = *it;
    if (remove & PM_REMOVE) queue.erase(it);
    return TRUE;
  }
  return FALSE;
}

// Character messages are not generated: nothing in this system reads them.
BOOL WINAPI TranslateMessage(const MSG* msg) {
  return msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN);
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  if (msg == nullptr) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  hosted::NotWaiting();
  if (owner != nullptr && !IsWindow(owner)) return 0;  // invalid owner window
  // The box's modal loop retrieves and dispatches what waits in the queue,
  // as the real dialog loop does before and while it shows the box.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  int answer = hosted::CurrentDisplay().MessageBox(owner, text ? text : "",
                                                   caption ? caption : "Error", type);
  // A box ended by a request to end the process (a signal) ends it here, not
  // wherever the program next calls the platform.
  hosted::NotWaiting();
  return answer;
}
