#include "ordering/order_values.h"

#include "platform/clock.h"
#include "platform/prompter.h"
#include "pricing/price_tables.h"
#include "sending/order_message.h"

#include <QDir>

namespace korvatel
{

QString FileNotWrittenMessage(const QString &file)
{
    return QDir::toNativeSeparators(file) + QStringLiteral(" を書き込めませんでした。");
}

QString TOrderValues::ShopName() const
{
    if (!tables)
        return {};
    return TOrderShop::FromTables(shopId, tables->OptionTable(), tables->OrderHostTable()).name;
}

const TClock &TOrderValues::Clock() const
{
    return clock ? *clock : SystemClock();
}

std::optional<TOrderHostTable> TOrderValues::OrderHosts(TPrompter &prompter) const
{
    std::optional<TOrderHostTable> hosts
        = tables ? TOrderHostTable::FromLines(tables->OrderHostTable()) : std::nullopt;
    if (!hosts || hosts->ImageServer().host.isEmpty()) {
        prompter.Error(QStringLiteral("注文先サーバーの情報がありません。注文は送信できません。"));
        return std::nullopt;
    }
    return hosts;
}

} // namespace korvatel
