#pragma once
// Installation and user settings: code pictures, installation flags, the
// user's configuration folder.
//
// Code pictures: "9" is a digit, "A" a letter, "X" any character; "." separates
// the levels of a tree code, so "99.999.9999" has three levels and shows the
// stored code "010010001" as "01.001.0001". An empty picture edits without a mask.
#include <QString>
#include <QStringList>

namespace zov {

constexpr int kPictureCount = 17;

class TPictObj {
public:
    explicit TPictObj(QString picture = {}) : picture_(std::move(picture)) {}
    const QString& picture() const { return picture_; }
    // Number of levels (groups between "."); 0 for an empty picture.
    int GetTtNiveis() const;
    // Length of the picture as shown, separators included.
    int GetTamPict() const;
    // Positions of a code without separators.
    int codeLength() const;
    // The stored code with the level separators put in; a code that does not
    // fit the picture is shown as it is.
    QString format(const QString& code) const;
    // The picture as a QLineEdit input mask in upper case (every position
    // optional, blanks as spaces); empty for an empty picture.
    QString inputMask() const;
    // What a user typed through that mask, without the separators.
    static QString semSeparadores(const QString& typed);
    // The level a code reaches: how many groups its characters fill.
    int levelOf(const QString& code) const;

private:
    QString picture_;
};

// The 17 pictures and the field names they apply to, in the same order.
void SetDBPict(const QStringList& pictures);
void SetPictFieldNames(const QStringList& fieldNames);
QString DBPict(int index);
TPictObj DBPictObj(int index);
// The picture of a field name, or empty.
QString pictForField(const QString& fieldName);

// Installation flags. Defaults a new installation gets: ModuFili "S" (the order
// window works on the session branch), EmprProc "01", personal settings "N",
// CanEditRelPadr "N". They are read from the file instalacao.ini in the
// configuration folder, group [Instalacao] (ModuFili, EmprProc, CanEditRelPadr,
// Personal1..Personal9), and can be set by the program.
bool ModuFili();
QString GetPersonal(int index);
QString EmprProc();
QString ConfigUsrDir();
bool CanEditRelPadr();

void SetModuFili(bool value);
void SetPersonal(int index, const QString& value);
void SetEmprProc(const QString& company);
void SetConfigUsrDir(const QString& folder);
void SetCanEditRelPadr(bool value);
// Reads <ConfigUsrDir>/instalacao.ini when it exists; missing keys keep their defaults.
void LoadInstallationSettings();
void ResetInstallationSettings();

} // namespace zov
