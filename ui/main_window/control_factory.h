// Makes the main window's controls in the look and state its layout was drawn for, so that the
// window itself only places them and wires them up.
#pragma once

#include "glyph_picture.h"

#include <QFont>
#include <QRect>
#include <QString>

class NameListModel;
class QCheckBox;
class QItemSelectionModel;
class QLabel;
class QListView;
class QPushButton;
class QToolButton;
class QWidget;

class ControlFactory
{
public:
    // The face the layout was drawn for, or one of about its widths, 10 pixels high.
    static QFont windowFont();

    static QLabel *label(QWidget *parent, const QRect &geometry, const QString &text);
    // A button showing only the glyph's 16 x 16 picture; `hint` names it, and its tooltip
    // adds `keys`, the keyboard's way to the same, when there is one.
    static QToolButton *glyphButton(QWidget *parent, const QRect &geometry,
                                    GlyphPicture::Glyph glyph, const QString &hint,
                                    const QString &keys);
    // A disabled list of file names with extended selection and rows 13 pixels high.
    static QListView *listBox(QWidget *parent, const QRect &geometry, NameListModel *model,
                              QItemSelectionModel *selection);
    // Checked at first.
    static QCheckBox *checkBox(QWidget *parent, const QRect &geometry, const QString &text);
    static QPushButton *pushButton(QWidget *parent, const QRect &geometry, const QString &text);

    // Makes `label` the caption of `field`: its buddy, and the name screen readers give the field
    // (the label's text without its colon).
    static void caption(QLabel *label, QWidget *field);

    // A face wider than the layout's would cut a caption: the widget then grows to the right,
    // never past `rightEdge`.
    static void widenToFitText(QWidget *widget, int rightEdge);
};
