#include "firmware/updateserver.h"

#include "device/delays.h"

#include <QUrl>

#ifndef NOLKSET_UPDATE_HOST
#define NOLKSET_UPDATE_HOST "update.nolkcontrols.example"
#endif

namespace updateserver {
namespace {
QString &testHost()
{
    static QString host;
    return host;
}
} // namespace

QString host()
{
    if (!testHost().isEmpty())
        return testHost();
    return QStringLiteral(NOLKSET_UPDATE_HOST);
}

QNetworkRequest request(const QString &address)
{
    QNetworkRequest request(QUrl(address, QUrl::TolerantMode));
    request.setTransferTimeout(delays::ms(TransferTimeoutMs));
    return request;
}

void setTestHost(const QString &host)
{
    testHost() = host;
}

} // namespace updateserver
