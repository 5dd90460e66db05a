#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class QIODevice;

namespace korvatel
{

// Detached Ed25519 signatures as the distributor's tool (tools/sign-release.py) makes them: the
// signature file beside the signed file holds the base64 text of the 64-byte signature on one
// line. A public key is the base64 text of its DER form, the body of a PEM "PUBLIC KEY".

// Larger signature files are refused unread.
inline constexpr qsizetype kMaxSignatureFileSize = 1024;

// True when signatureFile (the contents of a signature file) is a valid signature of message by
// one of publicKeys. Keys that are not Ed25519 public keys never verify anything.
bool VerifyDetachedSignature(
    const QByteArray &message, const QByteArray &signatureFile, const QStringList &publicKeys);

// Whether publicKey reads as an Ed25519 public key.
bool IsSigningKey(const QString &publicKey);

// The SHA-256 digest (32 bytes) of what is left to read on an open device; nullopt when a read
// fails.
std::optional<QByteArray> Sha256(QIODevice &device);

} // namespace korvatel
