#include "platform/ui/qt_prompter.h"

#include "platform/prompter_bridge.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace korvatel
{

namespace
{

struct TButtonInfo {
    TMsgButton button;
    const char *text;
    QMessageBox::ButtonRole role;
    TModalResult result;
};

// Order of the buttons from left to right, as a Windows message box places them.
const TButtonInfo kButtons[] = {
    { mbOK, "OK", QMessageBox::AcceptRole, TModalResult::mrOk },
    { mbYes, "はい(&Y)", QMessageBox::YesRole, TModalResult::mrYes },
    { mbNo, "いいえ(&N)", QMessageBox::NoRole, TModalResult::mrNo },
    { mbAbort, "中止(&A)", QMessageBox::DestructiveRole, TModalResult::mrAbort },
    { mbRetry, "再試行(&R)", QMessageBox::AcceptRole, TModalResult::mrRetry },
    { mbIgnore, "無視(&I)", QMessageBox::ActionRole, TModalResult::mrIgnore },
    { mbCancel, "キャンセル", QMessageBox::RejectRole, TModalResult::mrCancel },
};

QString DefaultCaption(TMsgKind kind)
{
    switch (kind) {
    case TMsgKind::mkWarning:
        return QStringLiteral("警告");
    case TMsgKind::mkError:
        return QStringLiteral("エラー");
    case TMsgKind::mkConfirmation:
        return QStringLiteral("確認");
    case TMsgKind::mkInformation:
        break;
    }
    return QStringLiteral("情報");
}

QMessageBox::Icon KindIcon(TMsgKind kind)
{
    switch (kind) {
    case TMsgKind::mkWarning:
        return QMessageBox::Warning;
    case TMsgKind::mkError:
        return QMessageBox::Critical;
    case TMsgKind::mkConfirmation:
        return QMessageBox::Question;
    case TMsgKind::mkInformation:
        break;
    }
    return QMessageBox::Information;
}

} // namespace

TModalResult TQtPrompter::Ask(
    TMsgKind kind, const QString &text, TMsgButtons buttons, const QString &caption)
{
    // Work on a job's thread asks here too: the box is shown on the window's thread, and the
    // job waits for the answer.
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread())
        return AskOnThreadOf(app, *this, kind, text, buttons, caption);
    // The system's texts break lines with CR LF; a lone CR would show as a stray glyph here.
    const QString shown = QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(KindIcon(kind), caption.isEmpty() ? DefaultCaption(kind) : caption, shown,
        QMessageBox::NoButton, FParent);
    // Messages carry texts from servers and file names: never read as rich text with links.
    box.setTextFormat(Qt::PlainText);
    if (buttons == 0)
        buttons = mbOK;
    QList<std::pair<QAbstractButton *, TModalResult>> made;
    for (const TButtonInfo &info : kButtons) {
        if (buttons & info.button)
            made.append({ box.addButton(QString::fromUtf8(info.text), info.role), info.result });
    }
    // Esc answers Cancel when there is one, else the only button of a one-button box.
    if (buttons & mbCancel) {
        for (const auto &[button, result] : made) {
            if (result == TModalResult::mrCancel)
                box.setEscapeButton(button);
        }
    } else if (made.size() == 1) {
        box.setEscapeButton(made.first().first);
    }
    if (buttons & mbSafeDefault) {
        for (const TModalResult safe : { TModalResult::mrCancel, TModalResult::mrNo })
            for (const auto &[button, result] : made)
                if (result == safe && !box.defaultButton())
                    box.setDefaultButton(qobject_cast<QPushButton *>(button));
    }
    box.exec();
    for (const auto &[button, result] : made) {
        if (box.clickedButton() == button)
            return result;
    }
    return TModalResult::mrNone;
}

TPrompter &DefaultQtPrompter()
{
    static TQtPrompter prompter;
    return prompter;
}

} // namespace korvatel
