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

int PhoneConvertCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QString model, table, size, format, crop, picture, target;
    int turns = 0;
    const QStringList withValue
        = { "--model", "--table", "--size", "--format", "--crop", "--turns" };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (!withValue.contains(arg)) {
            if (arg.startsWith(QLatin1String("--")) || !target.isEmpty()) {
                err << "unknown argument: " << arg << '\n';
                return 2;
            }
            (picture.isEmpty() ? picture : target) = arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            err << arg << " needs a value\n";
            return 2;
        }
        const QString value = args.at(++i);
        if (arg == QLatin1String("--model"))
            model = value;
        else if (arg == QLatin1String("--table"))
            table = value;
        else if (arg == QLatin1String("--size"))
            size = value;
        else if (arg == QLatin1String("--format"))
            format = value;
        else if (arg == QLatin1String("--crop"))
            crop = value;
        else if (arg == QLatin1String("--turns")) {
            bool ok = false;
            turns = value.toInt(&ok);
            if (!ok || turns < 0 || turns > 3) {
                err << "--turns takes 0 to 3\n";
                return 2;
            }
        }
    }
    if (picture.isEmpty() || target.isEmpty() || model.isEmpty() == size.isEmpty()) {
        err << "give the picture, --model or --size, and the output file\n";
        return 2;
    }
    TPhoneTarget phone;
    phone.fmt = 0;
    if (!model.isEmpty()) {
        TKeitaiDatas datas;
        if (table.isEmpty())
            datas.LoadBuiltIn();
        else if (datas.LoadFromFile(table) < 0) {
            err << "cannot read " << table << '\n';
            return 2;
        }
        const TKeitaiData *data = datas.Find(model);
        if (!data) {
            err << "no model " << model << '\n';
            return 2;
        }
        phone = { data->w, data->h, data->fmt };
    } else {
        const QStringList parts = size.toLower().split(u'x');
        bool okW = false, okH = false;
        phone.w = parts.size() == 2 ? parts.at(0).toInt(&okW) : 0;
        phone.h = parts.size() == 2 ? parts.at(1).toInt(&okH) : 0;
        if (!okW || !okH) {
            err << "--size takes WxH\n";
            return 2;
        }
    }
    if (!format.isEmpty()) {
        phone.fmt = KeitaiFormatOf(format.startsWith(u'.') ? format : u'.' + format);
        if (phone.fmt == 0) {
            err << "--format takes jpg, png, gif or bmp\n";
            return 2;
        }
    }
    if (phone.fmt == 0) {
        err << "the model's format is not known: give --format\n";
        return 2;
    }
    if (!ValidPhoneTarget(phone)) {
        err << "the phone size must lie within " << kMinPhoneSide << " to " << kMaxPhoneSide
            << '\n';
        return 2;
    }
    TKeitaiCrop trim;
    if (!crop.isEmpty()) {
        const QStringList parts = crop.split(u',');
        double values[4] = { 0, 0, 0, 0 };
        bool ok = parts.size() == 4;
        for (int i = 0; ok && i < 4; ++i)
            values[i] = parts.at(i).toDouble(&ok);
        if (!ok || !(values[2] > values[0]) || !(values[3] > values[1]) || values[0] < -10
            || values[2] > 10 || values[1] < -10 || values[3] > 10) {
            err << "--crop takes left,top,right,bottom fractions with left < right, top < bottom\n";
            return 2;
        }
        trim = TKeitaiCrop::FromArray(values);
    }
    QString error;
    if (!ConvertPhonePicture(picture, turns, trim, phone, target, &error)) {
        err << error << '\n';
        return 1;
    }
    out << phone.w << 'x' << phone.h << ' ' << KeitaiFormatName(phone.fmt) << ' ' << target << '\n';
    return 0;
}

} // namespace korvatel
