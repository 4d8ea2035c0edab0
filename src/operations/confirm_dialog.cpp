#include "operations/confirm_dialog.h"

#include "resources/resource.h"
#include "window_services/shell_state.h"

namespace {

bool IsAnswerButton(WORD id) {
  return id == kAnswerYes || id == kAnswerSkipFile || id == kAnswerYesToAll ||
         id == kAnswerSkipAll || id == kAnswerCancel;
}

BOOL OnInitDialog(HWND dialog, const wchar_t *question) {
  HWND text = CreateWindowExW(WS_EX_STATICEDGE, L"STATIC", question, WS_CHILD | WS_VISIBLE, 10, 12,
                              480, 170, dialog, nullptr, g_shell.instance, nullptr);
  if (text != nullptr && g_shell.monoFont != nullptr)
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(g_shell.monoFont), FALSE);
  return TRUE; // the system sets the focus
}

} // namespace

INT_PTR CALLBACK ConfirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    return OnInitDialog(dialog, reinterpret_cast<const wchar_t *>(lParam));
  case WM_COMMAND:
    if (!IsAnswerButton(LOWORD(wParam))) return FALSE;
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  default:
    return FALSE;
  }
}

ConfirmAnswer AskConfirm(HWND owner, const wchar_t *question) {
  INT_PTR result = DialogBoxParamW(g_shell.instance, MAKEINTRESOURCEW(IDD_CONFIRM), owner,
                                   ConfirmDialogProc, reinterpret_cast<LPARAM>(question));
  return result > 0 ? static_cast<ConfirmAnswer>(result) : kAnswerNone;
}
