#include "ui/win32/file_dialogs.h"

#include <objbase.h>
#include <shobjidl.h>

#include <vector>

#include "ui/win32/wide_text.h"

namespace {

// COM for the length of one dialog; the thread may have it already.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

// Releases a COM interface pointer when it goes out of scope.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_ != nullptr) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** Out() { return &p_; }
  T* operator->() const { return p_; }
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

// Shows `dialog` and returns the file system path of its result; nullopt on cancel or failure.
std::optional<std::u16string> ShowAndGetPath(IFileDialog* dialog, HWND owner) {
  if (FAILED(dialog->Show(owner))) return std::nullopt;
  ComPtr<IShellItem> item;
  if (FAILED(dialog->GetResult(item.Out()))) return std::nullopt;
  PWSTR path = nullptr;
  if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || path == nullptr) {
    return std::nullopt;
  }
  std::u16string result = FromWide(path);
  CoTaskMemFree(path);
  return result;
}

}  // namespace

std::optional<std::u16string> RunSaveFileDialog(HWND owner, const SaveDialogOptions& options) {
  ComScope com;
  ComPtr<IFileSaveDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IFileSaveDialog, reinterpret_cast<void**>(dialog.Out())))) {
    return std::nullopt;
  }
  FILEOPENDIALOGOPTIONS flags = 0;
  dialog->GetOptions(&flags);
  flags |= FOS_FORCEFILESYSTEM;
  if (options.confirmOverwrite) {
    flags |= FOS_OVERWRITEPROMPT;
  } else {
    flags &= ~static_cast<FILEOPENDIALOGOPTIONS>(FOS_OVERWRITEPROMPT);
  }
  dialog->SetOptions(flags);

  // The types as they are: their texts, in `options`, outlive the dialog.
  std::vector<COMDLG_FILTERSPEC> fileTypes;
  fileTypes.reserve(options.fileTypes.size());
  for (const FileType& type : options.fileTypes) {
    fileTypes.push_back({reinterpret_cast<const wchar_t*>(type.name.c_str()),
                         reinterpret_cast<const wchar_t*>(type.pattern.c_str())});
  }
  if (!fileTypes.empty()) {
    dialog->SetFileTypes(static_cast<UINT>(fileTypes.size()), fileTypes.data());
  }
  if (!options.defaultExtension.empty()) {
    dialog->SetDefaultExtension(ToWide(options.defaultExtension).c_str());
  }
  if (!options.initialName.empty()) dialog->SetFileName(ToWide(options.initialName).c_str());
  return ShowAndGetPath(dialog.get(), owner);
}

std::optional<std::u16string> RunOpenFileDialog(HWND owner) {
  ComScope com;
  ComPtr<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IFileOpenDialog, reinterpret_cast<void**>(dialog.Out())))) {
    return std::nullopt;
  }
  FILEOPENDIALOGOPTIONS flags = 0;
  dialog->GetOptions(&flags);
  dialog->SetOptions(flags | FOS_FORCEFILESYSTEM | FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST);
  return ShowAndGetPath(dialog.get(), owner);
}
