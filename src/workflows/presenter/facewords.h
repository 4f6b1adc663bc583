#pragma once

#include <map>

namespace korvex {

// The messages the command-line tool words its own way, each with the entry
// that stands in for it there: the window's send the user to its rows ("the
// row File to Pic"), its menus (Setup > Options, Setup > Port) and its option
// boxes, which a command-line user has not got; the stand-ins name the
// command, option or setting that does the same.
const std::map<int, int>& CommandLineStandIns();

} // namespace korvex
