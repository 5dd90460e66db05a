#pragma once

#include "imaging/correction_window.h"
#include "platform/background_job.h"

#include <QDialog>
#include <QPointer>
#include <functional>

class QCheckBox;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollBar;
class QSpinBox;
class QStatusBar;

namespace korvatel
{

class THoseiCurve;
class THoseiLoupe;
class THoseiPreview;
class TPrompter;

// What the correction window's loader hands back: the picture, or the text of its failure.
struct THoseiLoad {
    THoseiPicture picture;
    QString error;
};

// The colour-correction window "色調補正" for one picture and its correction record. The
// picture is decoded away from the window's thread at the screen's size; every change of a
// control recomputes the preview and the histograms of that screen-sized copy.
class THoseiForm : public QDialog
{
    Q_OBJECT

public:
    // areaFile is HoseiArea.ini of the workspace; screen the size the picture is fitted to
    // (the screen's available size when empty).
    THoseiForm(const QString &pictureFile, const CorrectionRecord &record, const QString &areaFile,
        TPrompter &prompter, QSize screen = {}, QWidget *parent = nullptr);
    ~THoseiForm() override;

    // "適用" and "OK" hand the item's record with the window's values to this.
    std::function<void(const CorrectionRecord &)> OnApply;
    // The save dialog of "保存"; a Qt file dialog unless a test sets another.
    THoseiSaveChooser ChooseSaveName;

    // Shows the window for one order item's record; true when "適用" or "OK" changed it.
    static bool Edit(const QString &pictureFile, CorrectionRecord &record, const QString &areaFile,
        TPrompter &prompter, QWidget *parent);

    bool Loaded() const { return FLoaded; }
    // Waits for the picture (tests); false when it failed.
    bool WaitLoaded();
    const CorrectionRecord &Record() const { return FRecord; }
    THoseiWork &Work() { return FWork; }
    const QImage &PreviewImage() const;

    QPushButton *KindButton(int kind) const { return FKinds[kind - 1]; }
    QScrollBar *ColourBar(int channel) const { return FColourBars[channel]; } // 0 R, 1 G, 2 B
    QScrollBar *DensityBar() const { return FDensityBar; }
    QScrollBar *ContrastBar() const { return FContrastBar; }
    QCheckBox *ManualBox() const { return FManual; }
    QCheckBox *AreaBox() const { return FAreaBox; }
    QCheckBox *HistogramSwitch(int series) const { return FSeries[series]; } // R, G, B, 濃度
    QLabel *CorrectedCaption() const { return FCorrectedCaption; }
    QLabel *MouseRgb() const { return FMouseRgb; }
    QStatusBar *StatusBar() const { return FStatus; }
    THoseiPreview *Preview() const { return FPreview; }

    void ApplyClick();
    void SaveClick();
    // Prints the corrected picture fitted to the printer's page.
    void PrintTo(QPrinter &printer) const;

private:
    QWidget *MakeColourBox();
    QWidget *MakeToneBox();
    QWidget *MakeHistogramBox();
    QWidget *MakeLoupeBox();
    QScrollBar *MakeBar(int range, QLabel *&minus, QLabel *&plus);
    void PictureLoaded(THoseiPicture picture);
    void LoadFailed(const QString &text);
    void ShowValues();
    void BarChanged(QScrollBar *bar);
    void KindClicked(int kind);
    void Recompute();
    void RedrawHistograms();
    void Hovered(QPoint point);
    void PrintClick();

    QString FPictureFile;
    QString FAreaFile;
    CorrectionRecord FRecord;
    TPrompter &FPrompter;
    THoseiWork FWork;
    bool FLoaded = false;
    bool FFailed = false;
    bool FQuiet = false; // setting the bars from the values, not from the customer
    bool FLoadEnded = false; // the loader's answer arrived
    TBackgroundJob FLoad; // reads and makes the picture; its work uses no member

    THoseiPreview *FPreview = nullptr;
    THoseiCurve *FCurve = nullptr;
    THoseiLoupe *FLoupe = nullptr;
    QPushButton *FKinds[4] {};
    QScrollBar *FColourBars[3] {};
    QLabel *FColourMinus[3] {};
    QLabel *FColourPlus[3] {};
    QCheckBox *FKeep = nullptr;
    QScrollBar *FDensityBar = nullptr;
    QLabel *FDensityMinus = nullptr;
    QLabel *FDensityPlus = nullptr;
    QScrollBar *FContrastBar = nullptr;
    QLabel *FContrastMinus = nullptr;
    QLabel *FContrastPlus = nullptr;
    QCheckBox *FManual = nullptr;
    QCheckBox *FAreaBox = nullptr;
    QLabel *FOriginal = nullptr;
    QLabel *FCorrected = nullptr;
    QLabel *FCorrectedCaption = nullptr;
    QCheckBox *FSeries[4] {};
    QSpinBox *FMagnification = nullptr;
    QLabel *FMouseRgb = nullptr;
    QStatusBar *FStatus = nullptr;
    QList<QPushButton *> FActions;
    QPoint FHover { -1, -1 };
    QRect FOriginalArea; // the pixels histogram set 0 was counted over
};

} // namespace korvatel
