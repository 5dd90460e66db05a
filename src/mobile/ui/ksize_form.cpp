#include "mobile/ui/ksize_form.h"

#include "mobile/keitai_datas.h"
#include "platform/prompter.h"
#include "platform/prompter_bridge.h"
#include "platform/ui/busy_box.h"

#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

QPushButton *Button(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLineEdit *Field(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(40);
    return edit;
}

// A page of name buttons, each with its number label, and the page's arrows when it scrolls.
QGroupBox *Page(QWidget *parent, const QString &title, const QString &prefix, int count,
    QList<QPushButton *> &buttons, QPushButton **back, QPushButton **next)
{
    auto *box = new QGroupBox(title, parent);
    auto *grid = new QGridLayout(box);
    for (int i = 0; i < count; ++i) {
        auto *number = new QLabel(QString::number(i + 1), box);
        number->setObjectName(prefix + QStringLiteral("No%1").arg(i + 1));
        QPushButton *button = Button(box, prefix + QString::number(i + 1), QString());
        button->setMinimumWidth(120);
        grid->addWidget(number, i, 0);
        grid->addWidget(button, i, 1);
        buttons << button;
    }
    if (back && next) {
        *back = Button(box, prefix + QStringLiteral("Back"), QStringLiteral("▲"));
        *next = Button(box, prefix + QStringLiteral("Next"), QStringLiteral("▼"));
        grid->addWidget(*back, count, 0);
        grid->addWidget(*next, count, 1);
    }
    return box;
}

// Shows names[pos …] on the buttons; buttons past the end are blank and disabled.
void FillButtons(const QList<QPushButton *> &buttons, const QStringList &names, int pos)
{
    for (int i = 0; i < buttons.size(); ++i) {
        const int index = pos + i;
        const bool used = index < names.size();
        buttons.at(i)->setText(used ? names.at(index) : QString());
        buttons.at(i)->setEnabled(used);
        buttons.at(i)->setStyleSheet(QString());
    }
}

} // namespace

TKSizeForm::TKSizeForm(TKeitaiDatas &table, const QString &workspaceFile,
    const QList<TKeitaiServer> &servers, const TTransportSettings &transport, TPrompter &prompter,
    QWidget *parent)
    : QDialog(parent)
    , FTable(table)
    , FWorkspaceFile(workspaceFile)
    , FServers(servers)
    , FTransport(transport)
    , FPrompter(prompter)
{
    setWindowTitle(QStringLiteral("携帯機種の選択"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("待受画面サイズを決定するため、機種を選択してください。"), this));

    auto *pages = new QHBoxLayout;
    pages->addWidget(Page(this, QStringLiteral("Ⅰ 携帯会社"), QStringLiteral("btnProv"),
        kCarrierButtons, FCarrierButtons, nullptr, nullptr));
    pages->addWidget(Page(this, QStringLiteral("Ⅱ メーカー"), QStringLiteral("btnMaker"),
        kNameButtons, FMakerButtons, &FMakerBack, &FMakerNext));
    pages->addWidget(Page(this, QStringLiteral("Ⅲ 機種"), QStringLiteral("btnModel"), kNameButtons,
        FModelButtons, &FModelBack, &FModelNext));
    layout->addLayout(pages);

    auto *fields = new QGridLayout;
    FCarrier = Field(this, "edtCarrier");
    FMaker = Field(this, "edtMaker");
    FModel = Field(this, "edtModel");
    fields->addWidget(new QLabel(QStringLiteral("携帯会社"), this), 0, 0);
    fields->addWidget(FCarrier, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("メーカー"), this), 1, 0);
    fields->addWidget(FMaker, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("機種"), this), 2, 0);
    fields->addWidget(FModel, 2, 1);
    const auto stepper = [this, fields](int row, const QString &caption, QLabel *&value,
                             QPushButton *&minus, QPushButton *&plus, const QString &name) {
        fields->addWidget(new QLabel(caption, this), row, 2);
        minus = Button(this, QStringLiteral("btn%1Minus").arg(name), QStringLiteral("-"));
        value = new QLabel(this);
        value->setObjectName(QStringLiteral("lbl%1").arg(name));
        value->setMinimumWidth(48);
        value->setAlignment(Qt::AlignCenter);
        plus = Button(this, QStringLiteral("btn%1Plus").arg(name), QStringLiteral("+"));
        fields->addWidget(minus, row, 3);
        fields->addWidget(value, row, 4);
        fields->addWidget(plus, row, 5);
    };
    stepper(0, QStringLiteral("幅"), FWLabel, FWMinus, FWPlus, QStringLiteral("W"));
    stepper(1, QStringLiteral("高さ"), FHLabel, FHMinus, FHPlus, QStringLiteral("H"));
    stepper(2, QStringLiteral("形式"), FFormatLabel, FFmtPrev, FFmtNext, QStringLiteral("Fmt"));
    FFmtPrev->setText(QStringLiteral("◀"));
    FFmtNext->setText(QStringLiteral("▶"));
    layout->addLayout(fields);
    FSupport = new QLabel(this);
    FSupport->setObjectName(QStringLiteral("lblSupport"));
    layout->addWidget(FSupport);

    auto *maintenance = new QHBoxLayout;
    FRegister = Button(this, QStringLiteral("btnRegister"), QStringLiteral("登録/更新"));
    FDelete = Button(this, QStringLiteral("btnDelete"), QStringLiteral("削除"));
    FDefaults = Button(this, QStringLiteral("btnDefaults"), QStringLiteral("ﾒｰｶｰ初期値"));
    FDownload = Button(this, QStringLiteral("btnDownload"), QStringLiteral("ダウンロード"));
    FImport = Button(this, QStringLiteral("btnImport"), QStringLiteral("ファイル"));
    FImport->setToolTip(QStringLiteral("データ取込"));
    for (QPushButton *button : { FRegister, FDelete, FDefaults, FDownload, FImport })
        maintenance->addWidget(button);
    layout->addLayout(maintenance);
    auto *closing = new QHBoxLayout;
    FClear = Button(this, QStringLiteral("btnClear"), QStringLiteral("C"));
    FDone = Button(this, QStringLiteral("btnDone"), QStringLiteral("完了"));
    auto *back = Button(this, QStringLiteral("btnBack"), QStringLiteral("戻る"));
    closing->addWidget(FClear);
    closing->addStretch();
    closing->addWidget(FDone);
    closing->addWidget(back);
    layout->addLayout(closing);

    ConnectControls(back);
    // The upload is a maintenance action: the right button on "ダウンロード" with Shift, Ctrl
    // and Alt held.
    FDownload->installEventFilter(this);
    Reset();
}

void TKSizeForm::ConnectControls(QPushButton *back)
{
    for (QPushButton *button : FCarrierButtons)
        connect(
            button, &QPushButton::clicked, this, [this, button] { ChooseCarrier(button->text()); });
    for (QPushButton *button : FMakerButtons)
        connect(
            button, &QPushButton::clicked, this, [this, button] { ChooseMaker(button->text()); });
    for (QPushButton *button : FModelButtons)
        connect(
            button, &QPushButton::clicked, this, [this, button] { ChooseModel(button->text()); });
    const auto scroll = [this](int &pos, int delta) {
        pos = std::max(0, pos + delta);
        FillPages();
    };
    connect(FMakerBack, &QPushButton::clicked, this, [this, scroll] { scroll(FMakerPos, -4); });
    connect(FMakerNext, &QPushButton::clicked, this, [this, scroll] { scroll(FMakerPos, 4); });
    connect(FModelBack, &QPushButton::clicked, this, [this, scroll] { scroll(FModelPos, -4); });
    connect(FModelNext, &QPushButton::clicked, this, [this, scroll] { scroll(FModelPos, 4); });
    FRepeat = new QTimer(this);
    FRepeat->setSingleShot(true);
    connect(FRepeat, &QTimer::timeout, this, [this] {
        if (!FHeld || !FHeld->isEnabled() || !FHeld->isDown())
            return StopRepeat();
        StepSize(FHeld);
        ++FRepeats;
        FRepeat->start(PhoneSizeRepeatDelay(FRepeats));
    });
    for (QPushButton *button : { FWPlus, FWMinus, FHPlus, FHMinus }) {
        connect(button, &QPushButton::pressed, this, [this, button] { StartRepeat(button); });
        connect(button, &QPushButton::released, this, [this] { StopRepeat(); });
    }
    connect(FFmtPrev, &QPushButton::clicked, this, [this] { SetFormat(std::max(FFmt - 1, 0)); });
    connect(FFmtNext, &QPushButton::clicked, this, [this] { SetFormat(std::min(FFmt + 1, 4)); });
    connect(FDone, &QPushButton::clicked, this, &QDialog::accept);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    connect(FClear, &QPushButton::clicked, this, &TKSizeForm::Reset);
    connect(FRegister, &QPushButton::clicked, this, &TKSizeForm::btnRegisterClick);
    connect(FDelete, &QPushButton::clicked, this, &TKSizeForm::btnDeleteClick);
    connect(FDefaults, &QPushButton::clicked, this, &TKSizeForm::btnDefaultsClick);
    connect(FDownload, &QPushButton::clicked, this, &TKSizeForm::btnDownloadClick);
    connect(FImport, &QPushButton::clicked, this, &TKSizeForm::btnImportClick);
}

void TKSizeForm::SetMaintenance(bool on)
{
    FMaintenance = on;
    UpdateState();
}

void TKSizeForm::StartCarrier(const QString &carrier)
{
    if (!carrier.isEmpty() && FTable.Carriers().contains(carrier, Qt::CaseInsensitive))
        ChooseCarrier(carrier);
}

TPhoneChoice TKSizeForm::Choice() const
{
    TPhoneChoice choice;
    choice.carrier = FCarrier->text().trimmed();
    choice.maker = FMaker->text().trimmed();
    choice.model = FModel->text().trimmed();
    choice.target = { FW, FH, FFmt };
    return choice;
}

void TKSizeForm::Reset()
{
    FChosenCarrier.clear();
    FChosenMaker.clear();
    FMakerPos = FModelPos = 0;
    FCarrier->clear();
    FMaker->clear();
    FModel->clear();
    FW = FH = 0;
    FFmt = 4;
    FSupport->clear();
    FillPages();
}

void TKSizeForm::ChooseCarrier(const QString &carrier)
{
    FChosenCarrier = carrier;
    FChosenMaker.clear();
    FMakerPos = FModelPos = 0;
    FCarrier->setText(carrier);
    FMaker->clear();
    FModel->clear();
    FillPages();
}

void TKSizeForm::ChooseMaker(const QString &maker)
{
    FChosenMaker = maker;
    FModelPos = 0;
    FMaker->setText(maker);
    FModel->clear();
    FillPages();
}

void TKSizeForm::ChooseModel(const QString &model)
{
    const TKeitaiData *data = FTable.Find(model, FChosenMaker, FChosenCarrier);
    if (!data) {
        FCarrier->clear();
        FMaker->clear();
        FModel->clear();
        FFmt = 4;
        FSupport->clear();
        UpdateState();
        return;
    }
    FCarrier->setText(data->prov);
    FMaker->setText(data->maker);
    FModel->setText(data->model);
    FW = data->w;
    FH = data->h;
    FFmt = data->fmt;
    ShowEntry();
}

void TKSizeForm::ShowEntry()
{
    FSupport->setText(KeitaiFormatMessage(FFmt));
    FSupport->setStyleSheet(QStringLiteral("color: %1;").arg(KeitaiFormatColour(FFmt).name()));
    UpdateState();
}

void TKSizeForm::SetSize(int w, int h)
{
    FW = w;
    FH = h;
    UpdateState();
}

void TKSizeForm::SetFormat(int fmt)
{
    FFmt = std::clamp(fmt, 0, 4);
    ShowEntry();
}

void TKSizeForm::FillPages()
{
    const QStringList carriers = FTable.Carriers();
    FillButtons(FCarrierButtons, carriers, 0);
    const QStringList makers
        = FChosenCarrier.isEmpty() ? QStringList() : FTable.Makers(FChosenCarrier);
    FMakerPos = std::min(FMakerPos, std::max(0, int(makers.size()) - 1));
    FillButtons(FMakerButtons, makers, FMakerPos);
    const QStringList models
        = FChosenMaker.isEmpty() ? QStringList() : FTable.Models(FChosenCarrier, FChosenMaker);
    FModelPos = std::min(FModelPos, std::max(0, int(models.size()) - 1));
    FillButtons(FModelButtons, models, FModelPos);
    // Each model shows in its format's colour.
    for (QPushButton *button : FModelButtons) {
        if (const TKeitaiData *data = button->text().isEmpty()
                ? nullptr
                : FTable.Find(button->text(), FChosenMaker, FChosenCarrier)) {
            button->setStyleSheet(
                QStringLiteral("color: %1;").arg(KeitaiFormatColour(data->fmt).name()));
        }
    }
    const auto arrows = [](QPushButton *back, QPushButton *next, int count, int pos) {
        back->setVisible(count > kNameButtons);
        next->setVisible(count > kNameButtons);
        back->setEnabled(pos > 0);
        next->setEnabled(pos + 9 < count - 1);
    };
    arrows(FMakerBack, FMakerNext, int(makers.size()), FMakerPos);
    arrows(FModelBack, FModelNext, int(models.size()), FModelPos);
    UpdateState();
}

void TKSizeForm::UpdateState()
{
    FWLabel->setText(QString::number(FW));
    FHLabel->setText(QString::number(FH));
    FFormatLabel->setText(KeitaiFormatName(FFmt));
    FWMinus->setEnabled(PhoneSizeDownEnabled(FW));
    FWPlus->setEnabled(PhoneSizeUpEnabled(FW));
    FHMinus->setEnabled(PhoneSizeDownEnabled(FH));
    FHPlus->setEnabled(PhoneSizeUpEnabled(FH));
    FFmtPrev->setEnabled(FFmt > 0);
    FFmtNext->setEnabled(FFmt < 4);
    FDone->setEnabled(!FMaintenance && ValidPhoneTarget({ FW, FH, FFmt }));
}

void TKSizeForm::StepSize(QPushButton *button)
{
    if (button == FWPlus)
        FW = PhoneSizeUp(FW);
    else if (button == FWMinus)
        FW -= 1;
    else if (button == FHPlus)
        FH = PhoneSizeUp(FH);
    else if (button == FHMinus)
        FH -= 1;
    UpdateState();
}

void TKSizeForm::StartRepeat(QPushButton *button)
{
    FHeld = button;
    FRepeats = 0;
    StepSize(button);
    FRepeat->start(PhoneSizeRepeatDelay(0));
}

void TKSizeForm::StopRepeat()
{
    FHeld = nullptr;
    FRepeat->stop();
}

int TKSizeForm::RepeatDelay() const
{
    return FRepeat->isActive() ? FRepeat->interval() : 0;
}

TKeitaiData TKSizeForm::Entry() const
{
    TKeitaiData data;
    data.prov = FCarrier->text().trimmed();
    data.maker = FMaker->text().trimmed();
    data.model = FModel->text().trimmed();
    data.w = FW;
    data.h = FH;
    data.fmt = FFmt;
    return data;
}

void TKSizeForm::btnRegisterClick()
{
    const TKeitaiData data = Entry();
    if (FTable.Find(data.model, data.maker, data.prov)) {
        if (!FPrompter.Confirm(QStringLiteral("修正登録します。よろしいですか？")))
            return;
        FTable.Update(data);
    } else {
        if (!FPrompter.Confirm(QStringLiteral("新規登録します。よろしいですか？")))
            return;
        FTable.Add(data);
    }
    FTable.SaveToFile(FWorkspaceFile);
    FChosenCarrier = data.prov;
    FChosenMaker = data.maker;
    FillPages();
    ChooseModel(data.model);
}

void TKSizeForm::btnDeleteClick()
{
    const TKeitaiData data = Entry();
    if (!FTable.Find(data.model, data.maker, data.prov)) {
        FPrompter.Warn(QStringLiteral("有効な機種が選択されていません。"));
        return;
    }
    if (!FPrompter.Confirm(data.prov + QStringLiteral("\r\n") + data.maker + QStringLiteral("\r\n")
            + data.model + QStringLiteral("\r\n\r\n")
            + QStringLiteral("機種を削除します。よろしいですか？")))
        return;
    FTable.Delete(data.model, data.maker, data.prov);
    FTable.SaveToFile(FWorkspaceFile);
    FModel->clear();
    FillPages();
}

void TKSizeForm::btnDefaultsClick()
{
    if (!QFile::exists(FWorkspaceFile)) {
        FPrompter.Inform(QStringLiteral("データは初期値のままです。"));
        return;
    }
    if (!FPrompter.Confirm(
            QStringLiteral("修正データや追加登録データは抹消されます。よろしいですか？")))
        return;
    QFile::remove(FWorkspaceFile);
    FTable.LoadBuiltIn();
    Reset();
}

void TKSizeForm::btnDownloadClick()
{
    if (!FPrompter.Confirm(
            QStringLiteral("最新のデータをDownloadします。\r\n\r\n"
                           "修正データや追加登録データは抹消されます。よろしいですか？")))
        return;
    // The download runs on a job under a busy box over the window; its messages come to the
    // window's thread.
    TPrompterBridge prompter(FPrompter, this);
    RunBusy(this, QStringLiteral("データをダウンロードしています…"), [&](TJobControl &) {
        DownloadKeitaiDatas(FTransport, FTable, FServers, FWorkspaceFile, false, prompter);
    });
    Reset();
}

void TKSizeForm::UploadTable()
{
    if (!FPrompter.Confirm(QStringLiteral("サーバーにデータをUploadします。")))
        return;
    TPrompterBridge prompter(FPrompter, this);
    RunBusy(this, QStringLiteral("データをアップロードしています…"),
        [&](TJobControl &) { UploadKeitaiDatas(FTransport, FTable, FServers, prompter); });
}

void TKSizeForm::btnImportClick()
{
    const QString path = chooseFile
        ? chooseFile()
        : QFileDialog::getOpenFileName(this, QStringLiteral("データ取込"), QString(),
            QStringLiteral("Keitai (*.ini *.txt);;*"));
    if (path.isEmpty())
        return;
    const int count = FTable.LoadFromFile(path);
    if (count < 0)
        FPrompter.Warn(QStringLiteral("ファイルがありません。"));
    else if (count == 0)
        FPrompter.Warn(QStringLiteral("有効なデータではありません。"));
    else
        FPrompter.Inform(
            QString::number(count) + QStringLiteral(" 個の有効なデータを読み込みました。"));
    if (count < 1)
        FTable.LoadDefault(FWorkspaceFile);
    Reset();
}

void TKSizeForm::keyPressEvent(QKeyEvent *event)
{
    // Esc closes the window only for table maintenance; in the order steps the customer goes
    // back with the back button.
    if (event->key() == Qt::Key_Escape && !FMaintenance) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TKSizeForm::hideEvent(QHideEvent *event)
{
    StopRepeat();
    FMaintenance = false;
    QDialog::hideEvent(event);
}

bool TKSizeForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FDownload && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const Qt::KeyboardModifiers all = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
        if (mouse->button() == Qt::RightButton && (mouse->modifiers() & all) == all) {
            UploadTable();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace korvatel
