#include "customers/enderecos.h"

#include "customers/mensagens.h"
#include "library/consiste.h"
#include "library/errors.h"

namespace zov {

namespace {

// Statement text of a geography list; see the lookup-parameter convention.
const char* const kSqlPais = R"(SELECT
   CDPAIS, NMPAIS
FROM
   PAIS
WHERE
   (CDPAIS = :P_CDPAIS OR :P_TCDPAIS = 'T')
ORDER BY
   CDPAIS)";

const char* const kSqlEstado = R"(SELECT
   SGESTADO,
   NMESTADO
FROM
   ESTADO
WHERE
   (CDPAIS   = :P_CDPAIS) AND
   (SGESTADO = :P_SGESTADO OR :P_TSGESTADO = 'T')
ORDER BY
   SGESTADO)";

const char* const kSqlMunicipio = R"(SELECT
   CDMUNICIPIO,
   NMMUNICIPIO
FROM
   MUNICIPIO
WHERE
   (CDPAIS      = :P_CDPAIS  ) AND
   (SGESTADO    = :P_SGESTADO) AND
   (CDMUNICIPIO = :P_CDMUNICIPIO OR :P_TCDMUNICIPIO = 'T')
ORDER BY
   CDMUNICIPIO)";

const char* const kSqlBairro = R"(SELECT
   CDBAIRRO,
   NMBAIRRO
FROM
   BAIRRO
WHERE
   (CDPAIS      = :P_CDPAIS     ) AND
   (SGESTADO    = :P_SGESTADO   ) AND
   (CDMUNICIPIO = :P_CDMUNICIPIO) AND
   (CDBAIRRO = :P_CDBAIRRO OR :P_TCDBAIRRO = 'T')
ORDER BY
   CDBAIRRO)";

void rotula(Query& q, const char* codigo, const char* rotuloCodigo, const char* nome)
{
    q.defineField(QString::fromLatin1(codigo)).displayLabel = QString::fromUtf8(rotuloCodigo);
    q.defineField(QString::fromLatin1(nome)).displayLabel = QStringLiteral("Nome");
}

QString msg(const char* key) { return msgPadraoCliente().Msg(QString::fromLatin1(key)); }

} // namespace

Geografia::Geografia(Database& db)
    : qryPais(&db, QStringLiteral("qryPais")),
      qryEstado(&db, QStringLiteral("qryEstado")),
      qryMunicipio(&db, QStringLiteral("qryMunicipio")),
      qryBairro(&db, QStringLiteral("qryBairro"))
{
    qryPais.setSql(QString::fromLatin1(kSqlPais));
    qryEstado.setSql(QString::fromLatin1(kSqlEstado));
    qryMunicipio.setSql(QString::fromLatin1(kSqlMunicipio));
    qryBairro.setSql(QString::fromLatin1(kSqlBairro));
    rotula(qryPais, "CDPAIS", "Código", "NMPAIS");
    rotula(qryEstado, "SGESTADO", "Sigla", "NMESTADO");
    rotula(qryMunicipio, "CDMUNICIPIO", "Código", "NMMUNICIPIO");
    rotula(qryBairro, "CDBAIRRO", "Código", "NMBAIRRO");
}

// ---------------------------------------------------------------- statements

QString EnderecoCliente::sql(Tipo tipo)
{
    // Inner joins: an address whose country or municipality is not in the
    // local tables is not shown.
    QString extra;
    if (tipo == Tipo::Entrega)
        extra = QStringLiteral(",\n   A.DSCOMPENDCLI, A.DSEMAILCLIE2");
    return QStringLiteral(R"(SELECT
   A.CDCLIENTE,    A.CDPAIS,
   A.SGESTADO,     A.CDMUNICIPIO,
   A.DSENDECLIE,   A.NMBAIRCLIE,
   A.NRCEPCLIE,    A.NRTELECLIE,
   A.NRRAMALCLIE,  A.NRTELEXCLIE,
   A.NRFAXCLIE,    A.NMCONTCLIE,
   A.IDTPENDECLIE, A.DSEMAILCLIE,
   A.NRTELECLIE1,  A.NRRAMALCLIE1,
   B.NMPAIS,       C.NMMUNICIPIO,
   A.CDBAIRRO,     A.NRCELULARCLI,
   A.NRTELRESICLI, A.DSPTOREFECLI%1
FROM
   PAIS B, MUNICIPIO C, ENDECLIE A
WHERE
   (B.CDPAIS       = A.CDPAIS)      AND
   (C.CDPAIS       = A.CDPAIS)      AND
   (C.SGESTADO     = A.SGESTADO)    AND
   (C.CDMUNICIPIO  = A.CDMUNICIPIO) AND
   (A.CDCLIENTE    = :OLD_CDCLIENTE)  AND
   (A.IDTPENDECLIE = '%2'))")
        .arg(extra, tipo == Tipo::Proprio ? QStringLiteral("P") : QStringLiteral("T"));
}

UpdateSql EnderecoCliente::updateSql(Tipo tipo)
{
    QStringList inserted{QStringLiteral("CDCLIENTE"),   QStringLiteral("CDPAIS"),      QStringLiteral("SGESTADO"),
                         QStringLiteral("CDMUNICIPIO"), QStringLiteral("DSENDECLIE"),  QStringLiteral("NMBAIRCLIE"),
                         QStringLiteral("NRCEPCLIE"),   QStringLiteral("NRTELECLIE"),  QStringLiteral("NRRAMALCLIE"),
                         QStringLiteral("DSEMAILCLIE"), QStringLiteral("CDBAIRRO"),    QStringLiteral("NRCELULARCLI"),
                         QStringLiteral("NRFAXCLIE"),   QStringLiteral("IDTPENDECLIE")};
    if (tipo == Tipo::Entrega)
        inserted << QStringLiteral("DSPTOREFECLI");
    QStringList values, upsert;
    for (const QString& c : inserted) {
        values << QLatin1Char(':') + c;
        if (c != QLatin1String("CDCLIENTE") && c != QLatin1String("IDTPENDECLIE"))
            upsert << QStringLiteral("%1 = excluded.%1").arg(c);
    }
    // A row of this customer and type that the joins hid (its country or
    // municipality is missing here) is taken over instead of failing on the key.
    const QString insertSql =
        QStringLiteral("insert into ENDECLIE\n  (%1)\nvalues\n  (%2)\n"
                       "on conflict (CDCLIENTE, IDTPENDECLIE) do update set\n  %3")
            .arg(inserted.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")), upsert.join(QStringLiteral(",\n  ")));

    const QStringList updated{
        QStringLiteral("CDCLIENTE"),    QStringLiteral("CDPAIS"),       QStringLiteral("SGESTADO"),     QStringLiteral("CDMUNICIPIO"),
        QStringLiteral("DSENDECLIE"),   QStringLiteral("NMBAIRCLIE"),   QStringLiteral("NRCEPCLIE"),    QStringLiteral("NRTELECLIE"),
        QStringLiteral("NRRAMALCLIE"),  QStringLiteral("NRTELEXCLIE"),  QStringLiteral("NRFAXCLIE"),    QStringLiteral("NMCONTCLIE"),
        QStringLiteral("IDTPENDECLIE"), QStringLiteral("DSEMAILCLIE"),  QStringLiteral("NRTELECLIE1"),  QStringLiteral("NRRAMALCLIE1"),
        QStringLiteral("CDBAIRRO"),     QStringLiteral("NRCELULARCLI"), QStringLiteral("NRTELRESICLI"), QStringLiteral("DSPTOREFECLI")};
    QStringList sets;
    for (const QString& c : updated)
        sets << QStringLiteral("%1 = :%1").arg(c);
    const QString modifySql = QStringLiteral("update ENDECLIE set\n  %1\nwhere\n  CDCLIENTE = :OLD_CDCLIENTE and\n"
                                             "  IDTPENDECLIE = :OLD_IDTPENDECLIE")
                                  .arg(sets.join(QStringLiteral(",\n  ")));
    const QString deleteSql = QStringLiteral("delete from ENDECLIE\nwhere\n  CDCLIENTE = :OLD_CDCLIENTE and\n"
                                             "  IDTPENDECLIE = '%1'")
                                  .arg(tipo == Tipo::Proprio ? QStringLiteral("P") : QStringLiteral("T"));
    return UpdateSql(insertSql, modifySql, deleteSql);
}

// ---------------------------------------------------------------- the record

EnderecoCliente::EnderecoCliente(Query& qry, Tipo tipo, Query& clientes, Geografia& geo, ClienteView& view, const PesquisaFn& pesquisa)
    : qry_(qry), tipo_(tipo), clientes_(clientes), geo_(geo), view_(view), pesquisa_(pesquisa)
{
    qry_.setSql(sql(tipo));
    qry_.setUpdateSql(updateSql(tipo));
    auto mascara = [&](const char* field, const char* mask) {
        qry_.defineField(QString::fromLatin1(field)).editMask = QString::fromLatin1(mask);
    };
    if (tipo == Tipo::Proprio)
        mascara("CDPAIS", "9999;0; ");
    mascara("CDBAIRRO", "9999999999;1; ");
    mascara("NRCEPCLIE", "999999999999999;1; ");
    mascara("NRTELECLIE", "9999999999999999999999999;1; ");
    mascara("NRFAXCLIE", "9999999999999999999999999;1; ");
    mascara("NRCELULARCLI", "9999999999999999999999999;1; ");
    mascara("NRRAMALCLIE", "9999;0; ");
    for (const char* code : {"CDPAIS", "SGESTADO", "CDMUNICIPIO", "CDBAIRRO"})
        qry_.defineField(QString::fromLatin1(code)).onChange = [this, code](Field&) { cascata(code); };
    qry_.beforePost = [this](Query&) { antesDoPost(); };
}

QString EnderecoCliente::idTpEndeClie() const { return tipo_ == Tipo::Proprio ? QStringLiteral("P") : QStringLiteral("T"); }

bool EnderecoCliente::editando() const { return qry_.state() == DataSetState::Edit || qry_.state() == DataSetState::Insert; }

ControleCliente EnderecoCliente::controlePais() const
{
    return tipo_ == Tipo::Proprio ? ControleCliente::PaisCli : ControleCliente::PaisEntrg;
}
ControleCliente EnderecoCliente::controleEstado() const
{
    return tipo_ == Tipo::Proprio ? ControleCliente::EstadoCli : ControleCliente::EstadoEntrg;
}
ControleCliente EnderecoCliente::controleMunicipio() const
{
    return tipo_ == Tipo::Proprio ? ControleCliente::MunicipioCli : ControleCliente::MunicipioEntrg;
}
ControleCliente EnderecoCliente::controleBairro() const
{
    return tipo_ == Tipo::Proprio ? ControleCliente::BairroCli : ControleCliente::BairroEntrg;
}
ControleCliente EnderecoCliente::controleEndereco() const
{
    return tipo_ == Tipo::Proprio ? ControleCliente::EnderecoCli : ControleCliente::EnderecoEntrg;
}

void EnderecoCliente::focaApos(ControleCliente controle)
{
    if (view_.podeFocar(controle))
        view_.foca(controle);
}

void EnderecoCliente::abre(const QVariant& cdCliente)
{
    qry_.close();
    qry_.setParam(QStringLiteral("OLD_CDCLIENTE"), cdCliente);
    qry_.open();
}

void EnderecoCliente::novo()
{
    abre(QVariant());
    qry_.append();
}

void EnderecoCliente::altera()
{
    if (qry_.state() == DataSetState::Browse)
        qry_.edit(); // appends when the customer has no such address yet
}

QString EnderecoCliente::texto(const char* field) const
{
    const Field* f = qry_.active() ? qry_.findField(QString::fromLatin1(field)) : nullptr;
    return f ? f->asString() : QString();
}

void EnderecoCliente::poe(const char* field, const QVariant& value)
{
    if (editando())
        qry_.fieldByName(QString::fromLatin1(field)).setValue(value);
}

void EnderecoCliente::falha(ControleCliente controle, const char* key)
{
    view_.mostraPagina(PaginaCliente::Formulario);
    view_.foca(controle);
    MensErro(msg(key), true);
    throw Abort{}; // not reached
}

void EnderecoCliente::cascata(const char* changed)
{
    static const char* const porPais[] = {"NMPAIS", "SGESTADO", "CDMUNICIPIO", "NMMUNICIPIO", "CDBAIRRO", "NMBAIRCLIE"};
    const QString c = QString::fromLatin1(changed);
    int from = 0;
    if (c == QLatin1String("SGESTADO"))
        from = 2;
    else if (c == QLatin1String("CDMUNICIPIO"))
        from = 3;
    else if (c == QLatin1String("CDBAIRRO"))
        from = 5;
    for (int i = from; i < 6; ++i)
        poe(porPais[i], QVariant());
}

void EnderecoCliente::antesDoPost()
{
    qry_.fieldByName(QStringLiteral("IDTPENDECLIE")).setValue(idTpEndeClie());
    qry_.fieldByName(QStringLiteral("CDCLIENTE")).setValue(clientes_.fieldByName(QStringLiteral("CDCLIENTE")).value());
    EventsSuspended quiet(qry_); // blanks becoming null are no changes of level
    Seta_Campo_Null(qry_);
}

// ---------------------------------------------------------------- checks

void EnderecoCliente::Vd_Pais(bool boTestaVazio)
{
    const QString pais = texto("CDPAIS");
    if (EmptyString(pais)) {
        if (boTestaVazio)
            falha(controlePais(), "Pais_inf");
        return;
    }
    Query& q = abre(geo_.qryPais, {}, "CDPAIS", pais);
    if (q.isEmpty())
        falha(controlePais(), "Pais_cad");
    // The name shows at once rather than only after the record is read again.
    if (texto("NMPAIS") != q.fieldByName(QStringLiteral("NMPAIS")).asString())
        poe("NMPAIS", q.fieldByName(QStringLiteral("NMPAIS")).value());
}

void EnderecoCliente::Vd_Estado(bool boTestaVazio)
{
    const QString estado = texto("SGESTADO");
    if (EmptyString(estado)) {
        if (boTestaVazio)
            falha(controleEstado(), "Estado_inf");
        return;
    }
    Query& q = abre(geo_.qryEstado, {"CDPAIS"}, "SGESTADO", estado);
    if (q.isEmpty())
        falha(controleEstado(), "Estado_cad");
}

void EnderecoCliente::Vd_Municipio(bool boTestaVazio)
{
    const QString municipio = texto("CDMUNICIPIO");
    if (EmptyString(municipio)) {
        if (boTestaVazio)
            falha(controleMunicipio(), "Municipio_Inf");
        if (!texto("NMMUNICIPIO").isEmpty())
            poe("NMMUNICIPIO", QVariant());
        return;
    }
    Query& q = abre(geo_.qryMunicipio, {"CDPAIS", "SGESTADO"}, "CDMUNICIPIO", municipio);
    if (q.isEmpty())
        falha(controleMunicipio(), "Municipio_cad");
    poe("NMMUNICIPIO", q.fieldByName(QStringLiteral("NMMUNICIPIO")).value());
}

void EnderecoCliente::Vd_Bairro()
{
    const QString bairro = texto("CDBAIRRO");
    if (EmptyString(bairro))
        return;
    try {
        Query& q = abre(geo_.qryBairro, {"CDPAIS", "SGESTADO", "CDMUNICIPIO"}, "CDBAIRRO", bairro);
        if (q.isEmpty())
            falha(controleBairro(), "BAIRRO_NAO_CAD");
        poe("CDBAIRRO", q.fieldByName(QStringLiteral("CDBAIRRO")).value());
        poe("NMBAIRCLIE", q.fieldByName(QStringLiteral("NMBAIRRO")).value());
    } catch (const Abort&) {
        throw;
    } catch (...) {
        view_.mostraPagina(PaginaCliente::Formulario);
        view_.foca(controleBairro());
        throw;
    }
}

void EnderecoCliente::confirma()
{
    Vd_Pais(true);
    Vd_Estado(true);
    Vd_Municipio(true);
    const QString bairro = Ajusta(texto("CDBAIRRO"), 10);
    if (editando() && bairro != texto("CDBAIRRO"))
        poe("CDBAIRRO", bairro);
    Vd_Bairro();
}

// ---------------------------------------------------------------- leaving the code edits

void EnderecoCliente::saiPais()
{
    if (!editando())
        return;
    const QString pais = Ajusta(texto("CDPAIS"), 4);
    if (pais != texto("CDPAIS"))
        poe("CDPAIS", pais);
    if (!EmptyString(pais))
        Vd_Pais(false);
}

void EnderecoCliente::saiEstado()
{
    if (editando())
        Vd_Estado(false);
}

void EnderecoCliente::saiMunicipio()
{
    if (!editando())
        return;
    const QString municipio = Ajusta(texto("CDMUNICIPIO"), 4);
    if (municipio != texto("CDMUNICIPIO"))
        poe("CDMUNICIPIO", municipio);
    Vd_Municipio(false);
}

void EnderecoCliente::saiBairro()
{
    if (!editando() || EmptyString(texto("CDBAIRRO")))
        return;
    const QString bairro = Ajusta(texto("CDBAIRRO"), 10);
    if (bairro != texto("CDBAIRRO"))
        poe("CDBAIRRO", bairro);
    Query& q = abre(geo_.qryBairro, {"CDPAIS", "SGESTADO", "CDMUNICIPIO"}, "CDBAIRRO", bairro);
    if (q.isEmpty())
        falha(controleBairro(), "Bairro_cad");
    poe("NMBAIRCLIE", q.fieldByName(QStringLiteral("NMBAIRRO")).value());
}

void EnderecoCliente::nomeBairroDigitado()
{
    if (!editando() || EmptyString(texto("CDBAIRRO")))
        return;
    // The code goes; the name being typed stays.
    EventsSuspended quiet(qry_);
    poe("CDBAIRRO", QVariant());
}

// ---------------------------------------------------------------- lookups

bool EnderecoCliente::pesquisa(Query& lista, const QString& titulo) { return pesquisa_ && pesquisa_(lista, titulo); }

Query& EnderecoCliente::abre(Query& lista, std::initializer_list<const char*> niveis, const char* chave, const QString& codigo)
{
    // The higher levels from this address; a code looks up that row, no code lists every row.
    lista.close();
    for (const char* nivel : niveis)
        lista.setParam(QStringLiteral("P_") + QLatin1String(nivel), texto(nivel));
    lista.setParam(QStringLiteral("P_") + QLatin1String(chave), codigo);
    lista.setParam(QStringLiteral("P_T") + QLatin1String(chave), codigo.isEmpty() ? QStringLiteral("T") : QString());
    lista.open();
    return lista;
}

bool EnderecoCliente::escolhe(Query& lista, std::initializer_list<const char*> niveis, const char* chave, const QString& titulo)
{
    abre(lista, niveis, chave, QString());
    if (!pesquisa(lista, titulo))
        return false;
    if (qry_.state() == DataSetState::Browse)
        qry_.edit();
    return true;
}

void EnderecoCliente::pesquisaPais()
{
    Query& q = geo_.qryPais;
    if (!escolhe(q, {}, "CDPAIS", QStringLiteral("País")))
        return;
    poe("CDPAIS", q.fieldByName(QStringLiteral("CDPAIS")).value());
    poe("NMPAIS", q.fieldByName(QStringLiteral("NMPAIS")).value());
    poe("SGESTADO", QVariant());
    focaApos(controleEstado());
}

void EnderecoCliente::pesquisaEstado()
{
    Query& q = geo_.qryEstado;
    if (!escolhe(q, {"CDPAIS"}, "SGESTADO", QStringLiteral("Estado")))
        return;
    poe("SGESTADO", q.fieldByName(QStringLiteral("SGESTADO")).value());
    poe("CDMUNICIPIO", QVariant());
    focaApos(controleMunicipio());
}

void EnderecoCliente::pesquisaMunicipio()
{
    Query& q = geo_.qryMunicipio;
    if (!escolhe(q, {"CDPAIS", "SGESTADO"}, "CDMUNICIPIO", QStringLiteral("Municipio")))
        return;
    poe("CDMUNICIPIO", q.fieldByName(QStringLiteral("CDMUNICIPIO")).value());
    poe("NMMUNICIPIO", q.fieldByName(QStringLiteral("NMMUNICIPIO")).value());
    poe("CDBAIRRO", QVariant());
    focaApos(controleBairro());
}

void EnderecoCliente::pesquisaBairro()
{
    Query& q = geo_.qryBairro;
    if (!escolhe(q, {"CDPAIS", "SGESTADO", "CDMUNICIPIO"}, "CDBAIRRO", QStringLiteral("Bairro")))
        return;
    poe("CDBAIRRO", q.fieldByName(QStringLiteral("CDBAIRRO")).value());
    poe("NMBAIRCLIE", q.fieldByName(QStringLiteral("NMBAIRRO")).value());
    focaApos(controleEndereco());
}

} // namespace zov
