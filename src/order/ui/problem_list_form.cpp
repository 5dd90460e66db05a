#include "order/ui/problem_list_form.h"

#include "order/thumb_nails.h"
#include "platform/ui/window_fit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvatel
{

TProblemListForm::TProblemListForm(const TConsistencyProblems &problems, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("不整合チェック"));
    auto *rows = new QVBoxLayout(this);

    rows->addWidget(
        new QLabel(QStringLiteral("画像ファイルがありません。(移動･削除･ﾒﾃﾞｨｱ抜き)"), this));
    FVanished = new QListWidget(this);
    for (const TThumbNail *item : problems.vanished)
        FVanished->addItem(item->FullPath);
    rows->addWidget(FVanished);

    rows->addWidget(new QLabel(
        QStringLiteral("該当しないサイズ名の注文が隠れています。(他店注文･価格表変更)"), this));
    FHidden = new QListWidget(this);
    for (const THiddenSize &hidden : problems.hidden)
        FHidden->addItem(hidden.item->FullPath + QStringLiteral("　[") + hidden.size + u']');
    rows->addWidget(FHidden);

    auto *buttons = new QHBoxLayout;
    const std::pair<const char16_t *, TProblemAnswer> choices[] = {
        { u"修復", TProblemAnswer::paRepair },
        { u"全削除", TProblemAnswer::paDeleteAll },
        { u"キャンセル", TProblemAnswer::paCancel },
    };
    buttons->addStretch();
    for (const auto &[caption, answer] : choices) {
        auto *button = new QPushButton(QString::fromUtf16(caption), this);
        connect(button, &QPushButton::clicked, this, [this, answer = answer] { Finish(answer); });
        buttons->addWidget(button);
        if (answer == TProblemAnswer::paRepair)
            button->setDefault(true);
    }
    rows->addLayout(buttons);
    FitToScreen(*this, { 560, 380 });
}

void TProblemListForm::Finish(TProblemAnswer answer)
{
    FAnswer = answer;
    if (answer == TProblemAnswer::paCancel)
        reject();
    else
        accept();
}

TProblemAnswer TProblemListForm::Ask(const TConsistencyProblems &problems, QWidget *parent)
{
    TProblemListForm form(problems, parent);
    form.exec();
    return form.Answer();
}

} // namespace korvatel
