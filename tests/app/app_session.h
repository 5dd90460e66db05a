#pragma once

#include "app/client_session.h"
#include "support/app_home.h"

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

} // namespace korvatel::test
