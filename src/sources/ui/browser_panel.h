#pragma once

#include "platform/prompter.h"
#include "sources/date_scan.h"
#include "sources/film_list.h"
#include "workspace/state_settings.h"

#include <QHash>
#include <QWidget>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QMenu;

namespace korvatel
{

class TFilmGrid;
class TThumbLoader;

// What the menu "一覧選択" needs from outside the page.
struct TBrowserMenuHooks {
    // The colour dialog of "枠色", "背景色" and "チェック色": a chosen colour replaces setting.
    std::function<void(int &setting, const char *caption)> chooseColour;
    // Runs after "背景色" chose its colour.
    std::function<void()> backColourChanged;
};

// The browser page: the film strip lvBrowser with the buttons above it (全選択, 全解除, Reset,
// Exif, the sort button and its label, the thumbnail mode and the two remake buttons). It
// lists the pictures it is given, sorts them, keeps each list's scroll position and draws the
// cells in the look of the state settings. What a click does to the basket is not its
// business: it reports the clicks and the two ordering buttons, and asks its hooks to mark the
// ordered pictures and to tell that the list changed.
class TBrowserPanel : public QWidget
{
    Q_OBJECT

public:
    // works: the folder of the thumbnail store; state: the list's sort, the thumbnail mode and
    // the film's look, read each time they are used and written by the commands here.
    TBrowserPanel(const QString &works, TStateSettings &state, QWidget *parent = nullptr);
    ~TBrowserPanel() override;

    TFilmGrid *lvBrowser() const { return FBrowser; }
    TFilmList &Film() { return FFilm; }
    TThumbLoader *Loader() const { return FLoader.get(); }
    QComboBox *cbxThumbMode() const { return FThumbMode; }

    // The files of the list in its order: what the viewer and the slide show step through.
    QStringList BrowserFiles() const { return FFilm.Paths(); }
    // Lists the files given, with no folder or node name (so no scroll position is kept).
    void SetBrowserFiles(const QStringList &files);
    // Before a folder or a node is read: keeps the scroll position of the list shown and
    // shows the strip as busy.
    void BeginListing();
    // Lists the pictures of a folder; subfolders says whether those of its subfolders are in.
    void ListFiles(const QString &name, const QStringList &files, bool subfolders);
    // Lists the pictures of a node of the date tree.
    void ListDatePictures(const QString &name, const QList<TDatePicture> &pictures);
    // The folder or node the list shows, empty for a list of files; whether the folder was
    // listed with its subfolders.
    QString ShownName() const { return FShownName; }
    bool ShownSubfolders() const { return FShownSubfolders; }
    // The remembered first visible cell of each folder or node shown.
    int RememberedTopIndex(const QString &name) const { return FScrollPositions.value(name, -1); }
    void ForgetScrollPositions() { FScrollPositions.clear(); }
    // The cell of the last ordering click: the start of a Shift range.
    int LastClicked() const { return FLastClicked; }
    void SetLastClicked(int index) { FLastClicked = index; }

    // Sorts the list by the state's kind and direction; the current cell stays current.
    void SortBrowser();
    void UpdateSortLabel();
    // The thumbnail modes 0 to 8: changing the mode deletes the listed thumbnails once.
    void SetThumbnailMode(int mode);
    // Deletes the thumbnails of the cells first to last (-1: to the end) so they are made anew.
    void DeleteBrowserThumbnails(int first, int last);
    // Forgets the files whose thumbnails failed, so that they are tried again.
    void ClearFailedThumbnails();
    // Draws the cells in the look of the state settings.
    void ApplyFilmLook();
    // "チェック形状": the check mark kind; the picture and text kinds ask for their file and text
    // and fall back as the state says.
    void CheckMarkChosen(int kind);
    // Fills the menus "チェック形状" and "チェック位置" with the kinds and places of the check
    // mark (either may be null); the items are children of the page, named "miCheckMark1",
    // "miCheckMarkM2", "miCheckPosX1", "miCheckPosY2" and so on.
    void BuildCheckMarkMenus(QMenu *shapeMenu, QMenu *posMenu);
    // Fills the menu "一覧選択": "Exif表示", the sort (also the menu of the button "ソート"), the
    // colours, the check mark's shape, place and size, the decorations of the strip and the
    // thumbnail modes. The items are children of the page; they store their choices in the
    // state settings, and those that change the look of the cells repaint the strip.
    void BuildMenu(QMenu *menu, const TBrowserMenuHooks &hooks);
    // The Exif window of the current cell; without one, says that a picture is to be chosen.
    void ShowExif();
    // A click on the cell of a file that cannot be read orders nothing: this says why. False
    // (and nothing shown) for a readable file.
    bool ExplainFailedFile(int index);
    // The ordered marks changed: repaint.
    void MarksChanged();

    void SetPrompter(TPrompter *prompter) { FPrompter = prompter; }
    // Marks the listed pictures that the basket holds; called whenever a list is shown.
    std::function<void(TFilmList &film)> MarkOrders;
    // Called after a list is shown: the counts and commands of the window follow it.
    std::function<void()> ListShown;
    // Called after the list shown was sorted again: the same pictures in a new order.
    std::function<void()> ListSorted;
    // The file dialog of the picture check mark (an empty answer cancels); a Qt dialog unless set.
    std::function<QString(const QString &caption, const QString &proposed, const QString &filter)>
        FileDialog;
    // The text of the check mark kind "テキスト指定"; an input box unless set (empty cancels).
    std::function<QString(const QString &prompt, const QString &value)> AskText;

Q_SIGNALS:
    // "全選択" (order) and "全解除" (not order), with whether Shift was held.
    void orderAllClicked(bool order, bool shiftHeld);
    void resetClicked();
    void thumbnailModeChanged(int mode);
    void checkMarkChanged(int kind);

private:
    QWidget *BuildButtons();
    void BuildSortMenu(QMenu *menu);
    void BuildLookMenus(QMenu *menu, const TBrowserMenuHooks &hooks);
    void ShowFilm(const QString &name);
    void RememberScroll();
    QList<TBrowserItem> ListedItems() const;
    void Tell(TMsgKind kind, const QString &text);

    TStateSettings &FState;
    TPrompter *FPrompter = nullptr;
    TFilmGrid *FBrowser = nullptr;
    TFilmList FFilm;
    std::unique_ptr<TThumbLoader> FLoader;
    QLabel *FSortLabel = nullptr;
    QComboBox *FThumbMode = nullptr;
    QString FShownName;
    bool FShownSubfolders = false;
    QHash<QString, int> FScrollPositions;
    int FLastClicked = -1;
};

} // namespace korvatel
