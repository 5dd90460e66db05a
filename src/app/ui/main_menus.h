#pragma once

#include <functional>

class QMenu;
class QTimer;

namespace korvatel
{

class TClientSession;
class TWebMain;

// The main window's "設定/終了" menu and the commands of its "ヘルプ" menu: the notices, the
// version, the version check, the transmission mode, the consistency check and the memory
// watch, and the browser's menu "一覧選択" with its colour choices. The commands are children of
// the window, so that it finds them by name; the window owns this object and builds the menus
// through it.
class TMainMenus
{
public:
    TMainMenus(TWebMain &window, TClientSession &session);

    void BuildSettingsMenu();
    void BuildHelpMenu();
    // "一覧選択": the browser's sort, colours, check mark, decorations and thumbnail modes;
    // backColourChanged runs after "背景色".
    void BuildBrowserMenu(std::function<void()> backColourChanged);

    // Sets the memory watch to a tag 0 to 3 and starts or stops its timer.
    void SetMemoryWatch(int tag);
    QTimer *MemoryTimer() const { return FMemoryTimer; }
    // The colour dialog with the shop's custom colours; a chosen colour replaces setting.
    void ColourClick(int &setting, const char *caption);

private:
    void SetTransMode(int mode);
    void miConsistencyClick();
    void miVersionUpClick();
    void miVersionClick();

    TWebMain &FWindow;
    TClientSession &FSession;
    QTimer *FMemoryTimer = nullptr;
};

} // namespace korvatel
