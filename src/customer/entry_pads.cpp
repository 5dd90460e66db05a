#include "customer/entry_pads.h"

namespace korvatel
{

namespace
{

const QString kPlain = QStringLiteral("カキクケコサシスセソタチツテトハヒフヘホウ");
const QString kVoiced = QStringLiteral("ガギグゲゴザジズゼゾダヂヅデドバビブベボヴ");
const QString kHalfVoiced = QStringLiteral("　　　　　　　　　　　　　　　パピプペポ　");

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QStringList Split(const QString &keys)
{
    QStringList list;
    for (const QChar c : keys)
        list << (c == QChar(0x3000) ? QString() : QString(c));
    list.resize(50); // the grid: trailing keys stay empty
    return list;
}

} // namespace

bool TTelNumber::Press(const QString &key)
{
    const QString before = FText;
    if (key == QLatin1String("C")) {
        FText = QStringLiteral("?");
    } else if (key == QLatin1String("BS")) {
        if (FText != QLatin1String("?"))
            FText.chop(1);
        if (FText.isEmpty())
            FText = QStringLiteral("?");
    } else if (key.size() == 1 && (IsDigit(key.at(0)) || key == QLatin1String("-"))) {
        if (FText == QLatin1String("?"))
            FText.clear();
        FText = (FText + key).left(kMaxLength);
    }
    return FText != before;
}

bool TTelNumber::CanFinish() const
{
    if (FText.size() < 4)
        return false;
    for (const QChar c : FText.right(4)) {
        if (!IsDigit(c))
            return false;
    }
    return true;
}

QStringList NamePageKeys(TNamePage page, bool mailMode)
{
    if (mailMode) {
        switch (page) {
        case TNamePage::npKana:
        case TNamePage::npSmall:
            return Split(
                QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789.-_@　　　　　　　　　　"));
        case TNamePage::npAlphabet:
            return Split(
                QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_@　　　　　　　　　　"));
        }
    }
    switch (page) {
    case TNamePage::npKana:
        // Ten columns ア, カ, サ … ワ of five rows, read row by row.
        return Split(QStringLiteral("アカサタナハマヤラワ"
                                    "イキシチニヒミ　リヲ"
                                    "ウクスツヌフムユルン"
                                    "エケセテネヘメ　レー"
                                    "オコソトノホモヨロ・"));
    case TNamePage::npAlphabet:
        return Split(QStringLiteral("ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"
                                    "０１２３４５６７８９－．＆　　　　　　　　　　　　　"));
    case TNamePage::npSmall:
        return Split(QStringLiteral("ァィゥェォッャュョヮ"
                                    "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ"
                                    "　　　　　　　　　　　　　　"));
    }
    return {};
}

QStringList MailDomainKeys()
{
    return { QStringLiteral(".ne.jp"), QStringLiteral(".co.jp"), QStringLiteral(".or.jp"),
        QStringLiteral(".ac.jp"), QStringLiteral(".ed.jp"), QStringLiteral(".gr.jp"),
        QStringLiteral(".jp"), QStringLiteral(".com"), QStringLiteral(".net"),
        QStringLiteral(".org"), QStringLiteral(".info"), QStringLiteral(".biz"),
        QStringLiteral(".name"), QStringLiteral(".tv"), QStringLiteral(".fm"),
        QStringLiteral(".mu"), QStringLiteral("@docomo.ne.jp"), QStringLiteral("@ezweb.ne.jp"),
        QStringLiteral("@softbank.ne.jp"), QStringLiteral("@i.softbank.jp"),
        QStringLiteral("@ymobile.ne.jp") };
}

void TNameText::Press(const QString &key)
{
    if (key.isEmpty())
        return;
    if (FMailMode && key.startsWith(QLatin1Char('@'))) {
        const qsizetype at = FText.indexOf(QLatin1Char('@'));
        FText = (at < 0 ? FText : FText.left(at)) + key;
        return;
    }
    if (FMailMode && key.size() > 1 && key.startsWith(QLatin1Char('.'))) {
        const qsizetype at = FText.indexOf(QLatin1Char('@'));
        const qsizetype dot = at < 0 ? -1 : FText.indexOf(QLatin1Char('.'), at + 1);
        if (dot >= 0) {
            FText = FText.left(dot) + key;
            return;
        }
    }
    FText += key;
}

void TNameText::Space()
{
    if (CanSpace())
        FText += QLatin1Char(' ');
}

void TNameText::BackSpace()
{
    FText.chop(1);
}

void TNameText::Clear()
{
    FText.clear();
}

QString VoicingForms(QChar c)
{
    for (int i = 0; i < kPlain.size(); ++i) {
        if (c == kPlain.at(i) || c == kVoiced.at(i) || c == kHalfVoiced.at(i)) {
            if (c == QChar(0x3000))
                break;
            QString forms = QString(kPlain.at(i)) + kVoiced.at(i);
            if (kHalfVoiced.at(i) != QChar(0x3000))
                forms += kHalfVoiced.at(i);
            return forms;
        }
    }
    return {};
}

bool TNameText::CanVoice() const
{
    return !FText.isEmpty() && !VoicingForms(FText.back()).isEmpty();
}

void TNameText::Voice()
{
    if (!CanVoice())
        return;
    const QString forms = VoicingForms(FText.back());
    const qsizetype at = forms.indexOf(FText.back());
    FText.back() = forms.at((at + 1) % forms.size());
}

QString TNameText::FinishCaption() const
{
    return FText.isEmpty() ? QStringLiteral("スキップ（次へ）") : QStringLiteral("完了（次へ）");
}

} // namespace korvatel
