#include "io/picture/TiffPlanes.h"

#include "io/picture/PatchedFileProxy.h"
#include "io/picture/ReaderFilePatch.h"

#include <QFile>

#include <algorithm>
#include <cstring>

bool TiffPlanes::wanted(const OIIO::ImageSpec& page, int bandRows)
{
    if (page.tile_width > 0 || page.get_int_attribute("tiff:PlanarConfiguration", 1) != 2 || page.nchannels < 3
        || !page.channelformats.empty() || (page.format != OIIO::TypeDesc::UINT8 && page.format != OIIO::TypeDesc::UINT16)
        || page.get_int_attribute("oiio:BitsPerSample", 0) != int(page.format.size()) * 8)
        return false;
    const int stripRows = page.get_int_attribute("tiff:RowsPerStrip", page.height);
    return std::min(stripRows, page.height) > bandRows;
}

std::unique_ptr<TiffPlanes> TiffPlanes::open(QFile& file, const std::string& name, const OIIO::ImageSpec& page, int planes)
{
    auto read = std::unique_ptr<TiffPlanes>(new TiffPlanes);
    read->m_width = page.width;
    read->m_sampleBytes = page.format.size();
    for (int plane = 0; plane < planes; ++plane) {
        ReaderFilePatch patch = ReaderFilePatch::planeOf(file, plane);
        if (patch.isEmpty())
            return nullptr;
        Plane opened;
        opened.proxy = std::make_unique<PatchedFileProxy>(file.handle(), file.size(), std::move(patch), name);
        OIIO::ImageSpec config;
        OIIO::Filesystem::IOProxy* shown = opened.proxy.get();
        config.attribute("oiio:ioproxy", OIIO::TypeDesc::PTR, &shown);
        opened.input = OIIO::ImageInput::create("tiff");
        OIIO::ImageSpec spec;
        if (!opened.input || !opened.input->open(name, spec, config)) {
            if (opened.input)
                (void)opened.input->geterror();
            (void)OIIO::geterror();
            return nullptr;
        }
        // The plane is the page's: its sides, and a sample of the page's kind.
        if (spec.width != page.width || spec.height != page.height || spec.nchannels != 1 || spec.tile_width > 0
            || spec.x != page.x || spec.y != page.y || spec.format != page.format)
            return nullptr;
        read->m_planes.push_back(std::move(opened));
    }
    return read;
}

bool TiffPlanes::read(int first, int count, unsigned char* native, size_t pixelBytes, QString* error)
{
    const size_t rowSamples = size_t(m_width);
    m_rows.assign(rowSamples * size_t(count) * m_sampleBytes, 0);
    for (size_t plane = 0; plane < m_planes.size(); ++plane) {
        OIIO::ImageInput& input = *m_planes[plane].input;
        const OIIO::ImageSpec& spec = input.spec();
        // Rows in order: each plane's reader goes on in its strip where it stopped.
        if (!input.read_native_scanlines(0, 0, spec.y + first, spec.y + first + count, spec.z, m_rows.data())) {
            *error = QString::fromStdString(input.geterror());
            return false;
        }
        const unsigned char* in = m_rows.data();
        unsigned char* out = native + plane * m_sampleBytes;
        for (size_t i = 0; i < rowSamples * size_t(count); ++i, in += m_sampleBytes, out += pixelBytes)
            std::memcpy(out, in, m_sampleBytes);
    }
    return true;
}
