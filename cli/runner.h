#pragma once

#include <cstdio>

#include "cli/options.h"

namespace cli {

// Converts (or exports) every input of `options` in order. Summary lines go to `out`, errors
// (each naming the file) to `err`, the progress bar to `err` when `showProgress`. A failing
// file leaves nothing behind and does not stop the others. Returns the exit status: 0 when
// every file succeeded, 1 otherwise.
int runConversions(const Options& options, std::FILE* out, std::FILE* err, bool showProgress);

}  // namespace cli
