// The link tests' dialog (link_test.rc): a static to take over (without
// SS_NOTIFY, which the link control adds).
#pragma once
#define IDD_TEST_DIALOG 900
#define IDC_TEST_STATIC 901
