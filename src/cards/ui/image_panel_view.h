#pragma once

#include "cards/image_panel.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <optional>

class QMenu;

namespace korvatel
{

// An image frame on the card stage: a picture shown inside a frame, a child of the stage (the
// base sheet). The 4-pixel border carries the resize handles; a left drag inside moves the
// frame, a right drag moves the picture inside it, a right click without movement opens the
// frame's menu, and the wheel zooms the picture about the mouse (Shift doubles the step).
// Entering the frame brings it to front and colours its border. With the keyboard: the arrows
// move the frame (Shift by 10 pixels), Delete or Backspace removes it, the menu key opens its menu.
// A picture file dropped onto the frame takes the place of its picture.
class TImagePanelView : public QWidget
{
    Q_OBJECT

public:
    // The frame's record is placed against the stage it is put on.
    TImagePanelView(const TImagePanel &panel, QWidget *stage);

    // The caption of a frame whose picture is missing or unreadable, and the frame's hint.
    static QString MissingCaption();
    static QString HintText();
    // A new frame for a picture: in the stage's top-left quarter, shaped like the picture, the
    // picture filling it. Null when the picture cannot be read.
    static TImagePanelView *ForPicture(const QString &fileName, QWidget *stage);

    // A frame from its record line, placed on the stage when the stage has its size, else
    // once it gets one (PlaceIn). Null when the line is no frame record.
    static TImagePanelView *FromRecord(const QString &record, QWidget *stage);

    // The frame as it stands (frame = the widget's geometry on the stage).
    const TImagePanel &Panel() const { return FPanel; }
    bool HasPicture() const { return !FPicture.isNull(); }
    // The record line against the stage as it is now.
    QString Record() const;
    // Places the frame again from its last record after the stage changed size.
    void PlaceIn(QSize stage);
    // Shows another picture, fitted into the frame. False (and the missing caption) when it
    // cannot be read.
    bool SetPicture(const QString &fileName);
    // Sets the frame's size (the top-left corner stays; never below 50 pixels, never beyond
    // the stage).
    void SetFrameSize(QSize size);
    QMenu *Menu() const { return FMenu; }
    // Draws the picture only, without the border and the grey ground: the card as it is sent.
    void SetPlain(bool plain);

    // Asks the new frame size for "【枠】サイズ変更"; a dialog unless set. nullopt cancels.
    std::function<std::optional<QSize>(QSize current, QSize stage)> AskSize;

Q_SIGNALS:
    // The frame moved or changed size, or its picture moved, zoomed or changed.
    void changed();
    // "削除", the Delete key or Backspace.
    void deleteRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void Load(const QString &fileName);
    void Commit();
    void ShowMenu(QPoint global);
    QSize StageSize() const;

    TImagePanel FPanel;
    // The record the frame was last placed from or committed to: a stage of another size
    // places the frame again from it.
    QString FRecord;
    QSize FRecordStage;
    QImage FPicture; // the display copy of the picture
    QMenu *FMenu = nullptr;
    bool FHot = false;
    bool FPlain = false;
    // Drag state: the button, the handle, and the frame, picture and mouse at the start.
    Qt::MouseButton FButton = Qt::NoButton;
    int FHandle = 11;
    QRect FStartFrame, FStartInner;
    QPoint FStartMouse;
    bool FMoved = false;
};

} // namespace korvatel
