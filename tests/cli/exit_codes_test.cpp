// The exit codes as the converter's table has them, and as --help (in both languages), the
// man pages and the README list them: the lists must not drift apart from the table.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/converter.h"
#include "cli/messages.h"

namespace {

std::string Narrow(std::u16string_view text) {
  std::string narrow;
  for (const char16_t c : text) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return narrow;
}

std::string SourceFile(const std::string& path) {
  std::ifstream file(std::string(VORNEL_SOURCE_DIR) + "/" + path, std::ios::binary);
  EXPECT_TRUE(file) << path;
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The codes that lines matching `item` (its first group the code) list after the line
// `heading`, up to the first line matching `end`.
std::vector<int> CodesListed(const std::string& text, const std::string& heading,
                             const std::regex& item, const std::regex& end) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line) && line != heading) {
  }
  std::vector<int> codes;
  std::smatch match;
  while (std::getline(lines, line) && !std::regex_match(line, end)) {
    if (std::regex_match(line, match, item)) codes.push_back(std::stoi(match[1]));
  }
  return codes;
}

TEST(ExitCodesTest, EveryListOfThemIsTheTable) {
  std::vector<int> table;
  for (const ExitCodeRow& row : ExitCodes()) table.push_back(static_cast<int>(row.code));
  const std::regex helpItem("  ([0-9]+)  .*");
  const std::regex manItem("\\.B ([0-9]+)");
  const std::regex manEnd("\\.SH .*");
  const std::regex none("$^");
  struct Case {
    const char* name;
    std::vector<int> listed;
  };
  const Case cases[] = {
      {"--help in English", CodesListed(Narrow(TextOf(Message::kHelp, Language::kEnglish)),
                                        "Exit codes:", helpItem, none)},
      {"--help in Japanese",
       CodesListed(Narrow(TextOf(Message::kHelp, Language::kJapanese)), "?????:", helpItem, none)},
      {"the man page", CodesListed(SourceFile("packaging/deb/vornel-convert.1"), ".SH EXIT STATUS",
                                   manItem, manEnd)},
      {"the Japanese man page", CodesListed(SourceFile("packaging/deb/ja/vornel-convert.1"),
                                            ".SH 終了ステータス", manItem, manEnd)},
      {"the README", CodesListed(SourceFile("README.md"), "| 終了コード / Exit code | |",
                                 std::regex("\\| ([0-9]+) \\|.*"), std::regex(""))},
  };
  for (const Case& c : cases) EXPECT_EQ(c.listed, table) << c.name;
}

}  // namespace
