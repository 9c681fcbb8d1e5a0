#pragma once
#define IDI_SQUARE 300
#define IDM_DROPDOWN 301
#define ID_FIRST_CHOICE 310
#define ID_SECOND_CHOICE 311
