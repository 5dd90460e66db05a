// Release manifests from arbitrary bytes: the reader accepts or refuses without a crash, and
// what it accepts writes back to a text that reads the same.
#include "net/release_manifest.h"
#include "net/signature.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    // The same bytes as a signature file: never verifies with a key that is no key.
    VerifyDetachedSignature(text, text, { QString::fromLatin1(text.left(80)) });
    const std::optional<TReleaseManifest> manifest = ParseReleaseManifest(text);
    if (!manifest)
        return 0;
    const std::optional<TReleaseManifest> again
        = ParseReleaseManifest(ReleaseManifestText(*manifest));
    if (!again || again->name != manifest->name || again->version != manifest->version
        || again->build != manifest->build || again->size != manifest->size
        || again->sha256 != manifest->sha256)
        std::abort();
    return 0;
}
