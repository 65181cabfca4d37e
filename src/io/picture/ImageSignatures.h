#pragma once

#include <QByteArray>

// The first bytes that files of each image format begin with. Asking a reader whether it can
// read a file may cost it the whole file (the DICOM reader walks hundreds of megabytes of a
// non-picture tag by tag), so a file's format is guessed from these bytes first, and only
// readers whose signature matches are asked.
class ImageSignatures
{
public:
    // Bytes of a file's start that every signature fits in.
    static constexpr int headBytes = 512;

    // Whether the format's files have a signature (Targa and camera raw files do not).
    static bool isKnown(const QByteArray& format);
    // Whether `head`, a file's first bytes, begins as files of the format do; false for a
    // format without a known signature.
    static bool matches(const QByteArray& format, const QByteArray& head);
};
