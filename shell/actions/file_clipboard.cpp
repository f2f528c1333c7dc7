#include "file_clipboard.h"

#include <QMimeData>

namespace shell::actions {

namespace {

const QString UriList = QStringLiteral("text/uri-list");
const QString GnomeFiles = QStringLiteral("x-special/gnome-copied-files");
const QString KdeCut = QStringLiteral("application/x-kde-cutselection");

QByteArray toUri(const QByteArray &path)
{
    return "file://" + path.toPercentEncoding("/");
}

// Only local files: "file:///path" or "file://localhost/path".
QByteArray fromUri(QByteArray uri)
{
    uri = uri.trimmed();
    if (uri.startsWith("file://localhost/"))
        uri.remove(7, 9);
    if (!uri.startsWith("file:///"))
        return {};
    return QByteArray::fromPercentEncoding(uri.mid(7));
}

QList<QByteArray> pathsOf(const QList<QByteArray> &lines)
{
    QList<QByteArray> paths;
    for (const QByteArray &line : lines) {
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        if (const QByteArray path = fromUri(line); !path.isEmpty())
            paths.append(path);
    }
    return paths;
}

} // namespace

std::unique_ptr<QMimeData> FileClipboard::encode(const QList<QByteArray> &paths, bool cut)
{
    QList<QByteArray> uris;
    QStringList texts;
    for (const QByteArray &path : paths) {
        uris.append(toUri(path));
        texts.append(QString::fromUtf8(path));
    }
    auto data = std::make_unique<QMimeData>();
    data->setData(UriList, uris.join("\r\n") + "\r\n");
    data->setData(GnomeFiles, QByteArray(cut ? "cut" : "copy") + '\n' + uris.join('\n'));
    data->setData(KdeCut, cut ? "1" : "0");
    data->setText(texts.join(QLatin1Char('\n')));
    return data;
}

FileClipboard::Content FileClipboard::decode(const QMimeData *data)
{
    Content content;
    if (data == nullptr)
        return content;
    if (data->hasFormat(GnomeFiles)) {
        QList<QByteArray> lines = data->data(GnomeFiles).split('\n');
        if (!lines.isEmpty()) {
            content.cut = lines.takeFirst().trimmed() == "cut";
            content.paths = pathsOf(lines);
        }
        if (!content.paths.isEmpty())
            return content;
    }
    if (data->hasFormat(UriList)) {
        content.paths = pathsOf(data->data(UriList).split('\n'));
        content.cut = data->data(KdeCut).trimmed() == "1";
    }
    return content;
}

} // namespace shell::actions
