#include "app/ui/status_bars.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

QLabel *Panel(
    QWidget *parent, int width, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(alignment);
    if (width > 0)
        label->setFixedWidth(width);
    label->setMinimumHeight(label->fontMetrics().height() + 4);
    return label;
}

QLabel *Notice(const QString &text, const char *name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setStyleSheet(QStringLiteral("color: red;"));
    return label;
}

} // namespace

TStatusBars::TStatusBars(bool online, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pnStatus"));
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);

    // The main bar: node or folder name, progress, scanned folder, spare.
    auto *main = new QHBoxLayout;
    const int widths[4] = { 180, 350, 100, 70 };
    for (int i = 0; i < 4; ++i) {
        FMainPanels[i]
            = Panel(this, widths[i], i == 0 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        FMainPanels[i]->setObjectName(QStringLiteral("sbMain%1").arg(i));
        main->addWidget(FMainPanels[i]);
    }
    FOfflineLabel
        = Notice(QStringLiteral("オフラインです。注文操作はできません。"), "lbOffline", this);
    FOfflineLabel->setVisible(!online);
    main->addWidget(FOfflineLabel);
    main->addStretch(1);
    rows->addLayout(main);

    // The order bar and the two total bars.
    auto *order = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        FOrderPanels[i] = Panel(this, i == 3 ? 0 : 90);
        FOrderPanels[i]->setObjectName(QStringLiteral("sbOrder%1").arg(i));
        order->addWidget(FOrderPanels[i], i == 3 ? 1 : 0);
    }
    for (int bar = 0; bar < 2; ++bar)
        for (int i = 0; i < 2; ++i) {
            FTotalPanels[bar][i] = Panel(this, 110);
            FTotalPanels[bar][i]->setObjectName(QStringLiteral("sbTotal%1%2").arg(bar).arg(i));
            order->addWidget(FTotalPanels[bar][i]);
        }
    FInconsistentLabel = Notice(
        QStringLiteral("注文データに不整合があります。ヘルプから不整合チェックを行って下さい。 "),
        "lbInconsistent", this);
    FInconsistentLabel->hide();
    order->addWidget(FInconsistentLabel);
    rows->addLayout(order);
    SetOrderCounts(0, 0, 0);
    SetTotals(0, 0, 0, 0);
}

void TStatusBars::ShowStatus(int panel, const QString &text)
{
    FMainPanels[panel]->setText(text);
    if (panel == 2)
        FMainPanels[panel]->repaint();
}

void TStatusBars::SetOrderCounts(int orderedInList, int inList, int items)
{
    FOrderPanels[1]->setText(QStringLiteral("%1/%2").arg(orderedInList).arg(inList));
    FOrderPanels[3]->setText(QString::number(items));
}

void TStatusBars::SetTotals(int items, int prints, int phoneItems, int cdItems)
{
    FTotalPanels[0][0]->setText(QStringLiteral("注文数 %1").arg(items));
    FTotalPanels[0][1]->setText(QStringLiteral("プリント %1").arg(prints));
    FTotalPanels[1][0]->setText(QStringLiteral("携帯 %1").arg(phoneItems));
    FTotalPanels[1][1]->setText(QStringLiteral("CD-R %1").arg(cdItems));
}

void TStatusBars::SetInconsistent(bool shown)
{
    FInconsistentLabel->setVisible(shown);
}

} // namespace korvatel
