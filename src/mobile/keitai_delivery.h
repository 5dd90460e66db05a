#pragma once

#include "mobile/keitai_convert.h"
#include "mobile/keitai_trim.h"
#include "mobile/mail/mail_settings.h"
#include "net/win_inet.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace korvatel
{

class TThumbNail;

// One picture ordered for the phone: its file, its quarter turns and its crop.
struct TPhonePicture {
    QString source;
    int turns = 0;
    TKeitaiCrop crop;
};
// The phone picture of a basket item: the prepared copy beside its order thumbnail when it
// exists, else the picture itself, with the item's turns and trimming.
TPhonePicture PhonePictureOf(const TThumbNail &item);

// What the customer chose in the phone steps: the address to notify and the phone's screen.
struct TPhoneChoice {
    QString address;
    QString carrier, maker, model;
    TPhoneTarget target;
};

// Where the phone pictures go: the phone server (KtFtpHost … KtFtpBaseDir), whether it is
// spoken to in passive mode, and the page address under which the base folder is reached
// (KeitaiURL).
struct TPhoneServer {
    THostRecord host;
    bool passive = false;
    QString pageBase;

    // Both the host and the page address are given; nothing is delivered without them.
    bool Complete() const
    {
        return !host.host.trimmed().isEmpty() && !pageBase.trimmed().isEmpty();
    }
};

// The folder of one delivery under the base folder: the time "yyyyMMdd-hhmmsszzz" and 32
// random hex figures (128 bits), so that nobody finds another customer's pictures by guessing.
QString PhoneFolderName(const QDateTime &now);
// The page address of a folder: pageBase + "/" + folder + "/", with no doubled "/".
QString PhonePageUrl(const QString &pageBase, const QString &folder);
// The remote name of the n-th picture (1-based): "K001.jpg" …
QString PhonePictureName(int number, int fmt);
// The page that lists the pictures for the phone's browser.
QString PhoneIndexPage(const QStringList &names);

// What a delivery came to. Only a delivery with ok set has every picture on the server.
struct TPhoneDelivery {
    bool ok = false;
    QString pageUrl;
    QStringList remoteFiles; // the pictures, then index.html
    QString error; // why it failed
};

// Converts every picture into workDir and puts them with the index page into the folder under
// the server's base folder, with the given transport settings. progress is told each picture
// done.
TPhoneDelivery DeliverPhonePictures(const TTransportSettings &transport,
    const QList<TPhonePicture> &pictures, const TPhoneTarget &target, const TPhoneServer &server,
    const QString &folder, const QString &workDir,
    const std::function<void(int done, int total)> &progress = {});

// The notice mail to the phone: by SMTP with the account and identity of the settings, or by
// the customer's mail program; SMTP with the given transport settings. *reason gets the
// failure's text. True when the mail went.
bool SendPhoneNotice(const TTransportSettings &transport, const TMailSettings &settings,
    const QString &address, const QString &pageUrl, const QDateTime &now,
    QString *reason = nullptr);

} // namespace korvatel
