// The QR code that takes a phone to the student page, drawn by libqrencode.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vireta::classroom {

struct QrCode {
    int size = 0;            // modules per side; 0 when the text could not be encoded
    std::vector<bool> dark;  // size x size, row by row
    bool at(int x, int y) const { return dark[static_cast<std::size_t>(y * size + x)]; }
};

// The text as a QR code of medium error correction (a phone reads it off a projector
// or a screen across a room).
QrCode qrCode(std::string_view text);

// The code as an SVG picture, one unit per module, with the four-module quiet zone.
std::string qrSvg(const QrCode& code);

} // namespace vireta::classroom
