"""The embedded driver through unixODBC as a Python program uses it, with
Debian's pyodbc: by data source and by driver path, catalog queries, the
Python types of columns and values, several cursors, connections and
threads. Everything it writes is in its own temporary folder.

Usage: pyodbc_client_test.py DRIVER_LIBRARY SERVER_BUILDER DEMO_SERVER
"""
import datetime
import os
import subprocess
import sys
import tempfile
import threading
import unittest

DRIVER, BUILDER, DEMO = sys.argv[1:4]
TEMP = tempfile.TemporaryDirectory(prefix="pyodbc-client-")
SERVER = os.path.join(TEMP.name, "server")

# A server of our own: owners and names beyond ASCII, a row count beyond
# 32 bits, a table without statistics.
DEFINITION = """\
server 11.70 pagesize 4096
database kasse
table kasse.größe pages 300 rows 6000000000 pagesize 8192
  kunden_nr   integer not null   distinct 900
  straße      varchar(60)        sampled 2000 1500 1100
table björk.ärenden pages 3 rows 0
  id          serial
"""


def setUpModule():
    with open(os.path.join(TEMP.name, "server.tvdef"), "w",
              encoding="utf-8") as out:
        out.write(DEFINITION)
    subprocess.run([BUILDER, os.path.join(TEMP.name, "server.tvdef"), SERVER],
                   check=True)
    with open(os.path.join(TEMP.name, "odbcinst.ini"), "w") as out:
        out.write("[Tarvex Test Driver]\nDriver=%s\n" % DRIVER)
    with open(os.path.join(TEMP.name, "odbc.ini"), "w") as out:
        out.write("[demo]\nDriver=Tarvex Test Driver\nDATABASE=%s\n" %
                  os.path.join(DEMO, "demo.db"))
    os.environ["ODBCSYSINI"] = TEMP.name
    os.environ["ODBCINI"] = os.path.join(TEMP.name, "odbc.ini")


def tearDownModule():
    TEMP.cleanup()


import pyodbc  # noqa: E402  (after the module's set-up is defined)

pyodbc.pooling = False


def own_server():
    return pyodbc.connect("DRIVER=%s;DATABASE=%s" %
                          (DRIVER, os.path.join(SERVER, "kasse.db")))


class CatalogThroughPyodbc(unittest.TestCase):

    def test_tables_columns_and_distributions_of_our_server(self):
        with own_server() as connection:
            cursor = connection.cursor()
            cursor.execute("SELECT tabid, owner, tabname, nrows, pagesize "
                           "FROM systables ORDER BY tabid")
            self.assertEqual([d[1] for d in cursor.description],
                             [int, str, str, int, int])
            rows = [(r.tabid, r.owner.strip(), r.tabname, r.nrows, r.pagesize)
                    for r in cursor.fetchall()]
            self.assertEqual(rows, [(1, "kasse", "größe", 6000000000, 8192),
                                    (2, "björk", "ärenden", 0, 4096)])
            cursor.execute("SELECT colname, coltype, collength FROM syscolumns"
                           " WHERE tabid = 1 ORDER BY colno")
            # integer not null: type 2 with 256 for NOT NULL, 4 bytes.
            self.assertEqual([tuple(r) for r in cursor.fetchall()],
                             [("kunden_nr", 258, 4), ("straße", 13, 60)])
            cursor.execute("SELECT encdat FROM sysdistrib WHERE tabid = 1 "
                           "AND colno = 2 AND seqno = 1")
            self.assertIs(cursor.description[0][1], str)
            summary = cursor.fetchone()[0]
            self.assertTrue(summary.startswith("TVD1;s=2000;d=1500;f1=1100"),
                            summary)

    def test_the_server_lists_its_databases_with_dates(self):
        with own_server() as connection:
            cursor = connection.cursor()
            rows = cursor.execute("SELECT * FROM sysmaster:sysdatabases"
                                  ).fetchall()
            self.assertEqual([d[0] for d in cursor.description],
                             ["name", "owner", "created"])
            self.assertIs(cursor.description[2][1], datetime.date)
            self.assertEqual([r.name for r in rows], ["kasse"])
            # Written as the test began (a day apart at most, at midnight).
            age = datetime.date.today() - rows[0].created
            self.assertIn(age.days, (0, 1, -1))

    def test_expression_columns_have_one_type(self):
        with own_server() as connection:
            cursor = connection.cursor()
            values = [r[0] for r in
                      cursor.execute("SELECT 1 UNION ALL SELECT 2.5")]
            self.assertEqual(values, [1.0, 2.5])
            self.assertTrue(all(type(v) is float for v in values))
            # 300 pages of 8192 bytes against 6,000,000,000 rows; the empty
            # table gives a whole 0 first.
            ratios = cursor.execute(
                "SELECT CASE WHEN nrows = 0 THEN 0 ELSE npused * pagesize / "
                "nrows END FROM systables ORDER BY nrows").fetchall()
            self.assertEqual(ratios[0][0], 0)
            self.assertAlmostEqual(ratios[1][0], 300 * 8192 / 6e9)
            self.assertEqual(cursor.execute("SELECT 1 / 3").fetchone()[0],
                             1 / 3)
            big = cursor.execute("SELECT pagesize FROM systables UNION ALL "
                                 "SELECT nrows * 2 FROM systables "
                                 "ORDER BY 1").fetchall()
            self.assertEqual([r[0] for r in big],
                             [0, 4096, 8192, 12000000000])


class ConnectionsThroughPyodbc(unittest.TestCase):

    def test_data_source_and_several_cursors_on_one_connection(self):
        with pyodbc.connect("DSN=demo") as connection:
            names = connection.cursor().execute(
                "SELECT tabname FROM systables WHERE tabid <= 3 "
                "ORDER BY tabid")
            counts = connection.cursor().execute(
                "SELECT tabid, count(*) FROM syscolumns WHERE tabid <= 3 "
                "GROUP BY tabid ORDER BY tabid")
            pairs = [(n.tabname, c[1]) for n, c in zip(names, counts)]
            # The demo definition: customer 17 columns, orders 13, lines 10.
            self.assertEqual(pairs, [("customer", 17), ("orders", 13),
                                     ("order_line", 10)])

    def test_several_connections_on_one_environment_and_threads(self):
        first = pyodbc.connect("DSN=demo")
        second = pyodbc.connect("DSN=demo")
        self.assertEqual(second.getinfo(pyodbc.SQL_DATABASE_NAME),
                         first.getinfo(pyodbc.SQL_DATABASE_NAME))
        first.close()
        second.close()
        results, errors = [], []

        def count_columns():
            try:
                with own_server() as connection:
                    for _ in range(20):
                        results.append(connection.cursor().execute(
                            "SELECT count(*) FROM syscolumns").fetchone()[0])
            except pyodbc.Error as error:
                errors.append(error)

        threads = [threading.Thread(target=count_columns) for _ in range(4)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        self.assertEqual(errors, [])
        self.assertEqual(results, [3] * 80)

    def test_errors_reach_python_with_their_state(self):
        with own_server() as connection:
            with self.assertRaises(pyodbc.ProgrammingError) as raised:
                connection.cursor().execute("SELECT x FROM nowhere")
            self.assertIn("42S02", str(raised.exception))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
