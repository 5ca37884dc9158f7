// UI probe (placeholder).
#include <windows.h>
int wmain() { return 0; }
