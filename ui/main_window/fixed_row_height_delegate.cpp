#include "fixed_row_height_delegate.h"

FixedRowHeightDelegate::FixedRowHeightDelegate(int rowHeight, QObject *parent)
    : QStyledItemDelegate(parent), m_rowHeight(rowHeight)
{}

QSize FixedRowHeightDelegate::sizeHint(const QStyleOptionViewItem &option,
                                       const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(m_rowHeight);
    return size;
}
