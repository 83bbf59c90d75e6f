// Hosted kernel: private heaps, the clock, built-in modules, process start
// and exit.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/hosted/ddraw.h"
#include "platform/hosted/dinput.h"
#include "platform/hosted/dsound.h"
#include "platform/hosted/hosted_view.h"
#include "platform/hosted/internal.h"

namespace hosted {
namespace {

struct Heap {
  std::unordered_map<void*, size_t> blocks;  // block -> size in bytes
};

// A built-in module: what LoadLibraryA can find without a file system.
struct Module {
  const char* name;
  const char* exportName;
  FARPROC exported;
  int references;
};

struct KernelState {
  std::unordered_set<Heap*> heaps;
  Module modules[3];
  bool inProcess;
  ProcessHooks* hooks;  // of the running process; null: none
  char instance;        // the program's module handle points here
};

KernelState& State() {
  static KernelState state;
  return state;
}

void FreeHeap(Heap* heap) {
  for (auto& [block, size] : heap->blocks) std::free(block);
  delete heap;
}

Heap* FindHeap(HANDLE handle) {
  Heap* heap = static_cast<Heap*>(handle);
  return State().heaps.count(heap) ? heap : nullptr;
}

// Module names are compared case-insensitively, and a name without an
// extension means the ".DLL" one, as on Windows.
std::string CanonicalModuleName(const char* name) {
  std::string result;
  for (const char* p = name; *p; ++p) {
    if (*p == '/' || *p == '\\')
      result.clear();
    else
      result += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  }
  if (result.find('.') == std::string::npos) result += ".DLL";
  return result;
}

// Exports are handed out as FARPROC, as GetProcAddress does; the detour
// through void (*)() says the cast is meant.
template <typename Function>
FARPROC ExportOf(Function* function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

Module* FindModule(HMODULE handle) {
  for (Module& module : State().modules)
    if (handle == reinterpret_cast<HMODULE>(&module) && module.references > 0) return &module;
  return nullptr;
}

}  // namespace

bool EqualNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    int ca = std::tolower(static_cast<unsigned char>(*a));
    int cb = std::tolower(static_cast<unsigned char>(*b));
    if (ca != cb) return false;
    if (ca == 0) return true;
  }
}

void ResetKernel() {
  KernelState& state = State();
  for (Heap* heap : state.heaps) FreeHeap(heap);
  state.heaps.clear();
  state.modules[0] = {"DDRAW.DLL", "DirectDrawCreateEx", ExportOf(&::DirectDrawCreateEx), 0};
  state.modules[1] = {"DINPUT.DLL", "DirectInputCreateEx", ExportOf(&::DirectInputCreateEx), 0};
  state.modules[2] = {"DSOUND.DLL", "DirectSoundCreate", ExportOf(&::DirectSoundCreate), 0};
}

size_t HeapBlockCount(HANDLE handle) {
  Heap* heap = FindHeap(handle);
  return heap ? heap->blocks.size() : 0;
}

}  // namespace hosted

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName == nullptr) return reinterpret_cast<HMODULE>(&hosted::State().instance);
  std::string name = hosted::CanonicalModuleName(moduleName);
  for (hosted::Module& module : hosted::State().modules)
    if (module.references > 0 && name == module.name) return reinterpret_cast<HMODULE>(&module);
  return nullptr;
}

HANDLE WINAPI HeapCreate(DWORD, SIZE_T, SIZE_T) {
  hosted::NotWaiting();
  if (hosted::CurrentHooks().Fails(hosted::FailPoint::kHeapCreate, "", 0, 0)) return nullptr;
  auto* heap = new hosted::Heap;
  hosted::State().heaps.insert(heap);
  return heap;
}

LPVOID WINAPI HeapAlloc(HANDLE handle, DWORD flags, SIZE_T bytes) {
  hosted::NotWaiting();
  hosted::Heap* heap = hosted::FindHeap(handle);
  if (heap == nullptr) return nullptr;
  if (hosted::CurrentHooks().Fails(hosted::FailPoint::kHeapAlloc, "", 0, 0)) return nullptr;
  void* block = std::malloc(bytes ? bytes : 1);
  if (block == nullptr) return nullptr;
  if (flags & HEAP_ZERO_MEMORY) std::memset(block, 0, bytes);
  heap->blocks[block] = bytes;
  return block;
}

LPVOID WINAPI HeapReAlloc(HANDLE handle, DWORD flags, LPVOID block, SIZE_T bytes) {
  hosted::NotWaiting();
  hosted::Heap* heap = hosted::FindHeap(handle);
  if (heap == nullptr || block == nullptr) return nullptr;
  auto found = heap->blocks.find(block);
  if (found == heap->blocks.end()) return nullptr;
  size_t oldSize = found->second;
  if (flags & HEAP_REALLOC_IN_PLACE_ONLY) {
    if (bytes > oldSize) return nullptr;
    found->second = bytes;
    return block;
  }
  if (hosted::CurrentHooks().Fails(hosted::FailPoint::kHeapAlloc, "", 0, 0)) return nullptr;
  void* grown = std::malloc(bytes ? bytes : 1);
  if (grown == nullptr) return nullptr;  // the old block stays valid, as on Windows
  std::memcpy(grown, block, std::min(oldSize, bytes));
  if ((flags & HEAP_ZERO_MEMORY) && bytes > oldSize)
    std::memset(static_cast<char*>(grown) + oldSize, 0, bytes - oldSize);
  std::free(block);
  heap->blocks.erase(found);
  heap->blocks[grown] = bytes;
  return grown;
}

BOOL WINAPI HeapFree(HANDLE handle, DWORD, LPVOID block) {
  hosted::Heap* heap = hosted::FindHeap(handle);
  if (heap == nullptr) return FALSE;
  if (block == nullptr) return TRUE;
  auto found = heap->blocks.find(block);
  if (found == heap->blocks.end()) return FALSE;
  std::free(block);
  heap->blocks.erase(found);
  return TRUE;
}

SIZE_T WINAPI HeapSize(HANDLE handle, DWORD, LPCVOID block) {
  hosted::Heap* heap = hosted::FindHeap(handle);
  if (heap == nullptr) return static_cast<SIZE_T>(-1);
  auto found = heap->blocks.find(const_cast<void*>(block));
  return found == heap->blocks.end() ? static_cast<SIZE_T>(-1) : found->second;
}

BOOL WINAPI HeapDestroy(HANDLE handle) {
  hosted::Heap* heap = hosted::FindHeap(handle);
  if (heap == nullptr) return FALSE;
  hosted::State().heaps.erase(heap);
  hosted::FreeHeap(heap);
  return TRUE;
}

DWORD WINAPI GetTickCount() {
  hosted::NotWaiting();
  return hosted::CurrentDisplay().TickCount();
}

void WINAPI Sleep(DWORD milliseconds) {
  hosted::NotWaiting();
  hosted::CurrentDisplay().Sleep(milliseconds);
  hosted::NotWaiting();  // an end asked for meanwhile comes before the program goes on
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (frequency == nullptr) return FALSE;
  frequency->QuadPart = 10000000;
  return TRUE;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (count == nullptr) return FALSE;
  count->QuadPart = hosted::ReadClock(hosted::CurrentDisplay());
  return TRUE;
}

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
  hosted::NotWaiting();
  if (fileName == nullptr) return nullptr;
  std::string name = hosted::CanonicalModuleName(fileName);
  hosted::Display& display = hosted::CurrentDisplay();
  for (hosted::Module& module : hosted::State().modules) {
    if (name != module.name) continue;
    if (hosted::CurrentHooks().Fails(hosted::FailPoint::kLoadLibrary, module.name, 0, 0))
      return nullptr;
    // Without a screen there is no DirectDraw driver to load.
    if (name == "DDRAW.DLL" && !display.Available()) return nullptr;
    ++module.references;
    return reinterpret_cast<HMODULE>(&module);
  }
  return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR procName) {
  hosted::Module* module = hosted::FindModule(handle);
  if (module == nullptr || procName == nullptr || IS_INTRESOURCE(procName)) return nullptr;
  return std::strcmp(procName, module->exportName) == 0 ? module->exported : nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE handle) {
  hosted::Module* module = hosted::FindModule(handle);
  if (module == nullptr) return FALSE;
  --module->references;
  return TRUE;
}

void WINAPI ExitProcess(UINT exitCode) {
  if (hosted::State().inProcess) throw hosted::ProcessExit{exitCode};
  std::exit(static_cast<int>(exitCode));
}

namespace hosted {

ProcessHooks& CurrentHooks() {
  static ProcessHooks none;
  ProcessHooks* hooks = hosted::State().hooks;
  return hooks ? *hooks : none;
}

int RunProcess(Display& display, const std::function<void()>& entry, ProcessHooks* hooks) {
  InstallDisplay(&display);
  ResetClock();
  ResetKernel();
  ResetUser();
  ResetMessages();
  ResetWindowDCs();
  ResetGdi();
  ResetDirectDraw();
  ResetDirectInput();
  ResetDirectSound();
  hosted::State().inProcess = true;
  hosted::State().hooks = hooks;
  int code = 0;
  try {
    entry();
  } catch (const ProcessExit& exit) {
    code = static_cast<int>(exit.code);
  }
  hosted::State().inProcess = false;
  hosted::State().hooks = nullptr;
  InstallDisplay(nullptr);
  ResetClock();
  return code;
}

}  // namespace hosted
