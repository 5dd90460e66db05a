#pragma once

#include <QString>
#include <functional>

class QDateTime;
class QDialog;
class QMenu;
class QTimer;
class QUrl;

namespace korvatel
{

class TClientSession;
class TWebMain;

// The main window's menus: "設定/終了", "ソース選択", the browser's "一覧選択" with its colour
// choices, the pages' menus, and "ヘルプ" with the notices, the version, the version check, the
// transmission mode, the consistency check and the memory watch. The commands are children of
// the window, so that it finds them by name; the window owns this object and builds the menus
// through it.
class TMainMenus
{
public:
    TMainMenus(TWebMain &window, TClientSession &session);

    void BuildSettingsMenu();
    // "ソース選択": the source panel's menu of its source modes.
    void BuildSourceMenu();
    // The menus of the pages: "画像編集" (the viewer's), "カード作成" (shown when the shop
    // offers cards), "注文詳細" (the order panel's) and "履歴と決済".
    void BuildPageMenus(bool cardsOffered);
    void BuildHelpMenu();
    // "<UTILS>": shown only where the maker's folder exists.
    void BuildUtilsMenu();
    // "一覧選択": the browser page's menu, its colours chosen through ColourClick;
    // backColourChanged runs after "背景色".
    void BuildBrowserMenu(std::function<void()> backColourChanged);

    // Sets the memory watch to a tag 0 to 3 and starts or stops its timer.
    void SetMemoryWatch(int tag);
    QTimer *MemoryTimer() const { return FMemoryTimer; }
    // The colour dialog with the shop's custom colours; a chosen colour replaces setting.
    void ColourClick(int &setting, const char *caption);

    // "バージョンアップ" outside a CD start: the version check of the server lookups.
    std::function<void()> CheckVersion;
    // How "オンラインヘルプ" opens the help and "時刻の問い合わせ" sets the clock; the desktop's
    // browser and the system clock unless a test sets others.
    std::function<bool(const QUrl &)> OpenUrl;
    std::function<bool(const QDateTime &)> SetClock;
    // Gives up this run's hold on the workspace, before the restart after a move starts the
    // program again (else the new run would find this one and end).
    std::function<void()> ReleaseWorkspace;
    // Shows a modal dialog (exec unless a test answers it instead); true when it was accepted.
    std::function<bool(QDialog &)> RunDialog;

private:
    void SetTransMode(int mode);
    void miConsistencyClick();
    void miVersionUpClick();
    void miVersionClick();
    void miOnlineHelpClick();
    void miFileManageClick();
    void miTimeQueryClick();

    TWebMain &FWindow;
    TClientSession &FSession;
    QTimer *FMemoryTimer = nullptr;
};

// "FDフォーマット": this computer has no floppy drive.
QString NoFloppyText();
// "時刻の問い合わせ" could not set the clock: it takes the administrator's rights.
QString ClockNotSetText();
// The help "オンラインヘルプ" opens: the README installed with the program
// (share/doc/korvatel), beside it, or in the source tree a build lies in; empty when none is.
QString HelpFile(const QString &programDir);

} // namespace korvatel
