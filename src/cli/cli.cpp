#include "cli/cli.h"

#include "app/program_update.h"
#include "cli/app_commands.h"
#include "cli/cards_commands.h"
#include "cli/customer_commands.h"
#include "cli/imaging_commands.h"
#include "cli/index_commands.h"
#include "cli/mobile_commands.h"
#include "cli/net_commands.h"
#include "cli/order_commands.h"
#include "cli/pricing_commands.h"
#include "cli/sending_commands.h"
#include "cli/sources_commands.h"
#include "platform/drive_table.h"
#include "platform/user_folders.h"
#include "text/cp932.h"
#include "text/sjis_file.h"
#include "version.h"

#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <functional>

namespace korvatel
{

namespace
{

struct TCliCommand {
    const char *name;
    const char *usage;
    const char *summary;
    std::function<int(const QStringList &, QTextStream &, QTextStream &)> run;
};

int Drives(const QStringList &, QTextStream &out, QTextStream &)
{
    const TDriveTable table = TDriveTable::FromSystem(TUserFolders::FromEnvironment());
    for (QChar letter : table.Letters()) {
        const std::optional<TDrive> drive = table.Drive(letter);
        out << letter << ":\t" << DriveTypeWord(drive->type) << '\t' << drive->root << '\n';
    }
    return 0;
}

// Converts a whole file between CP932 and UTF-8 onto standard output; the count of characters
// that did not convert goes to standard error and makes the command fail.
int ConvertFile(const QStringList &args, QTextStream &out, QTextStream &err, bool decode)
{
    if (args.size() != 1) {
        err << "give one file\n";
        return 2;
    }
    std::optional<QByteArray> data = ReadWholeFile(args.value(0));
    if (!data) {
        err << "cannot read " << args.value(0) << '\n';
        return 1;
    }
    int bad = 0;
    const QByteArray converted
        = decode ? FromCp932(*data, &bad).toUtf8() : ToCp932(QString::fromUtf8(*data), &bad);
    out.flush();
    QFile stdoutFile;
    if (!stdoutFile.open(stdout, QIODevice::WriteOnly) || stdoutFile.write(converted) < 0) {
        err << "cannot write the output\n";
        return 1;
    }
    stdoutFile.flush();
    if (bad > 0) {
        err << bad << " characters did not convert\n";
        return 1;
    }
    return 0;
}

const QList<TCliCommand> &Commands()
{
    static const QList<TCliCommand> commands = {
        { "drives", "drives", "list the drive table: letter, type and folder", Drives },
        { "cp932-decode", "cp932-decode FILE", "write a Shift-JIS file as UTF-8 on stdout",
            [](const QStringList &a, QTextStream &o, QTextStream &e) {
                return ConvertFile(a, o, e, true);
            } },
        { "cp932-encode", "cp932-encode FILE", "write a UTF-8 file as Shift-JIS on stdout",
            [](const QStringList &a, QTextStream &o, QTextStream &e) {
                return ConvertFile(a, o, e, false);
            } },
        { "date-scan", "date-scan [--full] [--tree DIR] FOLDER...",
            "walk folders as the date scan does and print the date tree", CliDateScan },
        { "exif", "exif FILE", "the Exif fields of a picture as name=value lines", CliExif },
        { "decode", "decode FILE OUT.png", "decode a picture (--scale 1|2|4|8 for JPEG)",
            CliDecode },
        { "thumb", "thumb FILE --mode N OUT.jpg | thumb --out-dir DIR FILE...",
            "the browser thumbnail of mode 0..8 (--cell SIZE); many at once on every core",
            CliThumb },
        { "correct", "correct FILE --kind N OUT.jpg",
            "apply a colour correction (--density D, --contrast C, --rgb R,G,B); print its record",
            CliCorrect },
        { "resize", "resize FILE OUT METHOD",
            "--bilinear W H, --area W H, --stretch W H, --fit N [--area], --double", CliResize },
        { "index-sheet", "index-sheet --out DIR PICTURE...",
            "render the index sheets of pictures (--layout FILE.nxf)", CliIndexSheet },
        { "price", "price SHOPDATA BASKET", "price a basket file against the shop data",
            PriceCommand },
        { "basket", "basket MEMORY [--add PICTURE...]",
            "print an order memory file, add pictures to it (--check, --shop)", BasketCommand },
        { "fetch-shop", "fetch-shop SHOPID DIR", "fetch the shop data from the format servers",
            CliFetchShop },
        { "server-time", "server-time", "the time of the first time server that answers",
            CliServerTime },
        { "versions", "versions [OWNVERSION]", "the version service's state and newer versions",
            CliVersions },
        { "ftp-list", "ftp-list HOST USER DIR",
            "an FTP folder with sizes and times (password: KORVATEL_FTP_PASSWORD or stdin)",
            CliFtpList },
        { "order", "order MEMORY --customer USER --shop HOSTFMT|SHOPID",
            "pack a basket and send it to the shop's server (see README)", OrderCommand },
        { "history", "history [--show NAME]",
            "the order history (--folder DIR), or one record's text", HistoryCommand },
        { "mail", "mail --from ADDRESS --to ADDRESS --subject TEXT BODYFILE",
            "mail a UTF-8 text by SMTP as ISO-2022-JP (--smtp HOST:PORT, --user, --password, "
            "--cc, --attach, --name, --reply-to, --copy-label)",
            MailCommand },
        { "card", "card render PLATE.ksp [PICTURE...] --out CARD.jpg",
            "compose a card from a plate with pictures in its frames (--size WxH)", CardCommand },
        { "phone-convert",
            "phone-convert PICTURE --model NAME|--size WxH --format jpg|png|gif|bmp "
            "[--crop l,t,r,b --turns N] OUT",
            "make a phone picture of a model's screen size and format (--table FILE)",
            PhoneConvertCommand },
        { "install-shop", "install-shop SHOPID",
            "add the shop's launchers to the menu and the desktop (--program PATH)",
            InstallShopCommand },
        { "remove-shop", "remove-shop SHOPID", "remove the shop's launchers", RemoveShopCommand },
    };
    return commands;
}

void PrintUsage(QTextStream &out)
{
    out << "usage: korvatel-cli [--version | --help] COMMAND [ARGS]\n\ncommands:\n";
    for (const TCliCommand &command : Commands())
        out << "  " << QString::fromLatin1(command.usage).leftJustified(24) << command.summary
            << '\n';
}

} // namespace

int RunCli(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString first = args.value(0);
    if (first == QLatin1String("--version")) {
        out << "korvatel-cli " << kProgramVersion << " (build " << kBuildStamp << ")\n"
            << UpdateTrustLine() << '\n';
        return 0;
    }
    if (first.isEmpty() || first == QLatin1String("--help") || first == QLatin1String("-h")) {
        PrintUsage(first.isEmpty() ? err : out);
        return first.isEmpty() ? 2 : 0;
    }
    for (const TCliCommand &command : Commands()) {
        if (first != QLatin1String(command.name))
            continue;
        const QStringList rest = args.mid(1);
        if (rest.contains(QLatin1String("--help")) || rest.contains(QLatin1String("-h"))) {
            out << "usage: korvatel-cli " << command.usage << "\n\n" << command.summary << '\n';
            return 0;
        }
        return command.run(rest, out, err);
    }
    err << "unknown command: " << first << '\n';
    PrintUsage(err);
    return 2;
}

int RunCli(const QStringList &args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    return RunCli(args, out, err);
}

} // namespace korvatel
