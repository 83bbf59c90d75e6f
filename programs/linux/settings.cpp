#include "programs/linux/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "programs/linux/kept_runs.h"

namespace program {

std::string SettingsFile(const char* configHome, const char* home) {
  if (configHome != nullptr && configHome[0] == '/')
    return std::string(configHome) + "/cave/settings";
  if (home != nullptr && home[0] != 0) return std::string(home) + "/.config/cave/settings";
  return "";
}

bool ReadMuted(const std::string& file) {
  std::ifstream in(file);
  bool muted = false;
  for (std::string line; std::getline(in, line);)
    if (line.rfind("muted=", 0) == 0) muted = line == "muted=1";
  return muted;
}

bool WriteMuted(const std::string& file, bool muted, std::string* problem) {
  if (!MakeFolders(file.substr(0, file.rfind('/')), problem)) return false;
  std::FILE* out = std::fopen(file.c_str(), "we");
  bool written = out != nullptr && std::fputs(muted ? "muted=1\n" : "muted=0\n", out) >= 0;
  if (out != nullptr && std::fclose(out) != 0) written = false;
  if (!written) *problem = "cannot write the settings '" + file + "': " + std::strerror(errno);
  return written;
}

}  // namespace program
