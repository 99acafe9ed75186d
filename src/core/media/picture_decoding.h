// What the picture decoder's parts share: image_decoder.cpp holds the entry points,
// which read the file and choose the format by its extension, and each format's own
// decoder (jpeg_decoder.cpp, png_decoder.cpp) turns the file's bytes into an Image.
// Only for media/.
//
// Both libraries report a fatal error by calling a handler that must not return. The
// decoders' handlers record the message and longjmp back to a setjmp in a function
// that holds no C++ object of its own: all state lives in a job object owned by the
// caller, which is destroyed normally after the jump, and the jump only ever crosses
// the libraries' C frames.
#pragma once

#include "media/image_decoder.h"

#include <string>
#include <vector>

namespace vireta::decoding {

// The whole file; ImageDecodeError when it cannot be read or is too large for a
// picture. libjpeg decodes fastest from memory: its Huffman decoder takes a slower
// path whenever fewer than a few kilobytes of input are buffered; libpng reads from it
// as well.
std::vector<unsigned char> readPicture(const std::string& path);

// Sets the image's size and channels, with every byte of its rows 0.
void allocate(Image& image, int width, int height, int channels);

// The picture in the file at `path`: whole when `box` is null, else reduced for the
// box as decodePreview says. Throw ImageDecodeError when the picture cannot be
// produced (std::bad_alloc is left to the caller).
Image decodeJpeg(const std::string& path, const Size* box);
Image decodePng(const std::string& path, const Size* box);

} // namespace vireta::decoding
