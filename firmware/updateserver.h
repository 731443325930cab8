#ifndef NOLKSET_UPDATESERVER_H
#define NOLKSET_UPDATESERVER_H

#include <QNetworkRequest>
#include <QString>

// Where the update server lives and how the program asks it.
namespace updateserver {

// A request that moves no data for this long has failed.
constexpr int TransferTimeoutMs = 30000;

// The server's host, as the build chose it; it may carry a port (host:port).
QString host();

// A GET request for an address of the server, parsed tolerantly, with the
// transfer time-out. TLS keeps the platform's certificate verification.
QNetworkRequest request(const QString &address);

// Test hook: points the program at another server (an empty text restores
// the built-in host).
void setTestHost(const QString &host);

} // namespace updateserver

#endif
