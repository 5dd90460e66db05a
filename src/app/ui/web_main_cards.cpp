// The card tab of the main window: the card page with its menu, and the template page of the
// source trees that puts the shop's plates on it.
#include "app/client_session.h"
#include "app/ui/card_order_windows.h"
#include "app/ui/web_main.h"
#include "cards/card_order.h"
#include "cards/card_store.h"
#include "cards/pre_order.h"
#include "cards/stage_plates.h"
#include "cards/ui/card_page.h"
#include "cards/ui/open_card_dialog.h"
#include "net/server_config.h"
#include "platform/ui/busy_box.h"
#include "sources/ui/source_panel.h"
#include "sources/ui/template_page.h"

#include <QDir>
#include <memory>
#include <optional>

namespace korvatel
{

TCardPage *TWebMain::MakeCardPage(QWidget *parent)
{
    TCardPageValues values { CardStorePath(FSession.Workspace()), FSession.State.LastDir,
        PreOrderPath(FSession.Workspace()) };
    return new TCardPage(std::move(values), parent);
}

void TWebMain::WireCardPage()
{
    FCardPage->SetPrompter(FPrompter);
    FCardPage->OrderRequested = [this] { StartCardOrder(FSession, *FCardPage, Prompter(), this); };
    FCardPage->HistoryRequested = [this] { OpenCardHistory(FSession, Prompter(), this); };
    // The shop's card prices say how many pictures each design takes. They are fetched once,
    // while online, when a picture first goes onto a plate; without them no limit is set here
    // and the order window counts the pictures.
    struct TKeptPrices {
        bool asked = false;
        std::optional<TCardPrices> prices;
    };
    FCardPage->PictureLimitOf = [this, kept = std::make_shared<TKeptPrices>()](
                                    const QString &plate) {
        if (!kept->asked && Online()) {
            kept->asked = true;
            const TServerConfig servers = FSession.Servers;
            const QString shop = FSession.ShopId();
            const QString download = FSession.Workspace().Download();
            kept->prices
                = RunBusyFor(this, QStringLiteral("価格情報を取得しています…"), [&](TJobControl &) {
                      return FetchCardPrices(servers, shop, download);
                  }).value_or(std::nullopt);
        }
        const QString description = kept->prices ? kept->prices->Description(plate) : QString();
        return description.isEmpty() ? -1 : SplitTemplateDesc(description).userPictures;
    };
    TTemplatePage *templates = FSources->TemplatePage();
    // The plates come from the shop when the template page is first shown: fetched while
    // online, else those kept from an earlier start.
    templates->TemplatesWanted = [this, templates] {
        const QString download = FSession.Workspace().Download();
        const QDir folder(CardPlateFolder(download));
        QList<TCardPlateEntry> plates;
        if (Online()) {
            // Fetched on a job under a busy box; a cancelled fetch shows the kept plates.
            const TServerConfig servers = FSession.Servers;
            const QString shop = FSession.ShopId();
            bool refused = false;
            plates = RunBusyFor(
                this, QStringLiteral("テンプレートを取得しています…"), [&](TJobControl &) {
                    return FetchCardPlates(servers, download, shop, &refused);
                }).value_or(LocalCardPlates(folder.path()));
            templates->SetEmptyText(refused ? UntrustedPlatesText() : QString());
        } else {
            plates = LocalCardPlates(folder.path());
        }
        QList<TTemplateItem> items;
        for (const TCardPlateEntry &plate : plates) {
            const QString path = folder.filePath(plate.file);
            items.append({ plate.title, path, CardFilePreview(path).image });
        }
        templates->SetTemplates(items);
    };
    connect(templates, &TTemplatePage::templateChosen, this, [this](const QString &path) {
        SelectTab(TabIndexOf(tmCard));
        FCardPage->OpenFile(path);
    });
}

} // namespace korvatel
