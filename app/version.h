// Version of Pellmark, shared by the version resource and AppInfo.
#pragma once

#define PELLMARK_VERSION_MAJOR 1
#define PELLMARK_VERSION_MINOR 0
#define PELLMARK_VERSION_REVISION 5
#define PELLMARK_VERSION_TEXT "1.00.0005"
