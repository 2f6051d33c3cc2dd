#include "orders/envio_email.h"

#include "library/database.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "orders/espelho_pedido.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace zov {

namespace {

void executaDeVerdade(const QString& programa, const QStringList& argumentos, FimPrograma fim)
{
    const QString caminho = QStandardPaths::findExecutable(programa);
    if (caminho.isEmpty()) {
        fim(false, -1);
        return;
    }
    auto* p = new QProcess(QCoreApplication::instance());
    QObject::connect(p, &QProcess::finished, p, [p, fim](int codigo, QProcess::ExitStatus status) {
        p->deleteLater();
        runGuarded([&] { fim(true, status == QProcess::NormalExit ? codigo : -1); });
    });
    QObject::connect(p, &QProcess::errorOccurred, p, [p, fim](QProcess::ProcessError erro) {
        if (erro != QProcess::FailedToStart)
            return;
        p->deleteLater();
        runGuarded([&] { fim(false, -1); });
    });
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    p->start(caminho, argumentos);
}

ExecutaPrograma& executa()
{
    static ExecutaPrograma e;
    return e;
}

QString emailDoCliente(Database& db, const QString& cdFilial, const QString& nrPedido)
{
    return db
        .scalar(QStringLiteral("SELECT COALESCE(NULLIF(TRIM(E.DSEMAILCLIE), ''), TRIM(E.DSEMAILCLIE2)) FROM PEDIDO P "
                               "JOIN ENDECLIE E ON E.CDCLIENTE = P.CDCLIENTE AND E.IDTPENDECLIE = 'P' "
                               "WHERE P.CDFILIAL = :F AND P.NRPEDIDO = :N"),
                {{QStringLiteral("F"), cdFilial}, {QStringLiteral("N"), nrPedido}})
        .toString()
        .trimmed();
}

} // namespace

QStringList argumentosXdgEmail(const MensagemPedido& m)
{
    QStringList a{QStringLiteral("--utf8"),
                  QStringLiteral("--subject"),
                  m.assunto,
                  QStringLiteral("--body"),
                  m.corpo,
                  QStringLiteral("--attach"),
                  m.anexo};
    static const QRegularExpression endereco(QStringLiteral("^[A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9-]+(\\.[A-Za-z0-9-]+)+$"));
    if (!m.para.startsWith(QLatin1Char('-')) && endereco.match(m.para).hasMatch())
        a << m.para;
    return a;
}

void setExecutaPrograma(ExecutaPrograma e) { executa() = std::move(e); }

void EnviaPedidoPorEmail(Database& db, const QString& cdFilial, const QString& nrPedido)
{
    const std::optional<EspelhoPedido> espelho = EspelhoPedido::le(db, cdFilial, nrPedido);
    if (!espelho)
        MensErro(QStringLiteral("O pedido %1 não existe na filial %2.").arg(nrPedido, cdFilial), true);
    const QString pasta = QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)).filePath(QStringLiteral("email"));
    if (!QDir().mkpath(pasta))
        MensErro(QStringLiteral("Não foi possível criar a pasta %1 para o PDF do pedido.").arg(QDir::toNativeSeparators(pasta)), true);
    MensagemPedido m;
    m.anexo = QDir(pasta).filePath(QStringLiteral("Pedido-%1.pdf").arg(nrPedido));
    espelho->gravaPdf(m.anexo);
    m.para = emailDoCliente(db, cdFilial, nrPedido);
    m.assunto = QStringLiteral("Pedido %1").arg(nrPedido);
    m.corpo = QStringLiteral("Segue em anexo o pedido %1.").arg(nrPedido);
    const QString onde = QDir::toNativeSeparators(m.anexo);
    const FimPrograma fim = [onde](bool iniciou, int codigo) {
        if (iniciou && codigo == 0)
            return;
        // xdg-email: 3 no mail program found, 4 it failed; not started: no xdg-utils.
        if (!iniciou || codigo == 3 || codigo == 4)
            dialogs().error(QStringLiteral("Não há um programa de e-mail configurado neste computador. "
                                           "O pedido foi salvo em PDF em %1: anexe-o a uma mensagem no seu e-mail.")
                                .arg(onde));
        else
            dialogs().error(QStringLiteral("O programa de e-mail não abriu a mensagem (código %1). O pedido foi salvo em PDF em %2.")
                                .arg(codigo)
                                .arg(onde));
    };
    (executa() ? executa() : executaDeVerdade)(QStringLiteral("xdg-email"), argumentosXdgEmail(m), fim);
}

} // namespace zov
