// libFuzzer target: the input is a program of runtime calls, run as one
// hosted process on the headless display. Every call gets numbers,
// coordinates and texts from the input, mostly the awkward ones (edges,
// extremes, negative numbers, long texts). The lists are checked against a
// model after every list call, the string work area after every string call;
// memory faults are the sanitizers' to find.
//
// Input: a sequence of operations, each an opcode byte followed by its
// arguments; an input that runs out reads zeros.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/hosted_view.h"
#include "runtime/core/core.h"
#include "runtime/core/hooks.h"
#include "runtime/drawing/drawing.h"
#include "runtime/keyboard/keyboard.h"
#include "runtime/list/list.h"
#include "runtime/screen/screen_view.h"
#include "runtime/window/window.h"
#include "tests/support/program.h"

namespace {

// A broken expectation is a crash: libFuzzer keeps the input that shows it.
#define CHECK(condition)                                                                 \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Done() const { return at_ >= size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint32_t Raw() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | Byte();
    return value;
  }
  // Mostly numbers near the edges the runtime has to get right.
  int32_t Number() {
    static constexpr int32_t kEdges[] = {0,
                                         1,
                                         -1,
                                         2,
                                         -2,
                                         3,
                                         -3,
                                         10,
                                         50,
                                         100,
                                         160,
                                         239,
                                         240,
                                         241,
                                         255,
                                         256,
                                         319,
                                         320,
                                         321,
                                         512,
                                         32767,
                                         32768,
                                         -32768,
                                         -32769,
                                         65535,
                                         65536,
                                         1000000,
                                         INT32_MAX,
                                         INT32_MIN,
                                         INT32_MAX - 1,
                                         INT32_MIN + 1,
                                         0x40000000,
                                         -0x40000000};
    uint8_t choice = Byte();
    if (choice < 64) return kEdges[choice % (sizeof kEdges / sizeof kEdges[0])];
    if (choice < 160) return static_cast<int32_t>(choice) - 112;  // -48 ... 47
    if (choice < 224) return static_cast<int16_t>(Raw() >> 16);
    return static_cast<int32_t>(Raw());
  }
  // A count or size that stays small enough to be cheap.
  int32_t Small(int32_t limit) { return Byte() % limit; }
  // Text of up to 255 bytes from the input (a zero inside ends it early),
  // or that text repeated to a long one.
  std::string Text() {
    uint8_t length = Byte();
    std::string text;
    for (uint8_t i = 0; i < length && !Done(); ++i) text += static_cast<char>(Byte());
    if (Byte() % 8 == 0) {
      const size_t target = 1000 + static_cast<size_t>(Byte()) * 300;  // up to 77500 bytes
      std::string piece = text.empty() ? std::string("x") : text;
      text.clear();
      while (text.size() < target) text += piece;
    }
    return text;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// ---------------------------------------------------------------- lists

constexpr int kLists = 3;

// What a list should hold: its elements in order and the current one.
struct ListModel {
  bool made = false;
  uint32_t recordSize = 0;
  std::vector<ListElement*> elements;
  int current = -1;  // index into elements, -1 for none
};

// The list variable agrees with its model, link for link.
void CheckList(const List& list, const ListModel& model) {
  if (!model.made) {
    CHECK(list.head == nullptr);
    CHECK(list.current == nullptr);
    return;
  }
  CHECK(list.head != nullptr);
  CHECK(list.head->elementSize == sizeof(ListElement) + model.recordSize);
  const std::vector<ListElement*>& e = model.elements;
  CHECK(list.head->first == (e.empty() ? nullptr : e.front()));
  CHECK(list.head->last == (e.empty() ? nullptr : e.back()));
  for (size_t i = 0; i < e.size(); ++i) {
    CHECK(e[i]->previous == (i == 0 ? nullptr : e[i - 1]));
    CHECK(e[i]->next == (i + 1 == e.size() ? nullptr : e[i + 1]));
  }
  CHECK(list.current == (model.current < 0 ? nullptr : e[static_cast<size_t>(model.current)]));
  CHECK(ListCount(&list) == static_cast<int32_t>(e.size()));
}

uint32_t RecordSize(Input& in) {
  uint8_t choice = in.Byte();
  if (choice < 128) return choice % 65;
  if (choice < 240) return static_cast<uint32_t>(in.Raw() % 4097);
  // Sizes whose element size (links plus record) would not fit 32 bits.
  return UINT32_MAX - (choice % 16);
}

// ---------------------------------------------------------------- strings

constexpr int kVariables = 3;

struct Strings {
  std::vector<char*> marks;  // statement marks
  char* start = nullptr;     // start of the expression being built
  char* variables[kVariables] = {};
};

void CheckWorkArea(const Strings& s) {
  CHECK(StringWorkArea != nullptr);
  CHECK(StringWorkPosition >= StringWorkArea);
  CHECK(StringWorkPosition < StringWorkArea + kStringWorkAreaSize);
  CHECK(StringWorkArea[kStringWorkAreaSize - 1] == 0);
  CHECK(s.start >= StringWorkArea && s.start <= StringWorkPosition);
  for (char* variable : s.variables)
    if (variable) CHECK(HeapSize(RuntimeHeap, 0, variable) == std::strlen(variable) + 1);
}

// ---------------------------------------------------------------- the program

struct Fuzz {
  Fuzz(const uint8_t* data, size_t size, headless::HeadlessDisplay& shown)
      : in(data, size), display(shown) {}

  Input in;
  headless::HeadlessDisplay& display;
  uint8_t keys[256] = {};
  bool heapFailing = false;
  List lists[kLists] = {};
  ListModel models[kLists];
  Strings strings;
  std::deque<std::string> texts;  // keeps the texts handed to the last calls alive

  int32_t SpriteNumber() {
    uint8_t choice = in.Byte();
    if (choice < 200) return choice % 16;
    return in.Number();
  }
  int32_t WindowNumber() {
    uint8_t choice = in.Byte();
    if (choice < 200) return choice % 12;
    return in.Number();
  }
  // Sprite sides: mostly 1 ... 512, else any number (refused or small).
  int32_t Side() {
    uint8_t choice = in.Byte();
    if (choice < 200) return 1 + (static_cast<int32_t>(in.Byte()) << 1 | (choice & 1));
    int32_t side = in.Number();
    return side > 512 && side <= 32767 ? 512 : side;  // huge valid sprites only cost time
  }
  // Text for a call: none, a literal, a string variable's text, or an
  // expression from the work area.
  const char* TextArgument() {
    uint8_t choice = in.Byte() % 8;
    if (choice == 0) return nullptr;
    if (choice == 1) return strings.variables[in.Small(kVariables)];
    if (choice == 2) return strings.start;
    texts.push_back(in.Text());
    if (texts.size() > 16) texts.pop_front();
    return texts.back().c_str();
  }
  HWND SomeWindow() {
    uint8_t choice = in.Byte() % 4;
    if (choice == 0) return nullptr;
    if (choice == 1) return ScreenWindow();
    if (choice == 2 && hosted::WindowCount() > 0)
      return hosted::WindowAt(in.Small(hosted::WindowCount()));
    return WindowHandle();
  }

  void ListOperation(uint8_t op) {
    const int i = in.Small(kLists);
    List& list = lists[i];
    ListModel& m = models[i];
    const bool usable = m.made;
    const int size = static_cast<int>(m.elements.size());
    switch (op) {
      case 0: {  // ListNew, also again on a list in use
        uint32_t recordSize = RecordSize(in);
        ListHead* head = ListNew(&list, recordSize);
        m = ListModel{};
        if (recordSize <= UINT32_MAX - sizeof(ListElement) && !heapFailing) CHECK(head != nullptr);
        m.made = head != nullptr;
        m.recordSize = recordSize;
        break;
      }
      case 1: {  // ListAdd: a zero-filled record, which is then written whole
        ListElement* element = ListAdd(&list);
        if (!usable) {
          CHECK(element == nullptr);
          break;
        }
        if (element == nullptr) {
          CHECK(heapFailing);
          break;
        }
        auto* record = static_cast<unsigned char*>(ListRecord(element));
        for (uint32_t b = 0; b < m.recordSize; ++b) CHECK(record[b] == 0);
        std::memset(record, 0xA5, m.recordSize);
        m.current = m.current < 0 ? 0 : m.current + 1;
        m.elements.insert(m.elements.begin() + m.current, element);
        break;
      }
      case 2:  // ListDelete
        ListDelete(&list);
        if (!usable || m.current < 0) break;
        m.elements.erase(m.elements.begin() + m.current);
        if (m.elements.empty())
          m.current = -1;
        else if (m.current > 0)
          m.current -= 1;
        break;
      case 3:
        ListReset(&list);
        m.current = -1;
        break;
      case 4: {
        ListElement* result = ListNext(&list);
        if (!usable) break;
        if (m.current < 0) {
          m.current = size > 0 ? 0 : -1;
          CHECK(result == (size > 0 ? m.elements[0] : nullptr));
        } else if (m.current + 1 < size) {
          CHECK(result == m.elements[static_cast<size_t>(++m.current)]);
        } else {
          CHECK(result == nullptr);
        }
        break;
      }
      case 5: {
        ListElement* result = ListPrevious(&list);
        if (m.current > 0)
          CHECK(result == m.elements[static_cast<size_t>(--m.current)]);
        else
          CHECK(result == nullptr);
        break;
      }
      case 6:
      case 7: {
        ListElement* result = op == 6 ? ListFirst(&list) : ListLast(&list);
        if (!usable) break;
        m.current = size == 0 ? -1 : op == 6 ? 0 : size - 1;
        CHECK(result == (m.current < 0 ? nullptr : m.elements[static_cast<size_t>(m.current)]));
        break;
      }
      case 8: {  // ListSelect: index + 1 steps counted unsigned
        int32_t index = in.Number();
        CHECK(ListSelect(&list, index) == nullptr);
        if (!usable) break;
        uint32_t steps = static_cast<uint32_t>(index) + 1u;
        if (steps == 0 || size == 0)
          m.current = -1;
        else
          m.current = static_cast<int>(std::min<uint32_t>(steps, static_cast<uint32_t>(size))) - 1;
        break;
      }
      case 9: {  // a walk forwards, as the game visits its ships, then back
        int visited = 0;
        ListReset(&list);
        while (ListNext(&list) && visited <= size) ++visited;
        CHECK(visited == (usable ? size : 0));
        if (usable) m.current = size - 1;
        int back = 0;
        ListLast(&list);
        while (ListPrevious(&list) && back <= size) ++back;
        CHECK(back == (usable && size > 0 ? size - 1 : 0));
        if (usable) m.current = size > 0 ? 0 : -1;
        break;
      }
    }
    CheckList(list, m);
  }

  void SpriteOperation(uint8_t op) {
    switch (op) {
      case 0: {
        int32_t number = SpriteNumber(), width = Side(), height = Side();
        IDirectDrawSurface7* made = SpriteCreate(number, width, height);
        if (number < 0 || width < 1 || height < 1 || width > 32767 || height > 32767)
          CHECK(made == nullptr);
        if (made) {
          const SpriteRecord* record = SpriteRecordAt(number);
          CHECK(record != nullptr && record->surface == made);
          CHECK(record->width == width && record->height == height);
        }
        break;
      }
      case 1:
      case 2: {
        int32_t number = SpriteNumber(), x = in.Number(), y = in.Number();
        if (op == 1)
          SpriteDisplay(number, x, y);
        else
          SpriteDisplayKeyed(number, x, y);
        break;
      }
      case 3: {  // a sprite copied onto itself, as the cave scrolls
        int32_t number = SpriteNumber(), x = in.Number(), y = in.Number();
        SpriteTarget(number);
        SpriteDisplay(number, x, y);
        SpriteTarget(-1);
        break;
      }
      case 4:
        SpriteTarget(in.Byte() < 128 ? -1 : SpriteNumber());
        break;
      case 5:
        SpriteFree(SpriteNumber());
        break;
      case 6:
        SpriteTableGrow(in.Byte() < 200 ? in.Small(120) : in.Number());
        break;
    }
  }

  void DrawingOperation(uint8_t op) {
    switch (op) {
      case 0:
        DrawingStart(SpriteOutput(SpriteNumber()));
        break;
      case 1:
        DrawingStart(ScreenOutput());
        break;
      case 2: {  // two outputs asked for before either is opened
        DrawingOutput* first = in.Byte() < 128 ? SpriteOutput(SpriteNumber()) : ScreenOutput();
        DrawingOutput* second = in.Byte() < 128 ? SpriteOutput(SpriteNumber()) : ScreenOutput();
        if (first && first == second) CHECK(false);  // one producer hands out one output
        DrawingStart(in.Byte() < 128 ? first : second);
        break;
      }
      case 3:
        DrawingStop();
        break;
      case 4:
        DrawingStart(nullptr);
        break;
      case 5:
        DrawingMode(in.Number());
        break;
      case 6: {
        int32_t r = in.Number(), g = in.Number(), b = in.Number();
        DrawingColour(r, g, b);
        break;
      }
      case 7: {
        int32_t x = in.Number(), y = in.Number(), w = in.Number(), h = in.Number();
        DrawBox(x, y, w, h, in.Raw());
        break;
      }
      case 8: {
        int32_t x = in.Number(), y = in.Number(), r = in.Number();
        DrawCircle(x, y, r, in.Raw());
        break;
      }
      case 9: {
        int32_t x = in.Number(), y = in.Number();
        DrawPlot(x, y, in.Raw());
        break;
      }
      case 10: {
        int32_t x = in.Number(), y = in.Number();
        ReadPoint(x, y);
        break;
      }
      case 11: {
        int32_t x = in.Number(), y = in.Number();
        TextCursor(x, y);
        break;
      }
      case 12:
        DrawText(TextArgument());
        break;
    }
  }

  void ScreenOperation(uint8_t op) {
    switch (op) {
      case 0:
        ScreenFlip();
        break;
      case 1: {
        int32_t r = in.Number(), g = in.Number(), b = in.Number();
        ScreenClear(r, g, b);
        break;
      }
      case 2: {
        int32_t rate = in.Byte() < 200 ? in.Small(120) : in.Number();
        int32_t result = ScreenSetFrameRate(rate);
        if (rate < 0) CHECK(result == 0);
        break;
      }
      case 3: {
        HWND window = SomeWindow();
        int32_t x = in.Number(), y = in.Number(), w = Side(), h = Side();
        int32_t stretch = in.Byte() & 1, right = in.Number(), bottom = in.Number();
        ScreenOpenWindowed(window, x, y, w, h, stretch, right, bottom);
        break;
      }
      case 4:
        ScreenClose();
        break;
      case 5:
        ScreenInit();
        break;
      case 6:
        ScreenStop();
        break;
      case 7:  // a close request from the window manager, seen at the next flip
        if (HWND window = SomeWindow()) display.RequestClose(window);
        break;
    }
  }

  void KeyboardOperation(uint8_t op) {
    switch (op) {
      case 0:
        KeyboardExamine();
        break;
      case 1: {  // what the next snapshot will show
        uint8_t key = in.Byte();
        keys[key] = in.Byte() < 128 ? 0x80 : 0;
        break;
      }
      case 2:    // KeyDown: 0 or 0x80
      case 3: {  // KeyReleased: 0 or 1; both 0 for keys outside 0-255
        int32_t key = in.Byte() < 128 ? in.Byte() : in.Number();
        int32_t answer = op == 2 ? KeyDown(key) : KeyReleased(key);
        CHECK(answer == 0 || answer == (op == 2 ? 0x80 : 1));
        if (key < 0 || key > 255) CHECK(answer == 0);
        break;
      }
      case 4:
        KeyboardInit();
        break;
      case 5:
        KeyboardStop();
        break;
      case 6:
        display.FailDeviceStates(in.Small(4));
        break;
    }
  }

  void WindowOperation(uint8_t op) {
    static constexpr uint32_t kFlags[] = {0,          1,          2,          3,
                                          0x10000000, 0x10000003, 0x80000001, 0x90000000,
                                          0x00C00000, 0x00CF0000, 0x40000000, 0x80000002};
    switch (op) {
      case 0: {
        int32_t number = WindowNumber(), x = in.Number(), y = in.Number(), w = in.Number(),
                h = in.Number();
        uint8_t choice = in.Byte();
        uint32_t flags = choice < 200 ? kFlags[choice % 12] : in.Raw();
        const char* title = TextArgument();
        HWND window = WindowOpen(number, x, y, w, h, flags, title);
        if (number < 0 || number >= kWindowNumberLimit) CHECK(window == nullptr);
        break;
      }
      case 1:
        WindowClose(WindowNumber());
        break;
      case 2:
        WindowStop();
        break;
    }
  }

  void StringOperation(uint8_t op) {
    Strings& s = strings;
    switch (op) {
      case 0: {  // StringAppend: the text, cut where the work area ends
        const char* text = TextArgument();
        char* before = StringWorkPosition;
        std::string expected = text ? std::string(text) : std::string();
        size_t room = static_cast<size_t>(StringWorkArea + kStringWorkAreaSize - 1 - before);
        if (expected.size() > room) expected.resize(room);
        StringAppend(text);
        CHECK(StringWorkPosition == before + (text ? expected.size() : 0));
        if (text) CHECK(std::memcmp(before, expected.data(), expected.size()) == 0);
        if (text) CHECK(*StringWorkPosition == 0);
        break;
      }
      case 1: {
        int32_t value = in.Number();
        char* before = StringWorkPosition;
        CHECK(FormatInt(value, StringWorkPosition) == before);
        std::string expected = std::to_string(value);
        size_t room = static_cast<size_t>(StringWorkArea + kStringWorkAreaSize - 1 - before);
        if (expected.size() > room) expected.resize(room);
        CHECK(std::string(before) == expected);
        CHECK(StringWorkPosition == before + expected.size());
        break;
      }
      case 2:  // the expression becomes a call argument; the next one starts behind it
        CHECK(StringArgument(s.start) == s.start);
        s.start = StringWorkPosition;
        break;
      case 3:  // a statement begins
        s.marks.push_back(StringWorkPosition);
        s.start = StringWorkPosition;
        break;
      case 4:  // a statement ends
        if (s.marks.empty()) break;
        StringWorkPosition = s.marks.back();
        s.marks.pop_back();
        s.start = StringWorkPosition;
        break;
      case 5: {  // StringStoreExpression: the expression, also one holding the variable's own text
        char** variable = &s.variables[in.Small(kVariables)];
        const size_t span = static_cast<size_t>(StringWorkPosition - s.start);
        std::string expected(s.start, strnlen(s.start, span));
        char* start = s.start;
        StringStoreExpression(variable, start);
        CHECK(*variable != nullptr && expected == *variable);
        CHECK(StringWorkPosition == start);
        break;
      }
      case 6: {  // StringAssign, also from a variable's own text
        char** variable = &s.variables[in.Small(kVariables)];
        const char* text = TextArgument();
        std::string expected = text ? text : "";
        StringAssign(variable, text);
        if (text)
          CHECK(*variable != nullptr && expected == *variable);
        else
          CHECK(*variable == nullptr);
        break;
      }
      case 7: {  // a local string variable goes out of scope
        char** variable = &s.variables[in.Small(kVariables)];
        StringRelease(*variable);
        *variable = nullptr;
        break;
      }
      case 8: {
        const char* title = TextArgument();
        const char* text = TextArgument();
        size_t boxes = display.MessageBoxes().size();
        int32_t result = ShowMessage(title, text, in.Raw());
        CHECK(result == IDOK || result == 0);
        if (result == IDOK) CHECK(display.MessageBoxes().size() == boxes + 1);
        break;
      }
      case 9: {
        int32_t max = in.Number();
        int32_t value = RandomNext(max);
        if (max < 0)
          CHECK(value == INT32_MIN);
        else
          CHECK(value >= 0 && value <= max);
        break;
      }
      case 10:
        RandomSeed(in.Raw());
        break;
      case 11:
        SleepMs(in.Raw());
        break;
    }
    CheckWorkArea(s);
  }

  void Run() {
    strings.start = StringWorkPosition;
    // Start-up as the game makes it. The rate of 0 gives way to the open's 60
    // frames per second, which the virtual clock makes cost next to nothing.
    ScreenInit();
    KeyboardInit();
    ScreenSetFrameRate(0);
    WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "");
    ScreenOpenWindowed(WindowHandle(), 0, 0, 320, 240, 0, 0, 0);
    while (!in.Done()) {
      uint8_t op = in.Byte();
      switch (op % 9) {
        case 0:
        case 1:
          ListOperation(static_cast<uint8_t>((op / 9) % 10));
          break;
        case 2:
          SpriteOperation(static_cast<uint8_t>((op / 9) % 7));
          break;
        case 3:
        case 4:
          DrawingOperation(static_cast<uint8_t>((op / 9) % 13));
          break;
        case 5:
          ScreenOperation(static_cast<uint8_t>((op / 9) % 8));
          break;
        case 6:
          if ((op / 9) % 2 == 0)
            KeyboardOperation(static_cast<uint8_t>((op / 18) % 7));
          else
            WindowOperation(static_cast<uint8_t>((op / 18) % 3));
          break;
        case 7:
          StringOperation(static_cast<uint8_t>((op / 9) % 12));
          break;
        case 8:
          // Every allocation fails from here on, or works again. Where the
          // runtime cannot go on without memory it ends the program.
          heapFailing = (op / 9) % 2 == 0;
          if (heapFailing)
            display.FailHeapAllocFrom(0);
          else
            display.ClearFailures();
          break;
      }
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  headless::HeadlessDisplay display(static_cast<uint32_t>(size), 400, 300);
  Fuzz fuzz(data, size, display);
  display.SetKeyScript([&](int, uint8_t state[256]) { std::memcpy(state, fuzz.keys, 256); });
  int code = RunWithProgram(display, [&] { fuzz.Run(); });
  CHECK(code == 0);
  return 0;
}
