#pragma once

#include <QString>

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <memory>
#include <string>
#include <vector>

class QFile;

// The planes of a TIFF's first page read side by side, each by a reader of its own shown that
// plane alone as a grey picture (see ReaderFilePatch::planeOf). The library's reader of the page
// reads a plane's strip whole before it gives a row of it: a page of one strip a plane (as scanners
// and tifffile write one) would be held whole in the file's format beside the reader's own copy,
// where these hold a band of rows and each its plane's compressed strip.
class TiffPlanes
{
public:
    // Readers of the first `planes` planes of the page on `file`, which `page` (as the library's
    // reader opened it) describes; null when the file is not one these read.
    static std::unique_ptr<TiffPlanes> open(QFile& file, const std::string& name, const OIIO::ImageSpec& page, int planes);

    // Whether a page is read so: planes of 8 or 16 bits a sample in strips of more rows than a band
    // of `bandRows`, which the library's reader would read whole.
    static bool wanted(const OIIO::ImageSpec& page, int bandRows);

    // Rows `first` to `first + count` of the page (from its top) into `native`, as the library's
    // reader gives them: every pixel's samples in turn, `pixelBytes` a pixel, only the planes read.
    // False with the library's words in *error when a plane's rows cannot be read.
    bool read(int first, int count, unsigned char* native, size_t pixelBytes, QString* error);

private:
    struct Plane {
        std::unique_ptr<OIIO::Filesystem::IOProxy> proxy;
        std::unique_ptr<OIIO::ImageInput> input;
    };

    std::vector<Plane> m_planes;
    int m_width = 0;
    size_t m_sampleBytes = 0;
    std::vector<unsigned char> m_rows;
};
