#pragma once

#define IDD_CHOOSE 100
#define IDC_NOTE 101
#define IDC_LIST 102
