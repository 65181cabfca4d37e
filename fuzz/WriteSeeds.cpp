// Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/ (the folder given as
// the only argument): small real files made by the program's own code and the tests'
// fixtures, and the smallest forms of the faults the loaders were mended for.

#include "FuzzSupport.h"
#include "SampleContainer.h"

#include "app/HostileDrags.h"
#include "app/HostileFiles.h"
#include "app/HostilePictures.h"
#include "app/LibraryFormatHeaders.h"
#include "app/TemplateStoreTestSupport.h"
#include "io/XmlDocumentMutations.h"

#include "app/GflAdapter.h"
#include "app/ItemModelDragData.h"
#include "app/KelTemplate.h"
#include "app/TwTemplateContainer.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeDescriptor.h"
#include "params/BinaryData.h"
#include "params/NumGroupParameter.h"
#include "params/ParamType.h"
#include "io/XmlDocumentDepth.h"
#include "web/refserver/ReferenceServer.h"
#include "web/refserver/SampleTemplates.h"
#include "web/DownloadLumoraMethod.h"
#include "web/DownloadLumoraXMLContentMethod.h"
#include "web/DownloadNLPXmlContentMethod.h"
#include "web/GetFirstLumoraMethod.h"
#include "web/GetFirstNLPExtensionMethod.h"
#include "web/GetNextLumoraMethod.h"
#include "web/Json.h"
#include "web/LoginMethod.h"
#include "web/SearchLumoraMethod.h"
#include "web/UploadLumoraMethod.h"

#include <QDir>
#include <QDomDocument>
#include <QEventLoop>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSet>
#include <QTreeWidget>
#include <QXmlStreamReader>

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

QString s_root;
int s_written = 0;

void put(QString const& target, QString const& name, QByteArray const& bytes)
{
    const QString folder = s_root + QLatin1Char('/') + target;
    QDir().mkpath(folder);
    QFile file(folder + QLatin1Char('/') + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        exit(1);
    }
    ++s_written;
}

QByteArray readAll(QString const& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString fileNameOf(QString text)
{
    return text.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
}

// --- documents edited by hand, and the document gate's faults in small -------------------

void writeDocumentGateSeeds(QString const& target, QByteArray const& document)
{
    for (auto const& [name, edited] : XmlDocumentMutations::editedOnce(document))
        put(target, QStringLiteral("edit-%1.xml").arg(name), edited);
    // What the attribute count once took for attributes.
    put(target, QStringLiteral("edit-banner-6000.xml"), "<!-- " + QByteArray(6000, '=') + " -->\n" + document);
    // A text of one token, an entity referred to in a run, elements of many attributes each.
    QByteArray longToken = document;
    longToken.insert(longToken.lastIndexOf("</"), "<!--" + QByteArray(1 << 12, '-').replace("--", "- ") + "-->");
    put(target, QStringLiteral("fault-long-token.xml"), longToken);
    put(target, QStringLiteral("fault-entity-run.xml"),
        "<!DOCTYPE graph [<!ENTITY e \"" + QByteArray(4000, 'e') + "\">]><graph>"
            + QByteArray("&e;").repeated(64) + "</graph>");
    put(target, QStringLiteral("fault-attribute-storm.xml"), HostileFiles::attributeStorm(6, 120));
}

// --- graph documents ---------------------------------------------------------------------

QByteArray storedRoot(KelVyxNodes::VyxNodeGraph& root)
{
    std::unique_ptr<QDomDocument> document(root.store(root.nodes(), false, true, false));
    return document->toByteArray(1);
}

void writeGraphSeeds()
{
    QImage bootstrap(2, 2, QImage::Format_ARGB32);
    bootstrap.fill(0xff808080u);
    // One effect per built-in node type, the node between source and destination where the
    // template chain's terminal names fit.
    for (KelNodes::NodeDescriptor const* type : KelVyxNodes::NodeTypeRegistry::builtIns()) {
        KelVyxNodes::VyxNodeGraph root;
        KelVyxNodes::VyxNodeGraph* effect = root.addSubGraph(-1);
        effect->setUp(&bootstrap);
        KelNodes::Node* node = effect->addNode(type->typeId, -1);
        if (node) {
            effect->sourceNode()->connect(QStringLiteral("rgb"), node, QStringLiteral("inRgb"));
            node->connect(QStringLiteral("outRgb"), effect->destinationNode(), QStringLiteral("rgb"));
        }
        effect->setUp(nullptr);
        put(QStringLiteral("graph"), fileNameOf(type->typeId) + QStringLiteral(".xml"), storedRoot(root));
    }
    // Sub-graphs inside sub-graphs, with links at each level.
    KelVyxNodes::VyxNodeGraph root;
    KelVyxNodes::VyxNodeGraph* outer = root.addSubGraph(-1);
    KelVyxNodes::VyxNodeGraph* inner = outer->addSubGraph(-1);
    outer->setUp(&bootstrap);
    KelNodes::Node* inversion = inner->addNode(QStringLiteral("operator.inversion"), -1);
    if (inversion) {
        inner->sourceNode()->connect(QStringLiteral("rgb"), inversion, QStringLiteral("inRgb"));
        inversion->connect(QStringLiteral("outRgb"), inner->destinationNode(), QStringLiteral("rgb"));
    }
    outer->setUp(nullptr);
    put(QStringLiteral("graph"), QStringLiteral("nested.xml"), storedRoot(root));
    // Deeper than any document is accepted: refused before the parser sees it.
    put(QStringLiteral("graph"), QStringLiteral("fault-deep-nesting.xml"),
        HostileFiles::deepGraphDocument(KelUtils::MaxXmlDepth + 1));
    // More attributes on one element than the reader may take in.
    put(QStringLiteral("graph"), QStringLiteral("fault-attributes.xml"),
        HostileFiles::attributeFlood(KelUtils::MaxXmlAttributes + 1));
    writeDocumentGateSeeds(QStringLiteral("graph"), HostileFiles::stackedProject(2, 3));
    // A stored link that closes a cycle through every object.
    put(QStringLiteral("graph"), QStringLiteral("fault-cycle.xml"), HostileFiles::stackedProject(4, 3, true));
    // A load that makes nodes of its own, whose uids a later section stores.
    put(QStringLiteral("graph"), QStringLiteral("fault-uids-taken.xml"), HostileFiles::uidsTakenDuringALoad());
}

// --- parameter sections and payloads -----------------------------------------------------

void writeParameterSeeds()
{
    for (bool embed : {false, true}) {
        FuzzSupport::SampleContainer sample;
        QDomDocument document;
        QDomElement root = document.createElement(QStringLiteral("nodes"));
        document.appendChild(root);
        sample.container.storeState(document, root, false, embed);
        put(QStringLiteral("params"), embed ? QStringLiteral("section-embedded.xml")
                                            : QStringLiteral("section.xml"),
            document.toByteArray(1));
    }
    put(QStringLiteral("params"), QStringLiteral("payload.bin"),
        KelUtils::compressBinaryData(QByteArray("payload bytes of a stored parameter")));
    put(QStringLiteral("params"), QStringLiteral("fault-deep-nesting.xml"),
        HostileFiles::deepGraphDocument(KelUtils::MaxXmlDepth + 1));
    FuzzSupport::SampleContainer sample;
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("nodes"));
    document.appendChild(root);
    sample.container.storeState(document, root, false, true);
    writeDocumentGateSeeds(QStringLiteral("params"), document.toByteArray(1));
}

// --- template files ----------------------------------------------------------------------

void writeTemplateSeeds()
{
    using StoreTest::TemplateContent;
    const QString uuid = QStringLiteral("{a0000000-0000-4000-8000-000000000002}");
    put(QStringLiteral("template"), QStringLiteral("filter.xml"),
        StoreTest::templateDocument(TemplateContent{uuid, QStringLiteral("Ant")}));
    put(QStringLiteral("template"), QStringLiteral("special-fx.xml"),
        StoreTest::templateDocument(
            TemplateContent{uuid, QStringLiteral("Bee"), QStringLiteral("Special FX")}));
    put(QStringLiteral("template"), QStringLiteral("unknown-node.xml"),
        StoreTest::templateDocument(
            TemplateContent{uuid, QStringLiteral("Sea"), QStringLiteral("Filter"), true}));
    put(QStringLiteral("template"), QStringLiteral("fault-deep-nesting.xml"),
        HostileFiles::deepGraphDocument(KelUtils::MaxXmlDepth + 1));
    // Editors of every kind a template exposes, groups at the bound of stored values.
    const QByteArray exposing = StoreTest::templateDocument(
        TemplateContent{uuid, QStringLiteral("Dee"), QStringLiteral("Filter"), false, QStringLiteral("Exposed")});
    put(QStringLiteral("template"), QStringLiteral("parameters-at-bound.xml"),
        HostileFiles::withCountedParameters(
            HostileFiles::withCountedParameters(exposing, KelUtils::ParamFloatGroup, "num_vals",
                                                KelUtils::MaxStoredGroupValues),
            KelUtils::ParamIntGroup, "num_vals", KelUtils::MaxStoredGroupValues));
    // Four groups asking for a quarter of a million values each.
    put(QStringLiteral("template"), QStringLiteral("fault-parameter-values.xml"),
        HostileFiles::withCountedParameters(exposing, KelUtils::ParamFloatGroup, "num_vals",
                                            KelUtils::MaxGroupValues, 4));
}

// --- style files -------------------------------------------------------------------------

void writeStyleSeeds()
{
    const QDir resources(QStringLiteral(VYX_SOURCE_DIR "/resources"));
    for (const QString& name : resources.entryList({QStringLiteral("styles*.xml")}, QDir::Files))
        put(QStringLiteral("style"), name, readAll(resources.filePath(name)));
    // An include of a real file and copies of earlier keys.
    put(QStringLiteral("style"), QStringLiteral("include-defined.xml"), QByteArray(R"(<kelstyle>
<include file="styles-palette.xml"/>
<group id="Sample">
  <color id="ink" rgb="#102030"/>
  <color id="copy" defined="Sample.ink"/>
  <size id="hint" width="4" height="5"/>
  <bool id="flat" value="true"/>
</group>
</kelstyle>
)"));
}

// --- images ------------------------------------------------------------------------------

bool writeWithImageLibrary(QString const& path, QByteArray const& format, int channels,
                           float xResolution = 72.0f, float yResolution = 72.0f, int tile = 0,
                           int width = 5, int height = 4)
{
    auto output = OIIO::ImageOutput::create(format.toStdString());
    if (!output)
        return false;
    OIIO::ImageSpec spec(width, height, channels, OIIO::TypeDesc::UINT8);
    spec.tile_width = spec.tile_height = tile;
    spec.attribute("XResolution", xResolution);
    spec.attribute("YResolution", yResolution);
    spec.attribute("ResolutionUnit", "in");
    // The same bytes on every run: no clock in the files.
    spec.attribute("DateTime", "2026:01:01 00:00:00");
    if (!output->open(path.toStdString(), spec))
        return false;
    // Some writers read whole blocks past the last pixel: room to spare.
    std::vector<unsigned char> pixels(size_t(width) * height * channels + 4096);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>(i * 37);
    const bool ok = output->write_image(OIIO::TypeDesc::UINT8, pixels.data());
    return output->close() && ok;
}

void writeDictionaryFile(QString const& target, QSet<QByteArray> const& tokens);
void writeHeaderSeeds();
QByteArray smallDicom();
QByteArray smallCineon();

void writeImageSeeds()
{
    const QString scratch = FuzzSupport::scratchFolder();
    GflAdapter adapter;
    for (const GflAdapter::Format& format : adapter.supportedFormats()) {
        if (!format.writable)
            continue;
        for (int channels : {1, 3, 4}) {
            const QString name = QStringLiteral("%1-%2.%3").arg(format.name).arg(channels).arg(format.defaultSuffix);
            const QString path = scratch + QLatin1Char('/') + name;
            if (writeWithImageLibrary(path, format.name.toLatin1(), channels))
                put(QStringLiteral("image"), name, readAll(path));
            QFile::remove(path);
        }
    }
    // Tiled pictures are read a band of tiles at a time.
    for (const char* format : {"tiff", "openexr"}) {
        const QString name = QStringLiteral("tiled-%1.%2").arg(QLatin1String(format),
                                                               format[0] == 't' ? "tif" : "exr");
        const QString path = scratch + QLatin1Char('/') + name;
        if (writeWithImageLibrary(path, format, 4, 72.0f, 72.0f, 16))
            put(QStringLiteral("image"), name, readAll(path));
    }
    // HEIF and DPX pictures (and FITS, seeded below), whose readers read past a picture or ask
    // for gigabytes, must be refused.
    for (const char* format : {"heif", "dpx"}) {
        const QString refused = scratch + QStringLiteral("/refused.") + QLatin1String(format);
        if (writeWithImageLibrary(refused, format, 3))
            put(QStringLiteral("image"), QStringLiteral("fault-%1.%1").arg(QLatin1String(format)), readAll(refused));
    }
    // Icons without alpha once overran the icon reader's buffer: they must be refused.
    for (int channels : {1, 3}) {
        const QString path = scratch + QStringLiteral("/icon-%1.ico").arg(channels);
        if (writeWithImageLibrary(path, "ico", channels))
            put(QStringLiteral("image"), QStringLiteral("fault-icon-%1.ico").arg(channels), readAll(path));
    }
    // A Wavefront RLA picture with an unknown colour channel type aborted its reader.
    const QString rla = scratch + QStringLiteral("/damaged.rla");
    if (writeWithImageLibrary(rla, "rla", 3)) {
        QByteArray bytes = readAll(rla);
        bytes[18] = 0;
        bytes[19] = 9;
        put(QStringLiteral("image"), QStringLiteral("fault-rla-channel-type.rla"), bytes);
    }
    for (const char* name : {"flat.psd", "layered.psd"})
        put(QStringLiteral("image"), QString::fromLatin1(name),
            readAll(QStringLiteral(VYX_TEST_DATA_DIR "/") + QString::fromLatin1(name)));
    // ImageMagick's: layers the library cannot decode, a merged picture the program reads itself.
    for (const char* name : {"zip-flat.psd", "zip-flat-alpha.psd", "zip-grey-16.psd", "zip-layers.psd"})
        put(QStringLiteral("image"), QString::fromLatin1(name),
            readAll(QStringLiteral(VYX_TEST_DATA_DIR "/pictures/") + QString::fromLatin1(name)));

    // Above the pixel limit, refused on its header.
    put(QStringLiteral("image"), QStringLiteral("fault-bomb.png"), HostileFiles::pngBomb(16384, 16384));
    // Resolutions beyond int and infinite.
    const QString tiff = scratch + QStringLiteral("/resolution.tif");
    if (writeWithImageLibrary(tiff, "tiff", 3, 3.0e9f, INFINITY))
        put(QStringLiteral("image"), QStringLiteral("fault-resolution.tif"), readAll(tiff));
    // Rows of 16 MB, cut after the header: once read 256 rows at a time, 4 GB.
    const QString wide = scratch + QStringLiteral("/wide.bmp");
    if (writeWithImageLibrary(wide, "bmp", 4, 72.0f, 72.0f, 0, 4000000, 1))
        put(QStringLiteral("image"), QStringLiteral("fault-wide-rows.bmp"), readAll(wide).left(256));
    QFile::remove(wide);
    // An attribute the file does not hold, made at its stated size by the OpenEXR library.
    put(QStringLiteral("image"), QStringLiteral("fault-exr-attribute.exr"), HostileFiles::exrWithHugeAttribute());
    // Tiles a library opening the file makes one buffer of per thread.
    put(QStringLiteral("image"), QStringLiteral("fault-exr-tiles.exr"),
        HostileFiles::exrWithGiantTiles(readAll(s_root + QStringLiteral("/image/tiled-openexr.exr"))));
    put(QStringLiteral("image"), QStringLiteral("fault-exr-hidden-tiles.exr"),
        HostileFiles::exrHidingGiantTiles(readAll(s_root + QStringLiteral("/image/tiled-openexr.exr"))));
    put(QStringLiteral("image"), QStringLiteral("fault-exr-unended-channels.exr"),
        HostileFiles::exrHidingGiantTiles(readAll(s_root + QStringLiteral("/image/tiled-openexr.exr")), "channels", -1));
    put(QStringLiteral("image"), QStringLiteral("fault-exr-wide-compression.exr"),
        HostileFiles::exrHidingGiantTiles(readAll(s_root + QStringLiteral("/image/tiled-openexr.exr")), "compression", 0));
    put(QStringLiteral("image"), QStringLiteral("fault-exr-tile-sides.exr"),
        HostileFiles::exrWithGiantTiles(readAll(s_root + QStringLiteral("/image/tiled-openexr.exr")), true));
    // No pixel format the converter knows (it aborted the program).
    put(QStringLiteral("image"), QStringLiteral("fault-unknown-format.fits"), HostileFiles::fitsWithoutPixelFormat());
    // Damaged pixel data (the reader's own error text once leaked).
    put(QStringLiteral("image"), QStringLiteral("fault-damaged.png"), HostileFiles::damagedPng());
    writeHeaderSeeds();
}

// Headers written over their fields for the formats the library's own readers read (and
// DICOM and Cineon, which have no writer): a few sound ones of each kind, and the headers the
// readers crashed or hung on.
void writeHeaderSeeds()
{
    const QStringList wanted = {
        // Windows bitmaps: every depth uncompressed, run lengths, masks, OS/2 and version 5 headers.
        "bmp-h40-c0-b1.bmp", "bmp-h40-c0-b4.bmp", "bmp-h40-c0-b8.bmp", "bmp-h40-c0-b16.bmp", "bmp-h40-c0-b32.bmp",
        "bmp-h40-c1-b8.bmp", "bmp-h40-c2-b4.bmp", "bmp-h40-c3-b16.bmp", "bmp-h124-c3-b32.bmp", "bmp-h12-c0-b8.bmp",
        "bmp-h108-c0-b24.bmp", "bmp-height-top-down.bmp", "bmp-rle8-32-bits.bmp", "bmp-h40-c2-b24.bmp",
        // Targa: mapped, true colour, grey, with and without run lengths; the mapped 15-bit crash.
        "tga-t1-b8-m1.tga", "tga-t9-b8-m1.tga", "tga-t2-b16-m0.tga", "tga-t10-b32-m0.tga", "tga-t11-b8-m0.tga",
        "tga-t1-b15-m1.tga",
        "sgi-s0-b1-d3-c3.sgi", "sgi-s1-b1-d3-c4.sgi", "sgi-s1-b2-d2-c1.sgi", "sgi-rle-offset-past-end.sgi",
        "pnm-P1-4x3-255.pnm", "pnm-P2-4x3-255.pnm", "pnm-P3-4x3-255.pnm", "pnm-P4-4x3-255.pnm",
        "pnm-P5-4x3-65535.pnm", "pnm-P6-4x3-255.pnm", "pnm-Pf-4x3--1.0.pnm", "pnm-PF-4x3-1.0.pnm",
        "hdr-32-bit_rle_rgbe--Y_3_+X_4-flat.hdr", "hdr-32-bit_rle_rgbe--Y_3_+X_4-runs.hdr",
        "hdr-32-bit_rle_xyze-+X_4_-Y_3-runs.hdr",
        // DirectDraw Surfaces: uncompressed with masks, block compressions; a zero mask hung the
        // reader, DXT2 divided by zero.
        "dds-00000000-f41-b32.dds", "dds-00000000-f20000-b24.dds", "dds-44585431-f40-b32.dds",
        "dds-44585435-f40-b32.dds", "dds-41544932-f40-b32.dds", "dds-cube.dds", "dds-mipmaps-40.dds",
        "dds-00000000-f41-b16.dds", "dds-44585432-f40-b0.dds",
        // The formats whose readers are libraries of their own: sound fields, and those that
        // once reached a reader unbounded (a GIF screen of 23170 squared, a JPEG 2000 codestream
        // of 11585 squared, Cineon depths the reader aborted on).
        "png-c2-d8-i0.png", "png-c6-d16-i0.png", "png-c3-d4-i0.png", "png-c0-d1-i1.png", "png-sides-cap-no-data.png",
        "jpeg-mc0-p8.jpg", "jpeg-mc2-p8.jpg", "jpeg-progressive-sides-max.jpg", "jpeg-cut-in-scan.jpg",
        "tiff-p2-s3-b8.tif", "tiff-p1-s1-b16.tif", "tiff-p3-s1-b8.tif", "tiff-tiles-16.tif", "tiff-planar-2.tif",
        "tiff-compression-5.tif", "tiff-compression-8.tif", "tiff-one-strip-at-cap.tif",
        "gif-sound.gif", "gif-small-frame-on-large-screen.gif", "gif-screen-23170.gif", "gif-screen-23170.tga",
        "webp-sound.webp", "webp-canvas-past-cap.webp", "webp-lossless-data-damaged.webp",
        "former-jpeg2000-11585.jp2", "former-jpeg2000-11585.tga", "former-cineon-3-bits-packing-0.cin",
        "former-cineon-13-bits-packing-5.tga"};
    QList<PictureHeaders::Case> all = PictureHeaders::bitmaps();
    for (QList<PictureHeaders::Case> const& group : {PictureHeaders::targas(), PictureHeaders::sgis(), PictureHeaders::pnms(),
                                                     PictureHeaders::hdrs(), PictureHeaders::ddss(), PictureHeaders::pngs(),
                                                     PictureHeaders::jpegs(), PictureHeaders::tiffs(), PictureHeaders::gifs(),
                                                     PictureHeaders::webps(), PictureHeaders::formerReaders()})
        all += group;
    QSet<QString> found;
    for (PictureHeaders::Case const& c : std::as_const(all)) {
        if (!wanted.contains(c.name) || found.contains(c.name))
            continue;
        found.insert(c.name);
        const bool fault = c.name.contains(QLatin1String("rle8-32")) || c.name.startsWith(QLatin1String("former-"))
                           || c.name.contains(QLatin1String("23170")) || c.name == QLatin1String("tga-t1-b15-m1.tga")
                           || c.name == QLatin1String("bmp-h40-c2-b24.bmp") || c.name == QLatin1String("dds-00000000-f41-b16.dds")
                           || c.name == QLatin1String("dds-44585432-f40-b0.dds");
        put(QStringLiteral("image"), (fault ? QStringLiteral("fault-") : QString()) + c.name, c.bytes);
    }
    if (found.size() != wanted.size()) {
        fprintf(stderr, "%d of %d header seeds found\n", int(found.size()), int(wanted.size()));
        exit(1);
    }
    put(QStringLiteral("image"), QStringLiteral("dicom.dcm"), smallDicom());
    put(QStringLiteral("image"), QStringLiteral("cineon.cin"), smallCineon());
}

// A DICOM file of 4 x 3 grey pixels, explicit little-endian: the preamble, the file meta group
// and the image's own elements.
QByteArray smallDicom()
{
    auto element = [](quint16 group, quint16 number, const char* vr, QByteArray const& value) {
        QByteArray bytes;
        PictureHeaders::put16(bytes, group);
        PictureHeaders::put16(bytes, number);
        bytes += vr;
        const bool longForm = qstrcmp(vr, "OB") == 0 || qstrcmp(vr, "OW") == 0 || qstrcmp(vr, "UN") == 0;
        if (longForm) {
            PictureHeaders::put16(bytes, 0);
            PictureHeaders::put32(bytes, quint32(value.size()));
        } else {
            PictureHeaders::put16(bytes, quint16(value.size()));
        }
        return bytes + value;
    };
    auto us = [](quint16 value) {
        QByteArray bytes;
        PictureHeaders::put16(bytes, value);
        return bytes;
    };
    const QByteArray syntax("1.2.840.10008.1.2.1\0", 20);
    QByteArray meta = element(0x0002, 0x0001, "OB", QByteArray("\0\1", 2))
                      + element(0x0002, 0x0002, "UI", QByteArray("1.2.840.10008.5.1.4.1.1.7\0", 26))
                      + element(0x0002, 0x0003, "UI", QByteArray("1.2.3.4\0", 8)) + element(0x0002, 0x0010, "UI", syntax);
    QByteArray length;
    PictureHeaders::put32(length, quint32(meta.size()));
    QByteArray file = QByteArray(128, '\0') + "DICM" + element(0x0002, 0x0000, "UL", length) + meta;
    file += element(0x0028, 0x0002, "US", us(1)) + element(0x0028, 0x0004, "CS", "MONOCHROME2 ")
            + element(0x0028, 0x0010, "US", us(3)) + element(0x0028, 0x0011, "US", us(4))
            + element(0x0028, 0x0100, "US", us(8)) + element(0x0028, 0x0101, "US", us(8))
            + element(0x0028, 0x0102, "US", us(7)) + element(0x0028, 0x0103, "US", us(0))
            + element(0x7fe0, 0x0010, "OW", PictureHeaders::patternBytes(12));
    return file;
}

// A Kodak Cineon file of 4 x 3 pixels, three channels of 10 bits packed in 32-bit words.
QByteArray smallCineon()
{
    QByteArray file;
    PictureHeaders::put32be(file, 0x802a5fd7);
    PictureHeaders::put32be(file, 1024); // image offset
    PictureHeaders::put32be(file, 1024); // generic header
    PictureHeaders::put32be(file, 0);    // industry header
    PictureHeaders::put32be(file, 0);    // user data
    PictureHeaders::put32be(file, 1024 + 12 * 4);
    file += QByteArray("V4.5").leftJustified(8, '\0');
    file = file.leftJustified(192, '\0');
    file.append('\0'); // orientation
    file.append('\3'); // channels
    file += QByteArray(2, '\0');
    for (int c = 0; c < 8; ++c) {
        QByteArray channel;
        channel.append('\0');
        channel.append(char(c < 3 ? c + 1 : 0));
        channel.append(char(10)); // bits
        channel.append('\0');
        PictureHeaders::put32be(channel, 4);
        PictureHeaders::put32be(channel, 3);
        channel = channel.leftJustified(28, '\0');
        file += channel;
    }
    file = file.leftJustified(680, '\0');
    file.append('\0'); // interleave
    file.append('\5'); // packing: 32-bit words, left justified
    file = file.leftJustified(1024, '\0');
    return file + PictureHeaders::patternBytes(12 * 4);
}

// The image target's: the formats' signatures and the values of their header fields.
void writeImageDictionary()
{
    QSet<QByteArray> tokens = {
        "BM", "BA", "CI", "CP", "IC", "PT", QByteArray("\x0c\0\0\0", 4), QByteArray("\x28\0\0\0", 4),
        QByteArray("\x6c\0\0\0", 4), QByteArray("\x7c\0\0\0", 4), QByteArray("\x40\0\0\0", 4),
        QByteArray("\x01\0\0\0", 4), QByteArray("\x02\0\0\0", 4), QByteArray("\x03\0\0\0", 4),
        QByteArray("\x04\0\0\0", 4), QByteArray("\x05\0\0\0", 4), QByteArray("\x06\0\0\0", 4),
        QByteArray("\x01\0", 2), QByteArray("\x04\0", 2), QByteArray("\x08\0", 2), QByteArray("\x10\0", 2),
        QByteArray("\x18\0", 2), QByteArray("\x20\0", 2), QByteArray("\0\0\xff\0", 4), QByteArray("\0\xf8\0\0", 4),
        QByteArray("\xff\xff\xff\x7f", 4), QByteArray("\0\0\0\x80", 4), QByteArray("\xff\xff\xff\xff", 4),
        QByteArray("\0\0\x02\0", 4), QByteArray("\0\x01\x01\0", 4), QByteArray("\0\0\x0a\0", 4),
        QByteArray("\0\0\x03\0", 4), QByteArray("\0\x01\x09\0", 4), "TRUEVISION-XFILE.\0",
        QByteArray("\x01\xda", 2), QByteArray("\x01\xda\x01\x01\0\x03", 6), QByteArray("\x01\xda\0\x02\0\x03", 6),
        "DDS ", "DXT1", "DXT2", "DXT3", "DXT4", "DXT5", "ATI1", "ATI2", "BC4U", "BC5U", "DX10",
        QByteArray("\x07\x10\0\0", 4), QByteArray("\0\x10\0\0", 4), QByteArray("\x08\x10\x40\0", 4),
        QByteArray("\0\xfe\0\0", 4), QByteArray("\0\0\x20\0", 4), QByteArray("\x41\0\0\0", 4),
        "#?RADIANCE\n", "#?RGBE\n", "FORMAT=32-bit_rle_rgbe\n", "FORMAT=32-bit_rle_xyze\n", "EXPOSURE=",
        "-Y ", "+Y ", "+X ", "-X ", QByteArray("\x02\x02", 2),
        "P1", "P2", "P3", "P4", "P5", "P6", "Pf", "PF", "255\n", "65535\n", "-1.0\n", "# ",
        "8BPS", "8BIM", "Lr16", "Lr32", "Layr", QByteArray("\0\x01", 2), QByteArray("\0\x02", 2),
        QByteArray("\x76\x2f\x31\x01", 4), "channels", "chlist", "compression", "dataWindow", "displayWindow",
        "box2i", "lineOrder", "pixelAspectRatio", "screenWindowCenter", "screenWindowWidth", "tiles", "tiledesc",
        QByteArray("\x80\x2a\x5f\xd7", 4), QByteArray("\xd7\x5f\x2a\x80", 4), "V4.5",
        "DICM", "1.2.840.10008.1.2.1", "1.2.840.10008.1.2", "MONOCHROME2", "RGB", "OW", "OB", "US", "UI",
        QByteArray("\xe0\x7f\x10\0", 4), QByteArray("\x28\0\x10\0", 4), QByteArray("\x28\0\x11\0", 4),
        QByteArray("\x28\0\0\x01", 4), "GIF87a", "GIF89a", "NETSCAPE2.0", QByteArray("\x21\xf9\x04", 3),
        QByteArray("\x89PNG\r\n\x1a\n", 8), "IHDR", "PLTE", "tRNS", "IDAT", "IEND", "acTL", "fcTL", "pHYs",
        "iCCP", QByteArray("\xff\xd8\xff", 3), QByteArray("\xff\xe0", 2), QByteArray("\xff\xe1", 2), "JFIF", "Exif",
        QByteArray("\xff\xc0", 2), QByteArray("\xff\xc2", 2), QByteArray("\xff\xc4", 2), QByteArray("\xff\xda", 2),
        QByteArray("\xff\xdb", 2), QByteArray("\xff\xdd", 2), QByteArray("\xff\xd9", 2),
        QByteArray("II*\0", 4), QByteArray("MM\0*", 4), QByteArray("II+\0", 4), QByteArray("\0\x01\x03\0", 4),
        QByteArray("\x01\x01\x03\0", 4), QByteArray("\x02\x01\x03\0", 4), QByteArray("\x03\x01\x03\0", 4),
        QByteArray("\x11\x01\x04\0", 4), QByteArray("\x16\x01\x03\0", 4), QByteArray("\x17\x01\x04\0", 4),
        QByteArray("\x42\x01\x03\0", 4), QByteArray("\x43\x01\x03\0", 4), QByteArray("\x44\x01\x04\0", 4),
        "RIFF", "WEBP", "VP8 ", "VP8L", "VP8X", "ANIM", "ANMF", "ALPH", QByteArray("\x9d\x01\x2a", 3),
        QByteArray("\x2c\0\0\0\0", 5), QByteArray("\x21\xff\x0b", 3),
        QByteArray("\0\0\0\x0cjP  \r\n\x87\n", 12), "ftyp", "jp2 ", "jp2h", "ihdr", "colr", "jp2c",
        QByteArray("\xff\x4f\xff\x51", 4), QByteArray("\xff\x52", 2), QByteArray("\xff\x90", 2),
        QByteArray("\x2f\x08\x67\xab", 4), QByteArray("\xab\x67\x08\x2f", 4)};
    writeDictionaryFile(QStringLiteral("image"), tokens);
}

// --- pictures from outside ---------------------------------------------------------------

void writePictureSeeds()
{
    const QString target = QStringLiteral("picture");
    const QImage picture = HostilePictures::pattern();
    for (const char* format : {"png", "jpeg", "bmp", "ppm", "tiff", "webp"})
        put(target, QStringLiteral("raster.%1").arg(QLatin1String(format)), HostilePictures::written(picture, format));
    put(target, QStringLiteral("raster-grey.pgm"),
        HostilePictures::written(picture.convertToFormat(QImage::Format_Grayscale8), "pgm"));
    put(target, QStringLiteral("raster-mono.pbm"),
        HostilePictures::written(picture.convertToFormat(QImage::Format_Mono), "pbm"));
    put(target, QStringLiteral("raster.gif"), HostilePictures::gif(picture));
    put(target, QStringLiteral("raster.tga"), HostilePictures::tga(picture));
    // Above the pixel cap, refused on the header.
    put(target, QStringLiteral("fault-bomb.png"), HostileFiles::pngBomb(16384, 16384));
    for (const HostilePictures::Sample& sample : HostilePictures::aboveTheCap())
        put(target, QStringLiteral("fault-above-cap-%1").arg(fileNameOf(sample.name)), sample.bytes);
    // Documents that open what they name (standard input would hold the run: a time-out) or
    // decode what they embed, in every shape of XML.
    int n = 0;
    for (const HostilePictures::Sample& sample : HostilePictures::svgNaming(QStringLiteral("/proc/self/fd/0")))
        put(target, QStringLiteral("fault-svg-%1.svg").arg(n++), sample.bytes);
    put(target, QStringLiteral("fault-svg-self.svg"), HostilePictures::svgNaming(QStringLiteral("input.svg")).first().bytes);
    put(target, QStringLiteral("fault-svg-embedded.svg"),
        HostilePictures::svgEmbedding(HostileFiles::pngBomb(30000, 30000), 2));
}

void writeDictionaryFile(QString const& target, QSet<QByteArray> const& tokens);

// --- drag and drop data -------------------------------------------------------------------

QPixmap samplePicture(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x * 20, y * 30, 90, 255));
    return QPixmap::fromImage(image);
}

void writeDragSeeds()
{
    // A template of the Filter browser, listed by the template store itself.
    {
        QTreeWidget tree;
        tree.setColumnCount(2);
        KelTemplate objectTemplate;
        objectTemplate.setName(QStringLiteral("Sepia"));
        objectTemplate.setUuid(QStringLiteral("{a0000000-0000-4000-8000-000000000002}"));
        objectTemplate.setObjectIcon(samplePicture(12, 8));
        TwTemplateContainer store(nullptr, nullptr);
        store.setFilterBrowserTreeWidget(&tree);
        store.addFilterBrowserItem(&objectTemplate);
        put(QStringLiteral("drag"), QStringLiteral("template.bin"), HostileDrags::treeDrag(tree));
        store.setFilterBrowserTreeWidget(nullptr);
    }
    // A node type of the node dock: its name, marker and type id.
    {
        QTreeWidget tree;
        auto* item = new QTreeWidgetItem(&tree);
        item->setText(0, QStringLiteral("Inversion"));
        item->setData(0, Qt::UserRole, QStringLiteral("Insert:NodePath"));
        item->setData(0, Qt::UserRole + 1, QStringLiteral("operator.inversion"));
        put(QStringLiteral("drag"), QStringLiteral("node-type.bin"), HostileDrags::treeDrag(tree));
    }
    // A row of the object tree: visibility icon, UUID, row mark, name, centred node count.
    {
        QTreeWidget tree;
        tree.setColumnCount(3);
        auto* item = new QTreeWidgetItem(&tree);
        QIcon icon(samplePicture(6, 6));
        icon.addPixmap(samplePicture(3, 3));
        item->setIcon(0, icon);
        item->setData(0, Qt::UserRole, QStringLiteral("{b0000000-0000-4000-8000-00000000000b}"));
        item->setData(0, Qt::UserRole + 1, 1);
        item->setText(1, QStringLiteral("Object 1"));
        item->setText(2, QStringLiteral("4"));
        item->setTextAlignment(2, Qt::AlignHCenter | Qt::AlignVCenter);
        put(QStringLiteral("drag"), QStringLiteral("object-row.bin"), HostileDrags::treeDrag(tree));
    }
    {
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/picture one.png")),
                       QUrl(QStringLiteral("https://127.0.0.1/b.png"))});
        put(QStringLiteral("drag"), QStringLiteral("uri-list.txt"), files.data(QStringLiteral("text/uri-list")));
    }
    // A list nested 50,000 deep once overflowed the stack of the value reader.
    put(QStringLiteral("drag"), QStringLiteral("fault-deep-list.bin"),
        HostileDrags::deepListDrag(QStringLiteral("Insert:NodePath"), QStringLiteral("operator.inversion")));
    // A picture was decoded at its stated size: 16384 x 16384.
    put(QStringLiteral("drag"), QStringLiteral("fault-image.bin"),
        HostileDrags::imageDrag(HostileFiles::pngBomb(16384, 16384), QStringLiteral("Insert:TemplateObject"),
                                QStringLiteral("{a0000000-0000-4000-8000-000000000002}")));
}

// The stream's type ids, lengths and markers, and the texts of the program's own drags.
void writeDragDictionary()
{
    QSet<QByteArray> tokens = {"\x89PNG\r\n\x1a\n", "IHDR", "IDAT", "IEND", "file://", "\r\n",
                               "QFlags<Qt::AlignmentFlag>", QByteArray("\xff\xff\xff\xff", 4)};
    for (quint32 number : {0u, 1u, 2u, 3u, 9u, 10u, 0x1005u, 0x1006u, 65536u, 0x7fffffffu}) {
        QByteArray bytes;
        HostileDrags::appendU32(bytes, number);
        tokens.insert(bytes);
    }
    for (const char* text : {"QPixmapIconEngine", "Insert:NodePath", "Insert:TemplateObject"})
        tokens.insert(HostileDrags::stringPayload(QString::fromLatin1(text)));
    writeDictionaryFile(QStringLiteral("drag"), tokens);
}

// --- replies of the template web service -------------------------------------------------

std::unique_ptr<QNetworkAccessManager> s_manager;

// The reference server's answer to the method's request, as the client receives it.
QByteArray replyTo(ReferenceServer& server, AbstractApiMethod& method)
{
    QNetworkRequest request = *method.request();
    request.setUrl(QUrl(server.baseUrl() + method.methodName()));
    QNetworkReply* reply = s_manager->post(request, method.data());
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    QByteArray const body = reply->readAll();
    delete reply;
    if (body.isEmpty()) {
        fprintf(stderr, "no reply to %s\n", qPrintable(method.methodName()));
        exit(1);
    }
    return body;
}

void putReply(QString const& name, ReferenceServer& server, AbstractApiMethod& method)
{
    put(QStringLiteral("json"), name + QStringLiteral(".json"), replyTo(server, method));
}

void writeJsonSeeds()
{
    s_manager = std::make_unique<QNetworkAccessManager>();
    ReferenceServer server;
    if (!server.start()) {
        fprintf(stderr, "the reference server cannot listen on 127.0.0.1\n");
        exit(1);
    }
    SampleTemplates::seed(server);
    server.addUser({QStringLiteral("ada"), QStringLiteral("pw"), 7, QStringLiteral("ada@example.org"),
                    QStringLiteral("Ada")});
    ReferenceServer::Item extension;
    extension.idText = QStringLiteral("nlp-1");
    extension.uuid = QStringLiteral("{c0000000-0000-4000-8000-00000000000c}");
    extension.name = QStringLiteral("Grammar");
    extension.version = QStringLiteral("1.0");
    extension.nlpType = QStringLiteral("grammar");
    extension.supportedLanguage = QStringLiteral("en");
    extension.xml = "<nlp/>";
    server.addItem(QStringLiteral("nlp_extension"), extension);

    // The template list walked to its end, one template's document and details.
    GetFirstLumoraMethod first;
    QByteArray const firstReply = replyTo(server, first);
    put(QStringLiteral("json"), QStringLiteral("get_first_lumora.json"), firstReply);
    first.parseReplyBody(firstReply);
    GetNextLumoraMethod next;
    next.setID(QString::number(first.id()));
    QByteArray const nextReply = replyTo(server, next);
    put(QStringLiteral("json"), QStringLiteral("get_next_lumora.json"), nextReply);
    next.parseReplyBody(nextReply);
    next.setID(QString::number(next.id()));
    putReply(QStringLiteral("get_next_lumora-end"), server, next);
    DownloadLumoraXMLContentMethod content;
    content.setUUID(first.uuid());
    content.setVersion(first.version());
    putReply(QStringLiteral("download_lumora_xml_content"), server, content);
    DownloadLumoraMethod details;
    details.setUUID(first.uuid());
    details.setVersion(first.version());
    putReply(QStringLiteral("download_lumora"), server, details);

    // An account and none, a search, an upload taken and one refused.
    LoginMethod login;
    login.setLogin(QStringLiteral("ada"));
    login.setPassword(QStringLiteral("pw"));
    putReply(QStringLiteral("get_user_session"), server, login);
    login.setPassword(QStringLiteral("wrong"));
    putReply(QStringLiteral("get_user_session-none"), server, login);
    SearchLumoraMethod search;
    search.setKeyWord(QStringLiteral("e"));
    putReply(QStringLiteral("search_lumora"), server, search);
    UploadLumoraMethod upload;
    QString const uploaded = QStringLiteral("{d0000000-0000-4000-8000-00000000000d}");
    upload.setUserID(QStringLiteral("7"));
    upload.setUUID(uploaded);
    upload.setName(QStringLiteral("Mine"));
    upload.setCreator(QStringLiteral("Ada"));
    upload.setVersion(QStringLiteral("1.0"));
    upload.setXMLContent(SampleTemplates::templateFile(uploaded, QStringLiteral("Mine"), QStringLiteral("1.0")));
    upload.setIcon(SampleTemplates::pngIcon(Qt::green));
    putReply(QStringLiteral("upload_lumora"), server, upload);
    server.refuseUploadsWith({{QStringLiteral("name"), {QStringLiteral("is taken")}},
                              {QStringLiteral("version"), {QStringLiteral("is too low"), QStringLiteral("is odd")}}});
    putReply(QStringLiteral("upload_lumora-refused"), server, upload);
    GetFirstNLPExtensionMethod firstExtension;
    putReply(QStringLiteral("get_first_nlp_extension"), server, firstExtension);
    DownloadNLPXmlContentMethod extensionContent;
    extensionContent.setUuid(extension.uuid);
    putReply(QStringLiteral("download_nlp_xml_content"), server, extensionContent);

    // A listed template whose UUID carries a path, and its document holding that UUID: the
    // download must not replace the installed template.
    server.clearItems(QStringLiteral("lumora"));
    ReferenceServer::Item escaping;
    escaping.uuid = QStringLiteral("{7d1e5a2c-3b4f-4c6d-8e9f-0a1b2c3d4e5f}/../../escape");
    escaping.name = QStringLiteral("Escape");
    escaping.version = QStringLiteral("9");
    escaping.xml = SampleTemplates::templateFile(escaping.uuid, escaping.name, escaping.version);
    // An icon whose header asks for 16384 x 16384 pixels.
    escaping.icon = HostileFiles::pngBomb(16384, 16384);
    server.addItem(QStringLiteral("lumora"), escaping);
    putReply(QStringLiteral("fault-uuid-path-tail-icon-bomb"), server, first);
    content.setUUID(escaping.uuid);
    content.setVersion(escaping.version);
    putReply(QStringLiteral("fault-uuid-path-tail-content"), server, content);
    // Deeper than the reader builds.
    put(QStringLiteral("json"), QStringLiteral("fault-deep-nesting.json"),
        "{\"lu_mora\": " + QByteArray(Json::maxDepth + 1, '[') + QByteArray(Json::maxDepth + 1, ']') + "}");
    s_manager.reset();
}

// The service replies' markup and every key and short text of the seeds.
QSet<QByteArray> jsonTokens(QVariant const& value)
{
    QSet<QByteArray> tokens;
    if (value.typeId() == QMetaType::QVariantMap) {
        QVariantMap const map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            tokens.insert("\"" + it.key().toUtf8() + "\":");
            tokens.unite(jsonTokens(it.value()));
        }
    } else if (value.typeId() == QMetaType::QVariantList) {
        for (QVariant const& element : value.toList())
            tokens.unite(jsonTokens(element));
    } else if (value.typeId() == QMetaType::QString && value.toString().size() <= 40) {
        tokens.insert(value.toString().toUtf8());
    }
    return tokens;
}


void writeJsonDictionary()
{
    QSet<QByteArray> tokens = {"{", "}", "[", "]", ":", ",", "\"", "true", "false", "null", "\\u",
                               "\\\"", "\\\\", "-1", "1e39", "2147483648", "null,", "{}", "[]"};
    const QDir folder(s_root + QStringLiteral("/json"));
    for (const QString& name : folder.entryList(QDir::Files))
        tokens.unite(jsonTokens(Json::parse(QString::fromLatin1(readAll(folder.filePath(name))))));
    writeDictionaryFile(QStringLiteral("json"), tokens);
}

// Every element name, attribute name and short attribute value of the target's seeds.
QSet<QByteArray> xmlTokens(QString const& target)
{
    QSet<QByteArray> tokens;
    const QDir folder(s_root + QLatin1Char('/') + target);
    for (const QString& name : folder.entryList(QDir::Files)) {
        QXmlStreamReader reader(readAll(folder.filePath(name)));
        while (!reader.atEnd()) {
            if (reader.readNext() != QXmlStreamReader::StartElement)
                continue;
            tokens.insert("<" + reader.name().toUtf8());
            for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                tokens.insert(" " + attribute.name().toUtf8() + "=\"");
                if (attribute.value().size() <= 40)
                    tokens.insert(attribute.value().toUtf8());
            }
        }
    }
    return tokens;
}

// A libFuzzer dictionary for an XML target: the markup, and the XML tokens of its seeds.
void writeDictionary(QString const& target)
{
    QSet<QByteArray> tokens = {"<", ">", "</", "/>", "=\"", "\"", "<?xml version=\"1.0\"?>",
                               "<!DOCTYPE MarrowindGraphNode>", "<![CDATA[", "]]>", "<!--", "-->",
                               "&amp;", "&#x", "nan", "inf", "-1", "1e39", "2147483648",
                               // Encodings the gate follows byte by byte, and ones it refuses.
                               " encoding=\"EUC-JP\"", " encoding=\"IBM850\"", " encoding=\"hp-roman8\"",
                               " encoding=\"Shift_JIS\"", " encoding=\"UTF-7\"", " encoding=\"UTF-16BE\""};
    writeDictionaryFile(target, tokens.unite(xmlTokens(target)));
}

// The picture target's: the signatures of the raster formats, the markup of SVG and XML, names
// of files a document may point at, and the XML tokens of the seeds.
void writePictureDictionary()
{
    QSet<QByteArray> tokens = {
        QByteArray("\x89PNG\r\n\x1a\n"), "IHDR", "IDAT", "IEND", "GIF87a", "GIF89a", "BM",
        QByteArray("\xff\xd8\xff"), "P1", "P4", "P5", "P6", QByteArray("II*\0", 4),
        QByteArray("MM\0*", 4), "RIFF", "WEBP", "VP8 ", "VP8L", "VP8X", QByteArray("\x1f\x8b\x08", 3),
        QByteArray("\xef\xbb\xbf"), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<!DOCTYPE svg",
        "<svg", "<image", "<use", "<pattern", "<style>", "@import", "url(", " xlink:href=\"", " href=\"",
        "xmlns=\"http://www.w3.org/2000/svg\"", "xmlns:xlink=\"http://www.w3.org/1999/xlink\"",
        "data:image/png;base64,", "data:image/svg+xml;base64,", "file://", "/proc/self/fd/",
        "/dev/zero", "input.svg", "<!ENTITY", "SYSTEM", "<!--", "-->", "/>", "</svg>"};
    writeDictionaryFile(QStringLiteral("picture"), tokens.unite(xmlTokens(QStringLiteral("picture"))));
}

void writeDictionaryFile(QString const& target, QSet<QByteArray> const& tokens)
{
    QList<QByteArray> sorted(tokens.begin(), tokens.end());
    std::sort(sorted.begin(), sorted.end());
    QByteArray text = "# Written by fuzz_seeds (scripts/fuzz seeds) from the seeds of " + target.toUtf8() + ".\n";
    for (QByteArray token : std::as_const(sorted)) {
        if (token.isEmpty())
            continue;
        QByteArray escaped;
        for (char c : token) {
            if (c == '"' || c == '\\')
                escaped += '\\';
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
                escaped += QByteArray("\\x") + QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
            else
                escaped += c;
        }
        text += "\"" + escaped + "\"\n";
    }
    const QString dictionaries = s_root + QStringLiteral("/../dict");
    QDir().mkpath(dictionaries);
    QFile file(dictionaries + QLatin1Char('/') + target + QStringLiteral(".dict"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size()) {
        fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        exit(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    // The same bytes on every run: attributes in one order.
    qputenv("QT_HASH_SEED", "0");
    FuzzSupport::start(&argc, &argv, true);
    KelVyxNodes::NodeTypeRegistry::setPluginFolder(QString());
    s_root = QString::fromLocal8Bit(argv[1]);
    for (const char* target : {"graph", "params", "template", "style", "image", "json", "drag", "picture"})
        QDir(s_root + QLatin1Char('/') + QLatin1String(target)).removeRecursively();
    writeGraphSeeds();
    writeParameterSeeds();
    writeTemplateSeeds();
    writeStyleSeeds();
    writeImageSeeds();
    writeJsonSeeds();
    writeDragSeeds();
    writePictureSeeds();
    for (const char* target : {"graph", "params", "template", "style"})
        writeDictionary(QString::fromLatin1(target));
    writeJsonDictionary();
    writeDragDictionary();
    writePictureDictionary();
    writeImageDictionary();
    printf("%d seed files written to %s\n", s_written, qPrintable(s_root));
    return 0;
}
