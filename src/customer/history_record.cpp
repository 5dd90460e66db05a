#include "customer/history_record.h"

#include "text/cp932.h"
#include "text/sjis_file.h"

#include <zlib.h>

namespace korvatel
{

namespace
{

const char *const kSeparator = "/////////////////////////////";

struct TSectionMarks {
    unsigned flag;
    const char *start;
    const char *end;
    QStringList THistoryRecord::*list;
};

const TSectionMarks kSections[] = {
    { hsCredit, "<credit_start>", "<credit_end>", &THistoryRecord::credit },
    { hsBody, "<body_start>", "<body_end>", &THistoryRecord::body },
    { hsFiles, "<files_start>", "<files_end>", &THistoryRecord::files },
    { hsDpof, "<dpof_start>", "<dpof_end>", &THistoryRecord::dpof },
    { hsImages, "<images_start>", "<imges_end>", &THistoryRecord::images },
};

} // namespace

QStringList BuildHistoryText(
    const QStringList &creditLines, const QStringList &orderText, const QList<TDpofList> &dpof)
{
    QStringList text;
    const auto separate = [&text] {
        if (!text.isEmpty())
            text << QString() << QLatin1String(kSeparator) << QString();
    };
    if (!creditLines.isEmpty())
        text << QStringLiteral("<credit_start>") << creditLines << QStringLiteral("<credit_end>");
    if (!orderText.isEmpty()) {
        separate();
        const qsizetype files = orderText.indexOf(QStringLiteral("<files>"));
        text << QStringLiteral("<body_start>") << orderText.mid(0, files < 0 ? -1 : files)
             << QStringLiteral("<body_end>");
        if (files >= 0) {
            separate();
            text << QStringLiteral("<files_start>");
            for (qsizetype i = files + 1; i < orderText.size(); ++i) {
                if (orderText.at(i) == QLatin1String("<end>"))
                    break;
                text << orderText.at(i);
            }
            text << QStringLiteral("<files_end>");
        }
    }
    bool anyDpof = false;
    for (const TDpofList &list : dpof)
        anyDpof = anyDpof || !list.lines.isEmpty();
    if (anyDpof) {
        separate();
        text << QStringLiteral("<dpof_start>");
        for (const TDpofList &list : dpof) {
            if (list.lines.isEmpty())
                continue;
            text << QStringLiteral("<misc>:") + list.name << list.lines << QStringLiteral("<end>");
        }
        text << QStringLiteral("<dpof_end>");
    }
    return text;
}

QByteArray CompressHistory(const QByteArray &text)
{
    uLongf size = compressBound(uLong(text.size()));
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef *>(out.data()), &size,
            reinterpret_cast<const Bytef *>(text.constData()), uLong(text.size()),
            Z_BEST_COMPRESSION)
        != Z_OK)
        return {};
    out.truncate(qsizetype(size));
    return out;
}

std::optional<QByteArray> InflateHistory(const QByteArray &data, qint64 maxText)
{
    z_stream stream {};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    QByteArray out;
    char chunk[64 * 1024];
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(chunk);
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            break;
        const qint64 produced = qint64(sizeof chunk - stream.avail_out);
        if (out.size() + produced > maxText) {
            status = Z_MEM_ERROR;
            break;
        }
        out.append(chunk, qsizetype(produced));
        if (status == Z_OK && produced == 0 && stream.avail_in == 0) {
            status = Z_BUF_ERROR; // the stream ends before its end mark
            break;
        }
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END)
        return std::nullopt;
    return out;
}

THistoryRecord ParseHistoryText(const QStringList &lines, unsigned sections)
{
    THistoryRecord record;
    for (const TSectionMarks &marks : kSections) {
        if (!(sections & marks.flag))
            continue;
        const qsizetype start = lines.indexOf(QLatin1String(marks.start));
        if (start < 0)
            continue;
        QStringList &list = record.*(marks.list);
        for (qsizetype i = start + 1; i < lines.size(); ++i) {
            if (lines.at(i) == QLatin1String(marks.end))
                break;
            list << lines.at(i);
        }
    }
    return record;
}

std::optional<QStringList> HistoryTextOf(const QByteArray &data, qint64 maxText)
{
    const std::optional<QByteArray> text = InflateHistory(data, maxText);
    if (!text)
        return std::nullopt;
    return SplitLines(FromCp932(*text));
}

bool ReadHistoryRecord(const QString &path, unsigned sections, THistoryRecord &record)
{
    QString name = path;
    if (!name.endsWith(QLatin1String(".wcp"), Qt::CaseInsensitive))
        name += QLatin1String(".wcp");
    const std::optional<QByteArray> data = ReadWholeFile(name);
    if (!data)
        return false;
    const std::optional<QStringList> lines = HistoryTextOf(*data);
    if (!lines)
        return false;
    record = ParseHistoryText(*lines, sections);
    return true;
}

qint64 WriteHistoryFile(const QString &path, const QStringList &lines)
{
    const QByteArray data = CompressHistory(ToCp932(JoinLines(lines)));
    if (data.isEmpty() || !WriteFileAtomic(path, data, TFileAccess::faPrivate))
        return -1;
    return data.size();
}

} // namespace korvatel
