// The order panel's commands on the basket as a whole.
#include "app/client_session.h"
#include "app/ui/web_main.h"
#include "platform/prompter.h"

namespace korvatel
{

void TWebMain::sbClearClick()
{
    if (FSession.RefuseWhenOffline(
            Prompter(), QStringLiteral("OFF-LINEです。注文内容は変更できません。")))
        return;
    if (FOrders.Count() == 0)
        return;
    if (!Prompter().Confirm(QStringLiteral("全ての注文画像を削除します。よろしいですか？")))
        return;
    FOrders.Clear();
    FOrders.Recount();
    FOrders.RebuildAggregate();
    // An empty basket has nothing inconsistent left to repair.
    SetInconsistent(false);
    ShowBasketTotals();
    RefreshFilmMarks();
    SelectTab(0);
    MemoryStatus();
}

} // namespace korvatel
