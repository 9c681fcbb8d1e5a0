// Resource ids of the customisable toolbar test.
#pragma once

#define IDR_MAINBAR 171
#define IDM_TOOLS 175
#define ID_CONNECT 32801
#define ID_UPLOAD 32802
#define ID_TOOLS 32858
#define ID_QUEUE 32804
#define ID_MENU_GREY 32810
#define ID_MENU_GO 32811
