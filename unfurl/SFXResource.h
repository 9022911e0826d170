// Control ids of the dialog templates, shared by unfurl.rc and the dialog
// procedures.
#pragma once

// MAINDIALOG
#define IDC_DESTINATION_LABEL 601
#define IDC_DESTINATION 201
#define IDC_BROWSE 104
#define IDC_PROGRESS 801
#define IDC_FILES_LABEL 501
#define IDC_FILE_LIST 401
#define IDC_OVERWRITE_GROUP 602
#define IDC_OVERWRITE_ALWAYS 701
#define IDC_OVERWRITE_NEVER 702
#define IDC_OVERWRITE_ASK 703
#define IDC_RUN 302
#define IDC_ABOUT 103
#define IDC_SHOW_FILES 105
#define IDC_BUTTON_LINE 502

// FILEEXIST
#define IDC_EXIST_ICON 5102
#define IDC_EXIST_TEXT 201
#define IDC_DONT_ASK 301

// PASSWD
#define IDC_PASSWORD 201
