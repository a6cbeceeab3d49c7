#pragma once

#include <QImage>

#include "image/image_buffer.h"

namespace gui {

// A top-down copy of `frame` for drawing: 32-bit frames as opaque RGB32 with each
// pixel composited over white by its alpha (the movie's background), 24-bit as
// BGR888, 16-bit through the frame's masks, and 1, 4 and 8 bits through its
// palette. A null image for an invalid frame or an unsupported depth.
QImage toQImage(const image::ImageBuffer& frame);

}  // namespace gui
