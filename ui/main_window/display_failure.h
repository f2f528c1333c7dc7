// Qt ends a program that finds no display with an abort and a page of advice about plugins. The
// window's program says why in one line and ends with status 1 instead, so that a script or a
// user on a console without a display learns what is wrong, and brakwen-cli is named.
#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

class DisplayFailure
{
public:
    // From now until opened(), Qt's messages are held back, and its failure to start becomes
    // that one line.
    DisplayFailure();
    // The application object is made: the messages held are said as they would have been.
    void opened();
    ~DisplayFailure();
    DisplayFailure(const DisplayFailure &) = delete;
    DisplayFailure &operator=(const DisplayFailure &) = delete;

    // The line said when no display can be used, from the environment and what Qt said.
    static QByteArray lineFor(const QList<QByteArray> &said);

private:
    QtMessageHandler m_previous = nullptr;
    bool m_watching = false;
};
