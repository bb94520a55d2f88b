// Resource identifiers, grouped by kind.
#pragma once

// Dialog templates
#define IDD_NOTE 102

// Controls
#define IDC_NOTE_TEXT 1003
