#pragma once
// The program's folders and files below a Documents folder, as the tests look for them.

#include <filesystem>

struct ProgramFolders {
  explicit ProgramFolders(const std::filesystem::path& documents)
      : appData(documents / "Brindlecot" / "Tavernic"),
        handOff(appData / "AutoFile"),
        result(appData / "Result"),
        temp(appData / "temp"),
        input(handOff / "Quillet.tbin"),
        output(result / "Ostrum.tbin"),
        settings(temp / "Pellow.tmp") {}
  std::filesystem::path appData, handOff, result, temp, input, output, settings;
};
