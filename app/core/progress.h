#pragma once

#include <functional>

namespace core {

// Called on the converting thread after each frame with the frames done so far and the total.
using ProgressCallback = std::function<void(int done, int total)>;

}  // namespace core
