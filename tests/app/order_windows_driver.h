#pragma once

#include "app/ui/thanks_form.h"
#include "customer/ui/user_form.h"
#include "mobile/keitai_delivery.h"
#include "mobile/ui/keitai_adrs_form.h"
#include "mobile/ui/keitai_edit_form.h"
#include "mobile/ui/ksize_form.h"
#include "order/ui/print_check_form.h"
#include "pricing/shop_terms.h"
#include "pricing/ui/order_info_form.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace korvatel
{

// The windows of the order as a customer answers them: the summary with the payment (bank
// transfer unless told) and its order button, or its "戻る"; the customer window's
// "注文(Order)", the thank-you window's OK by Enter. The transmission window runs by itself.
struct TOrderWindowsDriver {
    int payment = ksiFurikomi;
    bool backFromSummary = false;
    QList<int> offered; // the payment kinds of the summary, the preselected one first
    QStringList seen;
    int printChecks = 0; // the print check's windows, each left with "注文に進む"
    QStringList statement;
    QString heading;
    QString thanksOrder;
    TPhoneChoice phoneChoice; // the phone picked for the phone pictures
    QTimer timer;

    TOrderWindowsDriver()
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] { Step(); });
        timer.start();
    }

    void Step()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *check = qobject_cast<TPrintCheckForm *>(modal)) {
            if (!check->isVisible())
                return;
            ++printChecks;
            check->findChild<QPushButton *>(QStringLiteral("btnProceed"))->click();
            return;
        }
        if (auto *summary = qobject_cast<TOrderInfoForm *>(modal)) {
            if (seen.contains(QStringLiteral("summary")))
                return;
            seen << QStringLiteral("summary");
            QComboBox *kinds = summary->cbxPayment();
            offered << kinds->currentData().toInt();
            for (int i = 0; i < kinds->count(); ++i) {
                if (i != kinds->currentIndex())
                    offered << kinds->itemData(i).toInt();
            }
            if (backFromSummary) {
                summary->reject();
                return;
            }
            kinds->setCurrentIndex(kinds->findData(payment));
            statement = summary->StatementLines();
            heading = summary->lbHeading()->text();
            summary->btnOrder()->click();
        } else if (auto *customer = qobject_cast<TUserForm *>(modal)) {
            if (seen.contains(QStringLiteral("customer")))
                return;
            seen << QStringLiteral("customer");
            customer->btnOK()->click();
        } else if (auto *address = qobject_cast<TKeitaiAdrsForm *>(modal)) {
            if (seen.contains(QStringLiteral("phone address")))
                return;
            seen << QStringLiteral("phone address");
            address->cbxAddress()->setEditText(QStringLiteral("taro@docomo.ne.jp"));
            address->btnOk()->click();
        } else if (auto *picker = qobject_cast<TKSizeForm *>(modal)) {
            if (seen.contains(QStringLiteral("phone model")))
                return;
            seen << QStringLiteral("phone model");
            picker->btnMaker(0)->click(); // the picker opens on the address's carrier
            picker->btnModel(0)->click();
            phoneChoice = picker->Choice();
            picker->btnDone()->click();
        } else if (auto *trimming = qobject_cast<TKeitaiEditForm *>(modal)) {
            if (seen.contains(QStringLiteral("phone trimming")))
                return;
            seen << QStringLiteral("phone trimming");
            trimming->btnDone()->click();
        } else if (auto *thanks = qobject_cast<TThanksForm *>(modal)) {
            if (seen.contains(QStringLiteral("thanks")))
                return;
            seen << QStringLiteral("thanks");
            thanksOrder = thanks->lbOrderName()->text();
            QTest::keyClick(thanks, Qt::Key_Return);
        }
    }
};

} // namespace korvatel
