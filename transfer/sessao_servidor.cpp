#include "transfer/sessao_servidor.h"

#include "library/velmora.h"

#include <QDir>
#include <QHostAddress>
#include <QSettings>
#include <mutex>
#include <optional>

namespace zov {

namespace {

std::mutex& lock()
{
    static std::mutex m;
    return m;
}

SessaoServidor& sessao()
{
    static SessaoServidor s;
    return s;
}

std::optional<QString>& certificado()
{
    static std::optional<QString> path;
    return path;
}

} // namespace

void DefineCredenciaisServidor(const QString& filial, const QString& operador, const QString& senha)
{
    const std::lock_guard<std::mutex> guard(lock());
    SessaoServidor& s = sessao();
    const unsigned next = s.geracao + 1;
    s = SessaoServidor{filial.trimmed().toStdString(), operador.trimmed().toStdString(), senha.toStdString(), {}, {}, 0, next};
}

void EsqueceSessaoServidor()
{
    const std::lock_guard<std::mutex> guard(lock());
    const unsigned next = sessao().geracao + 1;
    sessao() = SessaoServidor{};
    sessao().geracao = next;
}

bool TemCredenciaisServidor()
{
    const std::lock_guard<std::mutex> guard(lock());
    return sessao().temCredenciais();
}

std::string TokenServidor()
{
    const std::lock_guard<std::mutex> guard(lock());
    return sessao().token;
}

void DefineTokenServidor(const std::string& token)
{
    const std::lock_guard<std::mutex> guard(lock());
    sessao().token = token;
}

SessaoServidor SessaoServidorAtual()
{
    const std::lock_guard<std::mutex> guard(lock());
    return sessao();
}

void GuardaToken(unsigned geracao, const std::string& token)
{
    const std::lock_guard<std::mutex> guard(lock());
    if (sessao().geracao != geracao)
        return;
    sessao().token = token;
    sessao().recusa.clear();
    sessao().recusaStatus = 0;
}

void GuardaRecusa(unsigned geracao, int status, const QString& mensagem)
{
    const std::lock_guard<std::mutex> guard(lock());
    if (sessao().geracao != geracao)
        return;
    sessao().token.clear();
    sessao().recusa = mensagem;
    sessao().recusaStatus = status;
}

void LoadCertificadoServidor()
{
    const QString file = QDir(ConfigUsrDir()).filePath(QStringLiteral("instalacao.ini"));
    QSettings s(file, QSettings::IniFormat);
    const QString path = s.value(QStringLiteral("Instalacao/CertificadoServidor")).toString().trimmed();
    const std::lock_guard<std::mutex> guard(lock());
    certificado() = path;
}

QString CertificadoServidor()
{
    {
        const std::lock_guard<std::mutex> guard(lock());
        if (certificado())
            return *certificado();
    }
    LoadCertificadoServidor();
    const std::lock_guard<std::mutex> guard(lock());
    return *certificado();
}

void SetCertificadoServidor(const QString& path)
{
    const std::lock_guard<std::mutex> guard(lock());
    certificado() = path;
}

bool UsaTls(const QString& host)
{
    const QHostAddress address(host.trimmed());
    const bool loopback =
        (!address.isNull() && address.isLoopback()) || host.trimmed().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
    return !loopback || !CertificadoServidor().isEmpty();
}

} // namespace zov
