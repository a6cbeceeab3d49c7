#pragma once

#include <string>

namespace gui {

// The output folder of a new window: the desktop's Videos folder when it exists, otherwise the
// home folder; '/'-separated and ending in '/', in the local 8-bit encoding. The program's own
// folder is never used: it holds the executable "quorvex", which the folder "quorvex/" of the
// converted files would collide with, and an installed program's folder is not writable.
std::string defaultOutputDirectory();

}  // namespace gui
