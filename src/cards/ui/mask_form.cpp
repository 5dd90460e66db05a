#include "cards/ui/mask_form.h"

#include "cards/layers.h"
#include "platform/ui/widget_helpers.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace korvatel
{

namespace
{

const QString kNone = QStringLiteral("---");

const char *KindWord(TMaskKind kind)
{
    switch (kind) {
    case mkColorArea:
        return "色域";
    case mkRectColor:
        return "矩形";
    case mkWholeColor:
        return "全域";
    case mkProtect:
        return "保護";
    }
    return "";
}

// Which cells (1 level, 2 X, 3 Y, 4 X2, 5 Y2) a row of a kind lets the customer change.
bool CellEditable(TMaskKind kind, int column)
{
    switch (kind) {
    case mkColorArea:
    case mkWholeColor:
        return column == 1;
    case mkProtect:
        return column >= 2;
    case mkRectColor:
        return column >= 1;
    }
    return false;
}

int Pixels(double fraction, int size)
{
    return int(std::lround(fraction * size));
}

} // namespace

std::vector<TMaskRow> MaskRows(const TMaskOps &ops, QSize picture)
{
    std::vector<TMaskRow> rows;
    for (TMaskKind kind : { mkColorArea, mkRectColor, mkWholeColor, mkProtect }) {
        const int count = CountMaskOps(ops, MaskKindBit(kind));
        for (int n = count - 1; n >= 0; --n) {
            const TMaskOp &op = *NthMaskOp(ops, kind, n);
            TMaskRow row { kind, n + 1, {} };
            const QString word = QString::fromUtf8(KindWord(kind));
            row.cells << (kind == mkProtect
                    ? QStringLiteral("%1|%2").arg(n + 1).arg(word)
                    : QStringLiteral("%1|%2 %3").arg(n + 1).arg(word).arg(op.color));
            row.cells << (kind == mkProtect ? kNone : QString::number(op.level));
            const int x1 = Pixels(op.x1, picture.width()), y1 = Pixels(op.y1, picture.height());
            const int x2 = Pixels(op.x2, picture.width()), y2 = Pixels(op.y2, picture.height());
            if (kind == mkWholeColor)
                row.cells << kNone << kNone << kNone << kNone;
            else if (kind == mkColorArea)
                row.cells << QString::number(x1) << QString::number(y1) << kNone << kNone;
            else
                row.cells << QString::number(x1) << QString::number(y1) << QString::number(x2)
                          << QString::number(y2);
            rows.push_back(row);
        }
    }
    return rows;
}

TMaskForm::TMaskForm(TLayers &layers, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , FLayers(layers)
{
    setObjectName(QStringLiteral("MaskForm"));
    setWindowTitle(Caption());
    auto *column = new QVBoxLayout(this);
    FTabs = new QTabBar(this);
    FTabs->setObjectName(QStringLiteral("tcLayers"));
    FTabs->setExpanding(false);
    column->addWidget(FTabs);
    FNone = new QLabel(QStringLiteral("透過指定はありません"), this);
    FNone->setObjectName(QStringLiteral("lbNone"));
    FNone->setAlignment(Qt::AlignCenter);
    column->addWidget(FNone);
    FGrid = new QTableWidget(0, 6, this);
    FGrid->setObjectName(QStringLiteral("sgMask"));
    FGrid->verticalHeader()->hide();
    FGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    FGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    FGrid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked);
    FGrid->installEventFilter(this);
    column->addWidget(FGrid, 1);

    auto *buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char *name, const char *caption) {
        QPushButton *b = NamedButton(this, name, QString::fromUtf8(caption));
        buttons->addWidget(b);
        return b;
    };
    FUpdate = button("btUpdate", "更新");
    FDelete = button("btDelete", "削除");
    FDeleteAll = button("btDeleteAll", "全削除");
    FShow = new QCheckBox(QStringLiteral("透過"), this);
    FShow->setObjectName(QStringLiteral("cbShow"));
    buttons->addWidget(FShow);
    column->addLayout(buttons);

    auto *tools = new QHBoxLayout;
    const std::pair<int, const char *> toolModes[] = { { emPickArea, "色域" },
        { emPickWhole, "全域透過色" }, { emDrawRect, "矩形透過色" }, { emProtect, "保護マスク" } };
    for (const auto &[mode, caption] : toolModes) {
        auto *tool = new QToolButton(this);
        tool->setObjectName(QStringLiteral("sbMode%1").arg(mode));
        tool->setText(QString::fromUtf8(caption));
        tool->setCheckable(true);
        tool->setProperty("editMode", mode);
        connect(tool, &QToolButton::toggled, this, [this, mode = mode](bool down) {
            if (FFilling)
                return;
            FLayers.SetEditMode(down ? mode : emNormal);
            Refresh();
        });
        tools->addWidget(tool);
        FTools << tool;
    }
    tools->addStretch(1);
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("btClose"));
    tools->addWidget(close);
    column->addLayout(tools);

    connect(FTabs, &QTabBar::currentChanged, this, [this] {
        if (!FFilling)
            FillGrid();
    });
    connect(FUpdate, &QPushButton::clicked, this, [this] { UpdateClick(); });
    connect(FDelete, &QPushButton::clicked, this, &TMaskForm::DeleteClick);
    connect(FDeleteAll, &QPushButton::clicked, this, &TMaskForm::DeleteAllClick);
    connect(FShow, &QCheckBox::toggled, this, [this](bool on) {
        const int index = ShownLayer();
        if (FFilling || index < 0)
            return;
        FLayers.SetShowMask(index, on);
        Q_EMIT masksChanged();
    });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(520, 320);
    Refresh();
}

QToolButton *TMaskForm::ToolButton(int editMode) const
{
    for (QToolButton *tool : FTools)
        if (tool->property("editMode").toInt() == editMode)
            return tool;
    return nullptr;
}

int TMaskForm::ShownLayer() const
{
    const int tab = FTabs->currentIndex();
    return tab >= 0 && tab < FTabLayers.size() ? FTabLayers[tab] : -1;
}

void TMaskForm::Refresh()
{
    const int kept = ShownLayer();
    FFilling = true;
    while (FTabs->count() > 0)
        FTabs->removeTab(0);
    FTabLayers.clear();
    int current = -1;
    for (int i = 0; i < FLayers.Count(); ++i) {
        const TLayer *layer = FLayers.Layer(i);
        if (CountMaskOps(layer->Image().Ops(), kAllMaskKinds) == 0)
            continue;
        FTabs->addTab(QStringLiteral("    ") + QFileInfo(layer->FileName).fileName());
        FTabLayers << i;
        if (i == kept)
            current = FTabs->count() - 1;
    }
    // The tab shown before stays when its layer still has operations, else the last one.
    FTabs->setCurrentIndex(current >= 0 ? current : FTabs->count() - 1);
    for (QToolButton *tool : FTools)
        tool->setChecked(tool->property("editMode").toInt() == FLayers.EditMode()
            || (FLayers.EditMode() == emApplyRect && tool->property("editMode") == emDrawRect));
    FFilling = false;
    FillGrid();
}

QSize TMaskForm::PictureSize(int index) const
{
    const TLayer *layer = FLayers.Layer(index);
    if (!layer)
        return {};
    const TLayerImage &image = layer->Image();
    const QSize size(image.Picture().Width(), image.Picture().Height());
    return image.Rotation() % 180 == 0 ? size : size.transposed();
}

int TMaskForm::CellMaximum(int column) const
{
    const QSize picture = PictureSize(ShownLayer());
    if (column == 1)
        return 255;
    return column % 2 == 0 ? picture.width() : picture.height();
}

void TMaskForm::FillGrid()
{
    FFilling = true;
    const int index = ShownLayer();
    const bool any = index >= 0;
    FNone->setVisible(!any);
    FGrid->setVisible(any);
    FUpdate->setEnabled(any);
    FDelete->setEnabled(any);
    FDeleteAll->setEnabled(any);
    FShow->setEnabled(any);
    FGrid->setRowCount(0);
    FRows.clear();
    if (any) {
        const TLayerImage &image = FLayers.Layer(index)->Image();
        const QSize picture = PictureSize(index);
        FGrid->setHorizontalHeaderLabels(
            { QString::asprintf("W%d×H%d", picture.width(), picture.height()),
                QStringLiteral("ﾚﾍﾞﾙ"), QStringLiteral("X"), QStringLiteral("Y"),
                QStringLiteral("X2"), QStringLiteral("Y2") });
        FRows = MaskRows(image.Ops(), picture);
        FGrid->setRowCount(int(FRows.size()));
        for (int r = 0; r < int(FRows.size()); ++r) {
            for (int c = 0; c < 6; ++c) {
                auto *item = new QTableWidgetItem(FRows[r].cells.value(c));
                Qt::ItemFlags flags = Qt::ItemIsEnabled;
                if (c > 0 && CellEditable(FRows[r].kind, c))
                    flags |= Qt::ItemIsSelectable | Qt::ItemIsEditable;
                if (c == 0)
                    flags |= Qt::ItemIsSelectable;
                item->setFlags(flags);
                FGrid->setItem(r, c, item);
            }
        }
        FGrid->resizeColumnsToContents();
        FShow->setChecked(image.ShowMask());
    }
    FFilling = false;
}

bool TMaskForm::UpdateClick()
{
    const int index = ShownLayer();
    if (index < 0)
        return false;
    const QSize picture = PictureSize(index);
    TMaskOps ops = FLayers.Layer(index)->Image().Ops();
    for (int r = 0; r < int(FRows.size()); ++r) {
        const TMaskRow &row = FRows[r];
        // The operation of the row: the n-th of its kind in list order.
        int seen = 0;
        TMaskOp *op = nullptr;
        for (TMaskOp &candidate : ops)
            if (candidate.kind == row.kind && ++seen == row.number) {
                op = &candidate;
                break;
            }
        if (!op)
            continue;
        const auto cell = [this, r](int c, int maximum, int fallback) {
            bool ok = false;
            const int value = FGrid->item(r, c)->text().trimmed().toInt(&ok);
            return ok ? std::clamp(value, 0, maximum) : fallback;
        };
        if (CellEditable(row.kind, 1))
            op->level = uint8_t(cell(1, 255, op->level));
        if (picture.width() > 0 && picture.height() > 0) {
            const auto fraction = [&](int c, double current, int size) {
                if (!CellEditable(row.kind, c))
                    return current;
                const int now = Pixels(current, size);
                const int value = cell(c, size, now);
                return value == now ? current : double(value) / size;
            };
            op->x1 = fraction(2, op->x1, picture.width());
            op->y1 = fraction(3, op->y1, picture.height());
            op->x2 = fraction(4, op->x2, picture.width());
            op->y2 = fraction(5, op->y2, picture.height());
        }
    }
    if (ops == FLayers.Layer(index)->Image().Ops())
        return false;
    FLayers.SetOps(index, std::move(ops));
    Q_EMIT masksChanged();
    Refresh();
    return true;
}

void TMaskForm::DeleteClick()
{
    const int index = ShownLayer();
    const int r = FGrid->currentRow();
    if (index < 0 || r < 0 || r >= int(FRows.size()))
        return;
    if (FLayers.DeleteNthOp(index, FRows[r].kind, FRows[r].number - 1)) {
        Q_EMIT masksChanged();
        Refresh();
    }
}

void TMaskForm::DeleteAllClick()
{
    const int index = ShownLayer();
    if (index < 0)
        return;
    FLayers.DeleteOps(index, kAllMaskKinds);
    Q_EMIT masksChanged();
    Refresh();
}

void TMaskForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (FLayers.EditMode() != emNormal) {
            FLayers.SetEditMode(emNormal);
            Refresh();
        }
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TMaskForm::eventFilter(QObject *watched, QEvent *event)
{
    // Up and Down change the value of an editable cell by 1 within its limits (while a cell is
    // being typed into, its editor has the keys).
    if (watched == FGrid && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        QTableWidgetItem *item = FGrid->currentItem();
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && item
            && (item->flags() & Qt::ItemIsEditable)) {
            bool ok = false;
            const int value = item->text().toInt(&ok);
            if (ok)
                item->setText(QString::number(std::clamp(
                    value + (key->key() == Qt::Key_Up ? 1 : -1), 0, CellMaximum(item->column()))));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace korvatel
