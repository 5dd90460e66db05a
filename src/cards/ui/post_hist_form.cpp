#include "cards/ui/post_hist_form.h"

#include "cards/dpo_file.h"
#include "platform/prompter.h"
#include "platform/ui/window_fit.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvatel
{

QString MailCheckUnavailableText()
{
    return QStringLiteral("メールチェック: 受信メールの確認方法がまだ決まっていないため、"
                          "この版では行いません。進行状況は注文ファイルから表示しています。");
}

TPostHistForm::TPostHistForm(
    QString postCardFolder, QString shopId, TPrompter &prompter, QWidget *parent)
    : QDialog(parent)
    , FPostCard(std::move(postCardFolder))
    , FShopId(std::move(shopId))
    , FPrompter(prompter)
{
    setObjectName(QStringLiteral("PostHistForm"));
    setWindowTitle(QStringLiteral("履歴と進行状況"));
    auto *layout = new QVBoxLayout(this);
    auto *lists = new QHBoxLayout;
    FList = new QListWidget(this);
    FList->setMinimumWidth(260);
    FDetail = new QPlainTextEdit(this);
    FDetail->setReadOnly(true);
    lists->addWidget(FList);
    lists->addWidget(FDetail, 1);
    layout->addLayout(lists, 1);
    FMail = new QLabel(this);
    FMail->setWordWrap(true);
    layout->addWidget(FMail);
    auto *buttons = new QHBoxLayout;
    FChange = new QPushButton(QStringLiteral("注文内容の変更"), this);
    FImage = new QPushButton(QStringLiteral("画像確認"), this);
    FResend = new QPushButton(QStringLiteral("再送信"), this);
    FRefresh = new QPushButton(QStringLiteral("最新情報更新とメールチェック"), this);
    auto *close = new QPushButton(QStringLiteral("閉じる[ESC]"), this);
    for (QPushButton *b : { FChange, FImage, FResend, FRefresh, close })
        buttons->addWidget(b);
    layout->addLayout(buttons);
    FitToScreen(*this, { 820, 480 });

    connect(FList, &QListWidget::currentRowChanged, this, [this](int row) { Select(row); });
    connect(FChange, &QPushButton::clicked, this, [this] { btnChangeClick(); });
    connect(FImage, &QPushButton::clicked, this, [this] { btnImageClick(); });
    connect(FResend, &QPushButton::clicked, this, [this] { btnResendClick(); });
    connect(FRefresh, &QPushButton::clicked, this, [this] { btnRefreshClick(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    Reload();
}

QString TPostHistForm::EntryText(const TCardHistEntry &e) const
{
    // "yyyymmdd-hhnnsszz" as "yyyy.mm.dd hh:nn:ss".
    const QString s = e.stamp;
    QString text = s.size() >= 15
        ? QStringLiteral("%1.%2.%3 %4:%5:%6")
              .arg(s.mid(0, 4), s.mid(4, 2), s.mid(6, 2), s.mid(9, 2), s.mid(11, 2), s.mid(13, 2))
        : s;
    if (e.fileThere) {
        text += u' ' + DpoText(e.lines, "NUM") + QStringLiteral("枚");
    }
    const QString state = CardPayStateLabel(e);
    if (!state.isEmpty())
        text += u' ' + state;
    if (e.unsent)
        text += QStringLiteral(" (未送信)");
    return text;
}

void TPostHistForm::Reload()
{
    FEntries = ListCardHistory(FPostCard, FShopId);
    FList->blockSignals(true);
    FList->clear();
    for (const TCardHistEntry &e : FEntries) {
        auto *item = new QListWidgetItem(EntryText(e), FList);
        if (e.unsent) {
            QFont font = item->font();
            font.setStrikeOut(true);
            item->setFont(font);
            item->setForeground(Qt::red);
        }
    }
    FList->blockSignals(false);
    FDetail->clear();
    if (!FEntries.isEmpty())
        FList->setCurrentRow(int(FEntries.size()) - 1);
    else
        Select(-1);
}

QStringList TPostHistForm::ListLines() const
{
    QStringList lines;
    for (int i = 0; i < FList->count(); ++i)
        lines << FList->item(i)->text();
    return lines;
}

QStringList TPostHistForm::DetailLines() const
{
    const QString text = FDetail->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

const TCardHistEntry *TPostHistForm::Current() const
{
    const int row = FList->currentRow();
    return row >= 0 && row < FEntries.size() ? &FEntries[row] : nullptr;
}

void TPostHistForm::Select(int row)
{
    FDetail->clear();
    const bool valid = row >= 0 && row < FEntries.size();
    FChange->setEnabled(valid);
    FImage->setEnabled(valid);
    FResend->setEnabled(valid && FEntries[row].unsent);
    if (!valid)
        return;
    TCardHistEntry &e = FEntries[row];
    if (!e.fileThere) {
        // The order file is fetched from the shop when it is missing here.
        FPrompter.Inform(NoOrderFileText());
        if (!DownloadOrderFile || !DownloadOrderFile(e.orderNo)) {
            FPrompter.Warn(DownloadFailedText());
            return;
        }
        if (std::optional<QStringList> lines = ReadDpoFile(CardOrderFile(FPostCard, e.orderNo))) {
            e.lines = *lines;
            e.fileThere = true;
            FList->item(row)->setText(EntryText(e));
        }
    }
    FDetail->setPlainText(CardHistoryDetails(e.lines).join(u'\n'));
}

void TPostHistForm::btnChangeClick()
{
    const TCardHistEntry *e = Current();
    if (!e || !e->fileThere)
        return;
    hide();
    const bool changed = ChangeOrder && ChangeOrder(*e);
    show();
    if (changed)
        Reload();
}

void TPostHistForm::btnImageClick()
{
    const TCardHistEntry *e = Current();
    if (!e)
        return;
    const QPixmap picture(QDir(e->folder).filePath(QLatin1String(kCardPicture)));
    if (picture.isNull()) {
        FPrompter.Warn(QStringLiteral("仕上がり画像がありません。"));
        return;
    }
    delete FImageWindow;
    FImageWindow = new QDialog(this);
    FImageWindow->setWindowTitle(QStringLiteral("画像確認 - ") + e->orderNo);
    auto *layout = new QVBoxLayout(FImageWindow);
    auto *label = new QLabel(FImageWindow);
    const QSize room = QSize(800, 600).boundedTo(ScreenRoom(*FImageWindow) - QSize(24, 24));
    label->setPixmap(picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    layout->addWidget(label);
    FImageWindow->show();
}

void TPostHistForm::btnResendClick()
{
    const TCardHistEntry *e = Current();
    if (!e || !e->unsent || !Resend)
        return;
    const QString orderNo = e->orderNo;
    Resend(*e);
    Reload();
    for (int i = 0; i < FEntries.size(); ++i) {
        if (FEntries[i].orderNo == orderNo)
            FList->setCurrentRow(i);
    }
}

void TPostHistForm::btnRefreshClick()
{
    Reload();
    FMail->setText(CheckMail ? CheckMail() : MailCheckUnavailableText());
}

} // namespace korvatel
