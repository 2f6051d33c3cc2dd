#include "library/opcoes_qt.h"

#include "library/dialogs.h"
#include "library/errors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

namespace zov {

namespace {

const QString kVariavel = QStringLiteral("TStringList");

QString boolText(bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); }

} // namespace

std::vector<OpcaoSalva> opcoesDaTela(QWidget& tela, const QString& cdTela, const QString& cdOperador, const QString& nome,
                                     const VariaveisOpcoes& variaveis)
{
    std::vector<OpcaoSalva> rows;
    auto add = [&](const QString& componente, const QString& valor, const QString& variavel = {}) {
        rows.push_back({cdTela, cdOperador, nome, variavel, componente, valor});
    };
    for (QWidget* w : tela.findChildren<QWidget*>()) {
        const QString name = w->objectName();
        // Inner widgets of composite controls (a combo box's own line edit) have no name.
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            add(name, edit->text());
        else if (auto* check = qobject_cast<QCheckBox*>(w))
            add(name, boolText(check->isChecked()));
        else if (auto* radio = qobject_cast<QRadioButton*>(w))
            add(name, boolText(radio->isChecked()));
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            add(name, QString::number(combo->currentIndex()));
    }
    for (auto it = variaveis.begin(); it != variaveis.end(); ++it)
        add(kVariavel, it.value(), it.key());
    return rows;
}

void aplicaOpcoes(QWidget& tela, const std::vector<OpcaoSalva>& rows, VariaveisOpcoes& variaveis)
{
    for (const OpcaoSalva& o : rows) {
        if (o.NMCOMPONENTE == kVariavel) {
            variaveis[o.STVARIAVEL] = o.DSVALOR;
            continue;
        }
        QWidget* w = tela.findChild<QWidget*>(o.NMCOMPONENTE);
        if (!w)
            continue; // a control the window no longer has
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            edit->setText(o.DSVALOR);
        } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
            check->setChecked(o.DSVALOR == QLatin1String("True"));
        } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            radio->setChecked(o.DSVALOR == QLatin1String("True"));
            if (radio->isChecked() && radio->isEnabled() && radio->isVisible())
                radio->setFocus();
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            bool ok = false;
            const int index = o.DSVALOR.toInt(&ok);
            if (ok && index >= -1 && index < combo->count())
                combo->setCurrentIndex(index);
        }
    }
}

bool SalvaOpcoes(QWidget& tela, const QString& cdTela, const QString& cdOperador, const VariaveisOpcoes& variaveis)
{
    const QString nome = dialogs().askText(QStringLiteral("Salvar opções"), QStringLiteral("Nome das opções:"), QString());
    if (nome.isEmpty())
        return false;
    try {
        gravaConjuntoOpcoes(arquivoOpcoes(cdOperador), opcoesDaTela(tela, cdTela, cdOperador, nome, variaveis));
    } catch (const Error& e) {
        dialogs().error(e.text());
        return false;
    }
    return true;
}

} // namespace zov
