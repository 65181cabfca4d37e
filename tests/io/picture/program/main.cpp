// A program that reads pictures as the real one does: it takes its reader at start-up, then reads
// each path it is given on its input, one a line, and answers "read W x H #colour" or
// "refused <reason>" on its output; it ends with its input. With "--kill-leaves-readers" its
// kill leaves a reader running, as the kernel holds one stuck in a read, and the time limit of a
// read of a ".hang" file is 200 ms.
#include "io/picture/PictureReader.h"
#include "io/picture/PictureReaderProcess.h"

#include <QColor>
#include <QImage>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    PictureReader::holdProgram();
    const bool stuck = argc > 1 && std::strcmp(argv[1], "--kill-leaves-readers") == 0;
    if (stuck)
        PictureReaderProcess::setKill([](pid_t) {});
    std::string line;
    while (std::getline(std::cin, line)) {
        PictureReader::setTimeLimit(stuck && line.ends_with(".hang") ? 200 : 0);
        QString reason;
        const QImage image = PictureReader::readFile(QString::fromStdString(line), QSize(), nullptr, &reason);
        if (image.isNull())
            std::printf("refused %s\n", qPrintable(reason));
        else
            std::printf("read %dx%d %s\n", image.width(), image.height(),
                        qPrintable(QColor(image.pixel(0, 0)).name()));
        std::fflush(stdout);
    }
    return 0;
}
