#include "labeled_edit.h"

#include <QEvent>

LabeledEdit::LabeledEdit(QWidget *parent) : QLineEdit(parent), m_label(new QLabel(parent))
{
    m_label->setBuddy(this);
    placeLabel();
}

LabeledEdit::~LabeledEdit()
{
    delete m_label;
}

void LabeledEdit::setLabelText(const QString &text)
{
    m_label->setText(text);
    placeLabel();
}

void LabeledEdit::placeLabel()
{
    if (!m_label)
        return;
    m_label->adjustSize();
    m_label->move(x(), y() - LabelSpacing - m_label->height());
}

void LabeledEdit::moveEvent(QMoveEvent *event)
{
    QLineEdit::moveEvent(event);
    placeLabel();
}

void LabeledEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    placeLabel();
}

void LabeledEdit::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (!m_label)
        return;
    if (event->type() == QEvent::EnabledChange)
        m_label->setEnabled(isEnabled());
    else if (event->type() == QEvent::FontChange)
        placeLabel();
}

void LabeledEdit::showEvent(QShowEvent *event)
{
    QLineEdit::showEvent(event);
    if (m_label)
        m_label->setVisible(true);
}

void LabeledEdit::hideEvent(QHideEvent *event)
{
    QLineEdit::hideEvent(event);
    if (m_label && !isVisibleTo(parentWidget()))
        m_label->setVisible(false);
}
