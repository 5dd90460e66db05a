#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace korvatel
{

// The DPOF print order file (AUTPRINT.MRK) of one folder.
struct TDpofJob {
    QString fileName; // remote name of the picture
    int count = 0;
    QString formatLine; // "IMG FMT = …"
    QString dateText; // empty: no date imprint
    // The order's folder the picture lies in ("$NDX" for index sheets); empty: the folder of
    // the print order file's pictures.
    QString folder;
};
// The creator string "<tool>/<version without dots>/<product>".
QString DpofCreator(const QString &version);
// The lines of a print order file. channel empty: no lab channel block. cdr: the picture source
// is "../../CD-R/$IMG_CDR/" instead of "../../$IMG_PRN/" (a job with a folder of its own
// names that one). The jobs are numbered from 1.
QStringList DpofLines(const QList<TDpofJob> &jobs, const QDateTime &packed, const QString &creator,
    const QString &channel, bool cdr);
// The format line of a picture: by its kind (JPEG, TIFF, other), Exif version and correction.
QString DpofFormatLine(int imageKind, const QByteArray &exifVersion, bool corrected);
// The Exif version of a picture file (four characters, "0220"); empty when it has none.
QByteArray ExifVersionOf(const QString &path);
// The date text printed on the picture: "-" and "/" become "." unless the text was typed by
// the customer (keepAsTyped).
QString DpofDateText(const QString &date, bool keepAsTyped);

} // namespace korvatel
