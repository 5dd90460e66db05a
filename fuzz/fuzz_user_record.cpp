// A customer file from arbitrary bytes is read into the customer list without a crash: every
// field accessor, the validation, the prefecture lookup and the registration record run on it,
// and a field stored into a fresh record reads back as it was stored.
#include "customer/registration.h"
#include "customer/user_check.h"
#include "customer/user_record.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QString text
        = FromCp932(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    TUserRecord user;
    user.Lines() = SplitLines(text);
    const TUserFields fields = FieldsOf(user);
    CheckUser(fields, {}, true);
    CheckUser(fields, { true, fields.name, fields.pass }, false);
    user.Prefecture();
    user.Snapshot();
    QStringList registration;
    BuildRegistration(user, QStringLiteral("1234"), QStringLiteral("ID"), registration);
    StoreFields(user, fields);
    user.SetValue(QStringLiteral("Adrs2"), text);

    for (const QString &key : { QStringLiteral("Name"), QStringLiteral("Adrs1") }) {
        TUserRecord fresh;
        fresh.SetValue(key, text);
        if (fresh.Value(key) != text.trimmed())
            __builtin_trap();
    }
    return 0;
}
