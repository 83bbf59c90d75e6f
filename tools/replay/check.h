// cave-replay --check: how a replay of a recording compares with it.
#pragma once

#include <string>
#include <vector>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/display/recording/recording.h"

// The first way in which the replay differs from `recorded`, in the order of
// the game: it ended before the recording's last snapshot, it went on after
// it, a box differs or is missing or extra, or the exit code differs; "" when
// they agree. `boxes`, `snapshots` and `exitCode` are the replay's. Of a
// recording without an end (an interrupted game) only the boxes shown up to
// its last snapshot are compared.
std::string FirstDifference(const recording::Recording& recorded,
                            const std::vector<headless::MessageBoxRecord>& boxes, int snapshots,
                            int exitCode);
