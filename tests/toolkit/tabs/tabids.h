#pragma once
#define IDD_PAGE 200
#define IDC_FIRST 201
#define IDC_SECOND 202
#define IDC_APPLY 203
#define IDC_OPTION 204
