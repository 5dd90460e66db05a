#include "customer/ui/hist_form.h"

#include "customer/card_payment.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/ui/window_fit.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

// Where the window stood when it was last closed; kept while the program runs.
std::optional<QRect> gLastGeometry;

const QColor kSeparator(0xD3, 0xD3, 0xD3);

} // namespace

TKorvatelHistForm::TKorvatelHistForm(TOrderHistory &history, THistFormContext context,
    TPrompter &prompter, const TClock &clock, QWidget *parent)
    : QDialog(parent)
    , FHistory(history)
    , FContext(std::move(context))
    , FPrompter(prompter)
    , FClock(clock)
{
    setWindowTitle(QStringLiteral("履歴と決済"));
    FList = new QListWidget(this);
    FList->setItemDelegate(new THistItemDelegate(*this));
    FList->setMouseTracking(true);
    FList->viewport()->installEventFilter(this);
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(12);
    FList->setFont(font);
    FList->setMinimumWidth(560);

    FDelete = new QPushButton(QStringLiteral("選択項目の削除"), this);
    FReCheck = new QPushButton(QStringLiteral("再確認"), this);
    FDeleteFailed = new QPushButton(QStringLiteral("未送信の削除"), this);
    FCredit = new QPushButton(QStringLiteral("クレジット支払"), this);
    FCardEntry = new QPushButton(QStringLiteral("クレジットカード登録"), this);
    FRelease = new QPushButton(QStringLiteral("[まとめ]の解放"), this);
    FClose = new QPushButton(QStringLiteral("閉じる[ESC]"), this);
    FMail = new QPushButton(QStringLiteral("メール送信"), this);
    FMail->setToolTip(QStringLiteral("選んだ注文の記録を、ご自分のメールアドレスに送ります。"));
    FMail->setVisible(bool(FContext.mailFile));
    FSuccessOnly = new QCheckBox(QStringLiteral("完了注文のみ記録"), this);
    for (QPushButton *button :
        { FDelete, FReCheck, FDeleteFailed, FCredit, FCardEntry, FRelease, FMail, FClose })
        button->setAutoDefault(false);
    FClose->setDefault(true); // Enter closes the window, as Esc does

    auto *buttons = new QVBoxLayout;
    for (QWidget *widget : std::initializer_list<QWidget *> {
             FCredit, FRelease, FReCheck, FCardEntry, FDelete, FDeleteFailed, FMail, FSuccessOnly })
        buttons->addWidget(widget);
    buttons->addStretch();
    buttons->addWidget(FClose);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(FList, 1);
    layout->addLayout(buttons);

    connect(FDelete, &QPushButton::clicked, this, &TKorvatelHistForm::btnDeleteClick);
    connect(FDeleteFailed, &QPushButton::clicked, this, &TKorvatelHistForm::btnDeleteFailedClick);
    connect(FReCheck, &QPushButton::clicked, this, &TKorvatelHistForm::btnReCheckClick);
    connect(FCredit, &QPushButton::clicked, this, &TKorvatelHistForm::btnCreditClick);
    connect(FCardEntry, &QPushButton::clicked, this, &TKorvatelHistForm::btnCardEntryClick);
    connect(FRelease, &QPushButton::clicked, this, &TKorvatelHistForm::btnReleaseClick);
    connect(FClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(FMail, &QPushButton::clicked, this, [this] {
        const int row = FList->currentRow();
        if (row >= 0 && row < FEntries.size() && FContext.mailFile)
            FContext.mailFile(FHistory.FilePath(FEntries.at(row).fileName));
    });
    connect(FSuccessOnly, &QCheckBox::clicked, this, &TKorvatelHistForm::cbSuccessOnlyClick);
    connect(FList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        const int row = FList->row(item);
        if (row >= 0 && FContext.showFile)
            FContext.showFile(FHistory.FilePath(FEntries.at(row).fileName));
    });
    connect(FList, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });

    FSuccessOnly->setChecked(FHistory.SuccessOnly());
    FitToScreen(*this, { 760, 420 });
    if (gLastGeometry) {
        setGeometry(*gLastGeometry);
    } else if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    LoadList();
}

TKorvatelHistForm::~TKorvatelHistForm() = default;

void TKorvatelHistForm::done(int result)
{
    gLastGeometry = geometry();
    QDialog::done(result);
}

void TKorvatelHistForm::LoadList()
{
    const int current = FList->currentRow();
    FEntries = FHistory.LoadList();
    FList->clear();
    for (const TOrderHistRec &entry : FEntries) {
        auto *item = new QListWidgetItem(EntryText(entry), FList);
        if (entry.payState == hpsUnpaid) {
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
        } else {
            // Not payable: the check box is shown unchecked and cannot be changed.
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            item->setCheckState(Qt::Unchecked);
        }
    }
    if (current >= 0 && FList->count() > 0)
        FList->setCurrentRow(std::min(current, FList->count() - 1));
    UpdateButtons();
}

void TKorvatelHistForm::UpdateButtons()
{
    bool waitingOrUnpaid = false, unsent = false, unpaid = false;
    for (const TOrderHistRec &entry : FEntries) {
        waitingOrUnpaid
            = waitingOrUnpaid || entry.payState == hpsWaiting || entry.payState == hpsUnpaid;
        unsent = unsent || !entry.sent;
        unpaid = unpaid || entry.payState == hpsUnpaid;
    }
    FDelete->setEnabled(!FEntries.isEmpty());
    FReCheck->setEnabled(waitingOrUnpaid);
    FDeleteFailed->setEnabled(unsent);
    FCredit->setEnabled(unpaid);
    FCardEntry->setEnabled(!FCredit->isEnabled());
    const int row = FList->currentRow();
    FMail->setEnabled(row >= 0 && row < FEntries.size());
    FRelease->setEnabled(row >= 0 && row < FEntries.size() && FEntries.at(row).isBundle
        && FEntries.at(row).payState == hpsUnpaid);
}

QStringList TKorvatelHistForm::DrawnLines(int row) const
{
    if (row < 0 || row >= FEntries.size())
        return {};
    const TOrderHistRec &entry = FEntries.at(row);
    QStringList lines { EntryText(entry) };
    if (entry.isBundle && entry.expanded)
        lines += BundleItemLines(entry);
    return lines;
}

QColor TKorvatelHistForm::EntryColor(int row) const
{
    switch (row >= 0 && row < FEntries.size() ? int(FEntries.at(row).payState) : int(hpsNone)) {
    case hpsWaiting:
        return Qt::blue;
    case hpsSettled:
        return QColor(0, 0x80, 0); // green
    case hpsUnpaid:
        return Qt::red;
    default:
        return FList->palette().color(QPalette::Text);
    }
}

void TKorvatelHistForm::ToggleBundle(int row)
{
    if (row < 0 || row >= FEntries.size() || !FEntries.at(row).isBundle)
        return;
    FEntries[row].expanded = FEntries.at(row).expanded ? 0 : 1;
    FList->doItemsLayout(); // the delegate gives the new height
    FList->viewport()->update();
}

bool TKorvatelHistForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FList->viewport()) {
        const auto markRow = [this](const QPoint &pos) {
            const QModelIndex index = FList->indexAt(pos);
            if (!index.isValid() || !FEntries.at(index.row()).isBundle)
                return -1;
            const QRect rect = FList->visualRect(index);
            const int markLeft = rect.left() + THistItemDelegate::kCheckWidth;
            const int markWidth = FList->fontMetrics().horizontalAdvance(QStringLiteral("＋"));
            const bool onMark = pos.x() >= markLeft && pos.x() < markLeft + markWidth
                && pos.y() < rect.top() + THistItemDelegate::kLineHeight;
            return onMark ? index.row() : -1;
        };
        if (event->type() == QEvent::MouseMove) {
            const int hot = markRow(static_cast<QMouseEvent *>(event)->position().toPoint());
            if (hot != FHotMark) {
                FHotMark = hot;
                FList->viewport()->update();
            }
        } else if (event->type() == QEvent::MouseButtonPress) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const int row = markRow(mouse->position().toPoint());
            if (mouse->button() == Qt::LeftButton && row >= 0) {
                ToggleBundle(row);
                FList->setCurrentRow(row);
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            if (markRow(static_cast<QMouseEvent *>(event)->position().toPoint()) >= 0)
                return true; // a double click on the mark only toggles
        }
    }
    return QDialog::eventFilter(watched, event);
}

QList<int> TKorvatelHistForm::CheckedRows() const
{
    QList<int> rows;
    for (int row = 0; row < FList->count(); ++row) {
        if (FList->item(row)->checkState() == Qt::Checked && FEntries.at(row).payState == hpsUnpaid)
            rows << row;
    }
    return rows;
}

void TKorvatelHistForm::btnDeleteClick()
{
    const int row = FList->currentRow();
    if (row < 0 || row >= FEntries.size())
        return;
    const TOrderHistRec entry = FEntries.at(row);
    if (entry.payState == hpsWaiting || entry.payState == hpsUnpaid) {
        FPrompter.Warn(QStringLiteral("　削除できない項目です。　"));
        return;
    }
    if (!FPrompter.Confirm(QStringLiteral("削除します。よろしいですか？。")))
        return;
    if (!FHistory.DeleteRecord(entry.fileName))
        return;
    FEntries.removeAt(row);
    delete FList->takeItem(row);
    if (FList->count() > 0)
        FList->setCurrentRow(std::min(row, FList->count() - 1));
    UpdateButtons();
}

void TKorvatelHistForm::btnDeleteFailedClick()
{
    if (!FPrompter.Confirm(QStringLiteral("未送信の履歴を削除します。よろしいですか？")))
        return;
    FHistory.DeleteFailed();
    LoadList();
}

void TKorvatelHistForm::btnReCheckClick()
{
    const qsizetype before = FHistory.UnsettledCardOrders().size();
    bool renamed = false;
    if (FContext.settlementQuery) {
        FContext.settlementQuery(FHistory.UnsettledCardOrders(),
            [this, &renamed](const QString &id, int state, bool &found) {
                renamed = FHistory.Settle(id, state, found) || renamed;
            });
    }
    const qsizetype after = FHistory.UnsettledCardOrders().size();
    if (renamed)
        LoadList();
    if (after == before) {
        FPrompter.Inform(QStringLiteral("サーバー問い合わせ完了。変化はありません。"));
    } else {
        FPrompter.Inform(QStringLiteral("サーバー問い合わせ完了。%1項目の決済を確認しました。")
                             .arg(before - after));
    }
}

void TKorvatelHistForm::btnCreditClick()
{
    const QList<int> rows = CheckedRows();
    if (rows.isEmpty() || !FContext.card)
        return;
    if (rows.size() == 1) {
        const TOrderHistRec &entry = FEntries.at(rows.first());
        FContext.card->PayOrder(entry.PaymentId(), CardAmountOf(entry));
        return;
    }
    if (!FPrompter.Confirm(
            QStringLiteral("選択項目をまとめ、１本のクレジット決済にします。\r\n"
                           "まとめ作業が終わると、すぐに決済画面へ移行します。\r\n\r\n"
                           "実行していいですか？")))
        return;
    QList<TOrderHistRec> entries;
    for (int row : rows)
        entries << FEntries.at(row);
    const TBundleResult bundle = MakeBundle(FHistory, entries, *FContext.card, FClock);
    LoadList();
    if (bundle.outcome == TBundleResult::brBadAmount) {
        FPrompter.Error(QStringLiteral("合計金額が決済できる範囲を超えています。"));
        return;
    }
    if (bundle.outcome != TBundleResult::brMade) {
        FPrompter.Error(QStringLiteral(
            "クレジットサーバーへの書き込みに失敗しました。「まとめ精算」を開放します。"));
        return;
    }
    FContext.card->PayOrder(QStringLiteral("(P)") + bundle.cardOrderId, bundle.sum);
}

void TKorvatelHistForm::btnReleaseClick()
{
    const int row = FList->currentRow();
    if (row < 0 || row >= FEntries.size() || !FEntries.at(row).isBundle
        || FEntries.at(row).payState != hpsUnpaid || !FContext.card)
        return;
    if (FContext.card->ReleaseBundle(FEntries.at(row).PaymentId())) {
        FHistory.DeleteRecord(FEntries.at(row).fileName);
        LoadList();
    }
}

void TKorvatelHistForm::btnCardEntryClick()
{
    if (!FContext.offersCard || !FContext.card) {
        FPrompter.Inform(QStringLiteral("当店では、この機能は利用できません。"));
        return;
    }
    // The card window opens over this one, which stays shown. Hiding a dialog in its exec()
    // ends the exec(); shown again afterwards, the dialog would keep the program's modal window
    // list pointing at it and block the main window for good once it closes.
    FContext.card->OpenCardSettings();
}

void TKorvatelHistForm::cbSuccessOnlyClick()
{
    FHistory.SetSuccessOnly(FSuccessOnly->isChecked());
    FSuccessOnly->setChecked(FHistory.SuccessOnly());
}

void THistItemDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int row = index.row();
    const QList<TOrderHistRec> &entries = FForm.Entries();
    if (row < 0 || row >= entries.size())
        return;
    const TOrderHistRec &entry = entries.at(row);
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->fillRect(option.rect, selected ? option.palette.highlight() : option.palette.base());

    // The check box.
    QStyleOptionViewItem check(option);
    check.rect
        = QRect(option.rect.left() + 2, option.rect.top() + 2, kCheckWidth - 4, kLineHeight - 4);
    check.state = (index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On
                                                                         : QStyle::State_Off)
        | (entry.payState == hpsUnpaid ? QStyle::State_Enabled : QStyle::State_None);
    QApplication::style()->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter);

    const QStringList lines = FForm.DrawnLines(row);
    QFont font = option.font;
    font.setStrikeOut(!entry.sent);
    const QColor colour = selected ? Qt::white : FForm.EntryColor(row);
    int x = option.rect.left() + kCheckWidth;
    const QRect first(x, option.rect.top(), option.rect.width() - kCheckWidth, kLineHeight);
    // The yen sign that the texts write as "\\" is drawn as a yen sign.
    QString text = lines.value(0).replace(QLatin1Char('\\'), QChar(0xA5));
    if (entry.isBundle) {
        // The mark is drawn apart, in bold while the mouse is over it.
        QFont markFont = option.font;
        markFont.setBold(FForm.HotMark() == row);
        painter->setFont(markFont);
        painter->setPen(colour);
        const QString mark = text.left(1);
        painter->drawText(first, Qt::AlignVCenter | Qt::AlignLeft, mark);
        x += QFontMetrics(option.font).horizontalAdvance(mark);
        text = text.mid(1);
    }
    painter->setFont(font);
    painter->setPen(colour);
    painter->drawText(QRect(x, first.top(), first.right() - x, kLineHeight),
        Qt::AlignVCenter | Qt::AlignLeft, text);
    QFont itemFont = option.font;
    painter->setFont(itemFont);
    painter->setPen(selected ? Qt::white : kSeparator);
    for (int i = 1; i < lines.size(); ++i) {
        painter->drawText(
            QRect(option.rect.left() + kCheckWidth, option.rect.top() + i * kLineHeight,
                option.rect.width() - kCheckWidth, kLineHeight),
            Qt::AlignVCenter | Qt::AlignLeft, lines.at(i));
    }

    // The separator: green across the whole width where the unpaid entries begin below.
    const bool nextUnpaid = row + 1 < entries.size() && entries.at(row + 1).payState == hpsUnpaid;
    const int bottom = option.rect.bottom();
    if (entry.payState != hpsUnpaid && nextUnpaid) {
        painter->setPen(QColor(0, 0x80, 0));
        painter->drawLine(option.rect.left(), bottom, option.rect.right(), bottom);
    } else {
        painter->setPen(kSeparator);
        painter->drawLine(option.rect.left() + kCheckWidth, bottom, option.rect.right(), bottom);
    }
    painter->restore();
}

QSize THistItemDelegate::sizeHint(
    const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int row = index.row();
    const QList<TOrderHistRec> &entries = FForm.Entries();
    int lines = 1;
    if (row >= 0 && row < entries.size() && entries.at(row).isBundle && entries.at(row).expanded)
        lines = entries.at(row).bundleCount + 1;
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kLineHeight * lines);
}

} // namespace korvatel
