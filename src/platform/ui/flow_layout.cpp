#include "platform/ui/flow_layout.h"

#include <QWidget>

namespace korvatel
{

TFlowLayout::TFlowLayout(QWidget *parent)
    : QLayout(parent)
{
}

TFlowLayout::~TFlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void TFlowLayout::addItem(QLayoutItem *item)
{
    FItems.append(item);
}

QLayoutItem *TFlowLayout::takeAt(int index)
{
    return index >= 0 && index < FItems.size() ? FItems.takeAt(index) : nullptr;
}

int TFlowLayout::heightForWidth(int width) const
{
    return Arrange(QRect(0, 0, width, 0), false);
}

QSize TFlowLayout::minimumSize() const
{
    // As narrow as the widest item: everything else can go to a row of its own.
    QSize size;
    for (const QLayoutItem *item : FItems)
        size = size.expandedTo(item->minimumSize());
    const QMargins margins = contentsMargins();
    return size.grownBy(margins);
}

QSize TFlowLayout::sizeHint() const
{
    // Everything in one row.
    int width = 0;
    int height = 0;
    for (const QLayoutItem *item : FItems) {
        if (item->isEmpty())
            continue;
        width += item->sizeHint().width() + (width > 0 ? spacing() : 0);
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins margins = contentsMargins();
    return QSize(width, height).grownBy(margins);
}

void TFlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int TFlowLayout::Arrange(const QRect &rect, bool apply) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int gap = std::max(spacing(), 0);
    // The rows: the items that fit side by side, each row as tall as its tallest item.
    QList<QList<QLayoutItem *>> rows(1);
    int used = 0;
    for (QLayoutItem *item : FItems) {
        if (item->isEmpty())
            continue;
        const int width = item->sizeHint().width();
        if (!rows.last().isEmpty() && used + gap + width > area.width()) {
            rows.append(QList<QLayoutItem *>());
            used = 0;
        }
        used += (rows.last().isEmpty() ? 0 : gap) + width;
        rows.last().append(item);
    }
    int y = area.top();
    for (const QList<QLayoutItem *> &row : rows) {
        int height = 0;
        for (const QLayoutItem *item : row)
            height = std::max(height, item->sizeHint().height());
        if (apply) {
            int left = area.left();
            int right = area.right() + 1;
            for (auto it = row.rbegin(); it != row.rend() && ((*it)->alignment() & Qt::AlignRight);
                 ++it) {
                const int width = std::min((*it)->sizeHint().width(), area.width());
                right -= width;
                (*it)->setGeometry(QRect(right, y, width, height));
                right -= gap;
            }
            for (QLayoutItem *item : row) {
                if (item->alignment() & Qt::AlignRight)
                    break;
                const int width = std::min(item->sizeHint().width(), area.width());
                item->setGeometry(QRect(left, y, width, height));
                left += width + gap;
            }
        }
        y += height + gap;
    }
    return y - gap - area.top() + contentsMargins().top() + contentsMargins().bottom();
}

} // namespace korvatel
