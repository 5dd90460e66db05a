#include "order/ui/print_check_form.h"

#include "order/thumb_nails.h"
#include "platform/ui/window_fit.h"
#include "pricing/price_tables.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace korvatel
{

namespace
{

constexpr int kThumbSide = 72;

// The order thumbnail when it has been made, else the picture read at thumbnail size; an empty
// pixmap when neither can be read.
QPixmap Thumbnail(const TThumbNail &item)
{
    for (const QString &path : { item.ThumbnailPath, item.FullPath }) {
        if (path.isEmpty() || !QFileInfo(path).isFile())
            continue;
        QImageReader reader(path);
        const QSize size = reader.size();
        if (size.isValid() && !size.isEmpty())
            reader.setScaledSize(size.scaled(kThumbSide, kThumbSide, Qt::KeepAspectRatio));
        const QImage image = reader.read();
        if (!image.isNull())
            return QPixmap::fromImage(image);
    }
    return {};
}

enum TColumn { colThumb, colFile, colQuality, colChoice, colCount };

} // namespace

TPrintCheckForm::TPrintCheckForm(const QList<TPrintQualityIssue> &issues,
    const TPriceTables &tables, int finesLow, int finesHi, QWidget *parent)
    : QDialog(parent)
    , FIssues(issues)
    , FTable(new QTableWidget(int(issues.size()), colCount, this))
{
    setObjectName(QStringLiteral("PrintCheckForm"));
    setWindowTitle(QStringLiteral("プリント画質の確認"));
    auto *layout = new QVBoxLayout(this);
    auto *lead = new QLabel(QStringLiteral(
        "次のプリントは、画像の画素数がプリントサイズに足りません(低画質)。\n"
        "このまま注文するか、小さいサイズに変えるか、トリミングをやり直すかを選んで下さい。"));
    lead->setObjectName(QStringLiteral("lbLead"));
    lead->setWordWrap(true);
    layout->addWidget(lead);

    FTable->setObjectName(QStringLiteral("sgPrints"));
    FTable->setHorizontalHeaderLabels({ QStringLiteral("画像"), QStringLiteral("ファイル"),
        QStringLiteral("画質"), QStringLiteral("どうしますか") });
    FTable->verticalHeader()->setVisible(false);
    FTable->verticalHeader()->setDefaultSectionSize(kThumbSide + 8);
    FTable->setColumnWidth(colThumb, kThumbSide + 8);
    FTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FTable->setSelectionMode(QAbstractItemView::NoSelection);
    FTable->horizontalHeader()->setSectionResizeMode(colFile, QHeaderView::ResizeToContents);
    FTable->horizontalHeader()->setSectionResizeMode(colQuality, QHeaderView::ResizeToContents);
    FTable->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < FIssues.size(); ++row) {
        const TPrintQualityIssue &issue = FIssues[row];
        auto *thumb = new QLabel;
        thumb->setAlignment(Qt::AlignCenter);
        thumb->setPixmap(Thumbnail(*issue.item));
        FTable->setCellWidget(row, colThumb, thumb);
        FTable->setItem(row, colFile, new QTableWidgetItem(issue.item->FileName));
        FTable->setItem(row, colQuality, new QTableWidgetItem(PrintQualityText(issue)));
        auto *choice = new QComboBox;
        choice->setObjectName(QStringLiteral("cbxChoice%1").arg(row));
        choice->addItem(
            QStringLiteral("このまま注文する"), QVariant::fromValue(int(TPrintChoice::pcKeep)));
        for (const QString &size : SizesFitFor(issue, tables, finesLow, finesHi))
            choice->addItem(
                QStringLiteral("サイズを%1に変える").arg(size), QVariant::fromValue(size));
        choice->addItem(
            QStringLiteral("トリミングをやり直す"), QVariant::fromValue(int(TPrintChoice::pcTrim)));
        FTable->setCellWidget(row, colChoice, choice);
    }
    FTable->setMinimumWidth(640);
    layout->addWidget(FTable);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *go
        = buttons->addButton(QStringLiteral("注文に進む"), QDialogButtonBox::AcceptRole);
    go->setObjectName(QStringLiteral("btnProceed"));
    go->setDefault(true);
    QPushButton *back = buttons->addButton(QStringLiteral("戻る"), QDialogButtonBox::RejectRole);
    back->setObjectName(QStringLiteral("btnBack"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    FitToScreen(*this, { 760, 160 + 80 * int(std::min<qsizetype>(FIssues.size(), 5)) });
}

QComboBox *TPrintCheckForm::Choice(int row) const
{
    return qobject_cast<QComboBox *>(FTable->cellWidget(row, colChoice));
}

QList<TPrintChoice> TPrintCheckForm::Choices() const
{
    QList<TPrintChoice> choices;
    for (int row = 0; row < FIssues.size(); ++row) {
        const QVariant data = Choice(row)->currentData();
        TPrintChoice choice;
        if (data.typeId() == QMetaType::QString) {
            choice.kind = TPrintChoice::pcChangeSize;
            choice.size = data.toString();
        } else if (data.toInt() == int(TPrintChoice::pcTrim)) {
            choice.kind = TPrintChoice::pcTrim;
        }
        choices.append(choice);
    }
    return choices;
}

TPrintCheckOutcome RunPrintCheck(
    TThumbNails &list, const TPriceTables &tables, int finesLow, int finesHi, QWidget *parent)
{
    const QList<TPrintQualityIssue> issues = FindLowQualityPrints(list, tables, finesLow, finesHi);
    if (issues.isEmpty())
        return {};
    TPrintCheckForm form(issues, tables, finesLow, finesHi, parent);
    if (form.exec() != QDialog::Accepted)
        return { TPrintCheckOutcome::ppBack, {} };
    const QList<TPrintChoice> choices = form.Choices();
    TPrintCheckOutcome outcome;
    bool changed = false;
    for (qsizetype i = 0; i < issues.size(); ++i) {
        if (choices[i].kind == TPrintChoice::pcTrim && outcome.kind != TPrintCheckOutcome::ppTrim)
            outcome = { TPrintCheckOutcome::ppTrim, issues[i].item->FullPath };
        changed = ApplyPrintChoice(list, issues[i], choices[i]) || changed;
    }
    if (changed) {
        list.Recount();
        list.RebuildAggregate();
    }
    return outcome;
}

} // namespace korvatel
