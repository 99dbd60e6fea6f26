// Ids of the program's resources and of the controls its code reaches.
#pragma once

#define IDI_KXVUZ 128

#define IDD_MORE_INFORMATION 160
#define IDD_ERROR 161
#define IDD_PROGRESS 168
#define IDD_ABOUT 169

#define IDB_ERROR_PICTURE 166
#define IDB_ABOUT_PICTURE 171
#define IDB_MORE_INFORMATION_PICTURE 172

// Progress window.
#define IDC_OPERATION_TEXT 1026
#define IDC_PROGRESS_BAR 1097
#define IDC_PERCENT_TEXT 1098
#define IDC_DETAIL_TEXT 1099

// Error dialog.
#define IDC_MORE_INFORMATION 1095
#define IDC_ERROR_TEXT 1096

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
