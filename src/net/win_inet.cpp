#include "net/win_inet.h"

#include "net/curl_session.h"

#include <QThread>

namespace korvatel
{

EWinInetError::EWinInetError(const QString &text)
    : std::runtime_error(text.toStdString())
    , FText(text)
{
}

TWinInet::TWinInet(const TTransportSettings &transport)
    : RequireTls(transport.ftpTls)
    , d(std::make_unique<Impl>())
    , FTransport(transport)
{
}

TWinInet::~TWinInet()
{
    if (FOpened)
        Close();
}

QString TWinInet::StripScheme(const QString &host)
{
    const qsizetype at = host.indexOf(QLatin1String("://"));
    return at >= 0 ? host.mid(at + 3) : host;
}

bool TWinInet::Fail(const QString &text, bool raise)
{
    FLastError = text;
    if (raise)
        throw EWinInetError(text);
    return false;
}

bool TWinInet::Open()
{
    if (OnBeforeOpen)
        OnBeforeOpen();
    d->session.Release();
    if (!d->session.Create()) {
        d->session.Release();
        return Fail(Text(kNotInitialised));
    }
    FOpened = true;
    return true;
}

void TWinInet::Close()
{
    if (FConnected)
        SetConnected(false);
    if (FOpened && OnBeforeClose)
        OnBeforeClose();
    d->session.Release();
    FOpened = false;
}

bool TWinInet::Reopen()
{
    if (FOpened)
        Close();
    return Open();
}

bool TWinInet::SetConnected(bool connected)
{
    if (connected) {
        if (FConnected)
            SetConnected(false);
        if (!FOpened)
            return Fail(Text(kNotInitialised));
        if (Host.startsWith(QLatin1String("ftps://"), Qt::CaseInsensitive))
            RequireTls = true;
        Host = StripScheme(Host);
        QThread::yieldCurrentThread();
        if (OnBeforeConnect)
            OnBeforeConnect();
        if (Offline || !DoConnect())
            return Fail(Text(kConnectFailed));
        FConnected = true;
        if (OnStateChange)
            OnStateChange(true);
        return true;
    }
    if (!FConnected)
        return true;
    if (OnBeforeDisconnect)
        OnBeforeDisconnect();
    DoDisconnect();
    FConnected = false;
    if (OnAfterDisconnect)
        OnAfterDisconnect();
    if (OnStateChange)
        OnStateChange(false);
    return true;
}

} // namespace korvatel
