// vdrtool's SQL script loaded into the real servers, the sqlite3 shell and
// PostgreSQL (a private cluster of the fixture postgres_server, see
// tests/postgres-cluster), and every row read back compared with what
// vdrtool list shows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/store_test_util.h"
#include "tests/tool_process.h"

using namespace testutil;

namespace {

constexpr char kRowEnd = '\x1E';  // ends each row the servers print; in no value here

// Every byte a shell command writes.
std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  for (size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  if (pipe) pclose(pipe);
  return out;
}

std::string FileText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class SqlServers : public ::testing::Test {
 protected:
  std::string Ok(const std::vector<std::string>& args) {
    ToolResult r = RunTool(args, dir_, dir_.Path(""));
    EXPECT_EQ(r.exitCode, 0) << args[0] << "\nstderr: " << r.err;
    return r.out;
  }

  // A database of these types and records; a copy of the first record sits
  // before record `gone` and is deleted again, so slots and record numbers part.
  std::string Make(const std::string& name, const std::vector<uint32_t>& types,
                   std::vector<std::vector<std::string>> records, size_t gone) {
    const std::string file = dir_.Path(name + ".vdr");
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

  // Each record's values as vdrtool list shows them, tab between them. A
  // value may hold line breaks, so a record ends where a line break is
  // followed by the next record's slot (from vdrtool goto), number and RecStat.
  std::vector<std::string> Listed(const std::string& file) {
    const std::string listed = Output("'" VDRTOOL_PATH "' list '" + file + "'");
    const std::string info = Ok({"info", file});
    const size_t active = std::stoul(info.substr(info.find("active\t") + 7));
    auto start = [&](size_t n) {
      return std::to_string(std::stoul(Ok({"goto", file, std::to_string(n)}))) + "\t" + std::to_string(n) + "\t10\t";
    };
    std::vector<std::string> records;
    for (size_t n = 1, at = 0; n <= active; ++n) {
      EXPECT_EQ(listed.compare(at, start(n).size(), start(n)), 0) << "record " << n;
      at += start(n).size();
      const size_t end = n < active ? listed.find("\n" + start(n + 1), at) : listed.size() - 1;
      records.push_back(listed.substr(at, end - at));
      at = end + 1;
    }
    return records;
  }

  // Loads the script of each database through load, reads the table back
  // through query (the table's name) and compares the rows with the list.
  void ExpectRowsAsListed(const std::string& load, const std::string& query) {
    std::vector<uint32_t> everyType;
    std::vector<std::string> highest, lowest, middle;
    std::string high;
    for (uint32_t type = 0; type < 18; ++type) {
      everyType.push_back(type);
      highest.push_back(type == 0 ? "255" : type == 1 ? "65535" : type <= 9 ? "4294967295" : "Z\xFCrich");
      lowest.push_back(type <= 9 ? "0" : "");
      middle.push_back(type <= 9 ? "42" : "a'b");
    }
    for (int c = 0x80; c <= 0xFF; ++c) high += static_cast<char>(c);
    const std::string files[] = {
        Make("every_type", everyType, {highest, lowest, middle}, 2),
        Make("texts", {15, 13, 12},
             {{"O'Brien said \"it''s\" 'twice'", high, "C:\\dir\\ \\' \\\\ \\n"},
              {"one\r\ntwo\r\n", "\r\n\r\nend", "a\r\r\nb"},
              {"lone\rCR, lone\nLF", "\ttabs\t", "\r"},
              {"end with a quote'", "\\", "\n"}},
             3)};
    for (const std::string& file : files) {
      SCOPED_TRACE(file);
      const std::string script = file + ".sql";
      ASSERT_EQ(std::system(("'" VDRTOOL_PATH "' sql '" + file + "' > '" + script + "'").c_str()), 0);
      EXPECT_EQ(FileText(script).find("\r\n"), std::string::npos);  // what the shell would cut
      ASSERT_EQ(std::system((load + " < '" + script + "'").c_str()), 0);

      const std::string table = file.substr(file.rfind('/') + 1, file.size() - file.rfind('/') - 5);
      std::string utf8 = Output(query + " 'SELECT * FROM \"" + table + "\"'");
      if (!utf8.empty() && utf8.back() == '\n') utf8.back() = kRowEnd;  // psql ends the last row so
      std::vector<std::string> rows;
      for (size_t at = 0, end; (end = utf8.find(kRowEnd, at)) != std::string::npos; at = end + 1) {
        rows.emplace_back();
        EXPECT_TRUE(platform::AppendCodePageFromUtf8(utf8.data() + at, end - at, &rows.back()));
      }
      EXPECT_EQ(rows, Listed(file));
    }
  }

  ScratchDir dir_;
};

TEST_F(SqlServers, SqliteShellHoldsEveryRowAsListed) {
  if (std::system("sqlite3 -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no sqlite3 shell";
  const std::string database = "'" + dir_.Path("up.sqlite") + "'";
  ExpectRowsAsListed("sqlite3 -bail " + database, "sqlite3 -separator '\t' -newline '\x1E' " + database);
}

TEST_F(SqlServers, PostgreSqlHoldsEveryRowAsListed) {
  const std::string unavailable = FileText(VELDRANA_POSTGRES_DIR "/unavailable");
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  std::string socket = FileText(VELDRANA_POSTGRES_DIR "/socket");
  ASSERT_FALSE(socket.empty()) << "the fixture postgres_server did not run";
  socket.pop_back();
  const std::string psql =
      "PGCLIENTENCODING=UTF8 psql -X -q -v ON_ERROR_STOP=1 -h '" + socket + "' -U veldrana -d postgres";
  // Tables of an earlier run of this test go first; a new table gives back
  // its rows in the order they were inserted.
  std::system((psql + " -c 'DROP TABLE IF EXISTS every_type, texts'").c_str());
  ExpectRowsAsListed(psql, psql + " -A -t -F '\t' -R '\x1E' -c");
}

}  // namespace
