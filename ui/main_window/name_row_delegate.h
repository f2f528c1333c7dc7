// Draws the rows of a file list: one fixed height, and one width for all, that of the widest
// name, so the view never measures the names itself.
#pragma once

#include <QStyledItemDelegate>

class NameRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    NameRowDelegate(int rowHeight, QObject *parent);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int m_rowHeight;
};
