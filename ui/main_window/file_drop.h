// What a drop of files from a file manager (text/uri-list) means for the main window: a folder to
// choose, and the EPS files of one folder to add in the order dropped; and what is left out, and
// why, in one French message.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <vector>

struct FileDrop
{
    QByteArray folder;             // the folder to choose, or the folder of the names; raw bytes
    std::vector<QByteArray> names; // EPS files of that folder, in the order dropped
    bool folderAlone = false;      // a single folder was dropped: it is only chosen
    QString leftOut;               // what was not taken and why; empty when everything was
    bool opened = false;           // named on the command line ("ouvert"), not dropped ("déposé")

    bool empty() const { return folder.isEmpty(); }
    // Some files were taken and some left out.
    bool partlyTaken() const { return !names.empty() && !leftOut.isEmpty(); }
    // What the box says once the drop is taken: how many files were, when some were, then what
    // was left out. Empty when nothing was left out.
    QString report() const;

    // Reads the dropped URLs against the file system as it is now.
    static FileDrop plan(const QList<QUrl> &urls);
    // The same for absolute paths, as the file system's own bytes, given to the program to open.
    static FileDrop plan(const std::vector<QByteArray> &paths);
    // Whether two paths name the same folder: the same bytes, or a link to it.
    static bool sameFolder(const QByteArray &a, const QByteArray &b);
};

// The file system path of a file: URL, as bytes (percent-escapes decoded to the bytes they
// stand for, so that a name that is not UTF-8 keeps its bytes); empty for any other URL.
QByteArray localPathBytes(const QUrl &url);
