#pragma once

#include <QTcpServer>
#include <QTcpSocket>

#include <set>
#include <string>

#include "dialog_fixture.h"

namespace dbx::test {

// A web server on this machine that only counts who connects: a page that reaches it has
// reached out of the pane.
class CountingServer {
  public:
    CountingServer() {
        listening_ = server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                if (ownPorts_.count(socket->peerPort()) != 0) {
                    ++ownSeen_;
                } else {
                    ++connections_;
                }
                delete socket;
            }
        });
    }
    bool Listening() const { return listening_; }
    // Connections from anyone but the server's own handshakes.
    int Connections() const { return connections_; }
    std::string Port() const { return std::to_string(server_.serverPort()); }
    // "http://127.0.0.1:PORT", for the addresses a hostile page names.
    std::string Base() const { return "http://127.0.0.1:" + Port(); }

    // Connects to the server itself and waits until that connection is taken. Connections are
    // taken in the order they arrived, so every one made before this call has been counted
    // when it returns true.
    bool CountEarlierConnections() {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, server_.serverPort());
        if (!probe.waitForConnected(10000)) return false;
        ownPorts_.insert(probe.localPort());
        const int before = ownSeen_;
        return PumpUntil([&] { return ownSeen_ > before; });
    }

  private:
    QTcpServer server_;
    bool listening_ = false;
    int connections_ = 0;
    int ownSeen_ = 0;
    std::set<quint16> ownPorts_;
};

}  // namespace dbx::test
