// Resource ids of the menu tests.
#pragma once

#define IDM_TEST 300
#define IDM_BROKEN 301
#define IDT_TOOLS 310

#define ID_OPEN 32801
#define ID_SAVE 32802
#define ID_FIND 32803
#define ID_PRINT 32804
#define ID_CUT 32805
#define ID_WIDE 32806
#define ID_COPY 32807
#define ID_CLEAR 32808
#define ID_SHOW 32809
#define ID_INNER 32810
#define ID_TWO 32811
