#include "db/server_probe.h"

namespace tce {

std::string ProbeServer(StatementLayer& statements, const Reporter& reporter) {
  auto fail = [&](const char* shown, const char* logged) {
    reporter.ShowMessage(shown);
    reporter.Log("PAGESIZE", logged);
    return std::string();
  };
  if (!statements.ExecuteStatement("SELECT OWNER FROM SYSMASTER:SYSTABLES "
                                   "WHERE TABNAME=' SMIVERSION'") ||
      !statements.FetchRow(true)) {
    return fail("Unable to get SMIVERSION from SYSMASTER:SYSTABLES table",
                "Can't get SMIVERSION from SYSMASTER:SYSTABLES");
  }
  const std::string version = statements.StatementResult(1);
  reporter.Log("PAGESIZE", "Version=" + version);
  if (version != "7.31" && version != "9.40") {
    const std::string expression = "T.PAGESIZE";
    reporter.Log("PAGESIZE", "PAGESIZE=" + expression);
    return expression;
  }
  if (!statements.ExecuteStatement(
          "SELECT SH_PAGESIZE FROM SYSMASTER:SYSSHMVALS")) {
    return fail("Unable to get SH_PAGESIZE from SYSMASTER:SYSHVALS table",
                "Can't get SH_PAGESIZE from SYSMASTER:SYSHVALS table");
  }
  if (!statements.FetchRow(true)) {
    return fail("Unable to get SH_PAGESIZE from SYSMASTER:SYSHMVALS table",
                "Can't get SH_PAGESIZE from SYSMASTER:SYSHMVALS table");
  }
  const std::string expression = statements.StatementResult(1);
  reporter.Log("PAGESIZE", "PAGESIZE=" + expression);
  return expression;
}

}  // namespace tce
