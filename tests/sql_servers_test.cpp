// The way up to a server database: vdrtool's SQL script loaded into the real
// servers, the sqlite3 shell and PostgreSQL, and every row read back and
// compared with what vdrtool list shows. PostgreSQL runs in a private
// cluster that the ctest fixture postgres_server starts and stops
// (tests/postgres-cluster); where it could not start, its test is skipped
// with the fixture's reason.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/store_test_util.h"
#include "tests/tool_process.h"

using namespace testutil;

namespace {

// The servers print a row's fields with a tab between them and end each row
// with this byte, which no value in these tests holds.
constexpr char kRowEnd = '\x1E';

// Every byte a shell command writes.
std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  size_t n;
  while (pipe != nullptr && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  if (pipe != nullptr) pclose(pipe);
  return out;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Server {
  std::string name;
  std::function<int(const std::string& script)> load;  // the shell's exit status
  std::function<std::string(const std::string& table)> rows;
};

Server SqliteShell(const std::string& database) {
  return {"sqlite3 shell",
          [=](const std::string& script) {
            return std::system(("sqlite3 -bail '" + database + "' < '" + script + "'").c_str());
          },
          [=](const std::string& table) {
            return Output("sqlite3 -batch -noheader -separator '\t' -newline '" +
                          std::string(1, kRowEnd) + "' '" + database + "' 'SELECT * FROM \"" + table +
                          "\" ORDER BY rowid'");
          }};
}

Server PostgreSql(const std::string& socketFolder) {
  const std::string psql = "PGCLIENTENCODING=UTF8 psql -X -q -v ON_ERROR_STOP=1 -h '" + socketFolder +
                           "' -U veldrana -d postgres";
  return {"PostgreSQL",
          [=](const std::string& script) { return std::system((psql + " -f '" + script + "'").c_str()); },
          [=](const std::string& table) {
            // Rows in the order the script inserted them into the new table.
            std::string rows = Output(psql + " -A -t -F '\t' -R '" + std::string(1, kRowEnd) +
                                      "' -c 'SELECT * FROM \"" + table + "\" ORDER BY ctid'");
            // psql ends the last row with a line break instead.
            if (!rows.empty() && rows.back() == '\n') rows.back() = kRowEnd;
            return rows;
          }};
}

class SqlServers : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) { return dir_.Path(name); }
  std::string Ok(const std::vector<std::string>& args) {
    ToolResult r = RunTool(args, dir_, Path(""));
    EXPECT_EQ(r.exitCode, 0) << args[0] << " " << args.back() << "\nstderr: " << r.err;
    return r.out;
  }

  // A database of these field types holding these records, and a copy of
  // the first one before record number `gone` that is deleted again, so
  // that slots and record numbers part.
  std::string Make(const std::string& name, const std::vector<uint32_t>& types,
                   std::vector<std::vector<std::string>> records, size_t gone) {
    const std::string file = Path(name + ".vdr");
    std::vector<std::string> create = {"create", file};
    for (uint32_t type : types) create.push_back(std::to_string(type));
    Ok(create);
    records.insert(records.begin() + static_cast<long>(gone) - 1, records.front());
    for (size_t r = 0; r < records.size(); ++r) {
      if (r > 0) Ok({"add", file});
      for (size_t f = 0; f < types.size(); ++f)
        Ok({"set", file, std::to_string(r + 1), std::to_string(f + 1), records[r][f]});
    }
    Ok({"delete", file, std::to_string(gone)});
    return file;
  }

  // Each record's fields as vdrtool list shows them, with a tab between
  // them: its lines without their leading slot, record number and RecStat.
  // Values may hold tabs and line breaks, so a record ends only where the
  // next one's start (from vdrtool goto) follows a line break.
  std::vector<std::string> Listed(const std::string& file) {
    const std::string listed = Output("'" + std::string(VDRTOOL_PATH) + "' list '" + file + "'");
    const std::string info = Ok({"info", file});
    const size_t active = std::stoul(info.substr(info.find("active\t") + 7));
    std::vector<std::string> starts;
    for (size_t n = 1; n <= active; ++n) {
      std::string slot = Ok({"goto", file, std::to_string(n)});
      slot.pop_back();
      starts.push_back(slot + "\t" + std::to_string(n) + "\t10\t");
    }
    std::vector<std::string> records;
    size_t at = 0;
    for (size_t n = 0; n < active; ++n) {
      EXPECT_EQ(listed.compare(at, starts[n].size(), starts[n]), 0) << "record " << n + 1;
      at += starts[n].size();
      const size_t end = n + 1 < active ? listed.find("\n" + starts[n + 1], at) : listed.size() - 1;
      records.push_back(listed.substr(at, end - at));
      at = end + 1;
    }
    return records;
  }

  // Loads the database's script into the server and compares every row.
  void ExpectRowsAsListed(const Server& server, const std::string& file) {
    SCOPED_TRACE(server.name + ", " + file);
    const std::string table = file.substr(file.rfind('/') + 1, file.size() - file.rfind('/') - 5);
    const std::string script = file + ".sql";
    ASSERT_EQ(std::system(("'" + std::string(VDRTOOL_PATH) + "' sql '" + file + "' > '" + script + "'").c_str()), 0);
    // Never a CR just before a line break of the script.
    EXPECT_EQ(FileText(script).find("\r\n"), std::string::npos);
    ASSERT_EQ(server.load(script), 0);

    const std::string utf8 = server.rows(table);
    std::vector<std::string> rows;
    for (size_t at = 0, end; (end = utf8.find(kRowEnd, at)) != std::string::npos; at = end + 1) {
      std::string row;
      EXPECT_TRUE(platform::AppendCodePageFromUtf8(utf8.data() + at, end - at, &row));
      rows.push_back(row);
    }
    const std::vector<std::string> listed = Listed(file);
    ASSERT_EQ(rows.size(), listed.size());
    for (size_t r = 0; r < rows.size(); ++r) EXPECT_EQ(rows[r], listed[r]) << "record " << r + 1;
  }

  // Two databases: every field type, at both ends of each number's range,
  // and texts with quotes, backslashes, line breaks and every byte above 127.
  void ExpectBothDatabases(const Server& server) {
    std::vector<uint32_t> everyType;
    std::vector<std::string> highest, lowest, middle;
    for (uint32_t type = 0; type < 18; ++type) {
      everyType.push_back(type);
      highest.push_back(type == 0 ? "255" : type == 1 ? "65535" : type <= 9 ? "4294967295" : "Z\xFCrich");
      lowest.push_back(type <= 9 ? "0" : "");
      middle.push_back(type <= 9 ? "42" : "a'b");
    }
    ExpectRowsAsListed(server, Make("every_type", everyType, {highest, lowest, middle}, 2));

    std::string high;
    for (int c = 0x80; c <= 0xFF; ++c) high += static_cast<char>(c);
    ExpectRowsAsListed(
        server, Make("texts", {15, 13, 12},
                     {{"O'Brien said \"it''s\" 'twice'", "C:\\dir\\ \\' \\\\ \\n", high},
                      {"one\r\ntwo\r\n", "\r\n\r\nend", "a\r\r\nb"},
                      {"lone\rCR, lone\nLF", "\ttabs\t", "\r"},
                      {"end with a quote'", "\\", "\n"}},
                     3));
  }

  ScratchDir dir_;
};

TEST_F(SqlServers, SqliteShellHoldsEveryRowAsListed) {
  if (std::system("sqlite3 -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no sqlite3 shell";
  ExpectBothDatabases(SqliteShell(Path("up.sqlite")));
}

TEST_F(SqlServers, PostgreSqlHoldsEveryRowAsListed) {
  const std::string cluster = VELDRANA_POSTGRES_DIR;
  const std::string unavailable = FileText(cluster + "/unavailable");
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  std::string socket = FileText(cluster + "/socket");
  ASSERT_FALSE(socket.empty()) << "the fixture postgres_server did not run";
  socket.pop_back();
  const Server server = PostgreSql(socket);
  // A table of the same name from an earlier run of this test goes first.
  std::system(("PGCLIENTENCODING=UTF8 psql -X -q -h '" + socket +
               "' -U veldrana -d postgres -c 'DROP TABLE IF EXISTS every_type, texts'")
                  .c_str());
  ExpectBothDatabases(server);
}

}  // namespace
