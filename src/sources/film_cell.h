#pragma once

#include "sources/film_list.h"
#include "sources/thumb_store.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPolygon>

class QPainter;

namespace korvatel
{

// The check mark of ordered pictures (State.ini CheckMark, CheckSize, CheckPos, CheckColor,
// UserCheckFile, UserCheckText).
enum TCheckMarkKind {
    cmText = -2, // "テキスト指定": the user's text, bold
    cmPicture = -1, // "ｸﾞﾗﾌｨｯｸ指定": the user's picture
    cmStandard = 0, // "標準": the check polygon
    cmCircle = 1, // "丸"
    cmDonut = 2, // "ドーナツ"
    cmFrameColour = 3, // "枠色": the whole cell in the check colour
    cmSurround = 4, // "周囲矩形": three nested frames
};

struct TCheckStyle {
    int mark = cmStandard;
    int sizePercent = 50; // of the cell
    int pos = 0; // units 1 left, 2 right, else centre; tens 1 top, 2 bottom, else middle
    QColor colour = QColor(255, 0, 0);
    QImage picture; // kind −1
    QString text; // kind −2
};

// The check polygon through (0,9), (0,24), (11,46), (45,12), (45,1), (12,33) of a 46-unit
// square, scaled to size pixels and rounded.
QPolygon CheckPolygon(int size);
// The square of a mark of size pixels in the cell, 2 pixels from the edges it keeps to.
QRect CheckMarkRect(const QRect &cell, int size, int pos);
// The mark's size: the percentage of the cell's smaller side.
int CheckMarkSize(const QRect &cell, int percent);
// Paints the mark of an ordered picture. Kind 3 fills the cell's background instead and is
// painted by PaintFilmCell before the picture; here it does nothing.
void PaintCheckMark(QPainter &painter, const QRect &cell, const TCheckStyle &style);

// The look of the film strip's cells (State.ini FilmColor, BoxColor, FilmNo, FilmDate,
// CornerR, FilmBevel and the check mark).
struct TFilmLook {
    QColor frame = QColor(0xE0, 0xE0, 0xE0);
    QColor back = QColor(0, 0, 0);
    bool number = false;
    bool date = false;
    bool cornerR = true;
    bool bevel = true;
    TCheckStyle check;
    QFont font;
};

// The cell's layout values: the picture box inside the frame, less the caption line when
// numbers or dates are shown.
TCellLayout FilmCellLayout(const QRect &cell, const TFilmLook &look);

// What a cell has to show when it is painted.
enum class TCellState { csPending, csReady, csError, csMovie };

// Paints one browser cell (PaintBrowserCell): the background, the frame, the picture from the
// thumbnail store's decision (or a placeholder while it is being made), the bevel, the
// number and caption, the error or movie tile and the order mark of an ordered picture.
void PaintFilmCell(QPainter &painter, const TCellLayout &layout, const TFilmLook &look,
    const TFilmData &item, int number, TCellState state, const QImage &picture, const QRect &target,
    bool selected);

} // namespace korvatel
