// An autopilot for cave-replay: decides, at a keyboard snapshot, whether the
// first ship should thrust, by looking ahead over the cave columns that
// already exist. It makes long key timelines that fly through narrow
// passages; it is a tool for making test input, not part of the game.
#pragma once

#include <vector>

#include "game/game.h"

// True when the ship should hold its key in this snapshot. `columns` is the
// column list as it stands (index = screen column). The search simulates the
// ship's motion exactly as the game does for every column that will pass
// under it, and picks the first key of the path that keeps the collision line
// farthest from the rock.
bool SteerUp(const Ship& ship, const std::vector<CaveColumn>& columns);
