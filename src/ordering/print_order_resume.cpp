#include "customer/user_record.h"
#include "order/thumb_nails.h"
#include "ordering/order_values.h"
#include "ordering/print_order_run.h"
#include "platform/crash_point.h"
#include "platform/prompter.h"
#include "sending/order_message.h"

namespace korvatel
{

QString SentOrderQuestion(const QString &orderName)
{
    return QStringLiteral("前回の注文は送信済です。\r\n注文番号: %1\r\n\r\n"
                          "送信した画像を注文カゴから削除しますか？")
        .arg(orderName);
}

QString InterruptedOrderQuestion(const QString &orderName)
{
    return QStringLiteral("前回の注文の送信が中断されました (送信中断)。\r\n注文番号: %1\r\n\r\n"
                          "(はい) 続きを送信する。お店に届いているファイルは送り直しません。\r\n"
                          "(いいえ) 後で送信する。「注文へ」を押すと、もう一度お尋ねします。")
        .arg(orderName);
}

QString ResumeImpossibleMessage(const QString &orderName)
{
    return QStringLiteral("中断された注文 %1 の送信を再開できません。注文のファイルがありません。"
                          "\r\n\r\nもう一度「注文へ」から注文してください。")
        .arg(orderName);
}

namespace
{

// The history's text of an attempt that has started: its end is not known yet.
QStringList StartedText(const TPackedOrder &order)
{
    return QStringList { QStringLiteral("開始=") + MessageTime(order.start),
        QStringLiteral("終了="), QString() }
    + EntryFileLines(order.messageLines, order.sendList.FileList());
}

} // namespace

bool TOrderStart::BeginRecord(TRun &run, const TOrderUpload &upload)
{
    TOrderJournal journal = TOrderJournal::Of(*run.order);
    journal.payment = run.payment;
    journal.paymentKind = upload.paymentKind;
    journal.cardOrderId = run.cardOrderId;
    journal.creditLines = run.creditLines;
    journal.amount = run.amount;
    journal.items = run.packedItems;
    if (run.history) {
        journal.startedRecord = run.history->WriteStartedRecord(
            upload.paymentKind, run.cardOrderId, run.creditLines, StartedText(*run.order));
        if (journal.startedRecord.isEmpty()) {
            FPrompter.Error(FileNotWrittenMessage(run.history->Folder()));
            return false;
        }
    }
    // The basket as it went into the order: a restart finds the same items to take out.
    if (!values.orderMemory.isEmpty())
        FOrders.SaveMemory(values.orderMemory, values.campusOrder, values.Clock());
    if (!journal.Save(values.korvaDpof)) {
        if (run.history)
            run.history->FinishStarted(journal.startedRecord);
        FPrompter.Error(FileNotWrittenMessage(TOrderJournal::FilePath(values.korvaDpof)));
        return false;
    }
    run.journal = std::move(journal);
    return true;
}

void TOrderStart::RecordEnd(
    TRun &run, bool sent, const QString &kind, const QString &cardOrderId, const QStringList &text)
{
    if (sent) // the shop has the order; nothing of this program knows it yet
        CrashPoint("order-confirmed");
    if (run.history) {
        run.result.historyBytes = run.history->WriteHistoryRecord(
            sent, kind, cardOrderId, run.creditLines, false, false, {}, text);
        if (run.journal)
            run.history->FinishStarted(run.journal->startedRecord);
    }
    if (sent) {
        run.sentText = text;
        run.kindName = kind;
        run.sentRecord = TOrderHistory::RecordFileName(true, kind, cardOrderId, false, false, text);
    }
    SettleJournal(run, sent);
}

void TOrderStart::SettleJournal(TRun &run, bool sent)
{
    if (!run.journal)
        return;
    run.journal->startedRecord.clear();
    if (sent) {
        run.journal->state = TOrderJournal::jsSent;
        run.journal->Save(values.korvaDpof);
    } else {
        TOrderJournal::Remove(values.korvaDpof);
        run.journal.reset();
    }
}

void TOrderStart::EndUnrecorded(TRun &run)
{
    if (!run.journal || run.journal->state == TOrderJournal::jsSent)
        return;
    if (run.history)
        run.history->FinishStarted(run.journal->startedRecord);
    SettleJournal(run, run.result.sendResult == TSendResult::srSent);
}

void TOrderStart::Transmit(
    TRun &run, const std::function<TSendResult(TOrderUpload &, TSendProgress &)> &work)
{
    if (!values.historyFolder.isEmpty())
        run.history.emplace(values.historyFolder);
    TOrderUpload upload(FPrompter, values.Clock());
    WatchUpload(run, upload);
    run.result.sendResult
        = RunSendWindow([&](TSendProgress &progress) { return work(upload, progress); });
    EndUnrecorded(run);
    if (run.result.sendResult != TSendResult::srSent)
        run.result.error = upload.LastError();
}

TOrderStartResult TOrderStart::ResumePending()
{
    const std::optional<TOrderJournal> journal
        = values.online ? TOrderJournal::Load(values.korvaDpof) : std::nullopt;
    if (!journal) {
        TOrderStartResult result;
        result.outcome = TOrderStartOutcome::osPending;
        return result;
    }
    return ResumePending(*journal);
}

TOrderStartResult TOrderStart::ResumePending(const TOrderJournal &journal)
{
    TOrderStartResult result;
    result.outcome = TOrderStartOutcome::osPending;
    result.orderName = journal.name;
    if (journal.state == TOrderJournal::jsSent) {
        if (FPrompter.Ask(TMsgKind::mkConfirmation, SentOrderQuestion(journal.name), mbYes | mbNo)
            == TModalResult::mrYes) {
            ClearBasket(journal.items);
            result.cleared = true;
        }
        TOrderJournal::Remove(values.korvaDpof);
        result.outcome = TOrderStartOutcome::osSent; // then, before the program was stopped
        result.sendResult = TSendResult::srSent;
        return result;
    }
    if (FPrompter.Ask(
            TMsgKind::mkConfirmation, InterruptedOrderQuestion(journal.name), mbYes | mbNo)
        != TModalResult::mrYes)
        return result;
    return ResumeSending(journal);
}

TOrderStartResult TOrderStart::ResumeSending(const TOrderJournal &journal)
{
    TRun run;
    run.result.orderName = journal.name;
    run.payment = journal.payment;
    run.amount = journal.amount;
    run.cardOrderId = journal.cardOrderId;
    run.creditLines = journal.creditLines;
    run.packedItems = journal.items;
    run.order = journal.Packed();
    if (!run.order) {
        // The order's folder is gone: the record of the attempt stays as interrupted.
        FPrompter.Error(ResumeImpossibleMessage(journal.name));
        TOrderJournal::Remove(values.korvaDpof);
        run.result.outcome = TOrderStartOutcome::osNotPacked;
        return run.result;
    }
    run.hosts = values.OrderHosts(FPrompter);
    if (!run.hosts) {
        run.result.outcome = TOrderStartOutcome::osNoShop;
        return run.result;
    }
    // The attempt that was interrupted has its record already.
    run.journal = journal;
    Transmit(run, [&](TOrderUpload &upload, TSendProgress &progress) {
        SetUpUpload(run, upload);
        upload.resume = true;
        // The shop may hold the whole order already: giving up never removes it.
        upload.keepOnGiveUp = true;
        return SendPacked(run, upload, progress);
    });
    if (!CheckSent(run))
        return run.result;
    FinishSentOrder(run);
    return run.result;
}

} // namespace korvatel
