#pragma once

#include "workflows/workbench.h"

#include <string>

namespace korvex {

// The 32-digit configuration text to write: the configuration image with the
// fuse choices laid over it. Empty when the processor has no configuration set.
std::string BuildConfigText(const TPWorkbench& bench);

// Sets the fuse choices from the configuration word of the loaded program file.
void ShowFileConfig(TPWorkbench& bench);

} // namespace korvex
