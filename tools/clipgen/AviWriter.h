#pragma once

#include <QByteArray>
#include <QSize>
#include <vector>

namespace kv::clipgen {

// Packs JPEG frames into a RIFF AVI 1.0 file: one Motion-JPEG video stream, every frame a
// key frame, with an idx1 index whose offsets are relative to the 'movi' list's type
// field. Returns an empty array when the input cannot make a valid file (no frames, an
// empty frame, a size or rate out of range, or a file past the 1 GiB AVI 1.0 limit).
QByteArray buildMjpegAvi(const std::vector<QByteArray>& jpegFrames, QSize frameSize, int fps);

} // namespace kv::clipgen
