#pragma once

#include "io/picture/PictureRequest.h"

#include <QImage>
#include <QList>

#include <functional>

// The picture reader process's side: it serves the program's requests one after another,
// decoding with the image library's and Qt's readers under a data limit that follows what each
// picture's header claims. What a reader does wrong ends here, as a refusal or as the end of
// this process, which the program reads as a refusal.
class PictureReaderService
{
public:
    // What a read may hold beyond its pictures: the reader's own tables and buffers.
    static constexpr qint64 readerMarginBytes = qint64(192) << 20;
    // What reading a header may hold (a reader's walk over the chunks before the pixels), beyond
    // what the format's check found its reader holds once it has opened the file (see OpenCost);
    // all a file no check has judged gets before its pixels are claimed.
    static constexpr qint64 headerMarginBytes = qint64(64) << 20;
    // What one pixel a header claims may cost: the reader's own copy (up to 8 bytes a pixel),
    // the picture given back (4) and a scaled or converted copy of it (4).
    static constexpr qint64 bytesPerPixel = 16;

    // The most a read may hold over what the process held before it: a picture at the cap.
    static qint64 largestReadBytes();

    // Decodes one request: its pictures, or none with *reason; `claimed` is told the pixels a
    // header claims before they are decoded. The reply takes what else the request answers.
    using Decode = std::function<QList<QImage>(const PictureRequest& request, PictureReply* reply,
                                               QString* reason, const std::function<void(qint64)>& claimed)>;
    // The program's readers: the image library's and Qt's.
    static Decode standardDecode();

    // Serves the requests that arrive on `socket` until it closes; the exit status.
    static int serve(int socket, const Decode& decode = standardDecode());

    // One request, in this process: the answer (without shared memory) and its pictures. Lowers
    // the data limit to what the header claims while the pixels are decoded, where limits apply;
    // `told` hears each claim too.
    static PictureReply handle(const PictureRequest& request, QList<QImage>* images,
                               const Decode& decode = standardDecode(),
                               const std::function<void(qint64)>& told = {});
};
