// Resource identifiers, grouped by kind.
#pragma once

// Dialog templates
#define IDD_NOTE 102
#define IDD_ABOUT 139

// Controls
#define IDC_NOTE_TEXT 1003
#define IDC_ABOUT_LINK1 134
#define IDC_ABOUT_LINK2 135
#define IDC_ABOUT_LOGO 137
#define IDC_ABOUT_FRAME 138

// Menu commands (system menu)
#define IDM_ABOUTBOX 0x0010

// Icons: the shell's file-type icon index counts icon groups in the order of
// their numbers, so the document icon (",1") must follow the program's icon
// with no icon group numbered between them.
#define IDR_MAINICON 128
#define IDI_NOTEFILE 130

// Strings
#define IDS_ABOUTBOX 101
