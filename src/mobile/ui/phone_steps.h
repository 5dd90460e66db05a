#pragma once

#include "mobile/keitai_delivery.h"
#include "mobile/keitai_servers.h"

#include <QList>
#include <optional>

class QWidget;

namespace korvatel
{

class TKeitaiDatas;
class TPrompter;
class TThumbNail;

// The phone steps of an order: the phone's mail address (the address window, asking), the
// phone model (the picker, starting on the carrier of the address's domain) and the trimming
// of every phone picture. Going back from the trimming returns to the picker; going back from
// the picker or the address window ends the steps with nullopt. The picker's transfers use
// transport.
std::optional<TPhoneChoice> RunPhoneSteps(const QString &mailListFile, TKeitaiDatas &table,
    const QString &keitaiFile, const QList<TKeitaiServer> &servers,
    const TTransportSettings &transport, const QList<TThumbNail *> &pictures, TPrompter &prompter,
    QWidget *parent);

} // namespace korvatel
