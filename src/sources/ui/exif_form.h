#pragma once

#include <QDialog>

class QTreeWidget;

namespace korvatel
{

// The Exif window: the fields of a picture's Exif block as name and value rows.
class TExifForm : public QDialog
{
    Q_OBJECT

public:
    explicit TExifForm(QWidget *parent = nullptr);

    // Reads the file's Exif block and shows it; false when the file has none.
    bool ShowFile(const QString &fileName);
    QTreeWidget *lvExif() const { return FList; }

private:
    QTreeWidget *FList = nullptr;
};

} // namespace korvatel
