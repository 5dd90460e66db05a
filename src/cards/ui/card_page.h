#pragma once

#include "cards/card_types.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QDialog;
class QMenu;
class QTimer;

namespace korvatel
{

class TCardStage;
class TImagePanelView;
class TLayers;
class TMaskForm;
class TPrompter;
enum TAlignCode : int;

// What the card page needs from the program: where the card being edited is kept between runs
// and where the open dialog starts.
struct TCardPageValues {
    QString storeFile; // the key file of the stored card (CardStorePath)
    QString pictureFolder; // where "画像・プレートを開く" starts
    QString preOrderFile = {}; // the card being prepared (PreOrderPath): its image frames
};

// The card tab of the main window: the card stage kept at the card's aspect in the middle of
// the page, the layer set it draws, the image frames on it, the commands of the menu
// "カード作成", the list window "透過管理リスト" and the stored card, which is reopened when the
// page is made and saved shortly after every change and when the page closes.
class TCardPage : public QWidget
{
    Q_OBJECT

public:
    TCardPage(TCardPageValues values, QWidget *parent = nullptr);
    ~TCardPage() override;

    TLayers &Layers() { return *FLayers; }
    TCardStage *Stage() const { return FStage; }
    TMaskForm *MaskForm() const { return FMaskForm; }
    void SetPrompter(TPrompter *prompter) { FPrompter = prompter; }
    // The file the open command takes; the open dialog unless set (an empty answer cancels).
    std::function<QString()> AskOpenFile;
    // Shows a modal dialog of the commands (the open dialog, the angle of "回転角度指定...",
    // the colour dialog): exec unless a test answers it instead; true when it was accepted.
    std::function<bool(QDialog &)> RunDialog;

    // Fills the menu "カード作成" with the page's commands, from the table of its commands, and
    // makes the stage's popup menu from some of them.
    void BuildMenu(QMenu *menu);
    // Greys the commands that cannot apply now, each with its reason.
    void UpdateCommands();
    void SetActive(bool active);

    // Puts a plate or a picture file on the stage; a plate replaces the card, a picture is
    // added while the design has room for it. False when nothing was added (the message was
    // shown).
    bool OpenFile(const QString &fileName);
    // The card's width / height: the plate's preview's, else a postcard's.
    double Aspect() const { return FAspect; }
    // Saves the card now (also at the end of the page); false when the write failed.
    bool SaveNow();
    // Reopens the stored card; false when there is none.
    bool Reopen();
    // Puts an image frame holding the picture on the stage. False when the picture cannot be
    // read or the design has no room for it (the message was shown).
    bool AddImagePanel(const QString &fileName);
    const QList<TImagePanelView *> &ImagePanels() const { return FPanels; }
    // The card's own pictures in list order: the files of the picture layers, then each image
    // frame as its record line.
    QStringList CardPictures() const;
    // The card as it is sent: the stage with its frames, without selection frames or borders.
    QImage CardImage();
    // The list window, made on first use.
    void ShowMaskForm();
    // The plate last put on the stage (empty when none; kept with the stored card) and the
    // command "数量設定から注文へ", which calls OrderRequested: the card order starts outside
    // the page.
    QString PlateFile() const { return FPlateFile; }
    void SetPlateFile(const QString &file) { FPlateFile = file; }
    std::function<void()> OrderRequested;
    // The picture "画像枠を追加..." takes; a file dialog unless set (an empty answer cancels).
    std::function<QString()> AskPictureFile;
    // The command "履歴と進行状況" (the card history), which calls HistoryRequested.
    std::function<void()> HistoryRequested;

    // How many of the customer's pictures the shop's design of a plate takes (by the plate's
    // file name, "xmas.ksp"); -1 when not known. Unset: no design sets a limit.
    std::function<int(const QString &plateName)> PictureLimitOf;
    // The limit of the plate on the stage; -1 when none is known (0 sets none either: such a
    // design sends no pictures of its own).
    int PictureLimit() const;
    // "この台紙に置ける画像は N 個までです。"
    static QString PictureLimitText(int limit);
    // "画像の入っていない窓があります。このまま注文しますか？"
    static QString EmptyWindowQuestion();
    // Whether a window of the plate shows no picture of the customer's (image frames count).
    bool HasEmptyWindow() const;
    // Removes the selected layers: "オブジェクト削除", Delete and Backspace on the stage.
    void DeleteSelected();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // A row of the table of the menu's commands, and the table in menu order
    // (card_commands.cpp).
    struct TCommandRow;
    static const TCommandRow kCommandRows[];
    void AddCommand(QMenu *menu, const TCommandRow &row);
    // The handlers of the commands that take more than a call.
    void miCardOpenClick();
    void miCardPanelAddClick();
    void miCardRotateFreeClick();
    void miCardClearClick();
    // "数量設定から注文へ": the card is checked against its design first; see card_commands.cpp.
    void miCardOrderClick();
    // True when the card may take one more picture of the customer's; else says why.
    bool RoomForPicture();
    // False, after naming the pictures beyond the design's limit and selecting them, when the
    // card holds too many.
    bool PicturesFit();
    // Selects the layers and focuses the image frame of the card's pictures given.
    void SelectPictures(const QStringList &pictures);
    bool ShowDialog(QDialog &dialog);
    void ChooseColour(TColorValue &colour);
    void SelectAll(bool all);
    // Brings the selected layers to the front, or sends them to the back.
    void StackSelected(bool front);
    void AlignSelected(TAlignCode code);
    void MatchSelected(bool heights, bool largest);
    TPrompter &Prompter();
    // A command of the page by its object name, submenus included.
    QAction *Command(const char *name) const;
    void PlaceStage();
    TImagePanelView *AdoptPanel(TImagePanelView *view);
    void ClearPanels();
    void Changed();
    // Runs f on every selected layer.
    void ForSelected(const std::function<void(int)> &f);
    // Runs a layer operation with its value on every selected layer.
    void ForSelected(void (TLayers::*operation)(int index, int value), int value);

    TCardPageValues FValues;
    std::unique_ptr<TLayers> FLayers;
    TCardStage *FStage = nullptr;
    TMaskForm *FMaskForm = nullptr;
    TPrompter *FPrompter = nullptr;
    QMenu *FMenu = nullptr;
    QMenu *FPopup = nullptr;
    QTimer *FSaveTimer = nullptr;
    QList<TImagePanelView *> FPanels;
    double FAspect = 148.0 / 100.0;
    bool FActive = false;
    bool FDirty = false;
    QString FPlateFile;
};

} // namespace korvatel
