#pragma once

#include <filesystem>

namespace korvex {

class TPCardReader;

// The catalogues whose lines the program gives a meaning to.
enum class TCatalogueKind { ckOther, ckPics, ckEeproms, ckConfigWords };

// By the file's name: pics.cfg, eeproms.cfg, configwords.cfg.
TCatalogueKind CatalogueKindOf(const std::filesystem::path& file);

// A line that cannot be right would only show later, and elsewhere: a size
// of 0 or less writes nothing and says "written", a kind no programmer knows
// goes out as a device digit, a number that does not parse fails deep inside
// a command, a size beyond the programmer's reach sends padding for minutes.
// Throws EErrorsInCfg "<file> line <n>: <what is wrong>" for the first entry
// that has too few fields, an empty name, a number that does not parse, a
// size of 0 or less or beyond what the programmer's addresses reach, an
// unknown kind, an AVR identification that is no three bytes, a loader name
// leading out of defaults/, or a bit pattern longer than a configuration
// word. Other catalogues pass.
void CheckCatalogueEntries(const TPCardReader& reader, TCatalogueKind kind);

} // namespace korvex
