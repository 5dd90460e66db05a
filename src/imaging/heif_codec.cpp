#include "imaging/heif_codec.h"

#include <QFile>
#include <QtEndian>
#include <dlfcn.h>
#include <libheif/heif.h>
#include <memory>
#include <mutex>

namespace korvatel
{

namespace
{

// The functions of libheif the reader calls, looked up by name in the opened library. The
// header gives their types only; nothing here links against libheif.
struct THeifApi {
    decltype(&heif_context_alloc) context_alloc = nullptr;
    decltype(&heif_context_free) context_free = nullptr;
    decltype(&heif_context_read_from_memory_without_copy) read_from_memory = nullptr;
    decltype(&heif_context_read_from_file) read_from_file = nullptr;
    decltype(&heif_context_get_primary_image_handle) primary_image_handle = nullptr;
    decltype(&heif_image_handle_get_width) handle_width = nullptr;
    decltype(&heif_image_handle_get_height) handle_height = nullptr;
    decltype(&heif_image_handle_release) handle_release = nullptr;
    decltype(&heif_image_handle_get_list_of_metadata_block_IDs) metadata_ids = nullptr;
    decltype(&heif_image_handle_get_metadata_size) metadata_size = nullptr;
    decltype(&heif_image_handle_get_metadata) metadata = nullptr;
    decltype(&heif_decoding_options_alloc) options_alloc = nullptr;
    decltype(&heif_decoding_options_free) options_free = nullptr;
    decltype(&heif_decode_image) decode_image = nullptr;
    decltype(&heif_image_get_width) image_width = nullptr;
    decltype(&heif_image_get_height) image_height = nullptr;
    decltype(&heif_image_get_bits_per_pixel) image_bits = nullptr;
    decltype(&heif_image_get_plane_readonly) image_plane = nullptr;
    decltype(&heif_image_release) image_release = nullptr;
};

struct THeifLibrary {
    std::mutex mutex;
    QByteArray fileName = "libheif.so.1";
    bool tried = false;
    bool usable = false;
    THeifApi api;
};

// An Exif block is far smaller than this even with a large preview in it.
constexpr std::size_t kMaxExifBlock = 4 * 1024 * 1024;

THeifLibrary &Library()
{
    static THeifLibrary library;
    return library;
}

template <class F> bool Find(void *handle, const char *name, F &function)
{
    function = reinterpret_cast<F>(dlsym(handle, name));
    return function != nullptr;
}

bool Open(THeifLibrary &library)
{
    // RTLD_LOCAL keeps libheif's codecs (libde265, libaom, dav1d, x265) out of the program's
    // own symbol lookups.
    void *handle = dlopen(library.fileName.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    THeifApi &api = library.api;
    const bool found = Find(handle, "heif_context_alloc", api.context_alloc)
        && Find(handle, "heif_context_free", api.context_free)
        && Find(handle, "heif_context_read_from_memory_without_copy", api.read_from_memory)
        && Find(handle, "heif_context_read_from_file", api.read_from_file)
        && Find(handle, "heif_context_get_primary_image_handle", api.primary_image_handle)
        && Find(handle, "heif_image_handle_get_width", api.handle_width)
        && Find(handle, "heif_image_handle_get_height", api.handle_height)
        && Find(handle, "heif_image_handle_release", api.handle_release)
        && Find(handle, "heif_image_handle_get_list_of_metadata_block_IDs", api.metadata_ids)
        && Find(handle, "heif_image_handle_get_metadata_size", api.metadata_size)
        && Find(handle, "heif_image_handle_get_metadata", api.metadata)
        && Find(handle, "heif_decoding_options_alloc", api.options_alloc)
        && Find(handle, "heif_decoding_options_free", api.options_free)
        && Find(handle, "heif_decode_image", api.decode_image)
        && Find(handle, "heif_image_get_width", api.image_width)
        && Find(handle, "heif_image_get_height", api.image_height)
        && Find(handle, "heif_image_get_bits_per_pixel", api.image_bits)
        && Find(handle, "heif_image_get_plane_readonly", api.image_plane)
        && Find(handle, "heif_image_release", api.image_release);
    if (!found) {
        dlclose(handle);
        return false;
    }
    // Versions from 1.13 on want heif_init before use (it registers their decoders); older
    // ones have no such function and need none. The library stays open for the program's life.
    decltype(&heif_init) init = nullptr;
    if (Find(handle, "heif_init", init))
        init(nullptr);
    return true;
}

// The opened library's functions, or nullptr when it cannot be had.
const THeifApi *Api()
{
    THeifLibrary &library = Library();
    const std::lock_guard<std::mutex> lock(library.mutex);
    if (!library.tried) {
        library.tried = true;
        library.usable = Open(library);
    }
    return library.usable ? &library.api : nullptr;
}

// One read of a file: its context and primary picture, released in reverse order.
class THeifFile
{
public:
    explicit THeifFile(const THeifApi &api)
        : FApi(api)
    {
    }
    ~THeifFile()
    {
        if (FHandle)
            FApi.handle_release(FHandle);
        if (FContext)
            FApi.context_free(FContext);
    }
    THeifFile(const THeifFile &) = delete;
    THeifFile &operator=(const THeifFile &) = delete;

    // Reads the boxes and finds the primary picture; false when the data is not usable. The
    // data must outlive the object: libheif reads it where it lies.
    bool Open(const QByteArray &data)
    {
        if (data.isEmpty() || data.size() > kMaxPictureFileSize)
            return false;
        FContext = FApi.context_alloc();
        return FContext
            && FApi.read_from_memory(FContext, data.constData(), std::size_t(data.size()), nullptr)
                   .code
            == heif_error_Ok
            && FindPrimary();
    }
    // The same on a file, which libheif opens and reads itself.
    bool OpenFile(const QString &fileName)
    {
        FContext = FApi.context_alloc();
        return FContext
            && FApi.read_from_file(FContext, QFile::encodeName(fileName).constData(), nullptr).code
            == heif_error_Ok
            && FindPrimary();
    }
    int Width() const { return FApi.handle_width(FHandle); }
    int Height() const { return FApi.handle_height(FHandle); }
    const heif_image_handle *Handle() const { return FHandle; }

private:
    bool FindPrimary()
    {
        return FApi.primary_image_handle(FContext, &FHandle).code == heif_error_Ok && FHandle;
    }

    const THeifApi &FApi;
    heif_context *FContext = nullptr;
    heif_image_handle *FHandle = nullptr;
};

struct TDecodedImage {
    const THeifApi &api;
    heif_image *image = nullptr;
    ~TDecodedImage()
    {
        if (image)
            api.image_release(image);
    }
};

struct TOptionsFree {
    const THeifApi *api;
    void operator()(heif_decoding_options *options) const { api->options_free(options); }
};

} // namespace

bool HeifReaderAvailable()
{
    return Api() != nullptr;
}

QString HeifReaderMissingText()
{
    return QStringLiteral("HEIF・AVIF の画像を読むための libheif (libheif.so.1) がありません。");
}

std::optional<TPictureSize> ReadHeifInfo(const QByteArray &data)
{
    const THeifApi *api = Api();
    if (!api)
        return std::nullopt;
    THeifFile file(*api);
    if (!file.Open(data) || file.Width() <= 0 || file.Height() <= 0)
        return std::nullopt;
    return TPictureSize { file.Width(), file.Height() };
}

std::optional<QByteArray> ReadHeifExif(const QString &fileName)
{
    const THeifApi *api = Api();
    if (!api)
        return std::nullopt;
    THeifFile file(*api);
    if (!file.OpenFile(fileName))
        return std::nullopt;
    heif_item_id id = 0;
    if (api->metadata_ids(file.Handle(), "Exif", &id, 1) < 1)
        return std::nullopt;
    const std::size_t size = api->metadata_size(file.Handle(), id);
    if (size < 4 + 8 || size > kMaxExifBlock)
        return std::nullopt;
    QByteArray block(qsizetype(size), Qt::Uninitialized);
    if (api->metadata(file.Handle(), id, block.data()).code != heif_error_Ok)
        return std::nullopt;
    // The block starts with the count of bytes between its first four and the TIFF header
    // (a writer may keep a JPEG's "Exif\0\0" there).
    const quint32 skip = qFromBigEndian<quint32>(block.constData());
    if (skip > size - 4 - 8)
        return std::nullopt;
    QByteArray tiff = block.mid(4 + qsizetype(skip));
    if (!tiff.startsWith("II") && !tiff.startsWith("MM"))
        return std::nullopt;
    return tiff;
}

TBitmap DecodeHeif(const QByteArray &data)
{
    const THeifApi *api = Api();
    if (!api)
        throw EPictureError(HeifReaderMissingText(), peUnknownKind);
    THeifFile file(*api);
    if (!file.Open(data) || file.Width() <= 0 || file.Height() <= 0)
        throw EPictureError(DamagedPictureText());
    CheckBitmapSize(file.Width(), file.Height());

    const std::unique_ptr<heif_decoding_options, TOptionsFree> options(
        api->options_alloc(), TOptionsFree { api });
    if (!options)
        throw EPictureError(QStringLiteral("Out of memory"), peOutOfMemory);
    // The library's own structure: fields past its version are not there to set.
    if (options->version >= 2)
        options->convert_hdr_to_8bit = 1;
    TDecodedImage decoded { *api };
    if (api->decode_image(file.Handle(), &decoded.image, heif_colorspace_RGB,
               heif_chroma_interleaved_RGB, options.get())
            .code
        != heif_error_Ok)
        throw EPictureError(DamagedPictureText());
    int stride = 0;
    const uint8_t *plane = api->image_plane(decoded.image, heif_channel_interleaved, &stride);
    const int width = api->image_width(decoded.image, heif_channel_interleaved);
    const int height = api->image_height(decoded.image, heif_channel_interleaved);
    if (!plane || width <= 0 || height <= 0 || stride < width * 3
        || api->image_bits(decoded.image, heif_channel_interleaved) != 24)
        throw EPictureError(DamagedPictureText());

    TBitmap bitmap;
    bitmap.SetSizeForWriter(width, height); // every row is copied below
    for (int y = 0; y < height; ++y) {
        const uint8_t *in = plane + std::size_t(y) * std::size_t(stride);
        uint8_t *out = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return bitmap;
}

void SetHeifLibraryName(const QByteArray &fileName)
{
    THeifLibrary &library = Library();
    const std::lock_guard<std::mutex> lock(library.mutex);
    library.fileName = fileName;
    library.tried = false;
    library.usable = false;
    library.api = {};
}

} // namespace korvatel
