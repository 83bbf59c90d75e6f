// The hosted side of a probe program: the same GameMain as on Windows, run on
// the headless display, with the command line kept for ProbeArgument.
#include "platform/hosted/display/headless/headless.h"
#include "tests/wine/windows/probe.h"

namespace {
int argumentCount = 0;
char** arguments = nullptr;
}  // namespace

const char* ProbeArgument(int index) {
  if (index < 0 || index >= argumentCount) return nullptr;
  return arguments[index];
}

int main(int argc, char** argv) {
  argumentCount = argc;
  arguments = argv;
  headless::HeadlessDisplay display;
  return hosted::RunWinMain(display, &display);
}
