#include "server/certificado.h"

#include "library/errors.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>

#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <memory>

namespace zov::server {

namespace {

using X509Ptr = std::unique_ptr<X509, decltype(&X509_free)>;
using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using BioPtr = std::unique_ptr<BIO, decltype(&BIO_free)>;

[[noreturn]] void failed(const QString& what)
{
    char text[256] = {};
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    throw Error(QStringLiteral("%1 (%2)").arg(what, QString::fromLatin1(text)));
}

KeyPtr newKey()
{
    KeyPtr key(EVP_EC_gen("P-256"), &EVP_PKEY_free);
    if (!key)
        failed(QStringLiteral("Não foi possível gerar uma chave"));
    return key;
}

void addExtension(X509* cert, X509V3_CTX& ctx, int nid, const QString& value)
{
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.toLatin1().constData());
    if (!ext)
        failed(QStringLiteral("Extensão inválida no certificado: %1").arg(value));
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

struct Signer {
    X509* cert;
    EVP_PKEY* key;
};

X509Ptr makeCertificate(EVP_PKEY* key, const QString& commonName, const Signer* issuer, int startDays, int days, const QStringList& hosts)
{
    X509Ptr cert(X509_new(), &X509_free);
    X509* x = cert.get();
    X509_set_version(x, 2);
    std::unique_ptr<BIGNUM, decltype(&BN_free)> serial(BN_new(), &BN_free);
    if (!BN_rand(serial.get(), 127, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) || !BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(x)))
        failed(QStringLiteral("Não foi possível numerar o certificado"));
    X509_gmtime_adj(X509_getm_notBefore(x), long(startDays) * 86400L);
    X509_gmtime_adj(X509_getm_notAfter(x), long(startDays + days) * 86400L);
    X509_set_pubkey(x, key);
    X509_NAME* name = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("Pedidos ZOV-RA"), -1, -1, 0);
    const QByteArray cn = commonName.toUtf8();
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(cn.constData()), -1, -1, 0);
    X509_set_issuer_name(x, issuer ? X509_get_subject_name(issuer->cert) : name);

    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer ? issuer->cert : x, x, nullptr, nullptr, 0);
    addExtension(x, ctx, NID_subject_key_identifier, QStringLiteral("hash"));
    if (!issuer) {
        addExtension(x, ctx, NID_basic_constraints, QStringLiteral("critical,CA:TRUE,pathlen:0"));
        addExtension(x, ctx, NID_key_usage, QStringLiteral("critical,keyCertSign,cRLSign"));
    } else {
        addExtension(x, ctx, NID_authority_key_identifier, QStringLiteral("keyid"));
        addExtension(x, ctx, NID_basic_constraints, QStringLiteral("critical,CA:FALSE"));
        addExtension(x, ctx, NID_key_usage, QStringLiteral("critical,digitalSignature,keyEncipherment"));
        addExtension(x, ctx, NID_ext_key_usage, QStringLiteral("serverAuth"));
        QStringList names;
        for (const QString& h : hosts)
            names << (QHostAddress(h).isNull() ? QStringLiteral("DNS:") : QStringLiteral("IP:")) + h;
        addExtension(x, ctx, NID_subject_alt_name, names.join(QLatin1Char(',')));
    }
    if (!X509_sign(x, issuer ? issuer->key : key, EVP_sha256()))
        failed(QStringLiteral("Não foi possível assinar o certificado"));
    return cert;
}

void writePem(const QString& path, const std::function<int(BIO*)>& write, bool secret)
{
    BioPtr bio(BIO_new(BIO_s_mem()), &BIO_free);
    if (!write(bio.get()))
        failed(QStringLiteral("Não foi possível escrever \"%1\"").arg(path));
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    QFile file(path);
    // A key is never readable by others, not even for an instant after it is written.
    QFile::remove(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw Error(QStringLiteral("Não foi possível criar \"%1\": %2").arg(path, file.errorString()));
    if (secret)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(data, size) != size || !file.flush())
        throw Error(QStringLiteral("Não foi possível gravar \"%1\": %2").arg(path, file.errorString()));
}

template <typename T, typename Read>
std::unique_ptr<T, void (*)(T*)> readPem(const QString& path, Read read, void (*free)(T*))
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Não foi possível ler \"%1\": %2").arg(path, file.errorString()));
    const QByteArray text = file.readAll();
    BioPtr bio(BIO_new_mem_buf(text.constData(), int(text.size())), &BIO_free);
    T* value = read(bio.get(), nullptr, nullptr, nullptr);
    if (!value)
        failed(QStringLiteral("\"%1\" não é um arquivo PEM válido").arg(path));
    return {value, free};
}

} // namespace

bool enderecoLocal(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

CertificadoFeito fazCertificado(const CertificadoPedido& pedido)
{
    if (pedido.hosts.isEmpty())
        throw Error(QStringLiteral("Informe ao menos um endereço do servidor (--host)."));
    if (!QDir().mkpath(pedido.saida))
        throw Error(QStringLiteral("Não foi possível criar a pasta \"%1\".").arg(pedido.saida));
    const QDir dir(pedido.saida);
    CertificadoFeito feito{dir.filePath(QStringLiteral("ca.pem")), dir.filePath(QStringLiteral("servidor.pem")),
                           dir.filePath(QStringLiteral("servidor-chave.pem")), false};
    const QString caKeyPath = dir.filePath(QStringLiteral("ca-chave.pem"));

    std::unique_ptr<X509, void (*)(X509*)> ca(nullptr, &X509_free);
    std::unique_ptr<EVP_PKEY, void (*)(EVP_PKEY*)> caKey(nullptr, &EVP_PKEY_free);
    if (QFile::exists(feito.ca) && QFile::exists(caKeyPath)) {
        // The laptops already trust this CA: keep it.
        ca = readPem<X509>(feito.ca, &PEM_read_bio_X509, &X509_free);
        caKey = readPem<EVP_PKEY>(caKeyPath, &PEM_read_bio_PrivateKey, &EVP_PKEY_free);
        if (X509_check_private_key(ca.get(), caKey.get()) != 1)
            throw Error(QStringLiteral("\"%1\" não é a chave de \"%2\".").arg(caKeyPath, feito.ca));
    } else {
        KeyPtr key = newKey();
        X509Ptr made = makeCertificate(key.get(), QStringLiteral("Pedidos ZOV-RA - autoridade da empresa"), nullptr, 0, 3650, {});
        writePem(
            caKeyPath, [&](BIO* b) { return PEM_write_bio_PrivateKey(b, key.get(), nullptr, nullptr, 0, nullptr, nullptr); }, true);
        writePem(
            feito.ca, [&](BIO* b) { return PEM_write_bio_X509(b, made.get()); }, false);
        ca.reset(made.release());
        caKey.reset(key.release());
        feito.caNova = true;
    }
    KeyPtr key = newKey();
    const Signer signer{ca.get(), caKey.get()};
    X509Ptr cert = makeCertificate(key.get(), pedido.hosts.first(), &signer, pedido.inicioEmDias, pedido.diasValidade, pedido.hosts);
    writePem(
        feito.chave, [&](BIO* b) { return PEM_write_bio_PrivateKey(b, key.get(), nullptr, nullptr, 0, nullptr, nullptr); }, true);
    writePem(
        feito.certificado, [&](BIO* b) { return PEM_write_bio_X509(b, cert.get()); }, false);
    return feito;
}

} // namespace zov::server
