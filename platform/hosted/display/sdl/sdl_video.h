// SDL's video for the SDL display: started once, on the first question that
// needs a screen, with the hints a windowed game on a shared desktop wants;
// the primary screen it finds and the scale of the logical desktop on it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/hosted/display/sdl/sdl_driver.h"

namespace sdl {

// The desktop when there is no screen.
constexpr int32_t kFallbackWidth = 1024;
constexpr int32_t kFallbackHeight = 768;

// Starts SDL's video, the cursor and the game controllers, once; true while
// video runs, false for good where no screen can be opened.
bool StartVideo(Driver& driver);
// Ends every SDL window, the controllers, the cursor and SDL itself.
void StopVideo(Driver& driver);

// SdlDisplay's SetScale and LargestScale (sdl_display.h).
bool ChooseScale(Driver& driver, int32_t scale);
int32_t LargestScaleOf(Driver& driver);
// The logical desktop: the screen divided by the scale; 1024 x 768 without
// a screen.
void LogicalDesktop(Driver& driver, int32_t* width, int32_t* height);
// Says `line` and exits when the connection to the screen breaks (ending.h),
// now if video runs on X11, else once it does.
void EndWhenScreenLost(Driver& driver, const std::string& line);

}  // namespace sdl
