#pragma once
// What a batch run leaves in the program's folders, checked alike by the native tests and by
// the drivers of the real program under wine.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/program_folders.h"

// The input and the earlier result are as they were, and nothing was left beside the result.
inline void ExpectHandOffUntouched(const ProgramFolders& program, std::string_view input,
                                   std::string_view earlierResult) {
  EXPECT_TRUE(ReadBytes(program.input) == input) << "the input changed";
  EXPECT_TRUE(ReadBytes(program.output) == earlierResult) << "the earlier result changed";
  EXPECT_EQ(NamesIn(program.result), std::vector<std::string>{"Ostrum.tbin"});
}

// The input is gone and the result is in place, with nothing beside it; the hand-off folder
// stays.
inline void ExpectHandOffConverted(const ProgramFolders& program, std::string_view result) {
  EXPECT_FALSE(std::filesystem::exists(program.input)) << "the input is still there";
  EXPECT_TRUE(ReadBytes(program.output) == result) << "the result is not the expected one";
  EXPECT_EQ(NamesIn(program.result), std::vector<std::string>{"Ostrum.tbin"});
  EXPECT_TRUE(std::filesystem::is_directory(program.handOff));
}
