#pragma once
// The network side of remote control: a TCP server on the loopback addresses (127.0.0.1 and ::1)
// that gives each client its own remote session and sends back what the session answers.
//
// Only this computer may connect: a peer that is not a loopback address is closed at once (the
// server never listens elsewhere, so this only matters if the system routes oddly). At most
// MaxClients are served at a time; one more is told so and closed. A client whose line runs over
// the session's limit gets its last answer and is closed; everything else a client sends, text or
// not, only ever gives answer lines and errors in its own queue. Every command that changes
// something goes into the operation log with the client that sent it.
//
// Everything runs on the main thread, from the event loop, like a button handler.

#include "base/Clock.h"
#include "base/TextPane.h"
#include "remote/Instrument.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

class QHostAddress;
class QTcpServer;
class QTcpSocket;

namespace Remote {
class TRemoteSession;
}

namespace App {

inline constexpr std::uint16_t DefaultRemotePort = 5025;

struct TRemoteServerOptions {
    std::uint16_t Port = DefaultRemotePort; // 0: any free port (the tests)
    std::size_t MaxClients = 4;
};

class TRemoteServer {
public:
    // `instrument`, `operationLog` and `clock` must outlive the server. `onChange` is called when
    // the server starts or stops listening and whenever a client comes or goes.
    TRemoteServer(Remote::TInstrument& instrument, Base::TTextPane& operationLog, const Base::TClock& clock,
                  std::function<void()> onChange = {});
    ~TRemoteServer();
    TRemoteServer(const TRemoteServer&) = delete;
    TRemoteServer& operator=(const TRemoteServer&) = delete;

    // Listens on both loopback addresses; true when at least one of them could be bound (a
    // machine without IPv6 still serves 127.0.0.1). `error` says why not otherwise.
    bool Listen(const TRemoteServerOptions& options, std::string& error);
    // Closes every client and stops listening.
    void Close();

    bool Listening() const { return !fListeners.empty(); }
    // The port listened on (the one chosen when the options asked for any).
    std::uint16_t Port() const { return fPort; }
    std::size_t Clients() const { return fClients.size(); }

private:
    struct TClient;

    void Accept(QTcpServer& listener);
    void Read(TClient& client);
    void Drop(QTcpSocket* socket);
    void Log(const std::string& message);

    Remote::TInstrument& fInstrument;
    Base::TTextPane& fLog;
    const Base::TClock& fClock;
    std::function<void()> fOnChange;
    TRemoteServerOptions fOptions;
    std::uint16_t fPort = 0;
    std::vector<std::unique_ptr<QTcpServer>> fListeners;
    std::list<TClient> fClients;
};

// Whether a peer may be served: only this computer (127.0.0.0/8, ::1, and 127.x as an IPv4-mapped
// IPv6 address).
bool RemotePeerAllowed(const QHostAddress& peer);

// The window's line about remote control: "Remote control: off", or
// "Remote control: on, port 5025, 1 client" (with "2 clients" and so on).
std::string RemoteControlText(bool listening, std::uint16_t port, std::size_t clients);

} // namespace App
