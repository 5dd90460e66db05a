#pragma once

#include "imaging/correction.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

namespace korvatel
{

class THistGram;
class TPrompter;

// The size a picture is shown at in the correction window: unchanged when it fits the screen,
// otherwise fitted to the screen's height when the screen is relatively wider than the picture,
// else to its width, the other side rounded.
QSize FitToScreen(QSize picture, QSize screen);

// The correction window's working picture: a copy of the file fitted to the screen (decoded at
// the DCT scale that still covers the fitted size, so a camera picture is never decoded whole),
// upright by its Exif orientation, with the size of the picture itself.
struct THoseiPicture {
    TBitmap bitmap;
    QSize size; // the picture's own size, upright
};
// Throws EPictureError (and std::bad_alloc) when the picture cannot be loaded or made.
THoseiPicture LoadHoseiPicture(const QString &fileName, QSize screen);

// The values the controls of the correction window hold.
struct THoseiValues {
    int button = 0; // the colour button down: 0 none, 1 "標準", 2 "赤強", 3 "緑強", 4 "青強"
    int pointRed = 0; // the colour bars, −20..+20
    int pointGreen = 0;
    int pointBlue = 0;
    int density = 0; // −100..+100
    int autoContrast = 0; // −100..+100
    bool manual = false; // "ﾏﾆｭｱﾙﾓｰﾄﾞ"
    QPoint low; // the hand-set contrast points, 0..255
    QPoint high;
    bool area = false; // "比較画面": the preview corrects the area only
    friend bool operator==(const THoseiValues &, const THoseiValues &) = default;
};

// Which of the three contrast handles a mouse press holds.
enum THoseiHandle { hhNone, hhLow, hhHigh, hhMiddle };

// The model of the correction window ("色調補正"): the working picture, the record it was opened
// with and the values of the controls. The window turns gestures into values; this class
// computes the preview, the histograms and the record the values stand for.
class THoseiWork
{
public:
    // Takes the working picture and the item's record: the values come from the record (a
    // kind of 1..4 puts its button down), and the reference is the record's when it has been
    // measured, else it is measured on the working picture now.
    void Open(THoseiPicture picture, const CorrectionRecord &record);

    const TBitmap &Picture() const { return FPicture.bitmap; }
    QSize PictureSize() const { return FPicture.size; }
    TBgr Reference() const { return FReference; }
    const CorrectionRecord &Record() const { return FRecord; }
    THoseiValues &Values() { return FValues; }
    const THoseiValues &Values() const { return FValues; }

    void SetArea(const TCorrectionArea &area) { FArea = area; }
    const TCorrectionArea &Area() const { return FArea; }
    // The pixels the preview corrects: the area when the switch is on, else the whole picture.
    QRect PreviewRect() const;

    // The values as a record of the kind the button stands for (or the record's own kind when
    // no colour button is down), with the window's reference.
    CorrectionRecord ValuesRecord() const;
    TContrastPoints Points() const { return ContrastPoints(ValuesRecord()); }

    // The corrected working picture: ApplyCorrection with the button's kind when a colour
    // button is down, else ApplyTone, over PreviewRect. Histogram set 1 is counted and
    // normalised anew.
    TBitmap Preview(THistGram &histogram) const;
    // Histogram set 0 of the uncorrected picture over PreviewRect.
    void CountOriginal(THistGram &histogram) const;
    // The caption of the corrected histogram: "補正後(ｴﾘｱ指定)" with the area on, else "補正後".
    QString CorrectedCaption() const;

    // "適用": the item's record with the window's values written into it (colour points,
    // density, reference, automatic contrast, manual flag and points, measured flag); the kind
    // becomes the button's, or with no button down 1..4 becomes 0 while 0 and 5 stay.
    CorrectionRecord Applied(const CorrectionRecord &record) const;

    // Switching manual contrast on: points still both at (0, 0) start from the automatic curve.
    void StartManual();
    // Contrast reset: the bar to 0, manual mode off, both manual points to (0, 0).
    void ResetContrast();

    // The corrected full-size picture as "保存" writes it: loaded again, upright, corrected
    // as the preview is. Throws as LoadPicture does.
    TBitmap CorrectFullSize(const QString &fileName) const;

private:
    // The correction the values stand for, over rect of bitmap: ApplyCorrection with the
    // button's kind when a colour button is down and skin was found, else ApplyTone.
    TBitmap Correct(const TBitmap &bitmap, const QRect &rect, THistGram *histogram) const;

    THoseiPicture FPicture;
    CorrectionRecord FRecord;
    TBgr FReference;
    THoseiValues FValues;
    TCorrectionArea FArea;
};

// The contrast image of the window shows the curve at half size: a mouse position (X, Y) in it
// is the curve point (2X − 6, 262 − 2Y), each clamped to 0..255, and back.
QPoint CurvePointAt(QPoint mouse);
QPoint CurveImagePos(QPoint point);
// The handle a press at curve point p holds: within 18 curve units of the low, the high or the
// middle handle (the midpoint of the two), the nearest first.
THoseiHandle HandleAt(const TContrastPoints &points, QPoint p);
// The middle handle is highlighted while the mouse is within 18 curve units of it.
bool NearMiddleHandle(const TContrastPoints &points, QPoint p);
// Moves the held handle to curve point p; the middle handle moves both points together, kept
// within 0..255.
void DragHandle(THoseiValues &values, THoseiHandle handle, QPoint p, QPoint &last);

// "R:%.3d G:%.3d B:%.3d" of the pixel under the mouse.
QString MouseRgbText(TBgr pixel);
// "W%d×H%d" with the picture's own size.
QString PictureSizeText(QSize size);

// The name offered by "保存": the picture's name without its extension + "~補正" + its
// extension, and while that file exists "(1)", "(2)", … before the extension.
QString CorrectedSaveName(const QString &fileName);
// The file-type list of the save dialog, one entry per type, and the entry of an extension.
QStringList CorrectedSaveFilters();
int CorrectedSaveFilterOf(const QString &fileName);
QString CorrectedSaveFilterExtension(int filter);

// The save dialog of "保存": given the name offered and the type selected, the name and type
// chosen; false when the customer cancelled.
using THoseiSaveChooser = std::function<bool(QString &fileName, int &filter)>;

// "保存": asks for a name, keeps its extension to the selected type (asking first), asks before
// overwriting, then writes the corrected full-size picture. True when a file was written; every
// message goes through the prompter.
bool SaveCorrectedPicture(const THoseiWork &work, const QString &pictureFile,
    const THoseiSaveChooser &choose, TPrompter &prompter);

// The error box of a working bitmap the window cannot make, by the failure's kind.
void ShowCorrectionFailure(TPrompter &prompter, const std::exception &failure);

} // namespace korvatel
