#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace korvex {

class TPLang;

// The file, catalogue and serial layers word their errors in English, as the
// command-line tool and the log show them. The window words them again in
// its language: each such message has a language entry whose English text
// is its pattern, %1, %2 ... standing for what varies (a name, a number, or
// a message of its own, worded in turn), so a message is read back by its
// English pattern and put in the loaded language's words. In English the
// message comes back as it was; one that matches no pattern stays as it is.
std::string WordedMessage(const TPLang& lang, std::string_view english);

// An error as a face shows it (DescribeError), worded in the language.
std::string WordedError(const TPLang& lang, const std::exception& error);

} // namespace korvex
