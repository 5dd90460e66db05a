#pragma once

#include "cards/card_history.h"

#include <QDialog>
#include <functional>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace korvatel
{

class TPrompter;

// The card history window "履歴と進行状況": the card orders placed with a shop, listed by
// their date and time from the history folder, the last one selected with its details; a
// missing order file is fetched from the shop. "注文内容の変更" reopens the order window on the
// selected order, "画像確認" shows the finished card, "再送信" sends an order that did not
// reach the shop, "最新情報更新とメールチェック" reloads the list and runs the mail check.
class TPostHistForm : public QDialog
{
    Q_OBJECT

public:
    TPostHistForm(
        QString postCardFolder, QString shopId, TPrompter &prompter, QWidget *parent = nullptr);

    // Fetches a missing order file; true when it arrived.
    std::function<bool(const QString &orderNo)> DownloadOrderFile;
    // Opens the order window on an order; true when the order was changed.
    std::function<bool(const TCardHistEntry &entry)> ChangeOrder;
    // Sends an unsent order again; true when it reached the shop.
    std::function<bool(const TCardHistEntry &entry)> Resend;
    // Looks for the shop's mails about the orders; gives the text to show. None: the window
    // says that the mail check is not available.
    std::function<QString()> CheckMail;

    // Reads the history folder again and selects the last order.
    void Reload();
    const QList<TCardHistEntry> &Entries() const { return FEntries; }
    // The list's lines as shown.
    QStringList ListLines() const;
    QStringList DetailLines() const;

    QListWidget *lbxOrders() const { return FList; }
    QPlainTextEdit *mmDetail() const { return FDetail; }
    QLabel *lbMail() const { return FMail; }
    QPushButton *btnChange() const { return FChange; }
    QPushButton *btnImage() const { return FImage; }
    QPushButton *btnResend() const { return FResend; }
    QPushButton *btnRefresh() const { return FRefresh; }
    // The picture window of "画像確認", once shown.
    QDialog *ImageWindow() const { return FImageWindow; }

    void btnChangeClick();
    void btnImageClick();
    void btnResendClick();
    void btnRefreshClick();

private:
    void Select(int row);
    QString EntryText(const TCardHistEntry &entry) const;
    const TCardHistEntry *Current() const;

    QString FPostCard;
    QString FShopId;
    TPrompter &FPrompter;
    QList<TCardHistEntry> FEntries;
    QListWidget *FList = nullptr;
    QPlainTextEdit *FDetail = nullptr;
    QLabel *FMail = nullptr;
    QPushButton *FChange = nullptr;
    QPushButton *FImage = nullptr;
    QPushButton *FResend = nullptr;
    QPushButton *FRefresh = nullptr;
    QDialog *FImageWindow = nullptr;
};

// What the window says while the mail check is not available.
QString MailCheckUnavailableText();

} // namespace korvatel
