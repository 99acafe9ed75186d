#include "classroom/qr_code.h"

#include <qrencode.h>

#include <memory>

namespace vireta::classroom {

QrCode qrCode(std::string_view text) {
    const std::string owned(text);
    const std::unique_ptr<QRcode, void (*)(QRcode*)> encoded(
        QRcode_encodeString8bit(owned.c_str(), 0, QR_ECLEVEL_M), QRcode_free);
    QrCode code;
    if (!encoded)
        return code;
    code.size = encoded->width;
    code.dark.resize(static_cast<std::size_t>(code.size * code.size));
    for (std::size_t i = 0; i < code.dark.size(); ++i)
        code.dark[i] = (encoded->data[i] & 1) != 0;
    return code;
}

std::string qrSvg(const QrCode& code) {
    constexpr int kQuietZone = 4;
    const std::string side = std::to_string(code.size + 2 * kQuietZone);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + side + " " + side +
                      "\" shape-rendering=\"crispEdges\"><rect width=\"" + side + "\" height=\"" + side +
                      "\" fill=\"#fff\"/><path fill=\"#000\" d=\"";
    for (int y = 0; y < code.size; ++y) {
        for (int x = 0; x < code.size; ++x) {
            if (code.at(x, y))
                svg += "M" + std::to_string(x + kQuietZone) + " " + std::to_string(y + kQuietZone) + "h1v1h-1z";
        }
    }
    return svg + "\"/></svg>";
}

} // namespace vireta::classroom
