// The smaller JPEG copies of a photograph that cameras store beside it: an EXIF
// thumbnail (APP1, usually 160x120) and often a larger screen preview indexed by an
// MPF segment (APP2) and appended after the photograph. Decoding one of those that
// still covers the preview box skips the Huffman decoding of the whole photograph,
// which no libjpeg scale can avoid. Only for media/; bytes from untrusted files, so
// every offset is checked against the size.
#pragma once

#include "media/image_decoder.h"

#include <vector>

namespace vireta::decoding {

// The bytes of the smallest preview embedded in the JPEG `data` that can stand in for
// the photograph in `box` (a box for the stored rows, before any EXIF turn): its own
// fitted size holds the photograph's fitted size, and its proportions are the
// photograph's within 2% (a letterboxed thumbnail would show bars). Empty when none
// qualifies, when the photograph is no larger than the box, or when the photograph
// looks cut short (then the whole decode reports it). The preview itself is not
// checked beyond its markers: a damaged one fails when it is decoded.
std::vector<unsigned char> embeddedPreview(const std::vector<unsigned char>& data, const Size& box);

} // namespace vireta::decoding
