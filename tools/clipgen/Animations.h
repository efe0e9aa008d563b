#pragma once

#include <QImage>
#include <QSize>

namespace kv::clipgen {

// The size and pace of both intro clips. Two panes of this size sit side by side in the
// switchboard's 600 x 335 screen area with room for its buttons below.
inline constexpr QSize kClipSize{288, 160};
inline constexpr int kClipFps = 20;
inline constexpr int kClipFrames = 60; // three seconds

// "cds_an": an LP, a CD and a single slide in and spin on a shelf.
QImage drawRecordsFrame(int frame);
// "text_an": the product name and its tagline animate in.
QImage drawTitleFrame(int frame);

} // namespace kv::clipgen
