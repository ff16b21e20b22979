// The exported functions for handles, connections and their attributes.
#include <cstdint>

#include "api_internal.h"
#include "base/connection_string.h"

using namespace tvcli;  // NOLINT: the exported functions only

namespace {

bool BadLength(SQLINTEGER length) { return length < 0 && length != SQL_NTS; }

SQLUINTEGER Unsigned(SQLPOINTER value) {
  return static_cast<SQLUINTEGER>(reinterpret_cast<uintptr_t>(value));
}

SQLRETURN Answer(SQLPOINTER value, SQLINTEGER* length, SQLUINTEGER number) {
  *static_cast<SQLUINTEGER*>(value) = number;
  if (length != nullptr) *length = sizeof number;
  return SQL_SUCCESS;
}

}  // namespace

TVCLI_EXPORT SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input,
                                              SQLHANDLE* output) {
  if (output == nullptr) return SQL_ERROR;
  *output = SQL_NULL_HANDLE;
  switch (type) {
    case SQL_HANDLE_ENV:
      *output = Register(std::make_shared<Env>());
      return SQL_SUCCESS;
    case SQL_HANDLE_DBC:
      return Call<Env>(input, Kind::kEnv, [&](Env& env) -> SQLRETURN {
        ++env.connections;
        *output = Register(std::make_shared<Dbc>(
            std::static_pointer_cast<Env>(env.shared_from_this())));
        return SQL_SUCCESS;
      });
    case SQL_HANDLE_STMT:
      return Call<Dbc>(input, Kind::kDbc, [&](Dbc& dbc) -> SQLRETURN {
        if (!dbc.connected())
          return dbc.ClientError("08003", "Connection not open.");
        auto stmt = std::make_shared<Stmt>(
            std::static_pointer_cast<Dbc>(dbc.shared_from_this()));
        dbc.statements.insert(stmt.get());
        *output = Register(std::move(stmt));
        return SQL_SUCCESS;
      });
    default:
      return SQL_ERROR;
  }
}

// A freed handle is marked under its mutex and leaves the registry; calls
// that wait on it meanwhile find it freed.
TVCLI_EXPORT SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type,
                                             SQLHANDLE handle) {
  switch (type) {
    case SQL_HANDLE_ENV:
      return Call<Env>(handle, Kind::kEnv, [&](Env& env) -> SQLRETURN {
        if (env.connections > 0) {
          return env.ClientError("HY010",
                                 "Function sequence error: connection "
                                 "handles are still allocated.");
        }
        env.freed = true;
        Unregister(&env);
        return SQL_SUCCESS;
      });
    case SQL_HANDLE_DBC:
      return Call<Dbc>(handle, Kind::kDbc, [&](Dbc& dbc) -> SQLRETURN {
        if (dbc.connected()) {
          return dbc.ClientError("HY010",
                                 "Function sequence error: the "
                                 "connection is still open.");
        }
        dbc.freed = true;
        Unregister(&dbc);
        std::lock_guard<std::recursive_mutex> lock(dbc.env->mutex);
        --dbc.env->connections;
        return SQL_SUCCESS;
      });
    case SQL_HANDLE_STMT:
      return Call<Stmt>(handle, Kind::kStmt, [&](Stmt& stmt) -> SQLRETURN {
        FreeStatement(&stmt);
        return SQL_SUCCESS;
      });
    default:
      return SQL_ERROR;
  }
}

TVCLI_EXPORT SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV handle,
                                             SQLINTEGER attribute,
                                             SQLPOINTER value, SQLINTEGER) {
  return Call<Env>(handle, Kind::kEnv, [&](Env& env) -> SQLRETURN {
    if (attribute == SQL_ATTR_ODBC_VERSION) {
      const auto version =
          static_cast<SQLINTEGER>(reinterpret_cast<intptr_t>(value));
      if (version != SQL_OV_ODBC2 && version != SQL_OV_ODBC3 &&
          version != SQL_OV_ODBC3_80) {
        return env.ClientError("HY024", "Invalid attribute value.");
      }
      env.odbc_version = version;
    }
    return SQL_SUCCESS;
  });
}

// A driver manager asks the version back when it opens a further connection
// on an environment it shares: without the answer it takes the driver for
// one of ODBC 2 and warns the application.
TVCLI_EXPORT SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV handle,
                                             SQLINTEGER attribute,
                                             SQLPOINTER value, SQLINTEGER,
                                             SQLINTEGER* length) {
  return Call<Env>(handle, Kind::kEnv, [&](Env& env) -> SQLRETURN {
    if (value == nullptr)
      return env.ClientError("HY009", "Invalid use of null pointer.");
    SQLUINTEGER answer;
    switch (attribute) {
      case SQL_ATTR_ODBC_VERSION:
        answer = static_cast<SQLUINTEGER>(
            env.odbc_version != 0 ? env.odbc_version : SQL_OV_ODBC3);
        break;
      case SQL_ATTR_OUTPUT_NTS:
        answer = SQL_TRUE;
        break;
      case SQL_ATTR_CONNECTION_POOLING:
        answer = SQL_CP_OFF;
        break;
      case SQL_ATTR_CP_MATCH:
        answer = SQL_CP_STRICT_MATCH;
        break;
      default:
        return env.ClientError("HY092",
                               "Invalid attribute/option identifier.");
    }
    return Answer(value, length, answer);
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLDriverConnect(
    SQLHDBC handle, SQLHWND, SQLCHAR* in, SQLSMALLINT in_length, SQLCHAR* out,
    SQLSMALLINT out_max, SQLSMALLINT* out_length, SQLUSMALLINT completion) {
  return Call<Dbc>(handle, Kind::kDbc, [&](Dbc& dbc) -> SQLRETURN {
    if (dbc.connected()) {
      return dbc.ClientError("08002", "Connection name in use.");
    }
    if (in == nullptr)
      return dbc.ClientError("HY009", "Invalid use of null pointer.");
    if (BadLength(in_length)) {
      return dbc.ClientError("HY090", "Invalid string or buffer length.");
    }
    if (completion > SQL_DRIVER_COMPLETE_REQUIRED) {
      return dbc.ClientError("HY110", "Invalid driver completion.");
    }
    // This driver has no dialog: prompting completes from the string alone.
    return Connect(dbc, Text(in, in_length), out, out_max, out_length);
  });
}

// A data source's name, user and password: the data source's DATABASE entry
// names the database (without one, its own name does).
TVCLI_EXPORT SQLRETURN SQL_API SQLConnect(SQLHDBC handle, SQLCHAR* source,
                                          SQLSMALLINT source_length,
                                          SQLCHAR* user,
                                          SQLSMALLINT user_length,
                                          SQLCHAR* password,
                                          SQLSMALLINT password_length) {
  return Call<Dbc>(handle, Kind::kDbc, [&](Dbc& dbc) -> SQLRETURN {
    if (dbc.connected()) {
      return dbc.ClientError("08002", "Connection name in use.");
    }
    if (source == nullptr)
      return dbc.ClientError("HY009", "Invalid use of null pointer.");
    if (BadLength(source_length) || BadLength(user_length) ||
        BadLength(password_length)) {
      return dbc.ClientError("HY090", "Invalid string or buffer length.");
    }
    std::string text =
        tce::ConnectionStringPair("DSN", Text(source, source_length));
    if (user != nullptr)
      text += tce::ConnectionStringPair("UID", Text(user, user_length));
    if (password != nullptr) {
      text += tce::ConnectionStringPair("PWD", Text(password, password_length));
    }
    return Connect(dbc, text, nullptr, 0, nullptr);
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC handle) {
  return Call<Dbc>(handle, Kind::kDbc, [&](Dbc& dbc) -> SQLRETURN {
    if (!dbc.connected())
      return dbc.ClientError("08003", "Connection not open.");
    while (!dbc.statements.empty()) FreeStatement(*dbc.statements.begin());
    sqlite3_close(dbc.db);
    dbc.db = nullptr;
    return SQL_SUCCESS;
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC handle,
                                                 SQLINTEGER attribute,
                                                 SQLPOINTER value,
                                                 SQLINTEGER) {
  return Call<Dbc>(handle, Kind::kDbc, [&](Dbc& dbc) -> SQLRETURN {
    switch (attribute) {
      case SQL_ATTR_AUTOCOMMIT:
        if (Unsigned(value) != SQL_AUTOCOMMIT_ON &&
            Unsigned(value) != SQL_AUTOCOMMIT_OFF) {
          return dbc.ClientError("HY024", "Invalid attribute value.");
        }
        dbc.autocommit = Unsigned(value);
        return SQL_SUCCESS;
      case SQL_ATTR_ACCESS_MODE:
        if (Unsigned(value) != SQL_MODE_READ_ONLY) {
          dbc.Warning("01S02",
                       "Option value changed: the catalog is only read.");
          return SQL_SUCCESS_WITH_INFO;
        }
        return SQL_SUCCESS;
      case SQL_ATTR_LOGIN_TIMEOUT:
        dbc.login_timeout = Unsigned(value);
        return SQL_SUCCESS;
      case SQL_ATTR_CONNECTION_TIMEOUT:
      case SQL_ATTR_TXN_ISOLATION:
      case SQL_ATTR_METADATA_ID:
        // Reading a local catalog neither waits nor isolates anything.
        return SQL_SUCCESS;
      default:
        // Includes the ANSI-application notice: this driver behaves the same
        // for every application, which the reference answers with an error.
        return dbc.ClientError("HYC00", "Optional feature not implemented.");
    }
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC handle,
                                                 SQLINTEGER attribute,
                                                 SQLPOINTER value,
                                                 SQLINTEGER capacity,
                                                 SQLINTEGER* length) {
  return Call<Dbc>(handle, Kind::kDbc, [&](Dbc& dbc) -> SQLRETURN {
    if (value == nullptr && attribute != SQL_ATTR_CURRENT_CATALOG)
      return dbc.ClientError("HY009", "Invalid use of null pointer.");
    switch (attribute) {
      case SQL_ATTR_AUTOCOMMIT:
        return Answer(value, length, dbc.autocommit);
      case SQL_ATTR_ACCESS_MODE:
        return Answer(value, length, SQL_MODE_READ_ONLY);
      case SQL_ATTR_LOGIN_TIMEOUT:
        return Answer(value, length, dbc.login_timeout);
      case SQL_ATTR_CONNECTION_TIMEOUT:
      case SQL_ATTR_METADATA_ID:
        return Answer(value, length, 0);
      case SQL_ATTR_TXN_ISOLATION:
        return Answer(value, length, SQL_TXN_SERIALIZABLE);
      case SQL_ATTR_CONNECTION_DEAD:
        return Answer(value, length,
                      dbc.connected() ? SQL_CD_FALSE : SQL_CD_TRUE);
      case SQL_ATTR_CURRENT_CATALOG: {
        if (!dbc.connected())
          return dbc.ClientError("08003", "Connection not open.");
        SQLLEN full = 0;
        const SQLRETURN rc =
            TextAttribute(dbc, dbc.database, value, capacity, &full);
        if (length != nullptr) *length = static_cast<SQLINTEGER>(full);
        return rc;
      }
      default:
        return dbc.ClientError("HYC00", "Optional feature not implemented.");
    }
  });
}

TVCLI_EXPORT SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle,
                                          SQLSMALLINT completion) {
  auto end = [&](Handle& target) -> SQLRETURN {
    if (completion != SQL_COMMIT && completion != SQL_ROLLBACK) {
      return target.ClientError("HY012", "Invalid transaction operation code.");
    }
    return SQL_SUCCESS;  // the catalog is only read: nothing to commit
  };
  if (type == SQL_HANDLE_DBC) return Call<Dbc>(handle, Kind::kDbc, end);
  if (type == SQL_HANDLE_ENV) return Call<Env>(handle, Kind::kEnv, end);
  return SQL_INVALID_HANDLE;
}
