// The player's settings that outlive a game, in a small file of "name=value"
// lines: $XDG_CONFIG_HOME/cave/settings, or ~/.config/cave/settings when
// XDG_CONFIG_HOME is unset, empty or not an absolute path. One setting so
// far: whether the sound is muted ("muted=1"), which M changes in a game.
#pragma once

#include <string>

namespace program {

// The settings file for the values of XDG_CONFIG_HOME and HOME (either may be
// none); empty when neither gives one.
std::string SettingsFile(const char* configHome, const char* home);

// Whether `file` says the sound is muted; a missing or unreadable file, or
// one that does not say, means not.
bool ReadMuted(const std::string& file);

// Writes `file` (making its folders) to say whether the sound is muted;
// false with a one-line problem when it cannot.
bool WriteMuted(const std::string& file, bool muted, std::string* problem);

}  // namespace program
