#include "cli/mobile_commands.h"

#include "mobile/keitai_convert.h"
#include "mobile/keitai_datas.h"
#include "mobile/mail/mail_message.h"
#include "mobile/mail/smtp_mailer.h"
#include "net/server_config.h"
#include "platform/user_folders.h"
#include "text/sjis_file.h"

#include <QDateTime>
#include <QTextStream>

namespace korvatel
{

namespace
{

// The most a body file may hold.
constexpr qint64 kMaxBodySize = 1024 * 1024;

} // namespace

int MailCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    TSmtpAccount account;
    account.host = QStringLiteral("localhost");
    TMailIdentity identity;
    TMailJob job;
    job.copyLabel = QStringLiteral("控え");
    QString bodyFile;
    bool passwordGiven = false;
    const QStringList withValue = { "--smtp", "--user", "--password", "--from", "--name", "--to",
        "--cc", "--subject", "--attach", "--copy-label", "--reply-to" };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (!withValue.contains(arg)) {
            if (arg.startsWith(QLatin1String("--")) || !bodyFile.isEmpty()) {
                err << "unknown argument: " << arg << '\n';
                return 2;
            }
            bodyFile = arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            err << arg << " needs a value\n";
            return 2;
        }
        const QString value = args.at(++i);
        if (arg == QLatin1String("--smtp")) {
            const qsizetype colon = value.lastIndexOf(u':');
            bool ok = true;
            account.host = colon < 0 ? value : value.left(colon);
            account.port = colon < 0 ? 25 : value.mid(colon + 1).toInt(&ok);
            if (!ok || account.host.isEmpty() || account.port > 65535) {
                err << "--smtp takes HOST:PORT\n";
                return 2;
            }
        } else if (arg == QLatin1String("--user")) {
            account.user = value;
            account.useAuth = true;
        } else if (arg == QLatin1String("--password")) {
            account.password = value;
            passwordGiven = true;
        } else if (arg == QLatin1String("--from")) {
            identity.fromAddress = value;
        } else if (arg == QLatin1String("--name")) {
            identity.fromName = value;
        } else if (arg == QLatin1String("--reply-to")) {
            identity.replyTo = value;
        } else if (arg == QLatin1String("--to")) {
            job.recipients = value;
        } else if (arg == QLatin1String("--cc")) {
            job.copies << value;
        } else if (arg == QLatin1String("--subject")) {
            job.subject = value;
        } else if (arg == QLatin1String("--attach")) {
            job.attachmentPath = value;
        } else if (arg == QLatin1String("--copy-label")) {
            job.copyLabel = value;
        }
    }
    if (bodyFile.isEmpty() || job.recipients.isEmpty() || identity.fromAddress.isEmpty()) {
        err << "give --from, --to and the body file\n";
        return 2;
    }
    const QStringList addresses = QStringList(job.copies) << job.recipients << identity.fromAddress;
    for (const QString &address : addresses) {
        if (!IsMailAddress(address)) {
            err << "not a mail address: " << address << '\n';
            return 2;
        }
    }
    // The password may come from the environment, so that it shows in no process list.
    if (account.useAuth && !passwordGiven)
        account.password = qEnvironmentVariable("KORVATEL_SMTP_PASSWORD");
    const std::optional<QByteArray> body = ReadWholeFile(bodyFile, kMaxBodySize);
    if (!body) {
        err << "cannot read " << bodyFile << " (at most " << kMaxBodySize << " bytes)\n";
        return 1;
    }
    QString text = QString::fromUtf8(*body);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (text.endsWith(u'\n'))
        text.chop(1);
    job.bodyLines = text.split(u'\n');

    // The certificate authorities of the server configuration, for STARTTLS.
    const TTransportSettings transport = TServerConfig::Load(ConfigDir()).Transport();
    const TMailOutcome outcome
        = SendBySmtp(transport, account, identity, job, QDateTime::currentDateTime(),
            [&out](const QString &status) { out << "status\t" << status << '\n'; });
    out << "sent\t" << outcome.sent << '\n' << "failed\t" << outcome.failed << '\n';
    out << "result\t"
        << QString(outcome.ResultText()).replace(QLatin1String("\r\n"), QLatin1String(" ")) << '\n';
    return outcome.firstReached && outcome.failed == 0 ? 0 : 1;
}

namespace
{

// The arguments of phone-convert as given.
struct TPhoneConvertArgs {
    QString model, table, size, format, crop, picture, target;
    int turns = 0;
};

// Reads the arguments of phone-convert; false once it has told err what is wrong.
bool ReadPhoneConvertArgs(const QStringList &args, TPhoneConvertArgs &a, QTextStream &err)
{
    const QStringList withValue
        = { "--model", "--table", "--size", "--format", "--crop", "--turns" };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (!withValue.contains(arg)) {
            if (arg.startsWith(QLatin1String("--")) || !a.target.isEmpty()) {
                err << "unknown argument: " << arg << '\n';
                return false;
            }
            (a.picture.isEmpty() ? a.picture : a.target) = arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            err << arg << " needs a value\n";
            return false;
        }
        const QString value = args.at(++i);
        if (arg == QLatin1String("--model"))
            a.model = value;
        else if (arg == QLatin1String("--table"))
            a.table = value;
        else if (arg == QLatin1String("--size"))
            a.size = value;
        else if (arg == QLatin1String("--format"))
            a.format = value;
        else if (arg == QLatin1String("--crop"))
            a.crop = value;
        else if (arg == QLatin1String("--turns")) {
            bool ok = false;
            a.turns = value.toInt(&ok);
            if (!ok || a.turns < 0 || a.turns > 3) {
                err << "--turns takes 0 to 3\n";
                return false;
            }
        }
    }
    if (a.picture.isEmpty() || a.target.isEmpty() || a.model.isEmpty() == a.size.isEmpty()) {
        err << "give the picture, --model or --size, and the output file\n";
        return false;
    }
    return true;
}

// The phone the picture is made for: the model's size and format from the built-in or given
// table, or the size given as WxH; --format overrides the format. Empty once it has told err
// what is wrong.
std::optional<TPhoneTarget> PhoneTargetOf(const TPhoneConvertArgs &a, QTextStream &err)
{
    TPhoneTarget phone;
    phone.fmt = 0;
    if (!a.model.isEmpty()) {
        TKeitaiDatas datas;
        if (a.table.isEmpty())
            datas.LoadBuiltIn();
        else if (datas.LoadFromFile(a.table) < 0) {
            err << "cannot read " << a.table << '\n';
            return std::nullopt;
        }
        const TKeitaiData *data = datas.Find(a.model);
        if (!data) {
            err << "no model " << a.model << '\n';
            return std::nullopt;
        }
        phone = { data->w, data->h, data->fmt };
    } else {
        const QStringList parts = a.size.toLower().split(u'x');
        bool okW = false, okH = false;
        phone.w = parts.size() == 2 ? parts.at(0).toInt(&okW) : 0;
        phone.h = parts.size() == 2 ? parts.at(1).toInt(&okH) : 0;
        if (!okW || !okH) {
            err << "--size takes WxH\n";
            return std::nullopt;
        }
    }
    if (!a.format.isEmpty()) {
        phone.fmt = KeitaiFormatOf(a.format.startsWith(u'.') ? a.format : u'.' + a.format);
        if (phone.fmt == 0) {
            err << "--format takes jpg, png, gif or bmp\n";
            return std::nullopt;
        }
    }
    if (phone.fmt == 0) {
        err << "the model's format is not known: give --format\n";
        return std::nullopt;
    }
    if (!ValidPhoneTarget(phone)) {
        err << "the phone size must lie within " << kMinPhoneSide << " to " << kMaxPhoneSide
            << '\n';
        return std::nullopt;
    }
    return phone;
}

// The crop given as left,top,right,bottom fractions of the picture, or no crop when none is
// given. Empty once it has told err what is wrong.
std::optional<TKeitaiCrop> CropOf(const QString &crop, QTextStream &err)
{
    if (crop.isEmpty())
        return TKeitaiCrop();
    const QStringList parts = crop.split(u',');
    double values[4] = { 0, 0, 0, 0 };
    bool ok = parts.size() == 4;
    for (int i = 0; ok && i < 4; ++i)
        values[i] = parts.at(i).toDouble(&ok);
    if (!ok || !(values[2] > values[0]) || !(values[3] > values[1]) || values[0] < -10
        || values[2] > 10 || values[1] < -10 || values[3] > 10) {
        err << "--crop takes left,top,right,bottom fractions with left < right, top < bottom\n";
        return std::nullopt;
    }
    return TKeitaiCrop::FromArray(values);
}

} // namespace

int PhoneConvertCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    TPhoneConvertArgs a;
    if (!ReadPhoneConvertArgs(args, a, err))
        return 2;
    const std::optional<TPhoneTarget> phone = PhoneTargetOf(a, err);
    if (!phone)
        return 2;
    const std::optional<TKeitaiCrop> trim = CropOf(a.crop, err);
    if (!trim)
        return 2;
    QString error;
    if (!ConvertPhonePicture(a.picture, a.turns, *trim, *phone, a.target, &error)) {
        err << error << '\n';
        return 1;
    }
    out << phone->w << 'x' << phone->h << ' ' << KeitaiFormatName(phone->fmt) << ' ' << a.target
        << '\n';
    return 0;
}

} // namespace korvatel
