#pragma once
// The program's folders below the user's Documents folder, and the names of its files.
// Every path is a plain concatenation of a folder path and a literal that begins with the
// platform's separator; nothing is normalised.

#include <string>
#include <string_view>

#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
// The characters that end a folder's name in a path.
inline constexpr std::u16string_view kPathSeparators = u"\\/";
#else
inline constexpr char16_t kPathSeparator = u'/';
inline constexpr std::u16string_view kPathSeparators = u"/";
#endif

// documents + "\Brindlecot\Tavernic": the application-data folder.
std::u16string AppDataDirOf(const std::u16string& documents);
// documents + "\Brindlecot\Tavernic\Result": where the batch run writes its result.
std::u16string ResultDirOf(const std::u16string& documents);
// documents + "\Brindlecot\Tavernic\temp": where the settings file and the run lock live.
std::u16string TempDirOf(const std::u16string& documents);
// documents + "\Brindlecot\Tavernic\AutoFile": the hand-off folder.
std::u16string AutoFileDirOf(const std::u16string& documents);

// tempDir + "\Pellow.tmp"
std::u16string SettingsFileOf(const std::u16string& tempDir);
// tempDir + "\AutoFile.lock": held by a batch run while it works on the hand-off folder; it
// lies outside that folder, so that removing the folder never meets it.
std::u16string RunLockFileOf(const std::u16string& tempDir);
// autoFileDir + "\Quillet.tbin"
std::u16string BatchInputFileOf(const std::u16string& autoFileDir);
// resultDir + "\Ostrum.tbin"
std::u16string BatchOutputFileOf(const std::u16string& resultDir);
