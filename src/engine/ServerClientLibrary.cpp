// The client library of server databases (libpq) is loaded the first time a
// server database is used, not when the program starts: with its TLS,
// Kerberos and directory libraries it costs more to load than all the rest
// of a batch run on local tables. Each libpq function the program calls is
// defined here with the header's own signature and forwards to the library's.
// Where the library cannot be loaded, connecting fails with a message that
// says so (every other call needs a connection first).
#include "platform/core/LibraryOnFirstUse.h"

#include <libpq-fe.h>

namespace {

TLibraryOnFirstUse& ClientLibrary()
{
    static TLibraryOnFirstUse library("libpq.so.5", "The client library of server databases");
    return library;
}

} // namespace

extern "C" {

TQ_FORWARD(ClientLibrary(), PGconn*, PQconnectdbParams, nullptr,
           (const char* const* keywords, const char* const* values, int expand_dbname),
           (keywords, values, expand_dbname))
TQ_FORWARD(ClientLibrary(), void, PQfinish, void(), (PGconn * conn), (conn))
TQ_FORWARD(ClientLibrary(), ConnStatusType, PQstatus, CONNECTION_BAD, (const PGconn* conn), (conn))
TQ_FORWARD(ClientLibrary(), char*, PQerrorMessage,
           const_cast<char*>(ClientLibrary().LoadError().c_str()), (const PGconn* conn), (conn))
TQ_FORWARD(ClientLibrary(), int, PQconnectionNeedsPassword, 0, (const PGconn* conn), (conn))
TQ_FORWARD(ClientLibrary(), char*, PQuser, nullptr, (const PGconn* conn), (conn))
TQ_FORWARD(ClientLibrary(), char*, PQhost, nullptr, (const PGconn* conn), (conn))
TQ_FORWARD(ClientLibrary(), char*, PQdb, nullptr, (const PGconn* conn), (conn))
TQ_FORWARD(ClientLibrary(), const char*, PQparameterStatus, nullptr,
           (const PGconn* conn, const char* paramName), (conn, paramName))
TQ_FORWARD(ClientLibrary(), PGTransactionStatusType, PQtransactionStatus, PQTRANS_UNKNOWN,
           (const PGconn* conn), (conn))
TQ_FORWARD(ClientLibrary(), int, PQsocket, -1, (const PGconn* conn), (conn))
TQ_FORWARD(ClientLibrary(), PGcancel*, PQgetCancel, nullptr, (PGconn * conn), (conn))
TQ_FORWARD(ClientLibrary(), void, PQfreeCancel, void(), (PGcancel * cancel), (cancel))
TQ_FORWARD(ClientLibrary(), int, PQcancel, 0, (PGcancel * cancel, char* errbuf, int errbufsize),
           (cancel, errbuf, errbufsize))

TQ_FORWARD(ClientLibrary(), PGresult*, PQexec, nullptr, (PGconn * conn, const char* query),
           (conn, query))
TQ_FORWARD(ClientLibrary(), int, PQsendQuery, 0, (PGconn * conn, const char* query), (conn, query))
TQ_FORWARD(ClientLibrary(), int, PQsendQueryParams, 0,
           (PGconn * conn, const char* command, int nParams, const Oid* paramTypes,
            const char* const* paramValues, const int* paramLengths, const int* paramFormats,
            int resultFormat),
           (conn, command, nParams, paramTypes, paramValues, paramLengths, paramFormats,
            resultFormat))
TQ_FORWARD(ClientLibrary(), int, PQsendPrepare, 0,
           (PGconn * conn, const char* stmtName, const char* query, int nParams,
            const Oid* paramTypes),
           (conn, stmtName, query, nParams, paramTypes))
TQ_FORWARD(ClientLibrary(), int, PQsendDescribePrepared, 0, (PGconn * conn, const char* stmt),
           (conn, stmt))
TQ_FORWARD(ClientLibrary(), int, PQisBusy, 0, (PGconn * conn), (conn))
TQ_FORWARD(ClientLibrary(), int, PQconsumeInput, 0, (PGconn * conn), (conn))
TQ_FORWARD(ClientLibrary(), PGresult*, PQgetResult, nullptr, (PGconn * conn), (conn))
TQ_FORWARD(ClientLibrary(), int, PQputCopyData, -1, (PGconn * conn, const char* buffer, int nbytes),
           (conn, buffer, nbytes))
TQ_FORWARD(ClientLibrary(), int, PQputCopyEnd, -1, (PGconn * conn, const char* errormsg),
           (conn, errormsg))
TQ_FORWARD(ClientLibrary(), int, PQgetCopyData, -2, (PGconn * conn, char** buffer, int async),
           (conn, buffer, async))
TQ_FORWARD(ClientLibrary(), char*, PQescapeIdentifier, nullptr,
           (PGconn * conn, const char* str, size_t len), (conn, str, len))

TQ_FORWARD(ClientLibrary(), ExecStatusType, PQresultStatus, PGRES_FATAL_ERROR,
           (const PGresult* res), (res))
TQ_FORWARD(ClientLibrary(), char*, PQresultErrorField, nullptr,
           (const PGresult* res, int fieldcode), (res, fieldcode))
TQ_FORWARD(ClientLibrary(), int, PQntuples, 0, (const PGresult* res), (res))
TQ_FORWARD(ClientLibrary(), int, PQnfields, 0, (const PGresult* res), (res))
TQ_FORWARD(ClientLibrary(), char*, PQfname, nullptr, (const PGresult* res, int field_num),
           (res, field_num))
TQ_FORWARD(ClientLibrary(), Oid, PQftype, 0, (const PGresult* res, int field_num), (res, field_num))
TQ_FORWARD(ClientLibrary(), int, PQfmod, -1, (const PGresult* res, int field_num), (res, field_num))
TQ_FORWARD(ClientLibrary(), char*, PQgetvalue, nullptr,
           (const PGresult* res, int tup_num, int field_num), (res, tup_num, field_num))
TQ_FORWARD(ClientLibrary(), int, PQgetlength, 0, (const PGresult* res, int tup_num, int field_num),
           (res, tup_num, field_num))
TQ_FORWARD(ClientLibrary(), int, PQgetisnull, 1, (const PGresult* res, int tup_num, int field_num),
           (res, tup_num, field_num))
TQ_FORWARD(ClientLibrary(), void, PQclear, void(), (PGresult * res), (res))
TQ_FORWARD(ClientLibrary(), void, PQfreemem, void(), (void* ptr), (ptr))

} // extern "C"
