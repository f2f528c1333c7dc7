// Ways to move names besides the glyph buttons, which take no keyboard focus: Enter in a list
// does what the single-arrow button beside it does, and a double-click moves the name clicked.
#pragma once

#include <QObject>
#include <functional>

class QAbstractButton;
class QListView;

class ListMoves : public QObject
{
    Q_OBJECT

public:
    // `moveSelection` is the list's single-arrow button; `moveRow` moves one name away.
    ListMoves(QListView *list, QAbstractButton *moveSelection,
              std::function<void(int row)> moveRow);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAbstractButton *m_moveSelection;
};
