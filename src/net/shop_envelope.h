#pragma once

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

// The envelope a shop's distributor signs over everything the client fetches for the shop,
// served beside the shop data as "ShopEnvelope.ini" with its detached signature
// "ShopEnvelope.ini.sig" (tools/sign-release.py shop-envelope). UTF-8 lines of "Key=Value"
// (CR LF or LF):
//
//   Shop=1234                  the shop id: one to sixteen figures, once
//   Serial=7                   raised with every change, 0 … 2^53, once
//   Issued=2026-12-01          once; Expires=2027-12-01 once, not before Issued
//   Alias=demo                 an alias that leads to the shop (any number)
//   File=<64 hex> HostFmt.ini  a file's SHA-256 and its name below the shop's folder
//                              ("Plates/CardPlates.ini", "Campus/master.ini"), each name once
//
// Other keys are ignored, so that later envelopes may say more.
struct TShopEnvelope {
    QString shopId;
    qint64 serial = 0;
    QDate issued, expires;
    QStringList aliases;
    QHash<QString, QByteArray> files; // name -> 32-byte digest

    // Whether bytes are the file the envelope lists under name.
    bool Covers(const QString &name, const QByteArray &bytes) const;
};

inline constexpr const char *kShopEnvelopeFileName = "ShopEnvelope.ini";
// Larger envelopes are refused unread; more files are refused too.
inline constexpr qsizetype kMaxShopEnvelopeSize = 128 * 1024;
inline constexpr int kMaxShopEnvelopeFiles = 1000;

// The envelope of text; nullopt when any rule above is broken.
std::optional<TShopEnvelope> ParseShopEnvelope(const QByteArray &text);

// What the client expects of an envelope it fetched.
struct TEnvelopeExpectation {
    QString key; // the shop data key of servers.ini
    QString shopId; // the id asked for
    QString alias; // the alias the id was looked up by; empty when none
    qint64 lastSerial = -1; // the highest serial accepted before for the shop; -1: none
    QDate today;
};

// The verdict on a fetched envelope: the envelope when it was accepted, else why not, as the
// fetch log's words ("NoEnvelopeNG", "UnsignedNG", "SignNG", "FormatNG", "ShopIdNG", "SerialNG",
// "ExpiredNG", "AliasNG") with what was found.
struct TEnvelopeCheck {
    std::optional<TShopEnvelope> envelope;
    QString refusal;
    QString found;
    // The fetch log line of a refusal on the given server: "SerialNG:Server1.ShopEnvelope.ini(3)".
    QString LogLine(int server) const;
};
// Checks text (nullopt: none was served) against its signature file and the expectation.
TEnvelopeCheck CheckShopEnvelope(const std::optional<QByteArray> &text,
    const std::optional<QByteArray> &signature, const TEnvelopeExpectation &expected);

// The download folder keeps the envelope last accepted (with its signature, so that it is
// checked again wherever it is read) and, in "ShopSerial.ini", the highest serial accepted for
// each shop id; the serial never goes down, whatever the fetch.
qint64 LastShopSerial(const QString &downloadDir, const QString &shopId);
bool KeepShopEnvelope(const QString &downloadDir, const QString &shopId, qint64 serial,
    const QByteArray &text, const QByteArray &signature);
void ForgetShopEnvelope(const QString &downloadDir);

// What the later fetches for a shop (card plates and prices, the campus lists) are checked
// against: nothing without a key; with a key, the envelope kept by the last shop data fetch,
// checked again (signature, shop id, serial, expiry). Without an accepted envelope a keyed shop's
// files are all refused.
class TShopTrust
{
public:
    static TShopTrust Load(const QString &key, const QString &downloadDir, const QString &shopId);
    static TShopTrust Unkeyed() { return {}; }
    bool Accepts(const QString &name, const QByteArray &bytes) const;
    // The same for a downloaded file, read (up to maxSize) only when there is a key.
    bool AcceptsFile(const QString &name, const QString &path, qint64 maxSize) const;

private:
    bool FKeyed = false;
    std::optional<TShopEnvelope> FEnvelope;
};

} // namespace korvatel
