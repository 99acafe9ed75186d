#include "page_server.h"

#include "classroom/game_quiz.h"
#include "formats/web_game.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>

namespace vireta::server {
namespace {

// Nothing a page loads may come from outside the laptop, and no script runs but the
// page's own file.
constexpr char kPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; media-src 'self'; "
    "connect-src 'self'; form-action 'none'; base-uri 'none'; frame-ancestors 'none'";

struct Page {
    const char* path;
    const char* resource;
    const char* type;
};

const Page kPages[] = {
    {"/", ":/pages/alumnado.html", "text/html; charset=utf-8"},
    {"/presentador", ":/pages/presentador.html", "text/html; charset=utf-8"},
    {"/xogo.css", ":/pages/xogo.css", "text/css; charset=utf-8"},
    {"/comun.js", ":/pages/comun.js", "text/javascript; charset=utf-8"},
    {"/alumnado.js", ":/pages/alumnado.js", "text/javascript; charset=utf-8"},
    {"/presentador.js", ":/pages/presentador.js", "text/javascript; charset=utf-8"},
};

QByteArray resource(const char* name) {
    QFile file(QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void reply(QHttpServerResponder responder, const QHttpServerRequest& request, const QByteArray& body,
           const QByteArray& type, QHttpServerResponder::StatusCode status, const QByteArray& cache) {
    const QByteArray sent = request.method() == QHttpServerRequest::Method::Head ? QByteArray() : body;
    responder.write(sent,
                    {{"Content-Type", type},
                     {"Content-Security-Policy", kPolicy},
                     {"X-Content-Type-Options", "nosniff"},
                     {"Referrer-Policy", "no-referrer"},
                     {"Cache-Control", cache}},
                    status);
}

void notFound(QHttpServerResponder responder, const QHttpServerRequest& request) {
    reply(std::move(responder), request, "Non se atopou.\n", "text/plain; charset=utf-8",
          QHttpServerResponder::StatusCode::NotFound, "no-store");
}

// The medium number of a path "/media/N": digits only, no sign, no leading zero.
std::optional<std::size_t> mediumNumber(const QString& path) {
    static const QString prefix = QStringLiteral("/media/");
    if (!path.startsWith(prefix))
        return std::nullopt;
    const QString digits = path.mid(prefix.size());
    if (digits.isEmpty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == u'0'))
        return std::nullopt;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    return digits.toULongLong();
}

} // namespace

PageServer::PageServer(std::vector<std::string> media, QByteArray qrSvg, QObject* parent)
    : QAbstractHttpServer(parent), media_(std::move(media)), qrSvg_(std::move(qrSvg)) {}

const QByteArray& PageServer::medium(std::size_t n) {
    auto it = mediaRead_.find(n);
    if (it == mediaRead_.end()) {
        int error = 0;
        const std::optional<std::string> bytes = webgame::readMediaFile(media_[n], error);
        it = mediaRead_.insert(n, bytes ? QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()))
                                        : QByteArray());
    }
    return *it;
}

bool PageServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    const auto method = request.method();
    if (method != QHttpServerRequest::Method::Get && method != QHttpServerRequest::Method::Head) {
        reply(makeResponder(request, socket), request, "", "text/plain; charset=utf-8",
              QHttpServerResponder::StatusCode::MethodNotAllowed, "no-store");
        return true;
    }
    const QString path = request.url().path(QUrl::FullyEncoded);
    // The WebSocket: handled means "hand it over" (the server then makes the socket);
    // a plain request for it is not found.
    if (path == QLatin1String("/ws"))
        return request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
    for (const Page& page : kPages) {
        if (path == QLatin1String(page.path)) {
            reply(makeResponder(request, socket), request, resource(page.resource), page.type, QHttpServerResponder::StatusCode::Ok,
                  "no-cache");
            return true;
        }
    }
    if (path == QLatin1String("/favicon.ico")) { // asked by every browser; the pages have none
        reply(makeResponder(request, socket), request, "", "image/x-icon",
              QHttpServerResponder::StatusCode::NoContent, "max-age=86400");
        return true;
    }
    if (path == QLatin1String("/qr.svg")) {
        reply(makeResponder(request, socket), request, qrSvg_, "image/svg+xml", QHttpServerResponder::StatusCode::Ok, "no-cache");
        return true;
    }
    if (const std::optional<std::size_t> n = mediumNumber(path); n && *n < media_.size()) {
        const QByteArray& bytes = medium(*n);
        if (!bytes.isEmpty()) {
            reply(makeResponder(request, socket), request, bytes, QByteArray(classroom::mediaType(media_[*n]).data()),
                  QHttpServerResponder::StatusCode::Ok, "private, max-age=3600");
            return true;
        }
    }
    return false; // missingHandler
}

void PageServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    notFound(makeResponder(request, socket), request);
}

} // namespace vireta::server
