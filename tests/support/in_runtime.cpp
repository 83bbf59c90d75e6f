// InRuntime: the one helper of the test support that needs GoogleTest (the
// fuzz target links program.cpp without it).
#include <gtest/gtest.h>

#include "tests/support/program.h"

void InRuntime(const std::function<void()>& body) { EXPECT_EQ(RunWithProgram(body), 0); }
