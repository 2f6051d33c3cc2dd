#pragma once
// The data module that owns the one connection to the local database.
//
// DataBaseGeralPed() opens it on first use: creates the file from
// db/schema.sql when it does not exist, makes sure the general-parameters
// row '0001' exists and hands the seventeen code pictures to the library.
#include "library/database.h"
#include "library/dataset.h"
#include "library/messages.h"

#include <memory>

namespace zov {

class TdtmDBGeralPed {
public:
    TdtmDBGeralPed();
    ~TdtmDBGeralPed();

    // Null while the connection is not open.
    Database* database() const { return db_.get(); }
    static const TMessages& msgPadrao();

    // General parameters: the first row returned is the one used.
    Query qryParamGeral;
    Query qryInsParamGeral;
    // The code pictures of the open PARAMGERAL row handed to the library.
    void lePictures();

private:
    friend void ActiveDBGeralPed();
    void connect();
    void disconnect();
    std::unique_ptr<Database> db_;
};

// The seventeen picture columns and the field names they apply to, in order.
extern const char* const kPictColumns[17];
extern const char* const kPictFieldNames[17];

// Where the database file is: --database, else ZOV_DATABASE, else
// dbVelmora.sqlite in the user's data folder.
void SetDatabasePath(const QString& path);
// The identity of this installation (INSTALACAO): made with the database,
// kept in it; the server knows exported orders by it.
QString IdInstalacao();
QString DatabasePath();
QString DefaultDatabasePath();

// (Re)activates the database: creates the data module when needed, closes an
// open connection and opens it again. Throws Error with a readable text.
void ActiveDBGeralPed();
// The connection; opens it the first time and after a failed opening.
Database& DataBaseGeralPed();
// The data module, or null before the first connection.
TdtmDBGeralPed* dtmDBGeralPed();
// The code pictures read again after a download brought PARAMGERAL (the
// first session after installation starts without them).
void RelePictures();
// Closes the connection and frees the module (end of the process, tests).
void FreeDBGeralPed();

} // namespace zov
