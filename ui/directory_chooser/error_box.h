#pragma once

// The program's error box: application title, stop icon, one OK button.

class QString;
class QWidget;

// A period is added after a message ending in a letter or digit, as for every error shown.
void showErrorBox(QWidget *parent, const QString &message);
// The text the box shows for `message`.
QString errorBoxText(const QString &message);
