#pragma once

#include "customer/order_history.h"

#include <QDialog>
#include <QStyledItemDelegate>
#include <functional>

class QCheckBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace korvatel
{

class TCardPayment;
class TClock;
class TPrompter;

// The settlement callback handed to the server query: card order ID, state, out: found.
using TSettleCallback = std::function<void(const QString &id, int state, bool &found)>;

// What the history window needs beyond the history itself.
struct THistFormContext {
    QString shopId;
    bool offersCard = false;
    TCardPayment *card = nullptr;
    // Asks the shop's server about the unsettled card orders and answers through the callback.
    std::function<void(const QStringList &ids, const TSettleCallback &callback)> settlementQuery;
    // Shows a history file (double click on an entry).
    std::function<void(const QString &path)> showFile;
    // Mails a history file ("メール送信"); the button is there only with it.
    std::function<void(const QString &path)> mailFile;
};

// The history window "履歴と決済": the records listed with date, shop, amount, payment and
// state; deleting records, asking the server about settlements and paying unpaid card orders
// one by one or combined into one payment.
class TKorvatelHistForm : public QDialog
{
    Q_OBJECT

public:
    TKorvatelHistForm(TOrderHistory &history, THistFormContext context, TPrompter &prompter,
        const TClock &clock, QWidget *parent = nullptr);
    ~TKorvatelHistForm() override;

    // Reads the history folder again and rebuilds the list and the buttons.
    void LoadList();

    const QList<TOrderHistRec> &Entries() const { return FEntries; }
    // The text lines drawn for entry row (the entry's line, then its bundle lines when expanded).
    QStringList DrawnLines(int row) const;
    // The text colour of an entry when it is not selected.
    QColor EntryColor(int row) const;
    // Toggles a bundle open or closed, as a click on its mark does.
    void ToggleBundle(int row);

    QListWidget *clbHist() const { return FList; }
    QPushButton *btnDelete() const { return FDelete; }
    QPushButton *btnReCheck() const { return FReCheck; }
    QPushButton *btnDeleteFailed() const { return FDeleteFailed; }
    QPushButton *btnCredit() const { return FCredit; }
    QPushButton *btnCardEntry() const { return FCardEntry; }
    QPushButton *btnRelease() const { return FRelease; }
    QPushButton *btnClose() const { return FClose; }
    QPushButton *btnMail() const { return FMail; }
    QCheckBox *cbSuccessOnly() const { return FSuccessOnly; }

    // The row whose bundle mark the mouse is over, or -1.
    int HotMark() const { return FHotMark; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void done(int result) override;

private:
    void btnDeleteClick();
    void btnDeleteFailedClick();
    void btnReCheckClick();
    void btnCreditClick();
    void btnCardEntryClick();
    void btnReleaseClick();
    void cbSuccessOnlyClick();
    void UpdateButtons();
    QList<int> CheckedRows() const;

    TOrderHistory &FHistory;
    THistFormContext FContext;
    TPrompter &FPrompter;
    const TClock &FClock;
    QList<TOrderHistRec> FEntries;
    int FHotMark = -1;

    QListWidget *FList;
    QPushButton *FDelete, *FReCheck, *FDeleteFailed, *FCredit, *FCardEntry, *FRelease, *FClose;
    QPushButton *FMail;
    QCheckBox *FSuccessOnly;
};

// Draws the history entries: the check box, the entry's line in its state's colour (struck out
// when not sent), a separator under each entry and the lines of an expanded bundle.
class THistItemDelegate : public QStyledItemDelegate
{
public:
    explicit THistItemDelegate(const TKorvatelHistForm &form)
        : QStyledItemDelegate(const_cast<TKorvatelHistForm *>(&form))
        , FForm(form)
    {
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static constexpr int kLineHeight = 17;
    static constexpr int kCheckWidth = 18;

private:
    const TKorvatelHistForm &FForm;
};

} // namespace korvatel
