/* Resource and control numbers of the engine's dialogs, pictures and icon.
   Plain C defines: read both by windres and by the engine's code. */
#ifndef KS_UI_RES_RESOURCE_H
#define KS_UI_RES_RESOURCE_H

#define KS_ICON_PROGRAM 1
#define KS_BMP_SIDE 2
#define KS_BMP_BANNER 3
#define KS_BMP_OK 4
#define KS_BMP_CANCEL 5
#define KS_BMP_BROWSE 6
#define KS_BMP_RETRY 7

#define KS_ID_SEPARATOR 66
#define KS_ID_OK 1001
#define KS_ID_CANCEL 1003
#define KS_ID_VIEWER 1005
#define KS_ID_PROGRESS 1007
#define KS_ID_TEXT 1009
#define KS_ID_STATUS 1011
#define KS_ID_BROWSE 1013
#define KS_ID_FOLDER 1015
#define KS_ID_LANGUAGES 1017
#define KS_ID_PASSWORD 1019
#define KS_ID_SIDE_PICTURE 1021
#define KS_ID_OPEN_DOCUMENT 1023
#define KS_ID_LAUNCH 1025
#define KS_ID_OPEN_LOG 1027
#define KS_ID_OPEN_DOCUMENT2 1029
#define KS_ID_BANNER 1032
#define KS_ID_BANNER_HEADING 1034
#define KS_ID_BANNER_SUBHEADING 1035
#define KS_ID_SPACE_REQUIRED 1036
#define KS_ID_SPACE_AVAILABLE 1037
#define KS_CMD_SPACE 1038
#define KS_ID_PASSWORD_LABEL 1039
#define KS_ID_LINK 1040

#endif
