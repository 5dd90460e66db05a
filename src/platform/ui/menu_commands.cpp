#include "platform/ui/menu_commands.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace korvatel
{

QAction *AddMenuCommand(QObject *owner, QMenu *menu, const char *name, const QString &caption,
    const QKeySequence &shortcut, std::function<void()> handler)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setParent(owner); // found by name from the window
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (handler)
        QObject::connect(
            action, &QAction::triggered, owner, [handler = std::move(handler)] { handler(); });
    return action;
}

QActionGroup *AddMenuChoices(QObject *owner, QMenu *menu, const char *prefix,
    const QStringList &captions, int current, std::function<void(int)> chosen)
{
    auto *group = new QActionGroup(owner);
    group->setExclusive(true);
    for (int i = 0; i < captions.size(); ++i) {
        QAction *action = menu->addAction(captions[i]);
        action->setObjectName(QStringLiteral("%1%2").arg(QString::fromLatin1(prefix)).arg(i));
        action->setParent(owner);
        action->setCheckable(true);
        action->setChecked(i == current);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, owner, [chosen, i] { chosen(i); });
    }
    return group;
}

void EnableCommand(QAction *action, bool on, const QString &reason)
{
    if (!action)
        return;
    action->setEnabled(on);
    action->setToolTip(on ? QString() : reason);
    action->setStatusTip(on ? QString() : reason);
}

void ShowMenuTips(const QList<QAction *> &barActions)
{
    for (QAction *action : barActions) {
        QMenu *menu = action->menu();
        if (!menu)
            continue;
        menu->setToolTipsVisible(true);
        ShowMenuTips(menu->actions());
    }
}

} // namespace korvatel
