#pragma once

#include "platform/background_job.h"

#include <functional>
#include <optional>

class QWidget;

namespace korvatel
{

// Runs work on a background job while a modal box with a busy bar, text and a Cancel button
// keeps the window's thread serving its events (the window repaints, its timers fire). True
// when the work ended by itself; false when Cancel (or Esc) stopped it, after its thread ended.
// The text of the work's progress reports replaces the box's text; title is the box's caption.
bool RunBusy(QWidget *parent, const QString &text, const std::function<void(TJobControl &)> &work,
    const QString &title = {});

// The same with a result: nullopt when the customer cancelled.
template <class Work> auto RunBusyFor(QWidget *parent, const QString &text, Work work)
{
    using TResult = std::decay_t<decltype(work(std::declval<TJobControl &>()))>;
    std::optional<TResult> result;
    if (!RunBusy(parent, text, [&](TJobControl &control) { result.emplace(work(control)); }))
        return std::optional<TResult>();
    return result;
}

} // namespace korvatel
