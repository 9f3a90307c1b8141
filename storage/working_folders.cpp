#include "storage/working_folders.h"

#include <string_view>

namespace {

// `base` followed by `literal`, whose backslashes stand for the platform's separator.
std::u16string Append(const std::u16string& base, std::u16string_view literal) {
  std::u16string path = base;
  path.reserve(base.size() + literal.size());
  for (char16_t c : literal) path.push_back(c == u'\\' ? kPathSeparator : c);
  return path;
}

}  // namespace

std::u16string AppDataDirOf(const std::u16string& documents) {
  return Append(documents, u"\\Brindlecot\\Tavernic");
}

std::u16string ResultDirOf(const std::u16string& documents) {
  return Append(documents, u"\\Brindlecot\\Tavernic\\Result");
}

std::u16string TempDirOf(const std::u16string& documents) {
  return Append(documents, u"\\Brindlecot\\Tavernic\\temp");
}

std::u16string AutoFileDirOf(const std::u16string& documents) {
  return Append(documents, u"\\Brindlecot\\Tavernic\\AutoFile");
}

std::u16string SettingsFileOf(const std::u16string& tempDir) {
  return Append(tempDir, u"\\Pellow.tmp");
}

std::u16string RunLockFileOf(const std::u16string& tempDir) {
  return Append(tempDir, u"\\AutoFile.lock");
}

std::u16string BatchInputFileOf(const std::u16string& autoFileDir) {
  return Append(autoFileDir, u"\\Quillet.tbin");
}

std::u16string BatchOutputFileOf(const std::u16string& resultDir) {
  return Append(resultDir, u"\\Ostrum.tbin");
}
