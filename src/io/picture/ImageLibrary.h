#pragma once

#include "io/picture/RasterPictureReader.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The image library the adapter talks to: a small C-like interface (start and stop,
// a numbered list of formats, bitmaps loaded by image index and freed by the caller)
// that reads files through OpenImageIO. Pixel formats stay those the adapter converts
// from, so the adapter does not depend on OpenImageIO.
class ImageLibrary
{
public:
    // Pixel layouts of a bitmap; the byte order of one pixel is the order of the letters.
    enum BitmapType {
        Binary = 1, // one bit per pixel, the leftmost pixel in the highest bit
        Grey = 2,
        Colors = 4, // one palette index per pixel
        RGB = 16,
        RGBA = 32,
        BGR = 64,
        ABGR = 128,
        BGRA = 256,
        ARGB = 512,
        CMYK = 1024
    };

    enum Error {
        NoError = 0,
        FileOpenError,
        FileReadError,
        NoMemory,
        UnknownFormat,
        BadBitmap,
        BadFormatIndex,
        BadImageIndex,
        NotInitialised
    };

    struct ColorMap {
        unsigned char red[256];
        unsigned char green[256];
        unsigned char blue[256];
    };

    // Owned by whoever allocated or loaded it; released with freeBitmap().
    struct Bitmap {
        int type = 0;
        int width = 0;
        int height = 0;
        int bytesPerLine = 0;
        int bytesPerPixel = 0;
        ColorMap* colorMap = nullptr;
        unsigned char* data = nullptr;
        int xOffset = 0;
        int yOffset = 0;
    };

    struct FileInformation {
        // The images found so far: the file is walked no further than the image asked for, so
        // that a file of thousands of pages costs what is read of it. A load past the last
        // image answers BadImageIndex.
        int numberOfImages = 0;
        int xDpi = 72;
        int yDpi = 72;
        QByteArray formatName;
        int width = 0;
        int height = 0;
        // Read by the program from the file's header: the format's reader has not opened the file
        // (see fileInformation), and decodes nothing until a load.
        bool fromHeader = false;
    };

    struct LoadParams {
        int formatIndex = -1; // -1: detect the format from the file
        int imageWanted = 0;
        // 0: the layout closest to the file (Grey, RGB or RGBA). BGRA: four bytes a pixel in
        // the order of a Qt ARGB32 image on a little-endian machine, rows padded to 4 bytes.
        int layout = 0;
    };

    // Reference counted: every initialise() needs its exit(), on the same thread. Threads read
    // independently: each keeps the file it read last open until its last exit().
    static void initialise();
    static void exit();
    static bool isInitialised();

    // Formats are numbered from 0; every query answers empty/false/-1 while the library
    // is not started or for an index outside the list.
    static int numberOfFormats();
    static QByteArray formatName(int index);
    static QByteArray formatDefaultSuffix(int index);
    // Every suffix the format's files carry ("jpg", "jpeg", ...), the default first.
    static QList<QByteArray> formatSuffixes(int index);
    static QByteArray formatDescription(int index);
    static bool formatIsWritable(int index);
    static bool formatIsReadable(int index);
    static int formatIndexByName(const QByteArray& name);

    static LoadParams defaultLoadParams();

    // Loads one image of a file. On success *bitmap is a new bitmap; on any failure it is
    // null and *message (when given) says why. The information, when given, holds the
    // file's format (and the images found so far) after every call that could open the file.
    // A JPEG, TIFF, PNG or WebP picture stored turned or mirrored comes upright, as its
    // orientation tag says, and its information gives the upright size. OpenEXR and Radiance
    // pictures (linear light) come through the sRGB transfer, as viewers show them.
    static Error loadBitmap(const QString& path, Bitmap** bitmap, const LoadParams& params,
                            FileInformation* information = nullptr, QString* message = nullptr);
    // Information about the file and its first image, without reading pixels: from its header, as
    // its reader would give it, for the kinds whose reader decodes or reads the whole file to open
    // it (see PictureHeader); any other kind's from its reader, which then holds the file open for
    // the next load.
    static Error fileInformation(const QString& path, int formatIndex, FileInformation* information,
                                 QString* message = nullptr);

    // Lines are padded to a multiple of linePadding bytes; the pixels start as zeros.
    static Bitmap* allocBitmap(int type, int width, int height, int linePadding = 1);
    static void freeBitmap(Bitmap* bitmap);
    static int bytesPerPixelOf(int type);
    // Where bitmaps' pixels are held: the heap unless set. The reader process gives the memory
    // it shares with the program, so that a picture is decoded where the program maps it.
    // `release` answers false for pixels that are not its own. Null for both: the heap.
    using PixelAllocate = unsigned char* (*)(qint64 bytes);
    using PixelRelease = bool (*)(unsigned char* data);
    static void setPixelMemory(PixelAllocate allocate, PixelRelease release);

    static QString errorText(Error error);

    // Lets go of the file this thread holds open unless it is the one at `path`, and of what its
    // reader holds: a read that opens another file then finds none of it freed under its feet.
    static void closeFileOtherThan(const QString& path);

    // Moves this thread's reads made from one image of a file to another (each reads that
    // image's header), counted for the tests that bound the walk over a file's images.
    static qint64 imageSeeks();

    // Limit on the pixels of one picture, so that a forged header cannot ask for gigabytes: the
    // one cap of every picture read from a user's file (here and through RasterPictureReader). The
    // pixels are read band by band into the final bitmap (4 bytes a pixel), turned upright into a
    // second one where the file says so; with a reader that holds the whole picture itself
    // (interlaced files, up to 8 bytes a pixel) the peak stays within about 2 GB. A 100-megapixel
    // photo loads.
    static constexpr qint64 maxPixels = RasterPictureReader::maxPixels;
};
