// How a server is laid out on disk: a directory holding sysmaster.db (the
// server-wide tables) and one <database>.db per database, all SQLite files.
// Shared by the driver, which reads them, and the builder, which makes them.
#ifndef TVCLI_SERVER_LAYOUT_H_
#define TVCLI_SERVER_LAYOUT_H_

namespace tvcli {

inline constexpr char kSysmasterFile[] = "sysmaster.db";
inline constexpr char kDatabaseSuffix[] = ".db";
// The folder beside the driver library that holds the default server.
inline constexpr char kDefaultServerDir[] = "tvserver";

// The catalog of one database. Declared types are what the driver reports
// for result columns; STATCHAR marks the distribution column.
inline constexpr char kDatabaseSchema[] = R"sql(
CREATE TABLE systables (
  tabid     INTEGER PRIMARY KEY,
  owner     CHAR(32) NOT NULL,
  tabname   VARCHAR(128) NOT NULL,
  tabtype   CHAR(1) NOT NULL DEFAULT 'T',
  npused    BIGINT NOT NULL DEFAULT 0,
  nrows     BIGINT NOT NULL DEFAULT 0,
  pagesize  INTEGER NOT NULL DEFAULT 2048
);
CREATE UNIQUE INDEX systables_name ON systables (owner, tabname);
CREATE TABLE syscolumns (
  tabid     INTEGER NOT NULL,
  colno     SMALLINT NOT NULL,
  colname   VARCHAR(128) NOT NULL,
  coltype   SMALLINT NOT NULL,
  collength SMALLINT NOT NULL,
  PRIMARY KEY (tabid, colno)
) WITHOUT ROWID;
CREATE TABLE sysdistrib (
  tabid     INTEGER NOT NULL,
  colno     SMALLINT NOT NULL,
  seqno     INTEGER NOT NULL,
  encdat    STATCHAR(256),
  PRIMARY KEY (tabid, colno, seqno)
) WITHOUT ROWID;
CREATE TABLE sysusers (
  username  VARCHAR(32) PRIMARY KEY,
  salt      CHAR(32) NOT NULL,
  pwhash    CHAR(64) NOT NULL
);
)sql";

// The server-wide tables. The row of systables whose tabname is
// ' SMIVERSION' (leading blank) holds the server version in owner;
// sysdatabases lists the server's databases (a database file in the folder
// that is not listed is not one of the server's).
inline constexpr char kSysmasterSchema[] = R"sql(
CREATE TABLE systables (
  owner     CHAR(32) NOT NULL,
  tabname   VARCHAR(128) NOT NULL
);
CREATE TABLE sysshmvals (
  sh_pagesize INTEGER NOT NULL
);
CREATE TABLE sysdatabases (
  name      VARCHAR(128) NOT NULL PRIMARY KEY,
  owner     CHAR(32) NOT NULL,
  created   DATE NOT NULL
);
)sql";

}  // namespace tvcli

#endif  // TVCLI_SERVER_LAYOUT_H_
