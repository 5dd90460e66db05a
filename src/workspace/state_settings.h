#pragma once

#include <QString>

namespace korvatel
{

// State.ini: the look and the choices of the main window, read when the window is made and
// rewritten whole at shutdown. Keys missing from the file, and values that are not numbers,
// keep the value the object holds when Load is called: the defaults below, or the window's own
// values for the keys whose default is the form's (FolderWidth, PanelRBHeight, GridColor).
struct TStateSettings {
    QString LastDir;
    int ListSort = 0; // 0 none, 1 name, 2 size, 3 type, 4 date-time (clamped)
    bool ListDeSort = false; // descending
    int NailHeights = 80; // 80 to 800
    int PostNailHeights = 100; // 100 to 500
    int MaxZoom = 300;
    int BoxColor = 0;
    int FilmColor = 14737632;
    bool FilmDate = false;
    bool FilmNo = false;
    bool CornerR = true;
    bool FilmBevel = true;
    int ThumbType = 1;
    bool PostCardLandscape = false;
    int PartsPnlColor = 9474192;
    int ObjectColor = 65280;
    int CardBackColor = 0;
    bool ObjRightBtnSizing = false;
    bool ObjDblClickFront = true;
    QString UserCheckFile;
    QString UserCheckText;
    int CheckSize = 50;
    int CheckPos = 0;
    int CheckColor = 255;
    int CheckMark = 0;
    int GridColor = 0;
    int Interval = 1000;
    int ChkMemIntTag = 0;
    int FolderWidth = 0;
    int PanelRBHeight = 0;
    int AnchorWide = 7;
    bool IncDisp = false;
    bool DblClick = false;
    int OrderPlateType = 1;
    bool DblClickNuming = false;
    bool DragNuming = true;
    int ThumbSortType = 0; // 0 to 4, written only when not 0
    bool ThumbDeSort = false; // written only when true
    int CopyBtnTypeIndex = 0; // written only when not 0
    int MaskFormRect[4] = { 0, 0, 0, 0 }; // "%d:%d:%d:%d", written only when not all zero
    bool DoubleBuffer = true; // written only as "FALSE"
    QString CardStyle; // the item text; empty for the list's default item
    int WorkPix = 0;
    bool TransPointRpt = false;
    bool BoundsColorPrt = false;
    bool TransRectRpt = false;
    bool UnRectRpt = false;
    bool TrimingRpt = false;

    // The browser list's sort direction as the sort uses it: +1 ascending, -1 descending.
    int ListDirection() const { return ListDeSort ? -1 : 1; }

    // Reads the file; a missing file leaves every value as it is.
    void Load(const QString &path);
    // Replaces the old file with every key written anew (atomically); false when the write failed.
    bool Save(const QString &path) const;
};

} // namespace korvatel
