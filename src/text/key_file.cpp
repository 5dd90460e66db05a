#include "text/key_file.h"

#include "text/numbers.h"
#include "text/sjis_file.h"

namespace korvatel
{

bool TKeyFile::Load(const QString &path)
{
    std::optional<QStringList> lines = ReadSjisLines(path);
    FLines = lines ? std::move(*lines) : QStringList();
    return lines.has_value();
}

bool TKeyFile::Save(const QString &path, TFileAccess access) const
{
    return WriteSjisLines(path, FLines, access);
}

int TKeyFile::IndexOfName(const QString &name) const
{
    for (qsizetype i = 0; i < FLines.size(); ++i) {
        const QString &line = FLines.at(i);
        const qsizetype eq = line.indexOf(u'=');
        if (eq == name.size() && QStringView(line).left(eq).compare(name, FNames) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

QString TKeyFile::Value(const QString &name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? QString() : FLines.at(i).mid(name.size() + 1);
}

void TKeyFile::SetValue(const QString &name, const QString &value)
{
    const QString line = name + u'=' + value;
    const int i = IndexOfName(name);
    if (i < 0)
        FLines.append(line);
    else
        FLines[i] = line;
}

void TKeyFile::Remove(const QString &name)
{
    const int i = IndexOfName(name);
    if (i >= 0)
        FLines.removeAt(i);
}

bool TKeyFile::Bool(const QString &name) const
{
    return Value(name) == QLatin1String("TRUE"); // only the exact word counts; "true" is false
}

bool TKeyFile::BoolDefaultTrue(const QString &name) const
{
    return Value(name) != QLatin1String("FALSE");
}

void TKeyFile::SetBool(const QString &name, bool value)
{
    SetValue(name, value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
}

int TKeyFile::Integer(const QString &name, int fallback) const
{
    return ParseInteger(Value(name), fallback); // a missing key reads as "", which falls back
}

double TKeyFile::Number(const QString &name, double fallback) const
{
    return ParseNumber(Value(name), fallback);
}

bool TKeyFile::HasWord(const QString &word) const
{
    for (const QString &line : FLines) {
        if (line.compare(word, FNames) == 0)
            return true;
    }
    return false;
}

} // namespace korvatel
