#pragma once

// A small dialog of one item's facts, read-only, closed with its button.

#include "item_facts.h"

#include <QDialog>

namespace shell::actions {

class PropertiesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PropertiesDialog(const ItemFacts &facts, QWidget *parent = nullptr);
};

} // namespace shell::actions
