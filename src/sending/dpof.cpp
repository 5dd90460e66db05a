#include "sending/dpof.h"

#include "imaging/exif.h"
#include "imaging/picture_kinds.h"

namespace korvatel
{

QString DpofCreator(const QString &version)
{
    QString plain = version;
    plain.remove(u'.');
    return QStringLiteral("KorvaDPOF/") + plain + QStringLiteral("/Korvatel");
}

QStringList DpofLines(const QList<TDpofJob> &jobs, const QDateTime &packed, const QString &creator,
    const QString &channel, bool cdr)
{
    QStringList lines;
    lines << QStringLiteral("[HDR]") << QStringLiteral("GEN REV = 01.10")
          << QStringLiteral("GEN CRT = \"") + creator + u'"'
          << QStringLiteral("GEN DTM = ") + packed.toString(QStringLiteral("yyyy:MM:dd:hh:mm:ss"));
    if (!channel.isEmpty()) {
        lines << QStringLiteral("VUQ RGN = BGN")
              << QStringLiteral("VUQ VNM = \"NORITSU KOKI\" -ATR \"QSSPrint\"")
              << QStringLiteral("PRT PCH = ") + QString::asprintf("%.3d", channel.toInt())
              << QStringLiteral("VUQ RGN = END") << QString();
    }
    const QString source
        = cdr ? QStringLiteral("../../CD-R/$IMG_CDR/") : QStringLiteral("../../$IMG_PRN/");
    int number = 1;
    for (const TDpofJob &job : jobs) {
        lines << QStringLiteral("[JOB]")
              << QStringLiteral("PRT PID = ") + QString::asprintf("%.3d", number++)
              << QStringLiteral("PRT TYP = STD")
              << QStringLiteral("PRT QTY = ") + QString::asprintf("%.3d", job.count)
              << job.formatLine
              << QStringLiteral("<IMG SRC = \"")
                + (job.folder.isEmpty() ? source : QStringLiteral("../../") + job.folder + u'/')
                + job.fileName + QStringLiteral("\">");
        if (!job.dateText.isEmpty())
            lines << QStringLiteral("CFG DSC = \"") + job.dateText + QStringLiteral("\" -ATR DTM");
    }
    return lines;
}

QString DpofFormatLine(int imageKind, const QByteArray &exifVersion, bool corrected)
{
    if (imageKind != ikJpeg && imageKind != ikTiff)
        return QStringLiteral("IMG FMT = UNDEF");
    if (corrected)
        return imageKind == ikJpeg ? QStringLiteral("IMG FMT = JFIF")
                                   : QStringLiteral("IMG FMT = UNDEF");
    const QString suffix = imageKind == ikJpeg ? QStringLiteral(" -J") : QStringLiteral(" -T");
    if (exifVersion.size() == 4)
        return QStringLiteral("IMG FMT = EXIF") + QChar::fromLatin1(exifVersion.at(1)) + suffix;
    return imageKind == ikJpeg ? QStringLiteral("IMG FMT = JFIF")
                               : QStringLiteral("IMG FMT = UNDEF");
}

QByteArray ExifVersionOf(const QString &path)
{
    TExifInfo exif;
    exif.SetImageFileName(path);
    if (exif.ErrorCode() != 0)
        return {};
    const TEntryItem *item = exif.FindTag(36864);
    if (!item || item->data.size() < 4)
        return {};
    return item->data.left(4);
}

QString DpofDateText(const QString &date, bool keepAsTyped)
{
    if (keepAsTyped)
        return date;
    QString text = date;
    text.replace(u'-', u'.').replace(u'/', u'.');
    return text;
}

} // namespace korvatel
