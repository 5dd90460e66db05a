#include "mobile/ui/phone_steps.h"

#include "mobile/keitai_datas.h"
#include "mobile/ui/keitai_adrs_form.h"
#include "mobile/ui/keitai_edit_form.h"
#include "mobile/ui/ksize_form.h"

namespace korvatel
{

std::optional<TPhoneChoice> RunPhoneSteps(const QString &mailListFile, TKeitaiDatas &table,
    const QString &keitaiFile, const QList<TKeitaiServer> &servers,
    const TTransportSettings &transport, const QList<TThumbNail *> &pictures, TPrompter &prompter,
    QWidget *parent)
{
    TKeitaiAdrsForm address(mailListFile, true, prompter, parent);
    if (address.exec() != QDialog::Accepted)
        return std::nullopt;
    TKSizeForm picker(table, keitaiFile, servers, transport, prompter, parent);
    picker.StartCarrier(CarrierOfMail(address.Address()));
    for (;;) {
        if (picker.exec() != QDialog::Accepted)
            return std::nullopt;
        TPhoneChoice choice = picker.Choice();
        choice.address = address.Address();
        TKeitaiEditForm editor(pictures, choice.target.w, choice.target.h, parent);
        if (editor.exec() == QDialog::Accepted)
            return choice;
    }
}

} // namespace korvatel
