// The client library of server databases (libpq) is loaded the first time a
// server database is used, not when the program starts: with its TLS,
// Kerberos and directory libraries it costs more to load than all the rest
// of a batch run on local tables. Each libpq function the program calls is
// defined here with the header's own signature and forwards to the library's.
// Where the library cannot be loaded, connecting fails with a message that
// says so (every other call needs a connection first).
#include <dlfcn.h>
#include <libpq-fe.h>
#include <string>

namespace {

void* ClientLibrary()
{
    static void* const library = dlopen("libpq.so.5", RTLD_NOW | RTLD_LOCAL);
    return library;
}

// Read once, right after the one attempt to load.
const std::string& LoadError()
{
    static const std::string error = [] {
        const char* reason = ClientLibrary() ? nullptr : dlerror();
        return std::string("The client library of server databases cannot be loaded: ") +
               (reason ? reason : "libpq.so.5");
    }();
    return error;
}

void* ClientSymbol(const char* name)
{
    void* library = ClientLibrary();
    return library ? dlsym(library, name) : nullptr;
}

} // namespace

// The library's function of the same name, or `missing` without the library.
#define TQ_FORWARD(result, name, missing, params, args)                                            \
    result name params                                                                             \
    {                                                                                              \
        static const auto own = reinterpret_cast<decltype(&name)>(ClientSymbol(#name));            \
        return own ? own args : missing;                                                           \
    }

extern "C" {

TQ_FORWARD(PGconn*, PQconnectdbParams, nullptr,
           (const char* const* keywords, const char* const* values, int expand_dbname),
           (keywords, values, expand_dbname))
TQ_FORWARD(void, PQfinish, void(), (PGconn * conn), (conn))
TQ_FORWARD(ConnStatusType, PQstatus, CONNECTION_BAD, (const PGconn* conn), (conn))
TQ_FORWARD(char*, PQerrorMessage, const_cast<char*>(LoadError().c_str()), (const PGconn* conn),
           (conn))
TQ_FORWARD(int, PQconnectionNeedsPassword, 0, (const PGconn* conn), (conn))
TQ_FORWARD(char*, PQuser, nullptr, (const PGconn* conn), (conn))
TQ_FORWARD(char*, PQhost, nullptr, (const PGconn* conn), (conn))
TQ_FORWARD(char*, PQdb, nullptr, (const PGconn* conn), (conn))
TQ_FORWARD(const char*, PQparameterStatus, nullptr, (const PGconn* conn, const char* paramName),
           (conn, paramName))
TQ_FORWARD(PGTransactionStatusType, PQtransactionStatus, PQTRANS_UNKNOWN, (const PGconn* conn),
           (conn))
TQ_FORWARD(int, PQsocket, -1, (const PGconn* conn), (conn))
TQ_FORWARD(PGcancel*, PQgetCancel, nullptr, (PGconn * conn), (conn))
TQ_FORWARD(void, PQfreeCancel, void(), (PGcancel * cancel), (cancel))
TQ_FORWARD(int, PQcancel, 0, (PGcancel * cancel, char* errbuf, int errbufsize),
           (cancel, errbuf, errbufsize))

TQ_FORWARD(PGresult*, PQexec, nullptr, (PGconn * conn, const char* query), (conn, query))
TQ_FORWARD(int, PQsendQuery, 0, (PGconn * conn, const char* query), (conn, query))
TQ_FORWARD(int, PQsendQueryParams, 0,
           (PGconn * conn, const char* command, int nParams, const Oid* paramTypes,
            const char* const* paramValues, const int* paramLengths, const int* paramFormats,
            int resultFormat),
           (conn, command, nParams, paramTypes, paramValues, paramLengths, paramFormats,
            resultFormat))
TQ_FORWARD(int, PQsendPrepare, 0,
           (PGconn * conn, const char* stmtName, const char* query, int nParams,
            const Oid* paramTypes),
           (conn, stmtName, query, nParams, paramTypes))
TQ_FORWARD(int, PQsendDescribePrepared, 0, (PGconn * conn, const char* stmt), (conn, stmt))
TQ_FORWARD(int, PQisBusy, 0, (PGconn * conn), (conn))
TQ_FORWARD(int, PQconsumeInput, 0, (PGconn * conn), (conn))
TQ_FORWARD(PGresult*, PQgetResult, nullptr, (PGconn * conn), (conn))
TQ_FORWARD(int, PQputCopyData, -1, (PGconn * conn, const char* buffer, int nbytes),
           (conn, buffer, nbytes))
TQ_FORWARD(int, PQputCopyEnd, -1, (PGconn * conn, const char* errormsg), (conn, errormsg))
TQ_FORWARD(int, PQgetCopyData, -2, (PGconn * conn, char** buffer, int async), (conn, buffer, async))
TQ_FORWARD(char*, PQescapeIdentifier, nullptr, (PGconn * conn, const char* str, size_t len),
           (conn, str, len))

TQ_FORWARD(ExecStatusType, PQresultStatus, PGRES_FATAL_ERROR, (const PGresult* res), (res))
TQ_FORWARD(char*, PQresultErrorField, nullptr, (const PGresult* res, int fieldcode),
           (res, fieldcode))
TQ_FORWARD(int, PQntuples, 0, (const PGresult* res), (res))
TQ_FORWARD(int, PQnfields, 0, (const PGresult* res), (res))
TQ_FORWARD(char*, PQfname, nullptr, (const PGresult* res, int field_num), (res, field_num))
TQ_FORWARD(Oid, PQftype, 0, (const PGresult* res, int field_num), (res, field_num))
TQ_FORWARD(int, PQfmod, -1, (const PGresult* res, int field_num), (res, field_num))
TQ_FORWARD(char*, PQgetvalue, nullptr, (const PGresult* res, int tup_num, int field_num),
           (res, tup_num, field_num))
TQ_FORWARD(int, PQgetlength, 0, (const PGresult* res, int tup_num, int field_num),
           (res, tup_num, field_num))
TQ_FORWARD(int, PQgetisnull, 1, (const PGresult* res, int tup_num, int field_num),
           (res, tup_num, field_num))
TQ_FORWARD(void, PQclear, void(), (PGresult * res), (res))
TQ_FORWARD(void, PQfreemem, void(), (void* ptr), (ptr))

} // extern "C"

#undef TQ_FORWARD
