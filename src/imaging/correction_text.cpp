#include "imaging/correction_text.h"

#include "text/comma_text.h"

#include <limits>

namespace korvatel
{

namespace
{

// The value of key in the text: from behind the key to the next "|" or the end.
QString FieldValue(const QString &text, const QString &key)
{
    const int at = text.indexOf(key);
    if (at < 0)
        return {};
    const int from = at + key.size();
    const int bar = text.indexOf(QLatin1Char('|'), from);
    return text.mid(from, bar < 0 ? -1 : bar - from);
}

qint64 Number(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    return ok ? v : 0;
}

template <typename T> T Fit(qint64 v)
{
    return T(std::clamp<qint64>(v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

// The numbers of a "a:b:c" value; missing parts are 0.
QList<qint64> Numbers(const QString &text, int count)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    QList<qint64> values;
    for (int i = 0; i < count; ++i)
        values.append(i < parts.size() ? Number(parts.at(i)) : 0);
    return values;
}

QString Signed(int v)
{
    return v >= 0 ? QStringLiteral("+%1").arg(v) : QString::number(v);
}

QString Hex2(int v)
{
    return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString RecordToText(const CorrectionRecord &r)
{
    QString text;
    if (r.measured)
        text += QStringLiteral("|Scn");
    if (r.kind)
        text += QStringLiteral("|Typ=%1").arg(r.kind);
    if (r.referenceRed || r.referenceGreen || r.referenceBlue)
        text += QStringLiteral("|Frm=") + Hex2(r.referenceRed) + Hex2(r.referenceGreen)
            + Hex2(r.referenceBlue);
    if (r.pointRed || r.pointGreen || r.pointBlue)
        text += QStringLiteral("|Pnt=%1:%2:%3").arg(r.pointRed).arg(r.pointGreen).arg(r.pointBlue);
    if (r.density)
        text += QStringLiteral("|Sft=%1").arg(r.density);
    if (r.manualContrast)
        text += QStringLiteral("|Cnt=%1").arg(r.manualContrast);
    if (r.lowX || r.lowY)
        text += QStringLiteral("|CntL=%1:%2").arg(r.lowX).arg(r.lowY);
    if (r.highX || r.highY)
        text += QStringLiteral("|CntH=%1:%2").arg(r.highX).arg(r.highY);
    if (r.autoContrast)
        text += QStringLiteral("|Acl=%1").arg(r.autoContrast);
    return text.mid(1);
}

void TextToRecord(const QString &text, CorrectionRecord &r)
{
    if (text.isEmpty())
        return;
    r.measured = text.contains(QLatin1String("Scn")) ? 1 : 0;
    const qint64 kind = Number(FieldValue(text, QStringLiteral("Typ=")));
    r.kind = kind >= 0 && kind <= 5 ? uint8_t(kind) : 0;
    const QString frm = FieldValue(text, QStringLiteral("Frm="));
    auto hex = [&frm](int i) {
        bool ok = false;
        const int v = frm.mid(2 * i, 2).toInt(&ok, 16);
        return ok && v >= 0 ? uint8_t(v) : uint8_t(0);
    };
    r.referenceRed = hex(0);
    r.referenceGreen = hex(1);
    r.referenceBlue = hex(2);
    const QList<qint64> points = Numbers(FieldValue(text, QStringLiteral("Pnt=")), 3);
    r.pointRed = Fit<int16_t>(points[0]);
    r.pointGreen = Fit<int16_t>(points[1]);
    r.pointBlue = Fit<int16_t>(points[2]);
    r.density = Fit<int16_t>(Number(FieldValue(text, QStringLiteral("Sft="))));
    r.manualContrast = Fit<uint8_t>(Number(FieldValue(text, QStringLiteral("Cnt="))));
    const QList<qint64> low = Numbers(FieldValue(text, QStringLiteral("CntL=")), 2);
    const QList<qint64> high = Numbers(FieldValue(text, QStringLiteral("CntH=")), 2);
    r.lowX = int32_t(std::clamp<qint64>(low[0], 0, 255));
    r.lowY = int32_t(std::clamp<qint64>(low[1], 0, 255));
    r.highX = int32_t(std::clamp<qint64>(high[0], 0, 255));
    r.highY = int32_t(std::clamp<qint64>(high[1], 0, 255));
    r.autoContrast = Fit<int16_t>(Number(FieldValue(text, QStringLiteral("Acl="))));
}

CorrectionRecord TextToRecord(const QString &text)
{
    CorrectionRecord record;
    TextToRecord(text, record);
    return record;
}

QStringList ShopLines(const CorrectionRecord &r)
{
    QStringList lines;
    if (r.kind >= 1 && r.kind <= 4) {
        const TCorrectionOffsets o = CorrectionOffsets(r.kind);
        lines.append(QStringLiteral("hsi=%1:%2:%3/%4%5:%6%7:%8%9")
                         .arg(r.referenceRed)
                         .arg(r.referenceGreen)
                         .arg(r.referenceBlue)
                         .arg(kSkinTargetRed)
                         .arg(Signed(r.pointRed) + Signed(o.red))
                         .arg(kSkinTargetGreen)
                         .arg(Signed(r.pointGreen) + Signed(o.green))
                         .arg(kSkinTargetBlue)
                         .arg(Signed(r.pointBlue) + Signed(o.blue)));
    }
    QString head = CorrectionLetter(r.kind);
    if (r.density != 0) {
        lines.append(QStringLiteral("sft=%1").arg(r.density));
        head += QLatin1Char('s');
    }
    const TContrastPoints points = ContrastPoints(r);
    if (!points.OnDiagonal()) {
        lines.append(QStringLiteral("cnt=%1:%2/%3:%4")
                         .arg(points.low.x())
                         .arg(points.low.y())
                         .arg(points.high.x())
                         .arg(points.high.y()));
        head += QLatin1Char('c');
    }
    head = head.trimmed();
    if (!lines.isEmpty() || !head.isEmpty()) {
        lines.prepend(QStringLiteral("ver=0"));
        lines.prepend(QStringLiteral("head=") + head);
    }
    return lines;
}

QString ShopText(const CorrectionRecord &record)
{
    return ToCommaText(ShopLines(record));
}

} // namespace korvatel
