// What the files of the runs library share: the words of the recording
// format, which format.cpp reads and writer.cpp writes.
#pragma once

#include <string_view>

namespace runs::internal {

constexpr std::string_view kFormat = "# cave recording ";
constexpr std::string_view kVersion = "1";
constexpr std::string_view kTick = "# tick ";
constexpr std::string_view kPlayers = "# players ";
constexpr char kGhost = '#';  // then the ghost's number 1-3, a space and its line
constexpr std::string_view kBox = "# box";
constexpr std::string_view kExit = "# exit";

}  // namespace runs::internal
