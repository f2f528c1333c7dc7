// brakwen-tiff-preview: decodes the TIFF picture of a DOS EPS for the preview, away from the
// window. It takes the picture's bytes on its standard input and gives back its pixels on its
// standard output (see pixels_message.h). Before it reads a byte it confines itself to those two
// descriptors: a picture crafted against the TIFF library can make it do anything but reach a
// file, a program or the network.

#include "posix/confinement.h"
#include "preview/pixels_message.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <cstdio>
#include <unistd.h>

namespace {

// The picture's bytes, or nothing when they pass the limit or cannot be read.
bool readAll(QByteArray &bytes)
{
    char block[65536];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, block, sizeof block);
        if (got == 0)
            return true;
        if (got < 0 || bytes.size() + got > preview::PixelsMessage::tiffLimit)
            return false;
        bytes.append(block, got);
    }
}

bool writeAll(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(STDOUT_FILENO, bytes.constData() + done,
                                    static_cast<std::size_t>(bytes.size() - done));
        if (put <= 0)
            return false;
        done += put;
    }
    return true;
}

int decode()
{
    // The TIFF plugin and the libraries under it are loaded now, from files, while the process
    // still may open them.
    {
        QBuffer empty;
        QImageReader loader(&empty, "tiff");
        if (!loader.canRead() && loader.error() == QImageReader::UnsupportedFormatError)
            return 3;
    }
    ::close_range(STDERR_FILENO + 1, ~0U, 0);
    if (!posix::confineToOpenDescriptors())
        return 4;

    QByteArray bytes;
    if (!readAll(bytes))
        return 1;
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "tiff");
    const QImage image = reader.read();
    if (image.isNull())
        return 1;
    return writeAll(preview::PixelsMessage::encode(image)) ? 0 : 1;
}

} // namespace

int main()
{
    const int status = decode();
    // Ended here: what a normal exit runs afterwards (a leak check in checked builds) may need
    // calls the confinement refuses.
    std::fflush(stderr);
    ::_exit(status);
}
