#include "imaging/ui/hosei_form.h"

#include "imaging/histogram.h"
#include "imaging/ui/hosei_views.h"
#include "platform/prompter.h"
#include "platform/ui/widget_helpers.h"
#include "platform/ui/window_fit.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

// The correction area is read once per run; the window's marking changes this copy too.
TCorrectionArea &RunArea(const QString &fileName)
{
    static QHash<QString, TCorrectionArea> areas;
    const auto it = areas.find(fileName);
    if (it != areas.end())
        return *it;
    return areas[fileName] = LoadCorrectionArea(fileName);
}

// "値保持": the values of the last window, given to the next one while the switch is on.
struct TKeptValues {
    bool keep = false;
    THoseiValues values;
};
TKeptValues &Kept()
{
    static TKeptValues kept;
    return kept;
}

void ShowSigned(int value, QLabel *minus, QLabel *plus)
{
    minus->setText(value < 0 ? QString::number(-value) : QString());
    plus->setText(value > 0 ? QString::number(value) : QString());
}

QLabel *SmallLabel(QWidget *parent, int width)
{
    auto *label = new QLabel(parent);
    label->setFixedWidth(width);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

THoseiForm::THoseiForm(const QString &pictureFile, const CorrectionRecord &record,
    const QString &areaFile, TPrompter &prompter, QSize screen, QWidget *parent)
    : QDialog(parent)
    , FPictureFile(pictureFile)
    , FAreaFile(areaFile)
    , FRecord(record)
    , FPrompter(prompter)
{
    setObjectName(QStringLiteral("HoseiForm"));
    setWindowTitle(QStringLiteral("色調補正"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 0);
    auto *body = new QHBoxLayout;
    outer->addLayout(body, 1);
    FPreview = new THoseiPreview(this);
    FPreview->SetMessage(QStringLiteral("画像を読み込んでいます…"));
    body->addWidget(FPreview, 1);

    auto *panel = new QWidget;
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(2, 2, 2, 2);
    column->addWidget(MakeColourBox());
    column->addWidget(MakeToneBox());
    column->addWidget(MakeHistogramBox());
    column->addWidget(MakeLoupeBox());
    column->addStretch(1);
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("sbxHoseiTools"));
    scroll->setWidget(panel);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFixedWidth(
        panel->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width() + 4);
    body->addWidget(scroll);

    auto *buttons = new QHBoxLayout;
    const auto action = [this, buttons](const char *name, const QString &caption) {
        QPushButton *button = NamedButton(this, name, caption);
        button->setEnabled(false);
        buttons->addWidget(button);
        FActions << button;
        return button;
    };
    connect(action("btnApply", QStringLiteral("適用")), &QPushButton::clicked, this,
        &THoseiForm::ApplyClick);
    connect(action("btnSave", QStringLiteral("保存")), &QPushButton::clicked, this,
        &THoseiForm::SaveClick);
    connect(action("btnPrint", QStringLiteral("印刷")), &QPushButton::clicked, this,
        &THoseiForm::PrintClick);
    buttons->addStretch(1);
    QPushButton *ok = action("btnOK", QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        ApplyClick();
        accept();
    });
    QPushButton *cancel = NamedButton(this, "btnCancel", QStringLiteral("/ESC"));
    buttons->addWidget(cancel);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    outer->addLayout(buttons);
    FStatus = new QStatusBar(this);
    FStatus->setSizeGripEnabled(true);
    outer->addWidget(FStatus);
    panel->setEnabled(false);
    connect(this, &QDialog::finished, this, [this] {
        Kept().keep = FKeep->isChecked();
        Kept().values = FWork.Values();
    });

    FWork.SetArea(RunArea(FAreaFile));
    if (screen.isEmpty()) {
        const QScreen *shown = parent ? parent->screen() : QGuiApplication::primaryScreen();
        screen = shown ? shown->availableSize() : QSize(1280, 800);
    }
    // The picture is read and made on the loader's job; the window shows it when it arrives.
    FLoad.Run(
        [file = FPictureFile, screen](TJobControl &) {
            THoseiLoad load;
            try {
                load.picture = LoadHoseiPicture(file, screen);
            } catch (const std::exception &failure) {
                // The text is kept for the window's thread, which shows the error box.
                TScriptedPrompter boxes;
                ShowCorrectionFailure(boxes, failure);
                load.error = boxes.Texts().value(0);
            }
            return load;
        },
        [this, panel](THoseiLoad load) {
            FLoadEnded = true;
            if (!load.error.isEmpty())
                return LoadFailed(load.error);
            panel->setEnabled(true);
            PictureLoaded(std::move(load.picture));
        });
    FitToScreen(*this, QSize(1200, 800).boundedTo(screen));
}

THoseiForm::~THoseiForm() = default;

bool THoseiForm::Edit(const QString &pictureFile, CorrectionRecord &record, const QString &areaFile,
    TPrompter &prompter, QWidget *parent)
{
    THoseiForm form(pictureFile, record, areaFile, prompter, {}, parent);
    bool changed = false;
    form.OnApply = [&record, &changed](const CorrectionRecord &applied) {
        changed = changed || !(applied == record);
        record = applied;
    };
    form.exec();
    return changed;
}

bool THoseiForm::WaitLoaded()
{
    // Serves the window's events until the loader's answer has arrived; it comes before the
    // job's finished().
    if (!FLoadEnded) {
        QEventLoop loop;
        connect(&FLoad, &TBackgroundJob::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return FLoaded;
}

const QImage &THoseiForm::PreviewImage() const
{
    return FPreview->Image();
}

QScrollBar *THoseiForm::MakeBar(int range, QLabel *&minus, QLabel *&plus)
{
    auto *bar = new QScrollBar(Qt::Horizontal);
    bar->setRange(-range, range);
    bar->setMinimumWidth(130);
    minus = SmallLabel(this, 26);
    plus = SmallLabel(this, 26);
    connect(bar, &QScrollBar::valueChanged, this, [this, bar] { BarChanged(bar); });
    return bar;
}

QWidget *THoseiForm::MakeColourBox()
{
    auto *box = new QGroupBox(QStringLiteral("色調"));
    auto *grid = new QGridLayout(box);
    auto *kinds = new QHBoxLayout;
    const QString captions[4] = { QStringLiteral("標準"), QStringLiteral("赤強"),
        QStringLiteral("緑強"), QStringLiteral("青強") };
    for (int k = 0; k < 4; ++k) {
        FKinds[k] = new QPushButton(captions[k], box);
        FKinds[k]->setObjectName(QStringLiteral("btnKind%1").arg(k + 1));
        FKinds[k]->setCheckable(true);
        // The button down must be plain to see: it decides the whole correction.
        FKinds[k]->setStyleSheet(QStringLiteral("QPushButton:checked { background: #ffcf9e; "
                                                "border: 2px solid #b05a00; font-weight: bold; }"));
        connect(FKinds[k], &QPushButton::clicked, this, [this, k] { KindClicked(k + 1); });
        // Alt+1 to Alt+4 press the buttons from the keyboard.
        auto *key = new QShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + k)), this);
        connect(key, &QShortcut::activated, FKinds[k], &QPushButton::click);
        SetHint(FKinds[k], QStringLiteral("%1 (Alt+%2)").arg(captions[k]).arg(k + 1));
        kinds->addWidget(FKinds[k]);
    }
    grid->addLayout(kinds, 0, 0, 1, 4);
    const QString channels[3] = { QStringLiteral("R"), QStringLiteral("G"), QStringLiteral("B") };
    for (int c = 0; c < 3; ++c) {
        grid->addWidget(new QLabel(channels[c], box), c + 1, 0);
        FColourBars[c] = MakeBar(20, FColourMinus[c], FColourPlus[c]);
        grid->addWidget(FColourMinus[c], c + 1, 1);
        grid->addWidget(FColourBars[c], c + 1, 2);
        grid->addWidget(FColourPlus[c], c + 1, 3);
    }
    FKeep = new QCheckBox(QStringLiteral("値保持"), box);
    FKeep->setChecked(Kept().keep);
    grid->addWidget(FKeep, 4, 0, 1, 2);
    QPushButton *reset = NamedButton(box, "btnColourReset", QStringLiteral("リセット"));
    connect(reset, &QPushButton::clicked, this, [this] {
        FWork.Values().pointRed = FWork.Values().pointGreen = FWork.Values().pointBlue = 0;
        ShowValues();
        Recompute();
    });
    grid->addWidget(reset, 4, 2, 1, 2, Qt::AlignRight);
    return box;
}

QWidget *THoseiForm::MakeToneBox()
{
    auto *box = new QGroupBox(QStringLiteral("濃度・ｺﾝﾄﾗｽﾄ"));
    auto *grid = new QGridLayout(box);
    FDensityBar = MakeBar(100, FDensityMinus, FDensityPlus);
    FDensityBar->setPageStep(5);
    SetHint(FDensityBar, QStringLiteral("濃度調整"));
    FContrastBar = MakeBar(100, FContrastMinus, FContrastPlus);
    SetHint(FContrastBar, QStringLiteral("コントラスト調整"));
    const auto row = [this, box, grid](int at, const QString &caption, QScrollBar *bar,
                         QLabel *minus, QLabel *plus, const char *resetName) {
        grid->addWidget(new QLabel(caption, box), at, 0);
        grid->addWidget(minus, at, 1);
        grid->addWidget(bar, at, 2);
        grid->addWidget(plus, at, 3);
        QPushButton *reset = NamedButton(box, resetName, QStringLiteral("リセット"));
        grid->addWidget(reset, at + 1, 2, 1, 2, Qt::AlignRight);
        return reset;
    };
    connect(
        row(0, QStringLiteral("濃度"), FDensityBar, FDensityMinus, FDensityPlus, "btnDensityReset"),
        &QPushButton::clicked, this, [this] {
            FWork.Values().density = 0;
            ShowValues();
            Recompute();
        });
    connect(row(2, QStringLiteral("ｺﾝﾄﾗｽﾄ"), FContrastBar, FContrastMinus, FContrastPlus,
                "btnContrastReset"),
        &QPushButton::clicked, this, [this] {
            FWork.ResetContrast();
            ShowValues();
            Recompute();
        });
    FManual = new QCheckBox(QStringLiteral("ﾏﾆｭｱﾙﾓｰﾄﾞ"), box);
    connect(FManual, &QCheckBox::toggled, this, [this](bool on) {
        if (FQuiet)
            return;
        if (on)
            FWork.StartManual();
        else
            FWork.Values().manual = false;
        Recompute();
    });
    grid->addWidget(FManual, 4, 0, 1, 2);
    FCurve = new THoseiCurve(
        FWork.Values(), [this] { return FWork.Points(); }, box);
    connect(FCurve, &THoseiCurve::moved, this, &THoseiForm::Recompute);
    connect(FCurve, &THoseiCurve::released, this, &THoseiForm::Recompute);
    grid->addWidget(FCurve, 5, 0, 1, 4, Qt::AlignCenter);
    FAreaBox = new QCheckBox(QStringLiteral("比較画面"), box);
    SetHint(FAreaBox,
        QStringLiteral(
            "比較画面|補正を画面のエリアだけに掛けます。画像の上をドラッグしてエリアを決めます。"));
    connect(FAreaBox, &QCheckBox::toggled, this, [this](bool on) {
        FWork.Values().area = on;
        FPreview->SetArea(FWork.Area(), on);
        Recompute();
    });
    connect(FPreview, &THoseiPreview::areaMarked, this, [this](const TCorrectionArea &area) {
        FWork.SetArea(area);
        RunArea(FAreaFile) = area;
        SaveCorrectionArea(FAreaFile, area);
        Recompute();
    });
    grid->addWidget(FAreaBox, 6, 0, 1, 4);
    return box;
}

QWidget *THoseiForm::MakeHistogramBox()
{
    // Both drawings side by side at half their size, so the panel fits a laptop's screen.
    auto *box = new QGroupBox(QStringLiteral("ヒストグラム"));
    auto *grid = new QGridLayout(box);
    const auto drawing = [box](const char *name) {
        auto *label = new QLabel(box);
        label->setObjectName(QString::fromLatin1(name));
        label->setFixedSize(129, 101);
        label->setScaledContents(true);
        return label;
    };
    grid->addWidget(new QLabel(QStringLiteral("オリジナル"), box), 0, 0);
    FCorrectedCaption = new QLabel(QStringLiteral("補正後"), box);
    grid->addWidget(FCorrectedCaption, 0, 1);
    FOriginal = drawing("imgOriginal");
    grid->addWidget(FOriginal, 1, 0);
    FCorrected = drawing("imgCorrected");
    grid->addWidget(FCorrected, 1, 1);
    auto *switches = new QHBoxLayout;
    const QString names[4]
        = { QStringLiteral("R"), QStringLiteral("G"), QStringLiteral("B"), QStringLiteral("濃度") };
    for (int s = 0; s < 4; ++s) {
        FSeries[s] = new QCheckBox(names[s], box);
        FSeries[s]->setChecked(s < 3);
        connect(FSeries[s], &QCheckBox::toggled, this, [this, s](bool on) {
            if (on && s < 3)
                FSeries[3]->setChecked(false);
            RedrawHistograms();
        });
        switches->addWidget(FSeries[s]);
    }
    grid->addLayout(switches, 2, 0, 1, 2);
    return box;
}

QWidget *THoseiForm::MakeLoupeBox()
{
    auto *box = new QGroupBox(QStringLiteral("【ルーペ】"));
    auto *grid = new QGridLayout(box);
    FLoupe = new THoseiLoupe(box);
    grid->addWidget(FLoupe, 0, 0, 3, 1);
    FMagnification = new QSpinBox(box);
    FMagnification->setRange(2, 16);
    FMagnification->setValue(4);
    FMagnification->setPrefix(QStringLiteral("×"));
    grid->addWidget(FMagnification, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Mouse RGB"), box), 1, 1);
    FMouseRgb = new QLabel(box);
    FMouseRgb->setObjectName(QStringLiteral("lblMouseRgb"));
    grid->addWidget(FMouseRgb, 2, 1);
    connect(FPreview, &THoseiPreview::hovered, this, &THoseiForm::Hovered);
    return box;
}

void THoseiForm::PictureLoaded(THoseiPicture picture)
{
    FWork.Open(std::move(picture), FRecord);
    if (Kept().keep) {
        const bool area = FWork.Values().area;
        FWork.Values() = Kept().values;
        FWork.Values().area = area;
    }
    FLoaded = true;
    FStatus->showMessage(PictureSizeText(FWork.PictureSize()));
    for (QPushButton *button : std::as_const(FActions))
        button->setEnabled(true);
    ShowValues();
    Recompute();
}

void THoseiForm::LoadFailed(const QString &text)
{
    FFailed = true;
    FPreview->SetMessage(QStringLiteral("この画像は色調補正できません。"));
    FPrompter.Error(text);
}

void THoseiForm::ShowValues()
{
    FQuiet = true;
    const THoseiValues &v = FWork.Values();
    for (int k = 0; k < 4; ++k)
        FKinds[k]->setChecked(v.button == k + 1);
    const int points[3] = { v.pointRed, v.pointGreen, v.pointBlue };
    for (int c = 0; c < 3; ++c) {
        FColourBars[c]->setValue(points[c]);
        ShowSigned(points[c], FColourMinus[c], FColourPlus[c]);
    }
    FDensityBar->setValue(v.density);
    ShowSigned(v.density, FDensityMinus, FDensityPlus);
    FContrastBar->setValue(v.autoContrast);
    ShowSigned(v.autoContrast, FContrastMinus, FContrastPlus);
    FManual->setChecked(v.manual);
    FAreaBox->setChecked(v.area);
    FPreview->SetArea(FWork.Area(), v.area);
    FQuiet = false;
}

void THoseiForm::BarChanged(QScrollBar *bar)
{
    if (FQuiet || !FLoaded)
        return;
    THoseiValues &v = FWork.Values();
    const int value = bar->value();
    bool recompute = true;
    if (bar == FDensityBar) {
        v.density = value;
        ShowSigned(value, FDensityMinus, FDensityPlus);
    } else if (bar == FContrastBar) {
        v.autoContrast = value;
        ShowSigned(value, FContrastMinus, FContrastPlus);
        recompute = !v.manual;
    } else {
        const int c = int(std::find(std::begin(FColourBars), std::end(FColourBars), bar)
            - std::begin(FColourBars));
        (c == 0 ? v.pointRed : c == 1 ? v.pointGreen : v.pointBlue) = value;
        ShowSigned(value, FColourMinus[c], FColourPlus[c]);
        recompute = v.button != 0;
    }
    if (recompute)
        Recompute();
}

void THoseiForm::KindClicked(int kind)
{
    // The four buttons work as one group that may also have none down.
    FWork.Values().button = FWork.Values().button == kind ? 0 : kind;
    ShowValues();
    Recompute();
}

void THoseiForm::Recompute()
{
    if (!FLoaded)
        return;
    THistGram &histogram = HistGram();
    // The original's histogram changes only with the area.
    if (FOriginalArea != FWork.PreviewRect()) {
        FWork.CountOriginal(histogram);
        FOriginalArea = FWork.PreviewRect();
    }
    const TBitmap corrected = FWork.Preview(histogram);
    FPreview->SetImage(corrected.ToImage());
    FCorrectedCaption->setText(FWork.CorrectedCaption());
    FCurve->update();
    RedrawHistograms();
    if (FHover.x() >= 0)
        Hovered(FHover);
}

void THoseiForm::RedrawHistograms()
{
    if (!FLoaded)
        return;
    const THistGram &histogram = HistGram();
    const bool r = FSeries[0]->isChecked(), g = FSeries[1]->isChecked();
    const bool b = FSeries[2]->isChecked(), y = FSeries[3]->isChecked();
    FOriginal->setPixmap(QPixmap::fromImage(histogram.Draw(0, r, g, b, y).ToImage()));
    FCorrected->setPixmap(QPixmap::fromImage(histogram.Draw(1, r, g, b, y).ToImage()));
}

void THoseiForm::Hovered(QPoint point)
{
    FHover = point;
    const QImage &image = FPreview->Image();
    if (point.x() < 0 || image.isNull()) {
        FMouseRgb->clear();
        FLoupe->Show({}, point, FMagnification->value());
        return;
    }
    const QRgb rgb = image.pixel(point);
    FMouseRgb->setText(
        MouseRgbText({ uint8_t(qBlue(rgb)), uint8_t(qGreen(rgb)), uint8_t(qRed(rgb)) }));
    FLoupe->Show(image, point, FMagnification->value());
}

void THoseiForm::ApplyClick()
{
    if (!FLoaded)
        return;
    FRecord = FWork.Applied(FRecord);
    if (OnApply)
        OnApply(FRecord);
}

void THoseiForm::SaveClick()
{
    if (!FLoaded)
        return;
    THoseiSaveChooser choose = ChooseSaveName;
    if (!choose) {
        choose = [this](QString &name, int &filter) {
            const QStringList filters = CorrectedSaveFilters();
            QString selected = filters.value(filter);
            const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("保存"), name,
                filters.join(QStringLiteral(";;")), &selected, QFileDialog::DontConfirmOverwrite);
            if (chosen.isEmpty())
                return false;
            name = chosen;
            filter = std::max(0, int(filters.indexOf(selected)));
            return true;
        };
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = SaveCorrectedPicture(FWork, FPictureFile, choose, FPrompter);
    QApplication::restoreOverrideCursor();
    if (saved)
        FStatus->showMessage(QStringLiteral("保存しました。"), 5000);
}

void THoseiForm::PrintTo(QPrinter &printer) const
{
    QPainter painter(&printer);
    const QImage &image = FPreview->Image();
    const QRect page = painter.viewport();
    const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(page.topLeft(), size), image);
}

void THoseiForm::PrintClick()
{
    if (!FLoaded)
        return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        PrintTo(printer);
}

} // namespace korvatel
