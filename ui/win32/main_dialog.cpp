#include "ui/win32/main_dialog.h"

#include <commctrl.h>

#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "res/resource.h"
#include "ui/win32/dialog_messages.h"
#include "ui/win32/link_targets.h"
#include "ui/win32/text_view/text_view.h"
#include "ui/win32/wide_text.h"

namespace {

struct MainDialogContext {
  Win32WindowServices& window;
  CVornelDlg& dialog;
};

MainDialogContext* ContextOf(HWND hwnd) {
  return reinterpret_cast<MainDialogContext*>(GetWindowLongPtrW(hwnd, DWLP_USER));
}

// A dialog procedure's result for messages whose result goes through DWLP_MSGRESULT.
INT_PTR Handled(HWND hwnd, LRESULT result) {
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

// The notification a control's WM_COMMAND code stands for; nullopt for codes the dialog
// does not route.
std::optional<Notification> NotificationOf(WORD code) {
  switch (code) {
    case BN_CLICKED:
      return Notification::kButtonClicked;
    case EN_CHANGE:
      return Notification::kEditChanged;
    default:
      return std::nullopt;
  }
}

INT_PTR OnInitDialog(HWND hwnd, LPARAM lParam) {
  auto* context = reinterpret_cast<MainDialogContext*>(lParam);
  SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
  context->window.Attach(hwnd);
  context->dialog.OnInitDialog();
  return TRUE;
}

INT_PTR OnCommand(MainDialogContext& context, WPARAM wParam) {
  const int id = LOWORD(wParam);
  const std::optional<Notification> notification = NotificationOf(HIWORD(wParam));
  return notification && context.dialog.OnCommand(id, *notification) ? TRUE : FALSE;
}

INT_PTR OnNotify(HWND hwnd, const NMHDR& header) {
  if (header.idFrom != IDC_LINK_HOME && header.idFrom != IDC_LINK_GUIDE) return FALSE;
  if (header.code != NM_CLICK && header.code != NM_RETURN) return FALSE;
  const auto& link = reinterpret_cast<const NMLINK&>(header);
  try {
    OpenLinkTarget(hwnd, FromWide(link.item.szUrl));
  } catch (const std::bad_alloc&) {  // a link not opened, as when the folder cannot be opened
  }
  return Handled(hwnd, 0);
}

// The minimised window shows the program icon, centred; otherwise the dialog paints itself.
INT_PTR OnPaint(HWND hwnd, HICON icon) {
  if (!IsIconic(hwnd)) return FALSE;
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(hwnd, &paint);
  SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const int iconWidth = GetSystemMetrics(SM_CXICON);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT client;
  GetClientRect(hwnd, &client);
  const int x = (client.right - client.left - iconWidth + 1) / 2;
  const int y = (client.bottom - client.top - iconHeight + 1) / 2;
  DrawIcon(dc, x, y, icon);
  EndPaint(hwnd, &paint);
  return TRUE;
}

INT_PTR OnQueryDragIcon(HICON icon) { return reinterpret_cast<INT_PTR>(icon); }

INT_PTR OnSetCursor(HWND hwnd, const Win32WindowServices& window) {
  return window.ApplyWaitCursor() ? Handled(hwnd, TRUE) : FALSE;
}

INT_PTR OnClose(CVornelDlg& dialog) {
  dialog.OnCancel();
  return TRUE;
}

INT_PTR CALLBACK MainDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog(hwnd, lParam);
  MainDialogContext* const context = ContextOf(hwnd);
  if (context == nullptr) return FALSE;  // a message that comes before WM_INITDIALOG
  switch (message) {
    case WM_COMMAND:
      return OnCommand(*context, wParam);
    case WM_NOTIFY:
      return OnNotify(hwnd, *reinterpret_cast<const NMHDR*>(lParam));
    case WM_PAINT:
      return OnPaint(hwnd, context->window.Icon());
    case WM_QUERYDRAGICON:
      return OnQueryDragIcon(context->window.Icon());
    case WM_SETCURSOR:
      return OnSetCursor(hwnd, context->window);
    case WM_CLOSE:
      return OnClose(context->dialog);
    default:
      return FALSE;
  }
}

// The template with its WS_VISIBLE style cleared, so that the window appears only once its
// initialisation has run and has not ended the dialog. Empty when the template is missing.
std::vector<unsigned char> HiddenTemplate(HINSTANCE instance) {
  const HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(IDD_MAIN_DIALOG), RT_DIALOG);
  const HGLOBAL loaded = resource != nullptr ? LoadResource(instance, resource) : nullptr;
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = resource != nullptr ? SizeofResource(instance, resource) : 0;
  // An extended template: version 1, signature 0xFFFF, help id, extended style, style.
  constexpr std::size_t kStyleOffset = 12;
  if (data == nullptr || size < kStyleOffset + sizeof(DWORD)) return {};
  std::vector<unsigned char> bytes(static_cast<const unsigned char*>(data),
                                   static_cast<const unsigned char*>(data) + size);
  DWORD style;
  std::memcpy(&style, bytes.data() + kStyleOffset, sizeof style);
  style &= ~static_cast<DWORD>(WS_VISIBLE);
  std::memcpy(bytes.data() + kStyleOffset, &style, sizeof style);
  return bytes;
}

}  // namespace

std::optional<int> RunMainDialog(Win32WindowServices& window, CVornelDlg& dialog) {
  const std::vector<unsigned char> dialogTemplate = HiddenTemplate(window.Instance());
  if (dialogTemplate.empty() || !RegisterTextView(window.Instance())) return std::nullopt;
  MainDialogContext context{window, dialog};
  const HWND hwnd = CreateDialogIndirectParamW(
      window.Instance(), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), nullptr,
      MainDialogProc, reinterpret_cast<LPARAM>(&context));
  if (hwnd == nullptr) return std::nullopt;

  window.ShowDialogWindow();
  MSG message;
  while (window.NextMessage(message)) DispatchDialogMessage(hwnd, message);
  DestroyWindow(hwnd);
  return window.EndRequested() ? window.Result() : -1;
}
