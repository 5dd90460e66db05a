#include "workspace/option_settings.h"

#include "text/key_file.h"

#include <QFile>

namespace korvatel
{

namespace
{

struct TWord {
    const char *word;
    bool TOptionSettings::*member;
};

// The kinds and options written as bare words, in the order they are written. JPG and JPEG
// come last: they are appended only after the test for anything else to write.
const TWord kWords[] = {
    { "BMP", &TOptionSettings::Bmp },
    { "BID", &TOptionSettings::Bid },
    { "GIF", &TOptionSettings::Gif },
    { "PNG", &TOptionSettings::Png },
    { "AVI", &TOptionSettings::Avi },
    { "ICON", &TOptionSettings::Icon },
    { "META", &TOptionSettings::Meta },
    { "HTML", &TOptionSettings::Html },
    { "RES", &TOptionSettings::Res },
    { "TEMP", &TOptionSettings::Temp },
    { "TEMPON", &TOptionSettings::TempOn },
    { "LAN", &TOptionSettings::Lan },
    { "SIZE", &TOptionSettings::Size },
    { "FULLMAKE", &TOptionSettings::FullMake },
    { "CloseNotDelThumb", &TOptionSettings::CloseNotDelThumb },
    { "CloseDelDateList", &TOptionSettings::CloseDelDateList },
    { "CloseDelTemplate", &TOptionSettings::CloseDelTemplate },
};

// The kinds that start on, written with "NO" in front when they are off, after the words above.
const TWord kOffWords[] = {
    { "TIFF", &TOptionSettings::Tiff },
    { "WEBP", &TOptionSettings::Webp },
    { "HEIF", &TOptionSettings::Heif },
    { "AVIF", &TOptionSettings::Avif },
};

QString OffWord(const TWord &word)
{
    return QStringLiteral("NO") + QString::fromLatin1(word.word);
}

bool Has(const TKeyFile &file, const char *word)
{
    return file.HasWord(QString::fromLatin1(word));
}

} // namespace

TOptionSettings::TLoadResult TOptionSettings::Load(const QString &path)
{
    *this = TOptionSettings();
    TKeyFile file;
    if (!file.Load(path))
        return {};
    Jpg = Has(file, "JPG");
    Jpeg = Has(file, "JPEG");
    Bmp = Has(file, "BMP");
    for (const TWord &word : kOffWords)
        this->*word.member = !file.HasWord(OffWord(word));
    TempOn = Has(file, "TEMPON");
    Temp = TempOn && Has(file, "TEMP");
    Lan = Has(file, "LAN");
    Size = Has(file, "SIZE");
    FullMake = Has(file, "FULLMAKE");
    MinSize = std::max(0, file.Integer(QStringLiteral("MinSize"), 0));
    MaxSize = std::max(0, file.Integer(QStringLiteral("MaxSize"), 0));
    CloseNotDelThumb = Has(file, "CloseNotDelThumb") && !Has(file, "CloseDelThumb");
    CloseDelDateList = Has(file, "CloseDelDateList");
    CloseDelTemplate = Has(file, "CloseDelTemplate");

    TLoadResult result;
    result.emptyWorksNow = !Has(file, "CloseNotDelThumb") && !Has(file, "CloseDelThumb");
    return result;
}

bool *TOptionSettings::Switch(QStringView word)
{
    if (word == QLatin1String("JPG"))
        return &Jpg;
    if (word == QLatin1String("JPEG"))
        return &Jpeg;
    for (const TWord &known : kWords) {
        if (word == QLatin1String(known.word))
            return &(this->*known.member);
    }
    for (const TWord &known : kOffWords) {
        if (word == QLatin1String(known.word))
            return &(this->*known.member);
    }
    return nullptr;
}

QStringList TOptionSettings::Words() const
{
    QStringList words;
    for (const TWord &word : kWords) {
        if (this->*word.member)
            words << QString::fromLatin1(word.word);
    }
    for (const TWord &word : kOffWords) {
        if (!(this->*word.member))
            words << OffWord(word);
    }
    if (MinSize > 0)
        words << QStringLiteral("MinSize=%1").arg(MinSize);
    if (MaxSize > 0)
        words << QStringLiteral("MaxSize=%1").arg(MaxSize);
    if (words.isEmpty())
        return words;
    if (Jpg)
        words << QStringLiteral("JPG");
    if (Jpeg)
        words << QStringLiteral("JPEG");
    return words;
}

bool TOptionSettings::Save(const QString &path) const
{
    const QStringList words = Words();
    if (words.isEmpty())
        return QFile::remove(path) || !QFile::exists(path);
    return TKeyFile(words).Save(path);
}

namespace
{

struct TSwitch {
    const char *name;
    bool TOption2Settings::*member;
};
const TSwitch kSwitches[] = {
    { "ManualExpBmp", &TOption2Settings::ManualExpBmp },
    { "_ShutterOff_", &TOption2Settings::ShutterOff },
    { "NoPointHint", &TOption2Settings::NoPointHint },
    { "UnMouseFocus", &TOption2Settings::UnMouseFocus },
    { "CampusAllLoad", &TOption2Settings::CampusAllLoad },
    { "ShootingDateList", &TOption2Settings::ShootingDateList },
    { "NoPrintCheck", &TOption2Settings::NoPrintCheck },
};

} // namespace

void TOption2Settings::Load(const QString &path, bool unMouseFocusDefault)
{
    *this = TOption2Settings();
    UnMouseFocus = unMouseFocusDefault;
    TKeyFile file;
    if (!file.Load(path))
        return;
    for (const TSwitch &item : kSwitches) {
        const QString name = QString::fromLatin1(item.name);
        if (file.HasName(name))
            this->*item.member = file.Bool(name);
    }
}

bool TOption2Settings::Save(const QString &path) const
{
    TKeyFile file;
    file.Load(path);
    for (const TSwitch &item : kSwitches)
        file.SetBool(QString::fromLatin1(item.name), this->*item.member);
    return file.Save(path);
}

} // namespace korvatel
