#include "properties_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PropertiesDialog::PropertiesDialog(const shell::actions::ItemFacts &facts, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PropertiesDialog"));
    setWindowTitle(QStringLiteral("Propriétés de %1").arg(facts.name));
    auto *form = new QFormLayout;
    const auto addRow = [&](const QString &label, const QString &value, const char *name) {
        if (value.isEmpty())
            return;
        auto *text = new QLabel(value);
        text->setObjectName(QLatin1String(name));
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        text->setTextFormat(Qt::PlainText);
        form->addRow(label, text);
    };
    addRow(QStringLiteral("Nom :"), facts.name, "name");
    addRow(QStringLiteral("Type :"), facts.type, "type");
    addRow(QStringLiteral("Emplacement :"), facts.location, "location");
    addRow(QStringLiteral("Taille :"), facts.size, "size");
    addRow(QStringLiteral("Modifié le :"), facts.modified, "modified");

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fermer"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}
