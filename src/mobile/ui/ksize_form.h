#pragma once

#include "mobile/keitai_delivery.h"
#include "mobile/keitai_servers.h"

#include <QDialog>
#include <QList>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace korvatel
{

struct TKeitaiData;
class TKeitaiDatas;
class TPrompter;

// "待受画面サイズを決定するため、機種を選択してください。": the phone picker. Three pages of
// buttons (carriers, the carrier's makers, the maker's models) fill the carrier, maker and
// model fields with the model's screen size and format; width, height and format can also be
// set by hand. The maintenance buttons change the table and keep it in the workspace file.
class TKSizeForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kCarrierButtons = 5;
    static constexpr int kNameButtons = 10;

    // The model table's transfers use transport.
    TKSizeForm(TKeitaiDatas &table, const QString &workspaceFile,
        const QList<TKeitaiServer> &servers, const TTransportSettings &transport,
        TPrompter &prompter, QWidget *parent = nullptr);

    // Opened for table maintenance: "完了" stays disabled and Esc closes the window. Cleared
    // when the window hides.
    void SetMaintenance(bool on);
    bool Maintenance() const { return FMaintenance; }
    // Chooses the carrier (as if its button was pressed) when it is in the table.
    void StartCarrier(const QString &carrier);
    // The choice after "完了".
    TPhoneChoice Choice() const;
    // The file "ファイル" imports; a file dialog unless set (tests set it).
    std::function<QString()> chooseFile;

    // "C": no carrier, maker or model, width and height 0, format 4.
    void Reset();
    void ChooseCarrier(const QString &carrier);
    void ChooseMaker(const QString &maker);
    void ChooseModel(const QString &model);
    void SetSize(int w, int h);
    void SetFormat(int fmt);

    QPushButton *btnCarrier(int i) const { return FCarrierButtons.at(i); }
    QPushButton *btnMaker(int i) const { return FMakerButtons.at(i); }
    QPushButton *btnModel(int i) const { return FModelButtons.at(i); }
    QPushButton *btnMakerBack() const { return FMakerBack; }
    QPushButton *btnMakerNext() const { return FMakerNext; }
    QPushButton *btnModelBack() const { return FModelBack; }
    QPushButton *btnModelNext() const { return FModelNext; }
    QPushButton *btnWPlus() const { return FWPlus; }
    QPushButton *btnWMinus() const { return FWMinus; }
    QPushButton *btnHPlus() const { return FHPlus; }
    QPushButton *btnHMinus() const { return FHMinus; }
    QPushButton *btnFmtPrev() const { return FFmtPrev; }
    QPushButton *btnFmtNext() const { return FFmtNext; }
    QPushButton *btnDone() const { return FDone; }
    QPushButton *btnClear() const { return FClear; }
    QPushButton *btnRegister() const { return FRegister; }
    QPushButton *btnDelete() const { return FDelete; }
    QPushButton *btnDefaults() const { return FDefaults; }
    QPushButton *btnDownload() const { return FDownload; }
    QPushButton *btnImport() const { return FImport; }
    QLineEdit *edtCarrier() const { return FCarrier; }
    QLineEdit *edtMaker() const { return FMaker; }
    QLineEdit *edtModel() const { return FModel; }
    QLabel *lblW() const { return FWLabel; }
    QLabel *lblH() const { return FHLabel; }
    QLabel *lblFormat() const { return FFormatLabel; }
    QLabel *lblSupport() const { return FSupport; }
    int Width() const { return FW; }
    int Height() const { return FH; }
    int Format() const { return FFmt; }
    int MakerPosition() const { return FMakerPos; }
    int ModelPosition() const { return FModelPos; }
    // The delay before the next repeat of a held size button; 0 while none is held.
    int RepeatDelay() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The pages, the size steppers with their repeat, and the buttons.
    void ConnectControls(QPushButton *back);
    void FillPages();
    void UpdateState();
    void StepSize(QPushButton *button);
    void StartRepeat(QPushButton *button);
    void StopRepeat();
    void btnRegisterClick();
    void btnDeleteClick();
    void btnDefaultsClick();
    void btnDownloadClick();
    void btnImportClick();
    void UploadTable();
    void ShowEntry();
    TKeitaiData Entry() const;

    TKeitaiDatas &FTable;
    QString FWorkspaceFile;
    QList<TKeitaiServer> FServers;
    TTransportSettings FTransport;
    TPrompter &FPrompter;
    bool FMaintenance = false;
    QString FChosenCarrier, FChosenMaker;
    int FMakerPos = 0;
    int FModelPos = 0;
    int FW = 0;
    int FH = 0;
    int FFmt = 4;
    QList<QPushButton *> FCarrierButtons, FMakerButtons, FModelButtons;
    QPushButton *FMakerBack, *FMakerNext, *FModelBack, *FModelNext;
    QPushButton *FWPlus, *FWMinus, *FHPlus, *FHMinus, *FFmtPrev, *FFmtNext;
    QPushButton *FDone, *FClear, *FRegister, *FDelete, *FDefaults, *FDownload, *FImport;
    QLineEdit *FCarrier, *FMaker, *FModel;
    QLabel *FWLabel, *FHLabel, *FFormatLabel, *FSupport;
    QTimer *FRepeat;
    QPushButton *FHeld = nullptr;
    int FRepeats = 0;
};

} // namespace korvatel
