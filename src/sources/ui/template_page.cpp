#include "sources/ui/template_page.h"

#include "platform/ui/widget_helpers.h"
#include "sources/source_modes.h"

#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

constexpr int kPreviewSide = 120;

} // namespace

TTemplatePage::TTemplatePage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pnTemplate"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    FList = new QListWidget(this);
    FList->setObjectName(QStringLiteral("lvTemplate"));
    FList->setViewMode(QListView::IconMode);
    FList->setIconSize(QSize(kPreviewSide, kPreviewSide));
    FList->setGridSize(QSize(kPreviewSide + 16, kPreviewSide + 36));
    FList->setResizeMode(QListView::Adjust);
    FList->setMovement(QListView::Static);
    FList->setWordWrap(true);
    SetHint(FList,
        QStringLiteral("テンプレート|クリックするとカード作成にテンプレートを読み込みます。"));
    layout->addWidget(FList, 1);
    FEmpty = new QLabel(SourcePageEmptyText(smTemplate), this);
    FEmpty->setObjectName(QStringLiteral("lbSourceEmpty%1").arg(smTemplate));
    FEmpty->setAlignment(Qt::AlignCenter);
    FEmpty->setWordWrap(true);
    layout->addWidget(FEmpty, 1);
    FList->hide();

    const auto choose = [this](QListWidgetItem *item) {
        if (item)
            Q_EMIT templateChosen(item->data(Qt::UserRole).toString());
    };
    connect(FList, &QListWidget::itemClicked, this, choose);
    connect(FList, &QListWidget::itemActivated, this, choose);
}

void TTemplatePage::SetTemplates(const QList<TTemplateItem> &items)
{
    FList->clear();
    for (const TTemplateItem &entry : items) {
        auto *item = new QListWidgetItem(entry.title, FList);
        item->setData(Qt::UserRole, entry.path);
        item->setToolTip(entry.title);
        if (!entry.preview.isNull())
            item->setIcon(QPixmap::fromImage(entry.preview.scaled(
                kPreviewSide, kPreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    FList->setVisible(!items.isEmpty());
    FEmpty->setVisible(items.isEmpty());
}

void TTemplatePage::SetEmptyText(const QString &text)
{
    FEmpty->setText(text.isEmpty() ? SourcePageEmptyText(smTemplate) : text);
}

void TTemplatePage::Shown()
{
    if (FAsked)
        return;
    FAsked = true;
    if (TemplatesWanted)
        TemplatesWanted();
}

} // namespace korvatel
