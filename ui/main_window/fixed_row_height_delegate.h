// Draws list rows at one fixed height, whatever the font.
#pragma once

#include <QStyledItemDelegate>

class FixedRowHeightDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    FixedRowHeightDelegate(int rowHeight, QObject *parent);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int m_rowHeight;
};
