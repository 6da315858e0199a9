#pragma once
// mSearchWindows: plugs the search window into the program: the main window's Recurse opens a
// new, independent search window each time (a list file dropped on it opens in one), and the search windows' About and Exit reach the
// about box and EndProgram. Main installs it at start-up; tests that open search windows from
// the main window install it too.

namespace mSearchWindows {

void Install();

} // namespace mSearchWindows
