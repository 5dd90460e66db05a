#include "net/signature.h"

#include <QIODevice>
#include <memory>
#include <openssl/evp.h>
#include <openssl/x509.h>

namespace korvatel
{

namespace
{

constexpr int kEd25519SignatureSize = 64;

struct TKeyFree {
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
struct TMdFree {
    void operator()(EVP_MD_CTX *context) const { EVP_MD_CTX_free(context); }
};
using TKey = std::unique_ptr<EVP_PKEY, TKeyFree>;
using TMdContext = std::unique_ptr<EVP_MD_CTX, TMdFree>;

TKey ReadPublicKey(const QString &text)
{
    const QByteArray der = QByteArray::fromBase64(
        text.trimmed().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (der.isEmpty() || der.size() > 256)
        return nullptr;
    const auto *bytes = reinterpret_cast<const unsigned char *>(der.constData());
    TKey key(d2i_PUBKEY(nullptr, &bytes, long(der.size())));
    if (!key || EVP_PKEY_get_id(key.get()) != EVP_PKEY_ED25519)
        return nullptr;
    return key;
}

// The 64 signature bytes of a signature file; empty when the file holds anything else.
QByteArray SignatureBytes(const QByteArray &file)
{
    if (file.size() > kMaxSignatureFileSize)
        return {};
    const QByteArray bytes
        = QByteArray::fromBase64(file.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    return bytes.size() == kEd25519SignatureSize ? bytes : QByteArray();
}

bool Verify(EVP_PKEY *key, const QByteArray &message, const QByteArray &signature)
{
    TMdContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key) != 1)
        return false;
    return EVP_DigestVerify(context.get(),
               reinterpret_cast<const unsigned char *>(signature.constData()),
               size_t(signature.size()),
               reinterpret_cast<const unsigned char *>(message.constData()), size_t(message.size()))
        == 1;
}

} // namespace

bool VerifyDetachedSignature(
    const QByteArray &message, const QByteArray &signatureFile, const QStringList &publicKeys)
{
    const QByteArray signature = SignatureBytes(signatureFile);
    if (signature.isEmpty())
        return false;
    for (const QString &text : publicKeys) {
        const TKey key = ReadPublicKey(text);
        if (key && Verify(key.get(), message, signature))
            return true;
    }
    return false;
}

bool IsSigningKey(const QString &publicKey)
{
    return ReadPublicKey(publicKey) != nullptr;
}

std::optional<QByteArray> Sha256(QIODevice &device)
{
    TMdContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        return std::nullopt;
    QByteArray chunk(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 got = device.read(chunk.data(), chunk.size());
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        if (EVP_DigestUpdate(context.get(), chunk.constData(), size_t(got)) != 1)
            return std::nullopt;
    }
    QByteArray digest(EVP_MAX_MD_SIZE, Qt::Uninitialized);
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), reinterpret_cast<unsigned char *>(digest.data()), &length)
        != 1)
        return std::nullopt;
    digest.truncate(int(length));
    return digest;
}

} // namespace korvatel
