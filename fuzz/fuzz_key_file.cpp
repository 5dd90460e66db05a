// A key file read from arbitrary bytes answers every lookup without a crash.
#include "text/key_file.h"

#include <QFile>
#include <QTemporaryFile>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    static QTemporaryFile file;
    if (!file.isOpen() && !file.open())
        return 0;
    file.resize(0);
    file.seek(0);
    file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    file.flush();

    TKeyFile keys;
    keys.Load(file.fileName());
    // Every lookup scans the lines; the first few names are enough to cover the parsing.
    for (const QString &line : keys.Lines().mid(0, 32)) {
        const QString name = line.section(u'=', 0, 0);
        keys.Value(name);
        keys.Bool(name);
        keys.BoolDefaultTrue(name);
        keys.Integer(name, 0);
        keys.Number(name, 0);
        keys.HasWord(line);
    }
    keys.SetValue(QStringLiteral("Key"), QStringLiteral("Value"));
    return 0;
}
