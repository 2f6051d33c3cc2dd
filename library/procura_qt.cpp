#include "library/procura.h"

#include "library/dataset.h"
#include "library/dialogs.h"
#include "library/errors.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zov {

void Procura(Query& dataset, QWidget* parent)
{
    if (!dataset.active())
        return;
    QDialog dlg(parent);
    dlg.setObjectName(QStringLiteral("frmProcura"));
    dlg.setWindowTitle(QStringLiteral("Procurar"));
    auto* layout = new QVBoxLayout(&dlg);
    auto* form = new QFormLayout;
    auto* cbbCampo = new QComboBox(&dlg);
    cbbCampo->setObjectName(QStringLiteral("cbbCampo"));
    for (int i = 0; i < dataset.fieldCount(); ++i) {
        const Field& f = dataset.field(i);
        // A column without a title (a check column) is no field to look in.
        if (f.visible && !f.label().trimmed().isEmpty())
            cbbCampo->addItem(f.label(), f.fieldName());
    }
    auto* edtTexto = new QLineEdit(&dlg);
    edtTexto->setObjectName(QStringLiteral("edtTexto"));
    form->addRow(QStringLiteral("&Campo:"), cbbCampo);
    form->addRow(QStringLiteral("&Procurar:"), edtTexto);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(&dlg);
    QPushButton* btnLocalizar = buttons->addButton(QStringLiteral("&Localizar"), QDialogButtonBox::ActionRole);
    QPushButton* btnProximo = buttons->addButton(QStringLiteral("Pró&ximo"), QDialogButtonBox::ActionRole);
    QPushButton* btnFechar = buttons->addButton(QStringLiteral("&Fechar"), QDialogButtonBox::RejectRole);
    btnLocalizar->setDefault(true);
    // The user came to type: the text field has the focus, the field list is one Shift+Tab away.
    edtTexto->setFocus();
    layout->addWidget(buttons);

    auto localiza = [&](bool next) {
        runGuarded([&] {
            if (!LocalizaTexto(dataset, cbbCampo->currentData().toString(), edtTexto->text(), next))
                dialogs().info(QStringLiteral("Registro não encontrado."));
        });
    };
    QObject::connect(btnLocalizar, &QPushButton::clicked, &dlg, [&] { localiza(false); });
    QObject::connect(btnProximo, &QPushButton::clicked, &dlg, [&] { localiza(true); });
    QObject::connect(btnFechar, &QPushButton::clicked, &dlg, &QDialog::reject);
    dlg.exec();
}

} // namespace zov
