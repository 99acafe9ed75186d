// The HTTP side of the classroom server: the pages, their style and scripts, the QR
// code and the quiz's media by number; every other path is "not found". Qt HttpServer
// parses the requests and hands WebSocket upgrades to the ClassroomServer.
#pragma once

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHash>
#include <QString>

#include <string>
#include <vector>

namespace vireta::server {

class PageServer : public QAbstractHttpServer {
public:
    // `media`: the quiz's media paths, served as /media/CODE/0, /media/CODE/1... with
    // the game's code; `qrSvg` the QR code of the student address.
    PageServer(std::vector<std::string> media, QString code, QByteArray qrSvg, QObject* parent = nullptr);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    // A medium's bytes, read from its file once; empty when it cannot be read.
    const QByteArray& medium(std::size_t n);

    std::vector<std::string> media_;
    QString mediaPrefix_;
    QHash<std::size_t, QByteArray> mediaRead_;
    QByteArray qrSvg_;
};

} // namespace vireta::server
