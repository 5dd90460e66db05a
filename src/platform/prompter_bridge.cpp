#include "platform/prompter_bridge.h"

#include "platform/background_job.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

namespace korvatel
{

namespace
{

// One question on its way: the answer, or that the asker gave up waiting (then the question is
// not shown at all when it has not been yet).
struct TPendingAnswer {
    std::mutex lock;
    std::condition_variable_any answered;
    std::optional<TModalResult> result;
    bool abandoned = false;
};

} // namespace

TPrompterBridge::TPrompterBridge(TPrompter &target, QObject *context)
    : FTarget(target)
    , FContext(context)
{
}

TModalResult TPrompterBridge::Ask(
    TMsgKind kind, const QString &text, TMsgButtons buttons, const QString &caption)
{
    return AskOnThreadOf(FContext, FTarget, kind, text, buttons, caption);
}

TModalResult AskOnThreadOf(QObject *context, TPrompter &target, TMsgKind kind, const QString &text,
    TMsgButtons buttons, const QString &caption)
{
    if (!context || QThread::currentThread() == context->thread())
        return target.Ask(kind, text, buttons, caption);
    // Not a blocking queued call: the owner may be joining this very job, and a stop must
    // free the asker.
    auto pending = std::make_shared<TPendingAnswer>();
    QMetaObject::invokeMethod(
        context,
        [pending, &target, kind, text, buttons, caption] {
            {
                const std::lock_guard guard(pending->lock);
                if (pending->abandoned)
                    return;
            }
            const TModalResult result = target.Ask(kind, text, buttons, caption);
            const std::lock_guard guard(pending->lock);
            pending->result = result;
            pending->answered.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock guard(pending->lock);
    if (!pending->answered.wait(
            guard, CurrentJobToken(), [&pending] { return pending->result.has_value(); })) {
        pending->abandoned = true;
        return TModalResult::mrNone;
    }
    return *pending->result;
}

} // namespace korvatel
