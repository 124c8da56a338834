#include "app/TRemoteServer.h"

#include "logging/LogOld.h"
#include "remote/ErrorQueue.h"
#include "remote/RemoteSession.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <string_view>
#include <utility>

namespace App {

struct TRemoteServer::TClient {
    QTcpSocket* Socket = nullptr; // owned by its listener; deleted later once dropped
    std::string Name;             // "127.0.0.1:40312", "[::1]:40312"
    std::unique_ptr<Remote::TRemoteSession> Session;
    // Set while the client's commands run: an action may run the event loop (validation does),
    // and then neither its next bytes nor its going away may reach the session in the middle.
    bool Busy = false;
    bool Gone = false;
};

namespace {

std::string PeerName(const QTcpSocket& socket) {
    const QHostAddress address = socket.peerAddress();
    const std::string host = address.toString().toStdString();
    const std::string port = std::to_string(socket.peerPort());
    return address.protocol() == QAbstractSocket::IPv6Protocol ? "[" + host + "]:" + port : host + ":" + port;
}

void SendLine(QTcpSocket& socket, const std::string& line) {
    socket.write(line.data(), static_cast<qint64>(line.size()));
    socket.write("\n", 1);
}

} // namespace

bool RemotePeerAllowed(const QHostAddress& peer) {
    bool mapped = false;
    const quint32 ipv4 = peer.toIPv4Address(&mapped);
    if (mapped && peer.protocol() == QAbstractSocket::IPv6Protocol) {
        return QHostAddress(ipv4).isLoopback();
    }
    return peer.isLoopback();
}

std::string RemoteControlText(bool listening, std::uint16_t port, std::size_t clients) {
    if (!listening) {
        return "Remote control: off";
    }
    return "Remote control: on, port " + std::to_string(port) + ", " + std::to_string(clients) +
           (clients == 1 ? " client" : " clients");
}

TRemoteServer::TRemoteServer(Remote::TInstrument& instrument, Base::TTextPane& operationLog,
                             const Base::TClock& clock, std::function<void()> onChange)
    : fInstrument(instrument), fLog(operationLog), fClock(clock), fOnChange(std::move(onChange)) {}

TRemoteServer::~TRemoteServer() {
    fOnChange = nullptr; // the window may be going too
    Close();
}

bool TRemoteServer::Listen(const TRemoteServerOptions& options, std::string& error) {
    Close();
    fOptions = options;
    std::uint16_t port = options.Port;
    std::string refusals;
    // IPv4 first, so that a port chosen by the system is then asked for on ::1 as well.
    for (const QHostAddress& address :
         {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)}) {
        auto listener = std::make_unique<QTcpServer>();
        if (!listener->listen(address, port)) {
            refusals += (refusals.empty() ? "" : "; ") + address.toString().toStdString() + ": " +
                        listener->errorString().toStdString();
            continue;
        }
        port = listener->serverPort();
        QTcpServer* raw = listener.get();
        QObject::connect(raw, &QTcpServer::newConnection, raw, [this, raw] { Accept(*raw); });
        fListeners.push_back(std::move(listener));
    }
    if (fListeners.empty()) {
        error =
            "Remote control could not listen on port " + std::to_string(options.Port) + " (" + refusals + ")";
        return false;
    }
    fPort = port;
    Log("Remote control listening on port " + std::to_string(fPort) + " of this computer");
    if (fOnChange) {
        fOnChange();
    }
    return true;
}

void TRemoteServer::Close() {
    const bool wasListening = Listening();
    for (TClient& client : fClients) {
        QObject::disconnect(client.Socket, nullptr, nullptr, nullptr);
        client.Socket->abort();
    }
    fClients.clear();
    fListeners.clear(); // deletes the sockets they own
    fPort = 0;
    if (wasListening && fOnChange) {
        fOnChange();
    }
}

void TRemoteServer::Accept(QTcpServer& listener) {
    while (QTcpSocket* socket = listener.nextPendingConnection()) {
        const std::string name = PeerName(*socket);
        if (!RemotePeerAllowed(socket->peerAddress())) {
            Log("Remote client " + name + " refused: only this computer may connect");
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (fClients.size() >= fOptions.MaxClients) {
            Log("Remote client " + name + " refused: " + std::to_string(fOptions.MaxClients) +
                " clients are connected already");
            SendLine(*socket, Remote::ScpiErrorLine(Remote::TScpiError::seExecutionError,
                                                    "Too many remote clients; at most " +
                                                        std::to_string(fOptions.MaxClients)));
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
            continue;
        }
        TClient& client = fClients.emplace_back();
        client.Socket = socket;
        client.Name = name;
        client.Session = std::make_unique<Remote::TRemoteSession>(fInstrument);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            const auto found = std::find_if(fClients.begin(), fClients.end(),
                                            [socket](const TClient& c) { return c.Socket == socket; });
            if (found != fClients.end()) {
                Read(*found);
            }
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] { Drop(socket); });
        Log("Remote client " + name + " connected");
        if (fOnChange) {
            fOnChange();
        }
        // Bytes that came with the connection.
        if (socket->bytesAvailable() > 0) {
            Read(client);
        }
    }
}

void TRemoteServer::Read(TClient& client) {
    if (client.Busy) {
        return; // read when the running commands are done
    }
    client.Busy = true;
    QTcpSocket& socket = *client.Socket;
    while (socket.bytesAvailable() > 0 && !client.Gone) {
        const QByteArray bytes = socket.readAll();
        if (client.Session->Closed()) {
            continue; // closing: what else it sends is not read
        }
        const Remote::TSessionOutput output =
            client.Session->Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        for (const Remote::TRemoteAction& action : output.Actions) {
            Log("Remote client " + client.Name + ": " + action.Command +
                (action.Done ? std::string() : " (refused: " + action.Refusal + ")"));
        }
        for (const std::string& line : output.Lines) {
            SendLine(socket, line);
        }
        if (output.Close) {
            Log("Remote client " + client.Name + " closed: a line longer than " +
                std::to_string(Remote::TRemoteSession::LineLimit) + " bytes");
            socket.disconnectFromHost();
        }
    }
    client.Busy = false;
    if (client.Gone) {
        Drop(client.Socket);
    }
}

void TRemoteServer::Drop(QTcpSocket* socket) {
    const auto found = std::find_if(fClients.begin(), fClients.end(),
                                    [socket](const TClient& c) { return c.Socket == socket; });
    if (found == fClients.end()) {
        return;
    }
    if (found->Busy) {
        found->Gone = true; // dropped when its commands are done
        return;
    }
    const std::string name = found->Name;
    fClients.erase(found);
    QObject::disconnect(socket, nullptr, nullptr, nullptr);
    socket->deleteLater();
    Log("Remote client " + name + " disconnected");
    if (fOnChange) {
        fOnChange();
    }
}

void TRemoteServer::Log(const std::string& message) {
    Logging::LogOld(fLog, message, fClock);
}

} // namespace App
