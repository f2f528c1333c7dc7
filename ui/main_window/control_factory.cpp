#include "control_factory.h"

#include "glyph_button.h"
#include "name_list_model.h"
#include "name_list_view.h"
#include "name_row_delegate.h"
#include "name_width_meter.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringList>
#include <QToolButton>
#include <algorithm>
#include <memory>

namespace {

constexpr int ListRowHeight = 13;

} // namespace

QFont ControlFactory::windowFont()
{
    QFont font;
    // The layout was drawn for "MS Sans Serif"; the faces after it have about its widths, so the
    // captions keep to their boxes. The generic face, often much wider, comes last.
    QStringList families;
    for (const char *family :
         {"MS Sans Serif", "Microsoft Sans Serif", "Arial", "Liberation Sans", "Nimbus Sans"}) {
        if (QFontDatabase::hasFamily(QLatin1String(family)))
            families << QLatin1String(family);
    }
    families << QStringLiteral("sans-serif");
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(10);
    return font;
}

QLabel *ControlFactory::label(QWidget *parent, const QRect &geometry, const QString &text)
{
    auto *widget = new QLabel(text, parent);
    widget->setGeometry(geometry);
    return widget;
}

QToolButton *ControlFactory::glyphButton(QWidget *parent, const QRect &geometry,
                                         GlyphPicture::Glyph glyph, const QString &hint,
                                         const QString &keys)
{
    auto *button = new GlyphButton(glyph, parent);
    button->setGeometry(geometry);
    // Glyph buttons take no keyboard focus; the hint names the button for screen readers, and
    // shows as its tooltip with the keys that do the same.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAccessibleName(hint);
    button->setToolTip(keys.isEmpty() ? hint
                                      : hint + QStringLiteral(" (") + keys + QLatin1Char(')'));
    return button;
}

void ControlFactory::caption(QLabel *label, QWidget *field)
{
    label->setBuddy(field);
    QString name = label->text();
    name.remove(QLatin1Char('&'));
    while (!name.isEmpty() && (name.back().isSpace() || name.back() == QLatin1Char(':')))
        name.chop(1);
    field->setAccessibleName(name);
}

QListView *ControlFactory::listBox(QWidget *parent, const QRect &geometry, NameListModel *model,
                                   QItemSelectionModel *selection)
{
    auto *view = new NameListView(parent);
    view->setGeometry(geometry);
    view->setModel(model);
    view->setSelectionModel(selection);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setItemDelegate(new NameRowDelegate(ListRowHeight, view));
    // Every row is as wide as the widest name, which the list keeps up to date: the view then
    // lays out tens of thousands of rows without measuring each one. Names are measured as they
    // are listed, which for a large folder must cost little more than reading it.
    view->setUniformItemSizes(true);
    view->setFont(NameWidthMeter::measurableFont(QFont()));
    model->setTextMeasure([meter = std::make_shared<NameWidthMeter>(view->font())](
                              const QString &text) { return meter->width(text); });
    view->setEnabled(false);
    return view;
}

QCheckBox *ControlFactory::checkBox(QWidget *parent, const QRect &geometry, const QString &text)
{
    auto *box = new QCheckBox(text, parent);
    box->setGeometry(geometry);
    box->setChecked(true);
    return box;
}

QPushButton *ControlFactory::pushButton(QWidget *parent, const QRect &geometry, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setGeometry(geometry);
    // Outside a dialog Qt buttons ignore Enter; here Enter presses the focused button, as Space
    // does.
    button->setAutoDefault(true);
    return button;
}

void ControlFactory::widenToFitText(QWidget *widget, int rightEdge)
{
    const int wanted = std::min(widget->sizeHint().width(), rightEdge - widget->x());
    if (wanted > widget->width())
        widget->resize(wanted, widget->height());
}
