#pragma once

#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/web_main.h"
#include "order/consistency.h"
#include "platform/prompter.h"
#include "support/app_home.h"

#include <QCoreApplication>

namespace korvatel::test
{

// A session of shop "1234" on a prepared workspace in the home, online or offline.
inline TClientSession TestSession(const TAppHome &home, bool online, bool openShopTab = false)
{
    TWorkspace workspace = home.Workspace();
    workspace.PrepareWorkspace();
    TEntryResult entry;
    entry.proceed = true;
    entry.shopId = QStringLiteral("1234");
    TStartupResult startup;
    startup.proceed = true;
    startup.online = online;
    startup.openShopTab = openShopTab;
    return TClientSession(workspace, entry, startup);
}

// Shows the window with its messages going to prompter and a problem list that is always
// cancelled, and lets its first idle moment read the basket.
inline void ShowWindowQuietly(TWebMain &window, TScriptedPrompter &prompter)
{
    window.SetPrompter(&prompter);
    window.Basket().ShowProblems
        = [](const TConsistencyProblems &) { return TProblemAnswer::paCancel; };
    window.show();
    QCoreApplication::processEvents();
}

} // namespace korvatel::test
