// Identification of the customer: kind, code, taxpayer number and their
// duplicates; the legal-name and trade-name rules.
#include "customers/cadastro_cliente.h"

#include "customers/mensagens.h"
#include "library/consiste.h"
#include "library/errors.h"
#include "library/inscricao.h"

namespace zov {

namespace {

// Plain twenty digits while the number is typed.
// Digits, and letters for an alphanumeric CNPJ.
const QString kMascaraDigitacao = QStringLiteral("AAAAAAAAAAAAAAAAAAAA;0; ");

bool outroTipo(const QString& kind) { return kind == QLatin1String("O") || kind == QLatin1String("I"); }

} // namespace

bool CadastroCliente::existeCliente(const QString& cdCliente)
{
    qryVerifCliente.close();
    qryVerifCliente.setParam(QStringLiteral("P_CDCLIENTE"), cdCliente);
    qryVerifCliente.open();
    return !qryVerifCliente.isEmpty();
}

bool CadastroCliente::existeInscricao(const QString& nrInscricao, const QString& kind)
{
    qryInsJurClie.close();
    qryInsJurClie.setParam(QStringLiteral("P_NRINSJURCLIE"), nrInscricao);
    qryInsJurClie.setParam(QStringLiteral("P_IDTPIJURCLIE"), kind);
    qryInsJurClie.open();
    return !qryInsJurClie.isEmpty();
}

void CadastroCliente::Vd_Inscricao(bool boTestaVazio)
{
    if (qryClientes.state() != DataSetState::Insert)
        return;
    const ControleCliente alvo = view_.podeFocar(ControleCliente::Inscricao) ? ControleCliente::Inscricao : ControleCliente::NrInsJurClie;
    const QString codigo = valor("NRINSJURINFO");
    if (EmptyString(codigo)) {
        if (boTestaVazio)
            falha(alvo, "Insc_inf");
        return;
    }
    // On Confirm the code was checked when its edit was left, unless it still has the focus.
    if (boTestaVazio && !view_.temFoco(ControleCliente::Inscricao))
        return;
    try {
        QString numero = QStringLiteral("C") + codigo;
        const QString kind = Ajusta_Inscricao(numero);
        poe("IDTPIJURINFO", kind);
        mascara("NRINSJURINFO", kind);
        poe("NRINSJURINFO", numero);
        view_.atualizaControles();
        if (existeCliente(kind + numero))
            falha(alvo, "Insc_cad");
        if (!outroTipo(kind)) {
            if (existeInscricao(numero, kind))
                falha(alvo, "Insc_cad");
            poe("NRINSJURCLIE", numero);
            mascara("NRINSJURCLIE", kind);
        }
        poe("IDTPIJURCLIE", kind);
        view_.atualizaControles();
    } catch (const Abort&) {
        throw;
    } catch (...) {
        view_.mostraPagina(PaginaCliente::Formulario);
        view_.foca(alvo);
        throw;
    }
}

void CadastroCliente::Vd_InscEmissao(bool boTestaVazio)
{
    if (!clienteEditando())
        return;
    const QString digitado = valor("NRINSJURCLIE");
    if (EmptyString(digitado)) {
        if (boTestaVazio)
            falha(ControleCliente::NrInsJurClie, "Insc_inf");
        return;
    }
    if (boTestaVazio && !view_.temFoco(ControleCliente::NrInsJurClie))
        return;
    try {
        QString numero = QStringLiteral("C") + digitado;
        const QString kind = Ajusta_Inscricao(numero);
        poe("IDTPIJURCLIE", kind);
        mascara("NRINSJURCLIE", kind);
        poe("NRINSJURCLIE", numero);
        view_.atualizaControles();
        const bool mesmoNumero = qryClientes.state() == DataSetState::Edit
            && qryClientes.fieldByName(QStringLiteral("NRINSJURCLIE")).oldValue().toString() == numero;
        if (!outroTipo(valor("IDTPIJURINFO"))) {
            // The screen code is the taxpayer number itself.
            poe("NRINSJURINFO", numero);
            poe("IDTPIJURINFO", kind);
            mascara("NRINSJURINFO", kind);
            view_.atualizaControles();
            if (valor("CDCLIENTE").mid(1, 20) == numero)
                return; // the customer's own number
            if (existeCliente(kind + numero))
                falha(ControleCliente::NrInsJurClie, "Insc_cad");
            if (mesmoNumero)
                return;
            if (existeInscricao(numero, kind))
                falha(ControleCliente::NrInsJurClie, "Insc_cad");
        } else if (saindoNrInsJurClie_) {
            if (mesmoNumero)
                return;
            if (existeInscricao(numero, kind) && !msgPadraoCliente().ShowMsg(QStringLiteral("Insc_Ja_Cad"))) {
                view_.foca(ControleCliente::NrInsJurClie);
                throw Abort{};
            }
        }
    } catch (const Abort&) {
        throw;
    } catch (...) {
        view_.mostraPagina(PaginaCliente::Formulario);
        view_.foca(ControleCliente::NrInsJurClie);
        throw;
    }
}

void CadastroCliente::entraInscricao()
{
    if (!clienteEditando())
        return;
    qryClientes.fieldByName(QStringLiteral("NRINSJURINFO")).editMask = kMascaraDigitacao;
    const QString v = valor("NRINSJURINFO");
    if (v != v.trimmed())
        poe("NRINSJURINFO", v.trimmed());
    view_.atualizaControles();
}

void CadastroCliente::entraNrInsJurClie()
{
    if (!clienteEditando())
        return;
    qryClientes.fieldByName(QStringLiteral("NRINSJURCLIE")).editMask = kMascaraDigitacao;
    const QString v = valor("NRINSJURCLIE");
    if (v != v.trimmed())
        poe("NRINSJURCLIE", v.trimmed());
    view_.atualizaControles();
}

void CadastroCliente::inscricaoDigitada()
{
    if (!clienteEditando())
        return;
    view_.habilitaRazaoSocial(true);
    if (qryClientes.state() != DataSetState::Insert)
        return;
    // A new code is a new kind, to be found again when the edit is left.
    if (EmptyString(valor("NRINSJURINFO")))
        poe("IDTPIJURINFO", QVariant());
    poe("IDTPIJURCLIE", QVariant());
}

void CadastroCliente::saiInscricao() { Vd_Inscricao(false); }

void CadastroCliente::saiNrInsJurClie()
{
    saindoNrInsJurClie_ = true;
    try {
        Vd_InscEmissao(false);
    } catch (...) {
        saindoNrInsJurClie_ = false;
        throw;
    }
    saindoNrInsJurClie_ = false;
}

// ---------------------------------------------------------------- names

void CadastroCliente::entraRazaoSocial()
{
    if (valor("IDTPIJURCLIE") != QLatin1String("F"))
        return;
    view_.foca(ControleCliente::NmFantasia);
    view_.habilitaRazaoSocial(false);
}

void CadastroCliente::saiFantasia()
{
    if (!clienteEditando())
        return;
    if (valor("IDTPIJURCLIE") == QLatin1String("F") && valor("NMRAZSOCCLIE") != valor("NMFANTCLIE"))
        poe("NMRAZSOCCLIE", qryClientes.fieldByName(QStringLiteral("NMFANTCLIE")).value());
    Vd_Fantasia(false);
}

void CadastroCliente::Vd_Fantasia(bool boTestaVazio)
{
    if (boTestaVazio && EmptyString(valor("NMFANTCLIE")))
        falha(ControleCliente::NmFantasia, "Fant_inf");
}

} // namespace zov
