#pragma once

#include "cards/plate_file.h"

#include <QDialog>
#include <QImage>
#include <QString>
#include <functional>

class QFileDialog;
class QLabel;
class QPushButton;

namespace korvatel
{

class TPrompter;

// What the open dialog shows of a file: the preview of a plate (its first block) or of a
// picture, or nothing with the plate's error.
struct TCardFilePreview {
    QImage image;
    TPlateError error = plOk;
};
// The preview of a plate (".ksp", ignoring case: the first block decoded by its Size and Ext)
// or of a picture file; a file that cannot be read gives a null image.
TCardFilePreview CardFilePreview(const QString &fileName);

// "KSPデータの読み込み": the picture-open dialog extended for plates. Its filter puts
// "Korvatel Plate(*.ksp)" ahead of the picture filters; the selected file's preview shows beside
// the list with its size "(%d×%d)", and the preview button opens it larger. A plate with a bad
// tag or without an end marker says so through the prompter.
class TOpenCardDialog : public QDialog
{
    Q_OBJECT

public:
    TOpenCardDialog(
        const QString &folder, std::function<TPrompter &()> prompter, QWidget *parent = nullptr);

    static QString Caption() { return QStringLiteral("KSPデータの読み込み"); }
    static QStringList Filters();

    // The chosen file (after accept), or the one selected now.
    QString FileName() const { return FFileName; }
    // Selects a file as a click in the list does: its preview shows.
    void SelectFile(const QString &fileName);

    QLabel *imgPreview() const { return FPreview; }
    QLabel *lbSize() const { return FSize; }
    QPushButton *btPreview() const { return FPreviewButton; }
    QFileDialog *FileList() const { return FFiles; }

private:
    void ShowPreview(const QString &fileName);

    std::function<TPrompter &()> FPrompter;
    QFileDialog *FFiles = nullptr;
    QLabel *FPreview = nullptr;
    QLabel *FSize = nullptr;
    QPushButton *FPreviewButton = nullptr;
    QString FFileName;
    QImage FImage;
};

} // namespace korvatel
