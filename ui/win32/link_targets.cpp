#include "ui/win32/link_targets.h"

#include <shellapi.h>

#include "storage/file_access.h"
#include "storage/working_folders.h"
#include "ui/win32/module_path.h"
#include "ui/win32/wide_text.h"

std::u16string LinkTargetFolder(const std::u16string& name) {
  if (name == u"program-folder") return FolderOf(ModuleFileName());
  if (name == u"work-folder") {
    const std::u16string documents = DocumentsFolder();
    return documents.empty() ? std::u16string() : AppDataDirOf(documents);
  }
  return {};
}

bool OpenLinkTarget(HWND owner, const std::u16string& name) {
  const std::u16string folder = LinkTargetFolder(name);
  if (folder.empty()) return false;
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(owner, L"open", ToWide(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}
