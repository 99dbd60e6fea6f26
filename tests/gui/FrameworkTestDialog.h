#pragma once

// A dialog with one control of each kind the dialog layer exchanges data with.
#define IDD_FRAMEWORK_TEST 900
#define IDC_NAME 901
#define IDC_ENABLE 902
#define IDC_FIRST 903
#define IDC_SECOND 904
#define IDC_THIRD 905
#define IDC_CHOICES 906
#define IDC_THROW 907
#define IDC_BROWSE 908
