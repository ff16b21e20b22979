#include "base/connection_string.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tce {
namespace {

TEST(ConnectionStringTest, ParsesPlainAndBracedValues) {
  auto pairs = ParseConnectionString(
      "database = sales ;uid=bob;PWD={a;b}}c};x=1;Uid=eve");
  EXPECT_EQ(pairs["DATABASE"], "sales");
  EXPECT_EQ(pairs["PWD"], "a;b}c");
  EXPECT_EQ(pairs["UID"], "eve");  // the last occurrence wins
  EXPECT_EQ(ParseConnectionString("garbage").size(), 0u);
  EXPECT_EQ(ParseConnectionString("PWD={unclosed")["PWD"], "unclosed");
  // A part without a key does not swallow the next pair.
  EXPECT_EQ(ParseConnectionString("junk;PWD=x;")["PWD"], "x");
  EXPECT_EQ(ConnectionStringPair("PWD", "a;b}"), "PWD={a;b}}};");
  EXPECT_EQ(ConnectionStringPair("PWD", " x"), "PWD={ x};");
  EXPECT_EQ(ConnectionStringPair("PWD", ""), "PWD=;");
  EXPECT_EQ(ConnectionStringPair("PWD", "plain"), "PWD=plain;");
}

TEST(ConnectionStringTest, ReadsValuesBackAsTheyWereSent) {
  const std::string completed = "DATABASE=db;UID=u;PWD={a;b}}};";
  EXPECT_EQ(ReadConnectionValue(completed, "DATABASE"), "db");
  EXPECT_EQ(ReadConnectionValue(completed, "PWD"), "a;b}");
  EXPECT_EQ(ReadConnectionValue("DATABASE=db", "DATABASE"), std::nullopt);
  EXPECT_EQ(ReadConnectionValue("UID=u;", "PWD"), std::nullopt);
  EXPECT_EQ(ReadConnectionValue("PWD={open", "PWD"), std::nullopt);
  EXPECT_EQ(ReadConnectionValue("DSN=x;Database=y;", "DATABASE"), std::nullopt);
  // A value that holds "PWD=" is not the password.
  EXPECT_EQ(ReadConnectionValue("DATABASE=/x/PWD=1;PWD=2;", "PWD"), "2");
}

TEST(ConnectionStringTest, MasksEveryPasswordKeyAndNothingElse) {
  EXPECT_EQ(MaskPassword("DATABASE=db;UID=u;PWD={a;b}}};"),
            "DATABASE=db;UID=u;PWD=********;");
  EXPECT_EQ(MaskPassword("PWD=secret;X=1"), "PWD=********;X=1");
  EXPECT_EQ(MaskPassword("PWD=cut"), "PWD=********");
  EXPECT_EQ(MaskPassword("UID=u;"), "UID=u;");
  // What trails a closing brace is masked with it.
  EXPECT_EQ(MaskPassword("PWD={abc}def;UID=u;"), "PWD=********;UID=u;");
  EXPECT_EQ(MaskPassword("Pwd=S3cr3t;password = {x};Password=y"),
            "Pwd=********;password = ********;Password=********");
  // A database path or user id holding "PWD=" is not what gets masked.
  EXPECT_EQ(MaskPassword("DATABASE=/srv/PWD=db;UID=PWD=me;PWD=S3cr3t-PW;"),
            "DATABASE=/srv/PWD=db;UID=PWD=me;PWD=********;");
}

// For any database, user and password, the masked connection string does
// not hold the password and does not depend on it.
TEST(ConnectionStringTest, MaskingHidesAnyPassword) {
  std::mt19937 random(7);
  const std::string alphabet = "aZ09 ;={}}PWDpwd_/-\t'\"\\\xe9";
  auto text = [&](size_t max) {
    std::string s;
    const size_t n = random() % (max + 1);
    for (size_t i = 0; i < n; ++i) s += alphabet[random() % alphabet.size()];
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    const std::string database = text(20);
    const std::string user = text(12);
    std::string password = text(16);
    if (password.size() < 4) password += "Xy7!";
    const std::string masked =
        MaskPassword(ConnectionStringPair("DATABASE", database) +
                     ConnectionStringPair("UID", user) +
                     ConnectionStringPair("PWD", password));
    const std::string other =
        MaskPassword(ConnectionStringPair("DATABASE", database) +
                     ConnectionStringPair("UID", user) +
                     ConnectionStringPair("PWD", "another one"));
    EXPECT_EQ(masked, other) << database << "|" << user << "|" << password;
    // The other fields, as sent, and the text around the password may hold
    // the password's text themselves.
    const std::string rest = ConnectionStringPair("DATABASE", database) +
                             ConnectionStringPair("UID", user);
    if ((rest + "PWD=********;").find(password) == std::string::npos) {
      EXPECT_EQ(masked.find(password), std::string::npos) << masked;
    }
  }
}

}  // namespace
}  // namespace tce
