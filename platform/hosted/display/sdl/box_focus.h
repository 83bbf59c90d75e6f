// The keyboard for SDL's message boxes on X11 screens without a window
// manager. SDL shows a box as a window of its own (drawn by a child process
// on X11), in front, but never gives it the keyboard: a window manager does
// that, and without one the keys go on to the game's window, so that a box
// in front of the full-screen game could not be answered. A watcher gives
// the keyboard to the box once it is shown, as a window manager would.
#pragma once

struct SDL_Window;

namespace sdl {

// Starts watching for the message box that is about to be shown over
// `parent`; returns the watcher, 0 where there is none to start (no X11
// screen, no parent). The watcher, a child process, dies with the program.
int WatchBoxFocus(SDL_Window* parent);

// Ends the watcher (0: none) once the box has been answered.
void EndBoxFocus(int watcher);

}  // namespace sdl
