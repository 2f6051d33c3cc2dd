#include "library/opcoes.h"

#include "library/errors.h"
#include "library/velmora.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>

namespace zov {

namespace {

// A file past this is not an options file of ours.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

QJsonObject toJson(const OpcaoSalva& o)
{
    return {{QStringLiteral("CDTELA"), o.CDTELA},
            {QStringLiteral("CDOPERADOR"), o.CDOPERADOR},
            {QStringLiteral("DSOPCSALVA"), o.DSOPCSALVA},
            {QStringLiteral("STVARIAVEL"), o.STVARIAVEL},
            {QStringLiteral("NMCOMPONENTE"), o.NMCOMPONENTE},
            {QStringLiteral("DSVALOR"), o.DSVALOR}};
}

OpcaoSalva fromJson(const QJsonObject& j)
{
    return {j.value(QStringLiteral("CDTELA")).toString(),       j.value(QStringLiteral("CDOPERADOR")).toString(),
            j.value(QStringLiteral("DSOPCSALVA")).toString(),   j.value(QStringLiteral("STVARIAVEL")).toString(),
            j.value(QStringLiteral("NMCOMPONENTE")).toString(), j.value(QStringLiteral("DSVALOR")).toString()};
}

} // namespace

QString arquivoOpcoes(const QString& cdOperador) { return QDir(ConfigUsrDir()).filePath(cdOperador + QStringLiteral("/Filtros.Cds")); }

std::vector<OpcaoSalva> lerOpcoes(const QString& path, QString* problem)
{
    auto refuse = [&](const QString& why) {
        if (problem)
            *problem = why;
        return std::vector<OpcaoSalva>();
    };
    if (problem)
        problem->clear();
    QFile f(path);
    if (!f.exists())
        return {};
    if (f.size() > kMaxFileBytes)
        return refuse(QStringLiteral("O arquivo de opções \"%1\" é grande demais.").arg(path));
    if (!f.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("O arquivo de opções \"%1\" não pode ser lido: %2").arg(path, f.errorString()));
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return refuse(QStringLiteral("O arquivo de opções \"%1\" está danificado.").arg(path));
    std::vector<OpcaoSalva> rows;
    for (const QJsonValue& v : doc.array())
        if (v.isObject()) // anything else in the array is skipped, not fatal
            rows.push_back(fromJson(v.toObject()));
    return rows;
}

QStringList conjuntosOpcoes(const std::vector<OpcaoSalva>& rows, const QString& cdTela)
{
    QStringList names;
    for (const OpcaoSalva& o : rows)
        if (o.CDTELA == cdTela && !o.DSOPCSALVA.isEmpty() && !names.contains(o.DSOPCSALVA))
            names << o.DSOPCSALVA;
    names.sort();
    return names;
}

std::vector<OpcaoSalva> opcoesDoConjunto(const std::vector<OpcaoSalva>& rows, const QString& cdTela, const QString& dsOpcSalva)
{
    std::vector<OpcaoSalva> set;
    for (const OpcaoSalva& o : rows)
        if (o.CDTELA == cdTela && o.DSOPCSALVA == dsOpcSalva)
            set.push_back(o);
    std::stable_sort(set.begin(), set.end(), [](const OpcaoSalva& a, const OpcaoSalva& b) { return a.NMCOMPONENTE < b.NMCOMPONENTE; });
    return set;
}

void gravaConjuntoOpcoes(const QString& path, const std::vector<OpcaoSalva>& set)
{
    if (set.empty())
        return;
    const QString& tela = set.front().CDTELA;
    const QString& nome = set.front().DSOPCSALVA;
    QJsonArray out;
    for (const OpcaoSalva& o : lerOpcoes(path))
        if (!(o.CDTELA == tela && o.DSOPCSALVA == nome))
            out.append(toJson(o));
    for (const OpcaoSalva& o : set)
        out.append(toJson(o));
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("A pasta \"%1\" não pode ser criada.").arg(folder));
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("As opções não puderam ser gravadas em \"%1\": %2").arg(path, f.errorString()));
    const QByteArray bytes = QJsonDocument(out).toJson(QJsonDocument::Indented);
    if (f.write(bytes) != bytes.size() || !f.commit())
        throw Error(QStringLiteral("As opções não puderam ser gravadas em \"%1\": %2").arg(path, f.errorString()));
}

} // namespace zov
