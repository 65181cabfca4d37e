#include "io/picture/ImageLibrary.h"

#include "io/picture/AmendedFileProxy.h"
#include "io/picture/BitmapFileCheck.h"
#include "io/picture/BitmapOrientation.h"
#include "io/picture/BitmapRunLengths.h"
#include "io/picture/ExifOrientation.h"
#include "io/picture/GifFileCheck.h"
#include "io/picture/LinearLight.h"
#include "io/picture/PatchedFileProxy.h"
#include "io/picture/PictureHeader.h"
#include "io/picture/PictureFormatTable.h"
#include "io/picture/ReaderRefusal.h"
#include "io/picture/TargaAlpha.h"
#include "io/picture/TiffPlanes.h"
#include "io/picture/WebpFrameCover.h"

#include "io/picture/ImageSignatures.h"
#include "io/RegularFileReader.h"
#include "params/Rounding.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QRegion>

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <tuple>
#include <vector>

#include <sys/stat.h>

namespace {

struct FormatEntry {
    QByteArray name;
    QByteArray suffix;
    QList<QByteArray> suffixes;
    QByteArray description;
    bool readable = false;
    bool writable = false;
};

QList<QByteArray> splitList(const std::string& text, char separator)
{
    QList<QByteArray> parts;
    for (const QByteArray& part : QByteArray::fromStdString(text).split(separator)) {
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts;
}

// Built once: OpenImageIO's own order, the offered formats only. A reader the library gains (a
// newer release or a plug-in on its search path) is not offered, so no file ever reaches it.
const std::vector<FormatEntry>& formatTable()
{
    static const std::vector<FormatEntry> table = [] {
        std::vector<FormatEntry> entries;
        std::string text;
        OIIO::getattribute("format_list", text);
        const QList<QByteArray> names = splitList(text, ',');
        OIIO::getattribute("input_format_list", text);
        const QList<QByteArray> inputs = splitList(text, ',');
        OIIO::getattribute("output_format_list", text);
        const QList<QByteArray> outputs = splitList(text, ',');
        OIIO::getattribute("extension_list", text);
        QHash<QByteArray, QList<QByteArray>> suffixes;
        for (const QByteArray& item : splitList(text, ';')) {
            const int colon = item.indexOf(':');
            if (colon > 0)
                suffixes.insert(item.left(colon), item.mid(colon + 1).split(','));
        }
        for (const QByteArray& name : names) {
            const PictureFormatTable::Format* offered = PictureFormatTable::find(name);
            if (!offered)
                continue;
            FormatEntry entry;
            entry.name = name;
            entry.suffixes = suffixes.value(name);
            entry.suffix = entry.suffixes.isEmpty() ? name : entry.suffixes.first();
            entry.description = offered->description;
            entry.readable = inputs.contains(name);
            entry.writable = outputs.contains(name);
            entries.push_back(entry);
        }
        return entries;
    }();
    return table;
}

// Which file a descriptor reads, and whether it has changed since.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    time_t modified = 0;
    long modifiedNanoseconds = 0;

    bool operator==(const FileIdentity& other) const
    {
        return std::tie(device, inode, size, modified, modifiedNanoseconds)
            == std::tie(other.device, other.inode, other.size, other.modified, other.modifiedNanoseconds);
    }
};

FileIdentity identityOf(const QFile& file)
{
    struct stat status {};
    if (::fstat(file.handle(), &status) != 0)
        return FileIdentity();
    return {status.st_dev, status.st_ino, status.st_size, status.st_mtim.tv_sec, status.st_mtim.tv_nsec};
}

// The file last opened stays open, so that loading image after image of one file does not
// parse (or, for animations, decode) everything before the wanted image again. The readers
// open the checked descriptor under its own name, never the path, which may have been
// replaced (by a pipe, say) since the check.
struct OpenFile {
    QString path;
    int requestedFormat = -1;
    FileIdentity identity;
    // Declared before the reader, so that they are closed after it.
    std::unique_ptr<QFile> file;
    std::unique_ptr<OIIO::Filesystem::IOProxy> proxy;
    std::unique_ptr<OIIO::ImageInput> input;
    int formatIndex = -1;
    // The non-empty 2D images found so far, in file order: the file is walked no further than
    // a read asks, for a walk over thousands of pages costs more than reading one.
    std::vector<int> subimages;
    int walked = 0; // the library's images looked at
    bool walkedAll = false;
    WebpFrameCover webpCover;
    // A bitmap's fourth byte that the format says is no alpha.
    bool alphaIsPadding = false;
    // A Targa's fourth byte that its descriptor does not name alpha.
    bool alphaUnnamed = false;
    // Pictures shown upright as their orientation tag says: the formats whose Qt readers turn
    // them too, so that a picture stands the same way as a source, a thumbnail and dropped.
    bool orientable = false;
    // The orientation of a PNG or WebP file, read as RasterPictureReader reads it for Qt's
    // readers (which follow none); 0 for the other formats.
    int fileOrientation = 0;
};

// Guards the changes of the start count.
QMutex libraryMutex;
std::atomic<int> initCount{0};
// Each thread reads through a file of its own, so that a read stalled on one thread (a thumbnail
// on a mount that stops answering) holds no other thread's read.
thread_local OpenFile openFile;
// This thread's share of the start count.
thread_local int threadStarts = 0;
thread_local qint64 seeksBetweenImages = 0;

bool seekImage(OIIO::ImageInput& input, int subimage)
{
    if (input.current_subimage() != subimage)
        ++seeksBetweenImages;
    return input.seek_subimage(subimage, 0);
}

bool started()
{
    return initCount > 0;
}

int indexOfName(const QByteArray& name)
{
    const std::vector<FormatEntry>& formats = formatTable();
    for (size_t i = 0; i < formats.size(); ++i) {
        if (formats[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

void closeFile()
{
    // The reader first: it may still read the file under the descriptor's name.
    openFile.input.reset();
    openFile = OpenFile();
}

void setMessage(QString* message, const QString& text)
{
    if (message)
        *message = text;
}

// A message of the library about the file opened under the name `fileName`, naming it by its
// path instead.
QString libraryText(const std::string& text, const std::string& fileName, const QString& path)
{
    QString shown = QString::fromStdString(text);
    if (!fileName.empty())
        shown.replace(QString::fromStdString(fileName), path);
    return shown;
}

// The same for the file held open.
QString libraryText(const std::string& text)
{
    return openFile.file ? libraryText(text, KelUtils::RegularFileReader::descriptorPath(*openFile.file).toStdString(),
                                       openFile.path)
                         : QString::fromStdString(text);
}

// Every reader gets only files that passed its format's header check.
bool headerAllowed(const QByteArray& format, QIODevice& file, QString* reason)
{
    const PictureFormatTable::Format* offered = PictureFormatTable::find(format);
    if (!offered) {
        setMessage(reason, ImageLibrary::errorText(ImageLibrary::UnknownFormat));
        return false;
    }
    return offered->check(file, reason);
}

// What a refusal says when the reader cannot read a sound file as it is.
QString readerLimit(const QByteArray& format, const QString& text)
{
    const PictureFormatTable::Format* offered = PictureFormatTable::find(format);
    return QStringLiteral("Unsupported %1: %2").arg(offered ? offered->kind : QStringLiteral("picture"), text);
}

// Why the reader could not open the file, in the user's words; its own go to the log.
QString openFailure(OIIO::ImageInput& input, const QByteArray& format, const std::string& fileName, const QString& path,
                    QIODevice& file)
{
    return ReaderRefusal::reason(format, ReaderRefusal::Stage::Header, path, libraryText(input.geterror(), fileName, path),
                                 &file);
}

// The information of a file whose header the program read, its reader never opened.
struct HeaderOnly {
    int formatIndex = -1;
    OIIO::ImageSpec spec;
};

ImageLibrary::Error readHeaderOnly(QIODevice& file, const QString& path, int formatIndex, HeaderOnly* headerOnly,
                                   QString* message)
{
    const QByteArray& format = formatTable()[formatIndex].name;
    // Its reader refuses to open a GIF of no colours: so is it refused here, in the same words.
    if (format == "gif" && GifFileCheck::lacksColourTable(file)) {
        setMessage(message, ReaderRefusal::reason(format, ReaderRefusal::Stage::Header, path, QString(), &file));
        return ImageLibrary::FileReadError;
    }
    if (!PictureHeader::read(format, file, &headerOnly->spec)) {
        setMessage(message, ImageLibrary::errorText(ImageLibrary::FileReadError));
        return ImageLibrary::FileReadError;
    }
    headerOnly->formatIndex = formatIndex;
    return ImageLibrary::NoError;
}

// Offers the file to the readers of the format list only, the ones its suffix names first,
// and opens it with the first that takes it. (The library's own search would try every reader
// it has, those not offered too.) Only readers whose signature the file's first bytes match
// are asked, and readers of formats without one only when the suffix names them; the first whose
// header check passes reads it, or none does. With `headerFormat`, a file of a format whose header
// the program reads is not opened: its format's index goes there.
std::unique_ptr<OIIO::ImageInput> openByContent(QIODevice& file, const std::string& fileName, const QString& path,
                                                const QByteArray& head, const OIIO::ImageSpec& config,
                                                const std::function<void()>& beforeOpen, QString* message,
                                                int* headerFormat = nullptr)
{
    const std::vector<FormatEntry>& formats = formatTable();
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    auto candidate = [&](const FormatEntry& format, bool named) {
        return format.readable
            && (ImageSignatures::isKnown(format.name) ? ImageSignatures::matches(format.name, head) : named);
    };
    std::vector<size_t> order;
    for (size_t i = 0; i < formats.size(); ++i) {
        if (formats[i].suffixes.contains(suffix) && candidate(formats[i], true))
            order.push_back(i);
    }
    for (size_t i = 0; i < formats.size(); ++i) {
        if (!formats[i].suffixes.contains(suffix) && candidate(formats[i], false))
            order.push_back(i);
    }
    std::string error;
    bool errorBySignature = false;
    for (size_t index : order) {
        QString damage;
        if (!headerAllowed(formats[index].name, file, &damage)) {
            // What the check of a format whose signature the file bears found says more than
            // what the check of the format its name only suggests found.
            const bool bySignature = ImageSignatures::matches(formats[index].name, head);
            if (error.empty() || (bySignature && !errorBySignature)) {
                error = damage.toStdString();
                errorBySignature = bySignature;
            }
            continue;
        }
        if (headerFormat && PictureHeader::readsFormat(formats[index].name)) {
            *headerFormat = int(index);
            return nullptr;
        }
        std::unique_ptr<OIIO::ImageInput> input = OIIO::ImageInput::create(formats[index].name.toStdString());
        // A reader whose signature the file bears is not asked whether the file is its own: its
        // answer would be a bare no, where its open says why it cannot read the file.
        if (!input || (!ImageSignatures::matches(formats[index].name, head) && !input->valid_file(fileName))) {
            if (input)
                (void)input->geterror();
            continue;
        }
        // The reader whose check passed is the only one that opens the file.
        beforeOpen();
        OIIO::ImageSpec spec;
        if (input->open(fileName, spec, config))
            return input;
        (void)OIIO::geterror();
        setMessage(message, openFailure(*input, formats[index].name, fileName, path, file));
        return nullptr;
    }
    (void)OIIO::geterror();
    setMessage(message, error.empty() ? ImageLibrary::errorText(ImageLibrary::UnknownFormat)
                                      : libraryText(error, fileName, path));
    return nullptr;
}

// The images of a file looked at, at most.
constexpr int maxImages = 65536;

// Walks the open file on until `count` images are found or it holds no more; true when found.
bool findImages(int count)
{
    OIIO::ImageInput& input = *openFile.input;
    while (static_cast<int>(openFile.subimages.size()) < count && !openFile.walkedAll) {
        const int s = openFile.walked;
        if (s >= maxImages || !seekImage(input, s)) {
            (void)input.geterror(); // the failed seek past the last image is no error
            openFile.walkedAll = true;
            break;
        }
        ++openFile.walked;
        const OIIO::ImageSpec& spec = input.spec();
        if (spec.width > 0 && spec.height > 0 && spec.depth <= 1 && !spec.deep && spec.nchannels > 0)
            openFile.subimages.push_back(s);
    }
    return static_cast<int>(openFile.subimages.size()) >= count;
}

// Opens the file (or reuses the one this thread holds open). With `headerOnly`, a file of a format
// whose header the program reads is not opened but its header read into it.
ImageLibrary::Error openImageFile(const QString& path, int formatIndex, QString* message,
                                  HeaderOnly* headerOnly = nullptr)
{
    if (!started()) {
        setMessage(message, ImageLibrary::errorText(ImageLibrary::NotInitialised));
        return ImageLibrary::NotInitialised;
    }
    const std::vector<FormatEntry>& formats = formatTable();
    if (formatIndex >= static_cast<int>(formats.size()) || formatIndex < -1) {
        setMessage(message, ImageLibrary::errorText(ImageLibrary::BadFormatIndex));
        return ImageLibrary::BadFormatIndex;
    }
    auto file = std::make_unique<QFile>();
    QString reason;
    KelUtils::RegularFileReader::Refusal refusal = KelUtils::RegularFileReader::Refusal::None;
    if (!KelUtils::RegularFileReader::open(path, -1, file.get(), &reason, &refusal)) {
        closeFile();
        setMessage(message, refusal == KelUtils::RegularFileReader::Refusal::Missing ? ReaderRefusal::missing() : reason);
        return ImageLibrary::FileOpenError;
    }
    const FileIdentity identity = identityOf(*file);
    if (openFile.input && openFile.path == path && openFile.requestedFormat == formatIndex
        && openFile.identity == identity)
        return ImageLibrary::NoError;

    closeFile();
    QString damage;
    OIIO::ImageSpec config;
    // Qt images hold straight alpha; most readers premultiply unless told otherwise.
    config.attribute("oiio:UnassociatedAlpha", 1);
    // The bitmap reader writes the rows of a grey palette as RGB when they are run-length coded:
    // a spec of three channels says what it writes, whichever way they are stored.
    config.attribute("bmp:monochrome_detect", 0);
    const std::string fileName = KelUtils::RegularFileReader::descriptorPath(*file).toStdString();
    // What the reader is shown of the file, built only once a reader is to open it: finding a
    // run-length bitmap's last row reads all its codes.
    std::unique_ptr<OIIO::Filesystem::IOProxy> proxy;
    auto showFile = [&] {
        // Most writers end the last run-length row with an end of line, which that reader takes for
        // a code past the picture: it is shown the end of the bitmap there, which that code means.
        // Where the file needs it (a GIF's screen, a TIFF's strips), the reader is shown it patched.
        const qint64 lastRowEnd = BitmapRunLengths::lastRowEnd(*file);
        if (lastRowEnd >= 0)
            proxy = std::make_unique<AmendedFileProxy>(file->handle(), file->size(), lastRowEnd + 1, 1);
        else if (ReaderFilePatch patch = ReaderFilePatch::of(*file); !patch.isEmpty())
            proxy = std::make_unique<PatchedFileProxy>(file->handle(), file->size(), std::move(patch), fileName);
        if (proxy) {
            OIIO::Filesystem::IOProxy* shown = proxy.get();
            config.attribute("oiio:ioproxy", OIIO::TypeDesc::PTR, &shown);
        }
    };
    std::unique_ptr<OIIO::ImageInput> input;
    if (formatIndex >= 0) {
        if (!headerAllowed(formats[formatIndex].name, *file, &damage)) {
            setMessage(message, damage);
            return ImageLibrary::FileReadError;
        }
        if (headerOnly && PictureHeader::readsFormat(formats[formatIndex].name))
            return readHeaderOnly(*file, path, formatIndex, headerOnly, message);
        showFile();
        input = OIIO::ImageInput::create(formats[formatIndex].name.toStdString());
        OIIO::ImageSpec spec;
        if (input && !input->open(fileName, spec, config)) {
            setMessage(message, openFailure(*input, formats[formatIndex].name, fileName, path, *file));
            return ImageLibrary::FileReadError;
        }
    } else {
        file->seek(0);
        const QByteArray head = file->read(ImageSignatures::headBytes);
        int headerFormat = -1;
        input = openByContent(*file, fileName, path, head, config, showFile, message,
                              headerOnly ? &headerFormat : nullptr);
        if (!input && headerFormat >= 0)
            return readHeaderOnly(*file, path, headerFormat, headerOnly, message);
        if (!input)
            return ImageLibrary::FileReadError;
    }
    if (!input) {
        setMessage(message, ReaderRefusal::reason(formatIndex >= 0 ? formats[formatIndex].name : QByteArray(),
                                                  ReaderRefusal::Stage::Header, path,
                                                  libraryText(OIIO::geterror(), fileName, path)));
        return ImageLibrary::FileReadError;
    }
    const int index = indexOfName(QByteArray(input->format_name()));
    if (index < 0) {
        setMessage(message, ImageLibrary::errorText(ImageLibrary::UnknownFormat));
        return ImageLibrary::UnknownFormat;
    }
    WebpFrameCover webpCover;
    if (formats[index].name == "webp")
        webpCover = WebpFrameCover::read(*file);
    openFile.path = path;
    openFile.requestedFormat = formatIndex;
    openFile.identity = identity;
    openFile.file = std::move(file);
    openFile.proxy = std::move(proxy);
    openFile.input = std::move(input);
    openFile.formatIndex = index;
    openFile.webpCover = std::move(webpCover);
    openFile.alphaIsPadding = formats[index].name == "bmp" && !BitmapFileCheck::hasAlpha(*openFile.file);
    openFile.alphaUnnamed = formats[index].name == "targa" && TargaAlpha::isUnnamed(*openFile.file);
    openFile.orientable = formats[index].name == "jpeg" || formats[index].name == "tiff";
    if (formats[index].name == "png" || formats[index].name == "webp")
        openFile.fileOrientation = ExifOrientation::of(formats[index].name, *openFile.file);
    if (!findImages(1)) {
        closeFile();
        setMessage(message, QStringLiteral("The file holds no image"));
        return ImageLibrary::FileReadError;
    }
    return ImageLibrary::NoError;
}

int resolutionToDpi(const OIIO::ImageSpec& spec, const char* name)
{
    const float value = spec.get_float_attribute(name, 0.0f);
    const std::string unit = spec.get_string_attribute("ResolutionUnit", "in");
    if (!(value > 0.0f) || unit == "none")
        return 72;
    const double dpi = (unit == "cm") ? value * 2.54 : value;
    // Clamped before rounding: a forged resolution may lie far outside int.
    return KelUtils::roundHalfUpToInt(std::clamp(dpi, 1.0, 1000000.0));
}

int orientationOf(const OIIO::ImageSpec& spec)
{
    if (openFile.fileOrientation > 0)
        return openFile.fileOrientation;
    return openFile.orientable ? BitmapOrientation::of(spec.get_int_attribute("Orientation", 1)) : 1;
}

void fillInformation(const OIIO::ImageSpec& spec, ImageLibrary::FileInformation* information)
{
    if (!information)
        return;
    information->numberOfImages = static_cast<int>(openFile.subimages.size());
    information->formatName = formatTable()[openFile.formatIndex].name;
    const QSize size = BitmapOrientation::upright(QSize(spec.width, spec.height), orientationOf(spec));
    information->width = size.width();
    information->height = size.height();
    information->xDpi = resolutionToDpi(spec, "XResolution");
    information->yDpi = resolutionToDpi(spec, "YResolution");
}

// The layout a file's pixels are packed into: `wanted` when it is BGRA, else the one closest
// to the file.
int layoutOf(const OIIO::ImageSpec& spec, int channels, int wanted)
{
    if (wanted == ImageLibrary::BGRA)
        return wanted;
    const int alpha = spec.alpha_channel < channels ? spec.alpha_channel : -1;
    const bool colour = channels >= 3 && alpha != 0 && alpha != 1 && alpha != 2;
    const bool hasAlpha = colour ? alpha >= 3 : alpha == 1;
    return hasAlpha ? ImageLibrary::RGBA : (colour ? ImageLibrary::RGB : ImageLibrary::Grey);
}

// Packs rows of channels as OpenImageIO read them into the bitmap from row `first` on.
void packRows(const OIIO::ImageSpec& spec, int channels, const unsigned char* rows, int first,
              int count, bool straightAlpha, ImageLibrary::Bitmap& bitmap)
{
    const int alpha = spec.alpha_channel < channels ? spec.alpha_channel : -1;
    const bool colour = channels >= 3 && alpha != 0 && alpha != 1 && alpha != 2;
    const bool hasAlpha = alpha >= 0 && (colour ? alpha >= 3 : alpha == 1);
    const bool bgra = bitmap.type == ImageLibrary::BGRA;
    for (int y = 0; y < count; ++y) {
        const unsigned char* in = rows + static_cast<size_t>(y) * spec.width * channels;
        unsigned char* out = bitmap.data + static_cast<size_t>(first + y) * bitmap.bytesPerLine;
        for (int x = 0; x < spec.width; ++x, in += channels, out += bitmap.bytesPerPixel) {
            unsigned char r = in[0];
            unsigned char g = colour ? in[1] : r;
            unsigned char b = colour ? in[2] : r;
            if (bitmap.type == ImageLibrary::Grey) {
                out[0] = r;
                continue;
            }
            const unsigned char a = hasAlpha ? in[alpha] : 255;
            if (hasAlpha && !straightAlpha && a > 0 && a < 255) {
                r = static_cast<unsigned char>(std::min(255, KelUtils::roundHalfUpToInt(r * 255.0 / a)));
                g = static_cast<unsigned char>(std::min(255, KelUtils::roundHalfUpToInt(g * 255.0 / a)));
                b = static_cast<unsigned char>(std::min(255, KelUtils::roundHalfUpToInt(b * 255.0 / a)));
            }
            out[0] = bgra ? b : r;
            out[1] = g;
            out[2] = bgra ? r : b;
            if (bitmap.bytesPerPixel == 4)
                out[3] = a;
        }
    }
}

// Bytes of one band of rows read at a time: the whole picture is never held twice.
constexpr qint64 bandBytes = qint64(8) << 20;
// Largest band of tiles, or single row, (as stored in the file) a picture may need.
constexpr qint64 maxTileBandBytes = qint64(256) << 20;

// Whether rows stored in this type can be converted to 8 bits. A damaged header may leave
// the type unknown, and the library's converter aborts the program on a type it lacks.
bool convertible(const OIIO::TypeDesc& type)
{
    if (type.aggregate != OIIO::TypeDesc::SCALAR || type.arraylen != 0)
        return false;
    switch (type.basetype) {
    case OIIO::TypeDesc::UINT8:
    case OIIO::TypeDesc::INT8:
    case OIIO::TypeDesc::UINT16:
    case OIIO::TypeDesc::INT16:
    case OIIO::TypeDesc::UINT32:
    case OIIO::TypeDesc::INT32:
    case OIIO::TypeDesc::HALF:
    case OIIO::TypeDesc::FLOAT:
    case OIIO::TypeDesc::DOUBLE:
        return true;
    default:
        return false;
    }
}

bool convertible(const OIIO::ImageSpec& spec)
{
    if (spec.channelformats.empty())
        return convertible(spec.format);
    return std::all_of(spec.channelformats.begin(), spec.channelformats.end(),
                       [](const OIIO::TypeDesc& type) { return convertible(type); });
}

// Converts `count` rows in the file's own format to values of `outType` of the first `channels`
// channels.
bool convertRows(const OIIO::ImageSpec& spec, int channels, const unsigned char* native, int count,
                 void* out, OIIO::TypeDesc outType = OIIO::TypeDesc::UINT8)
{
    const OIIO::stride_t pixelBytes = OIIO::stride_t(spec.pixel_bytes(true));
    const OIIO::stride_t rowBytes = pixelBytes * spec.width;
    const OIIO::stride_t outPixelBytes = OIIO::stride_t(channels * outType.size());
    const OIIO::stride_t outRowBytes = outPixelBytes * spec.width;
    if (spec.channelformats.empty())
        return OIIO::convert_image(channels, spec.width, count, 1, native, spec.format, pixelBytes,
                                   rowBytes, OIIO::AutoStride, out, outType,
                                   outPixelBytes, outRowBytes, OIIO::AutoStride);
    size_t offset = 0;
    for (int c = 0; c < channels; ++c) {
        const OIIO::TypeDesc format = spec.channelformats[size_t(c)];
        if (!OIIO::convert_image(1, spec.width, count, 1, native + offset, format, pixelBytes,
                                 rowBytes, OIIO::AutoStride, static_cast<unsigned char*>(out) + c * outType.size(),
                                 outType, outPixelBytes, outRowBytes, OIIO::AutoStride))
            return false;
        offset += format.size();
    }
    return true;
}

// The channel packRows takes as alpha, or -1.
int alphaIndexOf(const OIIO::ImageSpec& spec, int channels)
{
    const int alpha = spec.alpha_channel < channels ? spec.alpha_channel : -1;
    const bool colour = channels >= 3 && alpha != 0 && alpha != 1 && alpha != 2;
    return alpha >= 0 && (colour ? alpha >= 3 : alpha == 1) ? alpha : -1;
}

// Room past a band of rows in the file's own format for a reader that writes more of each row
// than its spec says (a grey palette bitmap it expands to RGB, say): a row of four channels of
// eight bytes, the widest pixel a reader writes.
qint64 overrunRoom(const OIIO::ImageSpec& spec, qint64 rowBytes)
{
    return std::max<qint64>(0, qint64(spec.width) * 4 * 8 - rowBytes);
}

// The rows of the strips that are read whole: a TIFF's planes stored apart, whose reader would
// otherwise read a row of each plane in turn, going back in compressed strips that cannot be
// entered but at their start. 1 for any other file.
int stripRowsToReadWhole(const OIIO::ImageSpec& spec)
{
    if (spec.tile_width > 0 || spec.get_int_attribute("tiff:PlanarConfiguration", 1) != 2)
        return 1;
    // The file's strips hold at most the picture's rows (see ReaderFilePatch).
    return std::clamp(spec.get_int_attribute("tiff:RowsPerStrip", spec.height), 1, std::max(1, spec.height));
}

// The first page's planes read side by side where the library's reader would read strips of
// more rows than a band whole (see TiffPlanes); null for any other page.
std::unique_ptr<TiffPlanes> planesOf(int subimage, const OIIO::ImageSpec& spec, int channels, int bandRows)
{
    if (subimage != 0 || formatTable()[openFile.formatIndex].name != "tiff" || !TiffPlanes::wanted(spec, bandRows))
        return nullptr;
    return TiffPlanes::open(*openFile.file, KelUtils::RegularFileReader::descriptorPath(*openFile.file).toStdString(),
                            spec, channels);
}

// Reads the image band by band straight into the bitmap. Scanline files are read in their own
// format and converted here: OpenImageIO's converting reader would hold at least 256 rows (or
// a whole forged strip) however few are asked for. Linear light is read as floats and comes to
// 8 bits through the sRGB transfer, its alpha straight. *libraryError gets the words of a reader
// other than `input` that failed.
bool readPixels(OIIO::ImageInput& input, int subimage, const OIIO::ImageSpec& spec, int channels,
                bool straightAlpha, bool linear, ImageLibrary::Bitmap& bitmap, QString* failure,
                QString* libraryError)
{
    const bool tiled = spec.tile_width > 0;
    const OIIO::TypeDesc readType = linear ? OIIO::TypeDesc::FLOAT : OIIO::TypeDesc::UINT8;
    const qint64 rowBytes = qint64(spec.width)
                            * std::max<qint64>(1, tiled ? channels * qint64(readType.size()) : qint64(spec.pixel_bytes(true)));
    int band = static_cast<int>(std::clamp<qint64>(bandBytes / rowBytes, 1, spec.height));
    const std::unique_ptr<TiffPlanes> planes = tiled ? nullptr : planesOf(subimage, spec, channels, band);
    const int pieceRows = tiled ? std::max(1, spec.tile_height) : planes ? 1 : stripRowsToReadWhole(spec);
    band = std::max(pieceRows, band / pieceRows * pieceRows);
    const size_t bandRows = size_t(std::min(band, spec.height));
    std::vector<unsigned char> rows(size_t(spec.width) * channels * bandRows);
    std::vector<float> floats(linear ? rows.size() : 0);
    void* const converted = linear ? static_cast<void*>(floats.data()) : rows.data();
    // Each row is read at its own place, so a row written too long only spills into the rows
    // read after it, and the last into the room past the band, which must stay untouched.
    const size_t bandBytesRead = tiled ? 0 : size_t(rowBytes) * bandRows;
    std::vector<unsigned char> native(tiled ? 0 : bandBytesRead + size_t(overrunRoom(spec, rowBytes)));
    for (int first = 0; first < spec.height; first += band) {
        const int count = std::min(band, spec.height - first);
        const int y = spec.y + first;
        // A reader that leaves part of a band unwritten leaves zeros, never an earlier band.
        std::fill(rows.begin(), rows.end(), 0);
        std::fill(native.begin(), native.end(), 0);
        std::fill(floats.begin(), floats.end(), 0.0f);
        const bool read = tiled
            ? input.read_tiles(subimage, 0, spec.x, spec.x + spec.width, y, y + count, spec.z,
                               spec.z + 1, 0, channels, readType, converted)
            : planes ? planes->read(first, count, native.data(), size_t(spec.pixel_bytes(true)), libraryError)
                     : input.read_native_scanlines(subimage, 0, y, y + count, spec.z, native.data());
        if (!read)
            return false;
        if (!tiled) {
            const auto written = native.begin() + std::ptrdiff_t(size_t(rowBytes) * size_t(count));
            if (std::any_of(written, native.end(), [](unsigned char byte) { return byte != 0; })) {
                *failure = QStringLiteral("its reader writes rows longer than the picture's");
                return false;
            }
            if (!convertRows(spec, channels, native.data(), count, converted, readType))
                return false;
        }
        if (linear)
            LinearLight::toDisplay(floats.data(), qint64(count) * spec.width, channels, alphaIndexOf(spec, channels),
                                   !straightAlpha, rows.data());
        packRows(spec, channels, rows.data(), first, count, straightAlpha || linear, bitmap);
    }
    return true;
}

// Sets what the file does not define to zeros: transparent black, or black without alpha.
void clearOutside(const QRegion& defined, ImageLibrary::Bitmap& bitmap)
{
    const QRegion undefined = QRegion(0, 0, bitmap.width, bitmap.height).subtracted(defined);
    for (const QRect& rect : undefined) {
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            std::memset(bitmap.data + qint64(y) * bitmap.bytesPerLine + qint64(rect.x()) * bitmap.bytesPerPixel, 0,
                        size_t(rect.width()) * bitmap.bytesPerPixel);
    }
}

} // namespace

void ImageLibrary::initialise()
{
    QMutexLocker lock(&libraryMutex);
    if (initCount++ == 0)
        formatTable();
    ++threadStarts;
}

void ImageLibrary::exit()
{
    QMutexLocker lock(&libraryMutex);
    if (initCount == 0)
        return;
    --initCount;
    // The file a thread read stays open for its next read only while that thread uses the library.
    if (threadStarts > 0 && --threadStarts == 0)
        closeFile();
}

bool ImageLibrary::isInitialised()
{
    QMutexLocker lock(&libraryMutex);
    return started();
}

int ImageLibrary::numberOfFormats()
{
    return isInitialised() ? static_cast<int>(formatTable().size()) : 0;
}

QByteArray ImageLibrary::formatName(int index)
{
    return index >= 0 && index < numberOfFormats() ? formatTable()[index].name : QByteArray();
}

QByteArray ImageLibrary::formatDefaultSuffix(int index)
{
    return index >= 0 && index < numberOfFormats() ? formatTable()[index].suffix : QByteArray();
}

QList<QByteArray> ImageLibrary::formatSuffixes(int index)
{
    if (index < 0 || index >= numberOfFormats())
        return {};
    FormatEntry const& entry = formatTable()[index];
    return entry.suffixes.isEmpty() ? QList<QByteArray>{entry.suffix} : entry.suffixes;
}

QByteArray ImageLibrary::formatDescription(int index)
{
    return index >= 0 && index < numberOfFormats() ? formatTable()[index].description : QByteArray();
}

bool ImageLibrary::formatIsWritable(int index)
{
    return index >= 0 && index < numberOfFormats() && formatTable()[index].writable;
}

bool ImageLibrary::formatIsReadable(int index)
{
    return index >= 0 && index < numberOfFormats() && formatTable()[index].readable;
}

int ImageLibrary::formatIndexByName(const QByteArray& name)
{
    return isInitialised() ? indexOfName(name) : -1;
}

ImageLibrary::LoadParams ImageLibrary::defaultLoadParams()
{
    return LoadParams();
}

ImageLibrary::Error ImageLibrary::loadBitmap(const QString& path, Bitmap** bitmap, const LoadParams& params,
                                             FileInformation* information, QString* message)
{
    if (bitmap)
        *bitmap = nullptr;
    try {
        const Error opened = openImageFile(path, params.formatIndex, message);
        if (opened != NoError)
            return opened;
        OIIO::ImageInput& input = *openFile.input;
        if (params.imageWanted < 0 || params.imageWanted >= maxImages || !findImages(params.imageWanted + 1)) {
            if (information && seekImage(input, openFile.subimages.front()))
                fillInformation(input.spec(), information);
            setMessage(message, errorText(BadImageIndex));
            return BadImageIndex;
        }
        const int subimage = openFile.subimages[params.imageWanted];
        if (!seekImage(input, subimage)) {
            setMessage(message, ReaderRefusal::reason(formatTable()[openFile.formatIndex].name, ReaderRefusal::Stage::Image,
                                                      path, libraryText(input.geterror()), nullptr,
                                                      params.imageWanted + 1));
            closeFile();
            return FileReadError;
        }
        OIIO::ImageSpec spec = input.spec();
        if (openFile.alphaIsPadding)
            spec.alpha_channel = -1;
        fillInformation(spec, information);
        if (!bitmap)
            return NoError;
        // Only the channels the bitmap takes: colour, and alpha wherever it sits.
        const int channels = std::min(spec.nchannels, std::max(3, spec.alpha_channel + 1));
        const qint64 pixelCount = qint64(spec.width) * spec.height;
        // The second bound keeps a band of many-channel rows within the same budget.
        if (pixelCount > maxPixels || pixelCount * channels > maxPixels * 4) {
            setMessage(message, QStringLiteral("Image too large: %1 x %2 pixels (at most %3 million)")
                                    .arg(spec.width).arg(spec.height).arg(maxPixels / 1000000));
            return BadBitmap;
        }
        if (!convertible(spec)) {
            qWarning().noquote() << QStringLiteral("The pixels of \"%1\" are of type %2")
                                        .arg(path, QString::fromStdString(spec.format.c_str()));
            setMessage(message, readerLimit(formatTable()[openFile.formatIndex].name,
                                            QStringLiteral("its pixels are of a type the program does not read")));
            return BadBitmap;
        }
        // A band of whole tiles, or one row, is held in the file's own pixel format before it
        // is converted: forged giant tiles or rows of many channels would hold the picture again.
        const qint64 nativePixel = qint64(spec.pixel_bytes(true));
        if (spec.tile_width > 0) {
            const qint64 tileRows = std::max(1, spec.tile_height);
            const qint64 bandWidth = (qint64(spec.width) + spec.tile_width - 1) / spec.tile_width * spec.tile_width;
            if (bandWidth * tileRows * nativePixel > maxTileBandBytes) {
                setMessage(message, QStringLiteral("Image tiles too large: %1 x %2 pixels")
                                        .arg(spec.tile_width).arg(spec.tile_height));
                return BadBitmap;
            }
        } else if (qint64(spec.width) * nativePixel > maxTileBandBytes) {
            setMessage(message, QStringLiteral("Image rows too large: %1 pixels of %2 bytes")
                                    .arg(spec.width).arg(nativePixel));
            return BadBitmap;
        }
        const QByteArray& format = formatTable()[openFile.formatIndex].name;
        const PictureFormatTable::Format* offered = PictureFormatTable::find(format);
        const bool straight = (offered && offered->straightAlpha)
                              || spec.get_int_attribute("oiio:UnassociatedAlpha", 0) != 0;
        std::unique_ptr<Bitmap, void (*)(Bitmap*)> out(
            allocBitmap(layoutOf(spec, channels, params.layout), spec.width, spec.height, 4), &freeBitmap);
        if (!out) {
            setMessage(message, errorText(NoMemory));
            return NoMemory;
        }
        out->xOffset = spec.x - spec.full_x;
        out->yOffset = spec.y - spec.full_y;
        // A reader that reports rows it could not read has read no picture, whatever it returned.
        (void)input.geterror();
        const bool errorIsDamage = !offered || offered->readerErrorIsDamage;
        QString failure;
        QString otherReader;
        if (!readPixels(input, subimage, spec, channels, straight, offered && offered->linearLight, *out, &failure,
                        &otherReader)
            || (errorIsDamage && input.has_error())) {
            const QString text = otherReader.isEmpty() ? libraryText(input.geterror()) : libraryText(otherReader.toStdString());
            if (!failure.isEmpty())
                setMessage(message, readerLimit(format, failure));
            else
                setMessage(message, ReaderRefusal::reason(format, ReaderRefusal::Stage::Pixels, path, text));
            closeFile();
            return FileReadError;
        }
        // The reader composes an animation's frames on a canvas it never clears.
        if (openFile.webpCover.isAnimation())
            clearOutside(openFile.webpCover.covered(QRect(0, 0, spec.width, spec.height), subimage), *out);
        if (openFile.alphaUnnamed)
            TargaAlpha::settle(*out);
        const int orientation = orientationOf(spec);
        if (orientation != 1) {
            const QSize canvas = spec.full_width > 0 && spec.full_height > 0 ? QSize(spec.full_width, spec.full_height)
                                                                             : QSize(spec.width, spec.height);
            const QRect placed = BitmapOrientation::upright(QRect(out->xOffset, out->yOffset, out->width, out->height),
                                                            canvas, orientation);
            out.reset(BitmapOrientation::upright(*out, orientation));
            if (!out) {
                setMessage(message, errorText(NoMemory));
                return NoMemory;
            }
            out->xOffset = placed.x();
            out->yOffset = placed.y();
        }
        *bitmap = out.release();
        return NoError;
    } catch (const std::bad_alloc&) {
        closeFile();
        setMessage(message, errorText(NoMemory));
        return NoMemory;
    } catch (const std::exception& e) {
        const QByteArray format = openFile.input ? formatTable()[openFile.formatIndex].name : QByteArray();
        closeFile();
        setMessage(message, ReaderRefusal::reason(format, ReaderRefusal::Stage::Pixels, path, QString::fromUtf8(e.what())));
        return FileReadError;
    }
}

ImageLibrary::Error ImageLibrary::fileInformation(const QString& path, int formatIndex,
                                                  FileInformation* information, QString* message)
{
    try {
        HeaderOnly header;
        const Error opened = openImageFile(path, formatIndex, message, &header);
        if (opened != NoError)
            return opened;
        if (header.formatIndex >= 0) {
            if (information) {
                const OIIO::ImageSpec& spec = header.spec;
                information->numberOfImages = 1;
                information->formatName = formatTable()[header.formatIndex].name;
                const QSize size = BitmapOrientation::upright(
                    QSize(spec.width, spec.height), BitmapOrientation::of(spec.get_int_attribute("Orientation", 1)));
                information->width = size.width();
                information->height = size.height();
                information->xDpi = resolutionToDpi(spec, "XResolution");
                information->yDpi = resolutionToDpi(spec, "YResolution");
                information->fromHeader = true;
            }
            return NoError;
        }
    } catch (const std::bad_alloc&) {
        closeFile();
        setMessage(message, errorText(NoMemory));
        return NoMemory;
    }
    // The file is open now: its reader answers.
    LoadParams params = defaultLoadParams();
    params.formatIndex = formatIndex;
    return loadBitmap(path, nullptr, params, information, message);
}

void ImageLibrary::closeFileOtherThan(const QString& path)
{
    if (openFile.input && openFile.path != path)
        closeFile();
}

qint64 ImageLibrary::imageSeeks()
{
    return seeksBetweenImages;
}

int ImageLibrary::bytesPerPixelOf(int type)
{
    switch (type) {
    case Grey:
    case Colors:
        return 1;
    case RGB:
    case BGR:
        return 3;
    case RGBA:
    case ABGR:
    case BGRA:
    case ARGB:
    case CMYK:
        return 4;
    default:
        return 0; // packed bits, or a type without a layout
    }
}

namespace {

ImageLibrary::PixelAllocate s_pixelAllocate = nullptr;
ImageLibrary::PixelRelease s_pixelRelease = nullptr;

} // namespace

void ImageLibrary::setPixelMemory(PixelAllocate allocate, PixelRelease release)
{
    s_pixelAllocate = allocate;
    s_pixelRelease = release;
}

ImageLibrary::Bitmap* ImageLibrary::allocBitmap(int type, int width, int height, int linePadding)
{
    if (width <= 0 || height <= 0 || qint64(width) * height > maxPixels || linePadding <= 0)
        return nullptr;
    const int bytesPerPixel = bytesPerPixelOf(type);
    qint64 lineBytes = type == Binary ? (qint64(width) + 7) / 8 : qint64(width) * bytesPerPixel;
    if (lineBytes == 0)
        return nullptr;
    lineBytes = (lineBytes + linePadding - 1) / linePadding * linePadding;
    auto* bitmap = new (std::nothrow) Bitmap;
    if (!bitmap)
        return nullptr;
    bitmap->data = s_pixelAllocate ? s_pixelAllocate(lineBytes * height)
                                   : new (std::nothrow) unsigned char[static_cast<size_t>(lineBytes * height)]();
    bitmap->colorMap = type == Colors ? new (std::nothrow) ColorMap() : nullptr;
    if (!bitmap->data || (type == Colors && !bitmap->colorMap)) {
        freeBitmap(bitmap);
        return nullptr;
    }
    bitmap->type = type;
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bytesPerLine = static_cast<int>(lineBytes);
    bitmap->bytesPerPixel = bytesPerPixel;
    return bitmap;
}

void ImageLibrary::freeBitmap(Bitmap* bitmap)
{
    if (!bitmap)
        return;
    if (!(s_pixelRelease && bitmap->data && s_pixelRelease(bitmap->data)))
        delete[] bitmap->data;
    delete bitmap->colorMap;
    delete bitmap;
}

QString ImageLibrary::errorText(Error error)
{
    switch (error) {
    case NoError:
        return QStringLiteral("No error");
    case FileOpenError:
        return QStringLiteral("The file cannot be opened");
    case FileReadError:
        return QStringLiteral("The file cannot be read");
    case NoMemory:
        return QStringLiteral("Not enough memory");
    case UnknownFormat:
        return QStringLiteral("Unknown image format");
    case BadBitmap:
        return QStringLiteral("Unsupported image");
    case BadFormatIndex:
        return QStringLiteral("No format of that index");
    case BadImageIndex:
        return QStringLiteral("No image of that index in the file");
    case NotInitialised:
        return QStringLiteral("The image library is not started");
    }
    return QString();
}
