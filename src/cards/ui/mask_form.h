#pragma once

#include "cards/mask_ops.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QTabBar;
class QTableWidget;
class QToolButton;

namespace korvatel
{

class TLayers;

// The row texts of the list window for one layer's operations: by kind (色域, 矩形, 全域,
// 保護), each kind in reverse list order; the first cell "%d|色域 %d" (number, colour) and the
// cells level, X, Y, X2, Y2 with coordinates in pixels of a picture of the given size, "---"
// where a kind has no such value.
struct TMaskRow {
    TMaskKind kind = mkColorArea;
    int number = 0; // the n-th operation of its kind, from 1
    QStringList cells; // six cells
};
std::vector<TMaskRow> MaskRows(const TMaskOps &ops, QSize picture);

// "透過管理リスト": one tab per layer that has transparency operations, a grid of its
// operations whose cells can be edited within their limits, and the buttons 更新, 削除, 全削除,
// 透過, the four mask tools (edit modes 1, 2, 3 and 5 while down) and 閉じる. Esc ends a mask
// tool's mode. The owner calls Refresh when a layer's operations, the layer set or the edit mode
// change.
class TMaskForm : public QWidget
{
    Q_OBJECT

public:
    explicit TMaskForm(TLayers &layers, QWidget *parent = nullptr);

    static QString Caption() { return QStringLiteral("透過管理リスト"); }
    void Refresh();
    // The layer whose tab is shown; -1 when no layer has operations.
    int ShownLayer() const;

    QTabBar *tcLayers() const { return FTabs; }
    QTableWidget *sgMask() const { return FGrid; }
    QLabel *lbNone() const { return FNone; }
    QPushButton *btUpdate() const { return FUpdate; }
    QPushButton *btDelete() const { return FDelete; }
    QPushButton *btDeleteAll() const { return FDeleteAll; }
    QCheckBox *cbShow() const { return FShow; }
    QToolButton *ToolButton(int editMode) const;

    // "更新": takes every cell back into the operations; true when anything changed.
    bool UpdateClick();
    void DeleteClick();
    void DeleteAllClick();

Q_SIGNALS:
    // The operations of a layer were changed here.
    void masksChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FillGrid();
    QSize PictureSize(int index) const;
    int CellMaximum(int column) const;

    TLayers &FLayers;
    QTabBar *FTabs = nullptr;
    QTableWidget *FGrid = nullptr;
    QLabel *FNone = nullptr;
    QPushButton *FUpdate = nullptr;
    QPushButton *FDelete = nullptr;
    QPushButton *FDeleteAll = nullptr;
    QCheckBox *FShow = nullptr;
    QList<QToolButton *> FTools;
    QList<int> FTabLayers;
    std::vector<TMaskRow> FRows;
    bool FFilling = false;
};

} // namespace korvatel
