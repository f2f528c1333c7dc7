#pragma once

// A small dialog of one item's facts, read-only, closed with its button.

#include "shell/actions/item_facts.h"

#include <QDialog>

class PropertiesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PropertiesDialog(const shell::actions::ItemFacts &facts, QWidget *parent = nullptr);
};
