#pragma once

#include "support/datafolders.h"
#include "workflows/presenter/mainview.h"

#include <optional>
#include <string>

namespace korvex {

// The 32-digit configuration text to write: the configuration area a program
// file gave (`configText`, blank where it gave none) with the fuse choices
// laid over it. Empty when the processor has no configuration word set
// (`configSet` 0 or less).
std::string BuildConfigText(int configSet, const TPDataFolders& folders,
                            const std::string& configText, const TFuseChoices& fuses);

// The four fuse choices a configuration word stands for; the lock is taken
// from `base`. nullopt when the processor has no configuration word set.
std::optional<TFuseChoices> FuseChoicesOfWord(int configSet, const TPDataFolders& folders,
                                              const std::string& configText,
                                              const TFuseChoices& base);

} // namespace korvex
