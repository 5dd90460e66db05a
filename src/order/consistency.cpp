#include "order/consistency.h"

#include "order/thumb_nails.h"
#include "platform/prompter.h"
#include "pricing/price_tables.h"

#include <QFileInfo>
#include <QSet>

namespace korvatel
{

namespace
{

// Whether a size line of the aggregate names a size nobody offers any more.
bool Withdrawn(const TThumbNail &item, const QString &size, const TThumbNails &list)
{
    if (item.OrderType == otPhoto)
        return !item.CampusPrices || !item.CampusPrices->Offers(size);
    const TPriceTables *tables = list.Context().tables;
    return tables && tables->SizeIndex(size) < 0;
}

QString SizeOf(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? line : line.left(eq);
}

TModalResult AskThree(TPrompter &prompter, const QString &text)
{
    return prompter.Ask(TMsgKind::mkConfirmation, text, mbOK | mbNo | mbCancel);
}

} // namespace

int TConsistencyProblems::HiddenItems() const
{
    QSet<const TThumbNail *> items;
    for (const THiddenSize &h : hidden)
        items.insert(h.item);
    return int(items.size());
}

QString ConsistencyNotice()
{
    return QStringLiteral(
        "注文データに不整合があります。ヘルプから不整合チェックを行って下さい。 ");
}

TConsistencyProblems FindProblems(const TThumbNails &list)
{
    TConsistencyProblems problems;
    for (int i = 0; i < list.Count(); ++i) {
        const TThumbNail &item = *list.Item(i);
        if (item.OrderType == otDpe) {
            const QFileInfo file(item.FullPath);
            if (item.FileSize <= 0 || !file.isFile() || file.size() != item.FileSize)
                problems.vanished.append(&item);
        }
        if (item.ErrorKind != neNoError)
            continue;
        for (const QString &line : item.Orders) {
            const QString size = SizeOf(line);
            if (item.SizeCount(size) > 0 && Withdrawn(item, size, list))
                problems.hidden.append({ &item, size });
        }
    }
    return problems;
}

bool FollowPictureFiles(TThumbNails &list)
{
    bool changed = false;
    for (int i = 0; i < list.Count(); ++i) {
        TThumbNail &item = *list.Item(i);
        if (item.OrderType != otDpe || IsCampusPicture(item.FullPath))
            continue;
        const bool there = QFileInfo(item.FullPath).isFile();
        if (!there && item.Broken == 0) {
            item.Broken = 1;
            changed = true;
        } else if (there && item.Broken == 1) {
            item.Broken = 0;
            changed = true;
        }
    }
    return changed;
}

int OfferMovedPictures(
    TThumbNails &list, const QList<const TThumbNail *> &vanished, const TConsistencyEnv &env)
{
    if (!env.findMoved || !env.prompter || vanished.isEmpty())
        return 0;
    const TRelinkSearch search = env.findMoved(vanished);
    int relinked = 0;
    for (const TFoundPicture &found : search.found) {
        TThumbNail *item = list.Item(list.IndexOf(found.item));
        if (!item)
            continue;
        const TModalResult answer = env.prompter->Ask(TMsgKind::mkConfirmation,
            RelinkQuestion(item->FullPath, found.path), mbYes | mbNo,
            QStringLiteral("見つかりました"));
        if (answer == TModalResult::mrYes && RelinkItem(list, *item, found.path))
            ++relinked;
    }
    if (!search.unverifiable.isEmpty())
        env.prompter->Inform(UnverifiableNotice(int(search.unverifiable.size())));
    if (relinked > 0) {
        list.Recount();
        list.RebuildAggregate();
        if (env.refresh)
            env.refresh();
    }
    return relinked;
}

bool CheckConsistency(TThumbNails &list, int mode, const TConsistencyEnv &env)
{
    if (!env.online)
        return false;
    const auto notice = [&](bool shown) {
        if (env.notice)
            env.notice(shown);
    };
    TConsistencyProblems problems = FindProblems(list);
    if (!problems.vanished.isEmpty() && mode != kCheckSilent
        && OfferMovedPictures(list, problems.vanished, env) > 0)
        problems = FindProblems(list);
    if (problems.Empty() || mode == kCheckSilent || !env.prompter) {
        notice(!problems.Empty());
        return !problems.Empty();
    }
    TPrompter &prompter = *env.prompter;
    if (mode != kCheckForced) {
        QString text
            = QStringLiteral("このままでは注文できません。\r\n\r\n『詳細を表示しますか？』");
        if (!problems.vanished.isEmpty())
            text += QString::number(problems.vanished.size())
                + QStringLiteral("個の画像ファイルがありません。(移動･削除･ﾒﾃﾞｨｱ抜き)")
                + QStringLiteral("\r\n");
        if (!problems.hidden.isEmpty())
            text += QString::number(problems.HiddenItems())
                + QStringLiteral(
                    "個の画像に、該当しないサイズ名の注文が隠れています。(他店注文･価格表変更)");
        if (prompter.Ask(TMsgKind::mkWarning, text, mbYes | mbNo) != TModalResult::mrYes)
            return true;
    }
    const TProblemAnswer answer
        = env.showProblems ? env.showProblems(problems) : TProblemAnswer::paCancel;
    if (answer == TProblemAnswer::paCancel)
        return true;

    if (answer == TProblemAnswer::paRepair) {
        if (!problems.hidden.isEmpty()) {
            const TModalResult r = AskThree(
                prompter, QStringLiteral("不整合サイズ名の注文をクリアします。よろしいですか？"));
            if (r == TModalResult::mrCancel || r == TModalResult::mrNone)
                return true;
            if (r == TModalResult::mrOk) {
                for (const THiddenSize &h : problems.hidden) {
                    TThumbNail *item = list.Item(list.IndexOf(h.item));
                    if (item)
                        item->SetSizeCount(h.size, 0);
                }
            }
        }
        if (!problems.vanished.isEmpty()) {
            const TModalResult r = AskThree(
                prompter, QStringLiteral("画像不整合の注文を削除します。よろしいですか？"));
            if (r == TModalResult::mrCancel || r == TModalResult::mrNone)
                return true;
            if (r == TModalResult::mrOk) {
                for (const TThumbNail *gone : problems.vanished)
                    list.Delete(list.IndexOf(gone));
            }
        }
    } else if (prompter.Confirm(QStringLiteral("全ての注文を削除します。よろしいですか？"))) {
        list.Clear();
        list.Recount();
        list.RebuildAggregate();
        notice(false);
        if (env.refresh)
            env.refresh();
        return false;
    }
    list.Recount();
    list.RebuildAggregate();
    if (env.refresh)
        env.refresh();
    return CheckConsistency(list, kCheckSilent, env);
}

} // namespace korvatel
