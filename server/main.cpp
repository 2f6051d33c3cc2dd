// zov-appserver: the application server of the order client.
//
//   zov-appserver init  --db FILE|URI [--demo | --scale N] [--force]
//   zov-appserver serve --db FILE|URI [--host 127.0.0.1] [--port 211] [--certificado PEM --chave PEM]
//   zov-appserver pedidos --db FILE|URI
//   zov-appserver situacao --db FILE|URI --filial F --pedido N [--instalacao ID] --situacao A|F|P|C|D [--nota NF] [--valor V] [--motivo TEXTO]
//   zov-appserver certificado --host IP [--host IP...] --saida DIR
// (--db also from ZOV_APPSERVER_DB; a URI is postgresql://user@host/db)
#include "library/errors.h"
#include "library/local_time.h"
#include "server/app_server.h"
#include "server/certificado.h"
#include "server/demo_company.h"
#include "server/received_orders.h"
#include "server/server_database.h"
#include "server/situacoes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

using namespace zov;
using namespace zov::server;

namespace {

const char* const kUsage = "uso:\n"
                           "  zov-appserver init  --db BANCO [--demo | --scale N] [--force]\n"
                           "  zov-appserver serve --db BANCO [--host 127.0.0.1] [--port 211]\n"
                           "                      [--certificado ARQUIVO.pem --chave ARQUIVO.pem]\n"
                           "  zov-appserver pedidos --db BANCO\n"
                           "  zov-appserver situacao --db BANCO --filial F --pedido N [--instalacao ID]\n"
                           "                      --situacao R|A|F|P|C|D [--nota NF] [--valor V] [--motivo TEXTO]\n"
                           "  zov-appserver certificado --host IP [--host IP ...] --saida PASTA\n"
                           "\n"
                           "BANCO é um arquivo SQLite ou um banco PostgreSQL em forma de URI\n"
                           "(postgresql://usuario@maquina/banco); sem --db, vale ZOV_APPSERVER_DB.\n"
                           "\n"
                           "init   cria o banco do servidor (vazio, com a empresa de demonstração, ou\n"
                           "       com N x 10 000 produtos e clientes para medições); --force substitui\n"
                           "       um arquivo existente (no PostgreSQL, apaga as tabelas do banco).\n"
                           "serve  atende os clientes; --port 0 escolhe uma porta livre. A primeira\n"
                           "       linha da saída é \"listening HOST:PORTA\". Com --certificado e\n"
                           "       --chave atende por HTTPS (TLS); sem eles só escuta em 127.0.0.1 ou ::1.\n"
                           "pedidos\n"
                           "       lista os pedidos recebidos, um por linha (filial, número, usuário da\n"
                           "       estação, recebimento, cliente, itens, total, observação, situação na\n"
                           "       empresa); não altera o banco.\n"
                           "situacao\n"
                           "       marca a situação de um pedido recebido na empresa, que o notebook\n"
                           "       que o enviou recebe na próxima atualização: R recebido, A aprovado,\n"
                           "       F faturado (--nota, --valor), P faturado em parte, C cancelado,\n"
                           "       D devolvido ao vendedor para correção (--motivo). --instalacao (o\n"
                           "       começo da identidade basta) só é preciso quando o mesmo número veio\n"
                           "       de mais de uma instalação.\n"
                           "certificado\n"
                           "       cria em PASTA uma autoridade certificadora própria (ca.pem e\n"
                           "       ca-chave.pem, mantidas se já existirem) e um certificado do servidor\n"
                           "       para os endereços dados (servidor.pem e servidor-chave.pem). Os\n"
                           "       clientes confiam em ca.pem (instalacao.ini, CertificadoServidor).\n";

struct Options {
    QString command, db, host = QStringLiteral("127.0.0.1");
    QString certificate, key, folder;
    QStringList hosts;
    NovaSituacao situacao;
    int port = 211;
    bool demo = false, force = false;
    int scale = 0;
};

[[noreturn]] void usage(const QString& problem)
{
    // Asked for, the usage is the answer: stdout and success.
    if (problem.isEmpty()) {
        std::fputs(kUsage, stdout);
        std::exit(0);
    }
    std::fprintf(stderr, "zov-appserver: %s\n\n", problem.toLocal8Bit().constData());
    std::fputs(kUsage, stderr);
    std::exit(2);
}

int number(const QString& text, const char* option)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < 0)
        usage(QStringLiteral("%1 espera um número, não \"%2\".").arg(QLatin1String(option), text));
    return v;
}

// The options of situacao, each a field of the situation it sets.
QString NovaSituacao::*campoDaSituacao(const QString& option)
{
    static const std::pair<const char*, QString NovaSituacao::*> campos[] = {
        {"--filial", &NovaSituacao::filial},  {"--pedido", &NovaSituacao::pedido}, {"--instalacao", &NovaSituacao::instalacao},
        {"--situacao", &NovaSituacao::letra}, {"--nota", &NovaSituacao::nota},     {"--valor", &NovaSituacao::valor},
        {"--motivo", &NovaSituacao::motivo}};
    for (const auto& [nome, campo] : campos)
        if (option == QLatin1String(nome))
            return campo;
    return nullptr;
}

Options parse(int argc, char** argv)
{
    if (argc < 2)
        usage(QStringLiteral("falta o comando."));
    Options o;
    o.command = QString::fromLocal8Bit(argv[1]);
    if (o.command == QLatin1String("--help") || o.command == QLatin1String("-h"))
        usage({});
    if (o.command != QLatin1String("init") && o.command != QLatin1String("serve") && o.command != QLatin1String("pedidos")
        && o.command != QLatin1String("certificado") && o.command != QLatin1String("situacao"))
        usage(QStringLiteral("comando desconhecido: %1").arg(o.command));
    for (int i = 2; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        auto value = [&]() {
            if (i + 1 >= argc)
                usage(QStringLiteral("%1 espera um valor.").arg(a));
            return QString::fromLocal8Bit(argv[++i]);
        };
        const bool certificate = o.command == QLatin1String("certificado");
        if (a == QLatin1String("--db") && !certificate)
            o.db = value();
        else if (a == QLatin1String("--host") && certificate)
            o.hosts << value();
        else if (a == QLatin1String("--saida") && certificate)
            o.folder = value();
        else if (a == QLatin1String("--certificado") && o.command == QLatin1String("serve"))
            o.certificate = value();
        else if (a == QLatin1String("--chave") && o.command == QLatin1String("serve"))
            o.key = value();
        else if (a == QLatin1String("--host") && o.command == QLatin1String("serve"))
            o.host = value();
        else if (a == QLatin1String("--port") && o.command == QLatin1String("serve"))
            o.port = number(value(), "--port");
        else if (QString NovaSituacao::*campo = o.command == QLatin1String("situacao") ? campoDaSituacao(a) : nullptr)
            o.situacao.*campo = value();
        else if (a == QLatin1String("--demo") && o.command == QLatin1String("init"))
            o.demo = true;
        else if (a == QLatin1String("--scale") && o.command == QLatin1String("init"))
            o.scale = number(value(), "--scale");
        else if (a == QLatin1String("--force") && o.command == QLatin1String("init"))
            o.force = true;
        else
            usage(QStringLiteral("opção desconhecida para %1: %2").arg(o.command, a));
    }
    if (o.command == QLatin1String("certificado")) {
        if (o.hosts.isEmpty())
            usage(QStringLiteral("falta --host IP."));
        if (o.folder.isEmpty())
            usage(QStringLiteral("falta --saida PASTA."));
        return o;
    }
    // A service's database is set once in its environment (systemctl edit),
    // and a URI with a password stays out of the process list.
    if (o.db.isEmpty())
        o.db = qEnvironmentVariable("ZOV_APPSERVER_DB");
    if (o.db.isEmpty())
        usage(QStringLiteral("falta --db ARQUIVO (ou URI postgresql://), ou ZOV_APPSERVER_DB."));
    if (o.certificate.isEmpty() != o.key.isEmpty())
        usage(QStringLiteral("--certificado e --chave vão juntos."));
    // Without TLS, passwords and the customer file would cross the network in clear.
    if (o.command == QLatin1String("serve") && o.certificate.isEmpty() && !enderecoLocal(o.host))
        usage(QStringLiteral("sem --certificado e --chave o servidor só escuta em 127.0.0.1 ou ::1, não em %1 "
                             "(zov-appserver certificado faz um certificado).")
                  .arg(o.host));
    if (o.command == QLatin1String("situacao")
        && (o.situacao.filial.isEmpty() || o.situacao.pedido.isEmpty() || o.situacao.letra.isEmpty()))
        usage(QStringLiteral("situacao precisa de --filial, --pedido e --situacao."));
    if (o.demo && o.scale > 0)
        usage(QStringLiteral("use --demo ou --scale, não os dois."));
    if (o.port > 65535)
        usage(QStringLiteral("porta inválida: %1").arg(o.port));
    return o;
}

int init(const Options& o)
{
    if (o.force)
        clearServerDatabase(o.db);
    QElapsedTimer clock;
    clock.start();
    auto db = createServerDatabase(o.db);
    if (o.scale > 0)
        fillScaleCompany(*db, o.scale);
    else if (o.demo)
        fillDemoCompany(*db);
    finishServerDatabase(*db);
    std::printf("banco do servidor criado: %s (%lld ms)\n", db->target().toLocal8Bit().constData(), clock.elapsed());
    return 0;
}

int listOrders(const Options& o)
{
    auto db = openServerDatabaseForReading(o.db);
    std::fputs(receivedOrdersListing(*db).toLocal8Bit().constData(), stdout);
    return 0;
}

int setSituation(const Options& o)
{
    auto db = openServerDatabase(o.db);
    std::printf("%s\n", defineSituacao(*db, o.situacao).toLocal8Bit().constData());
    return 0;
}

int makeCertificate(const Options& o)
{
    const CertificadoFeito made = fazCertificado(CertificadoPedido{o.hosts, o.folder});
    std::printf("%s: %s\n", made.caNova ? "autoridade certificadora criada" : "autoridade certificadora mantida",
                made.ca.toLocal8Bit().constData());
    std::printf("certificado do servidor (%s): %s\nchave do servidor: %s\n", o.hosts.join(QStringLiteral(", ")).toLocal8Bit().constData(),
                made.certificado.toLocal8Bit().constData(), made.chave.toLocal8Bit().constData());
    return 0;
}

int serve(const Options& o)
{
    // SIGINT and SIGTERM end the server cleanly: one thread waits for them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    AppServer server(o.db, TlsFiles{o.certificate, o.key});
    server.setLogging(true);
    const int port = server.bind(o.host, o.port);
    std::printf("listening %s:%d\n", o.host.toLocal8Bit().constData(), port);
    std::fprintf(stderr, "zov-appserver: %s em %s:%d\n", server.servesTls() ? "HTTPS (TLS)" : "HTTP sem TLS, só local",
                 o.host.toLocal8Bit().constData(), port);
    std::fflush(stdout);

    std::atomic<bool> woken{false};
    std::thread waiter([&] {
        int sig = 0;
        sigwait(&stopSignals, &sig);
        woken = true;
        server.stop();
    });
    server.listen();
    // listen() may also end on its own: wake the waiter so it can be joined.
    if (!woken.exchange(true))
        pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    zov::readLocalTimeZoneOnce();
    const Options o = parse(argc, argv);
    try {
        if (o.command == QLatin1String("init"))
            return init(o);
        if (o.command == QLatin1String("pedidos"))
            return listOrders(o);
        if (o.command == QLatin1String("certificado"))
            return makeCertificate(o);
        if (o.command == QLatin1String("situacao"))
            return setSituation(o);
        return serve(o);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zov-appserver: %s\n", e.what());
        return 1;
    }
}
