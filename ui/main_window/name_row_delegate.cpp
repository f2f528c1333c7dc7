#include "name_row_delegate.h"

#include "name_list_model.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

NameRowDelegate::NameRowDelegate(int rowHeight, QObject *parent)
    : QStyledItemDelegate(parent), m_rowHeight(rowHeight)
{}

QSize NameRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // Item text gets the style's focus-frame margin plus one pixel on each side.
    const QWidget *widget = option.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const auto *names = qobject_cast<const NameListModel *>(index.model());
    const int textWidth = names ? names->widestTextWidth()
                                : option.fontMetrics.horizontalAdvance(index.data().toString());
    return QSize(textWidth + 2 * margin, m_rowHeight);
}
