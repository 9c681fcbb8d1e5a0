// Resource ids of the task dialogs (templates in taskdlgs.rc).
#pragma once

#define IDD_SCHEDULE_START 131   // "Schedule Time Start"
#define IDD_FILE_NAME 135        // "Dialog"
#define IDD_SPACE_USED 136       // "Server Space Used"
#define IDD_MOVE_TO 145          // "Move To..."
#define IDD_CHANGE_PASSWORD 148  // "Change Password"
#define IDD_SEARCH_FILE 153      // "Search For File"
#define IDD_RECORD_DIR 155       // "Record Server Directory Structure" / "Manual Get"
#define IDD_CHMOD 158            // "Change File Attributes"

// Schedule Time Start
#define IDC_SCHED_START_DATE 1008
#define IDC_SCHED_START_TIME 1009
#define IDC_SCHED_STOP_CHECK 1010
#define IDC_SCHED_STOP_DATE 1011
#define IDC_SCHED_STOP_TIME 1012
#define IDC_SCHED_MINIMIZE 1013
#define IDC_SCHED_BUTTON 1014
#define IDC_SCHED_CLOCK 1015

// File name, Move To
#define IDC_FILE_NAME 1037
#define IDC_MOVE_TARGET 1087

// Server Space Used
#define IDC_SPACE_BY_SERVER 1041
#define IDC_SPACE_AUTO_HIDE 1042
#define IDC_SPACE_SITE 1043
#define IDC_SPACE_FOLDER 1044
#define IDC_SPACE_BUTTON 1045
#define IDC_SPACE_RESULT 1046
#define IDC_SPACE_PROGRESS 1047
#define IDC_SPACE_BY_LOCAL 1098

// Change Password
#define IDC_PWD_OLD 1122
#define IDC_PWD_NEW 1124
#define IDC_PWD_CONFIRM 1128

// Search For File
#define IDC_SEARCH_CASE 1007
#define IDC_SEARCH_FOLDER 1141
#define IDC_SEARCH_SITE 1146
#define IDC_SEARCH_TYPES 1148
#define IDC_SEARCH_NO_LOOP 1150

// Record Server Directory Structure / Manual Get
#define IDC_RECORD_NOTE 1038
#define IDC_RECORD_SITE 1157
#define IDC_RECORD_SAVE 1158
#define IDC_RECORD_BROWSE 1160
#define IDC_RECORD_REMOTE 1162
#define IDC_RECORD_FILE_LABEL 1190
#define IDC_RECORD_START_LABEL 1189  // "Start In:", in the place 1190 takes in Manual Get

// Change File Attributes
#define IDC_CHMOD_MANUAL 1103
#define IDC_CHMOD_OWNER_READ 1105
#define IDC_CHMOD_OWNER_WRITE 1107
#define IDC_CHMOD_OWNER_EXEC 1109
#define IDC_CHMOD_GROUP_READ 1111
#define IDC_CHMOD_GROUP_WRITE 1113
#define IDC_CHMOD_GROUP_EXEC 1114
#define IDC_CHMOD_PUBLIC_READ 1115
#define IDC_CHMOD_PUBLIC_WRITE 1116
#define IDC_CHMOD_PUBLIC_EXEC 1117
