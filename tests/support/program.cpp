#include "tests/support/program.h"

#include <utility>

#include "runtime/start/start.h"

namespace {
std::function<void()> currentProgram;
}

void GameMain() {
  if (currentProgram) currentProgram();
}

void GameReset() {}

int RunWithProgram(hosted::Display& display, hosted::ProcessHooks* hooks,
                   std::function<void()> program) {
  currentProgram = std::move(program);
  int code = hosted::RunWinMain(display, hooks);
  currentProgram = nullptr;
  return code;
}

int RunWithProgram(headless::HeadlessDisplay& display, std::function<void()> program) {
  return RunWithProgram(display, &display, std::move(program));
}

int RunWithProgram(std::function<void()> program) {
  headless::HeadlessDisplay display;
  return RunWithProgram(display, std::move(program));
}
