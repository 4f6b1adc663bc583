#pragma once

namespace korvex::cli {

// Exit codes shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

} // namespace korvex::cli
