#include "fixed_row_height_delegate.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

FixedRowHeightDelegate::FixedRowHeightDelegate(int rowHeight, QObject *parent)
    : QStyledItemDelegate(parent), m_rowHeight(rowHeight)
{}

QSize FixedRowHeightDelegate::sizeHint(const QStyleOptionViewItem &option,
                                       const QModelIndex &index) const
{
    // The rows hold plain one-line names: their width is the text's advance plus the margins
    // the style puts around item text. Asking the style for the full item size lays out every
    // name's text, which is most of the time a long list takes to appear.
    const QWidget *widget = option.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QString text = index.data(Qt::DisplayRole).toString();
    return QSize(option.fontMetrics.horizontalAdvance(text) + 2 * margin, m_rowHeight);
}
