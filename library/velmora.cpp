#include "library/velmora.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QStandardPaths>

namespace zov {

namespace {

struct Installation {
    QStringList pictures = QStringList(kPictureCount, QString());
    QStringList fieldNames = QStringList(kPictureCount, QString());
    bool moduFili = true;
    QString emprProc = QStringLiteral("01");
    QMap<int, QString> personal;
    QString configUsrDir;
    bool canEditRelPadr = false;
};

Installation& inst()
{
    static Installation i;
    return i;
}

bool isSlot(QChar c) { return c == QLatin1Char('9') || c == QLatin1Char('A') || c == QLatin1Char('X') || c == QLatin1Char('0'); }

} // namespace

int TPictObj::GetTtNiveis() const
{
    if (picture_.trimmed().isEmpty())
        return 0;
    return int(picture_.split(QLatin1Char('.'), Qt::SkipEmptyParts).size());
}

int TPictObj::GetTamPict() const { return int(picture_.trimmed().size()); }

int TPictObj::codeLength() const
{
    int n = 0;
    for (QChar c : picture_)
        n += isSlot(c) ? 1 : 0;
    return n;
}

QString TPictObj::format(const QString& code) const
{
    const QString c = code.trimmed();
    if (picture_.trimmed().isEmpty() || c.isEmpty() || c.size() > codeLength())
        return code;
    QString out;
    int k = 0;
    for (QChar p : picture_) {
        if (k >= c.size())
            break;
        if (isSlot(p))
            out += c.at(k++);
        else
            out += p;
    }
    return out;
}

QString TPictObj::inputMask() const
{
    if (picture_.trimmed().isEmpty())
        return {};
    QString out = QStringLiteral(">");
    for (QChar p : picture_) {
        if (p == QLatin1Char('9') || p == QLatin1Char('0'))
            out += QLatin1Char('0');
        else if (p == QLatin1Char('A'))
            out += QLatin1Char('a');
        else if (isSlot(p))
            out += QLatin1Char('x');
        else if (QStringLiteral("AaNnXxDdHhBb0#><!{}[]\\").contains(p))
            out += QLatin1Char('\\') + QString(p);
        else
            out += p;
    }
    return out + QStringLiteral("; ");
}

QString TPictObj::semSeparadores(const QString& typed)
{
    QString out = typed;
    out.remove(QLatin1Char('.'));
    return out.trimmed();
}

int TPictObj::levelOf(const QString& code) const
{
    const int len = int(code.trimmed().size());
    if (len == 0)
        return 0;
    int filled = 0, level = 0;
    for (const QString& group : picture_.split(QLatin1Char('.'), Qt::SkipEmptyParts)) {
        filled += int(group.size());
        ++level;
        if (len <= filled)
            return level;
    }
    return level;
}

void SetDBPict(const QStringList& pictures)
{
    QStringList p = pictures;
    while (p.size() < kPictureCount)
        p << QString();
    inst().pictures = p;
}

void SetPictFieldNames(const QStringList& fieldNames)
{
    QStringList n = fieldNames;
    while (n.size() < kPictureCount)
        n << QString();
    inst().fieldNames = n;
}

QString DBPict(int index) { return inst().pictures.value(index); }

TPictObj DBPictObj(int index) { return TPictObj(DBPict(index)); }

QString pictForField(const QString& fieldName)
{
    const int i = int(inst().fieldNames.indexOf(fieldName.toUpper()));
    return i < 0 ? QString() : inst().pictures.value(i);
}

bool ModuFili() { return inst().moduFili; }

QString GetPersonal(int index) { return inst().personal.value(index, QStringLiteral("N")); }

QString EmprProc() { return inst().emprProc; }

QString ConfigUsrDir()
{
    if (inst().configUsrDir.isEmpty())
        inst().configUsrDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    return inst().configUsrDir;
}

bool CanEditRelPadr() { return inst().canEditRelPadr; }

void SetModuFili(bool value) { inst().moduFili = value; }
void SetPersonal(int index, const QString& value) { inst().personal.insert(index, value); }
void SetEmprProc(const QString& company) { inst().emprProc = company; }
void SetConfigUsrDir(const QString& folder) { inst().configUsrDir = folder; }
void SetCanEditRelPadr(bool value) { inst().canEditRelPadr = value; }

void LoadInstallationSettings()
{
    const QString file = QDir(ConfigUsrDir()).filePath(QStringLiteral("instalacao.ini"));
    if (!QFileInfo::exists(file))
        return;
    QSettings s(file, QSettings::IniFormat);
    s.beginGroup(QStringLiteral("Instalacao"));
    auto flag = [&](const char* key, bool def) {
        const QString v = s.value(QLatin1String(key)).toString().trimmed().toUpper();
        return v.isEmpty() ? def : (v == QLatin1String("S") || v == QLatin1String("1") || v == QLatin1String("TRUE"));
    };
    inst().moduFili = flag("ModuFili", inst().moduFili);
    inst().canEditRelPadr = flag("CanEditRelPadr", inst().canEditRelPadr);
    const QString empr = s.value(QStringLiteral("EmprProc")).toString().trimmed();
    if (!empr.isEmpty())
        inst().emprProc = empr;
    for (int i = 1; i <= 9; ++i) {
        const QString v = s.value(QStringLiteral("Personal%1").arg(i)).toString().trimmed();
        if (!v.isEmpty())
            inst().personal.insert(i, v);
    }
}

void ResetInstallationSettings()
{
    const QString dir = inst().configUsrDir;
    inst() = Installation();
    inst().configUsrDir = dir;
}

} // namespace zov
