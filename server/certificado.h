#pragma once
// `zov-appserver certificado`: a certificate authority of the company's own
// and a server certificate naming the server's IP addresses, for a demo or a
// small company without a CA. The clients trust the CA file
// (instalacao.ini, CertificadoServidor); a new server certificate from the
// same CA needs nothing new on the laptops.
#include <QString>
#include <QStringList>

namespace zov::server {

struct CertificadoPedido {
    QStringList hosts;      // IP addresses (or names) the server answers on
    QString saida;          // the folder written
    int diasValidade = 825; // of the server certificate
    // The server certificate's start, in days from now (tests make expired ones).
    int inicioEmDias = 0;
};

struct CertificadoFeito {
    QString ca, certificado, chave;
    bool caNova = false; // false: the CA in the folder was kept
};

// Writes ca.pem and ca-chave.pem (made only when missing), servidor.pem and
// servidor-chave.pem (keys readable by the owner only). Throws Error.
CertificadoFeito fazCertificado(const CertificadoPedido& pedido);

// True for 127.0.0.0/8, ::1 and "localhost".
bool enderecoLocal(const QString& host);

} // namespace zov::server
