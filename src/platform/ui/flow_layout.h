#pragma once

#include <QLayout>
#include <QList>

namespace korvatel
{

// Lays its widgets out in a row and starts a new row when the width runs out, so that a bar of
// controls never overlaps itself in a narrow window. Widgets added with Qt::AlignRight are put
// at the right end of their row. The height follows the rows the width needs.
class TFlowLayout : public QLayout
{
public:
    explicit TFlowLayout(QWidget *parent = nullptr);
    ~TFlowLayout() override;

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(FItems.size()); }
    QLayoutItem *itemAt(int index) const override { return FItems.value(index); }
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;

private:
    // Places the items in rect (only measures with apply off); the height used.
    int Arrange(const QRect &rect, bool apply) const;

    QList<QLayoutItem *> FItems;
};

} // namespace korvatel
