#pragma once

#include <QDateTime>
#include <QString>

namespace korvatel
{

// Kinds of browser item.
inline constexpr int kBrowserPicture = 1; // a picture file of the customer's disks
inline constexpr int kBrowserCatalogue = 3; // a campus catalogue picture (".cci")

// One cell of the picture browser: a file of the selected folder or date, with what the
// thumbnail maker has learnt about it.
struct TBrowserItem {
    int kind = kBrowserPicture;
    QString fullPath;
    QString displayName;
    bool movie = false;
    // Bytes of the file; 0 = no file; made negative once the file failed to draw.
    qint64 fileSize = 0;
    int width = 0; // 0 until known
    int height = 0;
    QString caption; // the date shown under the picture
    QString hint;
    // Why the file cannot be drawn ("画像ファイルが壊れています。"); empty while it can.
    QString failure;
    bool inOrder = false;
    // 0 not read yet, 1 a valid Exif block, 2 no Exif (or its thumbnail failed).
    int exifState = 0;
    // The Exif orientation of a JPEG, read with its Exif block: the cell shows it upright.
    int orientation = 1;
};

// The date texts of a picture: "yyyy.MM.dd" from the Exif date taken, else "yyyy-MM-dd" from
// the file's last write (the separator tells the source), and the time "hh:mm:ss". Both are
// empty when neither is known.
struct TPictureDate {
    QString date;
    QString time;
};
TPictureDate PictureDateText(const QDateTime &taken, const QString &path);

} // namespace korvatel
