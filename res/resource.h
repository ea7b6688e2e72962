// Resource ids of Trackvane's templates, controls and icon.
#pragma once

#define IDR_MAINFRAME          128

#define IDD_CONTROL            102
#define IDD_OUTPUT             129
#define IDD_OPTIONS            130
#define IDD_SCORE              131
#define IDD_RESULTS            132
#define IDD_EDIT_RESULT        133
#define IDD_CLASS_LIST         134
#define IDD_TERM               135
#define IDD_NEW_CLASS          136
#define IDD_AWARDS             137

// Control dialog
#define IDC_ENABLE_OUTPUT      1001
#define IDC_OPTIONS            1002
#define IDC_RACE               1004
#define IDC_CONTESTANT_LIST    1005
#define IDC_CLEAR_DATA         1007
#define IDC_EXPORT             1008
#define IDC_RESULTS            1009
#define IDC_OPEN_CLASS_LIST    1010
#define IDC_CLASS              1011
#define IDC_STATUS             1022
#define IDC_POSITION_OUTPUT    1033

// Options dialog
#define IDC_OUTPUT_WIDTH       1012
#define IDC_OUTPUT_HEIGHT      1014
#define IDC_INIT_SCORE         1018
#define IDC_OBSTACLE           1021
#define IDC_SCORE_STEP         1028
#define IDC_RACE_TITLE         1029
#define IDC_TEXT_COLOUR        1030
#define IDC_DIGIT_COLOUR       1032

// Direct scoring dialog
#define IDC_SCORE_NAME         1015
#define IDC_SET_SCORE          1016
#define IDC_SCORE              1017
#define IDC_SCORE_CHANGE       1022
#define IDC_SCORE_PLUS         1031
#define IDC_SCORE_MINUS        1034

// Results of earlier races
#define IDC_WEEK_DATES         1101
#define IDC_PREVIOUS_WEEK      1102
#define IDC_NEXT_WEEK          1103
#define IDC_RACES              1104
#define IDC_RACE_ROWS          1105
#define IDC_VOID_RACE          1107
#define IDC_TERM               1108
#define IDC_WEEK_AWARDS        1109

// One contestant's result corrected
#define IDC_RESULT_NAME        1111
#define IDC_RESULT_TIME        1112
#define IDC_RESULT_SCORE       1113
#define IDC_RESULT_NO_TIME     1114

// The term board
#define IDC_TERM_FROM          1121
#define IDC_TERM_TO            1122
#define IDC_TERM_LIST          1123
#define IDC_TERM_CHART         1124
#define IDC_TERM_EXPORT        1125
#define IDC_TERM_SHOW          1126
#define IDC_TERM_SUMMARY       1127
#define IDC_TERM_SEX           1128
#define IDC_TERM_AWARDS        1129

// The class list and its heat
#define IDC_CLASS_CHILDREN     1201
#define IDC_CLASS_NAME         1202
#define IDC_CLASS_ADD          1203
#define IDC_CLASS_RENAME       1204
#define IDC_CLASS_REMOVE       1205
#define IDC_CLASS_UP           1206
#define IDC_CLASS_DOWN         1207
#define IDC_CLASS_PHOTO        1208
#define IDC_CLASS_NEXT_HEAT    1209
#define IDC_CLASS_IN_HEAT      1210
#define IDC_CLASS_COUNT        1211
#define IDC_CLASS_PASTE        1213
#define IDC_CLASS_TITLE        1214
#define IDC_CLASS_SEX          1216

// A new class
#define IDC_NEW_CLASS_NAME     1231

// Certificates: who hands them out
#define IDC_AWARD_SCHOOL       1241
#define IDC_AWARD_TEACHER      1242

#ifndef IDC_STATIC
#define IDC_STATIC             (-1)
#endif
