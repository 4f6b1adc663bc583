#pragma once

#include "link/transportfault.h"
#include "support/lang.h"

#include <string>

namespace korvex {

// A fault on the line in the language loaded: "no answer to packet 10", "a
// spoiled answer to the erase"; empty for tfNone. The same words go to the
// log, the face's remark and a failure's message, so a user reads one
// language throughout.
std::string FaultWords(const TPLang& lang, const TTransportFault& fault);

} // namespace korvex
