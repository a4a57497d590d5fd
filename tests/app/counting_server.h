#pragma once

#include <QTcpServer>

#include <string>

namespace dbx::test {

// A web server on this machine that only counts who connects: a page that reaches it has
// reached out of the pane.
class CountingServer {
  public:
    CountingServer() {
        listening_ = server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            ++connections_;
            delete server_.nextPendingConnection();
        });
    }
    bool Listening() const { return listening_; }
    int Connections() const { return connections_; }
    std::string Port() const { return std::to_string(server_.serverPort()); }
    // "http://127.0.0.1:PORT", for the addresses a hostile page names.
    std::string Base() const { return "http://127.0.0.1:" + Port(); }

  private:
    QTcpServer server_;
    bool listening_ = false;
    int connections_ = 0;
};

}  // namespace dbx::test
