// Resource and control ids shared by the resource script and the program.
#pragma once

#define IDD_MAIN 101
#define IDD_NOTIFICATION 105
#define IDD_PROGRESS 152
#define IDD_ABOUT 155
#define IDD_TEST_PAGE_SETTINGS 116
#define IDD_EDITOR_SETTINGS 120

#define IDI_KORVI 101
#define IDI_BROWSE 110
#define IDI_SETTINGS 115
#define IDI_MENU 128
#define IDCUR_MOVE 122
#define IDCUR_DRAG 123
#define IDR_HELP_PAGE 1

// Main window controls.
#define IDC_EDIT_PICTURE 1000
#define IDC_TEST_PAGE 1001
#define IDC_AUTO_OUTPUT 1011
#define IDC_PREVIEW 1017
#define IDC_OUTPUT 1018
#define IDC_PICTURE_SIZE 1020
#define IDC_MENU 1024
#define IDC_TEST_PAGE_SETTINGS 1025
#define IDC_EDITOR_SETTINGS 1026
#define IDC_FORMAT_JPEG 1031
#define IDC_FORMAT_GIF 1032
#define IDC_FORMAT_BMP 1033
#define IDC_JPEG_QUALITY 1034
#define IDC_SIDE_LENGTH 1035
#define IDC_RESIZE_METHOD 1036

// Download progress window.
#define IDC_PROGRESS_BAR 1069

// Notification popup and about box.
#define IDC_NOTIFICATION_TEXT 1025
#define IDC_VERSION 1028

// Test page settings: a check box per variant.
#define IDC_SHOW_GIF 1005
#define IDC_SHOW_Q10 1017
#define IDC_SHOW_Q20 1018
#define IDC_SHOW_Q30 1019
#define IDC_SHOW_Q40 1020
#define IDC_SHOW_Q50 1021
#define IDC_SHOW_Q60 1022
#define IDC_SHOW_Q70 1023
#define IDC_SHOW_Q80 1024
#define IDC_SHOW_Q90 1025
#define IDC_SHOW_Q100 1026
#define IDC_SHOW_BMP 1027
#define IDC_SHOW_ORIGINAL 1029

// Editor settings: the program's path and the button that browses for it.
#define IDC_BROWSE_EDITOR 1000
#define IDC_EDITOR_PROGRAM 1020
