// Resource ids of the bars test program.
#pragma once

#define IDR_TOOLBAR 171
#define IDR_TB_SHORT 172
#define IDR_TB_VERSION2 173
#define IDR_TB_WIDE 174
#define ID_TB_A 32771
#define ID_TB_B 32772
#define ID_TB_C 32773
#define ID_PANE_FIRST 61440  // 12 indicator strings follow
#define ID_PANE_NOSTRING 61470
#define IDW_DYN_BAR 0xE880
#define IDW_DYN_BAR2 0xE881
#define IDW_TOOLBAR2 0xE882
