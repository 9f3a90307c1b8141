// Resource and control ids of the program's dialogs. Shared by the .rc templates and the code.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_MAIN_DIALOG 102
#define IDD_ABOUTBOX 130

#define IDC_BTN_VERSION 1000
#define IDC_BTN_CONVERT 1001
#define IDC_EDIT_BINARY 1002
#define IDC_EDIT_DECIMAL 1003
#define IDC_BROWSE_FILE 1004
#define IDC_BTN_READ_FILE 1005
#define IDC_BTN_CONVERT_FILE 1006
#define IDC_EDIT_EXE_PATH 1007
#define IDC_EDIT_FILE_TEXT 1008
#define IDC_EDIT_PROGRESS 1009
#define IDC_PROGRESS 1010
#define IDC_BTN_CANCEL 1011
#define IDC_CHK_AUTO 1012
#define IDC_CHK_MESSAGES 1013
#define IDC_BTN_SAVE 1014
#define IDC_LINK_HOME 1015
#define IDC_LINK_GUIDE 1016
#define IDC_EDIT_RESULT 1017
// The browse button beside the file edit box (the edit box and its button form the browse control).
#define IDC_BTN_BROWSE 1018
// Window class of the read-only text views (the file's text and the results).
#define TEXT_VIEW_CLASS "VornelTextView"
// The Exit button is the dialog's IDOK (1).
#define IDC_BTN_EXIT 1
