// A picture reader that serves requests with the real service, but decodes by the path's suffix:
// ".crash" ends the process, ".hang" (or ".hang." before a picture's suffix, for the browser to
// list it) never answers, ".hog" allocates without end after its
// header claimed one pixel, ".stamp" answers a 3 x 2 picture of its process id, ".close" closes
// its socket and lives on, ".otherversion" answers as a reader of another build would,
// ".overreach" and ".overreachrows" answer in the memory the program handed back with the request
// a picture that reaches past its end (the first also claims the memory is that large), then
// end; ".claimthenwait" claims a picture at the cap, answers a stamp 2.5 s later; ".claimthenhang"
// claims one at the cap again and again and never answers; "*.slow.*" is read a second late; a
// file in a folder that holds a file named "unanswering" is read only once that file is gone (a
// share whose server is away); anything else is read by the program's own readers. It ends with
// the program that started it.
#include "io/picture/ImageLibrary.h"
#include "io/picture/PictureReaderService.h"
#include "io/picture/ReaderChannel.h"
#include "io/picture/ReaderParentWatch.h"

#include <QCoreApplication>
#include <QtEndian>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {

int g_socket = -1;

// The shared memory this process holds open: the one the program handed back; -1 when none.
int handedBackMemory()
{
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString& name : descriptors.entryList(QDir::Files | QDir::System)) {
        if (QFileInfo(descriptors.filePath(name)).symLinkTarget().contains(QLatin1String("memfd:vyx-picture")))
            return name.toInt();
    }
    return -1;
}

// A picture answered in the handed-back memory whose rows run a page past its end.
void overreach(bool claimLarger, QString* reason)
{
    const int memory = handedBackMemory();
    struct stat status {};
    if (memory < 0 || ::fstat(memory, &status) != 0) {
        *reason = QStringLiteral("no memory was handed back");
        return;
    }
    PictureReply reply;
    reply.ok = true;
    PictureReply::Layer layer;
    layer.size = QSize(1024, int(status.st_size / 4096) + 1);
    layer.bytesPerLine = 4096;
    layer.rect = QRect(QPoint(0, 0), layer.size);
    reply.layers.append(layer);
    reply.dataBytes = claimLarger ? qint64(layer.bytesPerLine) * layer.size.height() : qint64(status.st_size);
    ReaderChannel(g_socket).send(reply.encode(), memory);
    std::_Exit(0);
}

QList<QImage> decode(const PictureRequest& request, PictureReply* reply, QString* reason,
                     const std::function<void(qint64)>& claimed)
{
    if (!request.path.isEmpty()) {
        const QString away = QFileInfo(request.path).dir().filePath(QStringLiteral("unanswering"));
        while (QFileInfo::exists(away))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (request.path.contains(QLatin1String(".slow.")))
        std::this_thread::sleep_for(std::chrono::seconds(1));
    if (request.path.endsWith(QLatin1String(".crash")))
        std::abort();
    if (request.path.endsWith(QLatin1String(".hang")) || request.path.contains(QLatin1String(".hang."))) {
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (request.path.endsWith(QLatin1String(".close"))) {
        ::close(g_socket);
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (request.path.endsWith(QLatin1String(".otherversion"))) {
        // The version follows the four bytes of the frame's tag.
        QByteArray answer = PictureReply().encode();
        const quint32 other = qToBigEndian(PictureRequest::protocolVersion + 1);
        answer.replace(4, 4, reinterpret_cast<const char*>(&other), 4);
        ReaderChannel(g_socket).send(answer);
        *reason = QStringLiteral("answered in another version");
        return {};
    }
    if (request.path.endsWith(QLatin1String(".overreach")) || request.path.endsWith(QLatin1String(".overreachrows"))) {
        overreach(request.path.endsWith(QLatin1String(".overreach")), reason);
        return {};
    }
    if (request.path.endsWith(QLatin1String(".hog"))) {
        claimed(1);
        std::vector<std::unique_ptr<char[]>> held;
        // Without a data limit (a sanitized build) it stops on its own at 4 GB.
        for (int i = 0; i < 256; ++i) {
            held.emplace_back(new char[16 << 20]);
            std::memset(held.back().get(), 1, 16 << 20);
        }
        *reason = QStringLiteral("no limit held");
        return {};
    }
    if (request.path.endsWith(QLatin1String(".claimthenwait"))) {
        claimed(ImageLibrary::maxPixels);
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(QColor::fromRgb(QRgb(0xFF000000u | quint32(::getpid() & 0xFFFFFF))));
        return {image};
    }
    if (request.path.endsWith(QLatin1String(".claimthenhang"))) {
        for (int i = 0; i < 1000; ++i)
            claimed(ImageLibrary::maxPixels);
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (request.path.endsWith(QLatin1String(".stamp"))) {
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(QColor::fromRgb(QRgb(0xFF000000u | quint32(::getpid() & 0xFFFFFF))));
        return {image};
    }
    return PictureReaderService::standardDecode()(request, reply, reason, claimed);
}

} // namespace

int main(int argc, char** argv)
{
    long parent = -1;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--socket") == 0)
            g_socket = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--parent") == 0)
            parent = std::atol(argv[i + 1]);
    }
    if (g_socket < 0)
        return 2;
    if (!ReaderParentWatch::start(parent))
        return 0;
    QCoreApplication application(argc, argv);
    return PictureReaderService::serve(g_socket, &decode);
}
