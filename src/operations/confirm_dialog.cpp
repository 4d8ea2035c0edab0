#include "operations/confirm_dialog.h"

#include "resources/resource.h"
#include "shell/shell_state.h"

wchar_t g_operationText[kMessageChars];

namespace {

bool IsAnswerButton(WORD id) {
  return id == kAnswerYes || id == kAnswerSkipFile || id == kAnswerYesToAll ||
         id == kAnswerSkipAll || id == kAnswerCancel;
}

BOOL OnInitDialog(HWND dialog) {
  HWND text = CreateWindowExW(WS_EX_STATICEDGE, L"STATIC", g_operationText, WS_CHILD | WS_VISIBLE,
                              10, 12, 480, 170, dialog, nullptr, g_shell.instance, nullptr);
  if (text != nullptr && g_shell.monoFont != nullptr)
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(g_shell.monoFont), FALSE);
  return TRUE; // the system sets the focus
}

} // namespace

INT_PTR CALLBACK ConfirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
  case WM_INITDIALOG:
    return OnInitDialog(dialog);
  case WM_COMMAND:
    if (!IsAnswerButton(LOWORD(wParam))) return FALSE;
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  default:
    return FALSE;
  }
}

ConfirmAnswer AskConfirm(ConfirmAnswer &answer) {
  if (answer == kAnswerCancel || answer == kAnswerYesToAll || answer == kAnswerSkipAll)
    return answer;
  answer = static_cast<ConfirmAnswer>(DialogBoxParamW(
      g_shell.instance, MAKEINTRESOURCEW(IDD_CONFIRM), g_shell.mainWindow, ConfirmDialogProc, 0));
  return answer;
}
